#pragma once
// Texts of the painting and selection tools and the clipboard commands: undo
// step names, slider labels and messages (UTF-8).
namespace quillory::texts {

// Undo steps of the painting tools.
inline constexpr const char* kStepBrush = "붓그리기";
inline constexpr const char* kStepErase = "영역지우기";
inline constexpr const char* kStepLine = "선그리기";
inline constexpr const char* kStepPolyline = "다각형그리기";
inline constexpr const char* kStepCircle = "원 그리기";
inline constexpr const char* kStepDot = "점찍기";
inline constexpr const char* kStepSpray = "스프레이";
inline constexpr const char* kStepDrop = "물방울";
inline constexpr const char* kStepFill = "채우기";
inline constexpr const char* kStepCut = "자르기";
inline constexpr const char* kStepStrokePath = "경로 그리기";

// The two tool sliders of the main frame's bar.
inline constexpr const char* kSliderSpread = "퍼짐정도";
inline constexpr const char* kSliderTolerance = "포함한계치";
inline constexpr const char* kSliderEdgeSpread = "경계퍼짐";
inline constexpr const char* kSoftBrush = "부드러운 붓";

// Command names.
inline constexpr const char* kCmdPathPanel = "경로설정";
inline constexpr const char* kCmdInvertSelection = "선택반전";
inline constexpr const char* kCmdDeselect = "선택/명령 해제";
inline constexpr const char* kCmdSelectAll = "모두 선택";
inline constexpr const char* kCmdCopy = "복사";
inline constexpr const char* kCmdCut = "자르기";
inline constexpr const char* kCmdPaste = "붙이기";

// The guide-point path.
inline constexpr const char* kPathNeedsMorePoints = "안내 점이 더 필요합니다.";
inline constexpr const char* kPathNotClosed = "경로가 닫혀 있지 않습니다.";
inline constexpr const char* kPathTooManyPoints = "경로 설정에 사용된 안내점이 너무 많습니다.";
inline constexpr const char* kPathRemoveFinished = "현재 완성된 경로를 제거하시겠습니까?";
inline constexpr const char* kPathRemoveWork = "작업한 경로를 제거하시겠습니까?";
inline constexpr const char* kPathPanelTitle = "경로설정";
inline constexpr const char* kPathAddButton = "점 추가";
inline constexpr const char* kPathDragButton = "점 옮기기";
inline constexpr const char* kPathInsertButton = "점 끼우기";
inline constexpr const char* kPathDeleteButton = "점 지우기";
inline constexpr const char* kPathMoveButton = "경로 옮기기";
inline constexpr const char* kPathSelectButton = "선택영역으로";
inline constexpr const char* kPathStrokeButton = "붓으로 그리기";
inline constexpr const char* kPathNotOnText = "Text레이어가 아닌 다른 레이어를 선택하시고 진행하십시요";

}  // namespace quillory::texts
