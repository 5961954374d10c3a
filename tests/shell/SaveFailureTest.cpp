// Saves that cannot be written, in the real editor: whatever the format, the user
// sees a box that names the file and the reason, the picture stays modified and
// nothing is left where the file would have gone.
#include <QDir>
#include <QFileInfo>
#include <QMdiSubWindow>
#include <QtTest>

#include "core/CommandIds.h"
#include "core/SaveOptions.h"
#include "EditorFixture.h"
#include "ShellTestMain.h"

using namespace quillory;
using namespace quillory::test;

class SaveFailureTest : public EditorFixture {
    Q_OBJECT

    // Save As to `target`; the message the editor showed about it ("" for none).
    QString SaveAsAndTakeMessage(const QString& target) {
        Frame()->savePathPrompt = [target](const QString&) { return target; };
        Frame()->saveOptionsPrompt = [](int, SaveOptions&) { return true; };
        const size_t before = MessageCount();
        Trigger(cmd::kFileSaveAs);
        const size_t shown = MessageCount() - before;
        if (shown != 1) return QString("%1 messages").arg(shown);
        return LastMessage();
    }

private Q_SLOTS:
    void initTestCase() { PrepareFiles(); }
    void cleanup() { Stop(); }

    void everyFailedSaveNamesTheFileAndTheReason_data() {
        QTest::addColumn<QString>("extension");
        for (const char* extension : {"jpg", "png", "webp", "bmp", "gif", "tif", "mzr", "qvx"}) QTest::newRow(extension) << extension;
    }

    void everyFailedSaveNamesTheFileAndTheReason() {
        QFETCH(QString, extension);
        Start({m_picture});
        Trigger(cmd::kInvert);
        QVERIFY(Doc().IsModified());
        auto* child = qobject_cast<QMdiSubWindow*>(View()->parentWidget());
        const QString title = child->windowTitle();

        // A folder that does not exist, and a name that is taken by a folder.
        const QString missing = QDir(m_dir.filePath("no-such-folder")).filePath("out." + extension);
        const QString folder = m_dir.filePath("taken-" + extension + "." + extension);
        QVERIFY(QDir().mkpath(folder));
        for (const QString& target : {missing, folder}) {
            const QString message = SaveAsAndTakeMessage(target);
            QVERIFY2(message.contains(QDir::toNativeSeparators(QFileInfo(target).absoluteFilePath())), qPrintable(message));
            // The reason follows on its own line.
            QVERIFY2(!message.section('\n', 1).trimmed().isEmpty(), qPrintable(message));
            QVERIFY(Doc().IsModified());
            QCOMPARE(child->windowTitle(), title);
        }
        QVERIFY(!QFileInfo::exists(missing));
        QVERIFY(QFileInfo(folder).isDir());
        QCOMPARE(QDir(folder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size(), 0);
        QCOMPARE(QDir(m_dir.path()).entryList({"*quillory-tmp*"}, QDir::Hidden | QDir::Files).size(), 0);
    }
};

QUILLORY_SHELL_TEST(SaveFailureTest)
#include "SaveFailureTest.moc"
