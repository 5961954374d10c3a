#include "processing/StrokeEffects.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "core/ClassicRandom.h"
#include "processing/KernelFilters.h"

namespace quillory {

namespace {

int RandomBelow(ClassicRandom& random, int limit) { return int(std::trunc(random.Fraction() * limit)); }

// A size × size square with (x, y) as its top-left corner, on opaque pixels only.
void Dot(const LayerPlanesView& source, const LayerPlanes& destination, int x, int y, int size, RGBQUAD colour) {
    for (int dy = 0; dy < size; ++dy)
        for (int dx = 0; dx < size; ++dx)
            if (source.IsOpaqueAt(x + dx, y + dy)) PutColour(destination, x + dx, y + dy, colour);
}

uint8_t Scaled(int factor, uint8_t channel) { return uint8_t((factor * channel) % 256); }

}  // namespace

bool EdgeStopMarkers(const LayerPlanesView& source, int centre, std::vector<uint8_t>& markers,
                     FilterProgress& progress) {
    if (!Convolve3x3ToGrey(source, ContourKernel(centre), true, markers, progress)) return false;
    for (uint8_t& m : markers) m = m > 0;
    return true;
}

bool DirectionField(const LayerPlanesView& source, std::vector<float>& field) {
    if (!source.IsUsable()) return false;
    const int width = source.width, height = source.height;
    try {
        field.assign(size_t(width) * size_t(height), 0.0f);
    } catch (const std::bad_alloc&) {
        return false;
    }
    static constexpr int kVertical[9] = {-1, -2, -1, 0, 0, 0, 1, 2, 1};
    static constexpr int kHorizontal[9] = {-1, 0, 1, -2, 0, 2, -1, 0, 1};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            int first = 0, second = 0;
            for (int ky = -1; ky <= 1; ++ky)
                for (int kx = -1; kx <= 1; ++kx) {
                    if (!source.IsInside(x + kx, y + ky)) continue;
                    const int green = source.Pixel(x + kx, y + ky)[1];
                    first += kVertical[(ky + 1) * 3 + kx + 1] * green;
                    second += kHorizontal[(ky + 1) * 3 + kx + 1] * green;
                }
            first = std::clamp(first, 0, 255);
            second = std::clamp(second, 0, 255);
            field[size_t(y) * size_t(width) + size_t(x)] = first ? float(second) / float(first) : 0.0f;
        }
    return true;
}

bool ScatterStrokes(const LayerPlanesView& source, const LayerPlanes& destination, int length, int colourFactor,
                    const uint8_t* markers, FilterProgress& progress) {
    if (!source.IsUsable()) return false;
    ClassicRandom& random = EngineRandom();
    const int width = source.width, height = source.height;
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < height; ++i) {
            if (!progress.Step(pass * height + i, 2 * height)) return false;
            const int y = RandomBelow(random, height);
            for (int j = 0; j < width; ++j) {
                const int x = RandomBelow(random, width);
                if (!source.IsOpaqueAt(x, y)) continue;
                const int r = int(std::trunc(random.Fraction() * length)) + 3;
                const int sx = x + r / 2, sy = y + r / 2;
                RGBQUAD colour = source.IsInside(sx, sy) ? source.Colour(sx, sy) : source.Colour(x, y);
                const int k = random.Next() % 3;
                if (k == 0) colour.red = Scaled(colourFactor, colour.red);
                if (k == 0 || k == 2) colour.green = Scaled(colourFactor, colour.green);
                if (k == 0 || k == 1) colour.blue = Scaled(colourFactor, colour.blue);
                if (markers && markers[size_t(y) * size_t(width) + size_t(x)]) continue;
                for (int d = 1; d <= r; ++d) Dot(source, destination, x + d, y + d, 4, colour);
            }
        }
    }
    return true;
}

bool OilStrokes(const LayerPlanesView& source, const LayerPlanes& destination, int length, const float* field,
                const uint8_t* markers, FilterProgress& progress) {
    if (!source.IsUsable() || !field) return false;
    ClassicRandom& random = EngineRandom();
    const int width = source.width, height = source.height;
    auto at = [width](int x, int y) { return size_t(y) * size_t(width) + size_t(x); };
    for (int i = 0; i < height; ++i) {
        if (!progress.Step(i, height)) return false;
        const int y = RandomBelow(random, height);
        for (int j = 0; j < width; ++j) {
            const int x = RandomBelow(random, width);
            if (!source.IsOpaqueAt(x, y)) continue;
            const int strokeLength = int(std::trunc(random.Fraction() * length)) + 3;
            const RGBQUAD colour = source.Colour(x, y);
            int row = y;
            for (int k = 1; k <= strokeLength; ++k) {
                if (row < 0 || row >= height) break;
                const int step = int(std::trunc(field[at(x, row)] * float(k)));
                if (std::abs(step) > 1) break;
                row += step;
                if (!source.IsInside(x + k, row)) continue;
                if (source.Alpha(x + k, row)) Dot(source, destination, x + k, row, 6, colour);
                if (markers && markers[at(x + k, row)]) break;
            }
        }
    }
    return true;
}

bool LineStrokes(const LayerPlanesView& source, const LayerPlanes& destination, int length, int passes,
                 const float* field, FilterProgress& progress) {
    if (!source.IsUsable() || !field) return false;
    ClassicRandom& random = EngineRandom();
    const int width = source.width, height = source.height;
    for (int pass = 0; pass < passes; ++pass) {
        for (int i = 0; i < height; ++i) {
            if (!progress.Step(pass * height + i, passes * height)) return false;
            const int y = RandomBelow(random, height);
            for (int j = 0; j < width; ++j) {
                const int x = RandomBelow(random, width);
                if (!source.IsOpaqueAt(x, y)) continue;
                const int lineLength = int(std::trunc(random.Fraction() * length)) + 3;
                const RGBQUAD colour = source.Colour(x, y);
                const float slope = field[size_t(y) * size_t(width) + size_t(x)];
                for (int k = 1; k <= lineLength; ++k) {
                    const int step = int(std::trunc(slope * float(k)));
                    if (std::abs(step) > 1) break;
                    if (source.IsOpaqueAt(x + k, y + step)) PutColour(destination, x + k, y + step, colour);
                }
            }
        }
    }
    return true;
}

}  // namespace quillory
