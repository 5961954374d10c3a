// Dialogs of the real editor as the user meets them: the text dialog fits the
// screen at the largest size and opens on a double click on the text being typed;
// the calendar stays open with its entries when it refuses them; the scanner's
// options are shown whole; the environment dialog names its choices and shows the
// update check it does not run as unavailable.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QtTest>

#include "EditorFixture.h"
#include "ModalAnswer.h"
#include "ShellTestMain.h"
#include "core/CommandIds.h"
#include "extras/ExtrasTexts.h"
#include "measure/MeasureTexts.h"
#include "shell/CDlg_PutCalendar.h"
#include "shell/CDlg_ScanOptions.h"
#include "shell/CDlg_SetEnvironment.h"
#include "shell/CDlg_Text.h"
#include "shell/ShellTexts.h"
#include "shell/TextEntryView.h"

using namespace quillory;
using namespace quillory::test;

namespace {

// A scanner with long names and wide values.
class WideScanner : public ScanDevice {
public:
    WideScanner() {
        ScanOption group;
        group.kind = ScanOption::Kind::Group;
        group.title = "Scan Mode";
        m_options.push_back(group);
        for (int i = 0; i < 24; ++i) {
            ScanOption o;
            o.index = i + 1;
            o.name = "option-" + std::to_string(i);
            if (i % 3 == 0) {
                o.kind = ScanOption::Kind::Text;
                o.title = "Document source of the automatic feeder " + std::to_string(i);
                o.limit = ScanOption::Limit::Texts;
                o.texts = {"Automatic Document Feeder (left aligned, duplex)", "Flatbed"};
                o.text = o.texts[0];
            } else if (i % 3 == 1) {
                o.kind = ScanOption::Kind::Real;
                o.title = "Top-left x position of the scanned area " + std::to_string(i);
                o.unit = "mm";
                o.limit = ScanOption::Limit::Range;
                o.minimum = 0, o.maximum = 215.9, o.number = 215.9;
            } else {
                o.kind = ScanOption::Kind::Whole;
                o.title = "Resolution in both directions " + std::to_string(i);
                o.unit = "dpi";
                o.limit = ScanOption::Limit::Range;
                o.minimum = 50, o.maximum = 1200000, o.number = 1200000;
            }
            m_options.push_back(o);
        }
    }
    std::string DeviceName() const override { return "test:0"; }
    std::vector<ScanOption> Options() override { return m_options; }
    bool SetFlag(int, bool) override { return true; }
    bool SetNumber(int, double) override { return true; }
    bool SetText(int, const std::string&) override { return true; }
    bool Press(int) override { return true; }

private:
    std::vector<ScanOption> m_options;
};

// The field of a form row by its label's text.
QWidget* FieldLabelled(QWidget* dialog, const char* label) {
    for (QFormLayout* form : dialog->findChildren<QFormLayout*>())
        for (int row = 0; row < form->rowCount(); ++row) {
            auto* name = qobject_cast<QLabel*>(form->itemAt(row, QFormLayout::LabelRole)
                                                   ? form->itemAt(row, QFormLayout::LabelRole)->widget()
                                                   : nullptr);
            QLayoutItem* field = form->itemAt(row, QFormLayout::FieldRole);
            if (name && field && name->text() == Text(label)) return field->widget();
        }
    return nullptr;
}

}  // namespace

class DialogFitTest : public EditorFixture {
    Q_OBJECT

    QRect Screen() { return QGuiApplication::primaryScreen()->availableGeometry(); }
    // The settings as the editor started, put back before it closes and stores them.
    EnvSettings m_started;
    void StartKeepingSettings() {
        Start({m_picture});
        m_started = Frame()->env();
    }

private Q_SLOTS:
    void initTestCase() { PrepareFiles(); }
    void cleanup() {
        if (m_app && Frame()) Frame()->env() = m_started;
        Stop();
    }

    void doubleClickOnTypedTextOpensTheTextDialogThatFitsTheScreen() {
        StartKeepingSettings();
        Frame()->env().faceName = u"NanumGothic";
        Frame()->env().fontSize = 240;  // size 120, the largest of the list
        Trigger(cmd::kToolText);
        Frame()->activateWindow();
        View()->setFocus();
        const ViewState& v = View()->document().view();
        const QPoint at(v.pictureRect.left + 5 - v.scrollX, v.pictureRect.top + 5 - v.scrollY);
        QTest::mouseClick(View()->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QVERIFY(View()->textEntry().Active());
        QTest::keyClicks(View(), "abc");

        bool seen = false;
        ANSWER_NEXT_MODAL(CDlg_Text, [&](CDlg_Text* dialog) {
            seen = true;
            QCOMPARE(dialog->textBox()->toPlainText(), QString("abc"));
            QVERIFY2(Screen().contains(dialog->frameGeometry()),
                     qPrintable(QString("dialog %1 wide on a screen of %2").arg(dialog->frameGeometry().width()).arg(Screen().width())));
            for (QPushButton* button : dialog->findChildren<QPushButton*>())
                QVERIFY(Screen().contains(QRect(button->mapToGlobal(QPoint(0, 0)), button->size())));
            dialog->reject();
        });
        QTest::mouseDClick(View()->viewport(), Qt::LeftButton, Qt::NoModifier, at + QPoint(4, 4));
        QCoreApplication::processEvents();
        QVERIFY(seen);
        // Cancelled, the entry goes on as it was.
        QVERIFY(View()->textEntry().Active());
    }

    void calendarKeepsItsEntriesWhenItRefusesThem() {
        StartKeepingSettings();
        Frame()->env().faceName = u"NanumGothic";
        const int layers = Doc().CountLayers();
        ANSWER_NEXT_MODAL(CDlg_PutCalendar, [&](CDlg_PutCalendar* dialog) {
            dialog->sizeBox()->setCurrentText("600");
            size_t shown = MessageCount();
            dialog->accept();
            QVERIFY(dialog->isVisible());
            QCOMPARE(MessageCount(), shown + 1);
            QCOMPARE(LastMessage(), Text(texts::kCalendarBadSize));

            dialog->sizeBox()->setCurrentText("12");
            dialog->monthBox()->setText("13");
            shown = MessageCount();
            dialog->accept();
            QVERIFY(dialog->isVisible());
            QCOMPARE(MessageCount(), shown + 1);
            QCOMPARE(LastMessage(), Text(texts::kCalendarBadDate));
            QCOMPARE(dialog->monthBox()->text(), QString("13"));
            QCOMPARE(Doc().CountLayers(), layers);

            dialog->monthBox()->setText("2");
            dialog->accept();
            QVERIFY(!dialog->isVisible());
        });
        Trigger(cmd::kCalendar);
        RETURN_IF_ANSWER_FAILED();
        QCOMPARE(Doc().CountLayers(), layers + 1);
    }

    void scannerOptionsShowWholeAndFromTheTop() {
        StartKeepingSettings();
        WideScanner scanner;
        for (int time = 0; time < 2; ++time) {
            CDlg_ScanOptions dialog(scanner, Frame());
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            QScrollArea* scroll = dialog.findChild<QScrollArea*>();
            QVERIFY(scroll);
            QVERIFY(dialog.frameGeometry().width() <= Screen().width());
            QVERIFY(dialog.frameGeometry().height() <= Screen().height());
            QCOMPARE(scroll->verticalScrollBar()->value(), 0);
            for (const char* name : {"option-0", "option-1", "option-2"}) {
                QWidget* field = dialog.OptionWidget(name);
                QVERIFY(field);
                // Not squeezed, and not cut at the right edge of the scrolled area.
                QVERIFY2(field->width() >= field->sizeHint().width(),
                         qPrintable(QString("%1 is %2 wide of %3").arg(name).arg(field->width()).arg(field->sizeHint().width())));
                const int right = field->mapTo(scroll->viewport(), QPoint(field->width(), 0)).x();
                QVERIFY2(right <= scroll->viewport()->width(),
                         qPrintable(QString("%1 ends at %2 of %3").arg(name).arg(right).arg(scroll->viewport()->width())));
            }
            // A long list scrolls up and down only.
            QVERIFY(!scroll->horizontalScrollBar()->isVisible());
            scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->maximum());
            dialog.reject();
        }
    }

    void environmentDialogNamesItsChoices() {
        StartKeepingSettings();
        Frame()->env().pointStyle = 2;
        Frame()->env().transparencyDisplay = 3;
        Frame()->env().updateFlag = 1;
        ANSWER_NEXT_MODAL(CDlg_SetEnvironment, [](CDlg_SetEnvironment* dialog) {
            auto* marks = qobject_cast<QComboBox*>(FieldLabelled(dialog, shelltexts::kEnvPointStyle));
            QVERIFY(marks);
            QCOMPARE(marks->count(), 6);
            QCOMPARE(marks->currentText(), Text(mtexts::kMarkGlyphs[2]));
            auto* hatch = qobject_cast<QComboBox*>(FieldLabelled(dialog, shelltexts::kEnvTransparency));
            QVERIFY(hatch);
            QCOMPARE(hatch->count(), 6);
            QCOMPARE(hatch->currentText(), Text(mtexts::kTransparencyChoices[3]));
            hatch->setCurrentIndex(5);
            auto* updates = qobject_cast<QCheckBox*>(FieldLabelled(dialog, shelltexts::kEnvCheckUpdates));
            QVERIFY(updates);
            QVERIFY(!updates->isEnabled());
            dialog->accept();
        });
        Trigger(cmd::kEnvironment);
        RETURN_IF_ANSWER_FAILED();
        QCOMPARE(Frame()->env().transparencyDisplay, 5);
        QCOMPARE(Frame()->env().pointStyle, 2);
        QCOMPARE(Frame()->env().updateFlag, 1);  // kept as stored
    }
};

QUILLORY_SHELL_TEST(DialogFitTest)
#include "DialogFitTest.moc"
