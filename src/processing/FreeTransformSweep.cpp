#include "processing/MeshCoverage.h"

#include <atomic>
#include <thread>

#include "core/WorkerPool.h"
#include "processing/PixelAccess.h"

namespace quillory::mesh {

namespace {

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
        : m_source(source), m_palette(palette), m_mesh(mesh), m_w(source.width), m_h(source.height),
          m_nodes(mesh, m_w, m_h) {}

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
    Span Above(int k, double limit, int& hint) const { return EndRun(k, limit, true, hint); }
    Span Below(int k, double limit, int& hint) const { return EndRun(k, limit, false, hint); }
    Span EndRun(int k, double limit, bool above, int& hint) const {
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
            const Span leftOfDown = down.Empty() ? down : Span{down.first - 1, down.last};
            const Span cells = leftOfDown.Hull(across).Hull(acrossLast).Meet({0, m_w - 1});
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

TransformOutcome SweepConvex(const Planes& source, const PaletteRef& palette, const QuadMesh& mesh, MappedPlanes& out,
                             ProgressSink* progress) {
    return ConvexSweep(source, palette, mesh).Run(out, progress);
}

}  // namespace quillory::mesh
