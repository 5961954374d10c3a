#pragma once
// Resampling of a layer's planes to a new size. Enlarging on both axes samples
// bilinearly with 8-bit fractions; anything else averages the source pixels
// under each destination pixel's footprint. Palette pictures average colours
// and take the nearest palette entry; text coverage planes average their bytes.
#include <cstdint>

#include "core/DibTypes.h"
#include "core/NyZazo.h"
#include "processing/Planes.h"

namespace quillory {

// A sampled colour (blue, green, red) and the opacity that goes with it.
struct Sample {
    uint8_t blue = 255, green = 255, red = 255;
    uint8_t alpha = 0;
};

// The colour at a source position with 8-bit fractions. Positions more than a
// pixel outside give white with opacity 0; neighbours past the edge repeat it.
// The opacity is that of the nearest source pixel.
Sample SampleBilinear(const Planes& source, const PaletteRef& palette, double x, double y);

// The mean colour of the source pixels under a footprint of sx × sy pixels
// centred on (x, y); its edges are rounded to whole pixels (x − sx/2 + 0.5 and
// x + sx/2 + 0.5 truncated, at least one pixel, cut to the plane). When both sx
// and sy are at most 1 the result is SampleBilinear.
Sample SampleArea(const Planes& source, const PaletteRef& palette, double x, double y, double sx, double sy);

// The source position of destination pixel i of n along an axis of `from` pixels:
// (i + 0.5) × (from / n) − 0.5.
inline double SourceCentre(int i, int from, int n) { return (double(i) + 0.5) * (double(from) / double(n)) - 0.5; }

// The whole plane resampled to newWidth × newHeight: destination pixel (i, j) is
// SampleArea at its source centre with footprint (w / newW, h / newH), the
// alpha byte that of the nearest source pixel. False (out untouched) for a bad
// size, one past the pixel cap, or no memory.
[[nodiscard]] bool ResizePlanes(const Planes& source, const PaletteRef& palette, int newWidth, int newHeight,
                                Planes& out, ProgressSink* progress = nullptr);

// The new size of one side: trunc(side × factor + 0.5), at least 1.
int ScaledSide(int side, double factor);

}  // namespace quillory
