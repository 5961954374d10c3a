// Scanning through SANE's own "test" device, enabled in a private configuration
// folder so that no real scanner is ever looked for.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "document/CVandDoc.h"
#include "extras/AcquiredPictures.h"
#include "extras/CTwain.h"
#include "extras/SaneSourceManager.h"
#include "support/TestFiles.h"

using namespace quillory;

namespace {

// SANE reads its configuration folder once a process, so one folder serves every test.
const test::TempDir& SaneConfig() {
    static const std::unique_ptr<test::TempDir> config = [] {
        auto dir = std::make_unique<test::TempDir>();
        std::ofstream(dir->File("dll.conf")) << "test\n";
        std::ofstream(dir->File("test.conf")) << "number_of_devices 2\nmode Gray\ndepth 8\nresolution 50\n";
        return dir;
    }();
    return *config;
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kLeakCheckerBuild = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kLeakCheckerBuild = true;
#else
constexpr bool kLeakCheckerBuild = false;
#endif
#else
constexpr bool kLeakCheckerBuild = false;
#endif

class SaneScan : public ::testing::Test {
protected:
    void SetUp() override {
        if (!SaneSourceManager::Load({})) GTEST_SKIP() << "built without SANE";
        // SANE unloads its test backend at exit with allocations of its own still held; the leak
        // checker then reports them from an unknown module, so the device runs in the plain build only.
        if (kLeakCheckerBuild) GTEST_SKIP() << "SANE's test backend leaks under the leak checker";
        setenv("SANE_CONFIG_DIR", SaneConfig().path().c_str(), 1);
    }

    // The options a user would set in the dialog, by option name.
    static void Choose(ScanDevice& device, const std::string& source) {
        for (const ScanOption& o : device.Options()) {
            if (o.name == "mode") {
                EXPECT_TRUE(device.SetText(o.index, "Color"));
            }
            if (o.name == "test-picture") {
                EXPECT_TRUE(device.SetText(o.index, "Color pattern"));
            }
            if (o.name == "resolution") {
                EXPECT_TRUE(device.SetNumber(o.index, 20));
            }
            if (o.name == "source") {
                EXPECT_TRUE(device.SetText(o.index, source));
            }
        }
    }
};

struct Scanner {
    std::vector<std::unique_ptr<CVandDoc>> documents;
    std::vector<ScanSourceInfo> listed;
    std::vector<ScanOption> optionsShown;
    std::function<void(ScanDevice&)> setOptions;
    AcquiredPictures pictures{[this](NyZazo& picture, const std::string& title) {
        auto doc = std::make_unique<CVandDoc>();
        if (!MakeAcquiredDocument(*doc, picture, title)) return false;
        documents.push_back(std::move(doc));
        return true;
    }};
    CTwain twain{pictures, [this] {
                     SaneSourceManager::Hooks hooks;
                     hooks.chooseSource = [this](const std::vector<ScanSourceInfo>& devices) {
                         listed = devices;
                         for (size_t i = 0; i < devices.size(); ++i)
                             if (devices[i].name == "test:1") return int(i);
                         return -1;
                     };
                     hooks.showOptions = [this](ScanDevice& device) {
                         if (setOptions) setOptions(device);
                         optionsShown = device.Options();
                         return true;
                     };
                     return std::unique_ptr<twain::DataSourceManager>(SaneSourceManager::Load(hooks));
                 }};

    bool Scan() {
        if (!twain.OpenManager(1) || !twain.Acquire()) return false;
        int guard = 0;
        while (twain.SourceEnabled() && twain.ProcessMessage(nullptr) && ++guard < 100) {}
        return true;
    }
};

}  // namespace

TEST_F(SaneScan, TheTestDeviceGivesARealColourPicture) {
    Scanner scanner;
    scanner.setOptions = [](ScanDevice& d) { Choose(d, "Flatbed"); };
    ASSERT_TRUE(scanner.Scan() || !scanner.listed.empty())
        << "SANE's test backend is missing: install libsane1 (bash scripts/setup.sh does)";
    ASSERT_EQ(scanner.listed.size(), 2u);
    ASSERT_EQ(scanner.documents.size(), 1u);
    const CVandDoc& doc = *scanner.documents[0];
    EXPECT_EQ(doc.FileName(), "스캔영상_1");
    // 80 × 100 mm at 20 dots per inch.
    EXPECT_NEAR(doc.Header().width, 63, 1);
    EXPECT_NEAR(doc.Header().height, 79, 1);
    EXPECT_EQ(doc.Header().bitsPerPixel, 24);
    const LayerRecord& layer = doc.Layer(doc.CurrentLayer());
    std::set<uint32_t> colours;
    for (int y = 0; y < layer.height; ++y) {
        const uint8_t* row = layer.PixelRow(y);
        for (int x = 0; x < layer.width; ++x) colours.insert(row[3 * x] | row[3 * x + 1] << 8 | row[3 * x + 2] << 16);
    }
    EXPECT_GT(colours.size(), 6u);
    // The dialog saw the device's options with their kinds and limits.
    bool sawMode = false, sawResolution = false;
    for (const ScanOption& o : scanner.optionsShown) {
        if (o.name == "mode") {
            sawMode = true;
            EXPECT_EQ(o.kind, ScanOption::Kind::Text);
            EXPECT_EQ(o.text, "Color");
            EXPECT_EQ(o.limit, ScanOption::Limit::Texts);
        }
        if (o.name == "resolution") {
            sawResolution = true;
            EXPECT_EQ(o.unit, "dpi");
            EXPECT_EQ(o.number, 20);
            EXPECT_EQ(o.limit, ScanOption::Limit::Range);
        }
    }
    EXPECT_TRUE(sawMode && sawResolution);
    // The source closed itself after the page; acquiring again opens it without a new choice.
    EXPECT_FALSE(scanner.twain.SourceOpen());
    scanner.listed.clear();
    ASSERT_TRUE(scanner.Scan());
    EXPECT_TRUE(scanner.listed.empty());
    ASSERT_EQ(scanner.documents.size(), 2u);
    EXPECT_EQ(scanner.documents[1]->FileName(), "스캔영상_2");
}

TEST_F(SaneScan, AFeederScansUntilItIsEmpty) {
    Scanner scanner;
    scanner.setOptions = [](ScanDevice& d) {
        Choose(d, "Automatic Document Feeder");
        for (const ScanOption& o : d.Options())
            if (o.name == "resolution") d.SetNumber(o.index, 5);
    };
    ASSERT_TRUE(scanner.Scan() || !scanner.listed.empty())
        << "SANE's test backend is missing: install libsane1 (bash scripts/setup.sh does)";
    // The test device's feeder holds ten pages.
    ASSERT_EQ(scanner.documents.size(), 10u);
    EXPECT_EQ(scanner.documents.front()->FileName(), "스캔영상_1");
    EXPECT_EQ(scanner.documents.back()->FileName(), "스캔영상_10");
    EXPECT_FALSE(scanner.twain.SourceEnabled());
}
