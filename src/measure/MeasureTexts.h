#pragma once
// Texts of the measurement mode, shared by code and tests: kind names (stored and
// compared as these exact strings), labels, messages and file names.
namespace quillory::mtexts {

// Kind names of measurement objects.
inline constexpr const char* kKindPointMark = "점표시";
inline constexpr const char* kKindSegment = "선분";
inline constexpr const char* kKindCircle = "원";
inline constexpr const char* kKindRectangle = "사각형";
inline constexpr const char* kKindAngle = "사이각";
inline constexpr const char* kKindPolyline = "다각선";
inline constexpr const char* kKindPolygon = "다각형";
inline constexpr const char* kKindText = "글자";
inline constexpr const char* kKindCurve = "곡선";
inline constexpr const char* kKindCurveArea = "곡선영역";
inline constexpr const char* kKindEllipse = "타원";

// Point-mark glyphs of the styles 0 to 5 and the font they are drawn in.
inline constexpr const char* kMarkGlyphs[6] = {"⊙", "●", "▣", "○", "+", "."};
inline constexpr const char* kMarkFont = "돋움체";

// Value labels (printf formats; %s is the unit name).
inline constexpr const char* kValueOneDecimal = "%.1f %s";
inline constexpr const char* kValueTwoDecimals = "%.2f %s";
inline constexpr const char* kAreaOneDecimal = "%.1f %s²";
inline constexpr const char* kAreaTwoDecimals = "%.2f %s²";
inline constexpr const char* kReferencePendingLabel = "(기준설정중) %d pixels";

// The measurement layer and its undo step.
inline constexpr const char* kMeasureLayerName = "벡터측정레이어";
inline constexpr const char* kStepAddMeasureLayer = "벡터측정레이어추가";

// Messages.
inline constexpr const char* kSegmentTooLong = "선분 길이를 줄여야 합니다 (작업범위초과).";
inline constexpr const char* kDragReferenceFirst = "クリックではないＤｒａｇで先ず基準線を決めます。";
inline constexpr const char* kTooManyObjects = "항목의 최대 갯수는 %d 입니다. 더이상 추가가 어렵습니다.";
inline constexpr const char* kChooseTargetFirst = "[선택/수정] 버튼으로 대상을 정하고 실행하십시요";
inline constexpr const char* kSelectTargetFirst = "먼저 수정할 대상을 선택하십시요";
inline constexpr const char* kSelectToEraseFirst = "제거할 개체를 먼저 선택하십시요";
// Why a vector edit did nothing where the editor greys out its menu item (told by quillory-cli).
inline constexpr const char* kNoVectorToUndo = "취소할 측정 개체가 없습니다";
inline constexpr const char* kNoVectorToRedo = "반복할 측정 개체가 없습니다";
inline constexpr const char* kNoMeasureLayer = "측정 레이어가 없습니다";
inline constexpr const char* kNotCalibrated =
    "측정기준의 길이가 0 pixel입니다. [측정기준설정]에서 기준선을 먼저 정하십시요.";
inline constexpr const char* kTextObjectEmpty = "입력된 글자가 없습니다.";

// The palette.
inline constexpr const char* kPaletteTitle = "測定道具";
inline constexpr const char* kTabMeasure = " 측정도구 및 환경";
inline constexpr const char* kTabImage = " 이미지편집 및 개선";
inline constexpr const char* kPaletteHint = "   진행 탈출 : ESC   ";
inline constexpr const char* kReferenceCaption = "측정기준:";
inline constexpr const char* kReferenceLineFormat = "(측정기준) %s : %d pixels Ⅹ  %s";
inline constexpr const char* kPendingHint1 = "등록하려면 위 버튼을 클릭. 취소는 Esc.";
inline constexpr const char* kPendingHint2 = "등록 후, 드래깅으로 곡선 수정";
// While the reference is picked from the picture.
inline constexpr const char* kReferencePickHint = "측정기준 선택 중: 길이를 아는 곳에 선분을 드래그하여 그리십시오.";

// Tool labels of the palette.
inline constexpr const char* kToolSelectEdit = "선택과수정";
inline constexpr const char* kToolPointMark = "점";
inline constexpr const char* kToolSegment = "선분표시";
inline constexpr const char* kToolParallel = "평행선표시";
inline constexpr const char* kToolRectangle = "사각영역표시";
inline constexpr const char* kToolLineDistance = "선분사이거리";
inline constexpr const char* kToolCircle = "원영역표시";
inline constexpr const char* kToolAngle = "사이각표시";
inline constexpr const char* kToolPolygon = "다각영역표시";
inline constexpr const char* kToolPolyline = "다각선분표시";
inline constexpr const char* kToolAddVertex = "다각형 점추가";
inline constexpr const char* kToolRemoveVertex = "다각형 점제거";
inline constexpr const char* kToolEndContinuous = "연속측정해제";
inline constexpr const char* kToolEllipse = "타원표시";
inline constexpr const char* kToolTextObject = "글자표시";

// The palette's further buttons.
inline constexpr const char* kButtonSetReference = "측정기준설정";
inline constexpr const char* kButtonAutoReference = "자동측정기준";
inline constexpr const char* kButtonRedraw = "측정벡터 다시그리기";
inline constexpr const char* kButtonAnalysisSettings = "분석환경설정";
inline constexpr const char* kButtonExportWorkbook = "엑셀파일출력";
inline constexpr const char* kButtonPattern = "영상의 패턴 측정";
inline constexpr const char* kButtonStraighten = "영상 바로 세우기";
inline constexpr const char* kButtonRotateRight = "90도 우회전";
inline constexpr const char* kButtonRotateLeft = "90도 좌회전";
inline constexpr const char* kButtonRotate180 = "180도 회전";
inline constexpr const char* kButtonFreeRotate = "자유회전";
inline constexpr const char* kButtonPath = "경로설정";
inline constexpr const char* kButtonResize = "이미지 크기 조정";
inline constexpr const char* kButtonRectSelect = "사각 선택 지정";
inline constexpr const char* kButtonCropToNew = "복사뒤 새로 만들기";
inline constexpr const char* kButtonCanvasSize = "캔버스 크기 늘리기";
inline constexpr const char* kButtonTextInput = "글자입력";
inline constexpr const char* kPaletteButtonTip = "측정도구 창";
inline constexpr const char* kTextObjectPrompt = "측정 영상에 넣을 글자";

// Commands of the measurement mode.
inline constexpr const char* kCmdVectorUndo = "벡터 편집 취소";
inline constexpr const char* kCmdVectorRedo = "벡터 편집 반복";
inline constexpr const char* kCmdRedrawAll = "측정벡터 다시그리기";
inline constexpr const char* kCmdEndContinuous = "연속측정해제";
inline constexpr const char* kCmdEraseObject = "측정개체 제거";
inline constexpr const char* kCmdMeasureLayer = "벡터측정레이어추가";
inline constexpr const char* kCmdMeasureMouse = "측정도구사용";
inline constexpr const char* kCmdCalibrationValues = "측정기준값";
inline constexpr const char* kCmdExportText = "측정결과 텍스트저장";
inline constexpr const char* kCmdExportWorkbook = "엑셀파일출력";
inline constexpr const char* kCmdSetReference = "측정기준설정";
inline constexpr const char* kCmdAnalysisSettings = "분석환경설정";
inline constexpr const char* kCmdMultiFocus = "다초점영상만들기";

// Calibration (Dlg_Calibration).
inline constexpr const char* kBadReferenceLength = "측정기준 길이는 0보다 큰 유한한 수여야 합니다: %s";
inline constexpr const char* kBadReferenceVector = "측정기준 픽셀 수는 -1000000000에서 1000000000 사이의 정수여야 합니다: %s";
inline constexpr const char* kCalibrationTitle = "측정기준설정";
inline constexpr const char* kNewUnit = "New Unit";
inline constexpr const char* kDefaultUnitAfterReset = "um";
inline constexpr const char* kResetLength = "1.0";
inline constexpr const char* kPickFromPicture = "영상에서 기준선 선택";
inline constexpr const char* kUnitNameLabel = "단위 이름";
inline constexpr const char* kUnitListLabel = "단위 목록";
inline constexpr const char* kReferenceXLabel = "기준 X (pixels)";
inline constexpr const char* kReferenceYLabel = "기준 Y (pixels)";
inline constexpr const char* kThirdFieldLabel = "배율";
inline constexpr const char* kReferenceLengthLabel = "기준 길이";
// The units the calibration offers; the list's selection is kept as unitIndex.
inline constexpr const char* kUnitChoices[] = {"um", "nm", "mm", "cm", "m", "inch", "pixel"};

// Analysis environment (CDlg_Mic_Env).
inline constexpr const char* kEnvTitle = "작업 환경 설정";
inline constexpr const char* kEnvTabTools = "측정도구";
inline constexpr const char* kEnvTabGrid = "격자";
inline constexpr const char* kEnvTabTransparency = "투명";
inline constexpr const char* kEnvTabCursor = "커서/선택";
inline constexpr const char* kLineColourButton = "선분색";
inline constexpr const char* kSelectColourButton = "선택지정";
inline constexpr const char* kTextColourButton = "글자색";
inline constexpr const char* kGridSpacingLabel = "격자간격 : ";
inline constexpr const char* kGridColourButton = "격자칼라지정";
inline constexpr const char* kDistinguishSelection = "선택영역을 다른 톤으로 구별하여 나타내기";
inline constexpr const char* kRedrawOnAdd = "벡터 추가시 전체 다시 그리기";
inline constexpr const char* kLineWidthLabel = "선 두께";
inline constexpr const char* kFontSizeLabel = "글자 크기";
inline constexpr const char* kFontFaceLabel = "글꼴";
inline constexpr const char* kOneDecimal = "소수 1자리";
inline constexpr const char* kTwoDecimals = "소수 2자리";
inline constexpr const char* kShowLabels = "측정값 표시";
inline constexpr const char* kMarkStyleLabel = "점 모양";
// How transparent pixels show: the hatch drawn behind the picture, styles 0 to 5.
inline constexpr const char* kTransparencyChoices[] = {"가로 줄무늬", "세로 줄무늬", "빗금 (／)",
                                                       "빗금 (＼)",   "격자무늬",   "빗금 격자무늬"};
inline constexpr const char* kCursorLabel = "커서 모양";

// Files and export.
inline constexpr const char* kMeasureTextFile = "MicroMeasure.txt";
inline constexpr const char* kMeasureTextSaved = "파일(MicroMeasure.txt)이 저장되었습니다.";
inline constexpr const char* kMeasureTextLine = "\n %s %.2f %.2f %.2f %.2f";
inline constexpr const char* kWorkbookFile = "Micro.xlsx";
inline constexpr const char* kWorkbookPicture = "MicroExcel.jpg";
inline constexpr const char* kWorkbookPictureCell = "F15";
inline constexpr const char* kHeaderKind = "항목";
inline constexpr const char* kHeaderLength = "길이";
inline constexpr const char* kHeaderArea = "면적";
inline constexpr const char* kHeaderAngle = "각도";
inline constexpr const char* kHeaderRadius = "반지름";
inline constexpr const char* kHeaderDiameter = "지름";
// A column header with the calibration's unit: "길이 (um)", "면적 (um²)".
inline constexpr const char* kHeaderWithUnit = "%s (%s)";
inline constexpr const char* kHeaderWithSquareUnit = "%s (%s²)";
inline constexpr const char* kDefaultSheetName = "Sheet1";
inline constexpr const char* kExcelTitle = "엑셀로 변환";
inline constexpr const char* kExcelConvert = "엑셀로 변환";
inline constexpr const char* kExcelClose = "닫기";
inline constexpr const char* kExcelTextExport = "텍스트로 저장";
inline constexpr const char* kExcelBrowse = "찾아보기...";
inline constexpr const char* kWorkbookFilter = "Excel (*.xlsx)";
inline constexpr const char* kWorkbookSaved = "엑셀 파일이 저장되었습니다.";  // the file's full path follows on the next line
inline constexpr const char* kWorkbookExists = "[%s] 파일이 이미 있습니다. 바꾸시겠습니까?";
inline constexpr const char* kMeasureTextWriteFailed = "파일(MicroMeasure.txt)을 저장할 수 없습니다.";
inline constexpr const char* kWorkbookWriteFailed = "엑셀 파일을 만들 수 없습니다.";
// Reasons a workbook is refused, after its path.
inline constexpr const char* kWorkbookNoPath = "파일 이름이 없습니다";
inline constexpr const char* kSheetNameNotUtf8 = "시트 이름이 UTF-8 글자가 아닙니다";
inline constexpr const char* kSheetNameTooLong = "시트 이름은 31자까지입니다";
inline constexpr const char* kSheetNameBadCharacter = "시트 이름에 쓸 수 없는 글자(: \\ / ? * [ ] 또는 제어 문자)가 있습니다";
inline constexpr const char* kSheetNameApostrophe = "시트 이름은 작은따옴표(')로 시작하거나 끝날 수 없습니다";
inline constexpr const char* kSheetNameReserved = "History는 시트 이름으로 쓸 수 없습니다";
inline constexpr const char* kWorkbookValueNotFinite = "%d번 항목의 값이 너무 커서 숫자로 쓸 수 없습니다";
inline constexpr const char* kWorkbookPictureFailed = "엑셀에 넣을 그림(MicroExcel.jpg)을 만들 수 없습니다.";
inline constexpr const char* kWorkbookOpenFailed = "엑셀 파일을 여는 프로그램을 실행 할 수 없습니다.";
inline constexpr const char* kMeasureFileReadFailed = "측정 파일을 읽을 수 없습니다.";
inline constexpr const char* kMeasureFileWriteFailed = "측정 파일을 저장할 수 없습니다.";
inline constexpr const char* kMeasureFileTruncated = "측정 파일이 잘려 있습니다.";
inline constexpr const char* kMeasureFileBadText = "측정 파일의 글자 줄을 읽을 수 없습니다.";
inline constexpr const char* kMeasureFileBadLayers = "측정 파일의 레이어 연결이 잘못되었습니다.";
inline constexpr const char* kMeasureFileBadObject = "측정 파일의 측정 개체를 읽을 수 없습니다.";
inline constexpr const char* kMeasureFileTooManyObjects = "측정 파일의 측정 개체가 700개를 넘습니다.";

// Multi-focus composition.
inline constexpr const char* kMultiFocusSkipped = "[%s] 영상은 크기(%d x %d x %d)가 달라 제외합니다.";
inline constexpr const char* kMultiFocusTitle = "다초점영상";

}  // namespace quillory::mtexts
