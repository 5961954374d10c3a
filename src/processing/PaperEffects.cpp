#include "processing/PaperEffects.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/ClassicRandom.h"

namespace quillory {

bool PaperSmear(const LayerPlanesView& source, const LayerPlanes& destination, FilterProgress& progress) {
    if (!source.IsUsable()) return false;
    static constexpr int kDx[7] = {-1, 0, 1, -1, 1, -1, 0};
    static constexpr int kDy[7] = {-1, -1, -1, 0, 0, 1, 1};
    ClassicRandom& random = EngineRandom();
    const int width = source.width, height = source.height;
    for (int x = 0; x < width; ++x) {
        if (!progress.Step(x, width)) return false;
        for (int i = 0; i < height; ++i) {
            const int y = int(std::trunc(random.Fraction() * (height - 1)));
            if (!source.IsOpaqueAt(x, y)) continue;
            const uint8_t* k = source.Pixel(x, y);
            int best = -1, bestDifference = 0;
            for (int n = 0; n < 7; ++n) {
                if (!source.IsOpaqueAt(x + kDx[n], y + kDy[n])) continue;
                const uint8_t* p = source.Pixel(x + kDx[n], y + kDy[n]);
                const int d = std::abs(p[0] - k[0]) + std::abs(p[1] - k[1]) + std::abs(p[2] - k[2]);
                if (d > bestDifference) best = n, bestDifference = d;
            }
            if (best < 0) continue;
            // The first three neighbours map to up, left and right; the rest to down.
            const int stepX = best == 1 ? -1 : best == 2 ? 1 : 0;
            const int stepY = best == 0 ? -1 : best >= 3 ? 1 : 0;
            const int steps = int(std::trunc(random.Fraction() * 3 + 3));
            int px = x, py = y;
            for (int s = 1; s <= steps; ++s) {
                if (!source.IsInside(px + stepX, py + stepY)) break;
                px += stepX, py += stepY;
                const uint8_t alpha = source.Alpha(px, py);
                if (!alpha) continue;
                const uint8_t* reached = source.Pixel(px, py);
                const double weight = double(s) / steps;
                uint8_t* out = destination.Pixel(px, py);
                for (int c = 0; c < 3; ++c) {
                    const int v = alpha == 255 ? reached[c] : k[c];
                    out[c] = uint8_t(std::max(0, k[c] - int(std::trunc(weight * (255 - v) / 7))));
                }
            }
        }
    }
    return true;
}

}  // namespace quillory
