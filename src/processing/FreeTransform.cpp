#include "processing/FreeTransform.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "processing/PixelAccess.h"
#include "processing/Resample.h"

namespace quillory {

namespace {

constexpr double kParallel = 1e-9;
constexpr int kBandRows = 64;

struct Point {
    double x, y;
};

// Per destination pixel of a band: the colour sums weighted by covered area,
// the covered opacity and the covered area.
struct Accumulator {
    int width = 0, rows = 0;
    std::vector<float> b, g, r, a, area;
    bool Make(int w, int h) {
        width = w, rows = h;
        const size_t n = size_t(w) * size_t(h);
        try {
            b.assign(n, 0), g.assign(n, 0), r.assign(n, 0), a.assign(n, 0), area.assign(n, 0);
        } catch (const std::bad_alloc&) {
            return false;
        }
        return true;
    }
    void Clear() {
        std::fill(b.begin(), b.end(), 0.0f), std::fill(g.begin(), g.end(), 0.0f);
        std::fill(r.begin(), r.end(), 0.0f), std::fill(a.begin(), a.end(), 0.0f);
        std::fill(area.begin(), area.end(), 0.0f);
    }
};

// Signed area coverage of a polygon on a small grid: each edge adds its share
// to the cells it crosses; a running sum along each row gives the covered area.
class CellRaster {
public:
    // Grid of w × h pixels whose (0, 0) is at (originX, originY).
    void Reset(int originX, int originY, int w, int h) {
        m_ox = originX, m_oy = originY, m_w = w + 2, m_h = h;
        m_acc.assign(size_t(m_w) * size_t(m_h), 0.0);
    }
    void Edge(Point p0, Point p1) {
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
            const double x0 = std::min(x, xnext), x1 = std::max(x, xnext);
            const double x0floor = std::floor(x0);
            const int x0i = std::clamp(int(x0floor), 0, m_w - 2);
            const double x1ceil = std::ceil(x1);
            const int x1i = std::clamp(int(x1ceil), 0, m_w - 1);
            if (x1i <= x0i + 1) {
                const double xmf = 0.5 * (x + xnext) - x0floor;
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
            const double* line = m_acc.data() + size_t(y) * size_t(m_w);
            double sum = 0;
            for (int x = 0; x < m_w - 1; ++x) {
                sum += line[x];
                const double c = std::min(1.0, std::fabs(sum));
                if (c > 1e-12) visit(m_ox + x, m_oy + y, c);
            }
        }
    }

private:
    int m_ox = 0, m_oy = 0, m_w = 0, m_h = 0;
    std::vector<double> m_acc;
};

}  // namespace

Quad Quad::OfLayer(int width, int height) {
    Quad q;
    q.x[0] = 0, q.y[0] = 0;
    q.x[1] = width - 1, q.y[1] = 0;
    q.x[2] = width - 1, q.y[2] = height - 1;
    q.x[3] = 0, q.y[3] = height - 1;
    return q;
}

QuadMesh::QuadMesh(const Quad& quad, int width, int height) : m_w(width), m_h(height) {
    // The outer corners of the four corner pixels.
    const double dx[4] = {0, 1, 1, 0}, dy[4] = {0, 0, 1, 1};
    for (int k = 0; k < 4; ++k) m_p[k][0] = quad.x[k] + dx[k], m_p[k][1] = quad.y[k] + dy[k];
}

bool QuadMesh::Node(int i, int j, double& x, double& y) const {
    const double* p0 = m_p[0];
    const double* p1 = m_p[1];
    const double* p2 = m_p[2];
    const double* p3 = m_p[3];
    // The same fraction from the left along the top and the bottom side...
    const double a1x = p0[0] + double(i) * (p1[0] - p0[0]) / m_w, a1y = p0[1] + double(i) * (p1[1] - p0[1]) / m_w;
    const double a2x = p3[0] + double(i) * (p2[0] - p3[0]) / m_w, a2y = p3[1] + double(i) * (p2[1] - p3[1]) / m_w;
    // ...and from the top along the right and the left side.
    const double b1x = p1[0] + double(j) * (p2[0] - p1[0]) / m_h, b1y = p1[1] + double(j) * (p2[1] - p1[1]) / m_h;
    const double b2x = p0[0] + double(j) * (p3[0] - p0[0]) / m_h, b2y = p0[1] + double(j) * (p3[1] - p0[1]) / m_h;
    const double dax = a2x - a1x, day = a2y - a1y;
    const double dbx = b2x - b1x, dby = b2y - b1y;
    const double det = dax * dby - day * dbx;
    if (!(std::fabs(det) >= kParallel)) return false;
    const double num = (b1x - a1x) * dby - (b1y - a1y) * dbx;
    x = a1x + num * dax / det;
    y = a1y + num * day / det;
    return std::isfinite(x) && std::isfinite(y);
}

TransformOutcome FreeTransformPlanes(const Planes& source, const PaletteRef& palette, const Quad& quad,
                                     MappedPlanes& out, ProgressSink* progress) {
    if (!source.IsValid()) return TransformOutcome::Degenerate;
    const int w = source.width, h = source.height;
    const QuadMesh mesh(quad, w, h);

    // Every node first: a parallel pair refuses the whole transform before anything is made.
    std::vector<double> rowTop(size_t(h) + 1), rowBottom(size_t(h) + 1);
    double minX = INFINITY, maxX = -INFINITY, minY = INFINITY, maxY = -INFINITY;
    for (int j = 0; j <= h; ++j) {
        double top = INFINITY, bottom = -INFINITY;
        for (int i = 0; i <= w; ++i) {
            double x, y;
            if (!mesh.Node(i, j, x, y)) return TransformOutcome::Degenerate;
            minX = std::min(minX, x), maxX = std::max(maxX, x);
            top = std::min(top, y), bottom = std::max(bottom, y);
        }
        rowTop[size_t(j)] = top, rowBottom[size_t(j)] = bottom;
        minY = std::min(minY, top), maxY = std::max(maxY, bottom);
    }
    const double left = std::floor(minX), top = std::floor(minY);
    const double outW = std::ceil(maxX) - left, outH = std::ceil(maxY) - top;
    if (!(outW >= 1 && outH >= 1) || outW > 1e6 || outH > 1e6 ||
        outW * outH * 4 > double(PixelByteLimit()))
        return TransformOutcome::TooLarge;

    MappedPlanes made;
    made.left = int(left), made.top = int(top);
    if (!MakePlanes(int(outW), int(outH), source.Layout(), 255, 0, made.planes)) return TransformOutcome::NoMemory;
    Planes& dest = made.planes;
    Accumulator acc;
    if (!acc.Make(dest.width, std::min(kBandRows, dest.height))) return TransformOutcome::NoMemory;
    PixelWriter writer(dest, palette);
    RowReporter report(progress, dest.height);
    CellRaster raster;
    std::vector<Point> upper(size_t(w) + 1), lower(size_t(w) + 1);

    for (int band = 0; band < dest.height; band += kBandRows) {
        report.Row(band);
        const int bandEnd = std::min(dest.height, band + kBandRows);
        acc.Clear();
        for (int j = 0; j < h; ++j) {
            // Cell row j lies between node rows j and j + 1.
            const double cellTop = std::min(rowTop[size_t(j)], rowTop[size_t(j) + 1]) - top;
            const double cellBottom = std::max(rowBottom[size_t(j)], rowBottom[size_t(j) + 1]) - top;
            if (cellBottom <= band || cellTop >= bandEnd) continue;
            for (int i = 0; i <= w; ++i) {
                mesh.Node(i, j, upper[size_t(i)].x, upper[size_t(i)].y);
                mesh.Node(i, j + 1, lower[size_t(i)].x, lower[size_t(i)].y);
                upper[size_t(i)].x -= left, upper[size_t(i)].y -= top;
                lower[size_t(i)].x -= left, lower[size_t(i)].y -= top;
            }
            const int storedY = h - 1 - j;
            for (int i = 0; i < w; ++i) {
                const Point c[4] = {upper[size_t(i)], upper[size_t(i) + 1], lower[size_t(i) + 1], lower[size_t(i)]};
                double x0 = c[0].x, x1 = c[0].x, y0 = c[0].y, y1 = c[0].y;
                for (const Point& p : c) x0 = std::min(x0, p.x), x1 = std::max(x1, p.x), y0 = std::min(y0, p.y), y1 = std::max(y1, p.y);
                if (y1 <= band || y0 >= bandEnd) continue;
                const int gx = int(std::floor(x0)), gy = int(std::floor(y0));
                raster.Reset(gx, gy, std::max(1, int(std::ceil(x1)) - gx), std::max(1, int(std::ceil(y1)) - gy));
                for (int k = 0; k < 4; ++k) raster.Edge(c[k], c[(k + 1) % 4]);
                int bgr[3];
                ColourAt(source, palette, i, storedY, bgr);
                const float alpha = source.AlphaRow(storedY)[i];
                raster.Collect([&](int px, int py, double coverage) {
                    if (py < band || py >= bandEnd || px < 0 || px >= dest.width) return;
                    const size_t at = size_t(py - band) * size_t(dest.width) + size_t(px);
                    const float f = float(coverage);
                    acc.b[at] += f * float(bgr[0]), acc.g[at] += f * float(bgr[1]), acc.r[at] += f * float(bgr[2]);
                    acc.a[at] += f * alpha;
                    acc.area[at] += f;
                });
            }
        }
        for (int py = band; py < bandEnd; ++py) {
            uint8_t* row = dest.Row(dest.height - 1 - py);
            uint8_t* alphaRow = dest.AlphaRow(dest.height - 1 - py);
            for (int px = 0; px < dest.width; ++px) {
                const size_t at = size_t(py - band) * size_t(dest.width) + size_t(px);
                const float area = acc.area[at];
                if (area <= 0) continue;
                const auto mean = [area](float sum) { return std::clamp(int(sum / area + 0.5f), 0, 255); };
                writer.Put(row, px, mean(acc.b[at]), mean(acc.g[at]), mean(acc.r[at]));
                alphaRow[px] = uint8_t(std::clamp(int(acc.a[at] / std::max(1.0f, area) + 0.5f), 0, 255));
            }
        }
    }
    report.Done();
    out = std::move(made);
    return TransformOutcome::Done;
}

bool EllipsePlanes(const Planes& source, const PaletteRef& palette, int width, int height, Planes& out) {
    if (!source.IsValid() || width <= 0 || height <= 0) return false;
    Planes made;
    if (!MakePlanes(width, height, source.Layout(), 255, 0, made)) return false;
    PixelWriter writer(made, palette);
    constexpr double kRoot2 = 1.41421356237309504880;
    for (int py = 0; py < height; ++py) {
        // Pixel centres in the unit disc's coordinates, rows top-down.
        const double v = (double(py) + 0.5) / height * 2.0 - 1.0;
        uint8_t* row = made.Row(height - 1 - py);
        uint8_t* alphaRow = made.AlphaRow(height - 1 - py);
        for (int px = 0; px < width; ++px) {
            const double u = (double(px) + 0.5) / width * 2.0 - 1.0;
            if (u * u + v * v > 1.0) continue;
            // The disc back onto the square (inverse of the elliptical grid mapping).
            const double uu = u * u, vv = v * v;
            const double sx = 0.5 * std::sqrt(std::max(0.0, 2 + uu - vv + 2 * kRoot2 * u)) -
                              0.5 * std::sqrt(std::max(0.0, 2 + uu - vv - 2 * kRoot2 * u));
            const double sy = 0.5 * std::sqrt(std::max(0.0, 2 - uu + vv + 2 * kRoot2 * v)) -
                              0.5 * std::sqrt(std::max(0.0, 2 - uu + vv - 2 * kRoot2 * v));
            const double x = (std::clamp(sx, -1.0, 1.0) + 1) / 2 * source.width - 0.5;
            const double yTop = (std::clamp(sy, -1.0, 1.0) + 1) / 2 * source.height - 0.5;
            const Sample s = SampleBilinear(source, palette, x, double(source.height - 1) - yTop);
            writer.Put(row, px, s.blue, s.green, s.red);
            alphaRow[px] = s.alpha;
        }
    }
    out = std::move(made);
    return true;
}

}  // namespace quillory
