#pragma once
// Pictures with opacity in documents. A 32-bit picture opens as a 24-bit layer whose
// opacity plane holds the fourth bytes, and a palette picture of a format that keeps
// opacity as one whose transparent index is see-through. Saving to such a format
// writes the opacity back as a 32-bit picture.
#include <cstdint>
#include <vector>

#include "core/NyZazo.h"

namespace quillory {

// True for the formats whose files keep opacity (PNG, WebP).
bool KeepsOpacity(int formatType);

// The opacity a picture carries, rows bottom-up, one byte a pixel: the fourth bytes of
// a 32-bit picture (which becomes 24-bit), or 0 at the transparent index of a palette
// picture whose format keeps opacity. False, with nothing changed, for an opaque picture
// (or when memory runs out: the picture then opens opaque).
bool TakePictureOpacity(NyZazo& picture, std::vector<uint8_t>& opacity);

// A flat 32-bit buffer (rows top-down, colours weighed by their opacity as the blend
// leaves them) as a 32-bit picture with plain colours. False when every pixel is
// opaque or the picture cannot be made.
bool FlatPictureWithOpacity(const std::vector<uint32_t>& flat, int width, int height, NyZazo& picture);

}  // namespace quillory
