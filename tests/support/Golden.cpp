#include "support/Golden.h"

#include <cstdlib>
#include <filesystem>

namespace quillory::test {

::testing::AssertionResult MatchesGolden(const std::string& name, const RgbaImage& actual) {
    const std::filesystem::path golden = std::filesystem::path(QUILLORY_SOURCE_DIR) / "tests" / "golden" / (name + ".png");
    const char* update = std::getenv("QUILLORY_UPDATE_GOLDEN");
    const RgbaImage expected = LoadPng(golden.string());
    const bool same = expected.Valid() && expected.width == actual.width && expected.height == actual.height &&
                      expected.rgba == actual.rgba;
    if (same) return ::testing::AssertionSuccess();
    if (update && std::string(update) == "1") {
        std::filesystem::create_directories(golden.parent_path());
        if (SavePng(golden.string(), actual)) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "cannot write " << golden;
    }
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "quillory-golden";
    std::filesystem::create_directories(folder);
    const std::filesystem::path actualPath = folder / (name + ".actual.png");
    const std::filesystem::path expectedPath = folder / (name + ".expected.png");
    SavePng(actualPath.string(), actual);
    if (expected.Valid()) SavePng(expectedPath.string(), expected);
    auto failure = ::testing::AssertionFailure();
    if (!expected.Valid()) return failure << "no golden picture " << golden << "; actual in " << actualPath;
    return failure << name << " differs from its golden picture: actual " << actualPath << ", expected "
                   << expectedPath;
}

}  // namespace quillory::test
