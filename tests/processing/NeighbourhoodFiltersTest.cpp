#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "processing/BoxFilters.h"
#include "processing/EdgeFilters.h"
#include "processing/FilterReference.h"
#include "processing/FilterTestSupport.h"
#include "processing/KernelFilters.h"
#include "processing/MorphologyFilters.h"
#include "processing/NoiseFilter.h"

using namespace quillory;
using namespace quillory::test;

namespace {

// Odd and degenerate sizes: single rows and columns, and widths whose rows are padded.
const std::pair<int, int> kSizes[] = {{1, 1}, {1, 7}, {7, 1}, {2, 2}, {3, 3}, {13, 9}, {37, 23}, {5, 41}, {64, 3}};

FilterProgress g_progress;

std::string Label(const char* filter, int w, int h, int a = 0, int b = 0) {
    return std::string(filter) + "-" + std::to_string(w) + "x" + std::to_string(h) + "-" + std::to_string(a) + "-" +
           std::to_string(b);
}

}  // namespace

TEST(NeighbourhoodFilters, KernelsMatchThePlainVersion) {
    uint32_t seed = 1;
    const Kernel3x3 odd{{3, -2, 0, 5, -7, 1, 0, 2, -4}};
    for (auto [w, h] : kSizes) {
        const Picture input = RandomPicture(w, h, seed++);
        struct Case {
            const char* name;
            Kernel3x3 kernel;
            bool black;
        };
        std::vector<Case> cases = {{"sharpen", SharpenKernel(), true}, {"odd", odd, false}, {"odd-black", odd, true},
                                   {"contour-plain", ContourKernel(9), false}};
        for (int k = 5; k <= 20; k += 5) cases.push_back({"contour", ContourKernel(k), true});
        for (int k = 1; k <= 10; k += 3) cases.push_back({"emboss", EmbossKernel(k), true});
        for (const Case& c : cases) {
            const Picture fast = Filtered(input, [&](auto s, auto d) { return Convolve3x3(s, d, c.kernel, c.black, g_progress); });
            EXPECT_TRUE(SamePicture(fast, ReferenceConvolve(input, c.kernel, c.black), Label(c.name, w, h)));
        }
    }
}

TEST(NeighbourhoodFilters, ConvolutionIntoAnArrayGivesTheSameGrey) {
    const Picture input = RandomPicture(17, 11, 5);
    const Picture reference = ReferenceConvolve(input, ContourKernel(10), true);
    std::vector<uint8_t> grey;
    ASSERT_TRUE(Convolve3x3ToGrey(input.View(), ContourKernel(10), true, grey, g_progress));
    ASSERT_EQ(grey.size(), size_t(17 * 11));
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 17; ++x) {
            const uint8_t expected = input.View().Alpha(x, y) ? reference.At(x, y).red : 0;
            EXPECT_EQ(grey[size_t(y * 17 + x)], expected) << x << "," << y;
        }
}

TEST(NeighbourhoodFilters, BoxAverageMatchesThePlainVersion) {
    uint32_t seed = 100;
    for (auto [w, h] : kSizes) {
        const Picture input = RandomPicture(w, h, seed++);
        for (int size : {1, 2, 3, 4, 5, 8, 9, 12}) {
            for (int weight : {1, size * size}) {
                const Picture fast = Filtered(input, [&](auto s, auto d) { return BoxAverage(s, d, size, weight, g_progress); });
                EXPECT_TRUE(SamePicture(fast, ReferenceBox(input, size, weight), Label("box", w, h, size, weight)));
            }
        }
    }
}

TEST(NeighbourhoodFilters, MinimumAndMaximumMatchThePlainVersion) {
    uint32_t seed = 200;
    for (auto [w, h] : kSizes) {
        Picture input = RandomPicture(w, h, seed++);
        input.background = RGBQUAD{uint8_t(seed * 37), uint8_t(seed * 11), uint8_t(seed * 5), 0};
        for (int size : {1, 2, 3, 4, 5, 7, 9, 16, 20}) {
            const Picture low = Filtered(input, [&](auto s, auto d) { return MinimumWindow(s, d, size, g_progress); });
            EXPECT_TRUE(SamePicture(low, ReferenceWindow(input, size, true), Label("min", w, h, size)));
            const Picture high = Filtered(input, [&](auto s, auto d) { return MaximumWindow(s, d, size, g_progress); });
            EXPECT_TRUE(SamePicture(high, ReferenceWindow(input, size, false), Label("max", w, h, size)));
        }
    }
}

TEST(NeighbourhoodFilters, KernelsTurnColourGreyWithBlackBorders) {
    Picture input(6, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) input.Set(x, y, MakeQuad(uint8_t(40 * x), uint8_t(200 - 30 * y), uint8_t(90 + 7 * x * y)));
    for (const Kernel3x3& kernel : {SharpenKernel(), ContourKernel(8), ContourKernel(15), EmbossKernel(3)}) {
        const Picture out = Filtered(input, [&](auto s, auto d) { return Convolve3x3(s, d, kernel, true, g_progress); });
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 6; ++x) {
                const RGBQUAD c = out.At(x, y);
                EXPECT_TRUE(c.red == c.green && c.green == c.blue) << x << "," << y;
                if (x == 0 || y == 0 || x == 5 || y == 4) {
                    EXPECT_EQ(c.red, 0) << x << "," << y;
                }
            }
    }
}

TEST(NeighbourhoodFilters, EmbossOfAFlatAreaIsBlackExceptWhereTheNextRowsRightNeighbourIsBrighter) {
    Picture flat(7, 7);
    flat.Fill(MakeQuad(120, 130, 140));
    const Picture out = Filtered(flat, [](auto s, auto d) { return Convolve3x3(s, d, EmbossKernel(4), true, g_progress); });
    for (uint8_t b : out.Colours()) EXPECT_EQ(b, 0);

    // One bright pixel at (3, 3): only the pixel whose +k neighbour (x + 1, y + 1: right, one stored row on,
    // which is up as shown) it is lights up.
    Picture dot = flat;
    dot.Set(3, 3, MakeQuad(250, 250, 250));
    const Picture lit = Filtered(dot, [](auto s, auto d) { return Convolve3x3(s, d, EmbossKernel(2), true, g_progress); });
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 7; ++x) {
            // (250 - 130) * 3 * 2 / 3 = 240
            const uint8_t expected = (x == 2 && y == 2) ? 240 : 0;
            EXPECT_EQ(lit.At(x, y).red, expected) << x << "," << y;
        }
}

TEST(NeighbourhoodFilters, BlurAndSoftenAtSizeOneChangeNothing) {
    const Picture input = RandomPicture(9, 8, 77);
    EXPECT_TRUE(SamePicture(Filtered(input, [](auto s, auto d) { return BoxAverage(s, d, 1, 1, g_progress); }), input, "blur1"));
    EXPECT_TRUE(SamePicture(Filtered(input, [](auto s, auto d) { return BoxAverage(s, d, 1, 1 * 1, g_progress); }), input, "soften1"));
    Picture untouched = input;
    EXPECT_FALSE(BoxAverage(input.View(), untouched.Planes(), 0, 1, g_progress));
    EXPECT_FALSE(BoxAverage(input.View(), untouched.Planes(), 3, 0, g_progress));
    EXPECT_TRUE(SamePicture(untouched, input, "box-refused"));
}

TEST(NeighbourhoodFilters, SoftenBrightensBecauseTheDivisorIgnoresTheCentreWeight) {
    Picture grey(5, 5);
    grey.Fill(MakeQuad(10, 10, 10));
    const Picture out = Filtered(grey, [](auto s, auto d) { return BoxAverage(s, d, 4, 16, g_progress); });
    // Inside: (15 + 16) * 10 / 16 = 19.
    EXPECT_EQ(out.At(2, 2).red, 19);
}

TEST(NeighbourhoodFilters, EvenWindowsReachTowardsTheLeftAndThePreviousStoredRow) {
    Picture input(6, 6);
    input.Fill(MakeQuad(200, 200, 200));
    input.Set(2, 2, MakeQuad(10, 10, 10));
    const Picture shrunk = Filtered(input, [](auto s, auto d) { return MinimumWindow(s, d, 2, g_progress); });
    // Each pixel takes the darkest of itself, its left neighbour and the two below them as shown (stored row y − 1).
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x) {
            const bool dark = (x == 2 || x == 3) && (y == 2 || y == 3);
            EXPECT_EQ(shrunk.At(x, y).red, dark ? 10 : 200) << x << "," << y;
        }
    Picture block(6, 6);
    block.Fill(MakeQuad(10, 10, 10));
    block.Set(2, 2, MakeQuad(200, 200, 200));
    const Picture grown = Filtered(block, [](auto s, auto d) { return MaximumWindow(s, d, 2, g_progress); });
    EXPECT_EQ(grown.At(3, 3).red, 200);
    EXPECT_EQ(grown.At(1, 1).red, 10);
}

TEST(NeighbourhoodFilters, ExpandReadsTheBackgroundOutsideAndShrinkIgnoresIt) {
    Picture input(4, 4);
    input.Fill(MakeQuad(100, 100, 100));
    input.background = MakeQuad(250, 0, 0);
    const Picture grown = Filtered(input, [](auto s, auto d) { return MaximumWindow(s, d, 3, g_progress); });
    EXPECT_EQ(grown.At(0, 0), MakeQuad(250, 100, 100));
    EXPECT_EQ(grown.At(1, 1), MakeQuad(100, 100, 100));
    input.background = MakeQuad(0, 0, 0);
    const Picture shrunk = Filtered(input, [](auto s, auto d) { return MinimumWindow(s, d, 3, g_progress); });
    EXPECT_EQ(shrunk.At(0, 0), MakeQuad(100, 100, 100));
}

TEST(NeighbourhoodFilters, EdgeEnhancementLeavesTheBorderAndQuietPixels) {
    Picture input = RandomPicture(8, 7, 9, false);
    const Picture out = Filtered(input, [](auto s, auto d) { return EnhanceEdges(s, d, 0, 0, SelectionMap{}, g_progress); });
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 8; ++x)
            if (x == 0 || y == 0 || x == 7 || y == 6) {
                EXPECT_EQ(out.At(x, y), input.At(x, y)) << x << "," << y;
            }
    // Amount 0, strength 0: every inner pixel drops by its mean difference.
    const LayerPlanesView s = input.View();
    auto d = [&](int x, int y, int nx, int ny) {
        RGBQUAD a = s.Colour(x, y), b = s.Colour(nx, ny);
        return std::abs(a.red - b.red) + std::abs(a.green - b.green) + std::abs(a.blue - b.blue);
    };
    const int mean = (d(3, 3, 2, 3) + d(3, 3, 4, 3) + d(3, 3, 3, 2) + d(3, 3, 3, 4)) / 4;
    EXPECT_EQ(out.At(3, 3).red, std::max(0, input.At(3, 3).red - mean));

    // A quiet picture (all differences below the amount) stays as it was.
    Picture flat(5, 5);
    flat.Fill(MakeQuad(90, 80, 70));
    flat.Set(2, 2, MakeQuad(92, 80, 70));
    EXPECT_TRUE(SamePicture(Filtered(flat, [](auto s, auto d) { return EnhanceEdges(s, d, 5, 10, SelectionMap{}, g_progress); }),
                            flat, "quiet"));
}

TEST(NeighbourhoodFilters, EdgeEnhancementNeedsFourOpaqueNeighbours) {
    Picture input(5, 5);
    input.Fill(MakeQuad(200, 200, 200));
    input.Set(2, 2, MakeQuad(20, 20, 20));
    input.AlphaAt(2, 1) = 0;
    const Picture out = Filtered(input, [](auto s, auto d) { return EnhanceEdges(s, d, 1, 1, SelectionMap{}, g_progress); });
    EXPECT_EQ(out.At(2, 2), input.At(2, 2));
}

TEST(NeighbourhoodFilters, SpecklesInsideASimilarSquareAreAbsorbed) {
    // A 3 × 3 square of one colour: with absorption 4 every border sample of the
    // size-3 square is similar (12 = 4 × 3), so the square is filled with the
    // corner's colour, which also covers the slightly different pixel inside it.
    Picture input(6, 6);
    input.Fill(MakeQuad(200, 0, 0));
    for (int y = 1; y <= 3; ++y)
        for (int x = 1; x <= 3; ++x) input.Set(x, y, MakeQuad(60, 60, 60));
    input.Set(2, 2, MakeQuad(80, 70, 60));
    const Picture out = Filtered(input, [](auto s, auto d) { return RemoveSpeckles(s, d, 3, 4, SelectionMap{}, g_progress); });
    EXPECT_EQ(out.At(2, 2), MakeQuad(60, 60, 60));
    EXPECT_EQ(out.At(0, 0), MakeQuad(200, 0, 0));
}

TEST(NeighbourhoodFilters, StaircaseStepTakesThePreviousRowsLeftColour) {
    // Pattern 1: row y − 1 (stored order) and the left and right neighbours differ from P,
    // row y + 1 has P's colour.
    Picture input(3, 3);
    input.Fill(MakeQuad(10, 10, 10));
    for (int x = 0; x < 3; ++x) input.Set(x, 0, MakeQuad(100 + x, 0, 0));
    input.Set(0, 1, MakeQuad(50, 0, 0));
    input.Set(2, 1, MakeQuad(60, 0, 0));
    const Picture out = Filtered(input, [](auto s, auto d) { return SmoothStaircases(s, d, SelectionMap{}, g_progress); });
    EXPECT_EQ(out.At(1, 1), MakeQuad(100, 0, 0));
}

TEST(NeighbourhoodFilters, TransparentPixelsNeverChange) {
    Picture input = RandomPicture(15, 12, 31);
    auto check = [&](const Picture& out, const char* name) {
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 15; ++x)
                if (input.View().Alpha(x, y) == 0) {
                    EXPECT_EQ(out.At(x, y), input.At(x, y)) << name << " " << x << "," << y;
                }
        EXPECT_EQ(out.alpha, input.alpha) << name;
    };
    check(Filtered(input, [](auto s, auto d) { return Convolve3x3(s, d, SharpenKernel(), true, g_progress); }), "sharpen");
    check(Filtered(input, [](auto s, auto d) { return BoxAverage(s, d, 5, 25, g_progress); }), "soften");
    check(Filtered(input, [](auto s, auto d) { return MinimumWindow(s, d, 5, g_progress); }), "shrink");
    check(Filtered(input, [](auto s, auto d) { return MaximumWindow(s, d, 5, g_progress); }), "expand");
    check(Filtered(input, [](auto s, auto d) { return EnhanceEdges(s, d, 0, 3, SelectionMap{}, g_progress); }), "edges");
    check(Filtered(input, [](auto s, auto d) { return RemoveNoise(s, d, 5, 1, SelectionMap{}, g_progress); }), "noise");
}

TEST(NeighbourhoodFilters, OnlyEdgeEnhancementAndNoiseRemovalHonourTheSelection) {
    const Picture input = RandomPicture(10, 10, 55, false);
    std::vector<uint8_t> none(100, 0);  // nothing selected
    const SelectionMap unselected{none.data(), 10};
    const Picture sharpened = Filtered(input, [](auto s, auto d) { return Convolve3x3(s, d, SharpenKernel(), true, g_progress); });
    EXPECT_NE(sharpened.Colours(), input.Colours());
    EXPECT_TRUE(SamePicture(
        Filtered(input, [&](auto s, auto d) { return EnhanceEdges(s, d, 0, 0, unselected, g_progress); }), input, "edges-unselected"));
    EXPECT_TRUE(SamePicture(
        Filtered(BlobPicture(10, 10, 3), [&](auto s, auto d) { return RemoveNoise(s, d, 3, 2, unselected, g_progress); }),
        BlobPicture(10, 10, 3), "noise-unselected"));
    // With one selected pixel only that pixel may change.
    std::vector<uint8_t> one(100, 0);
    one[4 * 10 + 4] = 1;
    const Picture edges = Filtered(input, [&](auto s, auto d) { return EnhanceEdges(s, d, 0, 0, SelectionMap{one.data(), 10}, g_progress); });
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            if (x != 4 || y != 4) {
                EXPECT_EQ(edges.At(x, y), input.At(x, y));
            }
    EXPECT_NE(edges.At(4, 4), input.At(4, 4));
}

TEST(NeighbourhoodFilters, ProgressFollowsTheRowsAndAStopEndsTheRun) {
    std::vector<int> reported;
    bool stop = false;
    FilterProgress progress([&](int p) { reported.push_back(p); }, &stop);
    const Picture input = RandomPicture(20, 10, 3);
    Picture out = input;
    ASSERT_TRUE(BoxAverage(input.View(), out.Planes(), 3, 1, progress));
    EXPECT_EQ(reported.front(), 0);
    EXPECT_EQ(reported.back(), 90);
    stop = true;
    EXPECT_FALSE(MinimumWindow(input.View(), out.Planes(), 3, progress));
}
