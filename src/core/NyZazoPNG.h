#pragma once
#include "core/FormatCodes.h"
#include "core/NyZazo.h"

namespace quillory {

// PNG files through libpng. Reading keeps palette and grey pictures as palette
// pictures (1, 4 or 8 bits; 2-bit samples widen to 4 bits), colour becomes 24 bits
// and anything with opacity 32 bits; 16-bit samples keep their high byte. Writing
// keeps the picture's depth, palette, transparent index and resolution.
class NyZazoPNG : public NyZazo {
public:
    NyZazoPNG() : NyZazo(kFormatPng) {}
    using NyZazo::Decode;
    using NyZazo::Encode;
    [[nodiscard]] bool Decode(ImageStream& stream);
    [[nodiscard]] bool Encode(ImageStream& stream);

    // Deflate never packs more than 1032 bytes into one: a file shorter than the
    // filtered rows divided by this cannot hold the picture its header names.
    static constexpr uint64_t kMaxDeflateRatio = 1032;
};

// True when a 32-bit picture carries opacity in its fourth bytes: always for one
// read from or made for a format that keeps opacity (PNG, WebP); for any other, all
// zeros mean the bytes are unused (as in 32-bit bitmaps) and the picture is opaque.
bool HasOpacity(const NyZazo& picture);

}  // namespace quillory
