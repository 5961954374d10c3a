#pragma once
// The YUV form of a colour used by the levels stretch of palette pictures and the
// channel views: each value truncated toward zero and clamped to 0..255.
#include <cstdint>

namespace quillory {

struct Yuv {
    uint8_t y = 0, u = 0, v = 0;
};

struct Rgb {
    uint8_t red = 0, green = 0, blue = 0;
};

// Y = 0.587 G + 0.299 R + 0.114 B; U = 0.565 (B − Y) + 128; V = 0.713 (R − Y) + 128,
// U and V from the truncated Y.
Yuv RgbToYuv(int red, int green, int blue);
// With U' = U − 128 and V' = V − 128: R = Y + 1.403 V', G = Y − 0.344 U' − 0.714 V', B = Y + 1.77 U'.
Rgb YuvToRgb(int y, int u, int v);

}  // namespace quillory
