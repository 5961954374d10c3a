#include "processing/Yuv.h"

#include <algorithm>
#include <cmath>

namespace quillory {

namespace {

uint8_t Channel(double value) { return uint8_t(std::clamp(std::trunc(value), 0.0, 255.0)); }

}  // namespace

Yuv RgbToYuv(int red, int green, int blue) {
    Yuv out;
    out.y = Channel(0.587 * green + 0.299 * red + 0.114 * blue);
    out.u = Channel(0.565 * (blue - out.y) + 128);
    out.v = Channel(0.713 * (red - out.y) + 128);
    return out;
}

Rgb YuvToRgb(int y, int u, int v) {
    const double du = u - 128, dv = v - 128;
    Rgb out;
    out.red = Channel(y + 1.403 * dv);
    out.green = Channel(y - 0.344 * du - 0.714 * dv);
    out.blue = Channel(y + 1.77 * du);
    return out;
}

}  // namespace quillory
