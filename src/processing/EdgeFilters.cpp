#include "processing/EdgeFilters.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace quillory {

namespace {

int Difference(const uint8_t* a, const uint8_t* b) {
    return std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]);
}

}  // namespace

bool EnhanceEdges(const LayerPlanesView& source, const LayerPlanes& destination, int amount, int strength,
                  const SelectionMap& selection, FilterProgress& progress) {
    if (!source.IsUsable()) return false;
    const int width = source.width;
    const int height = source.height;
    const int lowered = int(std::trunc(strength / 10.0 * amount));
    for (int y = 0; y < height; ++y) {
        if (!progress.Step(y, height)) return false;
        if (y == 0 || y == height - 1) continue;
        const uint8_t* up = source.Row(y - 1);
        const uint8_t* row = source.Row(y);
        const uint8_t* down = source.Row(y + 1);
        const uint8_t* alphaUp = source.AlphaRow(y - 1);
        const uint8_t* alpha = source.AlphaRow(y);
        const uint8_t* alphaDown = source.AlphaRow(y + 1);
        uint8_t* out = destination.Row(y);
        for (int x = 1; x < width - 1; ++x) {
            if (!alpha[x] || !alpha[x - 1] || !alpha[x + 1] || !alphaUp[x] || !alphaDown[x]) continue;
            const uint8_t* p = row + 3 * x;
            const int mean = (Difference(p, p - 3) + Difference(p, up + 3 * x) + Difference(p, p + 3) +
                              Difference(p, down + 3 * x)) / 4;
            if (mean < amount || !selection.Selected(x, y)) continue;
            const int drop = mean - lowered;
            for (int c = 0; c < 3; ++c) out[3 * x + c] = uint8_t(std::clamp(p[c] - drop, 0, 255));
        }
    }
    return true;
}

}  // namespace quillory
