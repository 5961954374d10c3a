// Every input the fuzz targets kept (fuzz/seeds and its folders) is read by every
// decoder and by automatic detection: a picture or a refusal with a text, never a
// crash (the sanitizer build runs this too).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/FormatCodes.h"
#include "core/ImageStream.h"
#include "core/NyZazo.h"
#include "support/TestFiles.h"

using namespace quillory;

TEST(FuzzSeeds, EveryKeptInputIsReadOrRefused) {
    const std::filesystem::path seeds = std::filesystem::path(QUILLORY_SOURCE_DIR) / "fuzz" / "seeds";
    int files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(seeds)) {
        if (!entry.is_regular_file()) continue;
        const std::vector<uint8_t> bytes = test::ReadFileBytes(entry.path().string());
        if (bytes.empty()) continue;
        ++files;
        for (int format : {kFormatUndetermined, kFormatBmp, kFormatGif, kFormatJpeg, kFormatTiff, kFormatPcx,
                           kFormatPsd}) {
            ImageStream s(bytes.data(), uint32_t(bytes.size()));
            NyZazo p;
            if (p.Decode(s, format)) {
                ASSERT_NE(p.dib, nullptr) << entry.path();
                EXPECT_GT(p.Width(), 0) << entry.path();
                (void)p.GetPixelColour(p.Width() - 1, p.Height() - 1);
            } else if (format != kFormatUndetermined && format != kFormatGif) {
                // GIF and automatic detection may refuse a stranger's file without a text.
                EXPECT_NE(p.lastError[0], '\0') << entry.path() << " as format " << format;
            }
        }
    }
    EXPECT_GT(files, 100);
}
