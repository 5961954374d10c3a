// The quick-edit window in the real editor: made on first use and toggled, each
// fix one undoable step on the active picture.
#include <QMdiArea>
#include <QSpinBox>
#include <QToolButton>
#include <QtTest>

#include "core/CommandIds.h"
#include "document/CVandDoc.h"
#include "document/UndoHistory.h"
#include "shell/CDlg_BrigCont.h"
#include "shell/CDlg_OneClickDica.h"
#include "shell/ShellTexts.h"
#include "shell/SliderRow.h"
#include "EditorFixture.h"
#include "ModalAnswer.h"
#include "ShellTestMain.h"

using namespace quillory;
using namespace quillory::test;

namespace {

// What a fix may change: the picture's size and the current layer's pixels and extent.
struct PictureState {
    int width = 0, height = 0, layerWidth = 0, layerHeight = 0;
    std::vector<uint8_t> pixels;
    bool operator==(const PictureState&) const = default;
};

PictureState StateOf(CVandDoc& doc) {
    const LayerRecord& layer = doc.Layer(doc.CurrentLayer());
    return {doc.Header().width, doc.Header().height, layer.width, layer.height, layer.pixels};
}

}  // namespace

class QuickEditWindowTest : public EditorFixture {
    Q_OBJECT


    void Click(const char* label) {
        QToolButton* button = Frame()->quickEditWindow()->button(label);
        QVERIFY2(button, label);
        QVERIFY2(button->isEnabled(), label);
        QTest::mouseClick(button, Qt::LeftButton);
        QCoreApplication::processEvents();
    }

private Q_SLOTS:
    void initTestCase() { PrepareFiles(); }
    void cleanup() { Stop(); }

    void madeOnFirstUseBelowTheToolBarsThenToggled() {
        Start({m_picture});
        QVERIFY(Enabled(cmd::kQuickEditWindow));
        QVERIFY(!Frame()->quickEditWindow());
        Trigger(cmd::kQuickEditWindow);
        CDlg_OneClickDica* window = Frame()->quickEditWindow();
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->windowTitle(), QString::fromUtf8(shelltexts::kQuickEditTitle));
        QVERIFY(Frame()->Action(cmd::kQuickEditWindow)->isChecked());
        QVERIFY(window->y() >= Frame()->mdiArea()->mapToGlobal(QPoint(0, 0)).y());
        for (const QuickFix& fix : QuickFixes()) QVERIFY2(window->button(fix.label), fix.label);

        // Later uses hide it, then show it where the user left it.
        window->move(window->pos() + QPoint(-30, 40));
        const QPoint moved = window->pos();
        Trigger(cmd::kQuickEditWindow);
        QVERIFY(!window->isVisible());
        QVERIFY(!Frame()->Action(cmd::kQuickEditWindow)->isChecked());
        Trigger(cmd::kQuickEditWindow);
        QCOMPARE(Frame()->quickEditWindow(), window);
        QVERIFY(window->isVisible());
        QCOMPARE(window->pos(), moved);

        if (const QString grabs = qEnvironmentVariable("QUILLORY_TEST_GRABS"); !grabs.isEmpty())
            window->grab().save(grabs + "/quick_edit.png");

        // Without a picture the fixes wait.
        Doc().SetModified(false);
        Trigger(cmd::kCloseAll);
        QVERIFY(!View());
        QVERIFY(!window->button(shelltexts::kQuickInvert)->isEnabled());
        QVERIFY(!window->Apply(QuickFixes().first()));
    }

    void eachFixIsOneStepThatUndoGivesBack() {
        Start({m_picture});
        Trigger(cmd::kQuickEditWindow);
        const PictureState original = StateOf(Doc());
        const int position = Doc().History().StepPosition();

        Click(shelltexts::kQuickInvert);
        QCOMPARE(Doc().History().StepPosition(), position + 1);
        const PictureState inverted = StateOf(Doc());
        for (size_t i = 0; i < original.pixels.size(); ++i)
            QCOMPARE(int(inverted.pixels[i]), 255 - original.pixels[i]);
        Trigger(cmd::kEditUndo);
        QVERIFY(StateOf(Doc()) == original);

        // A quarter turn turns the whole photo: the picture stands on its side.
        Click(shelltexts::kQuickTurnRight);
        QCOMPARE(Doc().Header().width, 50);
        QCOMPARE(Doc().Header().height, 100);
        QCOMPARE(View()->document().Width(), 50);
        Click(shelltexts::kQuickTurnLeft);
        QVERIFY(StateOf(Doc()).pixels == original.pixels);
        Trigger(cmd::kEditUndo);
        Trigger(cmd::kEditUndo);
        QVERIFY(StateOf(Doc()) == original);

        // Brighter raises every channel that has room; contrast, sharpen, grey and the flips change pixels.
        Click(shelltexts::kQuickBrighter);
        const PictureState brighter = StateOf(Doc());
        for (size_t i = 0; i < original.pixels.size(); ++i)
            QVERIFY(brighter.pixels[i] >= original.pixels[i] && (original.pixels[i] == 255 || brighter.pixels[i] > original.pixels[i]));
        for (const char* label : {shelltexts::kQuickDarker, shelltexts::kQuickMoreContrast, shelltexts::kQuickLessContrast,
                                  shelltexts::kQuickSharpen, shelltexts::kQuickGreyScale, shelltexts::kQuickFlipLeftRight,
                                  shelltexts::kQuickFlipTopBottom, shelltexts::kQuickAutoColour}) {
            const int before = Doc().History().StepPosition();
            Click(label);
            QVERIFY2(Doc().History().StepPosition() == before + 1, label);
        }
        QVERIFY(Doc().IsModified());
        while (Enabled(cmd::kEditUndo)) Trigger(cmd::kEditUndo);
        QVERIFY(StateOf(Doc()) == original);
    }

    void brightnessButtonOpensTheUsualDialogWithItsPreview() {
        Start({m_picture});
        Trigger(cmd::kQuickEditWindow);
        const PictureState original = StateOf(Doc());
        bool shown = false;
        ANSWER_NEXT_MODAL(CDlg_BrigCont, [&](CDlg_BrigCont* dialog) {
            shown = true;
            dialog->brightness()->edit()->setValue(-100);
            QVERIFY(!(StateOf(Doc()) == original));  // previewed in the picture
            dialog->reject();
        });
        Click(shelltexts::kQuickBrightnessDialog);
        QVERIFY(shown);
        QVERIFY(StateOf(Doc()) == original);
    }
};

QUILLORY_SHELL_TEST(QuickEditWindowTest)
#include "QuickEditWindowTest.moc"
