#include "support/HelperPrograms.h"

#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>

namespace quillory::test {

namespace {

// The Debian package of each module the tests import.
std::string PackageOf(const std::string& module) {
    static const std::map<std::string, std::string> packages = {
        {"PIL", "python3-pil"}, {"numpy", "python3-numpy"}, {"openpyxl", "python3-openpyxl"}};
    const auto found = packages.find(module);
    return found != packages.end() ? found->second : "python3-" + module;
}

bool Imports(const std::string& module) {
    static std::mutex guard;
    static std::map<std::string, bool> known;
    std::lock_guard<std::mutex> lock(guard);
    const auto found = known.find(module);
    if (found != known.end()) return found->second;
    const std::string command = std::string(kPython3) + " -c 'import " + module + "' >/dev/null 2>&1";
    return known[module] = std::system(command.c_str()) == 0;
}

}  // namespace

::testing::AssertionResult HavePythonModules(std::initializer_list<const char*> modules) {
    if (access(kPython3, X_OK) != 0)
        return ::testing::AssertionFailure() << kPython3 << " is missing: install python3 (bash scripts/setup.sh does)";
    std::string missing, packages;
    for (const char* module : modules) {
        if (Imports(module)) continue;
        missing += (missing.empty() ? "" : ", ") + std::string(module);
        packages += (packages.empty() ? "" : " ") + PackageOf(module);
    }
    if (missing.empty()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "python3 cannot import " << missing << ": install " << packages
                                         << " (bash scripts/setup.sh does)";
}

::testing::AssertionResult HaveProgram(const std::string& path, const std::string& package) {
    if (access(path.c_str(), X_OK) == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << path << " is missing: install " << package << " (bash scripts/setup.sh does)";
}

std::string CommandOutput(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    std::array<char, 4096> buffer{};
    size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) out.append(buffer.data(), n);
    pclose(pipe);
    return out;
}

}  // namespace quillory::test
