#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "FreeTransformReference.h"
#include "GeometryTestSupport.h"
#include "processing/FreeTransform.h"

using namespace quillory;
using quillory::test::RandomPlanes;
using quillory::test::SamePixels;

namespace {

Planes Solid(int w, int h, uint8_t value, uint8_t alpha) {
    Planes p;
    EXPECT_TRUE(MakePlanes(w, h, PlaneLayout{24, false}, value, alpha, p));
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

namespace {

// The plain mapping: every cell's quadrilateral clipped against every pixel square
// (Sutherland–Hodgman), its area by the shoelace formula.
double ClippedArea(std::vector<std::pair<double, double>> poly, double x0, double y0) {
    const auto clip = [&](auto inside, auto cross) {
        std::vector<std::pair<double, double>> out;
        for (size_t i = 0; i < poly.size(); ++i) {
            const auto a = poly[i], b = poly[(i + 1) % poly.size()];
            const bool ia = inside(a), ib = inside(b);
            if (ia) out.push_back(a);
            if (ia != ib) out.push_back(cross(a, b));
        }
        poly = out;
    };
    const auto atX = [](double x) {
        return [x](std::pair<double, double> a, std::pair<double, double> b) {
            const double t = (x - a.first) / (b.first - a.first);
            return std::pair{x, a.second + t * (b.second - a.second)};
        };
    };
    const auto atY = [](double y) {
        return [y](std::pair<double, double> a, std::pair<double, double> b) {
            const double t = (y - a.second) / (b.second - a.second);
            return std::pair{a.first + t * (b.first - a.first), y};
        };
    };
    clip([&](auto p) { return p.first >= x0; }, atX(x0));
    clip([&](auto p) { return p.first <= x0 + 1; }, atX(x0 + 1));
    clip([&](auto p) { return p.second >= y0; }, atY(y0));
    clip([&](auto p) { return p.second <= y0 + 1; }, atY(y0 + 1));
    double area = 0;
    for (size_t i = 0; i < poly.size(); ++i) {
        const auto a = poly[i], b = poly[(i + 1) % poly.size()];
        area += a.first * b.second - b.first * a.second;
    }
    return std::fabs(area) / 2;
}

}  // namespace

class FreeTransformClipping : public testing::TestWithParam<Quad> {};

// A skewed, narrowed and turned quadrilateral whose mesh does not fold, and a strong
// perspective where some nodes fall exactly on pixel borders.
INSTANTIATE_TEST_SUITE_P(Quads, FreeTransformClipping,
                         testing::Values(Quad{{1.5, 10.0, 8.5, 0.0}, {1.0, -1.25, 8.0, 6.5}},
                                         Quad{{3.6, 4.4, 12.8, -4.8}, {0.0, 0.12, 8.4, 6.0}}),
                         [](const testing::TestParamInfo<Quad>& info) {
                             return std::string(info.index == 0 ? "Skewed" : "NodesOnPixelBorders");
                         });

TEST_P(FreeTransformClipping, AreaCoverageMatchesPlainPolygonClipping) {
    const Planes src = RandomPlanes(9, 7, 24, 321);
    const Quad quad = GetParam();
    MappedPlanes out;
    ASSERT_EQ(FreeTransformPlanes(src, {}, quad, out), TransformOutcome::Done);
    const QuadMesh mesh(quad, 9, 7);
    const int W = out.planes.width, H = out.planes.height;
    std::vector<double> sum(size_t(W) * H * 3), area(size_t(W) * H), alpha(size_t(W) * H);
    for (int j = 0; j < 7; ++j)
        for (int i = 0; i < 9; ++i) {
            std::vector<std::pair<double, double>> cell;
            for (auto [di, dj] : {std::pair{0, 0}, {1, 0}, {1, 1}, {0, 1}}) {
                double x, y;
                ASSERT_TRUE(mesh.Node(i + di, j + dj, x, y));
                cell.emplace_back(x - out.left, y - out.top);
            }
            const uint8_t* p = src.Row(6 - j) + 3 * i;
            for (int py = 0; py < H; ++py)
                for (int px = 0; px < W; ++px) {
                    const double a = ClippedArea(cell, px, py);
                    const size_t at = size_t(py) * W + px;
                    for (int c = 0; c < 3; ++c) sum[at * 3 + c] += a * p[c];
                    area[at] += a;
                    alpha[at] += a * src.AlphaRow(6 - j)[i];
                }
        }
    for (int py = 0; py < H; ++py)
        for (int px = 0; px < W; ++px) {
            const size_t at = size_t(py) * W + px;
            const uint8_t* got = out.planes.Row(H - 1 - py) + 3 * px;
            const int gotAlpha = out.planes.AlphaRow(H - 1 - py)[px];
            if (area[at] < 1e-6) {
                EXPECT_EQ(gotAlpha, 0);
                continue;
            }
            for (int c = 0; c < 3; ++c) EXPECT_NEAR(got[c], sum[at * 3 + c] / area[at], 1.0) << px << "," << py;
            EXPECT_NEAR(gotAlpha, alpha[at] / std::max(1.0, area[at]), 1.0) << px << "," << py;
        }
}

namespace {

struct QuadCase {
    const char* name;
    Quad quad;
};

// Corners given as fractions of the layer's size (x, y for corners 0 to 3).
Quad Scaled(int w, int h, std::initializer_list<double> f) {
    Quad q;
    auto it = f.begin();
    for (int k = 0; k < 4; ++k) q.x[k] = *it++ * (w - 1), q.y[k] = *it++ * (h - 1);
    return q;
}

std::vector<QuadCase> Quads(int w, int h) {
    std::vector<QuadCase> cases;
    cases.push_back({"unchanged", Quad::OfLayer(w, h)});
    Quad up = Quad::OfLayer(w, h);
    for (int k = 0; k < 4; ++k) up.x[k] = up.x[k] * 2.37 + 0.3, up.y[k] = up.y[k] * 1.61 - 0.45;
    cases.push_back({"scaled up", up});
    Quad down = Quad::OfLayer(w, h);
    for (int k = 0; k < 4; ++k) down.x[k] = down.x[k] * 0.43 + 5.2, down.y[k] = down.y[k] * 0.31 + 0.7;
    cases.push_back({"scaled down", down});
    cases.push_back({"distorted", Scaled(w, h, {0.1, -0.2, 1.3, 0.15, 0.9, 1.1, -0.25, 0.8})});
    cases.push_back({"strong perspective", Scaled(w, h, {0.45, 0, 0.55, 0.02, 1.6, 1.4, -0.6, 1.0})});
    cases.push_back({"mirrored", Scaled(w, h, {1, 0.1, 0, 0, 0.05, 1.2, 0.9, 1})});
    cases.push_back({"upside down", Scaled(w, h, {0.2, 1, 1, 1.1, 1.2, 0, 0, 0})});
    cases.push_back({"thin sliver", Scaled(w, h, {0, 0.3, 1, 0.32, 1, 0.34, 0, 0.31})});
    cases.push_back({"thin slanted sliver", Scaled(w, h, {0, 0, 0.05, 0.02, 0.9, 1.2, 0.87, 1.21})});
    Quad turned;
    const double c = std::cos(0.52), s = std::sin(0.52);
    const Quad plain = Quad::OfLayer(w, h);
    for (int k = 0; k < 4; ++k)
        turned.x[k] = plain.x[k] * c - plain.y[k] * s + 0.25, turned.y[k] = plain.x[k] * s + plain.y[k] * c - 3.5;
    cases.push_back({"turned", turned});
    cases.push_back({"dented (not convex)", Scaled(w, h, {0, 0, 1, 0, 0.45, 0.4, 0, 1})});
    cases.push_back({"crossed (bow tie)", Scaled(w, h, {0, 0, 1, 0, 0, 1, 1, 1})});
    return cases;
}

int ChannelCount(const Planes& p) { return p.bitsPerPixel >= 24 ? 3 : 1; }

int Channel(const Planes& p, int x, int storedY, int c) {
    const uint8_t* row = p.Row(storedY);
    if (p.bitsPerPixel >= 24) return row[x * (p.bitsPerPixel / 8) + c];
    return RowIndex(row, x, p.bitsPerPixel);
}

// Maps the planes both ways and compares: the same outcome and box, opacity within
// one level everywhere, colours within one level where anything is covered. Returns
// the transform's result and the largest difference seen.
MappedPlanes ExpectLikeThePlainMapping(const Planes& src, const Quad& quad, int& worst) {
    MappedPlanes want, got;
    std::vector<double> area;
    const TransformOutcome expected = test::ReferenceFreeTransform(src, {}, quad, want, &area);
    EXPECT_EQ(FreeTransformPlanes(src, {}, quad, got), expected);
    if (expected != TransformOutcome::Done) return got;
    EXPECT_EQ(got.left, want.left);
    EXPECT_EQ(got.top, want.top);
    if (got.planes.width != want.planes.width || got.planes.height != want.planes.height) {
        ADD_FAILURE() << "size " << got.planes.width << "x" << got.planes.height << ", want "
                      << want.planes.width << "x" << want.planes.height;
        return got;
    }
    const int W = want.planes.width, H = want.planes.height;
    for (int py = 0; py < H; ++py)
        for (int px = 0; px < W; ++px) {
            const int storedY = H - 1 - py;
            const int alphaDiff = std::abs(got.planes.AlphaRow(storedY)[px] - want.planes.AlphaRow(storedY)[px]);
            worst = std::max(worst, alphaDiff);
            if (alphaDiff > 1) {
                ADD_FAILURE() << "opacity at " << px << "," << py << ": " << alphaDiff << " levels off";
                return got;
            }
            // Where next to nothing is covered the colour is not seen (opacity 0) and may stay the fill.
            if (area[size_t(py) * W + px] < 1e-6) continue;
            for (int c = 0; c < ChannelCount(src); ++c) {
                const int diff = std::abs(Channel(got.planes, px, storedY, c) - Channel(want.planes, px, storedY, c));
                worst = std::max(worst, diff);
                if (diff > 1) {
                    ADD_FAILURE() << "channel " << c << " at " << px << "," << py << ": " << diff << " levels off";
                    return got;
                }
            }
        }
    return got;
}

}  // namespace

TEST(FreeTransform, MatchesThePlainCellByCellMappingWithinOneLevel) {
    int worst = 0;
    for (const int bpp : {1, 4, 8, 24, 32})
        // The tall one maps across several bands of destination rows.
        for (auto [w, h] : {std::pair{13, 9}, {1, 1}, {2, 5}, {31, 17}, {23, 150}}) {
            const Planes src = RandomPlanes(w, h, bpp, uint32_t(bpp * 1000 + w * 7 + h));
            for (const QuadCase& qc : Quads(w, h)) {
                SCOPED_TRACE(testing::Message() << qc.name << ", " << bpp << " bits, " << w << "x" << h);
                const MappedPlanes got = ExpectLikeThePlainMapping(src, qc.quad, worst);
                // An unchanged quadrilateral gives back every colour and opacity exactly (the spare byte of
                // 32-bit pixels is not carried).
                if (std::string(qc.name) != "unchanged") continue;
                for (int storedY = 0; storedY < h; ++storedY)
                    for (int x = 0; x < w; ++x) {
                        ASSERT_EQ(got.planes.AlphaRow(storedY)[x], src.AlphaRow(storedY)[x]);
                        for (int c = 0; c < ChannelCount(src); ++c)
                            ASSERT_EQ(Channel(got.planes, x, storedY, c), Channel(src, x, storedY, c)) << x << "," << storedY;
                    }
            }
        }
    RecordProperty("largest difference", worst);
}

TEST(FreeTransform, RandomQuadrilateralsMatchThePlainMappingWithinOneLevel) {
    // Corners thrown anywhere around the layer: convex ones, dented ones, crossed ones.
    uint32_t seed = 12345;
    const auto next = [&seed](double range) {
        seed = seed * 214013u + 2531011u;
        return double((seed >> 16) & 0x7FFF) / 32767.0 * range;
    };
    int worst = 0;
    for (int round = 0; round < 150; ++round) {
        const int w = 1 + int(next(19)), h = 1 + int(next(90));
        const Planes src = RandomPlanes(w, h, 24, uint32_t(round));
        Quad quad;
        for (int k = 0; k < 4; ++k) quad.x[k] = next(3.0 * w) - w, quad.y[k] = next(2.0 * h) - h / 2.0;
        SCOPED_TRACE(testing::Message() << "round " << round << ", " << w << "x" << h);
        ExpectLikeThePlainMapping(src, quad, worst);
    }
    RecordProperty("largest difference", worst);
}
