#include <gtest/gtest.h>

#include <algorithm>

#include "AdjustTestLayer.h"
#include "processing/BinaryConversion.h"
#include "support/Golden.h"

using namespace quillory;
using test::RandomLayer;
using test::TestLayer;

namespace {

const RGBQUAD kBlack{0, 0, 0, 0};
const RGBQUAD kWhite{255, 255, 255, 0};

int Grey(const TestLayer& layer, int x, int y) {
    const RGBQUAD c = layer.Colour(x, y);
    return (c.red + c.green + c.blue) / 3;
}

RGBQUAD Colour3(const TestLayer& layer, int x, int y) {
    RGBQUAD c = layer.Colour(x, y);
    c.reserved = 0;
    return c;
}

// Error diffusion as written: greys are written into a working copy of the layer
// (neighbours as grey pixels, through a selection-honouring write), every opaque
// pixel reads its grey back from there.
std::vector<int> ReferenceErrorDiffusion(const TestLayer& layer, int t) {
    const int w = layer.width, h = layer.height;
    std::vector<int> grey(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) grey[size_t(y) * w + x] = Grey(layer, x, y);
    std::vector<int> out(grey.size(), -1);  // -1: not written
    auto spread = [&](int x, int y, int share) {
        if (x < 0 || x >= w || y < 0 || y >= h || !layer.Selected(x, y)) return;
        int& g = grey[size_t(y) * w + x];
        g = std::clamp(g + share, 0, 255);
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (!layer.Alpha(x, y)) continue;
            const int g = grey[size_t(y) * w + x];
            const int error = g > t ? g - 255 : g;
            if (layer.Selected(x, y)) out[size_t(y) * w + x] = g > t ? 255 : 0;
            spread(x + 1, y, 7 * error / 16);
            spread(x - 1, y + 1, 3 * error / 16);
            spread(x, y + 1, 5 * error / 16);
            spread(x + 1, y + 1, 1 * error / 16);
        }
    return out;
}

void ExpectOutcome(const TestLayer& before, const TestLayer& after, const std::vector<int>& out) {
    for (int y = 0; y < before.height; ++y)
        for (int x = 0; x < before.width; ++x) {
            const int v = out[size_t(y) * before.width + x];
            if (v < 0) {
                ASSERT_EQ(after.Colour(x, y), before.Colour(x, y)) << x << "," << y;
            } else {
                ASSERT_EQ(Colour3(after, x, y), v ? kWhite : kBlack) << x << "," << y;
                ASSERT_EQ(after.Colour(x, y).reserved, before.Colour(x, y).reserved);
            }
        }
}

}  // namespace

TEST(BinaryConversion, MethodsCarryTheirListNamesAndSliders) {
    ASSERT_NE(FindBinaryMethod(kOrderedDither), nullptr);
    EXPECT_STREQ(FindBinaryMethod(kErrorDiffusion)->name, "FS 디더링");
    EXPECT_STREQ(FindBinaryMethod(kOrderedDither)->name, "OR 디더링");
    EXPECT_STREQ(FindBinaryMethod(kAbsoluteThreshold)->name, "절대변환");
    EXPECT_STREQ(FindBinaryMethod(kAbsoluteThreshold)->sliderLabel, "이진임계치");
    EXPECT_EQ(FindBinaryMethod(kOrderedDither)->initial, 75);
    EXPECT_EQ(FindBinaryMethod(kErrorDiffusion)->initial, 128);
    EXPECT_EQ(FindBinaryMethod(3), nullptr);
}

TEST(BinaryConversion, ErrorDiffusionMatchesThePlainVersionOnRandomPictures) {
    int seed = 500;
    for (int bits : {24, 32})
        for (auto [w, h] : {std::pair{1, 1}, {2, 7}, {19, 13}, {40, 3}})
            for (int t : {0, 1, 77, 128, 254, 255})
                for (bool select : {false, true}) {
                    const TestLayer before = RandomLayer(w, h, bits, uint32_t(seed++), select);
                    TestLayer after = before;
                    ColourPlanes planes = after.Planes(true);
                    ASSERT_TRUE(BinaryErrorDiffusion(planes, t));
                    ExpectOutcome(before, after, ReferenceErrorDiffusion(before, t));
                }
}

TEST(BinaryConversion, ErrorDiffusionOfOpaqueRowsMatchesThePlainVersion) {
    for (int bits : {24, 32})
        for (int w : {16, 17, 53, 130})
            for (int t : {40, 128, 201}) {
                TestLayer before = RandomLayer(w, 6, bits, uint32_t(w * t + bits));
                std::fill(before.alpha.begin(), before.alpha.end(), 255);
                TestLayer after = before;
                ColourPlanes planes = after.Planes();
                ASSERT_TRUE(BinaryErrorDiffusion(planes, t));
                ExpectOutcome(before, after, ReferenceErrorDiffusion(before, t));
            }
}

TEST(BinaryConversion, AbsoluteAndOrderedFollowTheirRules) {
    static const int kMatrix[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    int seed = 900;
    for (int t : {0, 75, 128, 255}) {
        const TestLayer before = RandomLayer(29, 10, 24, uint32_t(seed++), true);
        std::vector<int> absolute(size_t(29 * 10), -1), ordered(absolute.size(), -1);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 29; ++x) {
                if (!before.Alpha(x, y) || !before.Selected(x, y)) continue;
                const int g = Grey(before, x, y);
                absolute[size_t(y) * 29 + x] = g <= t ? 255 : 0;
                const int level = g * 16 / (2 * t + 100);
                ordered[size_t(y) * 29 + x] = level / 16 == 0 && kMatrix[y % 4][x % 4] >= level % 16 ? 255 : 0;
            }
        TestLayer a = before, o = before;
        ColourPlanes pa = a.Planes(true), po = o.Planes(true);
        ASSERT_TRUE(BinaryConvert(pa, kAbsoluteThreshold, t));
        ASSERT_TRUE(BinaryConvert(po, kOrderedDither, t));
        ExpectOutcome(before, a, absolute);
        ExpectOutcome(before, o, ordered);
    }
}

TEST(BinaryConversion, ThresholdEndsAndDarkOrderedPictures) {
    TestLayer layer = RandomLayer(12, 6, 24, 31);
    std::fill(layer.alpha.begin(), layer.alpha.end(), 255);
    TestLayer white = layer;
    ColourPlanes planes = white.Planes();
    ASSERT_TRUE(BinaryAbsolute(planes, 255));
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 12; ++x) ASSERT_EQ(white.Colour(x, y), kWhite);

    TestLayer zero = layer;
    zero.At(3, 2)[0] = zero.At(3, 2)[1] = zero.At(3, 2)[2] = 0;
    planes = zero.Planes();
    ASSERT_TRUE(BinaryAbsolute(planes, 0));
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 12; ++x) ASSERT_EQ(zero.Colour(x, y), x == 3 && y == 2 ? kWhite : kBlack);

    TestLayer black(13, 9, 24);  // grey 0 everywhere
    planes = black.Planes();
    ASSERT_TRUE(BinaryOrderedDither(planes, 75));
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 13; ++x) ASSERT_EQ(black.Colour(x, y), kWhite);

    EXPECT_FALSE(BinaryConvert(planes, kAbsoluteThreshold, 256));
    EXPECT_FALSE(BinaryConvert(planes, 7, 100));
}

TEST(BinaryConversion, PaletteLayersTakeTheEntriesNearestBlackAndWhite) {
    TestLayer layer = RandomLayer(10, 4, 8, 71);
    std::fill(layer.alpha.begin(), layer.alpha.end(), 255);
    layer.palette[17] = RGBQUAD{3, 2, 1, 0};
    layer.palette[200] = RGBQUAD{250, 251, 252, 0};
    const std::vector<RGBQUAD> palette = layer.palette;
    for (int method = 0; method < kBinaryMethods; ++method) {
        TestLayer out = layer;
        ColourPlanes planes = out.Planes();
        ASSERT_TRUE(BinaryConvert(planes, method, 128));
        EXPECT_EQ(out.palette, palette);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 10; ++x) {
                const uint8_t i = out.Index(x, y);
                ASSERT_TRUE(i == NearestPaletteIndex(palette.data(), 256, kBlack) ||
                            i == NearestPaletteIndex(palette.data(), 256, kWhite));
            }
    }
}

TEST(BinaryConversionGolden, EachMethodMatchesItsPicture) {
    for (int method = 0; method < kBinaryMethods; ++method) {
        TestLayer layer = test::GoldenLayer();
        ColourPlanes planes = layer.Planes();
        ASSERT_TRUE(BinaryConvert(planes, method, FindBinaryMethod(method)->initial));
        EXPECT_TRUE(test::MatchesGolden("binary_method_" + std::to_string(method), layer.ToImage()));
    }
}
