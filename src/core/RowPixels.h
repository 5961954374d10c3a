#pragma once
// Palette indices inside one stored row of 1, 4 or 8 bits per pixel: the even x in
// the high nibble, x mod 8 = 0 in the most significant bit.
#include <cstdint>

namespace quillory {

inline uint8_t RowIndex(const uint8_t* row, int x, int bitsPerPixel) {
    switch (bitsPerPixel) {
        case 8: return row[x];
        case 4: return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F;
        case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
        default: return 0;
    }
}

// Writes the low 1, 4 or 8 bits of the index; the other pixels of the byte keep theirs.
inline void PutRowIndex(uint8_t* row, int x, int bitsPerPixel, uint8_t index) {
    switch (bitsPerPixel) {
        case 8: row[x] = index; break;
        case 4: {
            const int shift = (x & 1) ? 0 : 4;
            row[x >> 1] = uint8_t((row[x >> 1] & ~(0x0F << shift)) | ((index & 0x0F) << shift));
            break;
        }
        case 1: {
            const uint8_t bit = uint8_t(0x80 >> (x & 7));
            row[x >> 3] = (index & 1) ? uint8_t(row[x >> 3] | bit) : uint8_t(row[x >> 3] & ~bit);
            break;
        }
        default: break;
    }
}

}  // namespace quillory
