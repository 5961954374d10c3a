#pragma once
// Several QtTest classes in one program: each registers itself and main runs them all.
#include <QObject>
#include <functional>
#include <vector>

namespace quillory::test {

using TestFactory = std::function<QObject*()>;
std::vector<TestFactory>& ShellTests();

struct RegisterShellTest {
    explicit RegisterShellTest(TestFactory factory) { ShellTests().push_back(std::move(factory)); }
};

}  // namespace quillory::test

#define QUILLORY_SHELL_TEST(Class) \
    static quillory::test::RegisterShellTest g_register##Class([] { return static_cast<QObject*>(new Class); });
