#pragma once
// "물체축소" and "물체확장": the per-channel minimum (erosion) and maximum
// (dilation) over a square window.
#include "processing/FilterPlanes.h"

namespace quillory {

// Window offsets -size/2 .. size - size/2 - 1 in x and in y, so even sizes lean
// towards the top left. The alpha of neighbours is not consulted; pixels with alpha 0
// keep their colour. The minimum takes only positions inside the layer; the maximum
// reads positions outside the layer as the source's background colour. False for a
// size below 1. The selection is not consulted.
bool MinimumWindow(const LayerPlanesView& source, const LayerPlanes& destination, int size, FilterProgress& progress);
bool MaximumWindow(const LayerPlanesView& source, const LayerPlanes& destination, int size, FilterProgress& progress);

}  // namespace quillory
