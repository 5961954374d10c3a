// The ellipse transform in the real editor: its menu item starts a box on the
// current layer, the handles follow the pointer at any zoom, Enter or a double
// click bends the layer as one undoable step, and Esc leaves the picture alone.
#include <QMdiSubWindow>
#include <QStatusBar>

#include "core/CommandIds.h"
#include "document/DocumentPrint.h"
#include "document/LayerPlanes.h"
#include "document/TransformTexts.h"
#include "document/UndoHistory.h"
#include "shell/DesktopTexts.h"
#include "shell/PanelCommands.h"
#include "shell/PanelTexts.h"
#include "view/EllipseTool.h"
#include "EditorFixture.h"
#include "ShellTestMain.h"

using namespace quillory;
using test::Text;

namespace {

constexpr int kWidth = 60, kHeight = 40;

// Every pixel differs, so a bent layer cannot pass for the old one.
QRgb Colour(int x, int y) { return qRgb(200 - x - y, 6 * y, 4 * x); }

}  // namespace

class EllipseToolTest : public test::EditorFixture {
    Q_OBJECT

    const LayerRecord& Layer() { return Doc().Layer(Doc().CurrentLayer()); }
    const TransformSession& Session() { return Frame()->panelState().transform; }
    QString ChildTitle() { return qobject_cast<QMdiSubWindow*>(View()->parentWidget())->windowTitle(); }

    // Where a handle of the box is drawn in the view's window.
    QPoint Handle(int k) {
        const ViewState& view = View()->document().view();
        const HandlePoint h = BoxHandleWindowPoint(Session().box, LayerCanvasRect(Layer(), Doc().Header()),
                                                   MappingOf(view, kWidth, kHeight), k);
        return QPoint(int(std::lround(h.x)), int(std::lround(h.y)));
    }

    void ZoomToTwo() {
        Frame()->SetCurrentTool(cmd::kToolFreeSelect);  // zooms at once, without an anchor
        Trigger(cmd::kZoomIn);
        QCOMPARE(View()->document().view().zoom, 2.0f);
        Frame()->SetCurrentTool(cmd::kNone);
    }

    // The bent layer: one step of its own, the ellipse's corners empty, the picture's middle in its middle.
    void CheckBent(int steps, const EllipseBox& box) {
        QCOMPARE(Doc().History().StepPosition(), steps + 1);
        QCOMPARE(NewestStep(), std::string(texts::kStepEllipse));
        RGBQUAD c;
        QVERIFY(LayerColourAt(Doc(), (box.left + box.right) / 2, (box.top + box.bottom) / 2, c));
        const QRgb middle = Colour(kWidth / 2, kHeight / 2);
        QVERIFY2(std::abs(c.red - qRed(middle)) <= 8 && std::abs(c.green - qGreen(middle)) <= 8 &&
                     std::abs(c.blue - qBlue(middle)) <= 8,
                 qPrintable(QString("middle %1 %2 %3").arg(c.red).arg(c.green).arg(c.blue)));
        const CanvasRect rect = LayerCanvasRect(Layer(), Doc().Header());
        auto alphaAt = [&](int x, int top) {
            return int(Layer().alpha[size_t(Layer().height - 1 - (top - rect.top)) * Layer().width + (x - rect.left)]);
        };
        QCOMPARE(alphaAt((box.left + box.right) / 2, (box.top + box.bottom) / 2), 255);
        QCOMPARE(alphaAt(box.left, box.top), 0);
        QCOMPARE(alphaAt(box.right - 1, box.bottom - 1), 0);
        QCOMPARE(Frame()->currentTool(), cmd::kNone);
        QVERIFY(!Session().IsFor(Doc()));
        QCOMPARE(Frame()->statusBar()->currentMessage(), QString());
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
        QVERIFY(test::WritePicture(m_picture, kWidth, kHeight, Colour));
    }

    void cleanup() { Stop(); }

    void menuItemShowsTheBoxAndItsHandles() {
        Start({m_picture});
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
        const QImage shot = Grab();
        QCOMPARE(shot.pixel(Handle(4) + QPoint(1, 1)), qRgb(255, 255, 255));
        QCOMPARE(shot.pixel(Handle(4) + QPoint(4, 2)), qRgb(0, 0, 0));
        // Over a corner the pointer shows the sizing arrows, inside the box the move cross.
        QTest::mouseMove(View()->viewport(), Handle(2));
        QCOMPARE(View()->viewport()->cursor().shape(), Qt::SizeFDiagCursor);
        QTest::mouseMove(View()->viewport(), Handle(0) + QPoint(kWidth / 2, kHeight / 2));
        QCOMPARE(View()->viewport()->cursor().shape(), Qt::SizeAllCursor);
        // Nothing changed yet.
        QVERIFY(!Doc().IsModified());
    }

    void enterBendsTheLayerAndUndoGivesItBack() {
        Start({m_picture});
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
        Start({m_picture});
        const Qt::CursorShape environments = View()->viewport()->cursor().shape();
        const test::DocumentPrint before = test::PrintOf(Doc());
        const int steps = Doc().History().StepPosition();
        Trigger(cmd::kEllipseTransform);
        Drag(Handle(6), Handle(6) + QPoint(0, -15));
        QCOMPARE(Session().box, (EllipseBox{0, 0, kWidth, kHeight - 15}));
        QTest::mouseMove(View()->viewport(), Handle(6));
        QCOMPARE(View()->viewport()->cursor().shape(), Qt::SizeVerCursor);
        QTest::keyClick(View(), Qt::Key_Escape);
        QCoreApplication::processEvents();
        QCOMPARE(Frame()->currentTool(), cmd::kNone);
        // The next move gives the pointer back to the environment's cursor.
        QTest::mouseMove(View()->viewport(), Handle(6) + QPoint(-5, -5));
        QCOMPARE(View()->viewport()->cursor().shape(), environments);
        QVERIFY(!Session().IsFor(Doc()));
        QCOMPARE(QString::fromStdString(test::Differences(before, test::PrintOf(Doc()))), QString());
        QCOMPARE(Doc().History().StepPosition(), steps);
        QVERIFY(!Doc().IsModified());
    }

    void atTwiceTheSizeTheBoxStaysUnderThePointer() {
        Start({m_picture});
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

    void choosingItAgainKeepsThePlacedBoxUntilEsc() {
        Start({m_picture});
        Trigger(cmd::kEllipseTransform);
        Drag(Handle(3), Handle(3) + QPoint(12, -6));
        const EllipseBox placed{12, 0, kWidth, kHeight - 6};
        QCOMPARE(Session().box, placed);
        // A zoom and back with the zoom tool, then the menu item again.
        Trigger(cmd::kZoomIn);
        QCOMPARE(Frame()->currentTool(), cmd::kZoomIn);
        QCOMPARE(Frame()->statusBar()->currentMessage(), QString());
        QTest::mouseClick(View()->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(View()->document().view().zoom, 2.0f);
        Trigger(cmd::kEllipseTransform);
        QCOMPARE(Session().box, placed);
        QTest::keyClick(View(), Qt::Key_Escape);
        Trigger(cmd::kEllipseTransform);
        QCOMPARE(Session().box, (EllipseBox{0, 0, kWidth, kHeight}));
    }

    void textLayerIsRefusedWithTheTransformsMessage() {
        Start({m_picture});
        const uint8_t kind = Layer().kind;
        Doc().Layer(Doc().CurrentLayer()).kind = LayerKind::Text;
        const size_t shown = MessageCount();
        Trigger(cmd::kEllipseTransform);
        QCOMPARE(MessageCount(), shown + 1);
        QCOMPARE(LastMessage(), Text(texts::kLayerIsTextLayer));
        QVERIFY(Frame()->currentTool() != cmd::kEllipseTransform);
        Doc().Layer(Doc().CurrentLayer()).kind = kind;
    }
};

QUILLORY_SHELL_TEST(EllipseToolTest)
#include "EllipseToolTest.moc"
