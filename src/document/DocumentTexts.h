#pragma once
// Texts of the document and its layers, shared by code and tests.
namespace quillory::texts {

// Layer stack.
inline constexpr const char* kTooManyLayers = "레이어수 과다... 기존 레이어의 병합 혹은 제거하신 후에 다시 시도.";
inline constexpr const char* kOnlyOneLayer = "레이어가 1개 밖에 없습니다";
inline constexpr const char* kTextLayerIsCurrent = "현재는 [Text:글] 레이어. \n\r레이어창에서 다른 레이어 선택";
inline constexpr const char* kMergeTextLayer =
    "두 레이어 중 적어도 하나가 글자레이어입니다.\r\n레스터 변환 후에 병합하십시요.";
inline constexpr const char* kRgbOnly = "RGB영상만 지원합니다.";
inline constexpr const char* kTransPlaneAlloc = "CopyLayer2vwTrans::Memory Alloc";
inline constexpr const char* kImagePlaneAlloc = "CopyLayer2vwImage()::Memory Alloc";
inline constexpr const char* kConversionFailed = "변환을 성공하지 못했습니다.";
inline constexpr const char* kOnlyRasterCopied = "벡터형식이 아닌 레이어만 복사할 수 있습니다.";

// Why a command did nothing where the editor greys out its menu item (told by quillory-cli).
inline constexpr const char* kNoLayerAbove = "위에 합칠 레이어가 없습니다";
inline constexpr const char* kNoLayerBelow = "아래에 합칠 레이어가 없습니다";
inline constexpr const char* kNotTextLayer = "현재 레이어가 글자 레이어가 아닙니다";
inline constexpr const char* kNoSuchLayer = "그 번호의 레이어가 없습니다";
inline constexpr const char* kNoSelection = "선택 영역이 없습니다";
inline constexpr const char* kNothingToUndo = "되돌릴 작업이 없습니다";
inline constexpr const char* kNothingToRedo = "다시 실행할 작업이 없습니다";
inline constexpr const char* kAlreadyPalette = "이미 256 컬러 이하의 영상입니다";

// printf format with the slot index.
inline constexpr const char* kLayerNameFormat = "레이어 %d";
inline constexpr const char* kBackgroundLayerName = "배경영상";
inline constexpr const char* kTextLayerLabel = "[글]";
inline constexpr const char* kFloatingLayerLabel = "[영역 이동 표시]";
inline constexpr const char* kMeasureLayerLabel = "[측정벡터표시]";

// Blend list entries; the first is normal.
inline constexpr const char* kBlendNormal = "표준상태";
inline constexpr const char* kBlendMultiply = "곱셈혼합";
inline constexpr const char* kBlendScreen = "화면혼합";
inline constexpr const char* kBlendDarken = "어두운혼합";
inline constexpr const char* kBlendLighten = "밝은혼합";
inline constexpr const char* kBlendDifference = "차이혼합";
inline constexpr const char* kBlendInverseDifference = "역차이혼합";
inline constexpr const char* kBlendExclusion = "제외혼합";
inline constexpr const char* kBlendOverlay = "오버레이혼합";

// Commands of the stack and the document.
inline constexpr const char* kCmdTextAddLayer = "레이어추가";
inline constexpr const char* kCmdTextDeleteLayer = "레이어삭제";
inline constexpr const char* kCmdTextMergeDown = "아래쪽 레이어로  합치기";
inline constexpr const char* kCmdTextMergeUp = "위쪽 레이어로 합치기";
inline constexpr const char* kCmdTextFlatten = "떡그림만들기";
inline constexpr const char* kCmdTextDuplicateLayer = "복제 레이어 만들기";
inline constexpr const char* kCmdTextTextToRaster = "레스터 형식으로 변환";
inline constexpr const char* kCmdTextRenameLayer = "레이어 이름 변경";
inline constexpr const char* kCmdTextBlendMode = "혼합모드";
inline constexpr const char* kCmdTextTransparency = "투명도";
inline constexpr const char* kCmdTextVisibility = "보이기";
inline constexpr const char* kCmdTextReorder = "레이어순서바꾸기";

// Undo step names.
inline constexpr const char* kStepOpening = "Opening....";
inline constexpr const char* kStepAddLayer = "레이어추가";
inline constexpr const char* kStepDeleteLayer = "레이어삭제";
inline constexpr const char* kStepMerge = "레이어병합";
inline constexpr const char* kStepFlatten = "떡그림";
inline constexpr const char* kStepReorder = "레이어 위치 이동";
inline constexpr const char* kStepMoveSelection = "선택영역 위치이동";
inline constexpr const char* kStepMoveLayer = "전체영상 위치이동";
inline constexpr const char* kStepPaste = "복사물 붙이기";

// Document lifecycle.
inline constexpr const char* kPathTooLong = "그림파일명이 너무 깁니다.";
inline constexpr const char* kCannotOpenFile = "해당 파일을 열 수 없습니다.";
inline constexpr const char* kPictureIncomplete = "파일이 중간에 끊겨 있습니다. 읽은 부분까지만 열었습니다.";
inline constexpr const char* kFileDoesNotExist = "해당파일이 존재하지 않습니다.";
inline constexpr const char* kQvxVersionMismatch = "QVX 형식의 버전이 상이함";
inline constexpr const char* kSelectAreaFirst = "영역선택 후에 시도하십시요";
// printf formats: width, height, the memory needed and the limit in GB.
inline constexpr const char* kPictureNeedsTooMuchMemory =
    "그림이 너무 커서 열 수 없습니다: %lld × %lld 그림을 열려면 메모리가 약 %.1f GB 필요합니다 (한도 %.1f GB).";
// printf format: the memory needed and the limit in GB.
inline constexpr const char* kDocumentNeedsTooMuchMemory =
    "문서가 너무 커서 열 수 없습니다: 메모리가 약 %.1f GB 필요합니다 (한도 %.1f GB).";
inline constexpr const char* kAskSaveFormat = "[%s] 파일을 저장하시겠습니까?";  // picture name
inline constexpr const char* kUntitledPicture = "이름없음";
inline constexpr const char* kUntitledSaveName = "UntitledImage";
inline constexpr const char* kSavePromptTitle = "이미지 저장";
inline constexpr const char* kDuplicateNameFormat = "복사%d_%s";  // running number, source name
inline constexpr const char* kSaveStatusFormat = "  %dx%dx%d ";   // width, height, bits per pixel

// New-picture dialog.
inline constexpr const char* kNewPictureTitle = "   새창열기";
inline constexpr const char* kBackgroundLabel = "초기내용";
inline constexpr const char* kBackgroundWhite = "흰색배경창";
inline constexpr const char* kBackgroundTransparent = "투명배경창";
inline constexpr const char* kBackgroundColour = "배경색지정창";
inline constexpr const char* kPictureTypeLabel = "영상형식";
inline constexpr const char* kPictureTypeRgb = "RGB칼라";

}  // namespace quillory::texts
