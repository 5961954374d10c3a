// Select all in the real editor: its item in the selection menu, Ctrl+A selecting
// the whole canvas with its outline running, Ctrl+D taking it away again, and the
// text tool keeping Ctrl+A and Del for the text being typed.
#include <QMenu>
#include <QMenuBar>
#include <QtTest>

#include "EditorFixture.h"
#include "ShellTestMain.h"
#include "core/CommandIds.h"
#include "document/SelectionEditing.h"
#include "document/ToolTexts.h"
#include "extras/TextTool.h"
#include "shell/TextEntryView.h"

using namespace quillory;
using test::Text;

namespace {

int SelectedCount(const CVandDoc& d) {
    int n = 0;
    for (uint8_t v : d.State().selection.mask) n += v == MaskValue::Inside;
    return n;
}

// The menu of the menu bar whose title starts with `title`.
QMenu* MenuNamed(QMenuBar* bar, const QString& title) {
    for (QAction* action : bar->actions())
        if (action->menu() && action->text().startsWith(title)) return action->menu();
    return nullptr;
}

}  // namespace

class SelectAllTest : public test::EditorFixture {
    Q_OBJECT

    void PressKey(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(View(), key, modifiers);
        QCoreApplication::processEvents();
    }

private Q_SLOTS:
    void initTestCase() { PrepareFiles(); }
    void cleanup() { Stop(); }

    void menuItemAndCtrlASelectTheWholeCanvas() {
        Start({m_picture});
        QMenu* menu = MenuNamed(Frame()->menuBar(), Text("영역선택"));
        QVERIFY(menu);
        QAction* action = Frame()->Action(cmd::kSelectAll);
        QVERIFY(action);
        QVERIFY(menu->actions().contains(action));
        QCOMPARE(action->text().section('\t', 0, 0), Text(texts::kCmdSelectAll));
        QVERIFY(!action->statusTip().isEmpty());
        QVERIFY(Enabled(cmd::kSelectAll));

        FocusView();
        PressKey(Qt::Key_A, Qt::ControlModifier);
        const SelectionMask& s = Doc().State().selection;
        QVERIFY(s.selectionActive);
        QCOMPARE(SelectedCount(Doc()), 100 * 50);
        Grab();
        QVERIFY(View()->selectionTimer().outlineShown());
        // Nothing of the picture changed, so there is nothing to save.
        QVERIFY(!Doc().IsModified());

        PressKey(Qt::Key_D, Qt::ControlModifier);
        QVERIFY(!Doc().State().selection.selectionActive);

        // The menu item does the same.
        Trigger(cmd::kSelectAll);
        QVERIFY(Doc().State().selection.selectionActive);
        QCOMPARE(SelectedCount(Doc()), 100 * 50);

        // Without a picture there is nothing to select.
        Doc().SetModified(false);
        Trigger(cmd::kCloseAll);
        QVERIFY(!View());
        QVERIFY(!Enabled(cmd::kSelectAll));
    }

    void typedTextKeepsCtrlAAndDel() {
        Start({m_picture});
        Frame()->env().faceName = u"NanumGothic";
        Trigger(cmd::kToolText);
        FocusView();
        const ViewState& v = View()->document().view();
        QTest::mouseClick(View()->viewport(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(v.pictureRect.left + 5 - v.scrollX, v.pictureRect.top + 5 - v.scrollY));
        QVERIFY(View()->textEntry().Active());
        QTest::keyClicks(View(), "abc");
        PressKey(Qt::Key_A, Qt::ControlModifier);
        QVERIFY(!Doc().State().selection.selectionActive);
        QVERIFY(View()->textEntry().Active());
        PressKey(Qt::Key_Left);
        PressKey(Qt::Key_Delete);
        QCOMPARE(QString::fromStdU16String(View()->textEntry().Tool()->Entry().text), QString("ab"));

        // Once the entry is placed, Ctrl+A selects again.
        PressKey(Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(!View()->textEntry().Active());
        PressKey(Qt::Key_A, Qt::ControlModifier);
        QVERIFY(Doc().State().selection.selectionActive);
    }
};

QUILLORY_SHELL_TEST(SelectAllTest)
#include "SelectAllTest.moc"
