// The transform, channel, colour-range and gradient windows in the real editor:
// each opens from its menu item with its start values, the view's tools drive the
// panels, and every change ends as one named step.
#include <QApplication>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <functional>
#include <memory>

#include "core/CommandIds.h"
#include "core/FormatCodes.h"
#include "core/NyZazo.h"
#include "document/DocumentPrint.h"
#include "document/LayerPlanes.h"
#include "document/TransformTexts.h"
#include "document/UndoHistory.h"
#include "shell/CDlg_CHANNEL.h"
#include "shell/CDlg_CanvasSize.h"
#include "shell/CDlg_Find_SimPixelArea.h"
#include "shell/CDlg_GradientBucket.h"
#include "shell/CDlg_ImageSize.h"
#include "shell/CMainFrame.h"
#include "shell/CVandApp.h"
#include "shell/CVandView.h"
#include "shell/PanelCommands.h"
#include "shell/SliderRow.h"
#include "shell/TransformPanels.h"
#include "view/FreeTransformTool.h"
#include "EditorFixture.h"
#include "ShellTestMain.h"

using namespace quillory;
using namespace quillory::test;

class TransformPanelsTest : public EditorFixture {
    Q_OBJECT

    const LayerRecord& Layer() { return Doc().Layer(Doc().CurrentLayer()); }
    QPoint Handle(int corner) {
        const TransformSession& s = Frame()->panelState().transform;
        const HandlePoint h = HandleWindowPoint(s, Doc(), View()->document().view(), corner);
        return QPoint(int(h.x), int(h.y));
    }

    void ZoomToTwo() {
        Frame()->SetCurrentTool(cmd::kToolFreeSelect);  // zooms at once, without an anchor
        Trigger(cmd::kZoomIn);
        QCOMPARE(View()->document().view().zoom, 2.0f);
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_picture = m_dir.filePath("quarters.bmp");
        // Two colours in quarters, so a selection and a turn can be told apart.
        const auto quarters = [](int x, int screenY) {
            const bool red = (x < 20) == (screenY >= 12);
            return red ? qRgb(220, 20, 0) : qRgb(10, 100, 200);
        };
        QVERIFY(WritePicture(m_picture, 40, 24, quarters));
    }
    void cleanup() { Stop(); }

    void imageSizeInPercentOfThePresentSize() {
        Start({m_picture});
        const bool seen = RunDialog<CDlg_ImageSize>(cmd::kResizePicture, [](CDlg_ImageSize& d) {
            QCOMPARE(d.widthBox()->value(), 40);
            QCOMPARE(d.heightBox()->value(), 24);
            d.percentButton()->setChecked(true);
            QCOMPARE(d.widthBox()->value(), 100);
            d.widthBox()->setValue(50);
            d.heightBox()->setValue(25);
            d.accept();
        });
        QVERIFY(seen);
        QCOMPARE(Doc().Header().width, 20);
        QCOMPARE(Doc().Header().height, 6);
        QCOMPARE(NewestStep(), std::string(texts::kStepImageSize));
        QCOMPARE(View()->scrollGeometry().totalWidth, 20);
    }

    void canvasSizeShowsTheSizeAndTheChosenAnchor() {
        Start({m_picture});
        const bool seen = RunDialog<CDlg_CanvasSize>(cmd::kCanvasSize, [](CDlg_CanvasSize& d) {
            QCOMPARE(d.currentLabel()->text(), QString("(40 x 24)"));
            QVERIFY(d.anchorButton(4)->isChecked());
            QCOMPARE(d.widthBox()->value(), 40);
            d.widthBox()->setValue(50);
            d.heightBox()->setValue(30);
            QTest::mouseClick(d.anchorButton(8), Qt::LeftButton);
            QVERIFY(d.anchorButton(8)->isChecked());
            QVERIFY(!d.anchorButton(4)->isChecked());
            d.accept();
        });
        QVERIFY(seen);
        QCOMPARE(Doc().Header().width, 50);
        QCOMPARE(Doc().Header().height, 30);
        QCOMPARE(NewestStep(), std::string(texts::kStepCanvasSize));
        // Bottom right anchor: the old picture's top-left pixel is now at (10, 6), its bottom-left at (10, 29).
        RGBQUAD c;
        QVERIFY(LayerColourAt(Doc(), 10, 6, c));
        QCOMPARE(int(c.red), 10);
        QVERIFY(LayerColourAt(Doc(), 10, 29, c));
        QCOMPARE(int(c.red), 220);
        const LayerRecord& layer = Layer();
        QCOMPARE(int(layer.alpha[size_t(layer.height - 1) * layer.width]), 0);  // new top-left corner: empty
    }

    void freeTransformHandlesAtFullSizeApply() {
        Start({m_picture});
        Trigger(cmd::kToolSkew);
        QCOMPARE(Frame()->currentTool(), cmd::kToolSkew);
        DlgFreeTransform* panel = Frame()->panels().transformPanel();
        QVERIFY(panel && panel->isVisible());
        QCOMPARE(panel->windowTitle(), Text(texts::kPanelDistort));
        const InclusiveRect r = View()->document().view().pictureRect;
        QCOMPARE(Handle(2), QPoint(r.left + 39, r.top + 23));
        // The handles are drawn over the picture.
        const QImage shot = View()->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(shot.pixel(Handle(0) + QPoint(4, 4)), qRgb(0, 0, 0));
        QCOMPARE(shot.pixel(Handle(0) + QPoint(2, 2)), qRgb(255, 255, 255));
        Drag(Handle(2), Handle(2) + QPoint(10, 6));
        const Quad& q = Frame()->panelState().transform.quad;
        QCOMPARE(q.x[2], 49.0);
        QCOMPARE(q.y[2], 29.0);
        QCOMPARE(q.x[1], 39.0);  // distort moves the dragged corner alone
        QTest::mouseClick(panel->applyButton(), Qt::LeftButton);
        QCOMPARE(NewestStep(), std::string(texts::kStepFreeTransform));
        QCOMPARE(Layer().width, 50);
        QCOMPARE(Layer().height, 30);
        // After applying, the handles sit on the new layer's corners.
        QCOMPARE(Frame()->panelState().transform.quad.x[2], 49.0);
    }

    void freeTransformHandlesFollowTheZoomAndApplyAtIt() {
        Start({m_picture});
        ZoomToTwo();
        Trigger(cmd::kToolScale);
        QCOMPARE(Frame()->panels().transformPanel()->windowTitle(), Text(texts::kPanelScale));
        const InclusiveRect r = View()->document().view().pictureRect;
        QCOMPARE(Handle(2), QPoint(r.left + 79, r.top + 47));
        Drag(Handle(2), Handle(2) + QPoint(20, 10));
        const Quad& q = Frame()->panelState().transform.quad;
        QCOMPARE(q.x[2], 49.0);
        QCOMPARE(q.y[2], 28.0);
        QCOMPARE(q.x[1], 49.0);  // scale keeps the rectangle
        QCOMPARE(q.y[3], 28.0);
        const size_t shown = MessageCount();
        QTest::mouseDClick(View()->viewport(), Qt::LeftButton, {}, Handle(0));
        QCoreApplication::processEvents();
        QCOMPARE(MessageCount(), shown);
        QCOMPARE(NewestStep(), std::string(texts::kStepFreeTransform));
        QCOMPARE(Layer().width, 50);
        QCOMPARE(Layer().height, 29);
    }

    // A layer larger than the window: zoomed out, its far corners are placed and applied,
    // and zooming while the corners wait keeps them where they are on the layer.
    void freeTransformOfALargeLayerWorksZoomedOut() {
        const QString big = m_dir.filePath("big.bmp");
        QVERIFY(WritePicture(big, 800, 600));
        Start({big});
        SetClientSize(300, 240);
        Trigger(cmd::kToolSkew);
        DlgFreeTransform* panel = Frame()->panels().transformPanel();
        QVERIFY(!View()->viewport()->rect().contains(Handle(2)));  // off-screen at 100 %
        Trigger(cmd::kZoomOut);
        Trigger(cmd::kZoomOut);
        QCOMPARE(View()->document().view().zoom, 0.25f);
        QCOMPARE(Frame()->currentTool(), cmd::kToolSkew);
        QVERIFY(View()->viewport()->rect().contains(Handle(2)));
        Drag(Handle(2), Handle(2) - QPoint(50, 30));
        const Quad& q = Frame()->panelState().transform.quad;
        QCOMPARE(q.x[2], 599.0);
        QCOMPARE(q.y[2], 479.0);
        // Zooming in keeps the tool and the corners.
        Trigger(cmd::kZoomIn);
        QCOMPARE(View()->document().view().zoom, 0.5f);
        QCOMPARE(Frame()->currentTool(), cmd::kToolSkew);
        QCOMPARE(Frame()->panelState().transform.quad.x[2], 599.0);
        const size_t shown = MessageCount();
        QTest::mouseClick(panel->applyButton(), Qt::LeftButton);
        QCOMPARE(MessageCount(), shown);
        QCOMPARE(NewestStep(), std::string(texts::kStepFreeTransform));
        // The dragged corner's pixel came from the layer's bottom-right corner.
        RGBQUAD c;
        QVERIFY(LayerColourAt(Doc(), 598, 478, c));
        const QRgb was = PictureColour(798, 598);
        QVERIFY(std::abs(c.red - qRed(was)) <= 12 && std::abs(c.green - qGreen(was)) <= 12 &&
                std::abs(c.blue - qBlue(was)) <= 12);
    }

    void rotationPanelPreviewsAndKeepsOneStep() {
        Start({m_picture});
        const test::DocumentPrint found = test::PrintOf(Doc());
        const int steps = Doc().History().StepPosition();
        Trigger(cmd::kToolFreeRotate);
        DlgRotate* panel = Frame()->panels().rotatePanel();
        QVERIFY(panel && panel->isVisible());
        QCOMPARE(panel->angleBox()->value(), 0.0);
        // Cancel after previews leaves the document byte for byte as it was.
        panel->angleBox()->setValue(33.0);
        QCoreApplication::processEvents();
        QVERIFY(test::Differences(found, test::PrintOf(Doc())) != "");
        QTest::mouseClick(panel->cancelButton(), Qt::LeftButton);
        QCOMPARE(QString::fromStdString(test::Differences(found, test::PrintOf(Doc()))), QString());
        QCOMPARE(Doc().History().StepPosition(), steps);
        Trigger(cmd::kToolFreeRotate);
        panel->angleBox()->setValue(90.0);
        QCoreApplication::processEvents();
        QCOMPARE(Layer().width, 40);  // a 24 × 40 turn on a 40 × 24 canvas: at least the canvas
        QCOMPARE(Layer().height, 40);
        // A drag around the centre turns further and shows the angle.
        const InclusiveRect r = View()->document().view().pictureRect;
        const QPoint centre(r.left + 20, r.top + 12);
        Drag(centre + QPoint(30, 0), centre + QPoint(0, 30));
        QVERIFY(std::abs(panel->angleBox()->value() - 180.0) < 1.0 || std::abs(panel->angleBox()->value() + 180.0) < 1.0);
        panel->angleBox()->setValue(90.0);
        QTest::mouseClick(panel->okButton(), Qt::LeftButton);
        QCOMPARE(NewestStep(), std::string(texts::kStepFreeRotate));
        QCOMPARE(Doc().History().StepPosition(), steps + 1);
        QVERIFY(!panel->isVisible());
        // The 24 × 40 turn stands on the centre, from column 8; its top-left pixels came from the bottom-left quarter.
        RGBQUAD c;
        QVERIFY(LayerColourAt(Doc(), 9, 0, c));
        QCOMPARE(int(c.red), 220);
        QVERIFY(LayerColourAt(Doc(), 30, 0, c));
        QCOMPARE(int(c.red), 10);
    }

    void stretchPanelFollowsTheDragAndCancelRestores() {
        Start({m_picture});
        const test::DocumentPrint found = test::PrintOf(Doc());
        const int steps = Doc().History().StepPosition();
        Trigger(cmd::kStretchSquash);
        DlgStretch* panel = Frame()->panels().stretchPanel();
        QVERIFY(panel && panel->isVisible());
        QCOMPARE(panel->widthBox()->value(), 40);
        const InclusiveRect r = View()->document().view().pictureRect;
        Drag(QPoint(r.left + 30, r.top + 10), QPoint(r.left + 35, r.top + 10));
        QCOMPARE(panel->widthBox()->value(), 50);
        QCOMPARE(Layer().width, 50);
        QTest::mouseClick(panel->cancelButton(), Qt::LeftButton);
        QCOMPARE(QString::fromStdString(test::Differences(found, test::PrintOf(Doc()))), QString());
        Trigger(cmd::kStretchSquash);
        panel->heightBox()->setValue(12);
        QTest::mouseClick(panel->okButton(), Qt::LeftButton);
        QCOMPARE(NewestStep(), std::string(texts::kStepStretch));
        QCOMPARE(Doc().History().StepPosition(), steps + 1);
    }

    void colourRangePanelCountsThePickedColour() {
        Start({m_picture});
        Trigger(cmd::kColourRangeSelect);
        CDlg_Find_SimPixelArea* panel = Frame()->panels().colourRangePanel();
        QVERIFY(panel && panel->isVisible());
        QCOMPARE(panel->windowTitle(), Text(texts::kColourRangeTitle));
        QCOMPARE(panel->tolerance()->value(), 10);
        QCOMPARE(panel->replaceButton()->text(), Text(texts::kExtractReplace));
        const InclusiveRect r = View()->document().view().pictureRect;
        QTest::mouseClick(View()->viewport(), Qt::LeftButton, {}, QPoint(r.left + 2, r.top + 2));
        QCoreApplication::processEvents();
        // Half of the 40 × 24 pixels are red.
        QCOMPARE(panel->countLabel()->text(), QString::fromUtf8("픽셀수 480   (50.00)%           "));
        QVERIFY(Doc().State().selection.selectionActive);
        // A wide tolerance reaches the other colour too.
        panel->tolerance()->SetValue(255);
        Q_EMIT panel->tolerance()->valueChosen(255);
        QCoreApplication::processEvents();
        QCOMPARE(panel->countLabel()->text(), QString::fromUtf8("픽셀수 480   (50.00)%           "));
        panel->tolerance()->SetValue(255);
        QTest::mouseClick(panel->addButton(), Qt::LeftButton);
        QVERIFY(Frame()->panelState().colourRange.add);
    }

    void gradientPanelNeedsADragAndRecordsTheStep() {
        Start({m_picture});
        Trigger(cmd::kToolGradient);
        CDlg_GradientBucket* panel = Frame()->panels().gradientPanel();
        QVERIFY(panel && panel->isVisible());
        QVERIFY(panel->foregroundAndBackground()->isChecked());
        QVERIFY(panel->linear()->isChecked());
        const InclusiveRect r = View()->document().view().pictureRect;
        const size_t shown = MessageCount();
        QTest::mouseClick(View()->viewport(), Qt::LeftButton, {}, QPoint(r.left + 5, r.top + 5));
        QCOMPARE(MessageCount(), shown + 1);
        QCOMPARE(LastMessage(), Text(texts::kGradientNeedsDrag));
        panel->mirrored()->setChecked(true);
        Drag(QPoint(r.left + 0, r.top + 5), QPoint(r.left + 39, r.top + 5));
        QCOMPARE(NewestStep(), std::string(texts::kStepGradient));
        Trigger(cmd::kToolGradient);
        QVERIFY(!panel->isVisible());
    }

    void channelSplitsOpenThreeTitledWindowsAndTheViewerSwitchesModes() {
        Start({m_picture});
        const int before = Frame()->Views().size();
        Trigger(cmd::kYuvSplit);
        QCOMPARE(Frame()->Views().size(), before + 3);
        QStringList titles;
        for (QMdiSubWindow* w : Frame()->mdiArea()->subWindowList()) titles << w->windowTitle();
        QVERIFY(titles.contains("Y Channel 1 from quarters.bmp"));
        QVERIFY(titles.contains("V Channel 3 from quarters.bmp"));
        QCOMPARE(Frame()->panels().channelTitles().Next(), 4);

        Frame()->mdiArea()->setActiveSubWindow(Frame()->mdiArea()->subWindowList().first());
        const bool seen = RunDialog<CDlg_CHANNEL>(cmd::kRgbChannels, [](CDlg_CHANNEL& d) {
            QCOMPARE(d.windowTitle(), Text(texts::kChannelViewerTitle));
            QCOMPARE(d.heading()->text(), Text(texts::kRgbHeading));
            QCOMPARE(d.rowLabel(0)->text(), Text(texts::kRgbLabels[0]));
            d.modeButton(ChannelModel::Hsl)->click();
            QCOMPARE(d.heading()->text(), Text(texts::kHslHeading));
            QCOMPARE(d.rowLabel(2)->text(), Text(texts::kHslLabels[2]));
            QTest::mouseClick(d.rowFrame(1), Qt::LeftButton);
            QCOMPARE(d.selectedRow(), 1);
            QVERIFY(d.rowFrame(1)->styleSheet().contains("black"));
            QVERIFY(d.rowFrame(0)->styleSheet().contains("gray"));
            d.reject();
        });
        QVERIFY(seen);
    }
};

QUILLORY_SHELL_TEST(TransformPanelsTest)
#include "TransformPanelsTest.moc"
