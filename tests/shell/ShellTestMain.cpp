#include "ShellTestMain.h"

#include <QApplication>
#include <QTemporaryDir>
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
    int failed = 0;
    for (const auto& factory : quillory::test::ShellTests()) {
        std::unique_ptr<QObject> test(factory());
        failed += QTest::qExec(test.get(), argc, argv);
    }
    return failed;
}
