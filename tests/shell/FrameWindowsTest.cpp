// The main frame as a user meets it: the menu labels of every command, the titles of
// the frame and its dialogs, the windows of a picture, the recent files, saving under
// a new name, the open and save dialogs in Korean, printing and the tool bars.
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileSystemModel>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

#include <csignal>
#include <fstream>
#include <map>

#include "core/AtomicFile.h"
#include "core/CommandIds.h"
#include "core/CoreTexts.h"
#include "document/CVandDoc.h"
#include "shell/CDlg_AnchorLine.h"
#include "shell/CDlg_GradientBucket.h"
#include "shell/CDlg_Layer.h"
#include "shell/CDlg_LayerEffect.h"
#include "shell/DlgBar_Thrs.h"
#include "shell/Dlg_QvxFile.h"
#include "shell/EnvSettings.h"
#include "shell/PanelCommands.h"
#include "shell/ShellTexts.h"
#include "shell/ToolCommands.h"
#include "shell/TransformPanels.h"
#include "view/ViewTool.h"
#include "EditorFixture.h"
#include "ModalAnswer.h"
#include "ShellTestMain.h"

using namespace quillory;
using namespace quillory::test;

namespace {

// Every item of the main menu with its label, by command id.
const std::map<int, const char*>& MenuLabels() {
    using namespace cmd;
    static const std::map<int, const char*> labels = {
        // File
        {kFileNew, "새파일(&N)"}, {kFileOpen, "열기(&O)"}, {kFileClose, "닫기(&C)"}, {kFileSave, "저장하기(&S)"},
        {kFileSaveAs, "새이름으로(&A)"}, {kSelectSource, "외부장치 선택..."}, {kAcquire, "외부영상 입력 "},
        {kScreenCapture, "Capture..."},
        {kFilePrint, "인쇄(&P)...\tCtrl+P"}, {kFilePrintSetup, "인쇄 설정(&R)..."}, {kEnvironment, "환경설정"},
        {kAppExit, "종료(&x)"},
        // Edit
        {kEditUndo, "실행취소\tCtrl+Z"}, {kEditRedo, "실행반복\tCtrl+Y"}, {kEditCut, "자르기(&t)\tCtrl+X"},
        {kEditCopy, "복사\tCtrl+C"}, {kEditPaste, "붙이기\tCtrl+V"}, {kCropToNew, "잘라서새로만들기"},
        // Drawing
        {kToolDrop, "물방울"}, {kToolBrush, "붓 그리기"}, {kToolLine, "선분"}, {kToolCircle, "원 그리기"},
        {kToolPolyline, "다각선"}, {kToolSpray, "스프레이"}, {kToolEraser, "지우개"}, {kToolFill, "채우기"},
        // Image
        {kBrightnessContrast, "명도·대비"}, {kRgbAdjust, "RGB색상조정"}, {kLevels, "픽셀분포조정"},
        {kAutoColour, "자동색상조정"}, {kInvert, "반전변환"}, {kDesaturateLayer, "레이어 채도 감소"},
        {kGreyScale, "그레이스케일 표현"}, {kRgbColour, "RGB컬러 표현"}, {kBinary, "이진영상 으로"},
        {kEightBitColour, "8 비트 컬러 표현"}, {kRgbChannels, "RGB구분"}, {kYuvSplit, "YUV구분"}, {kHslSplit, "HSL구분"},
        // Filters
        {kSharpen, "강조"}, {kBlur, "흐리게"}, {kErode, "물체축소"}, {kDilate, "물체확장"}, {kSoften, "부드럽게"},
        {kContour, "윤곽선"}, {kStamp, "찍어붙이기"}, {kConfetti, "색종이뿌리기"}, {kLineColouring, "선효과채색"},
        {kWatercolour, "수채화"}, {kDenoise, "잡영제거"}, {kEdgeEnhance, "경계강조"}, {kAreaExpand, "영역확장"},
        {kDropColouring, "방울채색"}, {kOilPaint, "유화"}, {kHanji, "한지효과"}, {kRaindrops, "빗방울"},
        {kFrostedGlass, "유리성에"}, {kDalmatian, "달마시안"}, {kEmboss, "엠보스"},
        // Layers
        {kLayerAdd, "레이어추가"}, {kLayerDelete, "레이어삭제"}, {kLayerDuplicate, "복제 레이어 만들기"},
        {kLayerFlatten, "떡그림만들기"}, {kLayerMergeDown, "아래쪽 레이어로  합치기"},
        {kLayerMergeUp, "위쪽 레이어로 합치기"}, {kLayerEffect, "레이어효과"}, {kLayerToRaster, "레스터 형식으로 변환"},
        // Selection
        {kToolMove, "이동"}, {kToolRectSelect, "사각선택"}, {kToolPolygonSelect, "다각형선택"},
        {kToolFreeSelect, "자유선택"}, {kToolMagicWand, "자동선택"}, {kColourRangeSelect, "색상범위지정 선택"},
        {kSelectInvert, "선택반전"}, {kSelectAll, "모두 선택\tCtrl+A"}, {kDeselect, "선택/명령 해제\tCtrl+D"},
        // Transform and decorate
        {kResizePicture, "그림크기조정"}, {kToolFreeRotate, "자유회전"}, {kLayerRotateRight, "90   시계방향"},
        {kLayerRotateLeft, "90   반시계방향"}, {kLayerRotate180, "180  회전"}, {kLayerFlipTopBottom, "수직제비회전"},
        {kLayerFlipLeftRight, "수평제비회전"}, {kCanvasRotateRight, " 90  시계방향"},
        {kCanvasRotateLeft, " 90  반시계방향"}, {kCanvasRotate180, "180  회전"},
        {kCanvasFlipTopBottom, "수직제비회전"}, {kCanvasFlipLeftRight, "수평제비회전"}, {kToolScale, "크기"},
        {kToolSkew, "뒤틀림"}, {kToolPerspective, "원근감"}, {kCalendar, "달력 넣기"}, {kPictureFrame, "사진틀 넣기"},
        {kToolGradient, "그라디언트"}, {kCanvasSize, "캔버스 크기 늘리기"}, {kStretchSquash, "늘리고쭈구리기"},
        {kEllipseTransform, "타원변형"},
        // View
        {kLayerWindow, "레이어 창"}, {kQuickEditWindow, "포토 간편 편집 창"}, {kFitToWindow, "늘여보기(&e)"},
        {kZoomIn, "확대\tCtrl++"}, {kZoomOut, "축소\tCtrl--"}, {kActualSize, "(1:1)보기 \tCtrl + 1"},
        {kGrid, "격자보기"},
        // Window
        {kDuplicateDocument, "복제"}, {kWindowNew, "새 창(&N)"}, {kWindowCascade, "계단식 배열(&C)"},
        {kWindowTile, "바둑판식 배열(&T)"}, {kCloseAll, "모두닫기"},
        // Help
        {kAppAbout, "'Quillory'에 관하여(&A)..."}, {kWebSite, "'Quillory' 웹사이트 연결"},
    };
    return labels;
}

// The command items of a menu and its submenus (recent files and the window list excluded).
void CollectItems(QMenu* menu, QList<QAction*>& items) {
    for (QAction* action : menu->actions()) {
        if (action->menu()) {
            CollectItems(action->menu(), items);
            continue;
        }
        const int id = action->data().toInt();
        if (action->isSeparator() || !action->isVisible() || id <= 0) continue;
        if (id >= cmd::kFileMru1 && id < cmd::kFileMru1 + 9) continue;
        items.append(action);
    }
}

QMdiSubWindow* ChildOf(CVandView* view) { return qobject_cast<QMdiSubWindow*>(view->parentWidget()); }

}  // namespace

class FrameWindowsTest : public EditorFixture {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { PrepareFiles(); }
    void cleanup() { Stop(); }

    void everyMenuItemReadsItsCommandsLabel() {
        Start({m_picture});
        QStringList menus;
        for (QAction* action : Frame()->menuBar()->actions()) menus << action->text();
        QCOMPARE(menus.join('|'), QString::fromUtf8("파일(&F)|편집(&E)|그리기|영상(&I)|필터링(&F)|레이어(&L)|"
                                                    "영역선택(&S)|변형 및 꾸미기|보기(&V)|윈도우(&W)|도움말(&H)"));
        QList<QAction*> items;
        for (QAction* action : Frame()->menuBar()->actions())
            if (action->menu()) CollectItems(action->menu(), items);
        QSet<int> seen;
        for (QAction* item : items) {
            const int id = item->data().toInt();
            const auto expected = MenuLabels().find(id);
            QVERIFY2(expected != MenuLabels().end(), qPrintable(QString("item %1 \"%2\" has no label").arg(id).arg(item->text())));
            QVERIFY2(item->text() == QString::fromUtf8(expected->second),
                     qPrintable(QString("item %1 reads \"%2\"").arg(id).arg(item->text())));
            seen.insert(id);
        }
        for (const auto& [id, label] : MenuLabels())
            QVERIFY2(seen.contains(id), qPrintable(QString("no menu item %1 \"%2\"").arg(id).arg(QString::fromUtf8(label))));
    }

    void frameTitleNamesTheActivePictureAlsoWhenMaximised() {
        Start({m_picture});
        const QString withPicture = QString::fromUtf8("Quillory 3.72 - pic.bmp");
        QCOMPARE(Frame()->windowTitle(), withPicture);
        QMdiSubWindow* child = ChildOf(View());
        child->showMaximized();
        QCoreApplication::processEvents();
        QVERIFY(child->isMaximized());
        QCOMPARE(Frame()->windowTitle(), withPicture);
        child->showNormal();
        QCoreApplication::processEvents();
        QCOMPARE(Frame()->windowTitle(), withPicture);

        const QString other = m_dir.filePath("other.bmp");
        QVERIFY(WritePicture(other, 30, 20));
        QVERIFY(Frame()->OpenDocument(other));
        ChildOf(View())->showMaximized();
        QCoreApplication::processEvents();
        QCOMPARE(Frame()->windowTitle(), QString::fromUtf8("Quillory 3.72 - other.bmp"));
        Frame()->mdiArea()->activatePreviousSubWindow();
        QCoreApplication::processEvents();
        QCOMPARE(Frame()->windowTitle(), withPicture);

        Trigger(cmd::kCloseAll);
        QCoreApplication::processEvents();
        QCOMPARE(Frame()->windowTitle(), QString::fromUtf8(shelltexts::kAppTitle));
    }

    void dialogAndToolWindowTitlesCarryNoProgramName() {
        Start({m_picture});
        // Qt appends a set display name to every window title; only the main frame names the program.
        QCOMPARE(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
        Trigger(cmd::kLayerWindow);
        QCOMPARE(Frame()->layerWindow()->windowTitle(), QString::fromUtf8(shelltexts::kLayerWindowTitle));
        QString seen;
        ANSWER_NEXT_MODAL(QFileDialog, [&seen](QFileDialog* dialog) {
            seen = dialog->windowTitle();
            dialog->reject();
        });
        Dlg_QvxFile::GetSavePath(Frame(), "pic.qvx", m_dir.path(), nullptr);
        RETURN_IF_ANSWER_FAILED();
        QCOMPARE(seen, QString::fromUtf8("이미지 저장"));
        ANSWER_NEXT_MODAL(CDlg_LayerEffect, [&seen](CDlg_LayerEffect* dialog) {
            seen = dialog->windowTitle();
            dialog->reject();
        });
        Trigger(cmd::kLayerEffect);
        RETURN_IF_ANSWER_FAILED();
        QCOMPARE(seen, QString::fromUtf8("레이어효과"));
    }

    void closeEndsThePictureWithAllItsWindows() {
        Start({m_picture});
        DocumentSession* document = &View()->document();
        Trigger(cmd::kWindowNew);
        QCOMPARE(Frame()->Views().size(), 2);
        QList<QMdiSubWindow*> children = Frame()->mdiArea()->subWindowList();
        QCOMPARE(children[0]->windowTitle(), QString("pic.bmp:1"));
        QCOMPARE(children[1]->windowTitle(), QString("pic.bmp:2"));
        QCOMPARE(Frame()->windowTitle(), QString("Quillory 3.72 - pic.bmp:2"));

        // Closing one of two windows leaves the other, without a question even when changed.
        QVERIFY(document->doc().AddLayer());
        QVERIFY(document->modified());
        const size_t before = MessageCount();
        children[1]->close();
        QCoreApplication::processEvents();
        QCOMPARE(Frame()->Views().size(), 1);
        QCOMPARE(MessageCount(), before);
        QCOMPARE(ChildOf(View())->windowTitle(), QString("*pic.bmp"));

        // Close asks once for the picture; cancel keeps both windows, no closes both.
        Trigger(cmd::kWindowNew);
        QCOMPARE(Frame()->Views().size(), 2);
        m_app->platform().SetScriptedAnswers({MessageAnswer::Cancel});
        Trigger(cmd::kFileClose);
        QCOMPARE(Frame()->Views().size(), 2);
        QCOMPARE(MessageCount(), before + 1);
        m_app->platform().SetScriptedAnswers({MessageAnswer::No});
        Trigger(cmd::kFileClose);
        QCoreApplication::processEvents();
        QCOMPARE(Frame()->Views().size(), 0);
        QCOMPARE(MessageCount(), before + 2);
        QCOMPARE(LastMessage(), QString::fromUtf8("[pic.bmp] 파일을 저장하시겠습니까?"));
    }

    void windowMenuListsThePictureWindowsAndSwitches() {
        Start({m_picture});
        const QString other = m_dir.filePath("other.bmp");
        QVERIFY(WritePicture(other, 30, 20));
        QVERIFY(Frame()->OpenDocument(other));
        for (CVandView* view : Frame()->Views()) ChildOf(view)->showMaximized();
        QCoreApplication::processEvents();
        Q_EMIT Frame()->windowMenu()->aboutToShow();
        QList<QAction*> windows;
        for (QAction* action : Frame()->windowMenu()->actions())
            if (action->isCheckable() && action->text().startsWith('&')) windows.append(action);
        QCOMPARE(windows.size(), 2);
        QCOMPARE(windows[0]->text(), QString("&1 pic.bmp"));
        QCOMPARE(windows[1]->text(), QString("&2 other.bmp"));
        QVERIFY(!windows[0]->isChecked() && windows[1]->isChecked());
        windows[0]->trigger();
        QCoreApplication::processEvents();
        QCOMPARE(QString::fromStdString(View()->document().title()), QString("pic.bmp"));
        QVERIFY(ChildOf(View())->isMaximized());
        // The list follows the windows: opened again after a close it has one entry.
        ChildOf(View())->close();
        QCoreApplication::processEvents();
        Q_EMIT Frame()->windowMenu()->aboutToShow();
        int count = 0;
        for (QAction* action : Frame()->windowMenu()->actions())
            if (action->isCheckable() && action->text().startsWith('&')) ++count;
        QCOMPARE(count, 1);
    }

    void cascadeKeepsEveryTitleBarInSightAndFitsThePictures() {
        Start({m_picture});
        const QString wide = m_dir.filePath("wide.bmp");
        QVERIFY(WritePicture(wide, 300, 120));
        QVERIFY(Frame()->OpenDocument(wide));
        const QString tall = m_dir.filePath("tall.bmp");
        QVERIFY(WritePicture(tall, 60, 200));
        QVERIFY(Frame()->OpenDocument(tall));
        QList<CVandView*> views = Frame()->Views();
        QCOMPARE(views.size(), 3);
        Frame()->Action(cmd::kWindowTile)->trigger();
        Frame()->mdiArea()->setActiveSubWindow(ChildOf(views[1]));
        QCoreApplication::processEvents();
        Frame()->Action(cmd::kWindowCascade)->trigger();
        QCoreApplication::processEvents();

        // The active window comes last, on top; each one lower and further right than the one below it.
        const QList<QMdiSubWindow*> stack = Frame()->mdiArea()->subWindowList(QMdiArea::StackingOrder);
        QCOMPARE(stack.size(), 3);
        QCOMPARE(stack.last(), ChildOf(views[1]));
        QCOMPARE(Frame()->mdiArea()->activeSubWindow(), ChildOf(views[1]));
        for (int i = 1; i < stack.size(); ++i) {
            const int titleBar = stack[i]->widget()->geometry().top();  // the frame above the view
            QVERIFY2(stack[i]->y() - stack[i - 1]->y() >= titleBar, "a title bar is hidden");
            QVERIFY(stack[i]->x() > stack[i - 1]->x());
        }
        // Each window shows its whole picture, not the small default size.
        for (QMdiSubWindow* child : stack) {
            auto* view = qobject_cast<CVandView*>(child->widget());
            QVERIFY(view->viewport()->width() >= view->document().Width());
            QVERIFY(view->viewport()->height() >= view->document().Height());
        }
    }

    void mergeItemsAreOfferedOnlyWithTheNeighbourTheyTake() {
        Start({m_picture});
        Frame()->RefreshCommandStates();
        QVERIFY(!Enabled(cmd::kLayerMergeDown) && !Enabled(cmd::kLayerMergeUp));
        Frame()->Action(cmd::kLayerAdd)->trigger();
        QCoreApplication::processEvents();
        QCOMPARE(Doc().CountLayers(), 2);
        // The new layer is the top one: it has a layer below and none above.
        QVERIFY(!Enabled(cmd::kLayerMergeDown));
        QVERIFY(Enabled(cmd::kLayerMergeUp));
        QVERIFY(Doc().SelectLayer(Doc().HeadLayer()));
        Frame()->RefreshCommandStates();
        QVERIFY(Enabled(cmd::kLayerMergeDown));
        QVERIFY(!Enabled(cmd::kLayerMergeUp));
    }

    void recentFilesStandInTheFileMenu() {
        QSettings().remove("Recent File List");
        Start({});
        auto recent = [this] {
            QList<QAction*> found;
            for (QAction* action : Frame()->fileMenu()->actions()) {
                const int id = action->data().toInt();
                const bool file = id >= cmd::kFileMru1 && id < cmd::kFileMru1 + 9;
                if (action->isVisible() && (file || action->text() == QString::fromUtf8("최근 파일"))) found.append(action);
            }
            return found;
        };
        // No submenu; an empty list shows its greyed name.
        for (QAction* action : Frame()->fileMenu()->actions()) QVERIFY(!action->menu());
        QList<QAction*> items = recent();
        QCOMPARE(items.size(), 1);
        QCOMPARE(items[0]->text(), QString::fromUtf8("최근 파일"));
        QVERIFY(!items[0]->isEnabled());

        QVERIFY(Frame()->OpenDocument(m_picture));
        items = recent();
        QCOMPARE(items.size(), 1);
        QVERIFY(items[0]->isEnabled());
        QVERIFY(items[0]->text().startsWith("&1 ") && items[0]->text().endsWith("pic.bmp"));
        // Just before the exit item, after a separator.
        const QList<QAction*> all = Frame()->fileMenu()->actions();
        const int at = all.indexOf(items[0]);
        QVERIFY(all[at - 1]->isSeparator());
        QCOMPARE(all.last()->data().toInt(), int(cmd::kAppExit));
        const int before = Frame()->Views().size();
        items[0]->trigger();
        QCoreApplication::processEvents();
        QCOMPARE(Frame()->Views().size(), before + 1);
    }

    void saveAsRenamesThePictureAndSaveWritesWhatTheTitleSays() {
        Start({m_picture});
        const QByteArray original = [&] {
            QFile f(m_picture);
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }();
        const QString renamed = m_dir.filePath("renamed.qvx");
        int prompts = 0;
        QString proposed;
        Frame()->savePathPrompt = [&](const QString& name) {
            ++prompts;
            proposed = name;
            return renamed;
        };
        Frame()->statusLabel()->setText("-");
        Trigger(cmd::kFileSaveAs);
        QCOMPARE(prompts, 1);
        QCOMPARE(proposed, QString("pic.qvx"));
        QVERIFY(QFileInfo::exists(renamed));
        QCOMPARE(ChildOf(View())->windowTitle(), QString("renamed.qvx"));
        QCOMPARE(Frame()->windowTitle(), QString("Quillory 3.72 - renamed.qvx"));
        // A native save shows no picture size in the status line.
        QCOMPARE(Frame()->statusLabel()->text(), QString("-"));

        // Save writes the file of the title, without asking, and leaves the first file alone.
        QVERIFY(View()->document().doc().AddLayer());
        Trigger(cmd::kFileSave);
        QCOMPARE(prompts, 1);
        CVandDoc reread;
        QVERIFY(reread.OpenDocument(renamed.toStdString()));
        QCOMPARE(reread.CountLayers(), 2);
        QFile first(m_picture);
        QVERIFY(first.open(QIODevice::ReadOnly));
        QCOMPARE(first.readAll(), original);

        // An image save shows the picture's size and depth.
        const QString flat = m_dir.filePath("flat.bmp");
        Frame()->savePathPrompt = [&](const QString&) { return flat; };
        Trigger(cmd::kFileSaveAs);
        QCOMPARE(Frame()->statusLabel()->text(), QString("  100x50x24 "));
        QCOMPARE(ChildOf(View())->windowTitle(), QString("flat.bmp"));
    }

    void openAndSaveDialogsListTheRightTypesInKorean() {
        Start({});
        const QStringList open = FileTypeFilters(false);
        const QString all = open.filter(QString::fromUtf8("모든그림형식")).value(0);
        for (const char* pattern :
             {"*.jpg", "*.jpeg", "*.bmp", "*.gif", "*.tif", "*.tiff", "*.pcx", "*.qvx", "*.psd", "*.mzr"})
            QVERIFY2(all.contains(QString(pattern) + ' ') || all.contains(QString(pattern) + ')'), qPrintable(all));
        QVERIFY(open.contains("jpg (*.jpg *.jpeg *.JPG *.JPEG)"));
        QVERIFY(open.contains("tif (*.tif *.tiff *.TIF *.TIFF)"));
        // Only the types that are written, one by one.
        QStringList save = FileTypeFilters(true);
        for (QString& filter : save) filter = filter.section(' ', 0, 0);
        QCOMPARE(save.join('|'), QString("jpg|bmp|gif|tif|qvx|png|webp|mzr|All"));

        // Names of any case and every extension show in the open dialog; other files do not.
        QTemporaryDir folder;
        for (const char* name : {"UP.JPG", "b.jpeg", "c.TIFF", "d.Tif", "notes.txt"}) std::ofstream((folder.path() + '/' + name).toStdString()) << "x";
        Dlg_QvxFile dialog(Frame(), folder.path());
        auto* model = dialog.findChild<QFileSystemModel*>();
        QVERIFY(model);
        QSignalSpy loaded(model, &QFileSystemModel::directoryLoaded);
        QVERIFY(loaded.wait(5000) || model->rowCount(model->index(folder.path())) > 0);
        QTRY_COMPARE(model->rowCount(model->index(folder.path())), 4);
        QStringList shown;
        const QModelIndex root = model->index(folder.path());
        for (int row = 0; row < model->rowCount(root); ++row) shown << model->index(row, 0, root).data().toString();
        shown.sort();
        QCOMPARE(shown.join('|'), QString("UP.JPG|b.jpeg|c.TIFF|d.Tif"));

        // Qt's own texts are Korean.
        QVERIFY(m_app->HasQtTranslation());
        auto* buttons = dialog.findChild<QDialogButtonBox*>("buttonBox");
        QVERIFY(buttons);
        QVERIFY2(buttons->button(QDialogButtonBox::Open)->text().contains(QString::fromUtf8("열기")),
                 qPrintable(buttons->button(QDialogButtonBox::Open)->text()));
        QVERIFY(buttons->button(QDialogButtonBox::Cancel)->text().contains(QString::fromUtf8("취소")));
        QMessageBox box(QMessageBox::Question, "", "", QMessageBox::Yes | QMessageBox::No);
        QVERIFY(box.button(QMessageBox::Yes)->text().contains(QString::fromUtf8("예")));
        QVERIFY(box.button(QMessageBox::No)->text().contains(QString::fromUtf8("아니요")));
        if (const QString grabs = qEnvironmentVariable("QUILLORY_TEST_GRABS"); !grabs.isEmpty()) {
            dialog.resize(900, 500);
            dialog.grab().save(grabs + "/open_dialog.png");
        }
    }

    void startingWithAFileThatCannotBeOpenedKeepsTheEditorOpen() {
        const QString broken = m_dir.filePath("random.bmp");
        std::ofstream(broken.toStdString(), std::ios::binary) << "not a picture at all";
        for (const QString& path : {m_dir.filePath("missing.jpg"), broken}) {
            Start({path});
            QVERIFY(Frame()->isVisible());
            QVERIFY(Frame()->Views().isEmpty());
            QCOMPARE(LastMessage(), QString::fromUtf8("해당 파일을 열 수 없습니다."));
            QCOMPARE(Frame()->windowTitle(), QString::fromUtf8(shelltexts::kAppTitle));
            // Still usable: a picture opens.
            QVERIFY(Frame()->OpenDocument(m_picture));
            Stop();
        }
    }

    void tinyPictureWindowKeepsRoomForItsTitleBar() {
        const QString tiny = m_dir.filePath("tiny.bmp");
        QVERIFY(WritePicture(tiny, 10, 10));
        Start({tiny});
        QCoreApplication::processEvents();
        QMdiSubWindow* child = ChildOf(View());
        QVERIFY(child->width() >= 160 && child->height() >= 100);
        QVERIFY(child->width() >= child->minimumSizeHint().width());
        // The tiny picture is centred in the larger window.
        const InclusiveRect r = View()->document().view().pictureRect;
        QCOMPARE(r.Width(), 10);
        QCOMPARE(Grab().pixel(r.left + 3, r.top + 4), PictureColour(3, 4));
    }

    void shadowDialogStartsAtTheLayersSizeAndTheRememberedColour() {
        Start({m_picture});
        Frame()->shadowColour() = 0x0000FF;  // blue
        bool checked = false;
        ANSWER_NEXT_MODAL(CDlg_LayerEffect, [&checked](CDlg_LayerEffect* dialog) {
            QCOMPARE(dialog->sizeField()->value(), 1);  // a layer that never had a shadow
            QCOMPARE(dialog->sizeSlider()->minimum(), 0);
            QCOMPARE(dialog->sizeSlider()->maximum(), 17);
            QCOMPARE(dialog->colour(), QColor(0, 0, 255));
            QStringList labels, marks;
            for (QLabel* label : dialog->findChildren<QLabel*>()) labels << label->text();
            QVERIFY(labels.contains(QString::fromUtf8("효과크기")));
            QVERIFY(labels.contains(QString::fromUtf8("그림자색상")));
            for (QLabel* label : dialog->findChild<QWidget*>("sliderScale")->findChildren<QLabel*>()) marks << label->text();
            QCOMPARE(marks.join(' '), QString("0 2 4 6 8 10"));
            dialog->sizeSlider()->setValue(5);  // the slider writes the number field
            QCOMPARE(dialog->sizeField()->value(), 5);
            dialog->SetColour(QColor(255, 0, 0));
            checked = true;
            dialog->accept();
        });
        Trigger(cmd::kLayerEffect);
        RETURN_IF_ANSWER_FAILED();
        QVERIFY(checked);
        const CVandDoc& doc = View()->document().doc();
        const LayerRecord& layer = doc.Layer(doc.CurrentLayer());
        QCOMPARE(int(layer.effectOn), 1);
        QCOMPARE(int(layer.effectSize), 5);
        QCOMPARE(layer.shadowColour, 0xFF0000);  // red, RGBQUAD order
        QCOMPARE(Frame()->shadowColour(), 0xFF0000);
        // Opened again: the layer's size and the colour chosen last.
        ANSWER_NEXT_MODAL(CDlg_LayerEffect, [](CDlg_LayerEffect* dialog) {
            QCOMPARE(dialog->sizeField()->value(), 5);
            QCOMPARE(dialog->sizeSlider()->value(), 5);
            QCOMPARE(dialog->colour(), QColor(255, 0, 0));
            dialog->reject();
        });
        Trigger(cmd::kLayerEffect);
        RETURN_IF_ANSWER_FAILED();
        QCOMPARE(int(doc.Layer(doc.CurrentLayer()).effectSize), 5);
    }

    void barsHoldTheFilterListAndTheToolButtonsStillToCome() {
        Start({m_picture});
        auto* bar = Frame()->findChild<DlgBar_Thrs*>();
        QVERIFY(bar);
        QComboBox* list = bar->list();
        QStringList names;
        for (int i = 0; i < list->count(); ++i) names << list->itemText(i);
        QCOMPARE(names.join('|'), QString::fromUtf8("경계강조|강조|윤곽선|흐리게|부드럽게|물체축소|물체확장|찍어붙이기|"
                                                    "색종이뿌리기|선효과채색|수채화|한지효과|빗방울|유리성에|잡영제거|"
                                                    "영역확장|방울채색|유화|엠보스|달마시안|렌즈효과|욕실효과"));

        auto* tools = Frame()->findChild<QToolBar*>("MainToolBar");
        QVERIFY(tools);
        for (int id : {cmd::kToolDot, cmd::kToolColourPicker, cmd::kToolText}) {
            QAction* action = Frame()->Action(id);
            QVERIFY2(action && tools->actions().contains(action), qPrintable(QString::number(id)));
            QVERIFY(action->isCheckable() && action->actionGroup() == Frame()->Action(cmd::kToolBrush)->actionGroup());
            // Enabled exactly when the tool exists.
            QCOMPARE(Enabled(id), ToolRegistry::Instance().Has(id));
        }
        QCOMPARE(Frame()->Action(cmd::kToolDot)->toolTip(), QString::fromUtf8("점찍기"));
        QCOMPARE(Frame()->Action(cmd::kToolColourPicker)->toolTip(), QString::fromUtf8("색상추출"));
        QCOMPARE(Frame()->Action(cmd::kToolText)->toolTip(), QString::fromUtf8("글자입력"));
        struct Idle : ViewTool {
            bool Press(ToolContext&, const ToolEvent&) override { return false; }
        };
        if (!ToolRegistry::Instance().Has(cmd::kToolText))
            ToolRegistry::Instance().Register(cmd::kToolText, [] { return std::make_unique<Idle>(); });
        QVERIFY(Enabled(cmd::kToolText));
        Trigger(cmd::kToolText);
        QCOMPARE(Frame()->currentTool(), cmd::kToolText);
        QVERIFY(Frame()->Action(cmd::kToolText)->isChecked());
    }

    void settingsAreWrittenWholeOrTheUserLearnsWhy() {
        const std::filesystem::path home = qEnvironmentVariable("QUILLORY_HOME").toStdString();
        std::filesystem::create_directories(home);
        // A temporary file of a settings write that a killed run left behind goes at the start.
        pid_t dead = 999999;
        while (dead > 1 && !(::kill(dead, 0) != 0 && errno == ESRCH)) --dead;
        const std::filesystem::path stale = home / (".ZazoCon_372.ini.quillory-tmp." + std::to_string(dead) + ".abcdef");
        std::ofstream(stale) << "half a settings file";
        Start({m_picture});
        QVERIFY(!std::filesystem::exists(stale));

        // Where the file cannot be replaced (a folder stands there), closing says so with the name and reason.
        const std::filesystem::path settings = home / kSettingsFileName;
        std::filesystem::remove(settings);
        std::filesystem::create_directory(settings);
        const size_t before = MessageCount();
        QVERIFY(Frame()->close());
        std::filesystem::remove(settings);
        QCOMPARE(MessageCount(), before + 1);
        QVERIFY(LastMessage().startsWith(QString::fromUtf8(shelltexts::kSettingsNotSaved)));
        QVERIFY(LastMessage().contains(QString::fromUtf8(kSettingsFileName)));
        QVERIFY(LastMessage().contains(QString::fromUtf8(texts::kReasonIsFolder)));
        for (const auto& entry : std::filesystem::directory_iterator(home))
            QVERIFY2(!IsAtomicTemporaryName(entry.path().filename().string()), entry.path().c_str());
    }

    void openTakesThePsdPictureThePreviewRead() {
        // A 3 × 2 RGB picture in PSD form, uncompressed: red, green and blue planes.
        const QString psd = m_dir.filePath("small.psd");
        {
            QByteArray bytes("8BPS\x00\x01", 6);
            bytes += QByteArray(6, '\0');
            bytes += QByteArray("\x00\x03\x00\x00\x00\x02\x00\x00\x00\x03\x00\x08\x00\x03", 14);
            bytes += QByteArray(12, '\0');  // no mode data, resources or layers
            bytes += QByteArray(2, '\0');   // raw
            bytes += QByteArray("\xFF\x00\x00\x10\x20\x30", 6);
            bytes += QByteArray("\x00\xFF\x00\x40\x50\x60", 6);
            bytes += QByteArray("\x00\x00\xFF\x70\x80\x90", 6);
            QFile file(psd);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }
        Start({});
        const int before = Frame()->Views().size();
        ANSWER_NEXT_MODAL(Dlg_QvxFile, [&psd](Dlg_QvxFile* dialog) {
            dialog->setDirectory(QFileInfo(psd).absolutePath());
            dialog->selectFile(QFileInfo(psd).fileName());
            QCOMPARE(dialog->Preview(QFileInfo(psd).absoluteFilePath()), FilePreview::Outcome::kShown);
            // Spoiled after the preview read it: an open that read the file again would fail.
            QFile file(psd);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write("no longer a picture");
            file.close();
            QMetaObject::invokeMethod(dialog, "accept");
        });
        Trigger(cmd::kFileOpen);
        RETURN_IF_ANSWER_FAILED();
        QCOMPARE(Frame()->Views().size(), before + 1);
        QCOMPARE(View()->document().Width(), 3);
        QCOMPARE(View()->document().Height(), 2);
        const InclusiveRect r = View()->document().view().pictureRect;
        QCOMPARE(Grab().pixel(r.left, r.top), qRgb(255, 0, 0));
        QCOMPARE(Grab().pixel(r.left + 2, r.top + 1), qRgb(0x30, 0x60, 0x90));
        // Without the preview the spoiled file is refused.
        QVERIFY(!Frame()->OpenDocument(psd));
    }

    void toolDialogsStandReadyFromTheStartAndTheirCommandsShowThem() {
        Start({m_picture});
        PanelCommands& panels = Frame()->panels();
        const QList<QWidget*> dialogs = {panels.gradientPanel(), panels.transformPanel(), panels.rotatePanel(),
                                         panels.stretchPanel(), Frame()->toolCommands().pathPanel()};
        for (QWidget* dialog : dialogs) {
            QVERIFY(dialog);
            QVERIFY(!dialog->isVisible());
        }
        // Each command shows the dialog made at the start, not another one.
        const std::pair<int, QWidget*> shown[] = {{cmd::kToolGradient, dialogs[0]}, {cmd::kToolScale, dialogs[1]},
                                                  {cmd::kToolFreeRotate, dialogs[2]}, {cmd::kStretchSquash, dialogs[3]},
                                                  {cmd::kPathPanel, dialogs[4]}};
        for (const auto& [id, dialog] : shown) {
            Trigger(id);
            QVERIFY2(dialog->isVisible(), qPrintable(QString::number(id)));
            QCOMPARE(Frame()->currentTool(), id);
        }
        QCOMPARE(panels.gradientPanel(), dialogs[0]);
        QCOMPARE(panels.transformPanel(), dialogs[1]);
        QCOMPARE(Frame()->toolCommands().pathPanel(), dialogs[4]);
        // The guide path and the gradient commands hide their panels again while their tool is chosen.
        Trigger(cmd::kPathPanel);
        QVERIFY(!dialogs[4]->isVisible());
        Trigger(cmd::kToolGradient);
        QCOMPARE(Frame()->currentTool(), cmd::kToolGradient);
        Trigger(cmd::kToolGradient);
        QVERIFY(!dialogs[0]->isVisible());
    }

    void printSetUpAndPrintShareOnePrinter() {
        Start({m_picture});
        QVERIFY(Enabled(cmd::kFilePrintSetup));
        QPrinter* shown = nullptr;
        ANSWER_NEXT_MODAL(QPageSetupDialog, [&shown](QPageSetupDialog* dialog) {
            shown = dialog->printer();
            dialog->reject();
        });
        Trigger(cmd::kFilePrintSetup);
        RETURN_IF_ANSWER_FAILED();
        QCOMPARE(shown, &Frame()->printer());
        ANSWER_NEXT_MODAL(QPrintDialog, [&shown](QPrintDialog* dialog) {
            shown = dialog->printer();
            dialog->reject();
        });
        Trigger(cmd::kFilePrint);
        RETURN_IF_ANSWER_FAILED();
        QCOMPARE(shown, &Frame()->printer());
    }
};

QUILLORY_SHELL_TEST(FrameWindowsTest)
#include "FrameWindowsTest.moc"
