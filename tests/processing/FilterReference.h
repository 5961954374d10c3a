#pragma once
// Plain versions of the neighbourhood filters, written pixel by pixel as the rules
// read (rows in stored order), against which the fast versions are compared.
#include <algorithm>
#include <cstdint>

#include "processing/KernelFilters.h"
#include "processing/FilterTestSupport.h"

namespace quillory::test {

inline Picture ReferenceConvolve(const Picture& in, const Kernel3x3& kernel, bool blackBorder) {
    Picture out = in;
    const LayerPlanesView s = in.View();
    for (int y = 0; y < in.height; ++y)
        for (int x = 0; x < in.width; ++x) {
            if (!s.Alpha(x, y)) continue;
            long sumR = 0, sumG = 0, sumB = 0, weight = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    if (!s.IsInside(x + dx, y + dy)) continue;
                    const long w = kernel.weights[(dy + 1) * 3 + dx + 1];
                    const RGBQUAD c = s.Colour(x + dx, y + dy);
                    sumR += w * c.red, sumG += w * c.green, sumB += w * c.blue;
                    weight += w;
                }
            long v = (sumR + sumG + sumB) / 3;
            if (weight != 0) v /= weight;
            uint8_t g = uint8_t(std::clamp(v, 0L, 255L));
            const bool border = x == 0 || y == 0 || x == in.width - 1 || y == in.height - 1;
            if (blackBorder && border) g = 0;
            out.Set(x, y, RGBQUAD{g, g, g, 0});
        }
    return out;
}

inline Picture ReferenceBox(const Picture& in, int size, int centreWeight) {
    Picture out = in;
    const LayerPlanesView s = in.View();
    const int low = -size / 2, high = size - size / 2 - 1;
    for (int y = 0; y < in.height; ++y)
        for (int x = 0; x < in.width; ++x) {
            if (!s.Alpha(x, y)) continue;
            long sum[3] = {0, 0, 0}, n = 0;
            for (int dy = low; dy <= high; ++dy)
                for (int dx = low; dx <= high; ++dx) {
                    if (!s.IsOpaqueAt(x + dx, y + dy)) continue;
                    const long w = (dx == 0 && dy == 0) ? centreWeight : 1;
                    const RGBQUAD c = s.Colour(x + dx, y + dy);
                    sum[0] += w * c.blue, sum[1] += w * c.green, sum[2] += w * c.red;
                    ++n;
                }
            out.Set(x, y, RGBQUAD{uint8_t(std::min(sum[0] / n, 255L)), uint8_t(std::min(sum[1] / n, 255L)),
                                  uint8_t(std::min(sum[2] / n, 255L)), 0});
        }
    return out;
}

inline Picture ReferenceWindow(const Picture& in, int size, bool minimum) {
    Picture out = in;
    const LayerPlanesView s = in.View();
    const int low = -size / 2, high = size - size / 2 - 1;
    for (int y = 0; y < in.height; ++y)
        for (int x = 0; x < in.width; ++x) {
            if (!s.Alpha(x, y)) continue;
            int v[3];
            std::fill(v, v + 3, minimum ? 255 : 0);
            for (int dy = low; dy <= high; ++dy)
                for (int dx = low; dx <= high; ++dx) {
                    RGBQUAD c;
                    if (s.IsInside(x + dx, y + dy)) c = s.Colour(x + dx, y + dy);
                    else if (minimum) continue;
                    else c = in.background;
                    const int channel[3] = {c.blue, c.green, c.red};
                    for (int k = 0; k < 3; ++k) v[k] = minimum ? std::min(v[k], channel[k]) : std::max(v[k], channel[k]);
                }
            out.Set(x, y, RGBQUAD{uint8_t(v[0]), uint8_t(v[1]), uint8_t(v[2]), 0});
        }
    return out;
}

}  // namespace quillory::test
