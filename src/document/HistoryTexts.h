#pragma once
// Texts of the undo history, the snapshot slots and the layer shadow effect,
// shared by code and tests.
namespace quillory::texts {

// Commands.
inline constexpr const char* kCmdTextUndo = "실행취소\tCtrl+Z";
inline constexpr const char* kCmdTextRedo = "실행반복\tCtrl+Y";
inline constexpr const char* kUndoButton = "(Undo) 뒤로 회복";
inline constexpr const char* kRedoButton = "(Redo) 앞으로 회복";

// Step names that restart the history.
inline constexpr const char* kStepInitialState = "initial state";

// History list rows: step index, colour text, step name.
inline constexpr const char* kHistoryRowFormat = "%3d %4s %13s";
inline constexpr const char* kHistoryColourFormat = "%d 칼라";
inline constexpr const char* kHistoryOpeningName = "(처음영상)";
inline constexpr const char* kHistoryEmptyRow = "   0  (처음상태)";

// Failures of the history's files.
inline constexpr const char* kUndoReadFailed = "실행취소 정보를 읽을 수 없어 되돌리지 못했습니다.";
inline constexpr const char* kUndoWriteFailed = "실행취소 정보를 저장하지 못했습니다.";
inline constexpr const char* kTempFolderFailed = "임시 폴더를 만들 수 없습니다.";

// Layer shadow effect.
inline constexpr const char* kCmdTextLayerEffect = "레이어효과";
inline constexpr const char* kStepLayerEffect = "레이어효과(그림자)";
inline constexpr const char* kEffectSizeLabel = "효과크기";
inline constexpr const char* kShadowColourLabel = "그림자색상";
inline constexpr const char* kShadowOnlyLabel = "투명그림자 효과";
inline constexpr const char* kRemoveEffectLabel = "레이어 효과 제거";
inline constexpr const char* kEffectSliderLabel = "0 2 4 6 8 10";

}  // namespace quillory::texts
