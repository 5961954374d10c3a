#pragma once
// "영역확장": each connected area of colours close to its first pixel is painted in
// that pixel's colour.
#include "processing/FilterPlanes.h"

namespace quillory {

// Seeds are taken column by column, top to bottom, from opaque pixels not yet
// visited; a region grows through the eight neighbours whose original colour is
// within |ΔR| + |ΔG| + |ΔB| <= tolerance of the seed's. Transparent pixels stop the
// growth. Only selected pixels are written.
bool FlattenRegions(const LayerPlanesView& source, const LayerPlanes& destination, int tolerance,
                    const SelectionMap& selection, FilterProgress& progress);

}  // namespace quillory
