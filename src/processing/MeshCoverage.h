#pragma once
// The pieces the free transform's two mappings share: mesh nodes row by row, and
// signed area coverage of polygon edges on a grid of cells (each edge adds its
// share to the cells it crosses; running sums along the rows give the areas).
#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "core/NyZazo.h"
#include "processing/FreeTransform.h"

namespace quillory::mesh {

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

// The destination box of a mesh: its top-left pixel and size, or TooLarge.
struct Box {
    double left, top;
    int width, height;
};

inline bool BoxOf(double minX, double maxX, double minY, double maxY, Box& box) {
    box.left = std::floor(minX), box.top = std::floor(minY);
    const double outW = std::ceil(maxX) - box.left, outH = std::ceil(maxY) - box.top;
    if (!(outW >= 1 && outH >= 1) || outW > 1e6 || outH > 1e6 || outW * outH * 4 > double(PixelByteLimit()))
        return false;
    box.width = int(outW), box.height = int(outH);
    return true;
}

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

// Maps a convex quadrilateral's mesh by sweeping its edges (FreeTransformSweep.cpp).
TransformOutcome SweepConvex(const Planes& source, const PaletteRef& palette, const QuadMesh& mesh, MappedPlanes& out,
                             ProgressSink* progress);

}  // namespace quillory::mesh
