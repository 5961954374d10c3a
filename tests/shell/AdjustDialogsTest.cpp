// The adjustment dialogs in the real editor window: each opens from its menu item,
// previews on a chosen value, OK records one step, Cancel leaves the layer as it was.
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>

#include "core/CommandIds.h"
#include "core/FormatCodes.h"
#include "core/NyZazo.h"
#include "document/UndoHistory.h"
#include "processing/AdjustTexts.h"
#include "processing/ColourAdjust.h"
#include "shell/CDlg_BrigCont.h"
#include "shell/CDlg_Histogram.h"
#include "shell/CDlg_RGBColor.h"
#include "shell/CDlg_Thrs.h"
#include "shell/CMainFrame.h"
#include "shell/CVandApp.h"
#include "shell/CVandView.h"
#include "shell/DlgBar_Thrs.h"
#include "processing/FilterCatalogue.h"
#include "shell/SliderRow.h"
#include "EditorFixture.h"
#include "ShellTestMain.h"

using namespace quillory;
using namespace quillory::test;

class AdjustDialogsTest : public EditorFixture {
    Q_OBJECT

    const std::vector<uint8_t>& Pixels() { return Doc().Layer(Doc().CurrentLayer()).pixels; }
    int Position() { return Doc().History().StepPosition(); }
    // The layer as the brightness formula makes it from `before`.
    static std::vector<uint8_t> Adjusted(std::vector<uint8_t> pixels, int brightness, int contrast) {
        const ChannelTables t = BrightnessContrastTables(brightness, contrast);
        for (auto& b : pixels) b = t.blue[b];
        return pixels;
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_picture = m_dir.filePath("ramp.bmp");
        const auto ramp = [](int x, int screenY) { return qRgb(200 - x, (23 - screenY) * 5 + 20, x * 4); };
        QVERIFY(WritePicture(m_picture, 40, 24, ramp));  // rows of 120 bytes: no padding
    }

    void cleanup() { Stop(); }

    void brightnessContrastPreviewsOkRecordsCancelRestores() {
        Start({m_picture});
        const std::vector<uint8_t> before = Pixels();
        const int position = Position();
        QVERIFY(RunDialog<CDlg_BrigCont>(cmd::kBrightnessContrast, [&](CDlg_BrigCont& dialog) {
            QCOMPARE(dialog.windowTitle(), Text("명도·대비"));
            for (SliderRow* row : {dialog.brightness(), dialog.contrast()}) {
                QCOMPARE(row->slider()->minimum(), -255);
                QCOMPARE(row->slider()->maximum(), 255);
                QCOMPARE(row->slider()->pageStep(), 10);
                QCOMPARE(row->slider()->singleStep(), 4);
                QCOMPARE(row->slider()->tickInterval(), 20);
                QCOMPARE(row->value(), 0);
                QCOMPARE(row->findChild<QLabel*>("scale")->text(), Text("-255           0         +255"));
            }
            QCOMPARE(dialog.brightness()->label(), Text("명도"));
            QCOMPARE(dialog.contrast()->label(), Text("대비"));
            // Dragging shows nothing until the slider is let go; then the edit box follows.
            QSlider* slider = dialog.brightness()->slider();
            slider->setSliderDown(true);
            slider->setValue(30);
            QCOMPARE(Pixels(), before);
            slider->setSliderDown(false);
            QCOMPARE(dialog.brightness()->edit()->value(), 30);
            QCOMPARE(Pixels(), Adjusted(before, 30, 0));
            dialog.contrast()->edit()->setValue(-100);  // a typed value
            QCOMPARE(dialog.contrast()->slider()->value(), -100);
            QCOMPARE(Pixels(), Adjusted(before, 30, -100));
            QCOMPARE(Position(), position);
            dialog.accept();
        }));
        QCOMPARE(Pixels(), Adjusted(before, 30, -100));
        QCOMPARE(Position(), position + 1);
        QCOMPARE(NewestStep(), std::string("명도·대비 조절"));

        const std::vector<uint8_t> committed = Pixels();
        QVERIFY(RunDialog<CDlg_BrigCont>(cmd::kBrightnessContrast, [&](CDlg_BrigCont& dialog) {
            QCOMPARE(dialog.brightness()->value(), 0);  // nothing is remembered
            dialog.brightness()->edit()->setValue(-200);
            QVERIFY(Pixels() != committed);
            dialog.reject();
        }));
        QCOMPARE(Pixels(), committed);
        QCOMPARE(Position(), position + 1);
    }

    void colourDialogShiftsChannels() {
        Start({m_picture});
        const std::vector<uint8_t> before = Pixels();
        const int position = Position();
        QVERIFY(RunDialog<CDlg_RGBColor>(cmd::kRgbAdjust, [&](CDlg_RGBColor& dialog) {
            QVERIFY(dialog.rgbChoice()->isChecked());
            QCOMPARE(dialog.hslChoice()->text(), Text("HSL조정"));
            const char* labels[] = {"빨강(R)", "녹색(G)", "청색(B)"};
            for (int i = 0; i < 3; ++i) {
                SliderRow* row = dialog.channel(i);
                QCOMPARE(row->label(), Text(labels[i]));
                QCOMPARE(row->slider()->minimum(), -99);
                QCOMPARE(row->slider()->maximum(), 99);
                QCOMPARE(row->slider()->pageStep(), 5);
                QCOMPARE(row->slider()->singleStep(), 4);
                QCOMPARE(row->slider()->tickInterval(), 10);
                QCOMPARE(row->findChild<QLabel*>("scale")->text(), Text("-99          0         +99"));
            }
            dialog.channel(2)->edit()->setValue(99);
            QCOMPARE(int(Pixels()[0]), std::min(255, before[0] + 99));  // blue of the first pixel
            QCOMPARE(Pixels()[2], before[2]);
            dialog.reject();
        }));
        QCOMPARE(Pixels(), before);
        QCOMPARE(Position(), position);
        QVERIFY(RunDialog<CDlg_RGBColor>(cmd::kRgbAdjust, [&](CDlg_RGBColor& dialog) {
            dialog.hslChoice()->setChecked(true);
            dialog.channel(0)->edit()->setValue(-50);
            dialog.accept();
        }));
        QCOMPARE(int(Pixels()[2]), std::max(0, before[2] - 50));
        QCOMPARE(NewestStep(), std::string("색상조정"));
    }

    void levelsDialogShowsTheDistributionAndStretchesOnRelease() {
        Start({m_picture});
        const std::vector<uint8_t> before = Pixels();
        const int position = Position();
        QVERIFY(RunDialog<CDlg_Histogram>(cmd::kLevels, [&](CDlg_Histogram& dialog) {
            QCOMPARE(dialog.channel(), 0);
            QCOMPARE(dialog.channels()->button(0)->text(), Text("RGB"));
            QVERIFY(dialog.findChild<QLabel*>() != nullptr);
            // Red runs from 200 − 39 to 200; green from 20 to 20 + 23 × 5, 40 pixels a level.
            QCOMPARE(dialog.RangeText(1), QString("161 ~ 200"));
            QCOMPARE(dialog.RangeText(2), QString("20 ~ 135"));
            QCOMPARE(dialog.LargestText(2), QString("40"));
            bool labelsShown = false;
            for (QLabel* label : dialog.findChildren<QLabel*>())
                if (label->text() == Text("최대도수")) labelsShown = true;
            QVERIFY(labelsShown);
            QCOMPARE(dialog.strip()->low(), 0);
            QCOMPARE(dialog.strip()->high(), 255);
            dialog.channels()->button(2)->click();  // green
            const std::vector<uint8_t> afterChannel = Pixels();
            QCOMPARE(afterChannel, before);  // 0 ~ 255 changes nothing
            LevelStrip* strip = dialog.strip();
            QTest::mousePress(strip, Qt::LeftButton, {}, QPoint(strip->XOf(2), 5));
            QTest::mouseMove(strip, QPoint(strip->XOf(60), 5));
            QCOMPARE(Pixels(), before);  // only a release inside the strip runs it
            QTest::mouseRelease(strip, Qt::LeftButton, {}, QPoint(strip->XOf(60), 5));
            QCOMPARE(strip->low(), 60);
            QCOMPARE(int(Pixels()[1]), std::max(0, (before[1] - 60) * 255 / 195));
            QCOMPARE(Pixels()[0], before[0]);  // blue stays with the green channel chosen
            dialog.accept();
        }));
        QCOMPARE(Position(), position + 1);
        QCOMPARE(NewestStep(), std::string("색상조정"));
        QVERIFY(Doc().History().Undo());
        QCOMPARE(Pixels(), before);
    }

    void binaryConversionDialogHasItsMethods() {
        Start({m_picture});
        const std::vector<uint8_t> before = Pixels();
        const int position = Position();
        QVERIFY(RunDialog<CDlg_Thrs>(cmd::kBinary, [&](CDlg_Thrs& dialog) {
            QCOMPARE(dialog.windowTitle(), Text("임계치변환"));
            QVERIFY(dialog.methodList());
            QCOMPARE(dialog.methodList()->count(), 3);
            QCOMPARE(dialog.methodList()->itemText(0), Text("FS 디더링"));
            QCOMPARE(dialog.methodList()->itemText(1), Text("OR 디더링"));
            QCOMPARE(dialog.methodList()->itemText(2), Text("절대변환"));
            QCOMPARE(dialog.row(0)->label(), Text("농도조절(0‥255)"));
            QCOMPARE(dialog.row(0)->value(), 128);
            QVERIFY(!dialog.row(1)->isEnabled());
            dialog.methodList()->setCurrentIndex(1);
            QCOMPARE(dialog.row(0)->value(), 75);
            QVERIFY(Pixels() != before);  // a new method previews at once
            dialog.methodList()->setCurrentIndex(2);
            QCOMPARE(dialog.row(0)->label(), Text("이진임계치(0‥255)"));
            dialog.row(0)->edit()->setValue(255);
            for (size_t i = 0; i < Pixels().size(); ++i) QCOMPARE(int(Pixels()[i]), 255);
            dialog.accept();
        }));
        QCOMPARE(Position(), position + 1);
        QCOMPARE(NewestStep(), std::string("임계치변환"));
        QVERIFY(RunDialog<CDlg_Thrs>(cmd::kBinary, [&](CDlg_Thrs& dialog) {
            QCOMPARE(dialog.method(), 0);
            dialog.row(0)->edit()->setValue(3);
            dialog.reject();
        }));
        QCOMPARE(Position(), position + 1);
        for (size_t i = 0; i < Pixels().size(); ++i) QCOMPARE(int(Pixels()[i]), 255);
    }

    void filterMenuItemsAndTheBarOpenTheFilterDialog() {
        Start({m_picture});
        DlgBar_Thrs* bar = Frame()->filterBar();
        QVERIFY(bar);
        QCOMPARE(bar->list()->count(), 22);
        for (int i = 0; i < 22; ++i) QCOMPARE(bar->list()->itemText(i), Text(FilterAt(i)->name));
        QCOMPARE(bar->list()->itemText(21), Text("욕실효과"));

        const std::vector<uint8_t> before = Pixels();
        const int position = Position();
        QVERIFY(RunDialog<CDlg_Thrs>(cmd::kBlur, [&](CDlg_Thrs& dialog) {
            QCOMPARE(dialog.windowTitle(), Text("흐리게"));
            QVERIFY(!dialog.methodList());
            QCOMPARE(dialog.row(0)->label(), Text("흐림(1‥9)"));
            QCOMPARE(dialog.row(0)->value(), 4);
            QVERIFY(!dialog.row(1)->isEnabled());
            QVERIFY(Pixels() == before);
            dialog.row(0)->edit()->setValue(9);
            QVERIFY(Pixels() != before);
            dialog.reject();
        }));
        QCOMPARE(Pixels(), before);
        QCOMPARE(Position(), position);
        QCOMPARE(bar->CurrentIndex(), 3);  // the list follows the menu

        // The menu's "강조" chooses the edge enhancement.
        QVERIFY(RunDialog<CDlg_Thrs>(cmd::kSharpen, [&](CDlg_Thrs& dialog) {
            QCOMPARE(dialog.windowTitle(), Text("경계강조"));
            QCOMPARE(dialog.row(1)->label(), Text("표시강도(0‥10)"));
            dialog.reject();
        }));
        QCOMPARE(bar->CurrentIndex(), 0);

        // Picking in the list: "물체확장", kept as one step named after it.
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<CDlg_Thrs*>(QApplication::activeModalWidget());
            if (!dialog) return;
            seen = true;
            [&] {
                QCOMPARE(dialog->windowTitle(), Text("물체확장"));
                dialog->row(0)->edit()->setValue(3);
                dialog->accept();
            }();
            if (QTest::currentTestFailed() && dialog->isVisible()) dialog->reject();
        });
        bar->list()->setCurrentIndex(6);
        Q_EMIT bar->list()->activated(6);
        QVERIFY(seen);
        QCOMPARE(Position(), position + 1);
        QCOMPARE(NewestStep(), std::string("물체확장"));
        QVERIFY(Pixels() != before);

        // A default below its slider's minimum goes to the filter until the slider moves.
        QVERIFY(RunDialog<CDlg_Thrs>(cmd::kStamp, [&](CDlg_Thrs& dialog) {
            QCOMPARE(dialog.row(1)->label(), Text("선분길이(3‥30)"));
            QCOMPARE(dialog.values()[1], 1);
            QCOMPARE(dialog.Parameters().Text("p2"), std::string("1"));
            dialog.row(1)->edit()->setValue(12);
            QCOMPARE(dialog.values()[1], 12);
            dialog.reject();
        }));
    }

    void okOnTheOpeningValuesAppliesThem() {
        Start({m_picture});
        const std::vector<uint8_t> before = Pixels();
        const int position = Position();
        QVERIFY(RunDialog<CDlg_Thrs>(cmd::kBlur, [&](CDlg_Thrs& dialog) {
            QVERIFY(Pixels() == before);
            dialog.accept();
        }));
        QCOMPARE(Position(), position + 1);
        QCOMPARE(NewestStep(), std::string("흐리게"));
        QVERIFY(Pixels() != before);
    }

    void commandsWithoutDialogRecordTheirSteps() {
        Start({m_picture});
        const std::vector<uint8_t> before = Pixels();
        Frame()->Dispatch(cmd::kInvert);
        QCOMPARE(NewestStep(), std::string("반전변환"));
        QCOMPARE(int(Pixels()[5]), 255 - before[5]);
        Frame()->Dispatch(cmd::kGreyScale);
        QCOMPARE(NewestStep(), std::string("그레이스케일 변환"));
        Frame()->Dispatch(cmd::kAutoColour);
        QCOMPARE(NewestStep(), std::string("자동 색상 조정"));
        Frame()->Dispatch(cmd::kDesaturateLayer);
        QCOMPARE(NewestStep(), std::string("레이어 채도 감소"));
    }

    void aTextLayerIsRefusedAndTheSelectionTimerRestsWhileADialogIsOpen() {
        Start({m_picture});
        CVandDoc& doc = Doc();
        SelectionMask& selection = doc.State().selection;
        selection.selectionActive = 1;
        View()->document().MarkChanged();
        View()->viewport()->repaint();
        QVERIFY(View()->SelectionTimerActive());
        QVERIFY(RunDialog<CDlg_BrigCont>(cmd::kBrightnessContrast, [&](CDlg_BrigCont& dialog) {
            QVERIFY(!View()->SelectionTimerActive());
            dialog.reject();
        }));
        // The outline comes back with the focus of the view (the offscreen platform does not give it back by itself).
        QFocusEvent in(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
        QApplication::sendEvent(View(), &in);
        QVERIFY(View()->SelectionTimerActive());
        selection.selectionActive = 0;

        QVERIFY(doc.AddLayer());
        const int slot = doc.CurrentLayer();
        const DocumentHeader& header = doc.Header();
        LayerPlanesRequest request = LayerPlanesRequest::LikeDocument(header, slot);
        request.changed = 1;
        request.kind = LayerKind::Text;
        QVERIFY(doc.CreateLayerPlanes(request));
        const size_t shown = MessageCount();
        for (int id : {cmd::kBrightnessContrast, cmd::kRgbAdjust, cmd::kBinary, cmd::kAutoColour, cmd::kBlur}) {
            QVERIFY(!RunDialog<QDialog>(id, [](QDialog& dialog) { dialog.reject(); }));
        }
        QCOMPARE(int(MessageCount()), int(shown) + 5);
        QCOMPARE(LastMessage(),
                 Text("현재는 [Text:글] 레이어. \n\r레이어창에서 다른 레이어 선택"));
    }
};

QUILLORY_SHELL_TEST(AdjustDialogsTest)
#include "AdjustDialogsTest.moc"
