#pragma once
// Flips and rotations of a layer's planes. Rotation is nearest-neighbour with
// inverse mapping about the layer's first stored pixel; positive angles turn
// clockwise on screen. Quarter turns take a direct path that gives the same
// pixels as the general mapping.
#include <cstdint>

#include "core/NyZazo.h"
#include "processing/Planes.h"

namespace quillory {

class NyZazo;

// new(x, y) = old(w − 1 − x, y); opacity moves with its pixel.
void FlipHorizontal(Planes& planes);
// new(x, y) = old(x, h − 1 − y).
void FlipVertical(Planes& planes);

// The document picture written back reversed left to right: 8-bit pictures byte
// by byte, 24-bit ones in 3-byte pixels, other depths index by index.
void MirrorImage(NyZazo& image);

// The size a rotation gives and the offset of its first output pixel in the
// rotated frame (the corners' smallest x′ and y′).
struct RotatedBox {
    int width = 0;
    int height = 0;
    int minX = 0;
    int minY = 0;
};
RotatedBox RotatedExtent(int width, int height, float angle);

// What a rotated layer shows where its source lies outside the old layer:
// the colour for direct colour, the index for indexed and text planes.
struct OutsideFill {
    RGBQUAD colour{255, 255, 255, 0};
    uint8_t index = 0;
};

// The source position of output pixel (k, r) of the rotated frame, rounded to
// the nearest source pixel: sx = floor(k·cos θ + (r·sin θ + 0.5)),
// sy = floor((r·cos θ + 0.5) − k·sin θ), θ = −(π/2)·angle/90.
struct RotationMapping {
    double cosine = 1.0;
    double sine = 0.0;
    explicit RotationMapping(float angle);
};

// Rotates into new planes of the extent's size; outside sources take the fill and
// opacity 0. False (out untouched) when the size passes the pixel cap or memory runs out.
[[nodiscard]] bool RotatePlanes(const Planes& source, float angle, const OutsideFill& fill, Planes& out,
                                ProgressSink* progress = nullptr);

// True for angles whose rotation is a quarter-turn permutation (0, 90, 180, 270 and their negatives).
bool IsQuarterTurn(float angle);

}  // namespace quillory
