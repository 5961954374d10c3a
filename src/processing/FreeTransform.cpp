#include "processing/FreeTransform.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <utility>
#include <vector>

#include "processing/MeshCoverage.h"
#include "processing/PixelAccess.h"
#include "processing/Resample.h"

namespace quillory {

namespace {

using namespace mesh;

constexpr double kParallel = 1e-9;
constexpr int kBandRows = 64;

// The covered area of one polygon on a small grid of pixels.
class CellRaster {
public:
    // Grid of w × h pixels whose (0, 0) is at (originX, originY).
    void Reset(int originX, int originY, int w, int h) {
        m_ox = originX, m_oy = originY, m_w = w + 2, m_h = h;
        m_acc.assign(size_t(m_w) * size_t(m_h), 0.0);
    }
    void Edge(Point p0, Point p1) {
        p0.x -= m_ox, p0.y -= m_oy, p1.x -= m_ox, p1.y -= m_oy;
        EdgeGrid<1>(m_acc.data(), m_w, m_h).Edge(p0, p1, Single{1.0});
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

// Writes one destination pixel from its sums of colour, opacity and area.
inline void PutMean(PixelWriter& writer, uint8_t* row, uint8_t* alphaRow, int px, double b, double g, double r,
                    double a, double area) {
    const double inverse = 1.0 / area;
    const auto mean = [inverse](double sum) { return std::clamp(int(sum * inverse + 0.5), 0, 255); };
    writer.Put(row, px, mean(b), mean(g), mean(r));
    alphaRow[px] = uint8_t(std::clamp(int(a / std::max(1.0, area) + 0.5), 0, 255));
}

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

// Any quadrilateral, folded meshes included: every cell rasterised on its own
// grid, its coverage taken unsigned.
TransformOutcome MapCells(const Planes& source, const PaletteRef& palette, const QuadMesh& mesh, MappedPlanes& out,
                          ProgressSink* progress) {
    const int w = source.width, h = source.height;
    MeshNodes nodes(mesh, w, h);
    if (!nodes.Make()) return TransformOutcome::NoMemory;
    // Every node first: a parallel pair refuses the whole transform before anything is made.
    std::vector<double> rowTop(size_t(h) + 1), rowBottom(size_t(h) + 1);
    double minX = INFINITY, maxX = -INFINITY, minY = INFINITY, maxY = -INFINITY;
    for (int j = 0; j <= h; ++j) {
        double top = INFINITY, bottom = -INFINITY;
        const bool met = nodes.Check(j, [&](double x, double y) {
            minX = std::min(minX, x), maxX = std::max(maxX, x);
            top = std::min(top, y), bottom = std::max(bottom, y);
        });
        if (!met) return TransformOutcome::Degenerate;
        rowTop[size_t(j)] = top, rowBottom[size_t(j)] = bottom;
        minY = std::min(minY, top), maxY = std::max(maxY, bottom);
    }
    Box box;
    if (!BoxOf(minX, maxX, minY, maxY, box)) return TransformOutcome::TooLarge;
    const double left = box.left, top = box.top;
    nodes.Place(left, top);

    MappedPlanes made;
    made.left = int(left), made.top = int(top);
    if (!MakePlanes(box.width, box.height, source.Layout(), 255, 0, made.planes)) return TransformOutcome::NoMemory;
    Planes& dest = made.planes;
    Accumulator acc;
    if (!acc.Make(dest.width, std::min(kBandRows, dest.height))) return TransformOutcome::NoMemory;
    PixelWriter writer(dest, palette);
    RowReporter report(progress, dest.height);
    CellRaster raster;
    std::vector<Point> upper(size_t(w) + 2), lower(size_t(w) + 2);

    for (int band = 0; band < dest.height; band += kBandRows) {
        report.Row(band);
        const int bandEnd = std::min(dest.height, band + kBandRows);
        acc.Clear();
        int last = -2;
        for (int j = 0; j < h; ++j) {
            // Cell row j lies between node rows j and j + 1.
            const double cellTop = std::min(rowTop[size_t(j)], rowTop[size_t(j) + 1]) - top;
            const double cellBottom = std::max(rowBottom[size_t(j)], rowBottom[size_t(j) + 1]) - top;
            if (cellBottom <= band || cellTop >= bandEnd) continue;
            if (j == last + 1)
                std::swap(upper, lower);
            else
                nodes.Row(j, {0, w}, upper.data());
            nodes.Row(j + 1, {0, w}, lower.data());
            last = j;
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
                PutMean(writer, row, alphaRow, px, acc.b[at], acc.g[at], acc.r[at], acc.a[at], area);
            }
        }
    }
    report.Done();
    out = std::move(made);
    return TransformOutcome::Done;
}
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

namespace {

// The line through the point at k / n along a → b and the point at k / n along c → d.
QuadMesh::Line Across(const double* a, const double* b, const double* c, const double* d, int k, int n) {
    const double x1 = a[0] + double(k) * (b[0] - a[0]) / n, y1 = a[1] + double(k) * (b[1] - a[1]) / n;
    const double x2 = c[0] + double(k) * (d[0] - c[0]) / n, y2 = c[1] + double(k) * (d[1] - c[1]) / n;
    return {x1, y1, x2 - x1, y2 - y1};
}

}  // namespace

// The same fraction from the left along the top and the bottom side.
QuadMesh::Line QuadMesh::Column(int i) const { return Across(m_p[0], m_p[1], m_p[3], m_p[2], i, m_w); }

// The same fraction from the top along the right and the left side.
QuadMesh::Line QuadMesh::Row(int j) const { return Across(m_p[1], m_p[2], m_p[0], m_p[3], j, m_h); }

bool QuadMesh::Meet(const Line& a, const Line& b, double& x, double& y) {
    const double det = a.dx * b.dy - a.dy * b.dx;
    if (!(std::fabs(det) >= kParallel)) return false;
    const double num = (b.x - a.x) * b.dy - (b.y - a.y) * b.dx;
    x = a.x + num * a.dx / det;
    y = a.y + num * a.dy / det;
    return std::isfinite(x) && std::isfinite(y);
}

bool QuadMesh::IsConvex() const {
    int sign = 0;
    for (int k = 0; k < 4; ++k) {
        const double* a = m_p[k];
        const double* b = m_p[(k + 1) % 4];
        const double* c = m_p[(k + 2) % 4];
        const double turn = (b[0] - a[0]) * (c[1] - b[1]) - (b[1] - a[1]) * (c[0] - b[0]);
        if (!std::isfinite(turn) || turn == 0) return false;
        const int s = turn > 0 ? 1 : -1;
        if (sign != 0 && s != sign) return false;
        sign = s;
    }
    return true;
}

int QuadMesh::Orientation() const {
    double twiceArea = 0;
    for (int k = 0; k < 4; ++k) twiceArea += m_p[k][0] * m_p[(k + 1) % 4][1] - m_p[(k + 1) % 4][0] * m_p[k][1];
    return twiceArea >= 0 ? 1 : -1;
}

TransformOutcome FreeTransformPlanes(const Planes& source, const PaletteRef& palette, const Quad& quad,
                                     MappedPlanes& out, ProgressSink* progress) {
    if (!source.IsValid()) return TransformOutcome::Degenerate;
    const QuadMesh mesh(quad, source.width, source.height);
    if (mesh.IsConvex()) return SweepConvex(source, palette, mesh, out, progress);
    return MapCells(source, palette, mesh, out, progress);
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
