#include <gtest/gtest.h>

#include <cmath>

#include "GeometryTestSupport.h"
#include "processing/FreeTransform.h"

using namespace quillory;
using quillory::test::RandomPlanes;
using quillory::test::SamePixels;

namespace {

Planes Solid(int w, int h, uint8_t value, uint8_t alpha) {
    Planes p;
    MakePlanes(w, h, PlaneLayout{24, false}, value, alpha, p);
    return p;
}

}  // namespace

TEST(FreeTransform, AnUnchangedQuadrilateralReturnsTheLayer) {
    for (auto [w, h] : {std::pair{1, 1}, {7, 5}, {32, 9}}) {
        const Planes src = RandomPlanes(w, h, 24, uint32_t(w * 31 + h));
        MappedPlanes out;
        ASSERT_EQ(FreeTransformPlanes(src, {}, Quad::OfLayer(w, h), out), TransformOutcome::Done);
        EXPECT_EQ(out.left, 0);
        EXPECT_EQ(out.top, 0);
        EXPECT_TRUE(SamePixels(out.planes, src)) << w << "x" << h;
    }
}

TEST(FreeTransform, MeshNodesOfTheUnchangedQuadrilateralArePixelCorners) {
    const QuadMesh mesh(Quad::OfLayer(5, 3), 5, 3);
    double x = 0, y = 0;
    ASSERT_TRUE(mesh.Node(2, 1, x, y));
    EXPECT_EQ(x, 2.0);
    EXPECT_EQ(y, 1.0);
    ASSERT_TRUE(mesh.Node(5, 3, x, y));
    EXPECT_EQ(x, 5.0);
    EXPECT_EQ(y, 3.0);
}

TEST(FreeTransform, DoublingTheQuadrilateralDoublesTheLayerAndAMoveShiftsIt) {
    const Planes src = RandomPlanes(4, 3, 24, 77);
    Quad quad = Quad::OfLayer(4, 3);
    // Corners as the outer pixels: doubling puts the far corners at (7, 5).
    quad.x[1] = quad.x[2] = 7;
    quad.y[2] = quad.y[3] = 5;
    MappedPlanes out;
    ASSERT_EQ(FreeTransformPlanes(src, {}, quad, out), TransformOutcome::Done);
    ASSERT_EQ(out.planes.width, 8);
    ASSERT_EQ(out.planes.height, 6);
    for (int top = 0; top < 6; ++top)
        for (int x = 0; x < 8; ++x) {
            const uint8_t* want = src.Row(2 - top / 2) + 3 * (x / 2);
            const uint8_t* got = out.planes.Row(5 - top) + 3 * x;
            ASSERT_EQ(got[0], want[0]);
            ASSERT_EQ(got[2], want[2]);
            ASSERT_EQ(out.planes.AlphaRow(5 - top)[x], src.AlphaRow(2 - top / 2)[x / 2]);
        }
    Quad moved = Quad::OfLayer(4, 3);
    for (int k = 0; k < 4; ++k) moved.x[k] += 10, moved.y[k] -= 2;
    ASSERT_EQ(FreeTransformPlanes(src, {}, moved, out), TransformOutcome::Done);
    EXPECT_EQ(out.left, 10);
    EXPECT_EQ(out.top, -2);
    EXPECT_TRUE(SamePixels(out.planes, src));
}

TEST(FreeTransform, PartlyCoveredBorderPixelsKeepTheColourAndTakeTheCoveredShareOfOpacity) {
    const Planes src = Solid(4, 4, 100, 255);
    Quad quad = Quad::OfLayer(4, 4);
    // Shifted by half a pixel: the first and last columns are half covered.
    for (int k = 0; k < 4; ++k) quad.x[k] += 0.5;
    MappedPlanes out;
    ASSERT_EQ(FreeTransformPlanes(src, {}, quad, out), TransformOutcome::Done);
    ASSERT_EQ(out.planes.width, 5);
    EXPECT_EQ(out.planes.Row(0)[0], 100);
    EXPECT_EQ(out.planes.AlphaRow(0)[0], 128);
    EXPECT_EQ(out.planes.AlphaRow(0)[2], 255);
    EXPECT_EQ(out.planes.AlphaRow(0)[4], 128);
}

TEST(FreeTransform, ColoursAverageByCoveredArea) {
    // Two columns, black and white, squeezed into one pixel's width.
    Planes src = Solid(2, 1, 0, 255);
    src.Row(0)[3] = src.Row(0)[4] = src.Row(0)[5] = 200;
    Quad quad;
    quad.x[0] = 0, quad.y[0] = 0, quad.x[1] = 0, quad.y[1] = 0;
    quad.x[2] = 0, quad.y[2] = 0, quad.x[3] = 0, quad.y[3] = 0;
    MappedPlanes out;
    ASSERT_EQ(FreeTransformPlanes(src, {}, quad, out), TransformOutcome::Done);
    ASSERT_EQ(out.planes.width, 1);
    EXPECT_EQ(out.planes.Row(0)[0], 100);
    EXPECT_EQ(out.planes.AlphaRow(0)[0], 255);
}

TEST(FreeTransform, ParallelLinesRefuseTheQuadrilateral) {
    const Planes src = RandomPlanes(6, 4, 24, 1);
    Quad flat = Quad::OfLayer(6, 4);
    // The left and right sides collapse onto one line: the top and bottom fractions meet nowhere.
    for (int k = 0; k < 4; ++k) flat.y[k] = 0;
    flat.y[2] = flat.y[3] = -1;
    MappedPlanes out;
    out.left = 42;
    EXPECT_EQ(FreeTransformPlanes(src, {}, flat, out), TransformOutcome::Degenerate);
    EXPECT_EQ(out.left, 42);
    EXPECT_FALSE(out.planes.IsValid());
}

TEST(FreeTransform, APerspectiveQuadrilateralCoversItsBoundingBox) {
    const Planes src = Solid(20, 10, 50, 255);
    Quad quad = Quad::OfLayer(20, 10);
    quad.x[0] = 5, quad.x[1] = 14;  // top side narrowed symmetrically
    MappedPlanes out;
    ASSERT_EQ(FreeTransformPlanes(src, {}, quad, out), TransformOutcome::Done);
    EXPECT_EQ(out.planes.width, 20);
    EXPECT_EQ(out.planes.height, 10);
    const int topRow = out.planes.height - 1, bottomRow = 0;
    EXPECT_EQ(out.planes.AlphaRow(topRow)[0], 0);     // outside the narrowed top
    EXPECT_EQ(out.planes.AlphaRow(topRow)[10], 255);  // inside
    EXPECT_EQ(out.planes.AlphaRow(bottomRow)[1], 255);
    EXPECT_GT(out.planes.AlphaRow(bottomRow)[0], 128);  // the slanted left side crosses it
    EXPECT_EQ(out.planes.Row(topRow)[30], 50);
}

TEST(FreeTransform, EllipseLeavesTheCornersEmptyAndFillsTheMiddle) {
    const Planes src = Solid(10, 10, 80, 255);
    Planes out;
    ASSERT_TRUE(EllipsePlanes(src, {}, 21, 11, out));
    EXPECT_EQ(out.width, 21);
    EXPECT_EQ(out.height, 11);
    EXPECT_EQ(out.AlphaRow(0)[0], 0);
    EXPECT_EQ(out.AlphaRow(10)[20], 0);
    EXPECT_EQ(out.AlphaRow(5)[10], 255);
    EXPECT_EQ(out.Row(5)[30], 80);
    EXPECT_EQ(out.AlphaRow(5)[0], 255);  // the ends of the middle row touch the box
}
