#pragma once
// "흐리게" and "부드럽게": the mean of a square window.
#include "processing/FilterPlanes.h"

namespace quillory {

// The window covers offsets -size/2 .. size - size/2 - 1 in x and in y. Every pixel
// of it inside the layer with a non-zero alpha byte adds its colour, the centre
// `centreWeight` times; each channel sum is divided by the number of contributing
// pixels (not by the weights, so a heavy centre brightens) and clamped to 0..255.
// False, nothing changed, when size or centre weight is below 1 (or absurdly
// large: a size above 4095, a weight above 65536). The selection is
// not consulted.
bool BoxAverage(const LayerPlanesView& source, const LayerPlanes& destination, int size, int centreWeight,
                FilterProgress& progress);

}  // namespace quillory
