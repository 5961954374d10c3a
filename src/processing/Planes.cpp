#include "processing/Planes.h"

#include <new>

namespace quillory {

int64_t LayoutStride(const PlaneLayout& layout, int width) {
    if (layout.packedBytes) return width;
    return ((int64_t(layout.bitsPerPixel) * width + 31) / 32) * 4;
}

bool MakePlanes(int width, int height, const PlaneLayout& layout, uint8_t pixelFill, uint8_t alphaFill, Planes& out) {
    if (width <= 0 || height <= 0) return false;
    const int64_t stride = LayoutStride(layout, width);
    const uint64_t pixelBytes = uint64_t(stride) * uint64_t(height);
    const uint64_t planeBytes = uint64_t(width) * uint64_t(height);
    if (pixelBytes > PixelByteLimit() || planeBytes > PixelByteLimit()) return false;
    Planes made;
    try {
        made.pixels.assign(size_t(pixelBytes), pixelFill);
        made.alpha.assign(size_t(planeBytes), alphaFill);
    } catch (const std::bad_alloc&) {
        return false;
    }
    made.width = width;
    made.height = height;
    made.bitsPerPixel = layout.packedBytes ? 8 : layout.bitsPerPixel;
    made.stride = int(stride);
    made.packedBytes = layout.packedBytes;
    out = std::move(made);
    return true;
}

}  // namespace quillory
