#pragma once
// Texts of the decorations (calendar, picture frame, text) and of the picture
// sources (scanner, screen capture), shared by code and tests.
namespace quillory::texts {

// Calendar.
inline constexpr const char* kCmdCalendar = "달력 넣기";
inline constexpr const char* kStepCalendar = "[달력]";
// printf format with the month.
inline constexpr const char* kCalendarLayerFormat = " [달력]%2d월";
// printf format with the year and the month.
inline constexpr const char* kCalendarTitleFormat = "\r\n        %4d년 %2d월 \r\n";
inline constexpr const char* kCalendarWeekdayLine = "\r\n    일 월 화 수 목 금 토\r\n";
inline constexpr const char* kCalendarWeekdayNames[7] = {"일", "월", "화", "수", "목", "금", "토"};
inline constexpr const char* kCalendarHint = "[확인] 후, 툴바의 이동 도구로 달력의 위치를 조정함";
inline constexpr const char* kCalendarPreviewFace = "굴림체";
inline constexpr const char* kCalendarYear = "년";
inline constexpr const char* kCalendarMonth = "월";
inline constexpr const char* kCalendarBadDate = "달력의 연도와 월을 확인하세요. (1 ~ 9999년, 1 ~ 12월)";
inline constexpr const char* kCalendarBadSize = "달력의 글자 크기를 확인하세요. (0 ~ 500)";

// Font choices of the calendar and the text dialogs.
inline constexpr const char* kStyleRegular = "Regular";
inline constexpr const char* kStyleBold = "Bold";
inline constexpr const char* kStyleItalic = "Italic";
inline constexpr const char* kStyleBoldItalic = "Bold Italic";
inline constexpr const char* kFontSizeLabel = "글자크기";
inline constexpr const char* kFontStyleLabel = "글자모양";
inline constexpr const char* kFontFaceLabel = "글꼴";
inline constexpr const char* kColourLabel = "색상";

// Picture frame.
inline constexpr const char* kCmdPictureFrame = "사진틀 넣기";
inline constexpr const char* kStepPictureFrame = "사진틀 넣기";
inline constexpr const char* kFrameLayerName = "[ImgFrame]";
inline constexpr const char* kFrameButtons[4] = {"사진틀 0 선택", "사진틀 1 선택", "사진틀 2 선택", "사진틀 3 선택"};
inline constexpr const char* kFrameMainColour = "메인색상";
inline constexpr const char* kFrameSecondColour = "보조색상";
inline constexpr const char* kFrameChooseFirst = "먼저, 위 사진틀을 선택하세요";
inline constexpr const char* kFrameThickness = "두께";

// Text.
inline constexpr const char* kCmdTextInput = "글자입력";
inline constexpr const char* kStepTextInput = "글자입력";
inline constexpr const char* kStepTextEdit = "글자수정";
inline constexpr const char* kTextUnderline = "밑줄";
inline constexpr const char* kTextStrikeOut = "취소선";
inline constexpr const char* kTextPreview = "미리보기";
inline constexpr const char* kTextTooLong = "글자는 700자까지 넣을 수 있습니다.";
inline constexpr const char* kTextNotRendered = "이 글꼴로 글자를 그릴 수 없습니다.";
inline constexpr const char* kTextEntryHint = "글자입력: 입력 후 Ctrl+Enter 또는 다른 곳을 누르면 확정, Esc는 취소, 두 번 누르면 글꼴 선택";

// Scanner and screen capture.
inline constexpr const char* kCmdSelectSource = "외부장치 선택...";
inline constexpr const char* kCmdAcquire = "외부영상 입력 ";
inline constexpr const char* kCmdScreenCapture = "Capture...";
// printf formats with the running picture number.
inline constexpr const char* kScannedPictureFormat = "스캔영상_%d";
inline constexpr const char* kCapturedPictureFormat = "Captured Image %d";
inline constexpr const char* kCaptureDesktop = "Desktop";
inline constexpr const char* kNoScanner = "연결된 스캐너를 찾지 못했습니다.";
inline constexpr const char* kScanFailed = "스캐너에서 영상을 읽지 못했습니다.";
inline constexpr const char* kScanOptionsTitle = "스캐너 설정";
inline constexpr const char* kScanButton = "스캔";
inline constexpr const char* kCaptureFailed = "화면을 복사하지 못했습니다.";

}  // namespace quillory::texts
