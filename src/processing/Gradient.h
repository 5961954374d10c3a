#pragma once
// The gradient fill: a colour ramp along a dragged line, painted across the
// whole layer in lines perpendicular to the drag.
#include <cstdint>

#include "core/DibTypes.h"
#include "processing/Planes.h"

namespace quillory {

struct GradientSettings {
    enum ColourMode : int { ForegroundOnly = 1, ForegroundAndBackground = 2 };
    enum Shape : int { Linear = 1, Mirrored = 2 };
    int colourMode = ForegroundAndBackground;
    int shape = Linear;
    // The ramp runs from the second colour at the drag's start to the first at its end.
    RGBQUAD first{255, 255, 255, 0};
    RGBQUAD second{0, 0, 0, 0};
};

// The ramp value t (1 at the start) for a line at distance s along a drag of length L.
// Linear: t = (L − s) / L with L − s limited to 0..L. Mirrored: H = L / 2 (integer),
// t = |H − s| / H limited to 0..1.
double GradientRamp(int shape, int length, double s);

// The colour for a ramp value: "전경" scales the second colour by t; "전경+배경"
// mixes (1 − t) × first + t × second; each channel truncated.
RGBQUAD GradientColour(const GradientSettings& settings, double t);

// Paints every layer pixel (and its opacity 255) whose mask byte is not 0 (no
// mask: all) with the colour of its own line: the line through the pixel centre
// perpendicular to the drag from (startX, startY) to (endX, endY), layer pixels
// with rows top-down. Lines are one pixel apart along the drag. Returns false,
// painting nothing, when the two points are equal. Palette planes take the
// nearest palette entry.
bool PaintGradient(Planes& layer, const PaletteRef& palette, const GradientSettings& settings, int startX, int startY,
                   int endX, int endY, const uint8_t* mask = nullptr);

}  // namespace quillory
