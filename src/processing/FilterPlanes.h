#pragma once
// What every filter and effect works on: a layer's 24-bit colour plane (blue,
// green, red) with its opacity plane, addressed in the system's row order (row 0 is
// the first stored row, the bottom of the picture as shown; x to the right), so that
// rules that are uneven in y (lighting, windows of even size, random walks over the
// rows) agree with every other pixel operation; the selection map over the same
// pixels; the slider values; and the progress of the run.
//
// A filter reads the source, as the layer was before the run, and writes the
// destination, which starts as a copy of it, so no result depends on another
// result of the same run. A pixel is processed only where its opacity is not 0.
#include <cstddef>
#include <cstdint>
#include <functional>

#include "core/DibTypes.h"

namespace quillory {

template <typename Byte>
struct BasicLayerPlanes {
    Byte* pixelOrigin = nullptr;  // first byte of row 0
    ptrdiff_t pixelStep = 0;      // bytes from row y to row y + 1
    Byte* alphaOrigin = nullptr;
    ptrdiff_t alphaStep = 0;
    int width = 0;
    int height = 0;
    // What positions outside the layer read as where a filter reads them at all.
    RGBQUAD background{0, 0, 0, 0};

    Byte* Row(int y) const { return pixelOrigin + ptrdiff_t(y) * pixelStep; }
    Byte* AlphaRow(int y) const { return alphaOrigin + ptrdiff_t(y) * alphaStep; }
    Byte* Pixel(int x, int y) const { return Row(y) + 3 * ptrdiff_t(x); }
    uint8_t Alpha(int x, int y) const { return AlphaRow(y)[x]; }
    bool IsInside(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    // Inside the layer and not fully transparent.
    bool IsOpaqueAt(int x, int y) const { return IsInside(x, y) && AlphaRow(y)[x] != 0; }
    RGBQUAD Colour(int x, int y) const {
        const Byte* p = Pixel(x, y);
        return RGBQUAD{p[0], p[1], p[2], 0};
    }
    bool IsUsable() const { return pixelOrigin && alphaOrigin && width > 0 && height > 0; }

    operator BasicLayerPlanes<const uint8_t>() const {
        return {pixelOrigin, pixelStep, alphaOrigin, alphaStep, width, height, background};
    }
};

using LayerPlanes = BasicLayerPlanes<uint8_t>;
using LayerPlanesView = BasicLayerPlanes<const uint8_t>;

inline void PutColour(const LayerPlanes& planes, int x, int y, RGBQUAD colour) {
    uint8_t* p = planes.Pixel(x, y);
    p[0] = colour.blue, p[1] = colour.green, p[2] = colour.red;
}

// Row 0 at the top as shown, over rows stored bottom-up (for code that works as the
// picture is shown; filters take StoredOrderPlanes).
template <typename Byte>
BasicLayerPlanes<Byte> BottomUpPlanes(Byte* pixels, ptrdiff_t stride, Byte* alpha, int width, int height) {
    BasicLayerPlanes<Byte> planes;
    planes.width = width;
    planes.height = height;
    planes.pixelStep = -stride;
    planes.alphaStep = -ptrdiff_t(width);
    planes.pixelOrigin = pixels + ptrdiff_t(height - 1) * stride;
    planes.alphaOrigin = alpha + ptrdiff_t(height - 1) * width;
    return planes;
}

// Row y is the y-th row in memory: for a layer or picture, the stored order.
template <typename Byte>
BasicLayerPlanes<Byte> StoredOrderPlanes(Byte* pixels, ptrdiff_t stride, Byte* alpha, int width, int height) {
    BasicLayerPlanes<Byte> planes;
    planes.width = width;
    planes.height = height;
    planes.pixelStep = stride;
    planes.alphaStep = width;
    planes.pixelOrigin = pixels;
    planes.alphaOrigin = alpha;
    return planes;
}

// One byte per layer pixel in the rows of the planes; 0 = not selected. Without
// bytes every pixel is selected.
struct SelectionMap {
    const uint8_t* origin = nullptr;
    ptrdiff_t step = 0;

    bool Selected(int x, int y) const { return !origin || origin[ptrdiff_t(y) * step + x] != 0; }
    bool SelectsAll() const { return origin == nullptr; }
};

// The three slider values p1, p2, p3 in the order the filter receives them.
struct FilterValues {
    int p[3] = {0, 0, 0};
    int operator[](int i) const { return p[i]; }
};

// Progress of the outer loop (done × 100 / total) and the caller's stop request.
class FilterProgress {
public:
    FilterProgress() = default;
    FilterProgress(std::function<void(int)> report, const bool* stopRequested = nullptr)
        : m_report(std::move(report)), m_stopRequested(stopRequested) {}

    // Reports when the percentage changes; false once a stop is requested.
    bool Step(int done, int total) {
        const int percent = total > 0 ? int(int64_t(done) * 100 / total) : 0;
        if (percent != m_last) {
            m_last = percent;
            if (m_report) m_report(percent);
        }
        return !Stopped();
    }
    bool Stopped() const { return m_stopRequested && *m_stopRequested; }
    void Finish() {
        m_last = -1;
        if (m_report) m_report(0);
    }

private:
    std::function<void(int)> m_report;
    const bool* m_stopRequested = nullptr;
    int m_last = -1;
};

// Every filter and effect has this form. False when nothing was done (bad values,
// unusable planes, no memory, stopped); the destination may then be partly written.
using FilterFunction = bool (*)(const LayerPlanesView& source, const LayerPlanes& destination,
                                const FilterValues& values, const SelectionMap& selection,
                                FilterProgress& progress);

}  // namespace quillory
