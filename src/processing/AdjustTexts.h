#pragma once
// Texts of the colour adjustments: menu texts, undo step names, dialog labels.
namespace quillory::texts {

// Menu texts of the commands.
inline constexpr const char* kMenuBrightnessContrast = "명도·대비";
inline constexpr const char* kMenuRgbAdjust = "RGB색상조정";
inline constexpr const char* kMenuLevels = "픽셀분포조정";
inline constexpr const char* kMenuAutoColour = "자동색상조정";
inline constexpr const char* kMenuInvert = "반전변환";
inline constexpr const char* kMenuDesaturateLayer = "레이어 채도 감소";
inline constexpr const char* kMenuGreyScale = "그레이스케일 표현";
inline constexpr const char* kMenuBinary = "이진영상 으로";
inline constexpr const char* kMenuAutoExposure = "자동측정기준";

// The automatic exposure of the measured picture.
inline constexpr const char* kNoMeasurePicture = "측정영상레이어를 발견할 수 없습니다.";
inline constexpr const char* kTooDarkPicture = "Too Dark Image. (Current Gray %d)";

// Undo step names.
inline constexpr const char* kStepBrightnessContrast = "명도·대비 조절";
inline constexpr const char* kStepColourAdjust = "색상조정";
inline constexpr const char* kStepAutoColour = "자동 색상 조정";
inline constexpr const char* kStepAutoExposure = "자동측정기준";
inline constexpr const char* kStepInvert = "반전변환";
inline constexpr const char* kStepDesaturateLayer = "레이어 채도 감소";
inline constexpr const char* kStepGreyScale = "그레이스케일 변환";
inline constexpr const char* kStepBinary = "임계치변환";

// The binary conversion in the filter dialog: its filter name, methods and slider labels.
inline constexpr const char* kBinaryFilterName = "임계치변환";
inline constexpr const char* kMethodErrorDiffusion = "FS 디더링";
inline constexpr const char* kMethodOrderedDither = "OR 디더링";
inline constexpr const char* kMethodAbsolute = "절대변환";
inline constexpr const char* kLabelDensity = "농도조절";
inline constexpr const char* kLabelBinaryThreshold = "이진임계치";

// Brightness and contrast dialog.
inline constexpr const char* kLabelBrightness = "명도";
inline constexpr const char* kLabelContrast = "대비";
inline constexpr const char* kScaleBrightnessContrast = "-255           0         +255";

// Colour dialog.
inline constexpr const char* kRadioRgbAdjust = "RGB조정";
inline constexpr const char* kRadioHslAdjust = "HSL조정";
inline constexpr const char* kLabelRed = "빨강(R)";
inline constexpr const char* kLabelGreen = "녹색(G)";
inline constexpr const char* kLabelBlue = "청색(B)";
inline constexpr const char* kScaleChannelShift = "-99          0         +99";

// Levels dialog.
inline constexpr const char* kRadioAll = "RGB";
inline constexpr const char* kRadioRed = "R";
inline constexpr const char* kRadioGreen = "G";
inline constexpr const char* kRadioBlue = "B";
inline constexpr const char* kLabelLargestCount = "최대도수";
inline constexpr const char* kLabelLevelRange = "명암범위";
inline constexpr const char* kLevelRangeFormat = "%d ~ %d";

}  // namespace quillory::texts
