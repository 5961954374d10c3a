#pragma once
// Whole-picture flips and quarter turns of a NyZazo at every depth (1, 4, 8, 24
// and 32 bits). They work on stored rows; "left", "right", "top" and "clockwise"
// mean the picture as shown (row 0 is the bottom row).
#include "core/NyZazo.h"

namespace quillory {

// Reverses every row left to right, in place.
void MirrorLeftRight(NyZazo& picture);
// Reverses the order of the rows, in place.
void FlipTopBottom(NyZazo& picture);
// Quarter turns build a new block with width and height (and the resolutions)
// exchanged; false, with the picture untouched, when it cannot be allocated.
[[nodiscard]] bool RotateClockwise(NyZazo& picture);
[[nodiscard]] bool RotateCounterClockwise(NyZazo& picture);
// Turns a picture whose rows were read as stored in a TIFF file into the picture
// meant by the file's Orientation tag (2 to 8; other values change nothing).
[[nodiscard]] bool ApplyTiffOrientation(NyZazo& picture, int orientation);

}  // namespace quillory
