#include "processing/Resample.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "core/RowPixels.h"
#include "processing/PixelAccess.h"

namespace quillory {

namespace {

inline int FloorToInt(double v) {
    const int t = int(v);
    return t - (double(t) > v);
}

inline uint8_t NearestAlpha(const Planes& p, double x, double y) {
    const int ax = std::clamp(FloorToInt(x + 0.5), 0, p.width - 1);
    const int ay = std::clamp(FloorToInt(y + 0.5), 0, p.height - 1);
    return p.AlphaRow(ay)[ax];
}

// The whole-pixel range [first, last) under a footprint of `size` centred on c,
// at least one pixel, cut to the axis.
inline void FootprintRange(double c, double size, int extent, int& first, int& last) {
    first = int(std::trunc(c - size / 2 + 0.5));
    last = int(std::trunc(c + size / 2 + 0.5));
    first = std::clamp(first, 0, extent - 1);
    last = std::clamp(last, first + 1, extent);
}

// Bilinear position along one axis: the two neighbours (repeated past the edge)
// and the 8-bit fraction; false more than a pixel outside.
struct AxisTap {
    int a = 0, b = 0, f = 0;
    bool inside = true;
};
inline AxisTap Tap(double v, int extent) {
    AxisTap t;
    const int v0 = FloorToInt(v);
    if (v0 < -1 || v0 >= extent) {
        t.inside = false;
        return t;
    }
    t.f = int((v - double(v0)) * 256.0);
    t.a = std::clamp(v0, 0, extent - 1);
    t.b = std::clamp(v0 + 1, 0, extent - 1);
    return t;
}

// The source as blue, green, red rows: the plane itself for 24-bit pixels, else a decoded copy.
class BgrSource {
public:
    bool Prepare(const Planes& p, const PaletteRef& palette) {
        if (p.bitsPerPixel == 24) {
            m_base = p.pixels.data();
            m_stride = size_t(p.stride);
            return true;
        }
        try {
            m_copy.resize(size_t(p.width) * 3 * size_t(p.height));
        } catch (const std::bad_alloc&) {
            return false;
        }
        m_stride = size_t(p.width) * 3;
        for (int y = 0; y < p.height; ++y) {
            uint8_t* d = m_copy.data() + size_t(y) * m_stride;
            int bgr[3];
            for (int x = 0; x < p.width; ++x) {
                ColourAt(p, palette, x, y, bgr);
                d[3 * x] = uint8_t(bgr[0]), d[3 * x + 1] = uint8_t(bgr[1]), d[3 * x + 2] = uint8_t(bgr[2]);
            }
        }
        m_base = m_copy.data();
        return true;
    }
    const uint8_t* Row(int y) const { return m_base + size_t(y) * m_stride; }

private:
    std::vector<uint8_t> m_copy;
    const uint8_t* m_base = nullptr;
    size_t m_stride = 0;
};

struct Taps {
    std::vector<int> a, b, f;
};

void BilinearResize(const Planes& src, const BgrSource& bgr, Planes& out, const PaletteRef& palette,
                    RowReporter& report) {
    Taps cols;
    cols.a.resize(size_t(out.width)), cols.b.resize(size_t(out.width)), cols.f.resize(size_t(out.width));
    std::vector<int> alphaCol(size_t(out.width));
    for (int i = 0; i < out.width; ++i) {
        const double x = SourceCentre(i, src.width, out.width);
        const AxisTap t = Tap(x, src.width);
        cols.a[size_t(i)] = 3 * t.a, cols.b[size_t(i)] = 3 * t.b, cols.f[size_t(i)] = t.f;
        alphaCol[size_t(i)] = std::clamp(FloorToInt(x + 0.5), 0, src.width - 1);
    }
    PixelWriter writer(out, palette);
    std::vector<uint8_t> line(size_t(out.width) * 3);
    for (int j = 0; j < out.height; ++j) {
        report.Row(j);
        const double y = SourceCentre(j, src.height, out.height);
        const AxisTap ty = Tap(y, src.height);
        const uint8_t* r0 = bgr.Row(ty.a);
        const uint8_t* r1 = bgr.Row(ty.b);
        const int fy = ty.f;
        const bool direct = out.bitsPerPixel == 24;
        uint8_t* dest = direct ? out.Row(j) : line.data();
        for (int i = 0; i < out.width; ++i) {
            const int fx = cols.f[size_t(i)];
            const int w11 = (fx * fy) >> 8;
            const int w10 = fx - w11;
            const int w01 = fy - w11;
            const int w00 = 256 - fx - fy + w11;
            const uint8_t* p00 = r0 + cols.a[size_t(i)];
            const uint8_t* p10 = r0 + cols.b[size_t(i)];
            const uint8_t* p01 = r1 + cols.a[size_t(i)];
            const uint8_t* p11 = r1 + cols.b[size_t(i)];
            uint8_t* d = dest + 3 * size_t(i);
            for (int c = 0; c < 3; ++c)
                d[c] = uint8_t((w00 * p00[c] + w10 * p10[c] + w01 * p01[c] + w11 * p11[c]) >> 8);
        }
        if (!direct)
            for (int i = 0; i < out.width; ++i) writer.Put(out.Row(j), i, line[3 * i], line[3 * i + 1], line[3 * i + 2]);
        const uint8_t* alphaSource = src.AlphaRow(std::clamp(FloorToInt(y + 0.5), 0, src.height - 1));
        uint8_t* alphaRow = out.AlphaRow(j);
        for (int i = 0; i < out.width; ++i) alphaRow[i] = alphaSource[alphaCol[size_t(i)]];
    }
}

void AreaResize(const Planes& src, const BgrSource& bgr, Planes& out, const PaletteRef& palette, RowReporter& report) {
    const double fx = double(src.width) / double(out.width);
    const double fy = double(src.height) / double(out.height);
    std::vector<int> first(size_t(out.width)), last(size_t(out.width)), alphaCol(size_t(out.width));
    for (int i = 0; i < out.width; ++i) {
        const double x = SourceCentre(i, src.width, out.width);
        FootprintRange(x, fx, src.width, first[size_t(i)], last[size_t(i)]);
        alphaCol[size_t(i)] = std::clamp(FloorToInt(x + 0.5), 0, src.width - 1);
    }
    // Column sums of the rows under the current destination row.
    std::vector<uint32_t> sums(size_t(src.width) * 3);
    PixelWriter writer(out, palette);
    for (int j = 0; j < out.height; ++j) {
        report.Row(j);
        const double y = SourceCentre(j, src.height, out.height);
        int y0, y1;
        FootprintRange(y, fy, src.height, y0, y1);
        std::fill(sums.begin(), sums.end(), 0u);
        for (int sy = y0; sy < y1; ++sy) {
            const uint8_t* row = bgr.Row(sy);
            for (size_t k = 0; k < sums.size(); ++k) sums[k] += row[k];
        }
        const uint32_t rows = uint32_t(y1 - y0);
        uint8_t* dest = out.Row(j);
        for (int i = 0; i < out.width; ++i) {
            const int x0 = first[size_t(i)], x1 = last[size_t(i)];
            uint32_t b = 0, g = 0, r = 0;
            for (int sx = x0; sx < x1; ++sx) b += sums[3 * sx], g += sums[3 * sx + 1], r += sums[3 * sx + 2];
            const uint32_t area = rows * uint32_t(x1 - x0);
            writer.Put(dest, i, int(b / area), int(g / area), int(r / area));
        }
        const uint8_t* alphaSource = src.AlphaRow(std::clamp(FloorToInt(y + 0.5), 0, src.height - 1));
        uint8_t* alphaRow = out.AlphaRow(j);
        for (int i = 0; i < out.width; ++i) alphaRow[i] = alphaSource[alphaCol[size_t(i)]];
    }
}

}  // namespace

Sample SampleBilinear(const Planes& p, const PaletteRef& palette, double x, double y) {
    Sample s;
    const AxisTap tx = Tap(x, p.width), ty = Tap(y, p.height);
    if (!tx.inside || !ty.inside) return s;
    const int w11 = (tx.f * ty.f) >> 8;
    const int w10 = tx.f - w11;
    const int w01 = ty.f - w11;
    const int w00 = 256 - tx.f - ty.f + w11;
    int c00[3], c10[3], c01[3], c11[3];
    ColourAt(p, palette, tx.a, ty.a, c00);
    ColourAt(p, palette, tx.b, ty.a, c10);
    ColourAt(p, palette, tx.a, ty.b, c01);
    ColourAt(p, palette, tx.b, ty.b, c11);
    uint8_t out[3];
    for (int c = 0; c < 3; ++c)
        out[c] = uint8_t(uint16_t(w00 * c00[c] + w10 * c10[c] + w01 * c01[c] + w11 * c11[c]) >> 8);
    s.blue = out[0], s.green = out[1], s.red = out[2];
    s.alpha = NearestAlpha(p, x, y);
    return s;
}

Sample SampleArea(const Planes& p, const PaletteRef& palette, double x, double y, double sx, double sy) {
    if (sx <= 1 && sy <= 1) return SampleBilinear(p, palette, x, y);
    int x0, x1, y0, y1;
    FootprintRange(x, sx, p.width, x0, x1);
    FootprintRange(y, sy, p.height, y0, y1);
    uint64_t sum[3] = {};
    for (int yy = y0; yy < y1; ++yy)
        for (int xx = x0; xx < x1; ++xx) {
            int c[3];
            ColourAt(p, palette, xx, yy, c);
            for (int k = 0; k < 3; ++k) sum[k] += uint64_t(c[k]);
        }
    const uint64_t area = uint64_t(x1 - x0) * uint64_t(y1 - y0);
    Sample s;
    s.blue = uint8_t(sum[0] / area), s.green = uint8_t(sum[1] / area), s.red = uint8_t(sum[2] / area);
    s.alpha = NearestAlpha(p, x, y);
    return s;
}

int ScaledSide(int side, double factor) {
    const double v = std::trunc(double(side) * factor + 0.5);
    if (!(v >= 1)) return 1;
    return v > double(INT32_MAX) ? INT32_MAX : int(v);
}

bool ResizePlanes(const Planes& source, const PaletteRef& palette, int newWidth, int newHeight, Planes& out,
                  ProgressSink* progress) {
    if (!source.IsValid() || newWidth <= 0 || newHeight <= 0) return false;
    Planes made;
    if (!MakePlanes(newWidth, newHeight, source.Layout(), 255, 0, made)) return false;
    BgrSource bgr;
    if (!bgr.Prepare(source, palette)) return false;
    RowReporter report(progress, newHeight);
    const double fx = double(source.width) / double(newWidth);
    const double fy = double(source.height) / double(newHeight);
    if (fx <= 1 && fy <= 1)
        BilinearResize(source, bgr, made, palette, report);
    else
        AreaResize(source, bgr, made, palette, report);
    report.Done();
    out = std::move(made);
    return true;
}

}  // namespace quillory
