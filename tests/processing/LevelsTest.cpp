#include <gtest/gtest.h>

#include "AdjustTestLayer.h"
#include "processing/Levels.h"
#include "processing/Yuv.h"
#include "support/Golden.h"

using namespace quillory;
using test::RandomLayer;
using test::TestLayer;

namespace {

HistogramSet ReferenceHistograms(const TestLayer& layer) {
    HistogramSet set;
    for (int y = 0; y < layer.height; ++y)
        for (int x = 0; x < layer.width; ++x) {
            const RGBQUAD c = layer.Colour(x, y);
            ++set.counts[0][(c.blue * 11 + c.green * 59 + c.red * 30) / 100];
            ++set.counts[1][c.red];
            ++set.counts[2][c.green];
            ++set.counts[3][c.blue];
        }
    return set;
}

// The limits as the levels rule states them, walking the counts plainly.
void ReferenceLimits(const uint32_t counts[256], long long pixels, int& low, int& high) {
    auto find = [&](long long clip) {
        long long sum = 0;
        low = high = -1;
        for (int j = 0; j < 256 && low < 0; ++j)
            if ((sum += counts[j]) > clip) low = j;
        sum = 0;
        for (int j = 255; j >= 0 && high < 0; --j)
            if ((sum += counts[j]) > clip) high = j;
    };
    find(pixels / 100);
    if (low == high) find(0);
}

int ReferenceEntry(int j, int low, int high) {
    if (j < low) return 0;
    if (j > high) return 255;
    const int v = (j - low) * 255 / (high - low);
    return v > 255 ? 255 : v;
}

bool SameSet(const HistogramSet& a, const HistogramSet& b) {
    for (int t = 0; t < 4; ++t)
        for (int j = 0; j < 256; ++j)
            if (a.counts[t][j] != b.counts[t][j]) return false;
    return true;
}

}  // namespace

TEST(Histograms, CountEveryPixelWhateverItsOpacityAtEveryDepth) {
    int seed = 100;
    for (int bits : {1, 4, 8, 24, 32})
        for (auto [w, h] : {std::pair{1, 1}, {5, 3}, {31, 9}}) {
            const TestLayer layer = RandomLayer(w, h, bits, uint32_t(seed++));
            TestLayer copy = layer;
            EXPECT_TRUE(SameSet(ComputeHistograms(copy.Planes()), ReferenceHistograms(layer))) << bits << " " << w;
            long long sum = 0;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    const RGBQUAD c = layer.Colour(x, y);
                    sum += (c.red + c.green + c.blue) / 3;
                }
            EXPECT_EQ(AverageGrey(copy.Planes()), int(sum / (w * h)));
        }
}

TEST(Histograms, SummaryGivesTheLargestCountAndTheRange) {
    HistogramSet set;
    set.counts[kRedTable][3] = 7;
    set.counts[kRedTable][200] = 19;
    const HistogramSummary s = Summarise(set, kRedTable);
    EXPECT_EQ(s.largest, 19u);
    EXPECT_EQ(s.lowest, 3);
    EXPECT_EQ(s.highest, 200);
    EXPECT_EQ(Summarise(set, kBlueTable).lowest, -1);
}

TEST(StretchLevels, AutomaticAndManualMatchThePlainRuleOnRandomPictures) {
    int seed = 300;
    for (int bits : {24, 32})
        for (int channel = 0; channel < 4; ++channel)
            for (bool automatic : {true, false}) {
                const TestLayer before = RandomLayer(23, 11, bits, uint32_t(seed++), true);
                const HistogramSet set = ReferenceHistograms(before);
                int low[4], high[4];
                for (int t = 0; t < 4; ++t) ReferenceLimits(set.counts[t], 23 * 11, low[t], high[t]);
                TestLayer after = before;
                ColourPlanes planes = after.Planes(true);
                ASSERT_EQ(StretchLevels(planes, channel, automatic ? -1 : 20, automatic ? -1 : 230),
                          StretchResult::Stretched);
                auto table = [&](int t, int v) {
                    const bool applies = channel == 0 || channel == t;
                    if (!applies) return v;
                    return automatic ? ReferenceEntry(v, low[t], high[t]) : ReferenceEntry(v, 20, 230);
                };
                for (int y = 0; y < before.height; ++y)
                    for (int x = 0; x < before.width; ++x) {
                        const RGBQUAD was = before.Colour(x, y), now = after.Colour(x, y);
                        // Opaque pixels only; the selection is not consulted.
                        if (!before.Alpha(x, y)) {
                            ASSERT_EQ(now, was);
                            continue;
                        }
                        ASSERT_EQ(now.red, table(1, was.red));
                        ASSERT_EQ(now.green, table(2, was.green));
                        ASSERT_EQ(now.blue, table(3, was.blue));
                        ASSERT_EQ(now.reserved, was.reserved);
                    }
            }
}

TEST(StretchLevels, ASingleGreyLevelIsLeftAlone) {
    TestLayer layer(9, 7, 24);
    for (auto& b : layer.pixels) b = 77;
    const TestLayer before = layer;
    ColourPlanes planes = layer.Planes();
    EXPECT_EQ(StretchLevels(planes, kLevelsAll, -1, -1), StretchResult::LimitsCoincide);
    EXPECT_EQ(StretchLevels(planes, kLevelsAll, 10, 200), StretchResult::LimitsCoincide);
    EXPECT_EQ(layer.pixels, before.pixels);
    EXPECT_EQ(StretchLevels(planes, 4, -1, -1), StretchResult::Refused);
    EXPECT_EQ(StretchLevels(planes, 1, 200, 100), StretchResult::Refused);
}

TEST(StretchLevels, APaletteStretchesItsEntriesThroughYuv) {
    const TestLayer before = RandomLayer(17, 9, 8, 77);
    TestLayer after = before;
    ColourPlanes planes = after.Planes();
    ASSERT_EQ(StretchLevels(planes, kLevelsGreen, 30, 220), StretchResult::Stretched);
    EXPECT_EQ(after.pixels, before.pixels);
    for (size_t i = 0; i < before.palette.size(); ++i) {
        const RGBQUAD e = before.palette[i];
        const Yuv yuv = RgbToYuv(e.red, e.green, e.blue);
        const Rgb rgb = YuvToRgb(ReferenceEntry(yuv.y, 30, 220), ReferenceEntry(yuv.u, 30, 220),
                                 ReferenceEntry(yuv.v, 30, 220));
        EXPECT_EQ(after.palette[i], (RGBQUAD{rgb.blue, rgb.green, rgb.red, 0}));
    }
}

TEST(Yuv, RoundTripsGreysAndClampsColours) {
    const Yuv orange = RgbToYuv(200, 100, 50);  // Y 124.2, U 86.19, V 182.188
    EXPECT_EQ(orange.y, 124);
    EXPECT_EQ(orange.u, 86);
    EXPECT_EQ(orange.v, 182);
    const Yuv blue = RgbToYuv(0, 0, 255);
    EXPECT_EQ(blue.y, 29);
    EXPECT_EQ(blue.u, 255);  // 0.565 × 226 + 128 is clamped
    const Rgb back = YuvToRgb(128, 128, 128);
    EXPECT_EQ(back.red, 128);
    EXPECT_EQ(back.green, 128);
    EXPECT_EQ(back.blue, 128);
}

TEST(StretchLevelsGolden, AutomaticStretchMatchesItsPicture) {
    TestLayer layer = test::GoldenLayer();
    ColourPlanes planes = layer.Planes();
    ASSERT_EQ(StretchLevels(planes, kLevelsAll, -1, -1), StretchResult::Stretched);
    EXPECT_TRUE(test::MatchesGolden("levels_automatic", layer.ToImage()));
    layer = test::GoldenLayer();
    planes = layer.Planes();
    ASSERT_EQ(StretchLevels(planes, kLevelsRed, 60, 180), StretchResult::Stretched);
    EXPECT_TRUE(test::MatchesGolden("levels_red_60_180", layer.ToImage()));
}
