#pragma once
// Texts of the editor's windows, menus and dialogs, shared by code and tests. The
// document's own texts (save question, new-picture dialog lists) are in document/DocumentTexts.h.
namespace quillory::shelltexts {

inline constexpr const char* kAppTitle = "Quillory 3.72";
inline constexpr const char* kUpdateCheckTitle = "[인터넷] 연결하여 업데이트 여부 확인...";
inline constexpr const char* kSettingsKey = "Quillory Applications";
inline constexpr const char* kProfileSection = "General";
inline constexpr const char* kStatusMouse = "mainframe (%d %d)";
inline constexpr const char* kStatusReady = "준비";

// The new-picture dialog.
inline constexpr const char* kNewImageWidth = "가로";
inline constexpr const char* kNewImageHeight = "세로";
inline constexpr const char* kNewImageName = "이름";

// The layer window.
inline constexpr const char* kLayerWindowTitle = "레이어.작업내역";
inline constexpr const char* kLayerTab = "레이어";
inline constexpr const char* kHistoryTab = "작업내역";
inline constexpr const char* kHistoryUndo = "(Undo) 뒤로 회복";
inline constexpr const char* kHistoryRedo = "(Redo) 앞으로 회복";
inline constexpr const char* kLayerChangedMark = "*";
inline constexpr const char* kLayerTransparency = "투명도";
inline constexpr const char* kRenameLayerTitle = "레이어 이름 변경";
inline constexpr const char* kQuickEditTitle = "포토 간편 편집 창";
inline constexpr const char* kMeasureToolsTitle = "測定道具";

// The quick-edit window: its groups and one-click fixes.
inline constexpr const char* kQuickColourGroup = "색상";
inline constexpr const char* kQuickEffectGroup = "효과";
inline constexpr const char* kQuickTurnGroup = "방향";
inline constexpr const char* kQuickAutoColour = "자동 색상";
inline constexpr const char* kQuickBrighter = "밝게";
inline constexpr const char* kQuickDarker = "어둡게";
inline constexpr const char* kQuickMoreContrast = "대비 강하게";
inline constexpr const char* kQuickLessContrast = "대비 약하게";
inline constexpr const char* kQuickBrightnessDialog = "명도·대비...";
inline constexpr const char* kQuickSharpen = "선명하게";
inline constexpr const char* kQuickGreyScale = "흑백";
inline constexpr const char* kQuickInvert = "반전";
inline constexpr const char* kQuickTurnRight = "오른쪽으로 90°";
inline constexpr const char* kQuickTurnLeft = "왼쪽으로 90°";
inline constexpr const char* kQuickFlipLeftRight = "좌우 뒤집기";
inline constexpr const char* kQuickFlipTopBottom = "상하 뒤집기";

// Tool bars.
inline constexpr const char* kMainToolBar = "도구";
inline constexpr const char* kColourBar = "색상";
inline constexpr const char* kFilterBar = "필터";
inline constexpr const char* kForeground = "전경색";
inline constexpr const char* kBackground = "배경색";
inline constexpr const char* kBrushSize = "붓 크기";

// The environment dialog.
inline constexpr const char* kEnvironmentTitle = "환경설정";
inline constexpr const char* kEnvGridSpacing = "격자 간격";
inline constexpr const char* kEnvGridColour = "격자 색";
inline constexpr const char* kEnvCursor = "커서 모양";
inline constexpr const char* kEnvPointStyle = "점 표시 모양";
inline constexpr const char* kEnvTransparency = "투명 부분 표시";
inline constexpr const char* kEnvOpenAtStart = "시작할 때 열기 창";
inline constexpr const char* kEnvCheckUpdates = "시작할 때 업데이트 확인";
inline constexpr const char* kEnvNoUpdateCheck = "이 판에는 업데이트 확인 기능이 없습니다.";
// Cursor kinds 0 to 4 (0 and any other value: cross-hair).
inline constexpr const char* kCursorNames[] = {"십자", "화살표", "위쪽 화살표", "프로그램 커서", "글자 커서"};

// The layer effect dialog.
inline constexpr const char* kEffectSize = "효과크기";
inline constexpr const char* kEffectColour = "그림자색상";
inline constexpr const char* kEffectSliderScale = "0 2 4 6 8 10";

// Tool-bar buttons without a menu item: the status-line text, a line break, the tool tip.
inline constexpr const char* kToolDotTip = "점을 찍듯이 칠하기\n점찍기";
inline constexpr const char* kToolColourPickerTip = "픽셀의 색상을 추출합니다\n색상추출";
inline constexpr const char* kToolTextTip = "글자입력";

// The main frame's title with the active picture: program name, " - ", the picture's title.
inline constexpr const char* kFrameTitleFormat = "%1 - %2";
// A child window's title when its picture has more than one window: the picture's title, ":", the number.
inline constexpr const char* kChildTitleFormat = "%1:%2";
// The settings files could not be written; the file name and the reason follow on the next line.
inline constexpr const char* kSettingsNotSaved = "환경설정 파일을 저장하지 못했습니다.";
// A save or export failed: "[file] ...", then the reason on the next line.
inline constexpr const char* kSaveFailedFormat = "[%1] 파일을 저장하지 못했습니다.";
inline constexpr const char* kSaveFailedReason = "파일을 쓸 수 없습니다.";
// The desktop has no program that opens the file: "[file] ...", then what the opener said.
inline constexpr const char* kOpenWithFailedFormat = "[%1] 파일을 여는 프로그램을 실행 할 수 없습니다.";

inline constexpr const char* kAboutText = "Quillory 3.72";
inline constexpr const char* kPreviewTitle = "미리보기";

}  // namespace quillory::shelltexts
