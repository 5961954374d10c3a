#include "processing/SpotEffects.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "core/ClassicRandom.h"

namespace quillory {

namespace {

constexpr int kMaxBubble = 25;

}  // namespace

bool DalmatianSpots(const LayerPlanesView& source, const LayerPlanes& destination, int size, int count,
                    FilterProgress& progress) {
    if (!source.IsUsable()) return false;
    ClassicRandom& random = EngineRandom();
    const int width = source.width, height = source.height;
    for (int i = 0; i < count; ++i) {
        if (!progress.Step(i, count + 1)) return false;
        const int diameter = int(std::trunc(random.Fraction() * (size - 5) + 5));
        const int half = diameter / 2;
        const int cy = int(std::trunc(random.Fraction() * (height - 1)));
        const int cx = int(std::trunc(random.Fraction() * (width - 1)));
        const int margin = diameter / 25 + 1;
        const double reach = 1.1 * half;
        for (int oy = -margin - half; oy <= margin + diameter - half - 1; ++oy)
            for (int ox = -margin - half; ox <= margin + diameter - half - 1; ++ox) {
                if (std::sqrt(double(ox * ox + oy * oy)) > reach) continue;
                if (!source.IsOpaqueAt(cx + ox, cy + oy)) continue;
                uint8_t* p = destination.Pixel(cx + ox, cy + oy);
                p[0] = p[1] = p[2] = 0;
            }
    }
    progress.Step(count, count + 1);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            if (!source.Alpha(x, y)) continue;
            uint8_t* p = destination.Pixel(x, y);
            if (p[0] + p[1] + p[2] <= 120) continue;
            for (int c = 0; c < 3; ++c) p[c] = p[c] < 136 ? uint8_t(p[c] + 70) : uint8_t(205);
        }
    return true;
}

bool Bubbles(const LayerPlanesView& source, const LayerPlanes& destination, int size, FilterProgress& progress) {
    if (!source.IsUsable()) return false;
    ClassicRandom& random = EngineRandom();
    const int width = source.width, height = source.height;
    const int s = std::min(size, kMaxBubble);
    const int side = 2 * std::max(s, 1);
    std::vector<uint8_t> drawn;
    try {
        drawn.resize(size_t(side) * size_t(side));
    } catch (const std::bad_alloc&) {
        return false;
    }
    const int bubbles = 20 * height;
    for (int i = 0; i < bubbles; ++i) {
        if (i % 64 == 0 && !progress.Step(i, bubbles)) return false;
        const int x = int(std::trunc(random.Fraction() * width));
        const int y = int(std::trunc(random.Fraction() * height));
        if (!source.IsOpaqueAt(x, y)) continue;
        const RGBQUAD colour = source.Colour(x, y);
        if (s <= 1) {
            PutColour(destination, x, y, colour);
            continue;
        }
        // Rings of radius 1 .. s - 1, marked in a 2s × 2s grid centred on the bubble.
        std::fill(drawn.begin(), drawn.end(), 0);
        for (int r = 1; r < s; ++r)
            RingPoints(r, [&](int dx, int dy) {
                if (!source.IsInside(x + dx, y + dy)) return;
                drawn[size_t(dy + s) * size_t(side) + size_t(dx + s)] = 1;
                if (source.Alpha(x + dx, y + dy)) PutColour(destination, x + dx, y + dy, colour);
            });
        // Where a grid row goes not drawn, drawn, drawn, the last pixel takes the colour of the next row.
        for (int gy = 0; gy < side; ++gy) {
            const uint8_t* row = drawn.data() + size_t(gy) * size_t(side);
            for (int gx = 2; gx < side; ++gx) {
                if (row[gx - 2] || !row[gx - 1] || !row[gx]) continue;
                const int px = x + gx - s, py = y + gy - s;
                if (!source.IsOpaqueAt(px, py) || !source.IsOpaqueAt(px, py + 1)) continue;
                const uint8_t* below = destination.Pixel(px, py + 1);
                PutColour(destination, px, py, RGBQUAD{below[0], below[1], below[2], 0});
            }
        }
    }
    return true;
}

}  // namespace quillory
