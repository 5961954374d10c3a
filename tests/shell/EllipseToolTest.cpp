// The ellipse transform in the real editor: its menu item starts a box on the
// current layer, the handles follow the pointer at any zoom, Enter or a double
// click bends the layer as one undoable step, and Esc leaves the picture alone.
#include <QMdiSubWindow>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include "core/CommandIds.h"
#include "core/FormatCodes.h"
#include "core/NyZazo.h"
#include "document/DocumentPrint.h"
#include "document/LayerPlanes.h"
#include "document/TransformTexts.h"
#include "document/UndoHistory.h"
#include "shell/CMainFrame.h"
#include "shell/CVandApp.h"
#include "shell/CVandView.h"
#include "shell/DesktopTexts.h"
#include "shell/PanelCommands.h"
#include "shell/PanelTexts.h"
#include "view/EllipseTool.h"
#include "ShellTestMain.h"

using namespace quillory;

namespace {

constexpr int kWidth = 60, kHeight = 40;

// Every pixel differs, so a bent layer cannot pass for the old one.
bool WriteRamp(const QString& path) {
    NyZazo picture(kWidth, kHeight, 24, kFormatBmp);
    for (int y = 0; y < kHeight; ++y) {
        uint8_t* row = picture.Row(y);
        for (int x = 0; x < kWidth; ++x)
            row[3 * x] = uint8_t(4 * x), row[3 * x + 1] = uint8_t(6 * y), row[3 * x + 2] = uint8_t(200 - x - y);
    }
    return picture.Save(path.toStdString(), kFormatBmp);
}

QString Text(const char* utf8) { return QString::fromUtf8(utf8); }

}  // namespace

class EllipseToolTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_picture;
    std::unique_ptr<CVandApp> m_app;

    CMainFrame* Frame() { return m_app->mainFrame(); }
    CVandView* View() { return Frame()->ActiveView(); }
    CVandDoc& Doc() { return View()->document().doc(); }
    const LayerRecord& Layer() { return Doc().Layer(Doc().CurrentLayer()); }
    const TransformSession& Session() { return Frame()->panelState().transform; }
    QString ChildTitle() { return qobject_cast<QMdiSubWindow*>(View()->parentWidget())->windowTitle(); }

    void Start() {
        m_app = std::make_unique<CVandApp>();
        m_app->platform().SetScriptedAnswers({});
        StartOptions options;
        options.arguments = {m_picture};
        options.showSplash = false;
        options.maximised = false;
        QVERIFY(m_app->InitInstance(options));
        Frame()->savePathPrompt = [](const QString&) { return QString(); };
        QVERIFY(QTest::qWaitForWindowExposed(Frame()));
        QCoreApplication::processEvents();
    }

    void Trigger(int id) {
        Frame()->RefreshCommandStates();
        QAction* action = Frame()->Action(id);
        QVERIFY2(action && action->isEnabled(), qPrintable(QString("action %1").arg(id)));
        action->trigger();
        QCoreApplication::processEvents();
    }

    // Where a handle of the box is drawn in the view's window.
    QPoint Handle(int k) {
        const ViewState& view = View()->document().view();
        const HandlePoint h = BoxHandleWindowPoint(Session().box, LayerCanvasRect(Layer(), Doc().Header()),
                                                   MappingOf(view, kWidth, kHeight), k);
        return QPoint(int(std::lround(h.x)), int(std::lround(h.y)));
    }

    void Drag(QPoint from, QPoint to) {
        QWidget* port = View()->viewport();
        QTest::mousePress(port, Qt::LeftButton, {}, from);
        QTest::mouseMove(port, (from + to) / 2);
        QTest::mouseMove(port, to);
        QTest::mouseRelease(port, Qt::LeftButton, {}, to);
        QCoreApplication::processEvents();
    }

    void ZoomToTwo() {
        Frame()->SetCurrentTool(cmd::kToolFreeSelect);  // zooms at once, without an anchor
        Trigger(cmd::kZoomIn);
        QCOMPARE(View()->document().view().zoom, 2.0f);
        Frame()->SetCurrentTool(cmd::kNone);
    }

    // The bent layer: one step of its own, the ellipse's corners empty, its middle full.
    void CheckBent(int steps, const EllipseBox& box) {
        QCOMPARE(Doc().History().StepPosition(), steps + 1);
        QCOMPARE(Doc().History().Entry(Doc().History().StepPosition()).name, std::string(texts::kStepEllipse));
        RGBQUAD c;
        QVERIFY(LayerColourAt(Doc(), (box.left + box.right) / 2, (box.top + box.bottom) / 2, c));
        const CanvasRect rect = LayerCanvasRect(Layer(), Doc().Header());
        auto alphaAt = [&](int x, int top) {
            return int(Layer().alpha[size_t(Layer().height - 1 - (top - rect.top)) * Layer().width + (x - rect.left)]);
        };
        QCOMPARE(alphaAt((box.left + box.right) / 2, (box.top + box.bottom) / 2), 255);
        QCOMPARE(alphaAt(box.left, box.top), 0);
        QCOMPARE(alphaAt(box.right - 1, box.bottom - 1), 0);
        QCOMPARE(Frame()->currentTool(), cmd::kNone);
        QVERIFY(!Session().IsFor(Doc()));
        QVERIFY(ChildTitle().startsWith(Text(shelltexts::kUnsavedMark)));
    }

    void UndoGivesBack(const test::DocumentPrint& before, int steps) {
        Trigger(cmd::kEditUndo);
        QCOMPARE(QString::fromStdString(test::Differences(before, test::PrintOf(Doc()))), QString());
        QCOMPARE(Doc().History().StepPosition(), steps);
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_picture = m_dir.filePath("ramp.bmp");
        QVERIFY(WriteRamp(m_picture));
    }

    void cleanup() {
        if (m_app && Frame()) {
            for (CVandView* view : Frame()->Views()) view->document().doc().SetModified(false);
            Frame()->close();
        }
        m_app.reset();
    }

    void menuItemShowsTheBoxAndItsHandles() {
        Start();
        QAction* action = Frame()->Action(cmd::kEllipseTransform);
        QVERIFY(action);
        QCOMPARE(action->text(), Text(texts::kCmdEllipse));
        QVERIFY(!action->statusTip().isEmpty());
        Trigger(cmd::kEllipseTransform);
        QCOMPARE(Frame()->currentTool(), cmd::kEllipseTransform);
        QVERIFY(Session().IsFor(Doc()));
        QCOMPARE(Session().box, (EllipseBox{0, 0, kWidth, kHeight}));
        QCOMPARE(Frame()->statusBar()->currentMessage(), Text(shelltexts::kEllipseHint));
        const InclusiveRect r = View()->document().view().pictureRect;
        QCOMPARE(Handle(2), QPoint(r.left + kWidth, r.top + kHeight));
        QCOMPARE(Handle(5), QPoint(r.left + kWidth, r.top + kHeight / 2));
        // Handles drawn over the picture: white inside a black frame.
        const QImage shot = View()->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(shot.pixel(Handle(4) + QPoint(1, 1)), qRgb(255, 255, 255));
        QCOMPARE(shot.pixel(Handle(4) + QPoint(4, 2)), qRgb(0, 0, 0));
        // Nothing changed yet.
        QVERIFY(!Doc().IsModified());
    }

    void enterBendsTheLayerAndUndoGivesItBack() {
        Start();
        const test::DocumentPrint before = test::PrintOf(Doc());
        const int steps = Doc().History().StepPosition();
        Trigger(cmd::kEllipseTransform);
        Drag(Handle(2), Handle(2) + QPoint(-20, -10));
        QCOMPARE(Session().box, (EllipseBox{0, 0, 40, 30}));
        // Dragged inside, the box moves.
        Drag(Handle(0) + QPoint(20, 15), Handle(0) + QPoint(30, 20));
        QCOMPARE(Session().box, (EllipseBox{10, 5, 50, 35}));
        QVERIFY(Doc().History().StepPosition() == steps);
        QTest::keyClick(View(), Qt::Key_Return);
        QCoreApplication::processEvents();
        CheckBent(steps, EllipseBox{10, 5, 50, 35});
        UndoGivesBack(before, steps);
    }

    void escLeavesThePictureAsItWas() {
        Start();
        const test::DocumentPrint before = test::PrintOf(Doc());
        const int steps = Doc().History().StepPosition();
        Trigger(cmd::kEllipseTransform);
        Drag(Handle(6), Handle(6) + QPoint(0, -15));
        QCOMPARE(Session().box, (EllipseBox{0, 0, kWidth, kHeight - 15}));
        QTest::keyClick(View(), Qt::Key_Escape);
        QCoreApplication::processEvents();
        QCOMPARE(Frame()->currentTool(), cmd::kNone);
        QVERIFY(!Session().IsFor(Doc()));
        QCOMPARE(QString::fromStdString(test::Differences(before, test::PrintOf(Doc()))), QString());
        QCOMPARE(Doc().History().StepPosition(), steps);
        QVERIFY(!Doc().IsModified());
    }

    void atTwiceTheSizeTheBoxStaysUnderThePointer() {
        Start();
        ZoomToTwo();
        const test::DocumentPrint before = test::PrintOf(Doc());
        const int steps = Doc().History().StepPosition();
        Trigger(cmd::kEllipseTransform);
        const ViewState& view = View()->document().view();
        QCOMPARE(Handle(2), QPoint(view.pictureRect.left - view.scrollX + 2 * kWidth,
                                   view.pictureRect.top - view.scrollY + 2 * kHeight));
        // 20 window pixels are 10 picture pixels.
        Drag(Handle(2), Handle(2) + QPoint(-20, -10));
        QCOMPARE(Session().box, (EllipseBox{0, 0, 50, 35}));
        // A new box drawn from beside the old one, then applied by a double click inside it.
        const QPoint origin = Handle(0);
        Drag(origin + QPoint(110, 76), origin + QPoint(20, 10));
        QCOMPARE(Session().box, (EllipseBox{10, 5, 55, 38}));
        QTest::mouseDClick(View()->viewport(), Qt::LeftButton, {}, origin + QPoint(60, 40));
        QCoreApplication::processEvents();
        CheckBent(steps, EllipseBox{10, 5, 55, 38});
        UndoGivesBack(before, steps);
    }

    void textLayerIsRefusedWithTheTransformsMessage() {
        Start();
        const uint8_t kind = Layer().kind;
        Doc().Layer(Doc().CurrentLayer()).kind = LayerKind::Text;
        const size_t shown = m_app->platform().shownMessages().size();
        Trigger(cmd::kEllipseTransform);
        QCOMPARE(m_app->platform().shownMessages().size(), shown + 1);
        QCOMPARE(QString::fromStdString(m_app->platform().shownMessages().back()), Text(texts::kLayerIsTextLayer));
        QVERIFY(Frame()->currentTool() != cmd::kEllipseTransform);
        Doc().Layer(Doc().CurrentLayer()).kind = kind;
    }
};

QUILLORY_SHELL_TEST(EllipseToolTest)
#include "EllipseToolTest.moc"
