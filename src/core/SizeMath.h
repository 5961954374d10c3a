#pragma once
// Overflow-checked size arithmetic for decoders: every header-derived size is
// computed here before anything is allocated.
#include <cstdint>
#include <optional>

#include "core/NyZazo.h"

namespace quillory {

// Bytes per stored row for a width and depth, padded to 4 bytes; nullopt on overflow.
inline std::optional<uint32_t> CheckedRowBytes(int64_t width, int64_t bitsPerPixel) {
    if (width <= 0 || bitsPerPixel <= 0) return std::nullopt;
    uint64_t row = ((uint64_t(bitsPerPixel) * uint64_t(width) + 31) / 32) * 4;
    if (row > UINT32_MAX) return std::nullopt;
    return uint32_t(row);
}

// True when a picture of this size fits the pixel count cap and, at the depth a
// decoder will create, the pixel block cap.
inline bool FitsPixelCap(int64_t width, int64_t height, int64_t bitsPerPixel) {
    if (width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX) return false;
    if (uint64_t(width) * uint64_t(height) > PixelCountLimit()) return false;
    auto row = CheckedRowBytes(width, bitsPerPixel);
    if (!row) return false;
    return uint64_t(*row) * uint64_t(height) <= PixelByteLimit();
}

}  // namespace quillory
