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

// out(ox, oy) = src(SourceX(ox, oy), SourceY(ox, oy)) for one quarter turn, walked
// in tiles so that both planes stay in the cache.
template <int Bytes, typename Map>
void PermuteTiles(const Planes& src, Planes& out, Map map, RowReporter& report) {
    constexpr int kTile = 64;
    // Row starts looked up once, so the inner loop only adds.
    std::vector<const uint8_t*> rows(size_t(src.height)), alphaRows(size_t(src.height));
    for (int y = 0; y < src.height; ++y) rows[size_t(y)] = src.Row(y), alphaRows[size_t(y)] = src.AlphaRow(y);
    for (int ty = 0; ty < out.height; ty += kTile) {
        report.Row(ty);
        const int yEnd = std::min(out.height, ty + kTile);
        for (int tx = 0; tx < out.width; tx += kTile) {
            const int xEnd = std::min(out.width, tx + kTile);
            for (int oy = ty; oy < yEnd; ++oy) {
                uint8_t* row = out.Row(oy);
                uint8_t* alphaRow = out.AlphaRow(oy);
                for (int ox = tx; ox < xEnd; ++ox) {
                    int sx, sy;
                    map(ox, oy, sx, sy);
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
}

template <typename Map>
void Permute(const Planes& src, Planes& out, Map map, RowReporter& report) {
    switch (src.bitsPerPixel) {
        case 32: PermuteTiles<4>(src, out, map, report); break;
        case 24: PermuteTiles<3>(src, out, map, report); break;
        case 8: PermuteTiles<1>(src, out, map, report); break;
        default: PermuteTiles<0>(src, out, map, report); break;
    }
}

template <int Bytes>
void RotateGeneral(const Planes& src, Planes& out, const RotatedBox& box, const RotationMapping& m,
                   const OutsideFill& fill, RowReporter& report) {
    // k·cos θ and k·sin θ once per column; each row adds its own terms.
    std::vector<double> kc(size_t(out.width)), ks(size_t(out.width));
    for (int ox = 0; ox < out.width; ++ox) {
        const double k = double(ox + box.minX);
        kc[size_t(ox)] = k * m.cosine;
        ks[size_t(ox)] = k * m.sine;
    }
    std::vector<const uint8_t*> rows(size_t(src.height)), alphaRows(size_t(src.height));
    for (int y = 0; y < src.height; ++y) rows[size_t(y)] = src.Row(y), alphaRows[size_t(y)] = src.AlphaRow(y);
    std::vector<uint8_t> fillPixel(Bytes > 0 ? Bytes : 1);
    FillRow(fillPixel.data(), 1, Bytes > 0 ? Bytes * 8 : 8, fill);
    for (int oy = 0; oy < out.height; ++oy) {
        report.Row(oy);
        const double r = double(oy + box.minY);
        const double rs = r * m.sine + 0.5;
        const double rc = r * m.cosine + 0.5;
        uint8_t* row = out.Row(oy);
        uint8_t* alphaRow = out.AlphaRow(oy);
        for (int ox = 0; ox < out.width; ++ox) {
            const int sx = FloorToInt(kc[size_t(ox)] + rs);
            const int sy = FloorToInt(rc - ks[size_t(ox)]);
            if (unsigned(sx) < unsigned(src.width) && unsigned(sy) < unsigned(src.height)) {
                if constexpr (Bytes == 0) {
                    PutRowIndex(row, ox, src.bitsPerPixel, RowIndex(rows[size_t(sy)], sx, src.bitsPerPixel));
                } else {
                    CopyBytes<Bytes>(rows[size_t(sy)] + size_t(sx) * Bytes, row + size_t(ox) * Bytes);
                }
                alphaRow[ox] = alphaRows[size_t(sy)][sx];
            } else {
                if constexpr (Bytes == 0) {
                    PutRowIndex(row, ox, src.bitsPerPixel, fill.index);
                } else {
                    CopyBytes<Bytes>(fillPixel.data(), row + size_t(ox) * Bytes);
                }
                alphaRow[ox] = 0;
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
        Permute(source, made, [w](int ox, int oy, int& sx, int& sy) { sx = w - 1 - oy, sy = ox; }, report);
    } else if (IsQuarterTurn(angle) && turn == 270 && swapped && box.minX == -(h - 1) && box.minY == 0) {
        Permute(source, made, [h](int ox, int oy, int& sx, int& sy) { sx = oy, sy = h - 1 - ox; }, report);
    } else if (IsQuarterTurn(angle) && turn == 180 && same && box.minX == -(w - 1) && box.minY == -(h - 1)) {
        Permute(source, made, [w, h](int ox, int oy, int& sx, int& sy) { sx = w - 1 - ox, sy = h - 1 - oy; }, report);
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
