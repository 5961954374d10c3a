#pragma once
// Stroke effects: "찍어붙이기" and "색종이뿌리기" scatter short diagonal strokes,
// "유화" and "선효과채색" draw strokes along the local slope of the picture. All
// positions and lengths come from the engine's generator; strokes write without
// consulting the selection, only on pixels with a non-zero alpha byte.
#include <cstdint>
#include <vector>

#include "processing/FilterPlanes.h"

namespace quillory {

// Stop markers (one byte a pixel, in the planes' row order): 1 where the "윤곽선" kernel with
// this centre, black border, gives a pixel above black, on pixels with a non-zero alpha byte.
bool EdgeStopMarkers(const LayerPlanesView& source, int centre, std::vector<uint8_t>& markers,
                     FilterProgress& progress);

// The local slope of every pixel (in the planes' row order): the green result of the vertical
// Sobel kernel (-1 -2 -1 / 0 0 0 / 1 2 1) over that of the horizontal one, both summed
// over the neighbours inside the layer and clamped to 0..255; 0 where the second is 0.
bool DirectionField(const LayerPlanesView& source, std::vector<float>& field);

// Two passes of height × width random points; from each opaque point a diagonal of
// r = trunc(u × length) + 3 dots (4 × 4 squares) towards the lower right, in the
// colour half a stroke further on, some channels multiplied by `colourFactor`
// modulo 256. A stroke whose start has a stop marker draws nothing.
bool ScatterStrokes(const LayerPlanesView& source, const LayerPlanes& destination, int length, int colourFactor,
                    const uint8_t* markers, FilterProgress& progress);

// Height × width random points; from each opaque point a stroke of trunc(u × length)
// + 3 dots (6 × 6 squares) to the right in the point's colour, its row following the
// slope; it ends at a stop marker or where the slope step exceeds one row.
bool OilStrokes(const LayerPlanesView& source, const LayerPlanes& destination, int length, const float* field,
                const uint8_t* markers, FilterProgress& progress);

// `passes` rounds of height × width random points; from each opaque point a thin
// line of trunc(u × length) + 3 pixels to the right along the start's slope.
bool LineStrokes(const LayerPlanesView& source, const LayerPlanes& destination, int length, int passes,
                 const float* field, FilterProgress& progress);

}  // namespace quillory
