#include "processing/RefractionEffects.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "core/ClassicRandom.h"

namespace quillory {

namespace {

// Bilinear sample of the source at (sx, sy), clamped to the layer; false when the
// nearest pixel is transparent (its colour means nothing).
bool Sample(const LayerPlanesView& source, double sx, double sy, double out[3]) {
    sx = std::clamp(sx, 0.0, double(source.width - 1));
    sy = std::clamp(sy, 0.0, double(source.height - 1));
    const int x0 = int(sx), y0 = int(sy);
    const int x1 = std::min(x0 + 1, source.width - 1), y1 = std::min(y0 + 1, source.height - 1);
    if (!source.Alpha(int(std::lround(sx)), int(std::lround(sy)))) return false;
    const double fx = sx - x0, fy = sy - y0;
    const uint8_t* a = source.Pixel(x0, y0);
    const uint8_t* b = source.Pixel(x1, y0);
    const uint8_t* c = source.Pixel(x0, y1);
    const uint8_t* d = source.Pixel(x1, y1);
    for (int k = 0; k < 3; ++k)
        out[k] = (a[k] * (1 - fx) + b[k] * fx) * (1 - fy) + (c[k] * (1 - fx) + d[k] * fx) * fy;
    return true;
}

void Put(const LayerPlanes& destination, int x, int y, const double colour[3]) {
    uint8_t* p = destination.Pixel(x, y);
    for (int k = 0; k < 3; ++k) p[k] = uint8_t(std::clamp(std::lround(colour[k]), 0L, 255L));
}

bool Writable(const LayerPlanesView& source, const SelectionMap& selection, int x, int y) {
    return source.IsOpaqueAt(x, y) && selection.Selected(x, y);
}

}  // namespace

bool Raindrops(const LayerPlanesView& source, const LayerPlanes& destination, int size, int frequency,
               const SelectionMap& selection, FilterProgress& progress) {
    if (!source.IsUsable() || size < 0 || frequency < 0) return false;
    if (size == 0 || frequency == 0) return true;
    ClassicRandom& random = EngineRandom();
    const double largest = 3 + size / 3.0;
    const double typical = 0.7 * largest;
    const double area = double(source.width) * source.height;
    const int drops = std::max(1, int(frequency / 100.0 * area / 3 / (std::numbers::pi * typical * typical)));
    for (int i = 0; i < drops; ++i) {
        if (!progress.Step(i, drops)) return false;
        const int cx = int(std::trunc(random.Fraction() * source.width));
        const int cy = int(std::trunc(random.Fraction() * source.height));
        const double radius = std::max(2.0, std::trunc(largest * (0.4 + 0.6 * random.Fraction())));
        const int reach = int(radius);
        for (int dy = -reach; dy <= reach; ++dy)
            for (int dx = -reach; dx <= reach; ++dx) {
                const double t = std::sqrt(double(dx * dx + dy * dy)) / radius;
                if (t >= 1 || !Writable(source, selection, cx + dx, cy + dy)) continue;
                const double scale = 0.5 + 0.5 * t * t;
                double colour[3];
                if (!Sample(source, cx + dx * scale, cy + dy * scale, colour)) continue;
                // The rim darkens where light leaves the drop (lower right) ...
                const double facing = (dx + dy) / (radius * std::numbers::sqrt2);
                const double shade = 1 - 0.35 * std::pow(t, 6) * std::max(0.2, facing + 0.6);
                // ... and a small highlight sits on the upper left.
                const double hx = dx + 0.35 * radius, hy = dy + 0.35 * radius;
                const double glint = std::max(0.0, 1 - std::sqrt(hx * hx + hy * hy) / (0.22 * radius));
                for (double& c : colour) c = c * shade + (255 - c * shade) * 0.7 * glint;
                Put(destination, cx + dx, cy + dy, colour);
            }
    }
    return true;
}

bool GlassDistortion(const LayerPlanesView& source, const LayerPlanes& destination, GlassMode mode,
                     const SelectionMap& selection, FilterProgress& progress) {
    if (!source.IsUsable()) return false;
    ClassicRandom& random = EngineRandom();
    const double centreX = (source.width - 1) / 2.0, centreY = (source.height - 1) / 2.0;
    const double radius = std::min(source.width, source.height) / 2.0;
    constexpr double kTwoPi = 2 * std::numbers::pi;
    for (int y = 0; y < source.height; ++y) {
        if (!progress.Step(y, source.height)) return false;
        for (int x = 0; x < source.width; ++x) {
            if (!Writable(source, selection, x, y)) continue;
            double sx = x, sy = y;
            if (mode == GlassMode::Lens) {
                const double dx = x - centreX, dy = y - centreY;
                const double d = std::sqrt(dx * dx + dy * dy);
                if (d >= radius || d == 0) continue;
                // A sphere seen from above: the view bends towards the middle.
                const double bent = radius * std::asin(d / radius) / (std::numbers::pi / 2);
                sx = centreX + dx * bent / d;
                sy = centreY + dy * bent / d;
            } else {
                const int scatterX = random.Next() % 5 - 2;
                const int scatterY = random.Next() % 5 - 2;
                sx = x + 4 * std::sin(kTwoPi * x / 14) + 1.5 * std::sin(kTwoPi * y / 9) + scatterX;
                sy = y + 1.5 * std::sin(kTwoPi * x / 11 + 1) + scatterY;
                sx = std::round(sx), sy = std::round(sy);  // crisp grains, not a blur
            }
            double colour[3];
            if (Sample(source, sx, sy, colour)) Put(destination, x, y, colour);
        }
    }
    return true;
}

}  // namespace quillory
