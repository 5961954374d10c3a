#include <gtest/gtest.h>

#include "GeometryTestSupport.h"
#include "core/NyZazo.h"
#include "processing/FlipRotate.h"

using namespace quillory;
using quillory::test::PixelKey;
using quillory::test::RandomPlanes;
using quillory::test::SamePixels;

TEST(FlipRotate, FlipsMoveEveryPixelWithItsOpacityAtEveryDepth) {
    for (int bpp : {1, 4, 8, 24}) {
        const Planes original = RandomPlanes(13, 7, bpp, 11u + bpp);
        Planes h = original, v = original;
        FlipHorizontal(h);
        FlipVertical(v);
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 13; ++x) {
                ASSERT_EQ(PixelKey(h, x, y), PixelKey(original, 12 - x, y)) << bpp;
                ASSERT_EQ(PixelKey(v, x, y), PixelKey(original, x, 6 - y)) << bpp;
            }
        FlipHorizontal(h);
        EXPECT_TRUE(SamePixels(h, original));
    }
}

TEST(FlipRotate, RotatedExtentOfQuarterTurnsAndOfAnAngle) {
    const RotatedBox right = RotatedExtent(3, 2, 90.0f);
    EXPECT_EQ(right.width, 2);
    EXPECT_EQ(right.height, 3);
    const RotatedBox half = RotatedExtent(5, 4, 180.0f);
    EXPECT_EQ(half.width, 5);
    EXPECT_EQ(half.height, 4);
    // 45 degrees: the corners (9, 0) and (0, 9) reach trunc(9 · 0.7071) = 6 each way, (9, 9) 12.
    const RotatedBox diagonal = RotatedExtent(10, 10, 45.0f);
    EXPECT_EQ(diagonal.width, 12 + 1);
    EXPECT_EQ(diagonal.height, 6 + 6 + 1);
}

TEST(FlipRotate, AThreeByTwoLayerTurnsIntoTwoByThreeClockwise) {
    Planes p;
    ASSERT_TRUE(MakePlanes(3, 2, PlaneLayout{8, false}, 0, 255, p));
    // Rows as shown (top-down): 1 2 3 / 4 5 6; stored bottom-up.
    const uint8_t shown[2][3] = {{1, 2, 3}, {4, 5, 6}};
    for (int top = 0; top < 2; ++top)
        for (int x = 0; x < 3; ++x) p.Row(1 - top)[x] = shown[top][x];
    Planes out;
    ASSERT_TRUE(RotatePlanes(p, 90.0f, {}, out));
    ASSERT_EQ(out.width, 2);
    ASSERT_EQ(out.height, 3);
    // Turned clockwise on screen: 4 1 / 5 2 / 6 3.
    const uint8_t expected[3][2] = {{4, 1}, {5, 2}, {6, 3}};
    for (int top = 0; top < 3; ++top)
        for (int x = 0; x < 2; ++x) EXPECT_EQ(out.Row(2 - top)[x], expected[top][x]) << top << "," << x;
}

TEST(FlipRotate, FourQuarterTurnsEitherWayGiveBackThePixels) {
    for (int bpp : {1, 4, 8, 24}) {
        for (float step : {90.0f, -90.0f}) {
            const Planes original = RandomPlanes(17, 6, bpp, 7u * bpp);
            Planes p = original;
            for (int i = 0; i < 4; ++i) {
                Planes next;
                ASSERT_TRUE(RotatePlanes(p, step, {}, next));
                p = std::move(next);
            }
            EXPECT_TRUE(SamePixels(p, original)) << bpp << " " << step;
        }
    }
}

TEST(FlipRotate, HalfTurnMapsEachPixelToTheOppositeCorner) {
    const Planes src = RandomPlanes(9, 5, 24, 3);
    Planes out;
    ASSERT_TRUE(RotatePlanes(src, 180.0f, {}, out));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 9; ++x) ASSERT_EQ(PixelKey(out, x, y), PixelKey(src, 8 - x, 4 - y));
}

TEST(FlipRotate, FastPathsMatchThePlainMapping) {
    // Sizes around the 64-pixel tiles and past a 512-column strip, 24-bit rows with and
    // without padding (the pixels move as 4-byte words), angles just off the quarter
    // turns and tiny ones.
    const OutsideFill fill{RGBQUAD{10, 20, 30, 0}, 3};
    const float angles[] = {0.0f, 90.0f, -90.0f, 180.0f, 270.0f, -180.0f, 30.0f,  -17.5f,
                            135.0f, 400.0f, 89.9f, 90.1f,  0.01f,  359.99f, -45.0f, 225.0f};
    const std::pair<int, int> sizes[] = {{1, 1}, {2, 9}, {31, 7}, {3, 300}, {4, 4}, {64, 65}, {67, 131}, {130, 63}, {700, 9}};
    for (int bpp : {1, 4, 8, 24, 32})
        for (float angle : angles)
            for (const auto& [w, h] : sizes) {
                const Planes src = RandomPlanes(w, h, bpp, uint32_t(w * 7 + h + bpp));
                Planes fast;
                ASSERT_TRUE(RotatePlanes(src, angle, fill, fast));
                const Planes slow = quillory::test::ReferenceRotate(src, angle, fill);
                ASSERT_TRUE(SamePixels(fast, slow)) << bpp << " " << angle << " " << w << "x" << h;
            }
}

TEST(FlipRotate, TextPlanesTurnLikeEightBitOnes) {
    for (float angle : {90.0f, 270.0f, 180.0f, 33.0f})
        for (const auto& [w, h] : {std::pair{5, 3}, {70, 67}}) {
            const Planes src = RandomPlanes(w, h, 8, uint32_t(w + h), true);
            Planes fast;
            ASSERT_TRUE(RotatePlanes(src, angle, {}, fast));
            EXPECT_TRUE(fast.packedBytes);
            ASSERT_TRUE(SamePixels(fast, quillory::test::ReferenceRotate(src, angle, {}))) << angle << " " << w;
        }
}

TEST(FlipRotate, SourcesOutsideTheLayerAreTransparentFill) {
    Planes src;
    ASSERT_TRUE(MakePlanes(8, 8, PlaneLayout{24, false}, 0, 255, src));
    Planes out;
    const OutsideFill fill{RGBQUAD{1, 2, 3, 0}, 0};
    ASSERT_TRUE(RotatePlanes(src, 45.0f, fill, out));
    // The top-left corner of the bounding box lies outside the turned square.
    const uint8_t* corner = out.Row(out.height - 1);
    EXPECT_EQ(out.AlphaRow(out.height - 1)[0], 0);
    EXPECT_EQ(corner[0], 1);
    EXPECT_EQ(corner[2], 3);
    // Its centre lies inside.
    EXPECT_EQ(out.AlphaRow(out.height / 2)[out.width / 2], 255);
}

TEST(FlipRotate, MirrorReversesRowsAtEachDepth) {
    for (int bpp : {4, 8, 24}) {
        NyZazo image;
        ASSERT_TRUE(image.Create(5, 2, bpp, 1));
        for (int x = 0; x < 5; ++x) image.SetPixelIndex(x, 0, uint8_t(x + 1)), image.SetPixelIndex(x, 1, uint8_t(7 - x));
        if (bpp == 24)
            for (int x = 0; x < 5; ++x) image.SetPixelColour(x, 0, MakeQuad(uint8_t(x * 10), uint8_t(x), 0));
        NyZazo before(image, true);
        MirrorImage(image);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 5; ++x) {
                if (bpp == 24)
                    EXPECT_EQ(image.GetPixelColour(x, y), before.GetPixelColour(4 - x, y));
                else
                    EXPECT_EQ(image.GetPixelIndex(x, y), before.GetPixelIndex(4 - x, y));
            }
    }
}
