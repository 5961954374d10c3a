// The zoom keys of the real editor: the menu shows 확대 as Ctrl++, so Ctrl with the
// plus key (Ctrl+Shift+= on most keyboards) and with the keypad's + zoom in as
// Ctrl+= does; Ctrl with the keypad's - zooms out.
#include <QtTest>

#include "EditorFixture.h"
#include "ShellTestMain.h"
#include "core/CommandIds.h"

using namespace quillory;

class ZoomKeysTest : public test::EditorFixture {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { PrepareFiles(); }
    void cleanup() { Stop(); }

    void everyPlusKeyArmsTheZoomTool_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("Ctrl+=") << int(Qt::Key_Equal) << int(Qt::ControlModifier);
        // What the platform's key map makes of Ctrl+Shift+=.
        QTest::newRow("Ctrl++") << int(Qt::Key_Plus) << int(Qt::ControlModifier);
        QTest::newRow("Ctrl+keypad +") << int(Qt::Key_Plus) << int(Qt::ControlModifier | Qt::KeypadModifier);
    }
    void everyPlusKeyArmsTheZoomTool() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        Start({m_picture});
        FocusView();
        QVERIFY(Frame()->currentTool() != cmd::kZoomIn);
        QTest::keyClick(View(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCoreApplication::processEvents();
        QCOMPARE(Frame()->currentTool(), cmd::kZoomIn);
        // The armed tool zooms at the next click.
        QTest::mouseClick(View()->viewport(), Qt::LeftButton, {}, View()->viewport()->rect().center());
        QCOMPARE(View()->document().view().zoom, 2.0f);

        // Ctrl with the keypad's - zooms out as Ctrl+- does.
        QTest::keyClick(View(), Qt::Key_Minus, Qt::ControlModifier | Qt::KeypadModifier);
        QCoreApplication::processEvents();
        QCOMPARE(View()->document().view().zoom, 1.0f);
    }
};

QUILLORY_SHELL_TEST(ZoomKeysTest)
#include "ZoomKeysTest.moc"
