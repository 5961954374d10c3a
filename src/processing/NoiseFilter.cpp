#include "processing/NoiseFilter.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

namespace quillory {

namespace {

constexpr int kSimilar = 50;

bool IsSimilar(const uint8_t* a, RGBQUAD h) {
    return std::abs(a[0] - h.blue) + std::abs(a[1] - h.green) + std::abs(a[2] - h.red) <= kSimilar;
}

}  // namespace

bool RemoveSpeckles(const LayerPlanesView& source, const LayerPlanes& destination, int size, int absorption,
                    const SelectionMap& selection, FilterProgress& progress) {
    if (!source.IsUsable()) return false;
    const int width = source.width;
    const int height = source.height;
    size = std::max(size, 2);
    for (int x = 0; x < width; ++x) {
        if (!progress.Step(x, width)) return false;
        for (int y = 0; y < height; ++y) {
            if (!source.Alpha(x, y)) continue;
            const RGBQUAD h = source.Colour(x, y);
            int total = 0;
            for (int n = size; n >= 2 && x + n <= width && y + n <= height; --n) {
                for (int i = 0; i < n; ++i) {
                    total += IsSimilar(source.Pixel(x + i, y), h);
                    total += IsSimilar(source.Pixel(x + i, y + n - 1), h);
                    total += IsSimilar(source.Pixel(x, y + i), h);
                    total += IsSimilar(source.Pixel(x + n - 1, y + i), h);
                }
                if (total != absorption * n) continue;
                for (int fy = y; fy < y + n; ++fy)
                    for (int fx = x; fx < x + n; ++fx)
                        if (source.Alpha(fx, fy) && selection.Selected(fx, fy)) PutColour(destination, fx, fy, h);
            }
        }
    }
    return true;
}

bool SmoothStaircases(const LayerPlanesView& source, const LayerPlanes& destination, const SelectionMap& selection,
                      FilterProgress& progress) {
    if (!source.IsUsable()) return false;
    static constexpr int kDx[8] = {-1, 0, 1, -1, 1, -1, 0, 1};
    static constexpr int kDy[8] = {-1, -1, -1, 0, 0, 1, 1, 1};
    for (int y = 0; y < source.height; ++y) {
        if (!progress.Step(y, source.height)) return false;
        for (int x = 0; x < source.width; ++x) {
            if (!source.Alpha(x, y)) continue;
            const uint8_t* p = source.Pixel(x, y);
            int q[8];
            for (int i = 0; i < 8; ++i) {
                const int nx = x + kDx[i], ny = y + kDy[i];
                if (!source.IsOpaqueAt(nx, ny)) q[i] = -1;
                else q[i] = std::memcmp(source.Pixel(nx, ny), p, 3) == 0 ? 1 : 0;
            }
            auto zero = [&](int i) { return q[i] == 0; };
            auto set = [&](int i) { return q[i] != 0; };
            int from = -1;  // neighbour giving the colour: 0 upper left, 7 lower right
            if (zero(0) && zero(1) && zero(2) && zero(3) && zero(4) && set(5) && set(6) && set(7)) from = 0;
            else if (zero(0) && zero(1) && set(2) && zero(3) && set(4) && zero(5) && zero(6) && set(7)) from = 0;
            else if (set(0) && zero(1) && zero(2) && set(3) && zero(4) && set(5) && zero(6) && zero(7)) from = 7;
            else if (set(0) && set(1) && set(2) && zero(3) && zero(4) && zero(5) && zero(6) && zero(7)) from = 0;
            if (from < 0) continue;
            const int sx = x + kDx[from], sy = y + kDy[from];
            if (!source.IsInside(sx, sy) || !selection.Selected(x, y)) continue;
            PutColour(destination, x, y, source.Colour(sx, sy));
        }
    }
    return true;
}

bool RemoveNoise(const LayerPlanesView& source, const LayerPlanes& destination, int size, int absorption,
                 const SelectionMap& selection, FilterProgress& progress) {
    if (!source.IsUsable()) return false;
    if (!RemoveSpeckles(source, destination, size, absorption, selection, progress)) return false;
    // The second pass reads the first pass's result as the layer then stands.
    const size_t rowBytes = size_t(source.width) * 3;
    std::vector<uint8_t> first;
    try {
        first.resize(rowBytes * size_t(source.height));
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (int y = 0; y < source.height; ++y) std::memcpy(first.data() + size_t(y) * rowBytes, destination.Row(y), rowBytes);
    LayerPlanesView speckled = source;
    speckled.pixelOrigin = first.data();
    speckled.pixelStep = ptrdiff_t(rowBytes);
    return SmoothStaircases(speckled, destination, selection, progress);
}

}  // namespace quillory
