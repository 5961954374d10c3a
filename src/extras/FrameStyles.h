#pragma once
// The four picture frame styles, drawn as a border of a given thickness along the
// edges of a plane (rows from the top):
//  0 shaded ring: ring i of the border in the main colour times i / thickness,
//    black at the outer edge to the full colour at the inner edge;
//  1 bevel: the top and left sides in the main colour, the bottom and right sides
//    in the secondary colour, meeting on the corner diagonals, a raised panel when
//    the main colour is the lighter one;
//  2 blend: the main colour at the outer edge running evenly into the secondary
//    colour at the inner edge;
//  3 stripes: diagonal stripes of main and secondary colour, each half the
//    thickness wide (at least 2 pixels), between a one-pixel main-colour line on
//    the outer and the inner edge.
#include <cstdint>
#include <functional>

#include "core/DibTypes.h"

namespace quillory {

inline constexpr int kFrameStyles = 4;
inline constexpr int kMinFrameThickness = 5;

struct FrameChoice {
    RGBQUAD main{0, 0, 0, 0};
    RGBQUAD second{255, 255, 255, 0};
    int style = 0;
    int thickness = kMinFrameThickness;
};

// Calls `put` once for every pixel of the frame of a width × height plane, with its
// colour. Style 0 draws its rings line by line (later rings over earlier ones when
// the frame is thicker than half the plane); the others cover every pixel whose
// distance to the nearest edge is below the thickness. Nothing for a style outside 0..3.
using FramePixel = std::function<void(int x, int y, RGBQUAD colour)>;
void DrawFrameStyle(int width, int height, const FrameChoice& choice, const FramePixel& put);

}  // namespace quillory
