#include "processing/FreeTransform.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <new>
#include <thread>
#include <utility>
#include <vector>

#include "core/WorkerPool.h"
#include "processing/PixelAccess.h"
#include "processing/Resample.h"

namespace quillory {

namespace {

constexpr double kParallel = 1e-9;
constexpr int kBandRows = 64;

struct Point {
    double x, y;
};

using Pair = double __attribute__((vector_size(16)));
using PairBits = long long __attribute__((vector_size(16)));

inline Pair Load(const double* p) {
    Pair v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
inline void Store(double* p, Pair v) { std::memcpy(p, &v, sizeof v); }

// What one edge adds to the cells of a single-channel grid, per unit of covered area.
struct Single {
    double value;
    void AddTo(double* at, double coverage) const { *at += coverage * value; }
};

// Signed area coverage on a grid of rows of `cells` entries of N channels: each
// edge adds its share, times a weight per channel, to the cells it crosses; a
// running sum along each row then gives the covered area (times the weights).
// The last entry of a row takes what lies right of the grid.
template <int N>
class EdgeGrid {
public:
    // Row 0 of the grid lies at y = top.
    EdgeGrid(double* cells, int width, int rows, int top = 0) : m_cells(cells), m_w(width), m_h(rows), m_top(top) {}
    // False when the edge adds nothing to the grid's rows.
    bool Touches(Point p0, Point p1) const {
        return p0.y != p1.y && std::max(p0.y, p1.y) > m_top && std::min(p0.y, p1.y) < m_top + m_h;
    }
    template <typename Weight>
    __attribute__((always_inline)) void Edge(Point p0, Point p1, const Weight& weight) {
        if (p0.y == p1.y) return;
        p0.y -= m_top, p1.y -= m_top;
        // Most edges of a mesh near the pixel size lie within one row and one column
        // border: their signed height splits between two cells.
        const double row = std::floor(std::min(p0.y, p1.y));
        if (std::max(p0.y, p1.y) <= row + 1 && row >= 0 && row < m_h) {
            const double column = std::floor(std::min(p0.x, p1.x));
            if (std::max(p0.x, p1.x) <= column + 1 && column >= 0 && column <= m_w - 2) {
                double* line = m_cells + size_t(int(row)) * size_t(m_w) * N;
                const int xi = int(column);
                const double d = p1.y - p0.y;
                const double xmf = 0.5 * (p0.x + p1.x) - column;
                weight.AddTo(line + size_t(xi) * N, d - d * xmf);
                weight.AddTo(line + size_t(xi + 1) * N, d * xmf);
                return;
            }
        }
        double dir = 1.0;
        if (p0.y > p1.y) std::swap(p0, p1), dir = -1.0;
        const double dxdy = (p1.x - p0.x) / (p1.y - p0.y);
        double x = p0.x;
        const int yStart = std::max(0, int(std::floor(p0.y)));
        if (p0.y < 0) x -= p0.y * dxdy;
        const int yEnd = std::min(m_h, int(std::ceil(p1.y)));
        for (int y = yStart; y < yEnd; ++y) {
            double* line = m_cells + size_t(y) * size_t(m_w) * N;
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
                weight.AddTo(line + size_t(x0i) * N, d - d * xmf);
                weight.AddTo(line + size_t(x0i + 1) * N, d * xmf);
            } else {
                const double s = 1.0 / (x1 - x0);
                const double x0f = x0 - x0floor;
                const double a0 = 0.5 * s * (1.0 - x0f) * (1.0 - x0f);
                const double x1f = x1 - x1ceil + 1.0;
                const double am = 0.5 * s * x1f * x1f;
                weight.AddTo(line + size_t(x0i) * N, d * a0);
                if (x1i == x0i + 2) {
                    weight.AddTo(line + size_t(x0i + 1) * N, d * (1.0 - a0 - am));
                } else {
                    const double a1 = s * (1.5 - x0f);
                    weight.AddTo(line + size_t(x0i + 1) * N, d * (a1 - a0));
                    for (int xi = x0i + 2; xi < x1i - 1; ++xi) weight.AddTo(line + size_t(xi) * N, d * s);
                    const double a2 = a1 + double(x1i - x0i - 3) * s;
                    weight.AddTo(line + size_t(x1i - 1) * N, d * (1.0 - a2 - am));
                }
                weight.AddTo(line + size_t(x1i) * N, d * am);
            }
            x = xnext;
        }
    }

private:
    double* m_cells;
    int m_w, m_h, m_top;
};

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

// The destination box of a mesh: its top-left pixel and size, or TooLarge.
struct Box {
    double left, top;
    int width, height;
};

bool BoxOf(double minX, double maxX, double minY, double maxY, Box& box) {
    box.left = std::floor(minX), box.top = std::floor(minY);
    const double outW = std::ceil(maxX) - box.left, outH = std::ceil(maxY) - box.top;
    if (!(outW >= 1 && outH >= 1) || outW > 1e6 || outH > 1e6 || outW * outH * 4 > double(PixelByteLimit()))
        return false;
    box.width = int(outW), box.height = int(outH);
    return true;
}

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

// A run of indices first..last (none when first > last).
struct Span {
    int first = 0, last = -1;
    bool Empty() const { return first > last; }
    bool Holds(Span s) const { return s.Empty() || (first <= s.first && s.last <= last); }
    Span Meet(Span s) const { return {std::max(first, s.first), std::min(last, s.last)}; }
    Span Hull(Span s) const {
        if (Empty()) return s;
        if (s.Empty()) return *this;
        return {std::min(first, s.first), std::max(last, s.last)};
    }
    // One more at each end.
    Span Grown() const { return Empty() ? *this : Span{first - 1, last + 1}; }
    // One more before the start: the pairs (i, i + 1) with either end in the run.
    Span Widened() const { return Empty() ? *this : Span{first - 1, last}; }
    // The hull of (a ∪ b) ∩ (c ∪ d).
    static Span HullOfMeet(Span a, Span b, Span c, Span d) {
        return a.Meet(c).Hull(a.Meet(d)).Hull(b.Meet(c)).Hull(b.Meet(d));
    }
};

// The nodes of a mesh row by row, relative to the destination's top-left corner:
// the column lines kept once, nodes two at a time with one division each.
class MeshNodes {
public:
    MeshNodes(const QuadMesh& mesh, int width, int height) : m_mesh(mesh), m_w(width), m_h(height) {}
    // False for no memory.
    bool Make() {
        try {
            for (auto* line : {&m_cx, &m_cy, &m_cdx, &m_cdy}) line->resize(size_t(m_w) + 2);
            m_rows.resize(size_t(m_h) + 1);
        } catch (const std::bad_alloc&) {
            return false;
        }
        for (int i = 0; i <= m_w + 1; ++i) {
            const QuadMesh::Line c = m_mesh.Column(std::min(i, m_w));
            m_cx[size_t(i)] = c.x, m_cy[size_t(i)] = c.y, m_cdx[size_t(i)] = c.dx, m_cdy[size_t(i)] = c.dy;
        }
        for (int j = 0; j <= m_h; ++j) m_rows[size_t(j)] = m_mesh.Row(j);
        return true;
    }
    const QuadMesh::Line& RowLine(int k) const { return m_rows[size_t(k)]; }
    void Place(double left, double top) { m_left = left, m_top = top; }

    // Nodes i = first..last of row k (written two at a time up to an odd index);
    // a coordinate within a hair of a pixel border is put on it, so that sides
    // lying on borders stay in one row.
    void Row(int k, Span span, Point* nodes) const {
        if (span.Empty()) return;
        span = {span.first & ~1, span.last | 1};
        const QuadMesh::Line& row = m_rows[size_t(k)];
        const Pair rx = {row.x, row.x}, ry = {row.y, row.y}, rdx = {row.dx, row.dx}, rdy = {row.dy, row.dy};
        const Pair left = {m_left, m_left}, top = {m_top, m_top};
        const auto snap = [](Pair v) {
            const Pair round = {6755399441055744.0, 6755399441055744.0};  // 1.5 × 2^52: adding it rounds to an integer
            const Pair r = (v + round) - round;
            const Pair off = (v - r) * (v - r);
            const PairBits near = off < Pair{1e-18, 1e-18};
            return Pair((PairBits(r) & near) | (PairBits(v) & ~near));
        };
        for (int i = span.first; i <= span.last; i += 2) {
            const Pair cx = Load(&m_cx[size_t(i)]), cy = Load(&m_cy[size_t(i)]);
            const Pair cdx = Load(&m_cdx[size_t(i)]), cdy = Load(&m_cdy[size_t(i)]);
            const Pair t = ((rx - cx) * rdy - (ry - cy) * rdx) / (cdx * rdy - cdy * rdx);
            const Pair x = snap(cx + t * cdx - left), y = snap(cy + t * cdy - top);
            nodes[size_t(i)] = {x[0], y[0]};
            nodes[size_t(i) + 1] = {x[1], y[1]};
        }
    }

    // The height of node i of a row relative to the destination (before snapping).
    double Y(const QuadMesh::Line& row, int i) const {
        const double cx = m_cx[size_t(i)], cy = m_cy[size_t(i)], cdx = m_cdx[size_t(i)], cdy = m_cdy[size_t(i)];
        const double t = ((row.x - cx) * row.dy - (row.y - cy) * row.dx) / (cdx * row.dy - cdy * row.dx);
        return cy + t * cdy - m_top;
    }

    // Every node of row k exactly as QuadMesh::Node places it, in layer pixels, to
    // fn(x, y); false when a node's lines are parallel.
    template <typename Take>
    bool Check(int k, Take take) const {
        const QuadMesh::Line& row = m_rows[size_t(k)];
        for (int i = 0; i <= m_w; ++i) {
            double x, y;
            if (!QuadMesh::Meet({m_cx[size_t(i)], m_cy[size_t(i)], m_cdx[size_t(i)], m_cdy[size_t(i)]}, row, x, y))
                return false;
            take(x, y);
        }
        return true;
    }

private:
    const QuadMesh& m_mesh;
    int m_w, m_h;
    double m_left = 0, m_top = 0;
    std::vector<double> m_cx, m_cy, m_cdx, m_cdy;  // the column lines
    std::vector<QuadMesh::Line> m_rows;
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

// A convex quadrilateral's cells tile it, all turning the same way. Then a
// destination pixel's sums are the running sums along its row of what every mesh
// edge adds there, weighted by the difference between the two cells the edge
// parts (nothing outside the mesh): each edge is walked once, not once per cell.
// Inside the mesh neighbouring cells both count fully, so only the outline adds
// to the covered area, kept in a grid of its own.
class ConvexSweep {
public:
    static constexpr int kChannels = 4;  // blue, green, red, opacity
    // Running sums in double: a row's sums telescope over thousands of edges.
    // About 8 rows of a 4000-pixel-wide picture to a band.
    static constexpr size_t kBandCells = size_t(32) << 10;

    ConvexSweep(const Planes& source, const PaletteRef& palette, const QuadMesh& mesh)
        : m_source(source), m_palette(palette), m_mesh(mesh), m_w(source.width), m_h(source.height), m_nodes(mesh, m_w, m_h) {}

    TransformOutcome Run(MappedPlanes& out, ProgressSink* progress) {
        if (!Frame()) return TransformOutcome::Degenerate;
        Box box;
        if (!BoxOf(m_minX, m_maxX, m_minY, m_maxY, box)) return TransformOutcome::TooLarge;
        m_left = box.left, m_top = box.top;
        MappedPlanes made;
        made.left = int(m_left), made.top = int(m_top);
        if (!MakePlanes(box.width, box.height, m_source.Layout(), 255, 0, made.planes)) return TransformOutcome::NoMemory;
        const int gridWidth = box.width + 2;
        const int bandRows = int(std::clamp(kBandCells / size_t(gridWidth), size_t(1), size_t(64)));
        const size_t gridCells = size_t(gridWidth) * size_t(std::min(bandRows, box.height));
        if (!m_nodes.Make()) return TransformOutcome::NoMemory;
        m_nodes.Place(m_left, m_top);
        m_sign = -m_mesh.Orientation();
        Planes& dest = made.planes;
        // Bands are independent: each thread sweeps its own run of them with grids of its own.
        const int bands = (dest.height + bandRows - 1) / bandRows;
        const std::thread::id caller = std::this_thread::get_id();
        RowReporter report(progress, bands);
        std::atomic<int> bandsDone{0};
        std::atomic<bool> noMemory{false};
        RunInBands(bands, 1, [&](int first, int end) {
            Work work;
            try {
                work.grid.assign(gridCells * kChannels, 0.0);
                work.area.assign(gridCells, 0.0);
                for (auto& slot : work.nodes.slots) slot.data.resize(size_t(m_w) + 2);
                for (auto& slot : work.colours.slots) slot.data.assign((size_t(m_w) + 2) * kChannels, 0.0);
            } catch (const std::bad_alloc&) {
                noMemory = true;
                return;
            }
            PixelWriter writer(dest, m_palette);
            for (int b = first; b < end && !noMemory; ++b) {
                const int band = b * bandRows, rows = std::min(bandRows, dest.height - band);
                Sweep(work, EdgeGrid<kChannels>(work.grid.data(), gridWidth, rows, band),
                      EdgeGrid<1>(work.area.data(), gridWidth, rows, band), band, rows);
                Finish(work, dest, writer, band, rows, gridWidth);
                const int done = ++bandsDone;
                if (std::this_thread::get_id() == caller) report.Row(done);
            }
        });
        report.Done();
        if (noMemory) return TransformOutcome::NoMemory;
        out = std::move(made);
        return TransformOutcome::Done;
    }

private:
    // The blue, green, red and opacity an edge adds per unit of covered area.
    struct Colour {
        Pair bg, ra;
        void AddTo(double* at, double coverage) const {
            const Pair c = {coverage, coverage};
            Store(at, Load(at) + c * bg), Store(at + 2, Load(at + 2) + c * ra);
        }
    };

    // The outer nodes bound the mesh; the ends of each row line bound that row.
    bool Frame() {
        m_rowTop.resize(size_t(m_h) + 1), m_rowBottom.resize(size_t(m_h) + 1);
        m_minX = m_minY = INFINITY, m_maxX = m_maxY = -INFINITY;
        const auto take = [this](int i, int j, double& x, double& y) {
            if (!m_mesh.Node(i, j, x, y)) return false;
            m_minX = std::min(m_minX, x), m_maxX = std::max(m_maxX, x);
            m_minY = std::min(m_minY, y), m_maxY = std::max(m_maxY, y);
            return true;
        };
        double x, y, x2, y2;
        for (int j = 0; j <= m_h; ++j) {
            if (!take(0, j, x, y) || !take(m_w, j, x2, y2)) return false;
            m_rowTop[size_t(j)] = std::min(y, y2), m_rowBottom[size_t(j)] = std::max(y, y2);
        }
        for (int i = 1; i < m_w; ++i)
            if (!take(i, 0, x, y) || !take(i, m_h, x, y)) return false;
        return true;
    }

    // The nodes of a row lie in order along a line, so their heights run one way:
    // the i with a node above `limit` (y < limit), and those below it, each form
    // a run at one end of the row.
    // `hint` is where the border was last time (the next row's lies near it), and
    // receives where it is now.
    Span Above(int k, double limit, int& hint) const { return Run(k, limit, true, hint); }
    Span Below(int k, double limit, int& hint) const { return Run(k, limit, false, hint); }
    Span Run(int k, double limit, bool above, int& hint) const {
        const QuadMesh::Line& row = m_nodes.RowLine(k);
        const auto in = [&](int i) {
            const double y = m_nodes.Y(row, i);
            return above ? y < limit : y > limit;
        };
        const bool atStart = in(0), atEnd = in(m_w);
        if (atStart == atEnd) return atStart ? Span{0, m_w} : Span{};
        int inside = atStart ? 0 : m_w, outside = atStart ? m_w : 0;
        // Gallop from the hint to bracket the border, then halve the bracket.
        const int toward = atStart ? 1 : -1;  // from the inside end toward the outside one
        const int start = m_w > 1 ? std::clamp(hint, 1, m_w - 1) : 0;
        if (m_w > 1 && in(start)) {
            inside = start;
            for (int step = 1;; step *= 2) {
                const int t = start + toward * step;
                if (toward * (t - outside) >= 0) break;
                if (!in(t)) {
                    outside = t;
                    break;
                }
                inside = t;
            }
        } else if (m_w > 1) {
            outside = start;
            for (int step = 1;; step *= 2) {
                const int t = start - toward * step;
                if (toward * (t - inside) <= 0) break;
                if (in(t)) {
                    inside = t;
                    break;
                }
                outside = t;
            }
        }
        while (std::abs(inside - outside) > 1) {
            const int mid = (inside + outside) / 2;
            (in(mid) ? inside : outside) = mid;
        }
        hint = inside;
        return atStart ? Span{0, inside} : Span{inside, m_w};
    }

    // Blue, green, red and opacity of cells first..last of row j, signed so that
    // the areas come out positive; cell i at entry i + 1, a zero cell either side.
    void ColourRow(int j, Span span, double* colours) const {
        const double s = m_sign;
        double* at = colours + size_t(span.first + 1) * kChannels;
        if (j < 0 || j >= m_h) {
            std::fill(at, at + size_t(span.last - span.first + 1) * kChannels, 0.0);
            return;
        }
        const int storedY = m_h - 1 - j;
        const uint8_t* alpha = m_source.AlphaRow(storedY);
        if (m_source.bitsPerPixel >= 24) {
            const int step = m_source.bitsPerPixel / 8;
            const uint8_t* p = m_source.Row(storedY) + size_t(span.first) * size_t(step);
            for (int i = span.first; i <= span.last; ++i, p += step, at += kChannels)
                at[0] = s * p[0], at[1] = s * p[1], at[2] = s * p[2], at[3] = s * alpha[i];
            return;
        }
        for (int i = span.first; i <= span.last; ++i, at += kChannels) {
            int bgr[3];
            ColourAt(m_source, m_palette, i, storedY, bgr);
            at[0] = s * bgr[0], at[1] = s * bgr[1], at[2] = s * bgr[2], at[3] = s * alpha[i];
        }
    }

    // Two rows kept of nodes or of colours: rows j and j + 1 serve cell row j, and
    // row j + 1 again for cell row j + 1.
    template <typename T>
    struct RowPair {
        struct Slot {
            int row = -3;
            Span have;
            std::vector<T> data;
        } slots[2];
        // The slot holding row k with at least `need`, filled by fill(k, span, data) when not;
        // the slot of row `keep` stays.
        template <typename Fill>
        T* Get(int k, Span need, int keep, Fill fill) {
            Slot* slot = slots[0].row == k ? &slots[0] : slots[1].row == k ? &slots[1] : nullptr;
            if (slot && slot->have.Holds(need)) return slot->data.data();
            if (!slot) slot = slots[0].row == keep ? &slots[1] : &slots[0];
            slot->row = k, slot->have = need;
            fill(k, need, slot->data.data());
            return slot->data.data();
        }
    };

    // What one thread sweeps with: a band's running sums, and its rows of nodes and colours.
    struct Work {
        std::vector<double> grid, area;
        RowPair<Point> nodes;
        RowPair<double> colours;
    };

    // Every edge of the cell rows that reach the band. The edge from node (i, j) down
    // to (i, j + 1) parts cell i − 1 from cell i; the one from (i, j) to (i + 1, j)
    // parts cell (i, j) from the cell above it. Only the run of edges that can
    // reach the band is walked, so a turned mesh is not walked whole for every band.
    void Sweep(Work& work, EdgeGrid<kChannels> grid, EdgeGrid<1> area, int band, int rows) const {
        const auto difference = [](const double* plus, const double* minus) {
            return Colour{Load(plus) - Load(minus), Load(plus + 2) - Load(minus + 2)};
        };
        const Single inside{m_sign}, outside{-m_sign};
        const auto nodeRow = [this](int k, Span span, Point* nodes) { m_nodes.Row(k, span, nodes); };
        const auto colourRow = [this](int k, Span span, double* colours) { ColourRow(k, span, colours); };
        const double bandTop = band, bandBottom = band + rows;
        const Span all{0, m_w};
        int runsOf = -1;
        Span runs[2];
        int hints[2] = {m_w / 2, m_w / 2};
        for (int j = 0; j < m_h; ++j) {
            const double cellTop = std::min(m_rowTop[size_t(j)], m_rowTop[size_t(j) + 1]) - m_top;
            const double cellBottom = std::max(m_rowBottom[size_t(j)], m_rowBottom[size_t(j) + 1]) - m_top;
            if (cellBottom <= bandTop || cellTop >= bandBottom) continue;
            // Edges reaching the band have an end above its bottom and one below its top.
            // Row j + 1's runs serve again as row j's for the next cell row.
            if (runsOf != j) runsOf = j, runs[0] = Above(j, bandBottom, hints[0]), runs[1] = Below(j, bandTop, hints[1]);
            const Span aboveJ = runs[0], belowJ = runs[1];
            const Span aboveK = Above(j + 1, bandBottom, hints[0]), belowK = Below(j + 1, bandTop, hints[1]);
            runsOf = j + 1, runs[0] = aboveK, runs[1] = belowK;
            const Span down = Span::HullOfMeet(aboveJ, aboveK, belowJ, belowK);
            const Span across = Span::HullOfMeet(aboveJ.Widened(), aboveJ.Widened(), belowJ.Widened(), belowJ.Widened())
                                    .Meet({0, m_w - 1});
            const bool last = j == m_h - 1;
            const Span acrossLast = last ? Span::HullOfMeet(aboveK.Widened(), aboveK.Widened(), belowK.Widened(),
                                                             belowK.Widened()).Meet({0, m_w - 1})
                                         : Span{};
            const Point* upper = work.nodes.Get(j, down.Hull(across.Grown()).Meet(all), j + 1, nodeRow);
            const Point* lower = work.nodes.Get(j + 1, down.Hull(acrossLast.Grown()).Meet(all), j, nodeRow);
            const Span cells = (down.Empty() ? down : Span{down.first - 1, down.last}).Hull(across).Hull(acrossLast).Meet({0, m_w - 1});
            const double* here = work.colours.Get(j, cells, j - 1, colourRow);
            const double* above = work.colours.Get(j - 1, across, j, colourRow);
            for (int i = down.first; i <= down.last; ++i) {
                const Point p0 = upper[size_t(i)], p1 = lower[size_t(i)];
                if (grid.Touches(p0, p1))
                    grid.Edge(p0, p1, difference(here + size_t(i) * kChannels, here + size_t(i + 1) * kChannels));
            }
            for (int i = across.first; i <= across.last; ++i) {
                const Point p0 = upper[size_t(i)], p1 = upper[size_t(i) + 1];
                if (grid.Touches(p0, p1))
                    grid.Edge(p0, p1, difference(here + size_t(i + 1) * kChannels, above + size_t(i + 1) * kChannels));
            }
            // The outline: the left and right sides, the top and the bottom.
            if (!down.Empty() && down.first == 0) area.Edge(upper[0], lower[0], outside);
            if (down.last == m_w) area.Edge(upper[size_t(m_w)], lower[size_t(m_w)], inside);
            if (j == 0)
                for (int i = across.first; i <= across.last; ++i) area.Edge(upper[size_t(i)], upper[size_t(i) + 1], inside);
            if (last) {
                static const double kNothing[kChannels] = {};
                for (int i = acrossLast.first; i <= acrossLast.last; ++i) {
                    const Point p0 = lower[size_t(i)], p1 = lower[size_t(i) + 1];
                    if (!grid.Touches(p0, p1)) continue;
                    grid.Edge(p0, p1, difference(kNothing, here + size_t(i + 1) * kChannels));
                    area.Edge(p0, p1, outside);
                }
            }
        }
    }

    // Running sums along each row of the band become pixels; the grids are left zeroed.
    void Finish(Work& work, Planes& dest, PixelWriter& writer, int band, int rows, int gridWidth) const {
        const bool direct = dest.bitsPerPixel >= 24;
        const int step = dest.bitsPerPixel / 8;
        for (int y = 0; y < rows; ++y) {
            double* cell = work.grid.data() + size_t(y) * size_t(gridWidth) * kChannels;
            double* areaCell = work.area.data() + size_t(y) * size_t(gridWidth);
            uint8_t* row = dest.Row(dest.height - 1 - band - y);
            uint8_t* alphaRow = dest.AlphaRow(dest.height - 1 - band - y);
            Pair bg = {0, 0}, ra = {0, 0};
            double area = 0;
            const Pair zero = {0, 0};
            for (int px = 0; px < dest.width; ++px, cell += kChannels) {
                bg += Load(cell), ra += Load(cell + 2), area += areaCell[px];
                Store(cell, zero), Store(cell + 2, zero), areaCell[px] = 0;
                if (!(area > kEmpty)) continue;
                const double inverse = 1.0 / area;
                const Pair half = {0.5, 0.5};
                const Pair meanBG = bg * Pair{inverse, inverse} + half;
                const Pair meanRA = ra * Pair{inverse, area > 1 ? inverse : 1.0} + half;
                const auto level = [](double v) { return uint8_t(std::clamp(int(v), 0, 255)); };
                if (direct) {
                    uint8_t* q = row + size_t(px) * size_t(step);
                    q[0] = level(meanBG[0]), q[1] = level(meanBG[1]), q[2] = level(meanRA[0]);
                } else {
                    writer.Put(row, px, level(meanBG[0]), level(meanBG[1]), level(meanRA[0]));
                }
                alphaRow[px] = level(meanRA[1]);
            }
            // What lies right of the last pixel.
            std::fill(cell, cell + 2 * kChannels, 0.0);
            areaCell[dest.width] = areaCell[dest.width + 1] = 0;
        }
    }

    // Less covered area than this is rounding noise of the running sums.
    static constexpr double kEmpty = 1e-9;

    const Planes& m_source;
    const PaletteRef& m_palette;
    const QuadMesh& m_mesh;
    int m_w, m_h;
    double m_minX = 0, m_maxX = 0, m_minY = 0, m_maxY = 0, m_left = 0, m_top = 0, m_sign = 1;
    std::vector<double> m_rowTop, m_rowBottom;
    MeshNodes m_nodes;
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

QuadMesh::Line QuadMesh::Column(int i) const {
    const double* p0 = m_p[0];
    const double* p1 = m_p[1];
    const double* p2 = m_p[2];
    const double* p3 = m_p[3];
    // The same fraction from the left along the top and the bottom side.
    const double a1x = p0[0] + double(i) * (p1[0] - p0[0]) / m_w, a1y = p0[1] + double(i) * (p1[1] - p0[1]) / m_w;
    const double a2x = p3[0] + double(i) * (p2[0] - p3[0]) / m_w, a2y = p3[1] + double(i) * (p2[1] - p3[1]) / m_w;
    return {a1x, a1y, a2x - a1x, a2y - a1y};
}

QuadMesh::Line QuadMesh::Row(int j) const {
    const double* p0 = m_p[0];
    const double* p1 = m_p[1];
    const double* p2 = m_p[2];
    const double* p3 = m_p[3];
    // The same fraction from the top along the right and the left side.
    const double b1x = p1[0] + double(j) * (p2[0] - p1[0]) / m_h, b1y = p1[1] + double(j) * (p2[1] - p1[1]) / m_h;
    const double b2x = p0[0] + double(j) * (p3[0] - p0[0]) / m_h, b2y = p0[1] + double(j) * (p3[1] - p0[1]) / m_h;
    return {b1x, b1y, b2x - b1x, b2y - b1y};
}

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
    if (mesh.IsConvex()) return ConvexSweep(source, palette, mesh).Run(out, progress);
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
