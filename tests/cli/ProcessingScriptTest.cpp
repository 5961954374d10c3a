// quillory-cli run: colour, filter and transform commands on pictures of each depth.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/FormatCodes.h"
#include "core/NyZazo.h"
#include "support/CliRunner.h"
#include "support/TestFiles.h"

using namespace quillory;
using test::QuotePath;
using test::RunCli;
using test::WriteScript;

namespace {

const std::string& kPrivateHome = test::UsePrivateHome();

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Colour of picture pixel (x, y), rows from the top.
using Painter = std::function<RGBQUAD(int x, int y)>;

// A BMP of the given depth painted by `paint` (palette depths use a grey palette and the red byte as index).
bool WritePicture(const std::string& path, int width, int height, int bits, const Painter& paint) {
    NyZazo picture(width, height, bits, kFormatBmp);
    if (bits <= 8) picture.SetGreyPalette();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const RGBQUAD c = paint(x, y);
            if (bits <= 8)
                picture.SetPixelIndex(x, height - 1 - y, c.red);
            else
                picture.SetPixelColour(x, height - 1 - y, c);
        }
    return picture.Save(path, kFormatBmp);
}

struct Picture {
    explicit Picture(const std::string& path) { ok = image.Load(path, kFormatBmp); }
    NyZazo image;
    bool ok = false;
    int Width() const { return image.Width(); }
    int Height() const { return image.Height(); }
    // Rows from the top.
    RGBQUAD At(int x, int y) const { return image.GetPixelColour(x, image.Height() - 1 - y); }
};

// A path as a script token.
std::string Token(const std::string& path) { return "\"" + path + "\""; }

// Runs `lines` on the picture at `in` and saves the result as out.bmp in `dir`.
test::CliResult RunOn(const test::TempDir& dir, const std::string& in, const std::string& lines) {
    const std::string script =
        WriteScript(dir, "open " + Token(in) + "\n" + lines + "save " + Token(dir.File("out.bmp")) + "\n");
    return RunCli("run " + QuotePath(script), true);
}

}  // namespace

// A channel of a single level has nothing to stretch: it stays as it is while the others stretch.
TEST(CliProcessing, AutomaticColourLeavesAChannelOfOneLevelAlone) {
    struct Case {
        const char* kind;
        int bits;
        const char* prelude;
        Painter paint;
        std::function<void(const Picture&)> check;
    };
    const std::vector<Case> cases = {
        {"24-bit file", 24, "", [](int x, int) { return RGBQUAD{255, uint8_t(60 + 10 * x), uint8_t(40 + 12 * x), 0}; },
         [](const Picture& p) {
             for (int x = 0; x < p.Width(); ++x) EXPECT_EQ(p.At(x, 1).blue, 255) << "x " << x;
             EXPECT_EQ(p.At(0, 1).red, 0);
             EXPECT_EQ(p.At(p.Width() - 1, 1).red, 255);
         }},
        {"32-bit file", 32, "", [](int x, int) { return RGBQUAD{uint8_t(30 + 20 * x), 200, uint8_t(90 + 5 * x), 0}; },
         [](const Picture& p) {
             for (int x = 0; x < p.Width(); ++x) EXPECT_EQ(p.At(x, 1).green, 200) << "x " << x;
             EXPECT_EQ(p.At(p.Width() - 1, 1).blue, 255);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        test::TempDir dir;
        const std::string in = dir.File("in.bmp");
        ASSERT_TRUE(WritePicture(in, 10, 3, c.bits, c.paint));
        const test::CliResult r = RunOn(dir, in, std::string(c.prelude) + "2076\n");
        ASSERT_EQ(r.status, 0) << r.out;
        const Picture out(dir.File("out.bmp"));
        ASSERT_TRUE(out.ok);
        c.check(out);
    }
}

// Mirroring turns the whole picture over left to right, in colour and palette documents.
TEST(CliProcessing, MirrorTurnsThePictureOverLeftToRight) {
    const Painter paint = [](int x, int y) {
        return RGBQUAD{uint8_t(20 * y), uint8_t(100 + 3 * y), uint8_t(10 + 20 * x), 0};
    };
    for (const char* prelude : {"", "2016\n"}) {
        for (int bits : {8, 24, 32}) {
            SCOPED_TRACE(std::to_string(bits) + (*prelude ? " as a palette document" : ""));
            test::TempDir dir;
            const std::string in = dir.File("in.bmp");
            ASSERT_TRUE(WritePicture(in, 9, 4, bits, paint));
            const test::CliResult plain = RunOn(dir, in, prelude);
            ASSERT_EQ(plain.status, 0) << plain.out;
            const Picture before(dir.File("out.bmp"));
            const test::CliResult r = RunOn(dir, in, std::string(prelude) + "1408\nhistory\n");
            ASSERT_EQ(r.status, 0) << r.out;
            EXPECT_TRUE(Has(r.out, "거울변환")) << r.out;
            const Picture out(dir.File("out.bmp"));
            ASSERT_TRUE(out.ok);
            ASSERT_EQ(out.Width(), 9);
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < 9; ++x) {
                    const RGBQUAD a = out.At(x, y), b = before.At(8 - x, y);
                    EXPECT_EQ(a.red, b.red) << x << "," << y;
                    EXPECT_EQ(a.green, b.green) << x << "," << y;
                    EXPECT_EQ(a.blue, b.blue) << x << "," << y;
                }
        }
    }
}

// A linear gradient dragged towards smaller coordinates runs the other way along its line, so the
// same end of the axis takes the same colour whichever way the line was drawn.
TEST(CliProcessing, LinearGradientDraggedBackwardsRunsTheOtherWay) {
    struct Drag {
        const char* name;
        int x0, y0, x1, y1;
        bool vertical;
    };
    const Drag drags[] = {{"right", 0, 4, 15, 4, false},
                          {"left", 15, 4, 0, 4, false},
                          {"down", 5, 0, 5, 9, true},
                          {"up", 5, 9, 5, 0, true},
                          {"up, a little to the right", 4, 9, 6, 0, true}};
    for (int bits : {8, 24}) {
        for (const Drag& d : drags) {
            SCOPED_TRACE(std::to_string(bits) + " " + d.name);
            test::TempDir dir;
            const std::string in = dir.File("in.bmp");
            ASSERT_TRUE(WritePicture(in, 16, 10, bits, [](int, int) { return RGBQUAD{128, 128, 128, 0}; }));
            const std::string line = "1353 x0=" + std::to_string(d.x0) + " y0=" + std::to_string(d.y0) +
                                     " x1=" + std::to_string(d.x1) + " y1=" + std::to_string(d.y1) +
                                     " foreground=000000 background=ffffff\n";
            const test::CliResult r = RunOn(dir, in, line);
            ASSERT_EQ(r.status, 0) << r.out;
            const Picture out(dir.File("out.bmp"));
            ASSERT_TRUE(out.ok);
            // The low end of the axis takes the foreground (black), the high end the background (white).
            const RGBQUAD low = d.vertical ? out.At(5, 0) : out.At(0, 4);
            const RGBQUAD high = d.vertical ? out.At(5, 9) : out.At(15, 4);
            EXPECT_LT(low.green, 30);
            EXPECT_GT(high.green, 225);
        }
    }
}

// The reference picture is brightened towards grey 250, or refused as too dark with its mean grey.
TEST(CliProcessing, AutomaticExposureBrightensTheMeasuredPictureOrSaysItIsTooDark) {
    const struct {
        int bits;
        std::string prelude;
    } kinds[] = {{8, ""}, {24, ""}, {32, ""}, {24, "2016\n"}};
    for (const auto& [bits, prelude] : kinds) {
        SCOPED_TRACE(std::to_string(bits) + (prelude.empty() ? "" : " as a palette document"));
        test::TempDir dir;
        const std::string in = dir.File("in.bmp");
        // Mean grey 160: brightness 90 at contrast 128 maps 140 to (140 − 128) × 383 / 255 + 218 = 236.
        ASSERT_TRUE(WritePicture(in, 4, 2, bits, [](int x, int) {
            const uint8_t g = x < 2 ? 140 : 180;
            return RGBQUAD{g, g, g, 0};
        }));
        const test::CliResult r = RunOn(dir, in, prelude + "3304\nhistory\n");
        ASSERT_EQ(r.status, 0) << r.out;
        EXPECT_TRUE(Has(r.out, "자동측정기준")) << r.out;
        const Picture out(dir.File("out.bmp"));
        ASSERT_TRUE(out.ok);
        EXPECT_EQ(out.At(0, 0).green, 236);
        EXPECT_EQ(out.At(3, 1).green, 255);

        const std::string dark = dir.File("dark.bmp");
        ASSERT_TRUE(WritePicture(dark, 4, 2, bits, [](int x, int) {
            const uint8_t g = x < 2 ? 100 : 159;  // mean grey 129
            return RGBQUAD{g, g, g, 0};
        }));
        const test::CliResult refused = RunOn(dir, dark, prelude + "3304\n");
        EXPECT_EQ(refused.status, 1);
        EXPECT_TRUE(Has(refused.out, "Too Dark Image. (Current Gray 129)")) << refused.out;
    }
}

namespace {

// A 16-bit bit-field BMP of one row: the given pixel values with the red, green and blue masks.
std::vector<uint8_t> SixteenBitBmp(uint32_t red, uint32_t green, uint32_t blue, const std::vector<uint16_t>& pixels) {
    const uint32_t rowBytes = uint32_t((pixels.size() + 1) / 2 * 4);
    const uint32_t offset = 14 + 40 + 12;
    std::vector<uint8_t> b;
    auto le16 = [&b](uint32_t v) { b.push_back(uint8_t(v)), b.push_back(uint8_t(v >> 8)); };
    auto le32 = [&](uint32_t v) { le16(v & 0xFFFF), le16(v >> 16); };
    b.push_back('B'), b.push_back('M');
    le32(offset + rowBytes), le32(0), le32(offset);
    le32(40), le32(uint32_t(pixels.size())), le32(1), le16(1), le16(16), le32(3), le32(rowBytes), le32(2835),
        le32(2835), le32(0), le32(0);
    le32(red), le32(green), le32(blue);
    for (uint16_t p : pixels) le16(p);
    while (b.size() < offset + rowBytes) b.push_back(0);
    return b;
}

}  // namespace

// Each mask's range is scaled to 0..255; 5-5-5 and 5-6-5 keep their three-bit shift (31 → 248).
TEST(CliProcessing, SixteenBitMasksOfAnyLayoutDecodeToTheirColours) {
    struct Case {
        const char* name;
        uint32_t red, green, blue;
        std::vector<uint16_t> pixels;
        std::vector<RGBQUAD> expected;  // blue, green, red
    };
    const std::vector<Case> cases = {
        {"5-5-5", 0x7C00, 0x03E0, 0x001F, {0x7FFF, 0x4210}, {{248, 248, 248, 0}, {128, 128, 128, 0}}},
        {"5-6-5", 0xF800, 0x07E0, 0x001F, {0xFFFF, 0x0821}, {{248, 252, 248, 0}, {8, 4, 8, 0}}},
        // red 2 bits (4-5), green 3 bits (1-3), blue 1 bit (0)
        {"2-3-1", 0x0030, 0x000E, 0x0001, {0x003F, 0x0017}, {{255, 255, 255, 0}, {255, 109, 85, 0}}},
        // red 3 bits (13-15), green 10 bits (3-12), blue 3 bits (0-2)
        {"3-10-3", 0xE000, 0x1FF8, 0x0007, {0xFFFF, 0x2FFB}, {{255, 255, 255, 0}, {109, 127, 36, 0}}},
        // red 1 bit (11), green 9 bits (2-10), blue 2 bits (0-1)
        {"1-9-2", 0x0800, 0x07FC, 0x0003, {0x0FFF, 0x0402}, {{255, 255, 255, 0}, {170, 128, 0, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir dir;
        const std::string in = dir.File("in.bmp");
        ASSERT_TRUE(test::WriteFileBytes(in, SixteenBitBmp(c.red, c.green, c.blue, c.pixels)));
        const test::CliResult r = RunOn(dir, in, "");
        ASSERT_EQ(r.status, 0) << r.out;
        const Picture out(dir.File("out.bmp"));
        ASSERT_TRUE(out.ok);
        for (size_t i = 0; i < c.expected.size(); ++i) {
            const RGBQUAD got = out.At(int(i), 0);
            EXPECT_EQ(got.blue, c.expected[i].blue) << "pixel " << i;
            EXPECT_EQ(got.green, c.expected[i].green) << "pixel " << i;
            EXPECT_EQ(got.red, c.expected[i].red) << "pixel " << i;
        }
    }
}

// The fill walks on across unselected pixels of a like colour, so every part of the selection it
// reaches takes the colour; pixels outside the selection keep theirs.
TEST(CliProcessing, FillReachesEveryPartOfTheSelectionButPaintsOnlyInside) {
    for (int bits : {24, 32}) {
        SCOPED_TRACE(bits);
        test::TempDir dir;
        const std::string in = dir.File("in.bmp");
        // Two squares of grey 250 on white, 10 pixels apart.
        ASSERT_TRUE(WritePicture(in, 30, 10, bits, [](int x, int y) {
            const bool square = y >= 3 && y < 7 && ((x >= 3 && x < 7) || (x >= 20 && x < 24));
            const uint8_t g = square ? 250 : 255;
            return RGBQUAD{g, g, g, 0};
        }));
        const test::CliResult r = RunOn(dir, in,
                                        "tool 1344 value1=5\n"
                                        "press 4 4\nrelease 4 4\n"
                                        "press 21 4 shift\nrelease 21 4\n"
                                        "tool 1352 value1=20 value2=0 foreground=ff0000\n"
                                        "press 5 5\nrelease 5 5\n");
        ASSERT_EQ(r.status, 0) << r.out;
        const Picture out(dir.File("out.bmp"));
        ASSERT_TRUE(out.ok);
        EXPECT_EQ(out.At(5, 5).red, 255);
        EXPECT_EQ(out.At(5, 5).green, 0);
        EXPECT_EQ(out.At(22, 5).red, 255);  // the other square
        EXPECT_EQ(out.At(22, 5).green, 0);
        EXPECT_EQ(out.At(12, 5).green, 255);  // between them, unselected: untouched
        EXPECT_EQ(out.At(0, 0).green, 255);
    }
}

// Frosted glass draws its random numbers at radius 0 too, as at every radius: on black, one a pixel,
// so the spots that follow fall where they fall after radius 1.
TEST(CliProcessing, FrostedGlassAtRadiusZeroDrawsItsRandomNumbers) {
    test::TempDir dir;
    const std::string in = dir.File("in.bmp");
    ASSERT_TRUE(WritePicture(in, 24, 16, 24, [](int, int) { return RGBQUAD{0, 0, 0, 0}; }));
    auto spotsAfter = [&](const std::string& glass) {
        const test::CliResult r = RunOn(dir, in, glass + "1450 brightness=150\n2106 size=10 count=3\n");
        EXPECT_EQ(r.status, 0) << r.out;
        return test::ToRgba(Picture(dir.File("out.bmp")).image).rgba;
    };
    const auto none = spotsAfter(""), zero = spotsAfter("1468 radius=0\n"), one = spotsAfter("1468 radius=1\n");
    ASSERT_FALSE(zero.empty());
    EXPECT_NE(one, none);
    EXPECT_EQ(zero, one);
}

// A JPEG cut short opens with what it holds, and the user is told.
TEST(CliProcessing, TruncatedJpegOpensWithAWarning) {
    test::TempDir dir;
    const std::string bmp = dir.File("in.bmp"), jpeg = dir.File("in.jpg"), cut = dir.File("cut.jpg");
    ASSERT_TRUE(WritePicture(bmp, 64, 64, 24, [](int x, int y) {
        return RGBQUAD{uint8_t(4 * x), uint8_t(4 * y), uint8_t(2 * (x + y)), 0};
    }));
    ASSERT_EQ(RunCli("convert " + QuotePath(bmp) + " " + QuotePath(jpeg)).status, 0);
    const test::CliResult whole = RunCli("convert " + QuotePath(jpeg) + " " + QuotePath(dir.File("whole.bmp")), true);
    EXPECT_EQ(whole.status, 0);
    EXPECT_TRUE(whole.out.empty()) << whole.out;

    std::vector<uint8_t> bytes = test::ReadFileBytes(jpeg);
    ASSERT_GT(bytes.size(), 1000u);
    bytes.resize(bytes.size() / 2);
    ASSERT_TRUE(test::WriteFileBytes(cut, bytes));
    const std::string out = dir.File("out.bmp");
    const test::CliResult converted = RunCli("convert " + QuotePath(cut) + " " + QuotePath(out), true);
    EXPECT_EQ(converted.status, 0);
    EXPECT_TRUE(Has(converted.out, "파일이 중간에 끊겨 있습니다")) << converted.out;
    const Picture picture(out);
    ASSERT_TRUE(picture.ok);
    EXPECT_EQ(picture.Height(), 64);

    const std::string script = WriteScript(dir, "open " + Token(cut) + "\nlayers\n");
    const test::CliResult opened = RunCli("run " + QuotePath(script), true);
    EXPECT_EQ(opened.status, 0);
    EXPECT_TRUE(Has(opened.out, "파일이 중간에 끊겨 있습니다")) << opened.out;
}

// A quarter or half turn of the canvas turns what is seen as a whole, wherever the other layers were moved.
TEST(CliProcessing, CanvasTurnsCarryEveryLayerWithTheCanvas) {
    const int w = 20, h = 10;
    struct Turn {
        const char* line;
        int width, height;
        std::function<void(int, int, int&, int&)> source;  // the old pixel shown at a new position
    };
    const std::vector<Turn> turns = {
        {"1491", h, w, [](int x, int y, int& sx, int& sy) { sx = y, sy = h - 1 - x; }},
        {"1492", h, w, [](int x, int y, int& sx, int& sy) { sx = w - 1 - y, sy = x; }},
        {"4222", w, h, [](int x, int y, int& sx, int& sy) { sx = w - 1 - x, sy = h - 1 - y; }},
    };
    const Painter paint = [](int x, int y) { return RGBQUAD{uint8_t(20 * y), 77, uint8_t(10 * x), 0}; };
    for (const bool moved : {false, true}) {
        for (const Turn& t : turns) {
            SCOPED_TRACE(std::string(t.line) + (moved ? " after a layer moved" : ""));
            test::TempDir dir;
            const std::string in = dir.File("in.bmp");
            ASSERT_TRUE(WritePicture(in, w, h, 24, paint));
            const std::string move = moved ? "1552\ntool 1570\npress 5 5\nmove 12 7\nrelease 12 7\n" : "";
            const test::CliResult r = RunOn(dir, in, move + t.line + "\n");
            ASSERT_EQ(r.status, 0) << r.out;
            const Picture before(in), out(dir.File("out.bmp"));
            ASSERT_TRUE(out.ok);
            ASSERT_EQ(out.Width(), t.width);
            ASSERT_EQ(out.Height(), t.height);
            int wrong = 0;
            for (int y = 0; y < t.height; ++y)
                for (int x = 0; x < t.width; ++x) {
                    int sx = 0, sy = 0;
                    t.source(x, y, sx, sy);
                    const RGBQUAD a = out.At(x, y), b = before.At(sx, sy);
                    wrong += a.red != b.red || a.green != b.green || a.blue != b.blue;
                }
            EXPECT_EQ(wrong, 0);
        }
    }
}

// Rules that are uneven in y count rows in stored order (the bottom row first), like every pixel
// operation of the system. A window of even size reaches one row further back: a pixel reads the
// stored row before its own, which lies below it as shown, so a spot spreads up the picture and
// to the right. The emboss light comes from the pixel one stored row on and to the right, so a
// bright spot lights the pixel below it as shown and to its left.
TEST(CliProcessing, UnevenRulesCountRowsInStoredOrder) {
    struct Filter {
        const char* line;
        uint8_t ground, spot, groundAfter;
        const char* reached;  // pixels that differ from groundAfter, rows from the top
        bool palette;         // the result keeps to the picture's two colours
    };
    const Filter filters[] = {{"1457 size=2", 255, 0, 255, "5,4 6,4 5,5 6,5 ", true},
                              {"1460 size=2", 0, 255, 0, "5,4 6,4 5,5 6,5 ", true},
                              {"1453 size=2", 255, 0, 255, "5,4 6,4 5,5 6,5 ", false},
                              {"1452 depth=2", 130, 250, 0, "4,6 ", false}};
    for (const std::string prelude : {"", "2016\n"}) {
        for (const Filter& f : filters) {
            if (!prelude.empty() && !f.palette) continue;
            SCOPED_TRACE((prelude.empty() ? "colour " : "palette ") + std::string(f.line));
            test::TempDir dir;
            const std::string in = dir.File("in.bmp");
            ASSERT_TRUE(WritePicture(in, 12, 10, 24, [&](int x, int y) {
                const uint8_t g = x == 5 && y == 5 ? f.spot : f.ground;
                return RGBQUAD{g, g, g, 0};
            }));
            const test::CliResult r = RunOn(dir, in, prelude + f.line + "\n");
            ASSERT_EQ(r.status, 0) << r.out;
            const Picture out(dir.File("out.bmp"));
            ASSERT_TRUE(out.ok);
            std::string reached;
            for (int y = 1; y < 9; ++y)
                for (int x = 1; x < 11; ++x)
                    if (out.At(x, y).green != f.groundAfter) reached += std::to_string(x) + "," + std::to_string(y) + " ";
            EXPECT_EQ(reached, f.reached);
        }
    }
}
