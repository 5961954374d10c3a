#pragma once
// "한지효과": short darkening smears from random pixels along their strongest edge,
// like ink spreading in mulberry paper.
#include "processing/FilterPlanes.h"

namespace quillory {

// For each column, height random rows. From an opaque pixel of colour K, the
// neighbour (of seven: row y − 1, left, right, and x − 1 and x of row y + 1) that
// differs most gives the direction; n = trunc(u × 3 + 3) steps are taken while they
// stay in the layer, and the pixel at step k becomes K darkened by
// trunc(k / n × (255 - v) / 7) per channel (v from the reached pixel when it is fully
// opaque, else from K). Nothing happens where all neighbours have K's colour.
bool PaperSmear(const LayerPlanesView& source, const LayerPlanes& destination, FilterProgress& progress);

}  // namespace quillory
