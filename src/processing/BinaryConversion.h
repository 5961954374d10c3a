#pragma once
// Conversion of a layer to pure black and white by three methods: error diffusion
// (Floyd–Steinberg), ordered dithering with a 4 × 4 matrix, and an absolute
// threshold. Bright pixels turn black; the larger t, the more pixels stay white.
// Only opaque, selected pixels are written.
#include "processing/ColourPlanes.h"

namespace quillory {

// The method is the index in the dialog's method list.
enum BinaryMethod : int { kErrorDiffusion = 0, kOrderedDither = 1, kAbsoluteThreshold = 2 };
inline constexpr int kBinaryMethods = 3;

// A method's list entry and its one slider.
struct BinaryMethodInfo {
    const char* name;
    const char* sliderLabel;
    int minimum;
    int maximum;
    int initial;
};
// Null for an unknown method.
const BinaryMethodInfo* FindBinaryMethod(int method);

// g = (R + G + B) / 3 carrying the error diffused into it; white when g > t (error
// g − 255), else black (error g). 7/16 of the error goes right, 3/16 down-left, 5/16
// down and 1/16 down-right, each neighbour clamped to 0..255; rows from the first
// stored row on. Error reaches only neighbours inside the layer that may be written.
[[nodiscard]] bool BinaryErrorDiffusion(ColourPlanes& planes, int t);
// level = g × 16 / (2t + 100): white when level < 16 and the matrix entry at
// (x mod 4, y mod 4) is at least level mod 16, else black.
[[nodiscard]] bool BinaryOrderedDither(ColourPlanes& planes, int t);
// White when g ≤ t, black when g > t.
[[nodiscard]] bool BinaryAbsolute(ColourPlanes& planes, int t);
// One of the three by method; false for an unknown method, t outside 0..255 or unusable planes.
[[nodiscard]] bool BinaryConvert(ColourPlanes& planes, int method, int t);

}  // namespace quillory
