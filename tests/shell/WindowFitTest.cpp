// The picture window of the real editor follows its picture: a command that grows
// the canvas brings the scroll bars at once, a turn or a resize refits the window,
// and a large picture's window stays inside the workspace.
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QSpinBox>
#include <QtTest>

#include "EditorFixture.h"
#include "ShellTestMain.h"
#include "core/CommandIds.h"
#include "shell/CDlg_CanvasSize.h"
#include "shell/CDlg_ImageSize.h"

using namespace quillory;

class WindowFitTest : public test::EditorFixture {
    Q_OBJECT

    QMdiSubWindow* Child() { return qobject_cast<QMdiSubWindow*>(View()->parentWidget()); }
    // The child frame lies inside the workspace's free space, title bar and borders included.
    void CheckInsideWorkspace() {
        QWidget* area = Child()->parentWidget();
        QVERIFY2(area->rect().contains(Child()->geometry()),
                 qPrintable(QString("window %1,%2 %3x%4 in %5x%6")
                                .arg(Child()->x())
                                .arg(Child()->y())
                                .arg(Child()->width())
                                .arg(Child()->height())
                                .arg(area->width())
                                .arg(area->height())));
    }

private Q_SLOTS:
    void initTestCase() { PrepareFiles(); }
    void cleanup() { Stop(); }

    void aGrownCanvasBringsTheScrollBarsAtOnce() {
        Start({m_picture});
        QVERIFY(!View()->horizontalScrollBar()->isVisible());
        const bool seen = RunDialog<CDlg_CanvasSize>(cmd::kCanvasSize, [](CDlg_CanvasSize& d) {
            d.widthBox()->setValue(3000);
            d.heightBox()->setValue(2500);
            d.accept();
        });
        QVERIFY(seen);
        QCoreApplication::processEvents();
        QCOMPARE(Doc().Header().width, 3000);
        QVERIFY(View()->horizontalScrollBar()->isVisible());
        QVERIFY(View()->verticalScrollBar()->isVisible());
        QCOMPARE(View()->horizontalScrollBar()->maximum(), 3000 - View()->viewport()->width());
        // The window grew with its picture as far as the workspace lets it.
        QVERIFY(View()->viewport()->width() > 104);
        CheckInsideWorkspace();
    }

    void aTurnOrAResizeRefitsTheWindow() {
        const QString wide = m_dir.filePath("wide.bmp");
        QVERIFY(test::WritePicture(wide, 240, 160));
        Start({wide});
        QCOMPARE(View()->viewport()->size(), QSize(244, 164));
        Trigger(cmd::kCanvasRotateRight);
        QCoreApplication::processEvents();
        QCOMPARE(Doc().Header().width, 160);
        // The turned picture is shown whole: its client is the picture and the margin.
        QCOMPARE(View()->viewport()->size(), QSize(164, 244));
        QVERIFY(!View()->verticalScrollBar()->isVisible());

        const bool seen = RunDialog<CDlg_ImageSize>(cmd::kResizePicture, [](CDlg_ImageSize& d) {
            d.widthBox()->setValue(200);
            d.heightBox()->setValue(150);
            d.accept();
        });
        QVERIFY(seen);
        QCoreApplication::processEvents();
        QCOMPARE(View()->viewport()->size(), QSize(204, 154));
    }

    void aLargePicturesWindowStaysInsideTheWorkspace() {
        const QString big = m_dir.filePath("big.bmp");
        QVERIFY(test::WritePicture(big, 3000, 2000));
        Start({big});
        QCoreApplication::processEvents();
        CheckInsideWorkspace();
        // The window is as large as the free space lets it be.
        QWidget* area = Child()->parentWidget();
        QCOMPARE(Child()->x() + Child()->width(), area->width());
        QCOMPARE(Child()->y() + Child()->height(), area->height());
        QVERIFY(View()->horizontalScrollBar()->isVisible());
    }
};

QUILLORY_SHELL_TEST(WindowFitTest)
#include "WindowFitTest.moc"
