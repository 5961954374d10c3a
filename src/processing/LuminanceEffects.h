#pragma once
// "수채화" and "유리성에": each pixel takes the mean colour of one luminance class
// of its square neighbourhood (all pixels inside the layer, whatever their alpha).
#include "processing/FilterPlanes.h"

namespace quillory {

// Luminance class of a colour: trunc(G × 0.59 + R × 0.30 + B × 0.11), 0..255.
int LuminanceClass(const uint8_t* bgr);

// Over the window of the given radius, each pixel's class L falls into bin
// trunc(L × classes / 255); the fullest bin (the lowest among equals) gives its mean colour.
bool ModeOfLuminance(const LayerPlanesView& source, const LayerPlanes& destination, int radius, int classes,
                     FilterProgress& progress);

// Over the window, a class is drawn with the engine's generator in proportion to
// its count (t = trunc((rand() + 1) × N / 32768), the first class bringing the
// running count to t), and its mean colour taken; a draw that lands on an empty
// class is repeated, at most 10001 draws, after which the pixel stays. Radius 0
// leaves the picture as it is.
bool RandomLuminancePick(const LayerPlanesView& source, const LayerPlanes& destination, int radius,
                         FilterProgress& progress);

}  // namespace quillory
