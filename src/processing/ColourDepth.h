#pragma once
// The picture-level work of the colour-depth commands: "8 비트 컬러 표현" reduces a
// direct-colour picture to 256 octree colours (nearest entry, no dithering) and
// "RGB컬러 표현" turns palette pixels back into 24-bit colour. The document applies
// them to its layer planes.
#include <cstdint>
#include <vector>

#include "core/CommandIds.h"
#include "core/DibTypes.h"
#include "core/NyZazo.h"

namespace quillory {

class NyZazo;


namespace texts {
inline constexpr const char* kMenuEightBitColour = "8 비트 컬러 표현";
inline constexpr const char* kMenuRgbColour = "RGB컬러 표현";
}  // namespace texts

// A pixel plane in the layout of the image object: rows bottom-up, `stride`
// bytes apart; palette depths take their colours from `palette`.
struct PlaneView {
    const uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int bitsPerPixel = 24;
    uint32_t stride = 0;
    const RGBQUAD* palette = nullptr;
    uint32_t colourCount = 0;
};

// The colour of pixel x of a stored row of a plane.
RGBQUAD PlaneColour(const PlaneView& plane, const uint8_t* row, int x);

// Octree palette of 256 entries (CQuantizer(256, 8)), zero-filled past the leaf
// count. False for a plane the quantizer cannot read (depth other than 1, 4, 8, 24).
[[nodiscard]] bool OctreePalette(const PlaneView& plane, RGBQUAD palette[256]);

// The same palette for a flat 32-bit picture (blue, green, red, alpha; rows
// top-down), its rows fed bottom row first as a picture's stored rows would be.
[[nodiscard]] bool OctreePaletteOfFlat(const uint32_t* pixels, int width, int height, RGBQUAD palette[256]);

// Writes the nearest palette index of every pixel into an 8-bit plane of the same
// size with `destStride` bytes a row. False when the plane is unusable.
[[nodiscard]] bool IndexPlane(const PlaneView& plane, const RGBQUAD* palette, uint32_t count, uint8_t* dest,
                              uint32_t destStride);

// Writes every pixel's colour (blue, green, red) into a 24-bit plane of the same size.
[[nodiscard]] bool RgbPlane(const PlaneView& plane, uint8_t* dest, uint32_t destStride);

PlaneView ViewOf(const NyZazo& image);

// Whole-picture forms. The target is replaced only on success.
// An 8-bit, 256-colour copy of a picture of more than 8 bits; false (target
// untouched) for pictures of 8 bits or fewer.
[[nodiscard]] bool ReduceToEightBits(const NyZazo& source, NyZazo& target);
// A 24-bit copy of a picture of 24 bits or fewer; false for more than 24 bits.
[[nodiscard]] bool ExpandToRgb(const NyZazo& source, NyZazo& target);

}  // namespace quillory
