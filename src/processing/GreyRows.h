#pragma once
// Greys (R + G + B) / 3 of whole 24-bit rows, sixteen pixels at a time where the
// processor has SSSE3, one at a time elsewhere; the results are the same.
#include <cstdint>

namespace quillory {

// Every pixel of the row becomes its grey in all three bytes.
void GreyRowInPlace(uint8_t* row, int width);
// The grey of every pixel of the row, one byte each.
void GreysOfRow(const uint8_t* row, int width, uint8_t* greys);

}  // namespace quillory
