#pragma once
// "잡영제거": noise removal in two passes, both writing only selected pixels.
#include "processing/FilterPlanes.h"

namespace quillory {

// Speckle pass, then a staircase pass over the speckle pass's result.
bool RemoveNoise(const LayerPlanesView& source, const LayerPlanes& destination, int size, int absorption,
                 const SelectionMap& selection, FilterProgress& progress);

// Speckle pass (size raised to 2 at least): for each pixel with colour h, squares of
// side n = size .. 2 with the pixel as their top-left corner are tried while they fit
// in the layer. Each side of the square is sampled at its n positions (four samples
// a step) and the samples within |ΔR| + |ΔG| + |ΔB| <= 50 of h are counted in one
// total over all sizes; when the total after size n is exactly absorption × n, the
// square's pixels with a non-zero alpha byte take h. Columns are the outer loop.
bool RemoveSpeckles(const LayerPlanesView& source, const LayerPlanes& destination, int size, int absorption,
                    const SelectionMap& selection, FilterProgress& progress);

// Staircase pass: a pixel whose eight neighbours form one of four stair patterns of
// "other colour" (0), "same colour" (1) and "outside or transparent" (-1) takes the
// colour of its upper left or lower right neighbour.
bool SmoothStaircases(const LayerPlanesView& source, const LayerPlanes& destination, const SelectionMap& selection,
                      FilterProgress& progress);

}  // namespace quillory
