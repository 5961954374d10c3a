#include "ShellTestMain.h"

#include <QApplication>
#include <QMetaMethod>
#include <QTemporaryDir>
#include <algorithm>
#include <QtTest>
#include <memory>

namespace quillory::test {

std::vector<TestFactory>& ShellTests() {
    static std::vector<TestFactory> tests;
    return tests;
}

}  // namespace quillory::test

int main(int argc, char* argv[]) {
    // The user's settings store and program directory stay untouched.
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + "/data").toUtf8());
    qputenv("QUILLORY_HOME", (home.path() + "/quillory").toUtf8());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // --only=A,B runs just those test classes, --except=A,B all others (so that a long class can be its own
    // ctest entry); QtTest never sees these two options.
    QStringList only, except;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg.startsWith("--only=")) only = arg.mid(7).split(',', Qt::SkipEmptyParts);
        else if (arg.startsWith("--except=")) except = arg.mid(9).split(',', Qt::SkipEmptyParts);
        else argv[kept++] = argv[i];
    }
    argc = kept;
    // Test functions named on the command line run in the classes that have them.
    QStringList wanted;
    for (int i = 1; i < argc; ++i)
        if (argv[i][0] != '-') wanted << QString::fromLocal8Bit(argv[i]).section(':', 0, 0);
    int failed = 0;
    for (const auto& factory : quillory::test::ShellTests()) {
        std::unique_ptr<QObject> test(factory());
        const QMetaObject* meta = test->metaObject();
        const QString className = QString::fromLatin1(meta->className()).section("::", -1);
        if ((!only.isEmpty() && !only.contains(className)) || except.contains(className)) continue;
        const bool has = wanted.isEmpty() || std::any_of(wanted.begin(), wanted.end(), [meta](const QString& name) {
            for (int m = meta->methodOffset(); m < meta->methodCount(); ++m)
                if (QString::fromLatin1(meta->method(m).name()) == name) return true;
            return false;
        });
        if (has) failed += QTest::qExec(test.get(), argc, argv);
    }
    return failed;
}
