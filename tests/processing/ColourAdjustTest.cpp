#include <gtest/gtest.h>

#include <cmath>

#include "AdjustTestLayer.h"
#include "processing/ByteMap.h"
#include "processing/ColourAdjust.h"
#include "support/Golden.h"

using namespace quillory;
using test::RandomLayer;
using test::TestLayer;

namespace {

// The formula as written, one value at a time, in floating point.
int ReferenceBrightnessContrast(int v, int brightness, int contrast) {
    const double factor = (255 + contrast) / 255.0;
    const int out = int(std::trunc((v - 128) * factor + 128 + brightness));
    return out < 0 ? 0 : out > 255 ? 255 : out;
}

int ClampByte(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

// Every pixel of `after` is `change(before)` where it may be written, and the same bytes elsewhere.
template <typename Change>
void ExpectPixelwise(const TestLayer& before, const TestLayer& after, bool honourSelection, Change change) {
    for (int y = 0; y < before.height; ++y)
        for (int x = 0; x < before.width; ++x) {
            const RGBQUAD was = before.Colour(x, y), now = after.Colour(x, y);
            const bool writable = before.Alpha(x, y) != 0 && (!honourSelection || before.Selected(x, y));
            const RGBQUAD expected = writable ? change(was) : was;
            ASSERT_EQ(now, expected) << "at " << x << "," << y;
        }
    // Padding bytes stay as they were.
    for (int y = 0; y < before.height; ++y) {
        const size_t used = size_t(before.width) * size_t(before.bits / 8);
        for (size_t i = used; i < before.stride; ++i)
            ASSERT_EQ(after.pixels[size_t(y) * before.stride + i], before.pixels[size_t(y) * before.stride + i]);
    }
}

}  // namespace

TEST(BrightnessContrast, FastTablesMatchTheFormulaOnRandomPictures) {
    int seed = 1;
    for (int bits : {24, 32})
        for (auto [w, h] : {std::pair{1, 1}, {7, 5}, {33, 17}, {64, 3}})
            for (auto [b, c] : {std::pair{0, 0}, {40, 60}, {-255, 255}, {255, -255}, {-17, -100}, {3, 254}})
                for (bool select : {false, true}) {
                    const TestLayer before = RandomLayer(w, h, bits, uint32_t(seed++), select);
                    TestLayer after = before;
                    ColourPlanes planes = after.Planes(true);
                    ASSERT_TRUE(BrightnessAndContrast(planes, b, c));
                    ExpectPixelwise(before, after, true, [&, b = b, c = c](RGBQUAD q) {
                        return RGBQUAD{uint8_t(ReferenceBrightnessContrast(q.blue, b, c)),
                                       uint8_t(ReferenceBrightnessContrast(q.green, b, c)),
                                       uint8_t(ReferenceBrightnessContrast(q.red, b, c)), q.reserved};
                    });
                }
}

TEST(ColourAdjust, WholeOpaqueRowsTakeTheFastPathsWithTheSameResults) {
    for (int w : {1, 15, 16, 17, 53, 130}) {
        TestLayer before = RandomLayer(w, 5, 24, uint32_t(w));
        std::fill(before.alpha.begin(), before.alpha.end(), 255);
        TestLayer bc = before, grey = before;
        ColourPlanes p = bc.Planes();
        ASSERT_TRUE(BrightnessAndContrast(p, -12, 77));
        ExpectPixelwise(before, bc, false, [](RGBQUAD q) {
            return RGBQUAD{uint8_t(ReferenceBrightnessContrast(q.blue, -12, 77)),
                           uint8_t(ReferenceBrightnessContrast(q.green, -12, 77)),
                           uint8_t(ReferenceBrightnessContrast(q.red, -12, 77)), 0};
        });
        p = grey.Planes();
        ASSERT_TRUE(DesaturatePixels(p));
        ExpectPixelwise(before, grey, false, [](RGBQUAD q) {
            const uint8_t g = uint8_t((q.red + q.green + q.blue) / 3);
            return RGBQUAD{g, g, g, 0};
        });
    }
}

TEST(BrightnessContrast, ContrastMinus255LeavesOnly128PlusBrightness) {
    for (int brightness : {-200, -20, 0, 90, 200}) {
        TestLayer layer = RandomLayer(9, 4, 24, 5);
        ColourPlanes planes = layer.Planes();
        ASSERT_TRUE(BrightnessAndContrast(planes, brightness, -255));
        const uint8_t expected = uint8_t(ClampByte(128 + brightness));
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 9; ++x) {
                if (!layer.Alpha(x, y)) continue;
                ASSERT_EQ(layer.Colour(x, y), (RGBQUAD{expected, expected, expected, 0}));
            }
    }
}

TEST(BrightnessContrast, ValuesOutOfRangeChangeNothing) {
    TestLayer layer = RandomLayer(5, 5, 24, 2);
    const std::vector<uint8_t> before = layer.pixels;
    ColourPlanes planes = layer.Planes();
    EXPECT_FALSE(BrightnessAndContrast(planes, 256, 0));
    EXPECT_FALSE(BrightnessAndContrast(planes, 0, -256));
    EXPECT_FALSE(ShiftChannels(planes, 100, 0, 0));
    EXPECT_FALSE(ShiftChannels(planes, 0, 0, -100));
    EXPECT_EQ(layer.pixels, before);
}

TEST(ShiftChannels, EachChannelMovesByItsOwnShift) {
    const TestLayer before = RandomLayer(13, 6, 24, 9, true);
    TestLayer after = before;
    ColourPlanes planes = after.Planes(true);
    ASSERT_TRUE(ShiftChannels(planes, 99, -40, 7));
    ExpectPixelwise(before, after, true, [](RGBQUAD q) {
        return RGBQUAD{uint8_t(ClampByte(q.blue + 7)), uint8_t(ClampByte(q.green - 40)), uint8_t(ClampByte(q.red + 99)), 0};
    });
}

TEST(PaletteAdjustments, ChangeOnlyThePaletteAtEveryDepth) {
    for (int bits : {1, 4, 8}) {
        const TestLayer before = RandomLayer(11, 5, bits, uint32_t(bits), true);
        auto run = [&](auto operation) {
            TestLayer after = before;
            ColourPlanes planes = after.Planes(true);
            EXPECT_TRUE(operation(planes));
            EXPECT_EQ(after.pixels, before.pixels) << bits;
            return after.palette;
        };
        const std::vector<RGBQUAD> bc = run([](ColourPlanes& p) { return BrightnessAndContrast(p, 30, 80); });
        const std::vector<RGBQUAD> shift = run([](ColourPlanes& p) { return ShiftChannels(p, -5, 20, 99); });
        for (size_t i = 0; i < before.palette.size(); ++i) {
            const RGBQUAD e = before.palette[i];
            EXPECT_EQ(bc[i].red, ReferenceBrightnessContrast(e.red, 30, 80));
            EXPECT_EQ(shift[i].blue, ClampByte(e.blue + 99));
            EXPECT_EQ(shift[i].red, ClampByte(e.red - 5));
        }
    }
}

TEST(Invert, TwiceRestoresADirectColourLayerAndIgnoresAlphaAndSelection) {
    for (int bits : {24, 32}) {
        const TestLayer before = RandomLayer(15, 7, bits, 3, true);
        TestLayer after = before;
        ColourPlanes planes = after.Planes(true);
        ASSERT_TRUE(InvertColours(planes));
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 15; ++x) {
                const RGBQUAD was = before.Colour(x, y), now = after.Colour(x, y);
                ASSERT_EQ(now.red, 255 - was.red);
                ASSERT_EQ(now.blue, 255 - was.blue);
            }
        ASSERT_TRUE(InvertColours(planes));
        EXPECT_EQ(after.pixels, before.pixels);
    }
}

TEST(Invert, AGreyPaletteComplementsIndicesOthersTheirEntries) {
    for (int bits : {1, 4, 8}) {
        TestLayer grey = RandomLayer(9, 3, bits, 11);
        const uint32_t n = uint32_t(grey.palette.size());
        for (uint32_t i = 0; i < n; ++i) {
            const uint8_t v = uint8_t(i * 255 / (n - 1));
            grey.palette[i] = RGBQUAD{v, v, v, 0};
        }
        ASSERT_TRUE(IsGreyPalette(grey.palette.data(), n, bits));
        const TestLayer before = grey;
        ColourPlanes planes = grey.Planes();
        ASSERT_TRUE(InvertColours(planes));
        EXPECT_EQ(grey.palette, before.palette);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 9; ++x) {
                EXPECT_EQ(grey.Index(x, y), (n - 1) - before.Index(x, y));
                EXPECT_EQ(grey.Colour(x, y).red, 255 - before.Colour(x, y).red);
            }
    }
    TestLayer colour = RandomLayer(9, 3, 8, 12);
    const TestLayer before = colour;
    ColourPlanes planes = colour.Planes();
    ASSERT_TRUE(InvertColours(planes));
    EXPECT_EQ(colour.pixels, before.pixels);
    for (size_t i = 0; i < colour.palette.size(); ++i) EXPECT_EQ(colour.palette[i].green, 255 - before.palette[i].green);
}

TEST(Desaturate, GreyIsTheMeanAndPaletteLayersTakeTheNearestEntry) {
    const TestLayer before = RandomLayer(21, 8, 24, 4, true);
    TestLayer after = before;
    ColourPlanes planes = after.Planes(true);
    ASSERT_TRUE(DesaturatePixels(planes));
    ExpectPixelwise(before, after, true, [](RGBQUAD q) {
        const uint8_t g = uint8_t((q.red + q.green + q.blue) / 3);
        return RGBQUAD{g, g, g, 0};
    });

    for (int bits : {4, 8}) {
        const TestLayer indexed = RandomLayer(13, 5, bits, 40, true);
        TestLayer out = indexed;
        ColourPlanes p = out.Planes(true);
        ASSERT_TRUE(DesaturatePixels(p));
        EXPECT_EQ(out.palette, indexed.palette);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 13; ++x) {
                const RGBQUAD c = indexed.Colour(x, y);
                const uint8_t g = uint8_t((c.red + c.green + c.blue) / 3);
                const uint8_t nearest = NearestPaletteIndex(indexed.palette.data(), uint32_t(indexed.palette.size()),
                                                            RGBQUAD{g, g, g, 0});
                const bool writable = indexed.Alpha(x, y) && indexed.Selected(x, y);
                ASSERT_EQ(out.Index(x, y), writable ? nearest : indexed.Index(x, y));
            }
    }
    EXPECT_EQ(DesaturatedTextColour(0x7F102030), 0x7F202020);
}

TEST(ColourAdjustGolden, DeterministicAdjustmentsMatchTheirPictures) {
    struct Case {
        const char* name;
        bool (*run)(ColourPlanes&);
    };
    const Case cases[] = {
        {"brightness_contrast_40_60", [](ColourPlanes& p) { return BrightnessAndContrast(p, 40, 60); }},
        {"brightness_contrast_-30_-120", [](ColourPlanes& p) { return BrightnessAndContrast(p, -30, -120); }},
        {"shift_channels_50_-30_20", [](ColourPlanes& p) { return ShiftChannels(p, 50, -30, 20); }},
        {"invert", [](ColourPlanes& p) { return InvertColours(p); }},
        {"desaturate", [](ColourPlanes& p) { return DesaturatePixels(p); }},
    };
    for (const Case& c : cases) {
        TestLayer layer = test::GoldenLayer();
        ColourPlanes planes = layer.Planes();
        ASSERT_TRUE(c.run(planes));
        EXPECT_TRUE(test::MatchesGolden(c.name, layer.ToImage()));
    }
}

TEST(ByteMap, GivesExactlyTheTableForEveryBrightnessAndContrast) {
    std::vector<uint8_t> bytes(256 + 19);
    int lines = 0, tables = 0;
    for (int b = -255; b <= 255; b += 3)
        for (int c = -255; c <= 255; c += 3) {
            const ChannelTables t = BrightnessContrastTables(b, c);
            const ByteMap map(t.blue, t.slope, t.offset, t.hasLine);
            for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = uint8_t(i * 7 + 3);  // every value, unaligned tail
            std::vector<uint8_t> expected(bytes.size());
            for (size_t i = 0; i < bytes.size(); ++i) expected[i] = t.blue[bytes[i]];
            map.Apply(bytes.data(), bytes.size());
            ASSERT_EQ(bytes, expected) << b << " " << c;
            ++tables;
            lines += map.IsLine();
        }
    // Nearly every table runs as a line; the rest fall back to the table itself.
    EXPECT_GT(lines, tables * 9 / 10);
    const ChannelTables identity = BrightnessContrastTables(0, 0);
    EXPECT_FALSE(ByteMap(identity.blue).IsLine());  // no line given
}
