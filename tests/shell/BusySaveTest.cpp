// A long save in the real editor: the options dialog is gone before the work starts,
// and while the picture is written the wait cursor shows and the progress bar moves;
// afterwards both are back as they were.
#include <QApplication>
#include <QFile>
#include <QProgressBar>
#include <QSpinBox>
#include <QtTest>

#include "EditorFixture.h"
#include "ModalAnswer.h"
#include "ShellTestMain.h"
#include "core/CommandIds.h"
#include "shell/CDlg_SaveOptions.h"

using namespace quillory;

namespace {

// What the screen shows each time the progress bar paints during the work.
class ProgressWatch : public QObject {
public:
    struct Seen {
        int value;
        bool waitCursor;
        bool dialogShown;
    };
    std::vector<Seen> seen;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            auto* bar = static_cast<QProgressBar*>(watched);
            const QCursor* cursor = QApplication::overrideCursor();
            bool dialog = false;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (qobject_cast<CDlg_SaveOptions*>(w) && w->isVisible()) dialog = true;
            seen.push_back({bar->value(), cursor && cursor->shape() == Qt::WaitCursor, dialog});
        }
        return false;
    }
};

}  // namespace

class BusySaveTest : public test::EditorFixture {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { PrepareFiles(); }
    void cleanup() { Stop(); }

    void aSaveShowsTheWaitCursorAndItsProgress() {
        const QString big = m_dir.filePath("big.bmp");
        QVERIFY(test::WritePicture(big, 900, 600));
        Start({big});
        const QString out = m_dir.filePath("out.png");
        Frame()->savePathPrompt = [&](const QString&) { return out; };
        ProgressWatch watch;
        Frame()->progressBar()->installEventFilter(&watch);
        ANSWER_NEXT_MODAL(CDlg_SaveOptions, [](CDlg_SaveOptions* dialog) {
            QVERIFY(dialog->levelBox());
            dialog->accept();
        });
        Trigger(cmd::kFileSaveAs);
        RETURN_IF_ANSWER_FAILED();
        Frame()->progressBar()->removeEventFilter(&watch);
        QVERIFY(QFile::exists(out));

        int moving = 0;
        for (const ProgressWatch::Seen& s : watch.seen) {
            if (s.value <= 0) continue;
            ++moving;
            QVERIFY(s.waitCursor);
            QVERIFY(!s.dialogShown);
        }
        QVERIFY2(moving >= 10, qPrintable(QString("the bar moved %1 times").arg(moving)));
        // Done: the bar is empty and the cursor is the usual one again.
        QCOMPARE(Frame()->progressBar()->value(), 0);
        QVERIFY(!QApplication::overrideCursor());
    }
};

QUILLORY_SHELL_TEST(BusySaveTest)
#include "BusySaveTest.moc"
