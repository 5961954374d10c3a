#pragma once
// The colour-range rule: every opaque pixel whose summed channel distance to a
// picked colour is within the tolerance is marked in a selection map.
#include <cstdint>

#include "core/DibTypes.h"
#include "core/NyZazo.h"
#include "processing/Planes.h"

namespace quillory {

// |ΔR| + |ΔG| + |ΔB|.
inline int ColourDistance(RGBQUAD a, RGBQUAD b) {
    const auto d = [](int x, int y) { return x > y ? x - y : y - x; };
    return d(a.red, b.red) + d(a.green, b.green) + d(a.blue, b.blue);
}

// Sets mask bytes (one a pixel, laid out like the opacity plane) to 1 where a
// pixel with non-zero opacity lies within `tolerance` of `picked`; other bytes
// stay. Returns the number of matching pixels (already selected ones count again).
int64_t MarkSimilarPixels(const Planes& layer, const PaletteRef& palette, RGBQUAD picked, int tolerance,
                          uint8_t* mask, ProgressSink* progress = nullptr);

}  // namespace quillory
