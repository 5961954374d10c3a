#pragma once
// Pictures for codec round trips: a deterministic pattern of every depth, and a
// comparison of everything a lossless round trip must keep.
#include <cstdint>
#include <vector>

#include "core/NyZazo.h"

namespace quillory::test {

// A width × height picture of the depth (1, 4, 8, 24 or 32) whose pixels, palette
// and (at 32 bits) opacity all vary.
void PatternPicture(NyZazo& picture, int width, int height, int depth);

// Size, depth, palette and every pixel byte alike (GoogleTest failures otherwise).
void SamePicture(const NyZazo& expected, const NyZazo& actual);

// The picture as shown, red, green, blue and opacity, rows top-down: the fourth
// byte of 32-bit pixels, 0 for the transparent index, 255 elsewhere.
std::vector<uint8_t> ShownRgba(const NyZazo& picture);

}  // namespace quillory::test
