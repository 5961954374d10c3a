#pragma once
// Command ids of every menu item, tool-bar button, accelerator and tool. The
// current tool is stored as one of these ids; -1 means no tool.
namespace quillory::cmd {

inline constexpr int kNone = -1;

// File (framework ids keep their classic values).
inline constexpr int kFileNew = 57600;
inline constexpr int kFileOpen = 57601;
inline constexpr int kFileClose = 57602;
inline constexpr int kFileSave = 57603;
inline constexpr int kFileSaveAs = 57604;
inline constexpr int kFilePrintSetup = 57606;
inline constexpr int kFilePrint = 57607;
inline constexpr int kFileMru1 = 57616;  // 57616..57624: the nine recent files
inline constexpr int kAppExit = 57665;
inline constexpr int kAppAbout = 57664;
inline constexpr int kSelectSource = 1474;
inline constexpr int kAcquire = 1475;
inline constexpr int kScreenCapture = 1424;
inline constexpr int kEnvironment = 1571;
inline constexpr int kLoadJpegSample = 1416;
inline constexpr int kLoadGifSample = 1417;
inline constexpr int kLoadTifSample = 1425;
inline constexpr int kLoadBitmapSample = 1407;

// Edit.
inline constexpr int kEditUndo = 57643;
inline constexpr int kEditRedo = 57644;
inline constexpr int kEditCut = 57635;
inline constexpr int kEditCopy = 57634;
inline constexpr int kEditPaste = 57637;
inline constexpr int kCropToNew = 1482;

// Drawing tools.
inline constexpr int kToolDrop = 1354;
inline constexpr int kToolBrush = 1347;
inline constexpr int kToolLine = 1356;
inline constexpr int kToolCircle = 1380;
inline constexpr int kToolPolyline = 1357;
inline constexpr int kToolSpray = 1346;
inline constexpr int kToolEraser = 1355;
inline constexpr int kToolFill = 1352;
inline constexpr int kToolDot = 1350;           // tool bar only
inline constexpr int kToolColourPicker = 2097;  // tool bar only
inline constexpr int kToolText = 1382;          // tool bar only

// Image.
inline constexpr int kBrightnessContrast = 1450;
inline constexpr int kRgbAdjust = 1503;
inline constexpr int kLevels = 2533;
inline constexpr int kAutoColour = 2076;
inline constexpr int kInvert = 1413;
inline constexpr int kDesaturateLayer = 4224;
inline constexpr int kGreyScale = 1414;
inline constexpr int kRgbColour = 2093;
inline constexpr int kBinary = 2113;
inline constexpr int kEightBitColour = 2016;
// Channels.
inline constexpr int kRgbChannels = 1441;
inline constexpr int kYuvSplit = 1442;
inline constexpr int kHslSplit = 1443;
// Image fields of the composite picture.
inline constexpr int kRemoveTransparency = 1430;
inline constexpr int kRemoveAlphaChannel = 1483;
inline constexpr int kInvertAlphaChannel = 1485;
inline constexpr int kToggleAlphaPalette = 1486;
inline constexpr int kStripAlpha = 1490;

// Filters.
inline constexpr int kSharpen = 1455;
inline constexpr int kBlur = 1453;
inline constexpr int kErode = 1457;
inline constexpr int kDilate = 1460;
inline constexpr int kSoften = 1454;
inline constexpr int kContour = 1456;
inline constexpr int kStamp = 1461;
inline constexpr int kConfetti = 1462;
inline constexpr int kLineColouring = 1463;
inline constexpr int kWatercolour = 1465;
inline constexpr int kDenoise = 1469;
inline constexpr int kEdgeEnhance = 1470;
inline constexpr int kAreaExpand = 1473;
inline constexpr int kDropColouring = 1471;
inline constexpr int kOilPaint = 1472;
inline constexpr int kHanji = 1466;
inline constexpr int kRaindrops = 1467;
inline constexpr int kFrostedGlass = 1468;
inline constexpr int kDalmatian = 2106;
inline constexpr int kEmboss = 1452;
// The "강조" kernel; the menu item "강조" (kSharpen) selects "경계강조" instead.
inline constexpr int kSharpenKernel = 1447;
inline constexpr int kLensEffect = 3479;
inline constexpr int kBathroomGlass = 3477;

// Layers.
inline constexpr int kLayerAdd = 1552;
inline constexpr int kLayerDelete = 1553;
inline constexpr int kLayerDuplicate = 3500;
inline constexpr int kLayerFlatten = 1500;
inline constexpr int kLayerMergeDown = 1557;
inline constexpr int kLayerMergeUp = 1555;
inline constexpr int kLayerEffect = 1558;
inline constexpr int kLayerToRaster = 1545;
inline constexpr int kLayerRename = 3994;
// The layer window's settings of one layer, as commands of their own.
inline constexpr int kLayerBlendMode = 3961;
inline constexpr int kLayerTransparency = 3962;
inline constexpr int kLayerVisibility = 3963;
inline constexpr int kLayerReorder = 3964;

// Selection.
inline constexpr int kToolMove = 1570;
inline constexpr int kToolRectSelect = 1342;
inline constexpr int kToolPolygonSelect = 1345;
inline constexpr int kToolFreeSelect = 1343;
inline constexpr int kToolMagicWand = 1344;
inline constexpr int kColourRangeSelect = 3327;
inline constexpr int kSelectInvert = 2055;
inline constexpr int kDeselect = 2058;
inline constexpr int kSelectAll = 2056;  // the whole canvas as a rectangle selection (Ctrl+A)
inline constexpr int kToolColourRange = 3344;  // the colour-range tool after its first pick

// Transform and decorate.
inline constexpr int kResizePicture = 1431;
inline constexpr int kToolFreeRotate = 1415;
inline constexpr int kLayerRotateRight = 4210;   // 90 degrees clockwise
inline constexpr int kLayerRotateLeft = 4214;    // 90 degrees counter-clockwise
inline constexpr int kLayerRotate180 = 4221;
inline constexpr int kLayerFlipTopBottom = 4219;
inline constexpr int kLayerFlipLeftRight = 4220;
inline constexpr int kCanvasRotateRight = 1491;
inline constexpr int kCanvasRotateLeft = 1492;
inline constexpr int kCanvasRotate180 = 4222;
inline constexpr int kCanvasFlipTopBottom = 1411;
inline constexpr int kCanvasFlipLeftRight = 1410;
inline constexpr int kToolScale = 4250;
inline constexpr int kToolSkew = 4251;
inline constexpr int kToolPerspective = 4252;
inline constexpr int kCalendar = 3379;
inline constexpr int kPictureFrame = 3392;
// The text dialog's commands: a new text layer and a text layer edited.
inline constexpr int kPutText = 1083;
inline constexpr int kEditText = 1084;
inline constexpr int kToolGradient = 1353;
inline constexpr int kCanvasSize = 1432;
inline constexpr int kStretchSquash = 3339;
inline constexpr int kTool5615 = 5615;
// The guide-point path: its panel, and the panel's tools and buttons.
inline constexpr int kPathPanel = 1509;
inline constexpr int kPathAddPoints = kTool5615;
inline constexpr int kPathDragPoint = 5616;
inline constexpr int kPathInsertPoint = 5620;
inline constexpr int kPathDeletePoint = 5621;
inline constexpr int kPathMove = 5622;
inline constexpr int kPathToSelection = 5623;
inline constexpr int kPathStroke = 5625;
inline constexpr int kMirror = 1408;            // no menu item
inline constexpr int kEllipseTransform = 1406;  // the ellipse transform; also the tool that places it

// View.
inline constexpr int kLayerWindow = 1554;
inline constexpr int kQuickEditWindow = 1511;
inline constexpr int kFitToWindow = 1405;
inline constexpr int kZoomIn = 1420;
inline constexpr int kZoomOut = 1421;
inline constexpr int kActualSize = 1422;
inline constexpr int kGrid = 1572;
inline constexpr int kMeasureTools = 2531;

// Window.
inline constexpr int kDuplicateDocument = 1412;
inline constexpr int kWindowNew = 57648;
inline constexpr int kWindowCascade = 57650;
inline constexpr int kWindowTile = 57651;
inline constexpr int kCloseAll = 1426;

// Help.
inline constexpr int kWebSite = 2074;

// Measurement mode context menu and others.
inline constexpr int kMeasureContinuousOff = 3306;
inline constexpr int kMeasureEditUndo = 3165;
inline constexpr int kMeasureEditRedo = 3166;
inline constexpr int kAnalysisSettings = 3453;
inline constexpr int kMultiFocus = 3309;
inline constexpr int kCtrlShiftE = 2068;

// Measuring tools of the measurement palette.
inline constexpr int kToolMeasureSelect = 3416;
inline constexpr int kToolPointMark = 3409;
inline constexpr int kToolMeasureSegment = 3455;
inline constexpr int kToolParallelLines = 3466;
inline constexpr int kToolMeasureRectangle = 3457;
inline constexpr int kToolLineDistance = 3470;
inline constexpr int kToolMeasureCircle = 3471;
inline constexpr int kToolMeasureAngle = 3467;
inline constexpr int kToolMeasurePolygon = 3462;
inline constexpr int kToolMeasurePolyline = 3463;
inline constexpr int kToolAddVertex = 3419;
inline constexpr int kToolRemoveVertex = 3427;
inline constexpr int kToolMeasureEllipse = 3472;
inline constexpr int kToolMeasureText = 3475;
// Measurement commands.
inline constexpr int kRedrawMeasure = 3318;
inline constexpr int kSetReference = 3436;
inline constexpr int kAutoReference = 3304;
inline constexpr int kStraightenImage = 2722;
inline constexpr int kExportWorkbook = 3445;
inline constexpr int kSaveMeasureAs = 3446;
inline constexpr int kTextInput = 1382;
// No menu item: the measurement layer, erasing the selected object, a measuring
// tool's mouse event, the calibration values and the text export as commands.
inline constexpr int kMeasureLayerAdd = 3481;
inline constexpr int kMeasureErase = 3482;
inline constexpr int kMeasureMouse = 3483;
inline constexpr int kCalibrationValues = 3484;
inline constexpr int kExportMeasureText = 3485;

// The tool-bar buttons from 1342 to 1382 form one exclusive group.
inline constexpr int kExclusiveToolFirst = 1342;
inline constexpr int kExclusiveToolLast = 1382;

inline constexpr bool IsTransformTool(int id) { return id >= kToolScale && id <= kToolPerspective; }

}  // namespace quillory::cmd
