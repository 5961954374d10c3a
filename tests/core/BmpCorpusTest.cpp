// Decodes every BMP of the shared corpus and compares with the reference decodes.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "core/NyZazo.h"
#include "support/CorpusManifest.h"
#include "support/TestFiles.h"

using namespace quillory;

namespace {

struct Expectation {
    bool decodes;
    const char* why;  // the rule behind a refusal or a known difference
};

// Files whose result is not "decodes and matches the best reference exactly".
const std::map<std::string, Expectation> kIntended = {
    {"g_pal8topdown.bmp", {false, "top-down rows (negative height) are refused"}},
    {"b_rletopdown.bmp", {false, "top-down rows (negative height) are refused"}},
    {"b_badbitcount.bmp", {false, "bit count 30000 is not a BMP depth"}},
    {"b_badwidth.bmp", {false, "negative width"}},
    {"b_reallybig.bmp", {false, "3000000 x 2000000 is past the pixel cap"}},
    {"b_shortfile.bmp", {false, "the pixel data is truncated"}},
    {"l2rgb_read.bmp", {false, "the pixel data is truncated"}},
    {"q_rgb24jpeg.bmp", {false, "embedded JPEG data: bit count 0"}},
    {"q_rgb24png.bmp", {false, "embedded PNG data: bit count 0"}},
    {"b_badpalettesize.bmp", {true, "palette count is absurd; the entries the picture can hold are read"}},
    {"q_pal8oversizepal.bmp", {true, "300 palette entries: the first 256 are read"}},
    {"b_badrle.bmp", {true, "broken run-length data is clipped; no reference exists"}},
    {"q_pal2.bmp", {true, "2-bit indices are kept in a 4-bit picture; no reference exists"}},
    {"q_rgba32abf.bmp", {true, "alpha bit fields are read like bit fields; no reference exists"}},
};

// Differences from the reference that follow from our rules rather than faults.
const std::map<std::string, std::string> kToleratedDifferences = {
    // The 16-bit widening keeps the top bits (x << 3), the references scale to 0..255.
    {"g_rgb16.bmp", "16-bit channels widened by shifting"},
    {"g_rgb16-565.bmp", "16-bit channels widened by shifting"},
    {"g_rgb16-565pal.bmp", "16-bit channels widened by shifting"},
    {"q_rgb16-231.bmp", "16-bit channels widened by shifting"},
    {"q_rgba16-4444.bmp", "16-bit channels widened by shifting"},
    // Indices past the file's palette show black here.
    {"b_pal8badindex.bmp", "indices past the palette are black"},
    // Pixels beyond the run-length data keep the white fill; references use black.
    {"q_pal4rletrns.bmp", "pixels skipped by deltas keep the white fill"},
    {"q_pal8rletrns.bmp", "pixels skipped by deltas keep the white fill"},
    {"q_rgb32-111110.bmp", "10-bit channels keep their top 8 bits; the reference rounds"},
    {"q_pal8os2v2.bmp", "64-byte OS/2 2.x header"},
};

}  // namespace

TEST(BmpCorpus, EveryFileDecodesOrFailsAsIntended) {
    if (!test::HaveCorpus()) GTEST_SKIP() << "shared corpus not found at " << test::CorpusDir();
    auto refs = test::BestReferences("bmp");
    ASSERT_GT(refs.size(), 50u);
    int compared = 0;
    for (const auto& [name, ref] : refs) {
        SCOPED_TRACE(name);
        NyZazo picture;
        picture.SetLastError("");
        bool ok = picture.Load((test::CorpusDir() / "bmp" / name).string(), name.ends_with(".dib") ? -1 : 1);
        auto intended = kIntended.find(name);
        if (intended != kIntended.end()) {
            EXPECT_EQ(ok, intended->second.decodes) << intended->second.why;
            if (!ok) {
                EXPECT_NE(std::string(picture.lastError), "") << "a refusal says why";
            }
            continue;
        }
        ASSERT_TRUE(ok) << picture.lastError;
        if (ref == "-" || ref.empty()) continue;
        test::RgbaImage expected = test::LoadPng((test::CorpusDir() / ref).string());
        ASSERT_TRUE(expected.Valid());
        test::ImageDiff diff = test::CompareRgb(test::ToRgba(picture), expected);
        ASSERT_TRUE(diff.sameSize);
        auto tolerated = kToleratedDifferences.find(name);
        if (tolerated != kToleratedDifferences.end()) {
            EXPECT_LE(diff.differing, expected.width * expected.height) << tolerated->second;
        } else {
            EXPECT_EQ(diff.maxDiff, 0) << diff.differing << " pixels differ";
        }
        ++compared;
    }
    EXPECT_GT(compared, 30);
}
