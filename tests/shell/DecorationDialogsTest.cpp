// The calendar, picture frame and text decorations in the real editor window: the
// dialogs' start values and lists, the layers they leave behind with one step each,
// the frame redrawn behind its dialog at every change, and Hangul typed into the
// text tool through an input method.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QToolButton>
#include <QtTest>

#include "EditorFixture.h"
#include "ModalAnswer.h"
#include "ShellTestMain.h"
#include "core/CommandIds.h"
#include "document/UndoHistory.h"
#include "extras/ExtrasTexts.h"
#include "extras/TextTool.h"
#include "shell/CDlg_ImgFrame.h"
#include "shell/CDlg_PutCalendar.h"
#include "shell/CDlg_Text.h"
#include "shell/TextEntryView.h"

using namespace quillory;
using namespace quillory::test;

namespace {

// The slots of the layer list from the bottom up.
std::vector<int> LayerSlots(const CVandDoc& d) {
    std::vector<int> slots;
    for (int i = 0; i < kMaxLayers; ++i)
        if (d.IsLayerInList(i)) slots.push_back(i);
    return slots;
}

std::vector<int> LayersNamed(const CVandDoc& d, const QString& name) {
    std::vector<int> found;
    for (int slot : LayerSlots(d))
        if (QString::fromStdU16String(FixedName(d.Layer(slot).name)) == name) found.push_back(slot);
    return found;
}

// What the view tells the input method (through QWidget, as the input method asks).
QVariant Query(QWidget* view, Qt::InputMethodQuery query) { return view->inputMethodQuery(query); }

// Where a picture pixel shows in the view's viewport (at 100%).
QPoint ViewPoint(CVandView* view, int pictureX, int pictureY) {
    const ViewState& s = view->document().view();
    return QPoint(s.pictureRect.left + pictureX - s.scrollX, s.pictureRect.top + pictureY - s.scrollY);
}

QString StepName(CVandDoc& d) { return QString::fromStdString(d.History().Entry(d.History().StepPosition()).name); }

// The frame layer's colour at a picture pixel (rows from the top), -1 where it is clear.
int FrameColourAt(const LayerRecord& l, int x, int y) {
    if (l.AlphaRow(l.height - 1 - y)[x] == 0) return -1;
    const uint8_t* p = l.PixelRow(l.height - 1 - y) + 3 * x;
    return p[2] << 16 | p[1] << 8 | p[0];
}

}  // namespace

class DecorationDialogsTest : public EditorFixture {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { PrepareFiles(); }
    void cleanup() { Stop(); }

    void calendarDialogStartsAtTodayAndPutsItsNamedLayer() {
        Start({m_picture});
        Frame()->env().faceName = u"NanumGothic";
        Frame()->env().textColour = 0x0000C0;  // red 0xC0 in the platform's order
        const size_t layersBefore = LayerSlots(Doc()).size();
        ANSWER_NEXT_MODAL(CDlg_PutCalendar, [this](CDlg_PutCalendar* dialog) {
            QCOMPARE(Frame()->currentTool(), cmd::kCalendar);
            const QDate today = QDate::currentDate();
            QCOMPARE(dialog->yearBox()->text(), QString::number(today.year()));
            QCOMPARE(dialog->monthBox()->text(), QString::number(today.month()));
            QCOMPARE(dialog->Colour(), QColor(0xC0, 0, 0));
            // Sizes: the current one, then 2 to 120 in steps of 2.
            QComboBox* sizes = dialog->sizeBox();
            QCOMPARE(sizes->count(), 61);
            QCOMPARE(sizes->itemText(0), QString("12"));
            QCOMPARE(sizes->itemText(1), QString("2"));
            QCOMPARE(sizes->itemText(60), QString("120"));
            QStringList styles;
            for (int i = 0; i < dialog->styleBox()->count(); ++i) styles << dialog->styleBox()->itemText(i);
            QCOMPARE(styles.join('|'), QString("Regular|Regular|Bold|Italic|Bold Italic"));
            QCOMPARE(dialog->faceBox()->itemText(0), QString("NanumGothic"));
            QVERIFY(dialog->faceBox()->count() > 1);
            QCOMPARE(dialog->hint()->text(), Text(texts::kCalendarHint));
            QCOMPARE(dialog->preview()->font().family(), Text(texts::kCalendarPreviewFace));

            // The month spinner wraps around; the year never goes below 1.
            dialog->yearBox()->setText("1");
            dialog->StepYear(-1);
            QCOMPARE(dialog->Year(), 1);
            dialog->monthBox()->setText("12");
            dialog->StepMonth(+1);
            QCOMPARE(dialog->Month(), 1);
            dialog->StepMonth(-1);
            QCOMPARE(dialog->Month(), 12);
            dialog->monthBox()->setText("x");
            QCOMPARE(dialog->Month(), 0);

            // November 2001 begins on a Thursday: four gaps before the 1st.
            dialog->yearBox()->setText("2001");
            dialog->monthBox()->setText("11");
            const QString text = dialog->preview()->toPlainText();
            QVERIFY2(text.contains(Text("2001년 11월")), qPrintable(text));
            // Two spaces, four three-space gaps, then each day in three places.
            QVERIFY2(text.contains("\n" + QString(16, ' ') + "1  2  3\n    4  5"), qPrintable(text));
            QVERIFY2(text.contains(" 25 26 27 28 29 30"), qPrintable(text));
            dialog->sizeBox()->setCurrentText("20");
            dialog->accept();
        });
        Trigger(cmd::kCalendar);
        RETURN_IF_ANSWER_FAILED();
        CVandDoc& d = Doc();
        QCOMPARE(LayerSlots(d).size(), layersBefore + 1);
        const LayerRecord& layer = d.Layer(d.CurrentLayer());
        QCOMPARE(QString::fromStdU16String(FixedName(layer.name)), Text(" [달력]11월"));
        QCOMPARE(int(layer.kind), int(LayerKind::Text));
        QCOMPARE(StepName(d), Text(texts::kStepCalendar));
        QCOMPARE(Frame()->currentTool(), cmd::kNone);
        // The calendar's colour is the text colour from now on.
        QCOMPARE(Frame()->env().textColour, 0x0000C0);

        // Cancel leaves the document alone and clears the tool.
        const int step = d.History().StepPosition();
        ANSWER_NEXT_MODAL(CDlg_PutCalendar, [](CDlg_PutCalendar* dialog) { dialog->reject(); });
        Trigger(cmd::kCalendar);
        RETURN_IF_ANSWER_FAILED();
        QCOMPARE(LayerSlots(d).size(), layersBefore + 1);
        QCOMPARE(d.History().StepPosition(), step);
        QCOMPARE(Frame()->currentTool(), cmd::kNone);
    }

    void frameDialogRedrawsAtEveryChangeAndReusesItsLayer() {
        Start({m_picture});
        CVandDoc& d = Doc();
        const size_t layersBefore = LayerSlots(d).size();
        const QImage plain = View()->RenderedImage();
        ANSWER_NEXT_MODAL(CDlg_ImgFrame, [&](CDlg_ImgFrame* dialog) {
            QCOMPARE(Frame()->currentTool(), cmd::kPictureFrame);
            QCOMPARE(dialog->hint()->text(), Text(texts::kFrameChooseFirst));
            QCOMPARE(dialog->frameButton(2)->toolTip(), Text("사진틀 2 선택"));
            // The spinner never goes below 5.
            dialog->thicknessBox()->setValue(5);
            dialog->thicknessBox()->stepDown();
            QCOMPARE(dialog->thicknessBox()->value(), 5);
            dialog->thicknessBox()->setValue(1);
            QCOMPARE(dialog->thicknessBox()->value(), 5);
            // Nothing is drawn before a frame is chosen; a press draws it at once.
            QCOMPARE(View()->RenderedImage(), plain);
            dialog->SetColours(QColor(255, 0, 0), QColor(0, 0, 255));
            dialog->frameButton(0)->click();
            QCoreApplication::processEvents();
            const std::vector<int> frames = LayersNamed(d, Text(texts::kFrameLayerName));
            QCOMPARE(frames.size(), size_t(1));
            const LayerRecord& layer = d.Layer(frames[0]);
            QCOMPARE(FrameColourAt(layer, 0, 0), 0x000000);
            QCOMPARE(FrameColourAt(layer, 4, 10), 255 * 4 / 5 << 16);
            QCOMPARE(FrameColourAt(layer, 50, 25), -1);
            QVERIFY(View()->RenderedImage() != plain);
            // A thicker frame replaces the thinner one.
            dialog->thicknessBox()->setValue(8);
            QCOMPARE(FrameColourAt(d.Layer(frames[0]), 7, 20), 255 * 7 / 8 << 16);
            dialog->accept();
        });
        Trigger(cmd::kPictureFrame);
        RETURN_IF_ANSWER_FAILED();
        QCOMPARE(LayerSlots(d).size(), layersBefore + 1);
        QCOMPARE(StepName(d), Text(texts::kStepPictureFrame));
        QCOMPARE(Frame()->currentTool(), cmd::kNone);

        // The second frame goes into the same layer.
        ANSWER_NEXT_MODAL(CDlg_ImgFrame, [](CDlg_ImgFrame* dialog) {
            dialog->ChooseStyle(2);
            dialog->accept();
        });
        Trigger(cmd::kPictureFrame);
        RETURN_IF_ANSWER_FAILED();
        const std::vector<int> frames = LayersNamed(d, Text(texts::kFrameLayerName));
        QCOMPARE(frames.size(), size_t(1));
        const int secondFrame = FrameColourAt(d.Layer(frames[0]), 0, 20);
        QCOMPARE(LayerSlots(d).size(), layersBefore + 1);

        // Cancel after trying another style gives the kept frame back.
        const int step = d.History().StepPosition();
        ANSWER_NEXT_MODAL(CDlg_ImgFrame, [](CDlg_ImgFrame* dialog) {
            dialog->ChooseStyle(3);
            dialog->reject();
        });
        Trigger(cmd::kPictureFrame);
        RETURN_IF_ANSWER_FAILED();
        QCOMPARE(LayersNamed(d, Text(texts::kFrameLayerName)).size(), size_t(1));
        QCOMPARE(FrameColourAt(d.Layer(frames[0]), 0, 20), secondFrame);
        QCOMPARE(d.History().StepPosition(), step);

        // Undo of both frames leaves the picture as it was opened.
        Trigger(cmd::kEditUndo);
        Trigger(cmd::kEditUndo);
        QCOMPARE(LayerSlots(d).size(), layersBefore);
        QCOMPARE(View()->RenderedImage(), plain);
    }

    void textToolTakesHangulFromAnInputMethod() {
        Start({m_picture});
        Frame()->env().faceName = u"NanumGothic";
        SetClientSize(300, 200);
        CVandDoc& d = Doc();
        const size_t layersBefore = LayerSlots(d).size();
        QVERIFY(Enabled(cmd::kToolText));
        Trigger(cmd::kToolText);
        QCOMPARE(Frame()->currentTool(), cmd::kToolText);
        View()->setFocus();
        const QImage plain = Grab();
        QTest::mouseClick(View()->viewport(), Qt::LeftButton, Qt::NoModifier, ViewPoint(View(), 5, 5));
        QVERIFY(View()->textEntry().Active());
        QVERIFY(View()->testAttribute(Qt::WA_InputMethodEnabled));
        QCOMPARE(Query(View(), Qt::ImEnabled).toBool(), true);

        auto send = [this](const QString& preedit, const QString& commit) {
            QList<QInputMethodEvent::Attribute> attributes;
            attributes << QInputMethodEvent::Attribute(QInputMethodEvent::Cursor, int(preedit.size()), 1);
            QInputMethodEvent event(preedit, attributes);
            event.setCommitString(commit);
            QApplication::sendEvent(View(), &event);
            QCoreApplication::processEvents();
        };
        // The syllable being composed shows before it is committed.
        send(Text("ㅎ"), QString());
        const QImage composing = Grab();
        QVERIFY(composing != plain);
        send(Text("하"), QString());
        send(Text("한"), QString());
        QCOMPARE(QString::fromStdU16String(View()->textEntry().Tool()->Entry().preedit), Text("한"));
        const QRect caret = Query(View(), Qt::ImCursorRectangle).toRect();
        QVERIFY(caret.height() > 0);
        send(Text("ㄱ"), Text("한"));
        send(Text("글"), QString());
        send(QString(), Text("글"));
        QCOMPARE(QString::fromStdU16String(View()->textEntry().Tool()->Entry().text), Text("한글"));
        QVERIFY(Query(View(), Qt::ImCursorRectangle).toRect().x() > caret.x());
        // Nothing is in the picture until the entry is placed.
        QCOMPARE(LayerSlots(d).size(), layersBefore);

        QTest::keyClick(View(), Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(!View()->textEntry().Active());
        QCOMPARE(LayerSlots(d).size(), layersBefore + 1);
        const LayerRecord& layer = d.Layer(d.CurrentLayer());
        QCOMPARE(int(layer.kind), int(LayerKind::Text));
        QCOMPARE(QString::fromStdU16String(layer.text), Text("한글"));
        QCOMPARE(StepName(d), Text(texts::kStepTextInput));
        const QImage placed = Grab();
        QVERIFY(placed != plain);

        // Escape drops a running entry without a trace.
        QTest::mouseClick(View()->viewport(), Qt::LeftButton, Qt::NoModifier, ViewPoint(View(), 80, 40));
        QVERIFY(View()->textEntry().Active());
        send(Text("ㄷ"), QString());
        QTest::keyClick(View(), Qt::Key_Escape);
        QVERIFY(!View()->textEntry().Active());
        QCOMPARE(LayerSlots(d).size(), layersBefore + 1);
        QCOMPARE(Grab(), placed);
        Trigger(cmd::kEditUndo);
        QCOMPARE(LayerSlots(d).size(), layersBefore);
    }

    void textDialogShowsTheEnvironmentFontAndStoresTheChoice() {
        Start({m_picture});
        EnvSettings& env = Frame()->env();
        env.faceName = u"NanumGothic";
        SetClientSize(300, 200);
        Trigger(cmd::kToolText);
        View()->setFocus();
        const QPoint at = ViewPoint(View(), 10, 10);
        QTest::mouseClick(View()->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::keyClicks(View(), "ab");
        ANSWER_NEXT_MODAL(CDlg_Text, [](CDlg_Text* dialog) {
            QCOMPARE(dialog->textBox()->toPlainText(), QString("ab"));
            QCOMPARE(dialog->faceBox()->currentText(), QString("NanumGothic"));
            // Small sizes preview at height 34, large ones at 1000.
            dialog->sizeBox()->setCurrentText("5");
            QCOMPARE(dialog->preview()->font().pixelSize(), 34);
            dialog->sizeBox()->setCurrentText("600");
            QCOMPARE(dialog->preview()->font().pixelSize(), 1000);
            dialog->sizeBox()->setCurrentText("20");
            QCOMPARE(dialog->preview()->font().pixelSize(), 40);
            dialog->styleBox()->setCurrentText("Bold Italic");
            QVERIFY(dialog->preview()->font().bold() && dialog->preview()->font().italic());
            dialog->underlineBox()->setChecked(true);
            QVERIFY(dialog->preview()->font().underline());
            dialog->textBox()->setPlainText("abc");
            dialog->accept();
        });
        QMouseEvent press(QEvent::MouseButtonDblClick, QPointF(at), View()->viewport()->mapToGlobal(QPointF(at)),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(View()->viewport(), &press);
        RETURN_IF_ANSWER_FAILED();
        CVandDoc& d = Doc();
        const LayerRecord& layer = d.Layer(d.CurrentLayer());
        QCOMPARE(QString::fromStdU16String(layer.text), QString("abc"));
        QCOMPARE(QString::fromStdU16String(env.secondName), QString("Bold Italic"));
        QCOMPARE(env.fontSize, 40);
        QCOMPARE(env.fontUnderLine, 1);
    }
};

QUILLORY_SHELL_TEST(DecorationDialogsTest)
#include "DecorationDialogsTest.moc"
