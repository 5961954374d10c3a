// The real editor window driven through its actions, keys, mouse and tool windows.
#include <QActionGroup>
#include <QComboBox>
#include <QFile>
#include <QPrinter>
#include <QPushButton>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QScrollBar>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

#include <fstream>
#include <memory>

#include "core/FormatCodes.h"
#include "core/NyZazo.h"
#include "core/Platform.h"
#include "core/Samples.h"
#include "document/DocumentTexts.h"
#include "document/QvxFormat.h"
#include "shell/CDlg_Layer.h"
#include "shell/CDlg_NewImage.h"
#include "shell/CDlg_SetEnvironment.h"
#include "shell/CMainFrame.h"
#include "shell/CVandApp.h"
#include "shell/CVandView.h"
#include "shell/Dlg_QvxFile.h"
#include "shell/EnvSettings.h"
#include "shell/MenuTable.h"
#include "shell/ShellTexts.h"
#include "core/CommandIds.h"
#include "view/ViewRender.h"
#include "view/ViewTool.h"
#include "view/tools/PaintTools.h"
#include "document/SelectionMask.h"
#include "EditorFixture.h"
#include "ModalAnswer.h"
#include "ShellTestMain.h"

using namespace quillory;

using namespace quillory::test;

namespace {

QRgb Grey() { return (kViewBackground & 0xFFFFFF) | 0xFF000000u; }

}  // namespace

class EditorWindowTest : public EditorFixture {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { PrepareFiles(); }
    void cleanup() { Stop(); }

    void commandLineFileIsShownWithItsPixels() {
        Start({m_picture});
        QCOMPARE(Frame()->windowTitle(), QString::fromUtf8("Quillory 3.72 - pic.bmp"));
        QCOMPARE(Frame()->Views().size(), 1);
        QCOMPARE(QString::fromStdString(View()->document().title()), QString("pic.bmp"));
        const QImage shot = Grab();
        const InclusiveRect r = View()->document().view().pictureRect;
        QCOMPARE(r.Width(), 100);
        QCOMPARE(r.Height(), 50);
        for (auto [x, y] : {std::pair{0, 0}, {99, 0}, {0, 49}, {99, 49}, {37, 21}})
            QCOMPARE(shot.pixel(r.left + x, r.top + y), PictureColour(x, y));
        QCOMPARE(Frame()->RecentFiles().value(0), QFileInfo(m_picture).absoluteFilePath());
    }

    void zoomRunsToItsLimitsWithTheCommandStates() {
        Start({m_picture});
        DocumentSession& doc = View()->document();
        QVERIFY(Enabled(cmd::kZoomIn));
        QVERIFY(!Enabled(cmd::kActualSize));
        Trigger(cmd::kZoomIn);  // arms the zoom tool; clicks zoom
        QCOMPARE(Frame()->currentTool(), cmd::kZoomIn);
        QCOMPARE(doc.view().zoom, 1.0f);
        QTest::mouseClick(View()->viewport(), Qt::LeftButton, {}, View()->viewport()->rect().center());
        QCOMPARE(doc.view().zoom, 2.0f);
        // The child frame fits the zoomed picture: its client is the picture plus 4 pixels.
        QCoreApplication::processEvents();
        QCOMPARE(View()->viewport()->size(), QSize(204, 104));
        for (int i = 0; i < 4; ++i) {
            const QPoint centre = View()->viewport()->rect().center();
            QTest::mouseClick(View()->viewport(), Qt::LeftButton, {}, centre);
        }
        QCOMPARE(doc.view().zoom, 16.0f);
        QVERIFY(!Enabled(cmd::kZoomIn));
        QVERIFY(Enabled(cmd::kActualSize));
        QCOMPARE(View()->scrollGeometry().totalWidth, 1600);
        QCOMPARE(View()->scrollGeometry().totalHeight, 800);

        int steps = 0;
        while (Enabled(cmd::kZoomOut) && steps < 20) Trigger(cmd::kZoomOut), ++steps;
        QCOMPARE(steps, 7);
        QCOMPARE(doc.view().zoom, 0.125f);
        QVERIFY(Enabled(cmd::kZoomIn));
        Trigger(cmd::kActualSize);
        QCOMPARE(doc.view().zoom, 1.0f);
        QVERIFY(!Enabled(cmd::kActualSize));
    }

    void pictureAtZoomTwoIsCentredInTheClient() {
        Start({m_picture});
        SetClientSize(400, 300);
        DocumentSession& doc = View()->document();
        doc.view().keepFrameSize = 1;
        // The free selection zooms at once, without an anchor.
        Frame()->SetCurrentTool(cmd::kToolFreeSelect);
        Trigger(cmd::kZoomIn);
        QCOMPARE(doc.view().zoom, 2.0f);
        QCOMPARE(View()->viewport()->size(), QSize(400, 300));
        const QImage shot = Grab();
        QVERIFY(doc.view().pictureRect == (InclusiveRect{100, 100, 299, 199}));
        QCOMPARE(View()->scrollGeometry().totalWidth, 200);
        QCOMPARE(View()->scrollGeometry().totalHeight, 100);
        QCOMPARE(shot.pixel(100, 100), PictureColour(0, 0));
        QCOMPARE(shot.pixel(101, 101), PictureColour(0, 0));
        QCOMPARE(shot.pixel(299, 199), PictureColour(99, 49));
        QCOMPARE(shot.pixel(102, 100), PictureColour(1, 0));
        for (auto [x, y] : {std::pair{99, 150}, {300, 150}, {200, 99}, {200, 200}}) QCOMPARE(shot.pixel(x, y), Grey());

        // Ctrl + wheel towards the user takes one zoom-out step.
        QWheelEvent wheel(QPointF(200, 150), View()->viewport()->mapToGlobal(QPointF(200, 150)), QPoint(), QPoint(0, -120),
                          Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(View()->viewport(), &wheel);
        QCOMPARE(doc.view().zoom, 1.0f);
        QCOMPARE(View()->verticalScrollBar()->value(), 0);
    }

    void zoomToolClickInAScrolledViewKeepsTheClickedPixelUnderThePointer() {
        const QString big = m_dir.filePath("big.bmp");
        QVERIFY(WritePicture(big, 400, 300));
        Start({big});
        SetClientSize(200, 150);
        DocumentSession& doc = View()->document();
        View()->horizontalScrollBar()->setValue(100);
        View()->verticalScrollBar()->setValue(80);
        QCoreApplication::processEvents();
        QCOMPARE(Grab().pixel(150, 100), PictureColour(250, 180));
        Trigger(cmd::kZoomIn);
        doc.view().keepFrameSize = 1;
        QTest::mouseClick(View()->viewport(), Qt::LeftButton, {}, QPoint(150, 100));
        QCOMPARE(doc.view().zoom, 2.0f);
        QCOMPARE(View()->viewport()->size(), QSize(200, 150));
        // Picture pixel (250, 180) was under the pointer at (150, 100) and stays there.
        QCOMPARE(View()->scrollGeometry().x, 2 * 250 - 150);
        QCOMPARE(View()->scrollGeometry().y, 2 * 180 - 100);
        const QImage shot = Grab();
        QCOMPARE(shot.pixel(150, 100), PictureColour(250, 180));
        QCOMPARE(shot.pixel(151, 101), PictureColour(250, 180));
        QCOMPARE(shot.pixel(152, 100), PictureColour(251, 180));
        // The zoom-in button stays pressed while the tool waits for the next click.
        QVERIFY(Enabled(cmd::kZoomIn));
        QVERIFY(Frame()->Action(cmd::kZoomIn)->isChecked());
        Trigger(cmd::kToolMove);
        QVERIFY(!Frame()->Action(cmd::kZoomIn)->isChecked());
    }

    void transparentPixelsShowTheHatchOfTheEnvironmentsChoice() {
        Start({});
        Frame()->newPicture().background = NewPictureSettings::Transparent;
        Frame()->newPicture().width = 40;
        Frame()->newPicture().height = 40;
        QVERIFY(Frame()->NewDocument());
        SetClientSize(200, 140);
        const InclusiveRect r = View()->document().view().pictureRect;
        QCOMPARE(r.left, 80);
        QCOMPARE(r.top, 50);
        auto lines = [&](int x, int y) { return Grab().pixel(x, y) == (kHatchLine | 0xFF000000u); };
        // Style 3 at the start: backward diagonals, x + y = 7 (mod 8).
        QCOMPARE(Frame()->env().transparencyDisplay, 3);
        QVERIFY(lines(83, 52) && !lines(83, 53));
        Frame()->env().transparencyDisplay = 0;  // horizontal lines on every eighth row
        View()->viewport()->update();
        QVERIFY(!lines(83, 54) && lines(83, 55) && lines(100, 55) && !lines(100, 56));
    }

    void fitToWindowStretchesThePicture() {
        Start({m_picture});
        SetClientSize(300, 200);
        Trigger(cmd::kFitToWindow);
        QVERIFY(Frame()->Action(cmd::kFitToWindow)->isChecked());
        for (int id : {cmd::kZoomIn, cmd::kZoomOut, cmd::kActualSize}) QVERIFY(!Enabled(id));
        const QImage shot = Grab();
        QCOMPARE(shot.pixel(0, 0), PictureColour(0, 0));
        QCOMPARE(shot.pixel(299, 199), PictureColour(99, 49));
        QCOMPARE(shot.pixel(150, 100), PictureColour(50, 25));
        QCOMPARE(View()->scrollGeometry().totalWidth, 0);
        Trigger(cmd::kFitToWindow);
        QVERIFY(Enabled(cmd::kZoomIn));
    }

    void gridIsToggledByItsCommand() {
        Start({m_picture});
        SetClientSize(300, 200);
        EnvSettings& env = Frame()->env();
        QVERIFY(env.gridSpacing < 0);  // hidden at start
        const int spacing = -env.gridSpacing;
        const InclusiveRect r = View()->document().view().pictureRect;
        const int gridRow = r.top % spacing;  // picture rows congruent to the picture's offset
        const QRgb gridColour = qRgb(env.gridColour & 0xFF, (env.gridColour >> 8) & 0xFF, (env.gridColour >> 16) & 0xFF);
        QCOMPARE(Grab().pixel(r.left + 3, r.top + gridRow), PictureColour(3, gridRow));
        Trigger(cmd::kGrid);
        QCOMPARE(env.gridSpacing, spacing);
        QVERIFY(Frame()->Action(cmd::kGrid)->isChecked());
        QImage shot = Grab();
        QCOMPARE(shot.pixel(r.left + 3, r.top + gridRow), gridColour);
        QCOMPARE(shot.pixel(r.left + r.left % spacing, r.top + 40), gridColour);
        QCOMPARE(shot.pixel(r.left + 3, r.top + gridRow + 1), PictureColour(3, gridRow + 1));
        Trigger(cmd::kGrid);
        QCOMPARE(env.gridSpacing, -spacing);
        QCOMPARE(Grab().pixel(r.left + 3, r.top + gridRow), PictureColour(3, gridRow));
    }

    void layersAreAddedHiddenAndReorderedInTheLayerWindow() {
        Start({m_picture});
        Trigger(cmd::kLayerWindow);
        CDlg_Layer* window = Frame()->layerWindow();
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->windowTitle(), QString::fromUtf8(shelltexts::kLayerWindowTitle));
        // 260 x 280 at the frame's right edge, below the bars: its title bar too.
        QCOMPARE(window->geometry().size(), QSize(260, 280));
        QCOMPARE(window->frameGeometry().left(), Frame()->geometry().right() - 263);
        QCOMPARE(window->frameGeometry().top(), Frame()->mdiArea()->mapToGlobal(QPoint(0, 0)).y());
        QCOMPARE(window->layerList()->count(), 1);
        QVERIFY(window->layerList()->item(0)->text().contains(QString::fromUtf8(texts::kBackgroundLayerName)));
        // One "표준상태" entry for the two normal codes.
        QCOMPARE(window->blendList()->count(), 9);
        QCOMPARE(window->blendList()->findText(QString::fromUtf8(texts::kBlendNormal)), 0);
        QCOMPARE(window->undoButton()->text(), QString::fromUtf8(shelltexts::kHistoryUndo));
        QCOMPARE(window->redoButton()->text(), QString::fromUtf8(shelltexts::kHistoryRedo));

        Trigger(cmd::kLayerAdd);
        QCoreApplication::processEvents();
        QCOMPARE(window->layerList()->count(), 2);
        const QList<int> rows = window->RowLayers();
        QCOMPARE(rows.size(), 2);
        QCOMPARE(View()->document().doc().HeadLayer(), rows[0]);  // the bottom layer is the first row
        QCOMPARE(window->layerList()->currentRow(), 1);         // the new layer is current
        QVERIFY(window->layerList()->item(1)->text().contains(QString::fromUtf8("레이어 1")));
        QVERIFY(View()->document().modified());

        // Hiding the background through its row's button shows the hatch behind the picture.
        const InclusiveRect r = View()->document().view().pictureRect;
        QCOMPARE(Grab().pixel(r.left + 10, r.top + 10), PictureColour(10, 10));
        window->layerList()->item(0)->setCheckState(Qt::Unchecked);
        QCoreApplication::processEvents();
        QCOMPARE(View()->document().doc().Layer(rows[0]).visible, 0);
        const QRgb hidden = Grab().pixel(r.left + 10, r.top + 10);
        QVERIFY(hidden == (kHatchGround | 0xFF000000u) || hidden == (kHatchLine | 0xFF000000u));
        window->layerList()->item(0)->setCheckState(Qt::Checked);
        QCoreApplication::processEvents();

        // The transparency field writes the current layer.
        window->transparencyField()->setValue(77);
        QCOMPARE(int(View()->document().doc().Layer(rows[1]).transparency), 77);
        // The blend list goes through the registered command too; the copy of the list keeps the choice.
        Q_EMIT window->blendList()->textActivated(QString::fromUtf8(texts::kBlendDifference));
        QCoreApplication::processEvents();
        QCOMPARE(int(View()->document().doc().Layer(rows[1]).blendMode), int(BlendMode::Difference));
        QCOMPARE(window->blendList()->currentText(), QString::fromUtf8(texts::kBlendDifference));

        // Dropping the top row onto the bottom row exchanges the two layers.
        QListWidget* list = window->layerList();
        list->setCurrentRow(1);
        const QPoint target = list->visualItemRect(list->item(0)).center();
        static_cast<LayerListWidget*>(list)->DropAt(target);
        QCoreApplication::processEvents();
        QCOMPARE(window->RowLayers(), (QList<int>{rows[1], rows[0]}));
        QCOMPARE(View()->document().doc().HeadLayer(), rows[1]);
        // The transparent layer is now at the bottom; the picture still shows.
        QCOMPARE(Grab().pixel(r.left + 10, r.top + 10), PictureColour(10, 10));

        // Renaming a row, and the marks of changed layers and layer kinds.
        window->RenameRow(0, QString::fromUtf8("아래층"));
        QCoreApplication::processEvents();
        QVERIFY(window->layerList()->item(0)->text().endsWith(QString::fromUtf8("아래층")));
        QCOMPARE(CDlg_Layer::RowText("T", LayerKind::Text, true), QString::fromUtf8("* T [글]"));
        QCOMPARE(CDlg_Layer::RowText("F", LayerKind::Floating, false), QString::fromUtf8("F [영역 이동 표시]"));
        QCOMPARE(CDlg_Layer::RowText("M", LayerKind::Measure, false), QString::fromUtf8("M [측정벡터표시]"));

        // For looking at the windows: QUILLORY_TEST_GRABS names a folder for pictures of them.
        if (const QString grabs = qEnvironmentVariable("QUILLORY_TEST_GRABS"); !grabs.isEmpty()) {
            window->grab().save(grabs + "/layer_window.png");
            Frame()->grab().save(grabs + "/main_frame.png");
        }

        Trigger(cmd::kLayerDelete);
        QCoreApplication::processEvents();
        QCOMPARE(window->layerList()->count(), 1);
        // Deleting the last layer runs and says why nothing happened.
        QVERIFY(Enabled(cmd::kLayerDelete));
        const size_t before = m_app->platform().shownMessages().size();
        Trigger(cmd::kLayerDelete);
        QCOMPARE(View()->document().doc().CountLayers(), 1);
        QCOMPARE(int(m_app->platform().shownMessages().size() - before), 1);
        QCOMPARE(QString::fromStdString(m_app->platform().shownMessages().back()),
                 QString::fromUtf8("레이어가 1개 밖에 없습니다"));
    }

    void historyButtonsUndoAndRedoThroughTheCommands() {
        Start({m_picture});
        Trigger(cmd::kLayerWindow);
        CDlg_Layer* window = Frame()->layerWindow();
        QVERIFY(!Enabled(cmd::kEditUndo));
        QVERIFY(!window->undoButton()->isEnabled());
        Trigger(cmd::kLayerAdd);
        QCoreApplication::processEvents();
        QCOMPARE(window->layerList()->count(), 2);
        QCOMPARE(window->historyList()->count(), 2);
        QVERIFY(window->historyList()->item(0)->text().contains(QString::fromUtf8(texts::kStepAddLayer)));
        QVERIFY(Enabled(cmd::kEditUndo));
        QTest::mouseClick(window->undoButton(), Qt::LeftButton);
        QCoreApplication::processEvents();
        QCOMPARE(View()->document().doc().CountLayers(), 1);
        QCOMPARE(window->layerList()->count(), 1);
        QVERIFY(Enabled(cmd::kEditRedo));
        QTest::mouseClick(window->redoButton(), Qt::LeftButton);
        QCoreApplication::processEvents();
        QCOMPARE(View()->document().doc().CountLayers(), 2);
        QCOMPARE(window->layerList()->count(), 2);
    }

    void aJpegCutShortOpensAndTheUserIsTold() {
        Start({m_picture});
        NyZazo picture;
        QVERIFY(picture.Load(m_picture.toStdString(), kFormatBmp));
        const QString jpeg = m_dir.filePath("whole.jpg"), cut = m_dir.filePath("cut.jpg");
        QVERIFY(picture.Save(jpeg.toStdString(), kFormatJpeg));
        QFile file(jpeg);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QFile half(cut);
        QVERIFY(half.open(QIODevice::WriteOnly));
        half.write(bytes.left(bytes.size() / 2));
        half.close();

        const size_t shown = MessageCount();
        QVERIFY(Frame()->OpenDocument(jpeg));
        QCOMPARE(MessageCount(), shown);
        QVERIFY(Frame()->OpenDocument(cut));
        QCOMPARE(MessageCount(), shown + 1);
        QCOMPARE(LastMessage(), Text(texts::kPictureIncomplete));
        QCOMPARE(Doc().Header().width, picture.Width());
        QCOMPARE(Doc().Header().height, picture.Height());
    }

    void closingAsksAboutModifiedDocumentsAndCancelKeepsRunning() {
        Start({m_picture});
        QVERIFY(Frame()->OpenDocument(m_picture));
        QCOMPARE(Frame()->Views().size(), 2);
        for (CVandView* view : Frame()->Views()) QVERIFY(view->document().doc().AddLayer());
        for (CVandView* view : Frame()->Views()) QVERIFY(view->document().modified());

        // Closing the active window asks too; cancel keeps it.
        m_app->platform().SetScriptedAnswers({MessageAnswer::Cancel});
        Trigger(cmd::kFileClose);
        QCOMPARE(Frame()->Views().size(), 2);
        QCOMPARE(int(m_app->platform().shownMessages().size()), 1);

        // The first is closed without saving, the second question is cancelled.
        m_app->platform().SetScriptedAnswers({MessageAnswer::No, MessageAnswer::Cancel});
        const size_t before = m_app->platform().shownMessages().size();
        QVERIFY(!Frame()->close());
        QCoreApplication::processEvents();
        QVERIFY(Frame()->isVisible());
        QCOMPARE(Frame()->Views().size(), 1);
        const auto& messages = m_app->platform().shownMessages();
        QCOMPARE(int(messages.size() - before), 2);
        QCOMPARE(QString::fromStdString(messages[before]), QString::fromUtf8("[pic.bmp] 파일을 저장하시겠습니까?"));

        // Yes saves through the save-as prompt, then the frame closes.
        const QString saved = m_dir.filePath("saved.qvx");
        QString proposed;
        Frame()->savePathPrompt = [&](const QString& name) {
            proposed = name;
            return saved;
        };
        m_app->platform().SetScriptedAnswers({MessageAnswer::Yes});
        QVERIFY(Frame()->close());
        QCOMPARE(proposed, QString("pic.qvx"));
        QVERIFY(QFileInfo::exists(saved));
        QVERIFY(Frame()->Views().isEmpty());

        // The settings were written on closing.
        const std::filesystem::path home = qEnvironmentVariable("QUILLORY_HOME").toStdString();
        QVERIFY(std::filesystem::exists(home / kSettingsFileName));
        std::ifstream first(home / kFirstShowFileName);
        std::string line;
        std::getline(first, line);
        QCOMPARE(QString::fromStdString(line), QString("0 update 0"));
    }

    void moveToolArrowsStatusLineAndMenus() {
        Start({m_picture});
        Trigger(cmd::kToolMove);
        QCOMPARE(Frame()->currentTool(), cmd::kToolMove);
        View()->setFocus();
        const int layer = View()->document().doc().CurrentLayer();
        const int x = View()->document().doc().Layer(layer).x, y = View()->document().doc().Layer(layer).y;
        QTest::keyClick(View(), Qt::Key_Right);
        QTest::keyClick(View(), Qt::Key_Up);
        QCOMPARE(View()->document().doc().Layer(layer).x, x + 1);
        QCOMPARE(View()->document().doc().Layer(layer).y, y - 1);

        QMouseEvent move(QEvent::MouseMove, QPointF(20, 30), View()->viewport()->mapToGlobal(QPointF(20, 30)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(View()->viewport(), &move);
        const QPoint p = Frame()->mapFromGlobal(View()->viewport()->mapToGlobal(QPoint(20, 30)));
        QCOMPARE(Frame()->statusLabel()->text(), QString("mainframe (%1 %2)").arg(p.x()).arg(p.y()));

        // Every menu item is an action with its command id; features not built yet are disabled.
        for (int id : MainMenuCommands()) {
            QAction* action = Frame()->Action(id);
            QVERIFY2(action && action->data().toInt() == id, qPrintable(QString::number(id)));
            QCOMPARE(action->text(), QString::fromStdString(CommandLabel(id)));
        }
        QCOMPARE(Frame()->Action(cmd::kFileSaveAs)->shortcut(), QKeySequence("Ctrl+Shift+S"));
        QVERIFY(Enabled(cmd::kPictureFrame));
        QVERIFY(Frame()->Action(cmd::kFileOpen)->shortcuts().contains(QKeySequence("Ctrl+O")));
        QVERIFY(Frame()->Action(cmd::kEditCopy)->shortcuts().contains(QKeySequence("Ctrl+Ins")));
        QVERIFY(Frame()->Action(cmd::kZoomIn)->shortcuts().contains(QKeySequence("Ctrl+=")));
        QVERIFY(Frame()->Action(cmd::kToolBrush)->actionGroup()->isExclusive());
    }

    void contextMenusShowTheirOwnLabelsAndDispatchTheCommands() {
        Start({m_picture});
        // Each context menu item reads as that menu names it, not as the main menu does.
        auto texts = [this](const MenuItem& table) {
            std::unique_ptr<QMenu> menu(Frame()->BuildMenu(table, Frame()));
            QStringList shown;
            for (QAction* action : menu->actions())
                if (!action->isSeparator()) shown << action->text();
            return shown;
        };
        QCOMPARE(texts(CanvasContextMenu()), QString::fromUtf8("확대|축소|선택/명령 해제|복사|붙이기|실행취소|실행반복").split('|'));
        QCOMPARE(texts(MeasureContextMenu()),
                 QString::fromUtf8("벡터 연속 측정 해제|영역 선택 해제|벡터 편집 취소|벡터 편집 반복|확대|축소|"
                                   "분석 환경 설정|영역복사|영역붙이기")
                     .split('|'));
        QCOMPARE(texts(LayerContextMenu()),
                 QString::fromUtf8("복사|붙이기|복제 레이어 만들기|레이어삭제|레이어추가|레이어 이름 변경|떡그림만들기|"
                                   "레스터 형식으로 변환")
                     .split('|'));
        // The main menu keeps its labels with the key names.
        QCOMPARE(Frame()->Action(cmd::kZoomIn)->text(), QString::fromUtf8("확대\tCtrl++"));

        // An item of the canvas menu runs its command and follows its state.
        std::unique_ptr<QMenu> menu(Frame()->BuildMenu(CanvasContextMenu(), View()));
        QAction* zoomOut = nullptr;
        for (QAction* action : menu->actions())
            if (action->data().toInt() == cmd::kZoomOut) zoomOut = action;
        QVERIFY(zoomOut && zoomOut->isEnabled());
        zoomOut->trigger();
        QCOMPARE(View()->document().view().zoom, 0.5f);
        Q_EMIT menu->aboutToShow();
        QVERIFY(zoomOut->isEnabled());
        zoomOut->trigger();
        zoomOut->trigger();
        Q_EMIT menu->aboutToShow();
        QCOMPARE(View()->document().view().zoom, 0.125f);
        QVERIFY(!zoomOut->isEnabled());
    }

    void duplicateAndCropToNewMakeNewPictureWindows() {
        Start({m_picture});
        DocumentSession& source = View()->document();
        // Hidden after the start; a finished new picture shows it again.
        QVERIFY(Frame()->layerWindow() && !Frame()->layerWindow()->isVisible());
        QVERIFY(Enabled(cmd::kDuplicateDocument));
        Trigger(cmd::kDuplicateDocument);
        QCOMPARE(Frame()->Views().size(), 2);
        QVERIFY(Frame()->layerWindow()->isVisible());
        DocumentSession& copy = View()->document();
        QVERIFY(&copy != &source);
        QVERIFY(QString::fromStdString(copy.title()).startsWith(QString::fromUtf8("복사")));
        QCOMPARE(copy.Width(), 100);
        QCOMPARE(copy.Height(), 50);
        const InclusiveRect r = copy.view().pictureRect;
        QCOMPARE(Grab().pixel(r.left + 37, r.top + 21), PictureColour(37, 21));

        // Without a selection: the message and no new window.
        const size_t before = m_app->platform().shownMessages().size();
        Trigger(cmd::kCropToNew);
        QCOMPARE(Frame()->Views().size(), 2);
        QCOMPARE(int(m_app->platform().shownMessages().size() - before), 1);
        QCOMPARE(QString::fromStdString(m_app->platform().shownMessages().back()), QString::fromUtf8(texts::kSelectAreaFirst));

        // With picture rows 10..29 and columns 20..59 selected: a 40 x 20 picture of that part.
        SelectionMask& selection = copy.doc().State().selection;
        std::fill(selection.mask.begin(), selection.mask.end(), 0);
        for (int y = 10; y < 30; ++y) std::fill_n(selection.mask.begin() + (49 - y) * 100 + 20, 40, 1);
        selection.selectionActive = 1;
        Trigger(cmd::kCropToNew);
        QCOMPARE(Frame()->Views().size(), 3);
        QCOMPARE(View()->document().Width(), 40);
        QCOMPARE(View()->document().Height(), 20);
        QCOMPARE(QString::fromStdString(View()->document().title()), QString::fromUtf8(texts::kUntitledPicture));
        const InclusiveRect part = View()->document().view().pictureRect;
        QCOMPARE(Grab().pixel(part.left, part.top), PictureColour(20, 10));
        QCOMPARE(Grab().pixel(part.right, part.bottom), PictureColour(59, 29));
    }

    void mouseToolsGetPictureCoordinatesAndRepaint() {
        // A tool that paints the pressed pixel of the current layer red.
        struct RedDot : ViewTool {
            bool Press(ToolContext& c, const ToolEvent& e) override {
                LayerRecord& layer = c.document.Layer(c.document.CurrentLayer());
                uint8_t* p = layer.PixelRow(layer.height - 1 - e.pictureY) + 3 * e.pictureX;
                p[0] = 0, p[1] = 0, p[2] = 255;
                return true;
            }
        };
        ToolRegistry::Instance().Register(cmd::kToolBrush, [] { return std::make_unique<RedDot>(); });
        // The real brush comes back for the tests that follow.
        struct RealTools {
            ~RealTools() { RegisterPaintTools(ToolRegistry::Instance()); }
        } restore;
        Start({m_picture});
        SetClientSize(400, 300);
        View()->document().view().keepFrameSize = 1;
        Frame()->SetCurrentTool(cmd::kToolFreeSelect);
        Trigger(cmd::kZoomIn);  // zoom 2: the picture at (100, 100) .. (299, 199)
        QVERIFY(Enabled(cmd::kToolBrush));
        Trigger(cmd::kToolBrush);
        QCOMPARE(Frame()->currentTool(), cmd::kToolBrush);
        QVERIFY(Frame()->Action(cmd::kToolBrush)->isChecked());
        QCOMPARE(Grab().pixel(100 + 2 * 30, 100 + 2 * 20), PictureColour(30, 20));
        QTest::mouseClick(View()->viewport(), Qt::LeftButton, {}, QPoint(100 + 2 * 30 + 1, 100 + 2 * 20));
        const QImage shot = Grab();
        QCOMPARE(shot.pixel(100 + 2 * 30, 100 + 2 * 20), qRgb(255, 0, 0));
        QCOMPARE(shot.pixel(100 + 2 * 30 + 1, 100 + 2 * 20 + 1), qRgb(255, 0, 0));
        QCOMPARE(shot.pixel(100 + 2 * 31, 100 + 2 * 20), PictureColour(31, 20));
    }

    void selectionOutlineAnimatesFromTheCachedComposite() {
        Start({m_picture});
        SetClientSize(300, 200);
        SelectionMask& selection = View()->document().doc().State().selection;
        QCOMPARE(selection.width, 100);
        std::fill(selection.mask.begin(), selection.mask.end(), 0);
        for (int y = 10; y < 30; ++y)  // picture rows 10..29, columns 20..59
            std::fill_n(selection.mask.begin() + (49 - y) * 100 + 20, 40, 1);
        selection.selectionActive = 1;
        View()->document().MarkChanged();
        const InclusiveRect r = View()->document().view().pictureRect;
        const QImage first = Grab();
        const QRgb corner = first.pixel(r.left + 20, r.top + 10);
        QVERIFY(corner == qRgb(0, 0, 0) || corner == qRgb(255, 255, 255));
        QCOMPARE(first.pixel(r.left + 40, r.top + 20), PictureColour(40, 20));  // inside stays the picture
        QCOMPARE(first.pixel(r.left + 19, r.top + 10), PictureColour(19, 10));  // outside too
        QVERIFY(View()->selectionTimer().running());

        // One tick of the 400 ms timer redraws only the outline, from the cached composite.
        QTest::qWait(450);
        QCoreApplication::processEvents();
        const QImage second = Grab();
        QVERIFY(View()->lastPaint().cacheUsed);
        const QRgb still = second.pixel(r.left + 20, r.top + 10);
        QVERIFY(still == qRgb(0, 0, 0) || still == qRgb(255, 255, 255));
        QCOMPARE(second.pixel(r.left + 40, r.top + 20), PictureColour(40, 20));

        // A menu popping up over the view leaves the outline running; a real loss of focus rests it.
        QFocusEvent popupOut(QEvent::FocusOut, Qt::PopupFocusReason);
        QApplication::sendEvent(View(), &popupOut);
        QVERIFY(View()->selectionTimer().outlineShown());
        QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
        QApplication::sendEvent(View(), &out);
        QVERIFY(!View()->selectionTimer().running());
        QVERIFY(View()->selectionTimer().resumePending());
        // The polygon selection zooms at once only without a selection; a rested one still counts.
        Frame()->SetCurrentTool(cmd::kToolPolygonSelect);
        Trigger(cmd::kZoomIn);
        QCOMPARE(Frame()->currentTool(), cmd::kZoomIn);
        QCOMPARE(View()->document().view().zoom, 1.0f);
        Frame()->SetCurrentTool(cmd::kNone);
        QFocusEvent in(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
        QApplication::sendEvent(View(), &in);
        QVERIFY(View()->selectionTimer().running());

        selection.selectionActive = 0;
        View()->document().MarkChanged();
        QCOMPARE(Grab().pixel(r.left + 20, r.top + 10), PictureColour(20, 10));
        QVERIFY(!View()->selectionTimer().running());
    }

    void environmentSamplesPrintingAndProgress() {
        Start({m_picture});
        ANSWER_NEXT_MODAL(CDlg_SetEnvironment, [](CDlg_SetEnvironment* dialog) {
            dialog->gridSpacingField()->setValue(24);
            dialog->accept();
        });
        Trigger(cmd::kEnvironment);
        RETURN_IF_ANSWER_FAILED();
        QCOMPARE(Frame()->env().gridSpacing, -24);  // still hidden

        Frame()->Dispatch(cmd::kLoadBitmapSample);
        QCOMPARE(Frame()->Views().size(), 2);
        QCOMPARE(View()->document().title(), SampleTitle(cmd::kLoadBitmapSample, 0));

        const QString pdf = m_dir.filePath("print.pdf");
        {
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            View()->Print(printer);
        }
        QVERIFY(QFileInfo(pdf).size() > 1000);
        // A 100 x 50 picture of 72 dpi on a 300 dpi page; one without resolution counts as 96 dpi.
        QCOMPARE(CVandView::PrintRect(300, 600, 100, 50, 72, 72), QRect(100, 100, 316, 316));
        QCOMPARE(CVandView::PrintRect(300, 300, 100, 80, 0, 150), QRect(100, 100, 212, 60));
        QVERIFY(CVandView::PrintRect(72, 72, 50, 50, 72, 72).isEmpty());  // smaller than the margin

        CurrentPlatform().SetProgress(42);
        QCOMPARE(Frame()->progressBar()->value(), 42);
    }

    void newPictureDialogAndOpenPreview() {
        Start({});
        QCOMPARE(Frame()->Views().size(), 1);  // an empty command line makes a new picture
        QCOMPARE(View()->document().Width(), 450);
        ANSWER_NEXT_MODAL(CDlg_NewImage, [](CDlg_NewImage* dialog) {
            QCOMPARE(dialog->windowTitle(), QString::fromUtf8(texts::kNewPictureTitle));
            QCOMPARE(dialog->nameField()->text(), QString::fromUtf8(texts::kUntitledPicture));
            dialog->widthField()->setValue(120);
            dialog->heightField()->setValue(9000);  // limited to 5000
            dialog->backgroundList()->setCurrentIndex(1);  // transparent
            dialog->accept();
        });
        Trigger(cmd::kFileNew);
        RETURN_IF_ANSWER_FAILED();
        QCOMPARE(Frame()->Views().size(), 2);
        QCOMPARE(View()->document().Width(), 120);
        QCOMPARE(View()->document().Height(), 5000);
        const CVandDoc& doc = View()->document().doc();
        QCOMPARE(int(doc.Layer(doc.HeadLayer()).alpha[0]), 0);

        // The open dialog previews a native document with its caption, reduced to 225 × 180.
        const QString qvx = m_dir.filePath("tall.qvx");
        QVERIFY(View()->document().doc().SaveDocument(qvx.toStdString()));
        Dlg_QvxFile dialog(Frame(), m_dir.path());
        QCOMPARE(dialog.Preview(qvx), FilePreview::Outcome::kShown);
        QCOMPARE(dialog.captionLabel()->text(), QString::fromStdString(QvxPreviewCaption(120, 5000)));
        const QSize shown = dialog.previewLabel()->pixmap().size();
        QVERIFY(shown.height() == 180 && shown.width() <= 5);
        QCOMPARE(dialog.Preview(qvx), FilePreview::Outcome::kUnchanged);
        QCOMPARE(dialog.Preview(m_picture), FilePreview::Outcome::kNoPreview);
        QVERIFY(dialog.previewLabel()->pixmap().isNull());

        // Choosing another file type replaces the typed name's extension.
        auto* nameEdit = dialog.findChild<QLineEdit*>("fileNameEdit");
        auto* types = dialog.findChild<QComboBox*>("fileTypeCombo");
        QVERIFY(nameEdit && types);
        nameEdit->setText("holiday.photo.bmp");
        const int jpg = types->findText("jpg", Qt::MatchStartsWith);
        QVERIFY(jpg >= 0);
        types->setCurrentIndex(jpg);
        types->textActivated(types->itemText(jpg));  // what choosing the entry emits
        QCOMPARE(nameEdit->text(), QString("holiday.jpg"));

        // A PSD file of the shared corpus, when present, and the same picture opened as a document.
        const QString psd = QString(QUILLORY_CORPUS_DIR) + "/psd/hopper.psd";
        if (QFileInfo::exists(psd)) {
            QCOMPARE(dialog.Preview(psd), FilePreview::Outcome::kShown);
            QCOMPARE(dialog.previewLabel()->pixmap().size(), QSize(128, 128));
            QVERIFY(Frame()->OpenDocument(psd));
            QCOMPARE(View()->document().Width(), 128);
        }
    }
};

QUILLORY_SHELL_TEST(EditorWindowTest)
#include "EditorWindowTest.moc"
