#include "extras/FrameStyles.h"

#include <algorithm>

namespace quillory {

namespace {

RGBQUAD Scaled(RGBQUAD c, int numerator, int denominator) {
    return RGBQUAD{uint8_t(c.blue * numerator / denominator), uint8_t(c.green * numerator / denominator),
                   uint8_t(c.red * numerator / denominator), 0};
}

RGBQUAD Mix(RGBQUAD a, RGBQUAD b, int step, int steps) {
    if (steps <= 0) return a;
    auto channel = [&](int from, int to) { return uint8_t(from + (to - from) * step / steps); };
    return RGBQUAD{channel(a.blue, b.blue), channel(a.green, b.green), channel(a.red, b.red), 0};
}

void ShadedRings(int width, int height, const FrameChoice& c, const FramePixel& put) {
    const RGBQUAD main = c.main;
    for (int i = 0; i < c.thickness; ++i) {
        if (i >= width || i >= height) break;
        const RGBQUAD colour = Scaled(main, i, c.thickness);
        for (int x = i; x <= width - 1 - i; ++x) {
            put(x, i, colour);
            put(x, height - 1 - i, colour);
        }
        for (int y = i; y <= height - 1 - i; ++y) {
            put(i, y, colour);
            put(width - 1 - i, y, colour);
        }
    }
}

}  // namespace

void DrawFrameStyle(int width, int height, const FrameChoice& c, const FramePixel& put) {
    if (width <= 0 || height <= 0 || c.thickness <= 0) return;
    if (c.style == 0) {
        ShadedRings(width, height, c, put);
        return;
    }
    if (c.style < 0 || c.style >= kFrameStyles) return;
    const int t = c.thickness;
    const int stripe = std::max(2, t / 2);
    for (int y = 0; y < height; ++y) {
        const int top = y, bottom = height - 1 - y;
        // Rows away from the border: only the left and right bands.
        const bool innerRow = std::min(top, bottom) >= t;
        for (int x = 0; x < width; ++x) {
            if (innerRow && x == t && width - 1 - t > x) x = width - t;
            const int left = x, right = width - 1 - x;
            const int ring = std::min(std::min(top, bottom), std::min(left, right));
            if (ring >= t) continue;
            RGBQUAD colour;
            switch (c.style) {
                case 1: {
                    // The nearest edge decides the side; top and left win ties.
                    const int nearest = std::min(std::min(top, left), std::min(bottom, right));
                    colour = (top == nearest || left == nearest) ? c.main : c.second;
                    break;
                }
                case 2: colour = Mix(c.main, c.second, ring, t - 1); break;
                default:
                    colour = (ring == 0 || ring == t - 1 || ((x + y) / stripe) % 2 == 0) ? c.main : c.second;
                    break;
            }
            put(x, y, colour);
        }
    }
}

}  // namespace quillory
