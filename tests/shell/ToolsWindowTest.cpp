// The painting and selection tools and the clipboard in the real editor: a stroke
// with the mouse is one step in the history list, the tool sliders follow the
// chosen tool, and pictures travel through the system clipboard both ways.
#include <algorithm>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QSlider>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>

#include "core/CommandIds.h"
#include "core/FormatCodes.h"
#include "core/NyZazo.h"
#include "document/DocumentTexts.h"
#include "document/LayerPlanes.h"
#include "document/ToolTexts.h"
#include "shell/CDlg_Layer.h"
#include "shell/CDlg_NewImage.h"
#include "shell/CMainFrame.h"
#include "shell/CVandApp.h"
#include "shell/CVandView.h"
#include "shell/QtPlatform.h"
#include "shell/ToolSettingsBar.h"
#include "EditorFixture.h"
#include "ShellTestMain.h"

using namespace quillory;
using namespace quillory::test;

namespace {

// A layer pixel under a picture pixel (rows top-down): blue, green, red, opacity.
QList<int> Pixel(const CVandDoc& d, int x, int y, int slot = -1) {
    if (slot < 0) slot = d.CurrentLayer();
    const LayerRecord& layer = d.Layer(slot);
    const CanvasRect rect = LayerCanvasRect(layer, d.Header());
    const int lx = x - rect.left, row = layer.height - 1 - (y - rect.top);
    const uint8_t* p = layer.PixelRow(row) + size_t(lx) * 3;
    return {p[0], p[1], p[2], layer.AlphaRow(row)[lx]};
}

}  // namespace

class ToolsWindowTest : public EditorFixture {
    Q_OBJECT

    // The window point of a picture pixel at zoom 1.
    QPoint At(int x, int y) {
        const ViewState& s = View()->document().view();
        return QPoint(s.pictureRect.left + x - s.scrollX, s.pictureRect.top + y - s.scrollY);
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_picture = m_dir.filePath("blue.bmp");
        // Blue, with green counting the columns and red the rows.
        QVERIFY(WritePicture(m_picture, 40, 24, [](int x, int screenY) { return qRgb(screenY, x, 200); }));
    }
    void cleanup() { Stop(); }

    void strokeWithTheMouseIsOneStepInTheHistoryList() {
        Start({m_picture});
        Trigger(cmd::kToolBrush);
        QCOMPARE(Frame()->currentTool(), int(cmd::kToolBrush));
        QVERIFY(Frame()->Action(cmd::kToolBrush)->isChecked());
        auto* value1 = Frame()->findChild<QSlider*>("toolValue1");
        QVERIFY(value1);
        QVERIFY(!value1->isEnabled());
        const size_t steps = Doc().RecordedSteps().size();
        const uint64_t seen = View()->document().generation();
        Drag(At(5, 12), At(30, 12));
        QCOMPARE(Doc().RecordedSteps().size(), steps + 1);
        // The view is told the stroke's own rows and columns, not the whole picture.
        const int brush = Frame()->env().brushSize;
        IntRect marked{1000, 1000, -1, -1};
        QVERIFY(View()->document().changes().ChangesSince(seen, [&](const IntRect& r) {
            if (r.IsEmpty()) return;
            marked = IntRect{std::min(marked.left, r.left), std::min(marked.top, r.top), std::max(marked.right, r.right),
                             std::max(marked.bottom, r.bottom)};
        }));
        QVERIFY(View()->document().generation() > seen);
        QVERIFY(marked.left <= 5 && marked.right >= 31 && marked.top <= 12 && marked.bottom >= 13);
        QVERIFY(marked.left >= 5 - brush && marked.right <= 31 + brush);
        QVERIFY(marked.top >= 12 - brush && marked.bottom <= 13 + brush);
        QCOMPARE(Doc().RecordedSteps().back().name, std::string(texts::kStepBrush));
        QCOMPARE(Pixel(Doc(), 17, 12), (QList<int>{0, 0, 0, 255}));
        QCOMPARE(Pixel(Doc(), 17, 2)[0], 200);
        QListWidget* history = Frame()->layerWindow()->historyList();
        bool listed = false;
        for (int i = 0; i < history->count(); ++i) listed |= history->item(i)->text().contains(QString::fromUtf8(texts::kStepBrush));
        QVERIFY(listed);
    }

    void slidersFollowTheToolAndThePickerSetsTheForeground() {
        Start({m_picture});
        auto* value1 = Frame()->findChild<QSlider*>("toolValue1");
        auto* value2 = Frame()->findChild<QSlider*>("toolValue2");
        QVERIFY(value1 && value2 && Frame()->findChild<QCheckBox*>("softBrush"));
        Trigger(cmd::kToolFill);
        QVERIFY(value1->isEnabled() && value2->isEnabled());
        QCOMPARE(value1->value(), 10);
        QCOMPARE(value1->maximum(), 60);
        Trigger(cmd::kToolDrop);
        QCOMPARE(value1->minimum(), 5);
        QCOMPARE(value1->value(), 10);
        QVERIFY(!value2->isEnabled());
        Trigger(cmd::kToolMagicWand);
        QCOMPARE(value1->value(), 25);
        QVERIFY(Frame()->Action(cmd::kToolDot)->isEnabled());
        Trigger(cmd::kToolColourPicker);
        QVERIFY(Frame()->Action(cmd::kToolColourPicker)->isChecked());
        QTest::mouseClick(View()->viewport(), Qt::LeftButton, {}, At(7, 3));
        QCOMPARE(Frame()->env().foreground, int32_t(3 | 7 << 8 | 200 << 16));
    }

    void copyInQuilloryAndPasteIntoANewDocument() {
        Start({m_picture});
        Trigger(cmd::kToolRectSelect);
        Drag(At(2, 3), At(11, 8));
        QVERIFY(Doc().State().selection.selectionActive);
        QVERIFY(View()->selectionTimer().running());
        Trigger(cmd::kEditCopy);
        const QMimeData* data = QApplication::clipboard()->mimeData();
        QVERIFY(data && data->hasFormat(kPackedDibMime) && data->hasImage());
        const QImage offered = qvariant_cast<QImage>(data->imageData());
        QCOMPARE(offered.size(), QSize(10, 6));
        QCOMPARE(QColor(offered.pixel(0, 0)), QColor(3, 2, 200));

        // The new-picture dialog takes the clipboard's size.
        QTimer::singleShot(0, [] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) dialog->accept();
        });
        Trigger(cmd::kFileNew);
        QCOMPARE(Frame()->Views().size(), 2);
        QCOMPARE(View()->document().Width(), 10);
        QCOMPARE(View()->document().Height(), 6);
        QVERIFY(Frame()->Action(cmd::kEditPaste)->isEnabled());
        Trigger(cmd::kEditPaste);
        QCOMPARE(Doc().CountLayers(), 2);
        QCOMPARE(Doc().CurrentLayer(), Doc().TopLayer());
        QCOMPARE(Doc().RecordedSteps().back().name, std::string(texts::kStepPaste));
        QCOMPARE(Frame()->currentTool(), int(cmd::kToolMove));
        QCOMPARE(Pixel(Doc(), 0, 0), (QList<int>{200, 2, 3, 255}));
        QCOMPARE(Pixel(Doc(), 9, 5), (QList<int>{200, 11, 8, 255}));
    }

    void aSelectionSuspendedByLosingTheFocusStillLimitsCopyCutAndCropToNew() {
        Start({m_picture});
        Frame()->activateWindow();
        View()->setFocus();
        QCoreApplication::processEvents();
        Trigger(cmd::kToolRectSelect);
        Drag(At(2, 3), At(11, 7));
        QCOMPARE(View()->selectionTimer().outlineShown(), true);
        // The user turns to another window: the outline rests, the selection stays.
        View()->clearFocus();
        QCoreApplication::processEvents();
        const SelectionMask& selection = Doc().State().selection;
        QVERIFY(!selection.selectionActive && selection.suspended);
        auto clipboardSize = [] {
            const QMimeData* data = QApplication::clipboard()->mimeData();
            return data && data->hasImage() ? qvariant_cast<QImage>(data->imageData()).size() : QSize();
        };

        Trigger(cmd::kEditCopy);
        QCOMPARE(clipboardSize(), QSize(10, 5));

        // Cut takes the same part and clears only it.
        Trigger(cmd::kEditCut);
        QCOMPARE(clipboardSize(), QSize(10, 5));
        QVERIFY(Pixel(Doc(), 6, 5)[3] < 255);
        QCOMPARE(Pixel(Doc(), 20, 15), (QList<int>{200, 20, 15, 255}));
        QCOMPARE(Pixel(Doc(), 1, 5)[3], 255);

        // A new picture from the selection has the selection's size.
        CVandDoc& source = Doc();
        Trigger(cmd::kCropToNew);
        QCOMPARE(Frame()->Views().size(), 2);
        QVERIFY(&Doc() != &source);
        QCOMPARE(View()->document().Width(), 10);
        QCOMPARE(View()->document().Height(), 5);
    }

    void imageCopiedByAnotherProgramPastesAsALayer() {
        Start({m_picture});
        QApplication::clipboard()->clear();
        QCoreApplication::processEvents();
        Frame()->RefreshCommandStates();
        QVERIFY(!Frame()->Action(cmd::kEditPaste)->isEnabled());
        // Another program offers a picture with transparency.
        QImage image(6, 4, QImage::Format_ARGB32);
        image.fill(QColor(255, 0, 0));
        image.setPixelColor(5, 3, QColor(0, 255, 0, 100));
        QApplication::clipboard()->setImage(image);
        QCoreApplication::processEvents();
        const int layers = Doc().CountLayers();
        Trigger(cmd::kEditPaste);
        QCOMPARE(Doc().CountLayers(), layers + 1);
        const LayerRecord& pasted = Doc().Layer(Doc().CurrentLayer());
        QCOMPARE(pasted.width, 40);  // at least the picture's size
        // It lands at the top-left of the visible part: here the picture's own.
        QCOMPARE(Pixel(Doc(), 0, 0), (QList<int>{0, 0, 255, 255}));
        QCOMPARE(Pixel(Doc(), 5, 3), (QList<int>{0, 255, 0, 100}));
        QCOMPARE(Pixel(Doc(), 6, 3)[3], 0);
    }

    void movedSelectionFloatsAndLandsAsOneStep() {
        Start({m_picture});
        Trigger(cmd::kToolRectSelect);
        Drag(At(2, 2), At(9, 9));
        Trigger(cmd::kToolMove);
        const size_t steps = Doc().RecordedSteps().size();
        Drag(At(5, 5), At(25, 10));
        QVERIFY(Doc().State().floatingPending);
        QCOMPARE(Doc().CountLayers(), 2);
        Trigger(cmd::kToolBrush);  // another tool lands it
        QVERIFY(!Doc().State().floatingPending);
        QCOMPARE(Doc().CountLayers(), 1);
        QCOMPARE(Doc().RecordedSteps().size(), steps + 1);
        QCOMPARE(Doc().RecordedSteps().back().name, std::string(texts::kStepMoveSelection));
        QCOMPARE(Pixel(Doc(), 22, 7), (QList<int>{200, 2, 2, 255}));
        QCOMPARE(Pixel(Doc(), 2, 2)[3], 0);
    }
};

QUILLORY_SHELL_TEST(ToolsWindowTest)
#include "ToolsWindowTest.moc"
