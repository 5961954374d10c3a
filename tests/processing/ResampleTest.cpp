#include <gtest/gtest.h>

#include <cmath>

#include "GeometryTestSupport.h"
#include "processing/Canvas.h"
#include "processing/Resample.h"

using namespace quillory;
using quillory::test::RandomPlanes;

namespace {

RGBQUAD ColourOf(const Planes& p, int x, int y) {
    const uint8_t* q = p.Row(y) + 3 * x;
    return RGBQUAD{q[0], q[1], q[2], 0};
}

// Every destination pixel sampled one by one with the plain samplers.
void ExpectMatchesSamplers(const Planes& src, const PaletteRef& palette, int newW, int newH) {
    Planes out;
    ASSERT_TRUE(ResizePlanes(src, palette, newW, newH, out));
    ASSERT_EQ(out.width, newW);
    ASSERT_EQ(out.height, newH);
    const double fx = double(src.width) / newW, fy = double(src.height) / newH;
    for (int j = 0; j < newH; ++j)
        for (int i = 0; i < newW; ++i) {
            const Sample s = SampleArea(src, palette, SourceCentre(i, src.width, newW), SourceCentre(j, src.height, newH),
                                        fx, fy);
            if (src.bitsPerPixel == 24) {
                ASSERT_EQ(ColourOf(out, i, j), (RGBQUAD{s.blue, s.green, s.red, 0}))
                    << src.width << "x" << src.height << " -> " << newW << "x" << newH << " at " << i << "," << j;
            } else {
                const RGBQUAD want{s.blue, s.green, s.red, 0};
                const uint8_t index = out.Row(j)[i];
                if (palette.colours)
                    ASSERT_EQ(index, NearestPaletteIndex(palette.colours, uint32_t(palette.count), want));
                else
                    ASSERT_EQ(index, s.blue);
            }
            ASSERT_EQ(out.AlphaRow(j)[i], s.alpha);
        }
}

}  // namespace

TEST(Resample, HalvingAveragesTwoByTwoBlocks) {
    const Planes src = RandomPlanes(8, 6, 24, 5);
    Planes out;
    ASSERT_TRUE(ResizePlanes(src, {}, 4, 3, out));
    for (int j = 0; j < 3; ++j)
        for (int i = 0; i < 4; ++i) {
            const RGBQUAD a = ColourOf(src, 2 * i, 2 * j), b = ColourOf(src, 2 * i + 1, 2 * j);
            const RGBQUAD c = ColourOf(src, 2 * i, 2 * j + 1), d = ColourOf(src, 2 * i + 1, 2 * j + 1);
            const RGBQUAD got = ColourOf(out, i, j);
            EXPECT_EQ(got.blue, (a.blue + b.blue + c.blue + d.blue) / 4);
            EXPECT_EQ(got.green, (a.green + b.green + c.green + d.green) / 4);
            EXPECT_EQ(got.red, (a.red + b.red + c.red + d.red) / 4);
        }
}

TEST(Resample, DoublingSamplesBilinearlyWithEightBitFractions) {
    Planes src;
    ASSERT_TRUE(MakePlanes(2, 1, PlaneLayout{24, false}, 0, 255, src));
    src.Row(0)[3] = src.Row(0)[4] = src.Row(0)[5] = 200;  // right pixel 200, left 0
    Planes out;
    ASSERT_TRUE(ResizePlanes(src, {}, 4, 2, out));
    // Source positions −0.25, 0.25, 0.75, 1.25: fractions 192 (both taps the left
    // pixel), 64, 192 and 64 (both taps the right pixel).
    EXPECT_EQ(out.Row(0)[0], 0);
    EXPECT_EQ(out.Row(0)[3], (64 * 200) >> 8);
    EXPECT_EQ(out.Row(0)[6], (192 * 200) >> 8);
    EXPECT_EQ(out.Row(0)[9], 200);
    EXPECT_EQ(out.Row(1)[6], out.Row(0)[6]);
}

TEST(Resample, FastResizeMatchesThePlainSamplers) {
    for (auto [w, h, nw, nh] : {std::tuple{8, 6, 4, 3}, {10, 7, 20, 14}, {9, 9, 4, 5}, {7, 5, 3, 11},
                                {13, 3, 5, 9}, {1, 1, 3, 2}, {31, 17, 30, 16}, {5, 5, 5, 6}}) {
        ExpectMatchesSamplers(RandomPlanes(w, h, 24, uint32_t(w * h)), {}, nw, nh);
        // Text coverage planes average their bytes.
        ExpectMatchesSamplers(RandomPlanes(w, h, 8, uint32_t(w + h), true), {}, nw, nh);
    }
    RGBQUAD palette[4] = {MakeQuad(0, 0, 0), MakeQuad(255, 0, 0), MakeQuad(0, 0, 255), MakeQuad(255, 255, 255)};
    Planes indexed = RandomPlanes(9, 6, 8, 2);
    for (auto& b : indexed.pixels) b &= 3;
    ExpectMatchesSamplers(indexed, PaletteRef{palette, 4}, 4, 3);
    ExpectMatchesSamplers(indexed, PaletteRef{palette, 4}, 18, 12);
}

TEST(Resample, BilinearOutsideThePlaneIsTransparentWhite) {
    const Planes src = RandomPlanes(4, 4, 24, 9);
    const Sample s = SampleBilinear(src, {}, -2.5, 1.0);
    EXPECT_EQ(s.red, 255);
    EXPECT_EQ(s.alpha, 0);
    EXPECT_EQ(SampleBilinear(src, {}, 4.0, 1.0).alpha, 0);
}

TEST(Resample, ScaledSidesRoundHalfUp) {
    EXPECT_EQ(ScaledSide(3, 0.5), 2);
    EXPECT_EQ(ScaledSide(5, 0.5), 3);
    EXPECT_EQ(ScaledSide(4000, 2.0), 8000);
    EXPECT_EQ(ScaledSide(3, 0.01), 1);
}

TEST(Canvas, AnchorsPlaceTheOldPictureAndCentreOddDifferencesTowardsTheLargerMargin) {
    // Stored rows count from the bottom: anchor 0 (top left) puts the whole difference below.
    const AnchorShift topLeft = AnchorOffset(4, 4, 9, 9, 0);
    EXPECT_EQ(topLeft.dx, 0);
    EXPECT_EQ(topLeft.dy, 5);
    const AnchorShift bottomRight = AnchorOffset(4, 4, 9, 9, 8);
    EXPECT_EQ(bottomRight.dx, 5);
    EXPECT_EQ(bottomRight.dy, 0);
    const AnchorShift centre = AnchorOffset(4, 4, 9, 9, 4);
    EXPECT_EQ(centre.dx, 2);  // 2 columns left, 3 right
    EXPECT_EQ(centre.dy, 2);  // 2 rows below, 3 above

    Planes small = RandomPlanes(4, 4, 24, 1), big;
    ASSERT_TRUE(MakePlanes(9, 9, PlaneLayout{24, false}, 255, 0, big));
    CopyPlanesInto(small, big, centre.dx, centre.dy);
    EXPECT_EQ(big.AlphaRow(2)[2], small.AlphaRow(0)[0]);
    EXPECT_EQ(big.AlphaRow(5)[5], small.AlphaRow(3)[3]);
    EXPECT_EQ(big.AlphaRow(1)[2], 0);
    EXPECT_EQ(big.AlphaRow(6)[2], 0);
    EXPECT_EQ(big.AlphaRow(2)[6], 0);
}
