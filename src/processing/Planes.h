#pragma once
// A layer's planes as the geometric routines see them: pixels at the picture's
// depth (rows bottom-up, `stride` bytes apart) and one opacity byte a pixel.
// Text layers keep one coverage byte a pixel in both planes, rows unpadded.
#include <cstdint>
#include <vector>

#include "core/DibTypes.h"
#include "core/NyZazo.h"

namespace quillory {

// How a new set of planes is laid out: padded rows at a depth, or one byte a
// pixel without padding (text layers).
struct PlaneLayout {
    int bitsPerPixel = 24;
    bool packedBytes = false;
};

struct Planes {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 24;
    int stride = 0;
    bool packedBytes = false;  // text layers: one byte a pixel, rows unpadded
    std::vector<uint8_t> pixels;
    std::vector<uint8_t> alpha;

    uint8_t* Row(int storedY) { return pixels.data() + size_t(storedY) * size_t(stride); }
    const uint8_t* Row(int storedY) const { return pixels.data() + size_t(storedY) * size_t(stride); }
    uint8_t* AlphaRow(int storedY) { return alpha.data() + size_t(storedY) * size_t(width); }
    const uint8_t* AlphaRow(int storedY) const { return alpha.data() + size_t(storedY) * size_t(width); }
    int BytesPerPixel() const { return bitsPerPixel / 8; }
    PlaneLayout Layout() const { return PlaneLayout{bitsPerPixel, packedBytes}; }
    bool IsValid() const {
        return width > 0 && height > 0 && stride > 0 && pixels.size() >= size_t(stride) * size_t(height) &&
               alpha.size() >= size_t(width) * size_t(height);
    }
};

// Bytes per stored row for a layout.
int64_t LayoutStride(const PlaneLayout& layout, int width);

// Makes planes of a size with every pixel byte and every opacity byte set. False
// (planes untouched) for a non-positive size, one past the pixel cap, or no memory.
[[nodiscard]] bool MakePlanes(int width, int height, const PlaneLayout& layout, uint8_t pixelFill, uint8_t alphaFill,
                              Planes& out);

// The palette that colours an indexed plane (nothing for direct colour).
struct PaletteRef {
    const RGBQUAD* colours = nullptr;
    int count = 0;
};

// Reports row progress (row × 100 / height) to a sink when there is one; only when the value changes.
class RowReporter {
public:
    RowReporter(ProgressSink* sink, int rows) : m_sink(sink), m_rows(rows > 0 ? rows : 1) {}
    void Row(int row) {
        if (!m_sink) return;
        const int percent = int(int64_t(row) * 100 / m_rows);
        if (percent != m_last) m_sink->SetPosition(m_last = percent);
    }
    void Done() {
        if (m_sink) m_sink->SetPosition(0);
    }

private:
    ProgressSink* m_sink;
    int m_rows;
    int m_last = -1;
};

}  // namespace quillory
