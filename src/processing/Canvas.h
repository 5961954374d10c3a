#pragma once
// Placing a layer's planes on a larger (or smaller) canvas: the nine anchors of
// the canvas size command and a clipped copy of one set of planes into another.
#include "processing/Planes.h"

namespace quillory {

// Anchors number the nine places row by row from the top left: 0 1 2 / 3 4 5 / 6 7 8.
inline constexpr int kAnchorCount = 9;

// Where the old picture lands on the new canvas: dx columns from the left and
// dy stored rows from the bottom. Odd differences leave the extra pixel on the
// side of the larger margin (right, top).
struct AnchorShift {
    int dx = 0;
    int dy = 0;
};
AnchorShift AnchorOffset(int oldWidth, int oldHeight, int newWidth, int newHeight, int anchor);

// Copies every pixel and opacity byte of `from` to (x + dx, storedY + dy) of `to`;
// what falls outside `to` is dropped. Both planes must have the same depth.
void CopyPlanesInto(const Planes& from, Planes& to, int dx, int dy);

}  // namespace quillory
