#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "core/ClassicRandom.h"
#include "processing/FilterCatalogue.h"
#include "processing/FilterTestSupport.h"
#include "processing/LuminanceEffects.h"
#include "processing/PaperEffects.h"
#include "processing/RefractionEffects.h"
#include "processing/RegionEffects.h"
#include "processing/SpotEffects.h"
#include "processing/StrokeEffects.h"

using namespace quillory;
using namespace quillory::test;

namespace {

FilterProgress g_progress;

std::set<std::tuple<int, int, int>> ColoursOf(const Picture& p) {
    std::set<std::tuple<int, int, int>> colours;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) colours.insert({p.At(x, y).red, p.At(x, y).green, p.At(x, y).blue});
    return colours;
}

Picture RunNamed(const Picture& input, const char* name, FilterValues values, const SelectionMap& selection = {}) {
    Picture output = input;
    EXPECT_TRUE(RunFilter(name, input.View(), output.Planes(), values, selection, g_progress)) << name;
    return output;
}

}  // namespace

TEST(Effects, TheGeneratorFollowsTheClassicSequence) {
    ClassicRandom random;
    EXPECT_EQ(random.Next(), 41);
    EXPECT_EQ(random.Next(), 18467);
    EXPECT_EQ(random.Next(), 6334);
    EXPECT_EQ(random.Next(), 26500);
    EngineRandom().Reset();
    EXPECT_EQ(EngineRandom().Next(), 41);
    EngineRandom().Reset(7);
    const int after7 = EngineRandom().Next();
    EngineRandom().Reset(7);
    EXPECT_EQ(EngineRandom().Next(), after7);
    for (int i = 0; i < 100000; ++i) {
        const int v = random.Next();
        ASSERT_TRUE(v >= 0 && v <= kRandomMax);
    }
}

TEST(Effects, TransparentPixelsNeverChangeUnderAnyFilter) {
    Picture input = RandomPicture(31, 23, 12);
    for (int i = 0; i < kFilterCount; ++i) {
        const FilterDefinition* filter = FilterAt(i);
        FilterValues values = DefaultValues(filter->parameters);
        if (std::string(filter->name) == "물체축소" || std::string(filter->name) == "물체확장") values.p[0] = 5;
        const Picture out = RunNamed(input, filter->name, values);
        for (int y = 0; y < input.height; ++y)
            for (int x = 0; x < input.width; ++x)
                if (!input.View().Alpha(x, y)) {
                    ASSERT_EQ(out.At(x, y), input.At(x, y)) << filter->name << " " << x << "," << y;
                }
        EXPECT_EQ(out.alpha, input.alpha) << filter->name;
    }
}

TEST(Effects, SelectionAwareFiltersLeaveUnselectedPixelsAndTheOthersDoNot) {
    const Picture input = BlobPicture(24, 18, 4);
    std::vector<uint8_t> left(24 * 18, 0);  // only the left half selected
    for (int y = 0; y < 18; ++y)
        for (int x = 0; x < 12; ++x) left[size_t(y * 24 + x)] = 1;
    const SelectionMap selection{left.data(), 24};
    for (int i = 0; i < kFilterCount; ++i) {
        const FilterDefinition* filter = FilterAt(i);
        FilterValues values = DefaultValues(filter->parameters);
        if (std::string(filter->name) == "빗방울") values = FilterValues{{99, 150, -1}};
        EngineRandom().Reset(3);
        const Picture out = RunNamed(input, filter->name, values, selection);
        bool rightChanged = false;
        for (int y = 0; y < 18; ++y)
            for (int x = 12; x < 24; ++x) rightChanged |= !(out.At(x, y) == input.At(x, y));
        if (filter->honoursSelection) {
            EXPECT_FALSE(rightChanged) << filter->name;
        } else if (std::string(filter->name) != "색종이뿌리기" && std::string(filter->name) != "유리성에") {
            // (the confetti's stop markers and the small frost radius may leave this half alone)
            EXPECT_TRUE(rightChanged) << filter->name;
        }
    }
}

TEST(Effects, ScatterWithFactorOneOnlySmearsAndLargerFactorsWrap) {
    const Picture input = BlobPicture(30, 20, 9);
    EngineRandom().Reset();
    const Picture smeared =
        Filtered(input, [](auto s, auto d) { return ScatterStrokes(s, d, 5, 1, nullptr, g_progress); });
    const auto before = ColoursOf(input);
    for (const auto& c : ColoursOf(smeared)) EXPECT_TRUE(before.count(c));
    EXPECT_NE(smeared.Colours(), input.Colours());

    Picture flat(12, 12);
    flat.Fill(MakeQuad(200, 100, 30));
    EngineRandom().Reset();
    const Picture wrapped =
        Filtered(flat, [](auto s, auto d) { return ScatterStrokes(s, d, 3, 2, nullptr, g_progress); });
    // k = 0: all three channels doubled modulo 256; k = 1: blue; k = 2: green.
    const std::set<std::tuple<int, int, int>> allowed = {
        {200, 100, 30}, {144, 200, 60}, {200, 100, 60}, {200, 200, 30}};
    const auto got = ColoursOf(wrapped);
    for (const auto& c : got) EXPECT_TRUE(allowed.count(c));
    EXPECT_GT(got.size(), 2u);
}

TEST(Effects, StrokesDoNotStartOnStopMarkers) {
    Picture flat(16, 16);
    flat.Fill(MakeQuad(10, 20, 30));
    std::vector<uint8_t> everywhere(16 * 16, 1);
    EngineRandom().Reset();
    const Picture out =
        Filtered(flat, [&](auto s, auto d) { return ScatterStrokes(s, d, 9, 7, everywhere.data(), g_progress); });
    EXPECT_EQ(out.Colours(), flat.Colours());
}

TEST(Effects, ContourMarkersFollowTheKernelSign) {
    Picture flat(6, 6);
    flat.Fill(MakeQuad(100, 100, 100));
    std::vector<uint8_t> markers;
    ASSERT_TRUE(EdgeStopMarkers(flat.View(), 8, markers, g_progress));  // kernel sum 0: flat is black
    for (uint8_t m : markers) EXPECT_EQ(m, 0);
    ASSERT_TRUE(EdgeStopMarkers(flat.View(), 10, markers, g_progress));  // sum 2: flat inside is bright
    EXPECT_EQ(markers[size_t(2 * 6 + 2)], 1);
    EXPECT_EQ(markers[0], 0);  // black border
}

TEST(Effects, DirectionFieldIsTheRatioOfTheTwoSobelResults) {
    Picture ramp(5, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) ramp.Set(x, y, MakeQuad(0, uint8_t(10 * x + 20 * y), 0));
    std::vector<float> field;
    ASSERT_TRUE(DirectionField(ramp.View(), field));
    // Inside: vertical Sobel 4 × 20 = 80, horizontal 4 × 10 = 40.
    EXPECT_FLOAT_EQ(field[size_t(2 * 5 + 2)], 0.5f);
    // Corner (0, 0): only four neighbours inside; vertical 2 × 20 + 1 × 30 - 0 = 70, horizontal 2 × 10 + 30 = 50.
    EXPECT_FLOAT_EQ(field[0], 50.0f / 70.0f);
}

TEST(Effects, WatercolourTakesTheMeanOfTheFullestLuminanceBin) {
    Picture flat(7, 7);
    flat.Fill(MakeQuad(90, 90, 90));
    EXPECT_EQ(Filtered(flat, [](auto s, auto d) { return ModeOfLuminance(s, d, 3, 30, g_progress); }).Colours(),
              flat.Colours());
    Picture mixed(3, 1);
    mixed.Set(0, 0, MakeQuad(200, 200, 200));
    mixed.Set(1, 0, MakeQuad(10, 10, 10));
    mixed.Set(2, 0, MakeQuad(12, 14, 10));  // same bin as (10, 10, 10)
    const Picture out = Filtered(mixed, [](auto s, auto d) { return ModeOfLuminance(s, d, 3, 30, g_progress); });
    EXPECT_EQ(out.At(0, 0), MakeQuad(11, 12, 10));
    const uint8_t white[3] = {255, 255, 255};
    EXPECT_EQ(LuminanceClass(white), 255);
}

TEST(Effects, FrostAtRadiusZeroChangesNothing) {
    const Picture input = RandomPicture(13, 9, 4);
    EXPECT_EQ(Filtered(input, [](auto s, auto d) { return RandomLuminancePick(s, d, 0, g_progress); }).Colours(),
              input.Colours());
    // Every frosted pixel is the mean of one class of its window, so a flat picture stays flat.
    Picture flat(9, 9);
    flat.Fill(MakeQuad(1, 2, 3));
    EXPECT_EQ(Filtered(flat, [](auto s, auto d) { return RandomLuminancePick(s, d, 4, g_progress); }).Colours(),
              flat.Colours());
}

TEST(Effects, DalmatianWithoutSpotsOnlyLightens) {
    const Picture input = RandomPicture(10, 8, 6, false);
    const Picture out = Filtered(input, [](auto s, auto d) { return DalmatianSpots(s, d, 40, 0, g_progress); });
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 10; ++x) {
            const RGBQUAD c = input.At(x, y);
            RGBQUAD e = c;
            if (c.red + c.green + c.blue > 120)
                for (uint8_t* v : {&e.red, &e.green, &e.blue}) *v = *v < 136 ? uint8_t(*v + 70) : 205;
            EXPECT_EQ(out.At(x, y), e) << x << "," << y;
        }
}

TEST(Effects, DalmatianSpotsAreBlackDiscs) {
    Picture white(40, 40);
    white.Fill(MakeQuad(255, 255, 255));
    EngineRandom().Reset();
    const Picture out = Filtered(white, [](auto s, auto d) { return DalmatianSpots(s, d, 20, 1, g_progress); });
    // Replay the three draws: diameter, row, column.
    ClassicRandom replay;
    const int diameter = int(std::trunc(replay.Fraction() * 15 + 5));
    const int cy = int(std::trunc(replay.Fraction() * 39)), cx = int(std::trunc(replay.Fraction() * 39));
    EXPECT_EQ(out.At(cx, cy), MakeQuad(0, 0, 0));
    int black = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
            const RGBQUAD c = out.At(x, y);
            if (c == MakeQuad(0, 0, 0)) {
                ++black;
                EXPECT_LE(std::hypot(x - cx, y - cy), 1.1 * (diameter / 2)) << x << "," << y;
            } else {
                EXPECT_EQ(c, MakeQuad(205, 205, 205));
            }
        }
    EXPECT_GT(black, 0);
}

TEST(Effects, BubblesOfSizeZeroOrOneKeepThePicture) {
    const Picture input = RandomPicture(15, 10, 8);
    for (int size : {0, 1})
        EXPECT_EQ(Filtered(input, [&](auto s, auto d) { return Bubbles(s, d, size, g_progress); }).Colours(),
                  input.Colours());
    EXPECT_NE(Filtered(input, [&](auto s, auto d) { return Bubbles(s, d, 4, g_progress); }).Colours(), input.Colours());
}

TEST(Effects, RingsFollowTheMidpointRule) {
    std::vector<std::pair<int, int>> one, five;
    RingPoints(1, [&](int x, int y) { one.push_back({x, y}); });
    EXPECT_EQ(one.size(), 4u);
    RingPoints(5, [&](int x, int y) { five.push_back({x, y}); });
    // k = 1 (j 5), k = 2 (j 5), k = 3 (j 4): 4 + 3 × 8, then k = 4 > j = 3 ends without diagonals.
    EXPECT_EQ(five.size(), 28u);
    for (auto [x, y] : five) EXPECT_NEAR(std::hypot(x, y), 5.0, 0.71);
    std::vector<std::pair<int, int>> two;
    RingPoints(2, [&](int x, int y) { two.push_back({x, y}); });
    // k = 1: j = floor(sqrt(3) + 0.5) = 2, eight points; k = 2: j = 0, no diagonal.
    EXPECT_EQ(two.size(), 12u);
}

TEST(Effects, PaperSmearNeedsAnEdge) {
    Picture flat(12, 12);
    flat.Fill(MakeQuad(40, 50, 60));
    EXPECT_EQ(Filtered(flat, [](auto s, auto d) { return PaperSmear(s, d, g_progress); }).Colours(), flat.Colours());
    // A bright pixel beside a dark one smears darker colours, never brighter ones.
    Picture edge = flat;
    for (int y = 0; y < 12; ++y) edge.Set(6, y, MakeQuad(250, 250, 250));
    const Picture out = Filtered(edge, [](auto s, auto d) { return PaperSmear(s, d, g_progress); });
    EXPECT_NE(out.Colours(), edge.Colours());
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x) EXPECT_LE(out.At(x, y).red, std::max<int>(edge.At(x, y).red, 250));
}

TEST(Effects, FlattenRegionsPaintsEachAreaInItsSeedColour) {
    Picture input(6, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            input.Set(x, y, x < 3 ? MakeQuad(100, 100, uint8_t(100 + x + y)) : MakeQuad(10, 200, uint8_t(10 + y)));
    const Picture out =
        Filtered(input, [](auto s, auto d) { return FlattenRegions(s, d, 20, SelectionMap{}, g_progress); });
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) EXPECT_EQ(out.At(x, y), x < 3 ? MakeQuad(100, 100, 100) : MakeQuad(10, 200, 10));
    // Neighbours are compared with the seed, not with each other: a slow ramp breaks into several regions.
    const Picture tight =
        Filtered(input, [](auto s, auto d) { return FlattenRegions(s, d, 1, SelectionMap{}, g_progress); });
    EXPECT_EQ(tight.At(1, 0), MakeQuad(100, 100, 100));
    EXPECT_EQ(tight.At(0, 2), MakeQuad(100, 100, 102));
    EXPECT_EQ(tight.At(2, 3), MakeQuad(100, 100, 104));
}

TEST(Effects, LensMagnifiesTheMiddleAndLeavesTheCornersAndCentre) {
    Picture grid(41, 41);
    for (int y = 0; y < 41; ++y)
        for (int x = 0; x < 41; ++x) grid.Set(x, y, MakeQuad(uint8_t(x * 6), uint8_t(y * 6), 0));
    const Picture out = Filtered(
        grid, [](auto s, auto d) { return GlassDistortion(s, d, GlassMode::Lens, SelectionMap{}, g_progress); });
    EXPECT_EQ(out.At(20, 20), grid.At(20, 20));
    EXPECT_EQ(out.At(0, 0), grid.At(0, 0));
    EXPECT_EQ(out.At(40, 40), grid.At(40, 40));
    // Ten pixels right of the centre shows what lay about 6.6 pixels right of it.
    EXPECT_NEAR(out.At(30, 20).red / 6.0, 20 + 20.5 * std::asin(10 / 20.5) / (std::acos(-1.0) / 2), 0.2);
    EXPECT_LT(out.At(30, 20).red, grid.At(30, 20).red);
}

TEST(Effects, RaindropsOfSizeZeroDrawNothingAndBathroomGlassScatters) {
    const Picture input = RandomPicture(20, 20, 2, false);
    EXPECT_EQ(
        Filtered(input, [](auto s, auto d) { return Raindrops(s, d, 0, 100, SelectionMap{}, g_progress); }).Colours(),
        input.Colours());
    Picture flat(20, 20);
    flat.Fill(MakeQuad(70, 80, 90));
    // A flat picture stays flat under glass: every displaced sample has the same colour.
    EXPECT_EQ(
        Filtered(flat,
                 [](auto s, auto d) { return GlassDistortion(s, d, GlassMode::Bathroom, SelectionMap{}, g_progress); })
            .Colours(),
        flat.Colours());
}
