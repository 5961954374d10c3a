#include "processing/FlipRotate.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "core/RowPixels.h"

namespace quillory {

namespace {

constexpr double kHalfPi = 1.57079632679489661923;

inline int FloorToInt(double v) {
    const int t = int(v);
    return t - (double(t) > v);
}

// One pixel copied between rows of the same depth.
inline void CopyPixel(const uint8_t* from, int fx, uint8_t* to, int tx, int bitsPerPixel) {
    switch (bitsPerPixel) {
        case 32: std::memcpy(to + 4 * size_t(tx), from + 4 * size_t(fx), 4); break;
        case 24: std::memcpy(to + 3 * size_t(tx), from + 3 * size_t(fx), 3); break;
        case 8: to[tx] = from[fx]; break;
        default: PutRowIndex(to, tx, bitsPerPixel, RowIndex(from, fx, bitsPerPixel)); break;
    }
}

void FillRow(uint8_t* row, int width, int bitsPerPixel, const OutsideFill& fill) {
    for (int x = 0; x < width; ++x) {
        switch (bitsPerPixel) {
            case 32:
            case 24: {
                uint8_t* p = row + size_t(x) * size_t(bitsPerPixel / 8);
                p[0] = fill.colour.blue, p[1] = fill.colour.green, p[2] = fill.colour.red;
                if (bitsPerPixel == 32) p[3] = 0;
                break;
            }
            case 8: row[x] = fill.index; break;
            default: PutRowIndex(row, x, bitsPerPixel, fill.index); break;
        }
    }
}

// Whole-byte pixels of a fixed size: the hot loops copy them without a switch.
template <int Bytes>
inline void CopyBytes(const uint8_t* from, uint8_t* to) {
    if constexpr (Bytes == 1) {
        *to = *from;
    } else if constexpr (Bytes == 3) {
        to[0] = from[0], to[1] = from[1], to[2] = from[2];
    } else {
        std::memcpy(to, from, Bytes);
    }
}

// A quarter turn as a linear walk: output pixel (ox, oy) is source pixel
// (ax + ox·axx + oy·axy, ay + ox·ayx + oy·ayy).
struct QuarterMap {
    int ax, axx, axy, ay, ayx, ayy;
    int SourceX(int ox, int oy) const { return ax + ox * axx + oy * axy; }
    int SourceY(int ox, int oy) const { return ay + ox * ayx + oy * ayy; }
};

// One plane of whole-byte pixels (Bytes each, rows `pitch` bytes apart) moved by a
// quarter turn in square tiles, so that the rows read and the rows written both stay
// in the first-level cache. 3-byte pixels move as 4-byte words: the spare byte lands
// on the next pixel of the tile row, which is written after it; the last pixel of
// each tile row, and a row starting on the plane's final pixel, move byte by byte.
template <int Bytes>
void PermutePlane(const std::vector<uint8_t>& from, ptrdiff_t fromPitch, uint8_t* to, ptrdiff_t toPitch, int width,
                  int height, const QuarterMap& m, RowReporter* report) {
    constexpr int kTile = 64;
    const uint8_t* src = from.data();
    const ptrdiff_t base = ptrdiff_t(m.ay) * fromPitch + ptrdiff_t(m.ax) * Bytes;
    const ptrdiff_t stepX = ptrdiff_t(m.ayx) * fromPitch + ptrdiff_t(m.axx) * Bytes;
    const ptrdiff_t stepY = ptrdiff_t(m.ayy) * fromPitch + ptrdiff_t(m.axy) * Bytes;
    const ptrdiff_t lastPixel = ptrdiff_t(from.size()) - Bytes;
    for (int ty = 0; ty < height; ty += kTile) {
        if (report) report->Row(ty);
        const int yEnd = std::min(height, ty + kTile);
        for (int tx = 0; tx < width; tx += kTile) {
            const int n = std::min(width, tx + kTile) - tx;
            for (int oy = ty; oy < yEnd; ++oy) {
                ptrdiff_t s = base + ptrdiff_t(oy) * stepY + ptrdiff_t(tx) * stepX;
                uint8_t* d = to + ptrdiff_t(oy) * toPitch + ptrdiff_t(tx) * Bytes;
                if constexpr (Bytes == 3) {
                    int i = 0;
                    if (s != lastPixel) {
                        for (; i < n - 1; ++i, s += stepX, d += 3) {
                            uint32_t word;
                            std::memcpy(&word, src + s, 4);
                            std::memcpy(d, &word, 4);
                        }
                    }
                    for (; i < n; ++i, s += stepX, d += 3) CopyBytes<3>(src + s, d);
                } else {
                    for (int i = 0; i < n; ++i, s += stepX, d += Bytes) CopyBytes<Bytes>(src + s, d);
                }
            }
        }
    }
}

// Indexed pixels under a byte: one index at a time through the map, in tiles.
void PermuteIndices(const Planes& src, Planes& out, const QuarterMap& m, RowReporter& report) {
    constexpr int kTile = 64;
    for (int ty = 0; ty < out.height; ty += kTile) {
        report.Row(ty);
        const int yEnd = std::min(out.height, ty + kTile);
        for (int tx = 0; tx < out.width; tx += kTile) {
            const int xEnd = std::min(out.width, tx + kTile);
            for (int oy = ty; oy < yEnd; ++oy) {
                uint8_t* row = out.Row(oy);
                for (int ox = tx; ox < xEnd; ++ox)
                    PutRowIndex(row, ox, src.bitsPerPixel,
                                RowIndex(src.Row(m.SourceY(ox, oy)), m.SourceX(ox, oy), src.bitsPerPixel));
            }
        }
    }
}

void Permute(const Planes& src, Planes& out, const QuarterMap& m, RowReporter& report) {
    switch (src.bitsPerPixel) {
        case 32: PermutePlane<4>(src.pixels, src.stride, out.pixels.data(), out.stride, out.width, out.height, m, &report); break;
        case 24: PermutePlane<3>(src.pixels, src.stride, out.pixels.data(), out.stride, out.width, out.height, m, &report); break;
        case 8: PermutePlane<1>(src.pixels, src.stride, out.pixels.data(), out.stride, out.width, out.height, m, &report); break;
        default: PermuteIndices(src, out, m, report); break;
    }
    PermutePlane<1>(src.alpha, src.width, out.alpha.data(), out.width, out.width, out.height, m, nullptr);
}

// The range [first, last) of output columns whose source coordinate `at(ox)` lies in
// [lo, hi). `at` is monotonic in ox (a rounded product plus a constant, floored), so
// the range is one interval and a binary search finds each end.
template <typename At>
std::pair<int, int> MonotonicSpan(int count, At at, int lo, int hi) {
    auto firstWhere = [count](auto pred) {
        int a = 0, b = count;
        while (a < b) {
            const int mid = a + (b - a) / 2;
            if (pred(mid)) b = mid; else a = mid + 1;
        }
        return a;
    };
    if (at(0) <= at(count - 1))
        return {firstWhere([&](int ox) { return at(ox) >= lo; }), firstWhere([&](int ox) { return at(ox) >= hi; })};
    return {firstWhere([&](int ox) { return at(ox) < hi; }), firstWhere([&](int ox) { return at(ox) < lo; })};
}

template <int Bytes>
void RotateGeneral(const Planes& src, Planes& out, const RotatedBox& box, const RotationMapping& m,
                   const OutsideFill& fill, RowReporter& report) {
    std::vector<const uint8_t*> rows(size_t(src.height)), alphaRows(size_t(src.height));
    for (int y = 0; y < src.height; ++y) rows[size_t(y)] = src.Row(y), alphaRows[size_t(y)] = src.AlphaRow(y);
    // 3-byte pixels are read as 4-byte words; a last row with no padding after it is
    // read from a copy that has some.
    std::vector<uint8_t> lastRow;
    if (Bytes == 3 && src.pixels.size() < size_t(src.height - 1) * size_t(src.stride) + size_t(src.width) * 3 + 1) {
        lastRow.assign(size_t(src.width) * 3 + 4, 0);
        std::memcpy(lastRow.data(), src.Row(src.height - 1), size_t(src.width) * 3);
        rows.back() = lastRow.data();
    }
    std::vector<uint8_t> fillPixel(Bytes > 0 ? Bytes : 1);
    FillRow(fillPixel.data(), 1, Bytes > 0 ? Bytes * 8 : 8, fill);
    auto putFill = [&](uint8_t* row, int ox) {
        if constexpr (Bytes == 0) {
            PutRowIndex(row, ox, src.bitsPerPixel, fill.index);
        } else {
            CopyBytes<Bytes>(fillPixel.data(), row + size_t(ox) * Bytes);
        }
    };
    // Each row's span inside the layer first, with the fill on both sides of it.
    std::vector<std::pair<int, int>> spans(size_t(out.height));
    for (int oy = 0; oy < out.height; ++oy) {
        const double r = double(oy + box.minY);
        const double rs = r * m.sine + 0.5;
        const double rc = r * m.cosine + 0.5;
        // The source position of column ox, exactly as the per-pixel definition rounds it.
        auto sourceX = [&](int ox) { return FloorToInt(double(ox + box.minX) * m.cosine + rs); };
        auto sourceY = [&](int ox) { return FloorToInt(rc - double(ox + box.minX) * m.sine); };
        const auto [ax, bx] = MonotonicSpan(out.width, sourceX, 0, src.width);
        const auto [ay, by] = MonotonicSpan(out.width, sourceY, 0, src.height);
        const int first = std::max(ax, ay);
        const int last = std::max(first, std::min(bx, by));
        spans[size_t(oy)] = {first, last};
        uint8_t* row = out.Row(oy);
        for (int ox = 0; ox < first; ++ox) putFill(row, ox);
        for (int ox = last; ox < out.width; ++ox) putFill(row, ox);
        std::memset(out.AlphaRow(oy), 0, size_t(first));
        std::memset(out.AlphaRow(oy) + last, 0, size_t(out.width - last));
    }
    // Then the spans in strips of columns, so that the source rows a strip crosses stay
    // in the first-level cache from one output row to the next.
    constexpr int kStrip = 512;
    for (int x0 = 0; x0 < out.width; x0 += kStrip) {
        report.Row(int(int64_t(x0) * out.height / out.width));
        for (int oy = 0; oy < out.height; ++oy) {
            const auto [first, last] = spans[size_t(oy)];
            const int lo = std::max(first, x0), hi = std::min(last, x0 + kStrip);
            if (lo >= hi) continue;
            const double r = double(oy + box.minY);
            const double rs = r * m.sine + 0.5;
            const double rc = r * m.cosine + 0.5;
            uint8_t* row = out.Row(oy);
            uint8_t* alphaRow = out.AlphaRow(oy);
            // Inside the span every source position is in the layer and not negative,
            // so truncation is the floor.
            int ox = lo;
            if constexpr (Bytes == 3) {
                // A 4-byte word spills onto the next pixel, which is still to come unless
                // it lies past the span.
                for (const int wideEnd = hi == last ? hi - 1 : hi; ox < wideEnd; ++ox) {
                    const double k = double(ox + box.minX);
                    const int sx = int(k * m.cosine + rs);
                    const int sy = int(rc - k * m.sine);
                    uint32_t word;
                    std::memcpy(&word, rows[size_t(sy)] + size_t(sx) * 3, 4);
                    std::memcpy(row + size_t(ox) * 3, &word, 4);
                    alphaRow[ox] = alphaRows[size_t(sy)][sx];
                }
            }
            for (; ox < hi; ++ox) {
                const double k = double(ox + box.minX);
                const int sx = int(k * m.cosine + rs);
                const int sy = int(rc - k * m.sine);
                if constexpr (Bytes == 0) {
                    PutRowIndex(row, ox, src.bitsPerPixel, RowIndex(rows[size_t(sy)], sx, src.bitsPerPixel));
                } else {
                    CopyBytes<Bytes>(rows[size_t(sy)] + size_t(sx) * Bytes, row + size_t(ox) * Bytes);
                }
                alphaRow[ox] = alphaRows[size_t(sy)][sx];
            }
        }
    }
}

}  // namespace

void FlipHorizontal(Planes& p) {
    if (!p.IsValid()) return;
    const int w = p.width;
    for (int y = 0; y < p.height; ++y) {
        uint8_t* row = p.Row(y);
        switch (p.bitsPerPixel) {
            case 8: std::reverse(row, row + w); break;
            case 24:
            case 32: {
                const int n = p.bitsPerPixel / 8;
                for (int a = 0, b = w - 1; a < b; ++a, --b) std::swap_ranges(row + a * n, row + a * n + n, row + b * n);
                break;
            }
            default:
                for (int a = 0, b = w - 1; a < b; ++a, --b) {
                    const uint8_t ia = RowIndex(row, a, p.bitsPerPixel), ib = RowIndex(row, b, p.bitsPerPixel);
                    PutRowIndex(row, a, p.bitsPerPixel, ib);
                    PutRowIndex(row, b, p.bitsPerPixel, ia);
                }
                break;
        }
        uint8_t* alphaRow = p.AlphaRow(y);
        std::reverse(alphaRow, alphaRow + w);
    }
}

void FlipVertical(Planes& p) {
    if (!p.IsValid()) return;
    for (int a = 0, b = p.height - 1; a < b; ++a, --b) {
        std::swap_ranges(p.Row(a), p.Row(a) + p.stride, p.Row(b));
        std::swap_ranges(p.AlphaRow(a), p.AlphaRow(a) + p.width, p.AlphaRow(b));
    }
}

void MirrorImage(NyZazo& image) {
    if (!image.bits || image.Width() <= 0 || image.Height() <= 0) return;
    const int w = image.Width(), h = image.Height(), bpp = image.BitCount();
    std::vector<uint8_t> copy(image.rowBytes);
    for (int y = 0; y < h; ++y) {
        uint8_t* row = image.Row(y);
        std::memcpy(copy.data(), row, image.rowBytes);
        for (int x = 0; x < w; ++x) CopyPixel(copy.data(), w - 1 - x, row, x, bpp);
    }
}

RotationMapping::RotationMapping(float angle) {
    const double theta = -kHalfPi * double(angle) / 90.0;
    cosine = std::cos(theta);
    sine = std::sin(theta);
}

RotatedBox RotatedExtent(int width, int height, float angle) {
    const RotationMapping m(angle);
    const double xs[4] = {0, double(width - 1), 0, double(width - 1)};
    const double ys[4] = {0, 0, double(height - 1), double(height - 1)};
    int minX = 0, maxX = 0, minY = 0, maxY = 0;
    for (int i = 0; i < 4; ++i) {
        const int x = int(std::trunc(xs[i] * m.cosine - ys[i] * m.sine));
        const int y = int(std::trunc(xs[i] * m.sine + ys[i] * m.cosine));
        minX = std::min(minX, x), maxX = std::max(maxX, x);
        minY = std::min(minY, y), maxY = std::max(maxY, y);
    }
    return RotatedBox{maxX - minX + 1, maxY - minY + 1, minX, minY};
}

bool IsQuarterTurn(float angle) {
    const double a = std::fmod(double(angle), 360.0);
    return a == 0 || std::fabs(a) == 90 || std::fabs(a) == 180 || std::fabs(a) == 270;
}

bool RotatePlanes(const Planes& source, float angle, const OutsideFill& fill, Planes& out, ProgressSink* progress) {
    if (!source.IsValid() || !std::isfinite(angle)) return false;
    const RotatedBox box = RotatedExtent(source.width, source.height, angle);
    Planes made;
    if (!MakePlanes(box.width, box.height, source.Layout(), 255, 0, made)) return false;
    RowReporter report(progress, made.height);
    const int w = source.width, h = source.height;
    double turn = std::fmod(double(angle), 360.0);
    if (turn < 0) turn += 360.0;
    // A quarter turn is a permutation of the pixels; the general mapping gives the same one.
    const bool swapped = box.width == h && box.height == w;
    const bool same = box.width == w && box.height == h;
    if (IsQuarterTurn(angle) && turn == 90 && swapped && box.minX == 0 && box.minY == -(w - 1)) {
        Permute(source, made, QuarterMap{w - 1, 0, -1, 0, 1, 0}, report);
    } else if (IsQuarterTurn(angle) && turn == 270 && swapped && box.minX == -(h - 1) && box.minY == 0) {
        Permute(source, made, QuarterMap{0, 0, 1, h - 1, -1, 0}, report);
    } else if (IsQuarterTurn(angle) && turn == 180 && same && box.minX == -(w - 1) && box.minY == -(h - 1)) {
        Permute(source, made, QuarterMap{w - 1, -1, 0, h - 1, 0, -1}, report);
    } else if (IsQuarterTurn(angle) && turn == 0 && same && box.minX == 0 && box.minY == 0) {
        made.pixels = source.pixels;
        made.alpha = source.alpha;
    } else {
        const RotationMapping m(angle);
        switch (source.bitsPerPixel) {
            case 32: RotateGeneral<4>(source, made, box, m, fill, report); break;
            case 24: RotateGeneral<3>(source, made, box, m, fill, report); break;
            case 8: RotateGeneral<1>(source, made, box, m, fill, report); break;
            default: RotateGeneral<0>(source, made, box, m, fill, report); break;
        }
    }
    report.Done();
    out = std::move(made);
    return true;
}

}  // namespace quillory
