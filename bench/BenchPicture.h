#pragma once
// The 4000 × 3000 24-bit picture the image benchmarks share: smooth gradients with
// a little texture, like a photograph, so codecs see realistic data.
#include <cstdint>

#include "core/NyZazo.h"

namespace quillory::bench {

inline constexpr int kWidth = 4000;
inline constexpr int kHeight = 3000;

inline NyZazo& BigPicture() {
    static NyZazo picture(kWidth, kHeight, 24, 1);
    static bool filled = false;
    if (!filled) {
        for (int y = 0; y < kHeight; ++y) {
            uint8_t* row = picture.Row(y);
            for (int x = 0; x < kWidth; ++x) {
                row[3 * x] = uint8_t(x / 16 + (x * y & 7));
                row[3 * x + 1] = uint8_t(y / 12);
                row[3 * x + 2] = uint8_t((x + y) / 28);
            }
        }
        filled = true;
    }
    return picture;
}

}  // namespace quillory::bench
