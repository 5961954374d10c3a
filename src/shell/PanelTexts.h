#pragma once
// Texts of the transform, channel, colour-range and gradient windows that the
// document's text table does not hold, shared by code and tests.
namespace quillory::shelltexts {

inline constexpr const char* kImageSizeTitle = "그림크기조정";
inline constexpr const char* kCanvasSizeTitle = "캔버스 크기 늘리기";
inline constexpr const char* kRotatePanelTitle = "자유회전";
inline constexpr const char* kRotateAngle = "회전각도";
inline constexpr const char* kRotateHint = "그림 위에서 마우스를 끌어 돌리세요";
inline constexpr const char* kStretchPanelTitle = "늘리고쭈구리기";
inline constexpr const char* kStretchHint = "그림 위에서 마우스를 끌어 늘리거나 줄이세요";
inline constexpr const char* kFreeTransformHint = "모서리 점을 끌어 옮기고, 두 번 누르거나 [적용]을 누르세요";
inline constexpr const char* kEllipseHint =
    "타원변형: 상자의 점을 끌어 크기를, 안쪽을 끌어 자리를 맞추고 Enter(또는 두 번 누르기)로 적용, Esc로 취소합니다";
inline constexpr const char* kApply = "적용";
inline constexpr const char* kOk = "확인";
inline constexpr const char* kCancel = "취소";
inline constexpr const char* kChannelModeRgb = "RGB";
inline constexpr const char* kChannelModeYuv = "YUV";
inline constexpr const char* kChannelModeHsl = "HSL";

}  // namespace quillory::shelltexts
