#pragma once
// Planes with deterministic content for the geometry tests, and plain reference
// versions of the fast routines.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "core/RowPixels.h"
#include "processing/FlipRotate.h"
#include "processing/Planes.h"

namespace quillory::test {

inline Planes RandomPlanes(int w, int h, int bpp, uint32_t seed, bool packed = false) {
    Planes p;
    if (!MakePlanes(w, h, PlaneLayout{bpp, packed}, 0, 0, p)) return p;
    uint32_t s = seed;
    auto next = [&s] { s = s * 214013u + 2531011u; return uint8_t((s >> 16) & 0xFF); };
    for (int y = 0; y < h; ++y) {
        uint8_t* row = p.Row(y);
        const int bytes = int((int64_t(bpp) * w + 7) / 8);
        for (int i = 0; i < bytes; ++i) row[i] = next();
    }
    for (auto& a : p.alpha) a = next();
    return p;
}

// One pixel's bytes (or index) and its opacity, for comparisons at any depth.
inline uint32_t PixelKey(const Planes& p, int x, int y) {
    const uint8_t* row = p.Row(y);
    uint32_t v = 0;
    if (p.bitsPerPixel >= 8) {
        for (int k = 0; k < p.bitsPerPixel / 8; ++k) v = v << 8 | row[x * (p.bitsPerPixel / 8) + k];
    } else {
        v = RowIndex(row, x, p.bitsPerPixel);
    }
    return v << 8 | p.AlphaRow(y)[x];
}

// The rotation mapping written per pixel, straight from its definition.
inline Planes ReferenceRotate(const Planes& src, float angle, const OutsideFill& fill) {
    const RotatedBox box = RotatedExtent(src.width, src.height, angle);
    const RotationMapping m(angle);
    Planes out;
    EXPECT_TRUE(MakePlanes(box.width, box.height, src.Layout(), 255, 0, out));
    for (int r = box.minY; r < box.minY + box.height; ++r)
        for (int k = box.minX; k < box.minX + box.width; ++k) {
            const int sx = int(std::floor(k * m.cosine + (r * m.sine + 0.5)));
            const int sy = int(std::floor((r * m.cosine + 0.5) - k * m.sine));
            const int ox = k - box.minX, oy = r - box.minY;
            uint8_t* row = out.Row(oy);
            if (sx >= 0 && sx < src.width && sy >= 0 && sy < src.height) {
                const uint8_t* s = src.Row(sy);
                if (src.bitsPerPixel >= 8) {
                    const int n = src.bitsPerPixel / 8;
                    for (int c = 0; c < n; ++c) row[ox * n + c] = s[sx * n + c];
                } else {
                    PutRowIndex(row, ox, src.bitsPerPixel, RowIndex(s, sx, src.bitsPerPixel));
                }
                out.AlphaRow(oy)[ox] = src.AlphaRow(sy)[sx];
            } else {
                if (src.bitsPerPixel >= 24) {
                    const int n = src.bitsPerPixel / 8;
                    row[ox * n] = fill.colour.blue, row[ox * n + 1] = fill.colour.green, row[ox * n + 2] = fill.colour.red;
                    if (n == 4) row[ox * n + 3] = 0;
                } else if (src.bitsPerPixel == 8) {
                    row[ox] = fill.index;
                } else {
                    PutRowIndex(row, ox, src.bitsPerPixel, fill.index);
                }
                out.AlphaRow(oy)[ox] = 0;
            }
        }
    return out;
}

inline bool SamePixels(const Planes& a, const Planes& b) {
    if (a.width != b.width || a.height != b.height) return false;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
            if (PixelKey(a, x, y) != PixelKey(b, x, y)) return false;
    return true;
}

}  // namespace quillory::test
