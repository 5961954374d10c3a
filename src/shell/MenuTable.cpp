#include "shell/MenuTable.h"

#include "core/CommandIds.h"

namespace quillory {

namespace {

MenuItem Item(int id, const char* label) { return MenuItem{id, label, {}, false}; }
MenuItem Separator() { return MenuItem{0, "", {}, false}; }
MenuItem Sub(const char* label, std::vector<MenuItem> children) { return MenuItem{-1, label, std::move(children), false}; }

MenuBar BuildMainMenu() {
    using namespace cmd;
    MenuBar bar;
    MenuItem recent = Item(kFileMru1, "최근 파일");
    recent.recentFiles = true;
    bar.menus = {
        Sub("파일(&F)", {Item(kFileNew, "새파일(&N)"), Item(kFileOpen, "열기(&O)"),
                         Item(kFileClose, "닫기(&C)"), Item(kFileSave, "저장하기(&S)"),
                         Item(kFileSaveAs, "새이름으로(&A)"), Separator(),
                         Item(kSelectSource, "외부장치 선택..."), Item(kAcquire, "외부영상 입력 "),
                         Item(kScreenCapture, "Capture..."), Separator(),
                         Item(kFilePrint, "인쇄(&P)...\tCtrl+P"), Item(kFilePrintSetup, "인쇄 설정(&R)..."),
                         Separator(), Item(kEnvironment, "환경설정"), Separator(), recent, Separator(),
                         Item(kAppExit, "종료(&x)")}),
        Sub("편집(&E)", {Item(kEditUndo, "실행취소\tCtrl+Z"), Item(kEditRedo, "실행반복\tCtrl+Y"),
                         Separator(), Item(kEditCut, "자르기(&t)\tCtrl+X"), Item(kEditCopy, "복사\tCtrl+C"),
                         Item(kEditPaste, "붙이기\tCtrl+V"), Separator(),
                         Item(kCropToNew, "잘라서새로만들기")}),
        Sub("그리기", {Item(kToolDrop, "물방울"), Item(kToolBrush, "붓 그리기"), Item(kToolLine, "선분"),
                       Item(kToolCircle, "원 그리기"), Item(kToolPolyline, "다각선"), Item(kToolSpray, "스프레이"),
                       Item(kToolEraser, "지우개"), Item(kToolFill, "채우기")}),
        Sub("영상(&I)", {Item(kBrightnessContrast, "명도·대비"), Item(kRgbAdjust, "RGB색상조정"),
                         Item(kLevels, "픽셀분포조정"), Item(kAutoColour, "자동색상조정"), Separator(),
                         Item(kInvert, "반전변환"), Item(kDesaturateLayer, "레이어 채도 감소"), Separator(),
                         Item(kGreyScale, "그레이스케일 표현"), Item(kRgbColour, "RGB컬러 표현"),
                         Item(kBinary, "이진영상 으로"), Item(kEightBitColour, "8 비트 컬러 표현"), Separator(),
                         Item(kRgbChannels, "RGB구분"), Item(kYuvSplit, "YUV구분"), Item(kHslSplit, "HSL구분")}),
        Sub("필터링(&F)", {Item(kSharpen, "강조"), Item(kBlur, "흐리게"), Item(kErode, "물체축소"),
                           Item(kDilate, "물체확장"), Item(kSoften, "부드럽게"), Item(kContour, "윤곽선"),
                           Separator(), Item(kStamp, "찍어붙이기"), Item(kConfetti, "색종이뿌리기"),
                           Item(kLineColouring, "선효과채색"), Item(kWatercolour, "수채화"),
                           Item(kDenoise, "잡영제거"), Item(kEdgeEnhance, "경계강조"), Item(kAreaExpand, "영역확장"),
                           Item(kDropColouring, "방울채색"), Item(kOilPaint, "유화"), Item(kHanji, "한지효과"),
                           Item(kRaindrops, "빗방울"), Item(kFrostedGlass, "유리성에"), Item(kDalmatian, "달마시안"),
                           Item(kEmboss, "엠보스")}),
        Sub("레이어(&L)", {Item(kLayerAdd, "레이어추가"), Item(kLayerDelete, "레이어삭제"),
                           Item(kLayerDuplicate, "복제 레이어 만들기"), Separator(), Item(kLayerFlatten, "떡그림만들기"),
                           Item(kLayerMergeDown, "아래쪽 레이어로  합치기"), Item(kLayerMergeUp, "위쪽 레이어로 합치기"),
                           Separator(), Item(kLayerEffect, "레이어효과"),
                           Item(kLayerToRaster, "레스터 형식으로 변환")}),
        Sub("영역선택(&S)", {Item(kToolMove, "이동"), Separator(), Item(kToolRectSelect, "사각선택"),
                             Item(kToolPolygonSelect, "다각형선택"), Item(kToolFreeSelect, "자유선택"),
                             Item(kToolMagicWand, "자동선택"), Item(kColourRangeSelect, "색상범위지정 선택"),
                             Separator(), Item(kSelectAll, "모두 선택\tCtrl+A"),
                             Item(kSelectInvert, "선택반전"), Item(kDeselect, "선택/명령 해제\tCtrl+D")}),
        Sub("변형 및 꾸미기",
            {Item(kResizePicture, "그림크기조정"), Separator(),
             Sub("레이어 회전", {Item(kToolFreeRotate, "자유회전"), Item(kLayerRotateRight, "90   시계방향"),
                                 Item(kLayerRotateLeft, "90   반시계방향"), Item(kLayerRotate180, "180  회전"),
                                 Item(kLayerFlipTopBottom, "수직제비회전"), Item(kLayerFlipLeftRight, "수평제비회전")}),
             Sub("캔버스 회전", {Item(kCanvasRotateRight, " 90  시계방향"), Item(kCanvasRotateLeft, " 90  반시계방향"),
                                 Item(kCanvasRotate180, "180  회전"), Item(kCanvasFlipTopBottom, "수직제비회전"),
                                 Item(kCanvasFlipLeftRight, "수평제비회전")}),
             Sub("자유변형", {Item(kToolScale, "크기"), Item(kToolSkew, "뒤틀림"), Item(kToolPerspective, "원근감"),
                              Separator(), Item(kEllipseTransform, "타원변형")}),
             Separator(), Item(kCalendar, "달력 넣기"), Item(kPictureFrame, "사진틀 넣기"),
             Item(kToolGradient, "그라디언트"), Separator(), Item(kCanvasSize, "캔버스 크기 늘리기"),
             Item(kStretchSquash, "늘리고쭈구리기")}),
        Sub("보기(&V)", {Item(kLayerWindow, "레이어 창"), Item(kQuickEditWindow, "포토 간편 편집 창"), Separator(),
                         Item(kFitToWindow, "늘여보기(&e)"), Item(kZoomIn, "확대\tCtrl++"),
                         Item(kZoomOut, "축소\tCtrl--"), Item(kActualSize, "(1:1)보기 \tCtrl + 1"), Separator(),
                         Item(kGrid, "격자보기")}),
        Sub("윈도우(&W)", {Item(kDuplicateDocument, "복제"), Item(kWindowNew, "새 창(&N)"),
                           Item(kWindowCascade, "계단식 배열(&C)"), Item(kWindowTile, "바둑판식 배열(&T)"),
                           Item(kCloseAll, "모두닫기")}),
        Sub("도움말(&H)", {Item(kAppAbout, "'Quillory'에 관하여(&A)..."), Item(kWebSite, "'Quillory' 웹사이트 연결")}),
    };
    return bar;
}

}  // namespace

const MenuBar& MainMenu() {
    static const MenuBar bar = BuildMainMenu();
    return bar;
}

const MenuItem& CanvasContextMenu() {
    using namespace cmd;
    static const MenuItem menu =
        Sub("2051", {Item(kZoomIn, "확대"), Item(kZoomOut, "축소"), Separator(), Item(kDeselect, "선택/명령 해제"),
                     Separator(), Item(kEditCopy, "복사"), Item(kEditPaste, "붙이기"), Separator(),
                     Item(kEditUndo, "실행취소"), Item(kEditRedo, "실행반복")});
    return menu;
}

const MenuItem& MeasureContextMenu() {
    using namespace cmd;
    static const MenuItem menu =
        Sub("3185", {Item(kMeasureContinuousOff, "벡터 연속 측정 해제"), Item(kDeselect, "영역 선택 해제"),
                     Separator(), Item(kMeasureEditUndo, "벡터 편집 취소"), Item(kMeasureEditRedo, "벡터 편집 반복"),
                     Separator(), Item(kZoomIn, "확대"), Item(kZoomOut, "축소"), Separator(),
                     Item(kAnalysisSettings, "분석 환경 설정"), Separator(), Item(kEditCopy, "영역복사"),
                     Item(kEditPaste, "영역붙이기")});
    return menu;
}

const MenuItem& LayerContextMenu() {
    using namespace cmd;
    static const MenuItem menu =
        Sub("4004", {Item(kEditCopy, "복사"), Item(kEditPaste, "붙이기"), Separator(),
                     Item(kLayerDuplicate, "복제 레이어 만들기"), Item(kLayerDelete, "레이어삭제"),
                     Item(kLayerAdd, "레이어추가"), Item(kLayerRename, "레이어 이름 변경"), Separator(),
                     Item(kLayerFlatten, "떡그림만들기"), Item(kLayerToRaster, "레스터 형식으로 변환")});
    return menu;
}

const std::vector<Accelerator>& Accelerators() {
    using namespace cmd;
    static const std::vector<Accelerator> table = {
        {"Ctrl+Shift+E", kCtrlShiftE}, {"Ctrl+C", kEditCopy},       {"Ctrl+Ins", kEditCopy},
        {"Del", kEditCut},             {"Ctrl+X", kEditCut},        {"Ctrl+V", kEditPaste},
        {"Ctrl+Y", kEditRedo},         {"Ctrl+Z", kEditUndo},       {"Ctrl+N", kFileNew},
        {"Ctrl+O", kFileOpen},         {"Ctrl+P", kFilePrint},      {"Ctrl+S", kFileSave},
        {"Ctrl+Shift+S", kFileSaveAs}, {"Ctrl+Shift+L", kLayerEffect}, {"Ctrl+D", kDeselect},
        {"Ctrl+A", kSelectAll},
        // Ctrl++ is what the menu shows: Ctrl+Shift+= on most keyboards, and the keypad's +.
        {"Ctrl+1", kActualSize},       {"Ctrl+=", kZoomIn},         {"Ctrl++", kZoomIn},
        {"Ctrl+-", kZoomOut},
    };
    return table;
}

namespace {

const char* FindLabel(const MenuItem& item, int id) {
    if (item.id == id && !item.recentFiles) return item.label;
    for (const MenuItem& child : item.children)
        if (const char* label = FindLabel(child, id)) return label;
    return nullptr;
}

void Collect(const MenuItem& item, std::vector<int>& ids) {
    if (item.id > 0 && !item.recentFiles) ids.push_back(item.id);
    for (const MenuItem& child : item.children) Collect(child, ids);
}

}  // namespace

std::string CommandLabel(int id) {
    for (const MenuItem& menu : MainMenu().menus)
        if (const char* label = FindLabel(menu, id)) return label;
    for (const MenuItem* menu : {&CanvasContextMenu(), &MeasureContextMenu(), &LayerContextMenu()})
        if (const char* label = FindLabel(*menu, id)) return label;
    return {};
}

std::vector<int> MainMenuCommands() {
    std::vector<int> ids;
    for (const MenuItem& menu : MainMenu().menus) Collect(menu, ids);
    return ids;
}

}  // namespace quillory
