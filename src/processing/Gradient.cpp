#include "processing/Gradient.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "processing/PixelAccess.h"

namespace quillory {

double GradientRamp(int shape, int length, double s) {
    if (length <= 0) return 1.0;
    if (shape == GradientSettings::Mirrored) {
        const int half = length / 2;
        if (half <= 0) return 1.0;
        return std::clamp(std::fabs(double(half) - s) / double(half), 0.0, 1.0);
    }
    const double f = std::clamp(double(length) - s, 0.0, double(length));
    return f / double(length);
}

RGBQUAD GradientColour(const GradientSettings& g, double t) {
    const auto mix = [&](int first, int second) {
        if (g.colourMode == GradientSettings::ForegroundOnly) return uint8_t(std::clamp(int(t * second), 0, 255));
        return uint8_t(std::clamp(int((1.0 - t) * first + t * second), 0, 255));
    };
    return RGBQUAD{mix(g.first.blue, g.second.blue), mix(g.first.green, g.second.green),
                   mix(g.first.red, g.second.red), 0};
}

bool PaintGradient(Planes& layer, const PaletteRef& palette, const GradientSettings& settings, int startX, int startY,
                   int endX, int endY, const uint8_t* mask) {
    if ((startX == endX && startY == endY) || !layer.IsValid()) return false;
    const double dx = double(endX) - startX, dy = double(endY) - startY;
    const double exact = std::sqrt(dx * dx + dy * dy);
    const int length = int(std::clamp(exact + 0.5, 1.0, double(INT32_MAX)));
    const double ux = dx / exact, uy = dy / exact;
    PixelWriter writer(layer, palette);
    for (int top = 0; top < layer.height; ++top) {
        const int storedY = layer.height - 1 - top;
        uint8_t* row = layer.Row(storedY);
        uint8_t* alphaRow = layer.AlphaRow(storedY);
        const uint8_t* maskRow = mask ? mask + size_t(storedY) * size_t(layer.width) : nullptr;
        for (int x = 0; x < layer.width; ++x) {
            if (maskRow && !maskRow[x]) continue;
            // The painted line a pixel lies on: its distance along the drag, in whole pixels.
            const double s = std::floor((double(x) - startX) * ux + (double(top) - startY) * uy + 0.5);
            const RGBQUAD c = GradientColour(settings, GradientRamp(settings.shape, length, s));
            writer.Put(row, x, c.blue, c.green, c.red);
            alphaRow[x] = 255;
        }
    }
    return true;
}

}  // namespace quillory
