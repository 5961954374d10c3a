#pragma once
// Texts of the geometric transforms, the channel views, the colour-range
// selection and the gradient fill, shared by code and tests.
namespace quillory::texts {

// Menu texts (also the registered command names).
inline constexpr const char* kCmdCanvasFlipLeftRight = "수평제비회전";
inline constexpr const char* kCmdCanvasFlipTopBottom = "수직제비회전";
inline constexpr const char* kCmdLayerFlipLeftRight = "레이어 수평제비회전";
inline constexpr const char* kCmdLayerFlipTopBottom = "레이어 수직제비회전";
inline constexpr const char* kCmdMirror = "거울변환";
inline constexpr const char* kCmdCanvasRotateRight = " 90  시계방향";
inline constexpr const char* kCmdCanvasRotateLeft = " 90  반시계방향";
inline constexpr const char* kCmdCanvasRotate180 = "180  회전";
inline constexpr const char* kCmdLayerRotateRight = "90   시계방향";
inline constexpr const char* kCmdLayerRotateLeft = "90   반시계방향";
inline constexpr const char* kCmdLayerRotate180 = "레이어 180  회전";
inline constexpr const char* kCmdFreeRotate = "자유회전";
inline constexpr const char* kCmdScale = "크기";
inline constexpr const char* kCmdDistort = "뒤틀림";
inline constexpr const char* kCmdPerspective = "원근감";
inline constexpr const char* kCmdResizePicture = "그림크기조정";
inline constexpr const char* kCmdCanvasSize = "캔버스 크기 늘리기";
inline constexpr const char* kCmdStretch = "늘리고쭈구리기";
inline constexpr const char* kCmdEllipse = "타원변형";
inline constexpr const char* kCmdRgbChannels = "RGB구분";
inline constexpr const char* kCmdYuvSplit = "YUV구분";
inline constexpr const char* kCmdHslSplit = "HSL구분";
inline constexpr const char* kCmdColourRange = "색상범위지정 선택";
inline constexpr const char* kCmdGradient = "그라디언트";

// Undo step names.
inline constexpr const char* kStepCanvasFlipLeftRight = "수평제비회전";
inline constexpr const char* kStepCanvasFlipTopBottom = "수직제비회전";
inline constexpr const char* kStepLayerFlipLeftRight = "레이어 수평제비회전";
inline constexpr const char* kStepLayerFlipTopBottom = "레이어 수직제비회전";
inline constexpr const char* kStepMirror = "거울변환";
inline constexpr const char* kStepCanvasRotateRight = "캔버스 90 우회전";
inline constexpr const char* kStepCanvasRotateLeft = "캔버스 90 좌회전";
inline constexpr const char* kStepCanvasRotate180 = "캔버스 180 회전";
inline constexpr const char* kStepLayerRotateRight = "레이어 90 우회전";
inline constexpr const char* kStepLayerRotateLeft = "레이어 90 좌회전";
inline constexpr const char* kStepLayerRotate180 = "레이어 180 회전";
inline constexpr const char* kStepFreeRotate = "자유회전";
inline constexpr const char* kStepStretch = "늘리고쭈구리기";
inline constexpr const char* kStepFreeTransform = "자유변환";
inline constexpr const char* kStepFreeTransformPerspective = "자유변환(원근)";
inline constexpr const char* kStepImageSize = "이미지크기";
inline constexpr const char* kStepCanvasSize = "캔버스크기조정";
inline constexpr const char* kStepEllipse = "Ellipse transform";
inline constexpr const char* kStepGradient = "그라디언트";

// Messages.
inline constexpr const char* kCanvasHasTextLayer =
    "[글]레이어가 포함되어 있습니다. [레스터 형식 변환] 후 다시 실행하십시요.";
inline constexpr const char* kLayerIsTextLayer = "[글]레이어 입니다. [레스터 형식 변환] 후 다시 실행하십시요.";
inline constexpr const char* kFreeTransformDegenerate =
    "네 꼭짓점이 만드는 사각형으로는 변형할 수 없습니다. 꼭짓점을 옮긴 후 다시 실행하십시요.";
inline constexpr const char* kTransformTooLarge = "변형 결과가 너무 커서 실행할 수 없습니다.";
inline constexpr const char* kGradientNeedsDrag = "클릭이 아닌 드래깅으로 기준선을 먼저 잡으세요";

// Panels and dialogs.
inline constexpr const char* kPanelScale = "자유변형(크기조정)";
inline constexpr const char* kPanelDistort = "자유변형(왜곡)";
inline constexpr const char* kPanelPerspective = "자유변형(원근)";
inline constexpr const char* kImageSizeWidth = "너비";
inline constexpr const char* kImageSizeHeight = "높이";
inline constexpr const char* kImageSizePixels = "픽셀";
inline constexpr const char* kImageSizePercent = "퍼센트";
inline constexpr const char* kCanvasSizeCurrent = "(%d x %d)";  // width, height
inline constexpr const char* kCanvasSizeAnchor = "확장방향";

// Channel views.
inline constexpr const char* kYChannelTitle = "Y Channel %d from %s";
inline constexpr const char* kUChannelTitle = "U Channel %d from %s";
inline constexpr const char* kVChannelTitle = "V Channel %d from %s";
inline constexpr const char* kHueChannelTitle = "Hue Channel %d from %s";
inline constexpr const char* kSaturationChannelTitle = "Saturation Channel %d from %s";
inline constexpr const char* kLightnessChannelTitle = "Lightness Channel %d from %s";
inline constexpr const char* kChannelViewerTitle = "RGB 채널보기";
inline constexpr const char* kRgbHeading = "RGB 표현";
inline constexpr const char* kYuvHeading = "YUV 표현";
inline constexpr const char* kHslHeading = "HSL 표현";
inline constexpr const char* kRgbLabels[3] = {"빨강(R)", "초록(G)", "파랑(B)"};
inline constexpr const char* kYuvLabels[3] = {"Y-시그널", "U-시그널", "V-시그널"};
inline constexpr const char* kHslLabels[3] = {"색상(H)", "채도(S)", "밝기(L)"};

// Colour range panel.
inline constexpr const char* kColourRangeTitle = " 색상범위 영역지정";
inline constexpr const char* kToleranceScale = "0     허용정도   255";
inline constexpr const char* kPixelCountLabel = "픽셀수";
inline constexpr const char* kShownColourLabel = "표시색상";
inline constexpr const char* kPickedColourLabel = "선택색상";
inline constexpr const char* kExtractReplace = "색상추출";
inline constexpr const char* kExtractAdd = "색상추출더하기";
inline constexpr const char* kPixelCountFormat = "픽셀수 %d   (%.2f)%s           ";  // count, percent, "%"

// Gradient panel.
inline constexpr const char* kGradientHint = "마우스드래깅으로 방향을 지정하세요";
inline constexpr const char* kGradientForeground = "전경";
inline constexpr const char* kGradientForegroundBackground = "전경+배경";
inline constexpr const char* kGradientLinear = "선형변화";
inline constexpr const char* kGradientMirrored = "정규변화";

}  // namespace quillory::texts
