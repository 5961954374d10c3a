// quillory-cli draws text with the fonts fontconfig finds: text layers, Korean
// text and calendars land where they are asked for, and `fonts` lists the faces.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "core/FormatCodes.h"
#include "core/NyZazo.h"
#include "support/CliRunner.h"
#include "support/TestFiles.h"

using namespace quillory;
using test::QuotePath;
using test::RunCli;

namespace {

const std::string& kPrivateHome = test::UsePrivateHome();

struct Drawn {
    int width = 0, height = 0;
    int left = 0, top = 0, right = -1, bottom = -1;  // box of the red pixels
    long long count = 0;
};

// Runs a script that ends by saving out.bmp and describes what it drew in red. (Where
// a calendar widens the picture, the new part is neither white nor red.)
Drawn RunAndLook(const test::TempDir& dir, const std::string& lines) {
    const std::string script = test::WriteScript(dir, lines + "save " + dir.File("out.bmp") + "\n");
    const test::CliResult r = RunCli("run " + QuotePath(script), true);
    EXPECT_EQ(r.status, 0) << r.out;
    Drawn d;
    NyZazo picture;
    if (!picture.Load(dir.File("out.bmp"), kFormatBmp)) return d;
    const test::RgbaImage image = test::ToRgba(picture);
    d.width = image.width, d.height = image.height;
    d.left = image.width, d.top = image.height;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* p = &image.rgba[(size_t(y) * size_t(image.width) + size_t(x)) * 4];
            if (p[0] < std::max(p[1], p[2]) + 40) continue;
            ++d.count;
            d.left = std::min(d.left, x), d.right = std::max(d.right, x);
            d.top = std::min(d.top, y), d.bottom = std::max(d.bottom, y);
        }
    return d;
}

}  // namespace

TEST(CliText, TextLayerIsDrawnWhereItIsPut) {
    test::TempDir dir;
    // 24-pixel DejaVu Sans: "Hello" is about 60 pixels wide, capitals start about 5 rows down.
    const Drawn d = RunAndLook(dir, "new 200 100 white\n"
                                    "1083 text=Hello x=20 y=30 size=12 colour=ff0000 \"face=DejaVu Sans\"\n");
    EXPECT_EQ(d.width, 200);
    ASSERT_GT(d.count, 100);
    EXPECT_NEAR(d.left, 22, 2);
    EXPECT_NEAR(d.top, 35, 3);
    EXPECT_NEAR(d.right, 80, 8);
    EXPECT_NEAR(d.bottom, 52, 2);
}

TEST(CliText, KoreanTextIsDrawnAsGlyphs) {
    test::TempDir dir;
    const Drawn d = RunAndLook(dir, "new 200 100 white\n"
                                    "1083 \"text=한글 달력\" x=10 y=10 size=16 colour=ff0000\n");
    ASSERT_GT(d.count, 300);
    EXPECT_GE(d.left, 10);
    EXPECT_LE(d.left, 14);
    EXPECT_GE(d.top, 10);
    EXPECT_LE(d.bottom, 10 + 40);
    // Four 32-pixel syllables and a space.
    EXPECT_GT(d.right - d.left, 100);
    EXPECT_LT(d.right - d.left, 150);
    // Each syllable alone: different glyphs, not the same missing-glyph box.
    test::TempDir other;
    const Drawn han = RunAndLook(other, "new 100 100 white\n1083 text=한 x=10 y=10 size=16 colour=ff0000\n");
    const Drawn dal = RunAndLook(other, "new 100 100 white\n1083 text=달 x=10 y=10 size=16 colour=ff0000\n");
    EXPECT_NE(han.count, dal.count);
}

TEST(CliText, CalendarIsDrawnFromThePictureCentre) {
    test::TempDir dir;
    const Drawn d = RunAndLook(dir, "new 300 200 white\n3379 year=2026 month=12 size=8 colour=ff0000\n");
    ASSERT_GT(d.count, 1000);
    EXPECT_GE(d.left, 150);
    EXPECT_GE(d.top, 100);
    EXPECT_LE(d.top, 110);
    // Title, weekday names and five weeks of 16-pixel text below it.
    EXPECT_GT(d.bottom - d.top, 6 * 16);
    EXPECT_LT(d.right, d.width);
}

TEST(CliText, FontsListsTheFamilies) {
    const test::CliResult r = RunCli("fonts");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("\nNanumGothic\n"), std::string::npos) << r.out;
    EXPECT_EQ(RunCli("fonts extra").status, 2);
}
