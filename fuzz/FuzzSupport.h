#pragma once
// Shared pieces of the fuzz targets.
#include <cstdint>

#include "core/NyZazo.h"

namespace quillory::fuzz {

// Small pictures keep the runs fast; larger sizes only repeat the same code paths.
// A header that claims a large picture makes the decoder allocate and fill the whole
// block before the data runs out, and the corpus fills up with such inputs: at a
// megabyte a decoder target ran at about a hundred inputs a second.
inline constexpr uint64_t kFuzzPixelBytes = uint64_t(1) << 16;
inline constexpr uint64_t kFuzzPixels = uint64_t(1) << 16;
inline void LimitPictureSize() {
    PixelByteLimit() = kFuzzPixelBytes;
    PixelCountLimit() = kFuzzPixels;
}

// Reads pixels through the accessors to catch a header that lies about the block.
inline void TouchPixels(const NyZazo& picture) {
    uint32_t sum = 0;
    for (int y = 0; y < picture.Height(); y += 7)
        for (int x = 0; x < picture.Width(); x += 7) sum += picture.GetPixelColour(x, y).red;
    volatile uint32_t sink = sum;
    (void)sink;
}

}  // namespace quillory::fuzz

// Every target lowers the picture size limits before its first input; FuzzSupport.cpp
// defines it once per target.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
