#pragma once
// "경계강조": darkens pixels that differ strongly from their four direct neighbours.
#include "processing/FilterPlanes.h"

namespace quillory {

// For a pixel whose four direct neighbours all lie inside the layer with non-zero
// alpha bytes: D = the mean of |ΔR| + |ΔG| + |ΔB| against them (integer); when
// D >= amount, every channel drops by D - trunc(strength / 10 × amount), not below 0.
// Border pixels therefore never change. Only selected pixels are written.
bool EnhanceEdges(const LayerPlanesView& source, const LayerPlanes& destination, int amount, int strength,
                  const SelectionMap& selection, FilterProgress& progress);

}  // namespace quillory
