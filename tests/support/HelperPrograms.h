#pragma once
// The programs and python3 modules differential tests run besides Quillory.
// scripts/setup.sh installs every one of them; a test that needs one asserts it
// first, so that a missing helper fails the test with its name and package
// instead of passing untested or failing on a confusing error later:
//     ASSERT_TRUE(test::HavePythonModules({"PIL", "numpy"}));
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

namespace quillory::test {

// The system interpreter: a user-level python3 on PATH may lack the Debian packages.
inline constexpr const char* kPython3 = "/usr/bin/python3";

// Success when /usr/bin/python3 imports every module (as written after "import",
// e.g. "PIL"); otherwise a failure naming the missing ones and their packages.
::testing::AssertionResult HavePythonModules(std::initializer_list<const char*> modules);

// Success when the program (an absolute path) can be run; otherwise a failure
// naming it and the Debian package that provides it.
::testing::AssertionResult HaveProgram(const std::string& path, const std::string& package);

// What a shell command prints on its standard output ("" when it cannot be started).
std::string CommandOutput(const std::string& command);

}  // namespace quillory::test
