// Paste, then drag, in the real editor: the pasted picture lands at the top-left of
// the visible part, the old selection ends so the move tool moves the new layer
// itself, and each drag of a layer is one step that undoes alone.
#include <QScrollBar>
#include <QtTest>

#include "EditorFixture.h"
#include "ShellTestMain.h"
#include "core/CommandIds.h"
#include "document/DocumentTexts.h"
#include "document/LayerPlanes.h"
#include "document/UndoHistory.h"

using namespace quillory;

class PasteAndMoveTest : public test::EditorFixture {
    Q_OBJECT

    CanvasRect CurrentRect() { return LayerCanvasRect(Doc().Layer(Doc().CurrentLayer()), Doc().Header()); }
    // Opacity of the current layer at a canvas point (rows from the top).
    int OpacityAt(int x, int y) {
        const LayerRecord& layer = Doc().Layer(Doc().CurrentLayer());
        const CanvasRect r = CurrentRect();
        const int column = x - r.left, storedRow = layer.height - 1 - (y - r.top);
        if (column < 0 || column >= layer.width || storedRow < 0 || storedRow >= layer.height) return -1;
        return layer.AlphaRow(storedRow)[column];
    }

private Q_SLOTS:
    void initTestCase() { PrepareFiles(); }
    void cleanup() { Stop(); }

    void pastedPictureLandsInViewAndEachDragIsAStep() {
        const QString big = m_dir.filePath("big.bmp");
        QVERIFY(test::WritePicture(big, 400, 300));
        Start({big});
        SetClientSize(200, 150);
        View()->horizontalScrollBar()->setValue(100);
        View()->verticalScrollBar()->setValue(80);
        QCoreApplication::processEvents();
        QCOMPARE(View()->VisiblePictureTopLeft(), QPoint(100, 80));

        // A rectangle of 30 × 20 picture pixels, copied; its outline stays.
        Trigger(cmd::kToolRectSelect);
        Drag(QPoint(10, 10), QPoint(39, 29));
        QVERIFY(Doc().State().selection.selectionActive);
        Trigger(cmd::kEditCopy);
        Trigger(cmd::kEditPaste);
        QCOMPARE(Doc().CountLayers(), 2);
        QCOMPARE(Frame()->currentTool(), cmd::kToolMove);
        QCOMPARE(NewestStep(), std::string(texts::kStepPaste));
        // The copy sits at the top-left of what the window shows, and nothing else is selected.
        QVERIFY(!Doc().State().selection.selectionActive);
        QCOMPARE(OpacityAt(100, 80), 255);
        QCOMPARE(OpacityAt(129, 99), 255);
        QCOMPARE(OpacityAt(130, 80), 0);
        QVERIFY(OpacityAt(100, 100) <= 0);  // clear, or beyond the layer
        const CanvasRect pasted = CurrentRect();

        // The first drag moves the pasted layer itself: no floating piece is lifted.
        Drag(QPoint(15, 15), QPoint(25, 20));
        QCOMPARE(Doc().CountLayers(), 2);
        QCOMPARE(CurrentRect().left, pasted.left + 10);
        QCOMPARE(CurrentRect().top, pasted.top + 5);
        QCOMPARE(OpacityAt(110, 85), 255);
        QCOMPARE(NewestStep(), std::string(texts::kStepMoveLayer));
        Drag(QPoint(25, 20), QPoint(30, 20));
        QCOMPARE(CurrentRect().left, pasted.left + 15);

        // Undo takes back one drag at a time, then the paste.
        Trigger(cmd::kEditUndo);
        QCOMPARE(Doc().CountLayers(), 2);
        QCOMPARE(CurrentRect().left, pasted.left + 10);
        Trigger(cmd::kEditUndo);
        QCOMPARE(Doc().CountLayers(), 2);
        QCOMPARE(CurrentRect().left, pasted.left);
        QCOMPARE(CurrentRect().top, pasted.top);
        Trigger(cmd::kEditUndo);
        QCOMPARE(Doc().CountLayers(), 1);
    }

    void theArrowKeysMoveTheLayerOneStepAPress() {
        Start({m_picture});
        Trigger(cmd::kLayerAdd);
        Trigger(cmd::kToolMove);
        Frame()->activateWindow();
        View()->setFocus();
        QCoreApplication::processEvents();
        const int steps = Doc().History().StepPosition();
        const CanvasRect before = CurrentRect();
        QTest::keyClick(View(), Qt::Key_Right);
        QTest::keyClick(View(), Qt::Key_Down);
        QCOMPARE(CurrentRect().left, before.left + 1);
        QCOMPARE(CurrentRect().top, before.top + 1);
        QCOMPARE(Doc().History().StepPosition(), steps + 2);
        Trigger(cmd::kEditUndo);
        QCOMPARE(CurrentRect().left, before.left + 1);
        QCOMPARE(CurrentRect().top, before.top);
    }
};

QUILLORY_SHELL_TEST(PasteAndMoveTest)
#include "PasteAndMoveTest.moc"
