#include "view/tools/Stamp.h"

#include <algorithm>
#include <array>

#include "core/ClassicRandom.h"
#include "processing/LineStepping.h"
#include "view/tools/LayerCanvas.h"

namespace quillory {

namespace {

constexpr int kGrid = 2 * kMaxStampSize;  // cells −25 .. 24 around the point

void StampPixel(LayerCanvas& canvas, int x, int row, const StampStyle& style) {
    if (!canvas.Paintable(x, row)) return;
    if (style.erase) canvas.SetOpacity(x, row, 0);
    else canvas.Put(x, row, style.colour, 255);
}

uint8_t Mix(uint8_t f, uint8_t q, double g) { return uint8_t(f - int((f - q) * g)); }

}  // namespace

void Stamp(LayerCanvas& canvas, int x, int row, const StampStyle& style) {
    const int size = std::min(style.size, kMaxStampSize);
    if (size <= 1) {
        StampPixel(canvas, x, row, style);
        return;
    }
    std::array<uint8_t, kGrid * kGrid> marked{};
    auto cell = [&](int dx, int dy) -> uint8_t& { return marked[size_t(dx + kMaxStampSize) * kGrid + size_t(dy + kMaxStampSize)]; };
    ClassicRandom& random = EngineRandom();
    const RGBQUAD f = style.colour;
    for (int i = 1; i < size; ++i) {
        TraceRing(i, [&](int dx, int dy) {
            const int px = x + dx, py = row + dy;
            if (!canvas.Paintable(px, py)) return;
            cell(dx, dy) = 1;
            const double u = random.Next() / double(kRandomMax);
            const double g = std::max(0.0, double(i) / size - 0.2 + 0.1 * u);
            if (style.erase) {
                const uint8_t present = canvas.Opacity(px, py);
                canvas.SetOpacity(px, py, style.soft ? std::min<uint8_t>(present, uint8_t(g * 255)) : 0);
                return;
            }
            if (style.soft) {
                const RGBQUAD q = canvas.Opacity(px, py) == 0 ? f : canvas.Colour(px, py);
                canvas.Put(px, py, RGBQUAD{Mix(f.blue, q.blue, g), Mix(f.green, q.green, g), Mix(f.red, q.red, g), 0}, 255);
            } else {
                canvas.Put(px, py, f, 255);
            }
        });
    }
    // A cell left out between two marked cells of its column takes the pixel before it.
    for (int dx = -kMaxStampSize; dx < kMaxStampSize; ++dx)
        for (int dy = -kMaxStampSize + 2; dy < kMaxStampSize; ++dy) {
            if (cell(dx, dy) || !cell(dx, dy - 1) || !cell(dx, dy - 2)) continue;
            const int px = x + dx, py = row + dy;
            if (!canvas.Paintable(px, py) || !canvas.Inside(px, py - 1)) continue;
            canvas.Put(px, py, canvas.Colour(px, py - 1), canvas.Opacity(px, py - 1));
        }
}

void StampLine(LayerCanvas& canvas, LayerPoint a, LayerPoint b, const StampStyle& style) {
    StepLine(a.x, a.row, b.x, b.row, [&](int x, int row) { Stamp(canvas, x, row, style); });
}

}  // namespace quillory
