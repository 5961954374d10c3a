#pragma once
// The free transform written plainly for comparisons: every node from
// QuadMesh::Node, every source pixel's mesh cell rasterised on its own small grid
// (each edge adds its signed share to the cells it crosses, a running sum along
// each row gives the covered area), the areas added to per-pixel sums in double
// precision over the whole picture.
#include <algorithm>
#include <cmath>
#include <vector>

#include "processing/FreeTransform.h"
#include "processing/PixelAccess.h"

namespace quillory::test {

struct ReferencePoint {
    double x, y;
};

// Covered area of one polygon on a small grid whose (0, 0) is at (ox, oy).
class ReferenceCellRaster {
public:
    ReferenceCellRaster(int ox, int oy, int w, int h) : m_ox(ox), m_oy(oy), m_w(w + 2), m_h(h), m_acc(size_t(m_w) * h) {}
    void Edge(ReferencePoint p0, ReferencePoint p1) {
        p0.x -= m_ox, p0.y -= m_oy, p1.x -= m_ox, p1.y -= m_oy;
        if (p0.y == p1.y) return;
        double dir = 1.0;
        if (p0.y > p1.y) std::swap(p0, p1), dir = -1.0;
        const double dxdy = (p1.x - p0.x) / (p1.y - p0.y);
        double x = p0.x;
        const int yStart = std::max(0, int(std::floor(p0.y)));
        if (p0.y < 0) x -= p0.y * dxdy;
        const int yEnd = std::min(m_h, int(std::ceil(p1.y)));
        for (int y = yStart; y < yEnd; ++y) {
            double* line = m_acc.data() + size_t(y) * size_t(m_w);
            const double dy = std::min(double(y + 1), p1.y) - std::max(double(y), p0.y);
            const double xnext = x + dxdy * dy;
            const double d = dy * dir;
            // Rounding can take the ends a hair outside the grid; what lies left of it counts in its first cell.
            const double xa = std::clamp(x, 0.0, double(m_w - 2)), xb = std::clamp(xnext, 0.0, double(m_w - 2));
            const double x0 = std::min(xa, xb), x1 = std::max(xa, xb);
            const double x0floor = std::floor(x0);
            const int x0i = std::clamp(int(x0floor), 0, m_w - 2);
            const double x1ceil = std::ceil(x1);
            const int x1i = std::clamp(int(x1ceil), 0, m_w - 1);
            if (x1i <= x0i + 1) {
                const double xmf = 0.5 * (xa + xb) - x0floor;
                line[x0i] += d - d * xmf;
                line[x0i + 1] += d * xmf;
            } else {
                const double s = 1.0 / (x1 - x0);
                const double x0f = x0 - x0floor;
                const double a0 = 0.5 * s * (1.0 - x0f) * (1.0 - x0f);
                const double x1f = x1 - x1ceil + 1.0;
                const double am = 0.5 * s * x1f * x1f;
                line[x0i] += d * a0;
                if (x1i == x0i + 2) {
                    line[x0i + 1] += d * (1.0 - a0 - am);
                } else {
                    const double a1 = s * (1.5 - x0f);
                    line[x0i + 1] += d * (a1 - a0);
                    for (int xi = x0i + 2; xi < x1i - 1; ++xi) line[xi] += d * s;
                    const double a2 = a1 + double(x1i - x0i - 3) * s;
                    line[x1i - 1] += d * (1.0 - a2 - am);
                }
                line[x1i] += d * am;
            }
            x = xnext;
        }
    }
    // Calls visit(x, y, coverage) for every grid pixel with a covered area.
    template <typename Visit>
    void Collect(Visit visit) const {
        for (int y = 0; y < m_h; ++y) {
            double sum = 0;
            for (int x = 0; x < m_w - 1; ++x) {
                sum += m_acc[size_t(y) * m_w + x];
                const double c = std::min(1.0, std::fabs(sum));
                if (c > 1e-12) visit(m_ox + x, m_oy + y, c);
            }
        }
    }

private:
    int m_ox, m_oy, m_w, m_h;
    std::vector<double> m_acc;
};

// Done, or the outcome the transform must give; `area` receives each pixel's covered area (rows top-down).
inline TransformOutcome ReferenceFreeTransform(const Planes& source, const PaletteRef& palette, const Quad& quad,
                                               MappedPlanes& out, std::vector<double>* area = nullptr) {
    const int w = source.width, h = source.height;
    const QuadMesh mesh(quad, w, h);
    std::vector<ReferencePoint> nodes(size_t(w + 1) * (h + 1));
    double minX = INFINITY, maxX = -INFINITY, minY = INFINITY, maxY = -INFINITY;
    for (int j = 0; j <= h; ++j)
        for (int i = 0; i <= w; ++i) {
            ReferencePoint& p = nodes[size_t(j) * (w + 1) + i];
            if (!mesh.Node(i, j, p.x, p.y)) return TransformOutcome::Degenerate;
            minX = std::min(minX, p.x), maxX = std::max(maxX, p.x), minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
        }
    const double left = std::floor(minX), top = std::floor(minY);
    const int W = int(std::ceil(maxX) - left), H = int(std::ceil(maxY) - top);
    if (!MakePlanes(W, H, source.Layout(), 255, 0, out.planes)) return TransformOutcome::TooLarge;
    out.left = int(left), out.top = int(top);
    std::vector<double> sums(size_t(W) * H * 5);
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            ReferencePoint c[4] = {nodes[size_t(j) * (w + 1) + i], nodes[size_t(j) * (w + 1) + i + 1],
                                   nodes[size_t(j + 1) * (w + 1) + i + 1], nodes[size_t(j + 1) * (w + 1) + i]};
            double x0 = INFINITY, x1 = -INFINITY, y0 = INFINITY, y1 = -INFINITY;
            for (ReferencePoint& p : c) {
                p.x -= left, p.y -= top;
                x0 = std::min(x0, p.x), x1 = std::max(x1, p.x), y0 = std::min(y0, p.y), y1 = std::max(y1, p.y);
            }
            const int gx = int(std::floor(x0)), gy = int(std::floor(y0));
            ReferenceCellRaster raster(gx, gy, std::max(1, int(std::ceil(x1)) - gx), std::max(1, int(std::ceil(y1)) - gy));
            for (int k = 0; k < 4; ++k) raster.Edge(c[k], c[(k + 1) % 4]);
            int bgr[3];
            ColourAt(source, palette, i, h - 1 - j, bgr);
            const double alpha = source.AlphaRow(h - 1 - j)[i];
            raster.Collect([&](int px, int py, double coverage) {
                if (px < 0 || px >= W || py < 0 || py >= H) return;
                double* s = &sums[(size_t(py) * W + px) * 5];
                s[0] += coverage * bgr[0], s[1] += coverage * bgr[1], s[2] += coverage * bgr[2];
                s[3] += coverage * alpha, s[4] += coverage;
            });
        }
    PixelWriter writer(out.planes, palette);
    if (area) area->assign(size_t(W) * H, 0.0);
    for (int py = 0; py < H; ++py)
        for (int px = 0; px < W; ++px) {
            const double* s = &sums[(size_t(py) * W + px) * 5];
            if (area) (*area)[size_t(py) * W + px] = s[4];
            if (s[4] <= 0) continue;
            const auto mean = [&](double v) { return std::clamp(int(std::floor(v / s[4] + 0.5)), 0, 255); };
            writer.Put(out.planes.Row(H - 1 - py), px, mean(s[0]), mean(s[1]), mean(s[2]));
            out.planes.AlphaRow(H - 1 - py)[px] = uint8_t(std::clamp(int(std::floor(s[3] / std::max(1.0, s[4]) + 0.5)), 0, 255));
        }
    return TransformOutcome::Done;
}

}  // namespace quillory::test
