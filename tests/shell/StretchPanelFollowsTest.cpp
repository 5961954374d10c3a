// The stretch panel of the real editor follows the active picture: switching to
// another window shows that picture's size, gives the one before back as it was,
// and the panel's entries stretch the picture the user sees.
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

#include "EditorFixture.h"
#include "ShellTestMain.h"
#include "core/CommandIds.h"
#include "shell/PanelCommands.h"

using namespace quillory;

class StretchPanelFollowsTest : public test::EditorFixture {
    Q_OBJECT

    void Activate(CVandView* view) {
        Frame()->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(view->parentWidget()));
        QCoreApplication::processEvents();
        QCOMPARE(View(), view);
    }
    static const LayerRecord& Current(CVandView* view) {
        const CVandDoc& d = view->document().doc();
        return d.Layer(d.CurrentLayer());
    }

private Q_SLOTS:
    void initTestCase() { PrepareFiles(); }
    void cleanup() { Stop(); }

    void thePanelShowsTheActivePicturesSize() {
        const QString wide = m_dir.filePath("wide.bmp");
        QVERIFY(test::WritePicture(wide, 240, 160));
        Start({m_picture});
        QVERIFY(Frame()->OpenDocument(wide));
        QCOMPARE(Frame()->Views().size(), 2);
        CVandView* small = nullptr;
        CVandView* large = nullptr;
        for (CVandView* v : Frame()->Views()) (v->document().Width() == 100 ? small : large) = v;
        QVERIFY(small && large);

        Activate(large);
        Trigger(cmd::kStretchSquash);
        DlgStretch* panel = Frame()->panels().stretchPanel();
        QVERIFY(panel && panel->isVisible());
        QCOMPARE(panel->widthBox()->value(), 240);
        QCOMPARE(panel->heightBox()->value(), 160);
        panel->widthBox()->setValue(300);
        QCOMPARE(Current(large).width, 300);

        Activate(small);
        QVERIFY(panel->isVisible());
        QCOMPARE(panel->widthBox()->value(), 100);
        QCOMPARE(panel->heightBox()->value(), 50);
        // The preview on the other picture went back.
        QCOMPARE(Current(large).width, 240);

        panel->widthBox()->setValue(120);
        QTest::mouseClick(panel->okButton(), Qt::LeftButton);
        QCOMPARE(Current(small).width, 120);
        QCOMPARE(Current(small).height, 50);
        QCOMPARE(Current(large).width, 240);
        QCOMPARE(Current(large).height, 160);
    }
};

QUILLORY_SHELL_TEST(StretchPanelFollowsTest)
#include "StretchPanelFollowsTest.moc"
