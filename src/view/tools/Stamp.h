#pragma once
// The round stamp that brush, eraser, line, polyline, circle and spray put
// down: rings of radius 1 .. size − 1 around the point, a soft option that
// mixes the present colour back in towards the rim with a random term, and a
// pass that fills one-pixel gaps between the rings.
#include "core/DibTypes.h"
#include "document/SelectionEditing.h"

namespace quillory {

class LayerCanvas;

inline constexpr int kMaxStampSize = 25;  // larger sizes stamp as 25
inline constexpr int kSprayStampSize = 20;

struct StampStyle {
    int size = 1;
    bool soft = false;
    bool erase = false;
    RGBQUAD colour{};
};

void Stamp(LayerCanvas& canvas, int x, int row, const StampStyle& style);
// Stamps at every point of the line stepping from a to b, both included.
void StampLine(LayerCanvas& canvas, LayerPoint a, LayerPoint b, const StampStyle& style);

}  // namespace quillory
