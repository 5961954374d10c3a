#pragma once
#include "core/NyZazo.h"

namespace quillory {

// PCX reader: 1, 2, 4 or 8 bits a plane, up to four planes, run-length coded.
class NyZazoPCX : public NyZazo {
public:
    NyZazoPCX() : NyZazo(4) {}
    using NyZazo::Decode;
    using NyZazo::Encode;
    [[nodiscard]] bool Decode(ImageStream& stream);
    [[nodiscard]] bool Encode(ImageStream& stream);

    // Combines the 1-bit planes of a line into indices (plane p adds 2^p);
    // `indices` holds 8 × bytesPerLine entries.
    [[nodiscard]] bool PlanesToIndices(uint8_t* indices, const uint8_t* line, int bytesPerLine, int planes, int bits);
    // Unpacks a one-plane line of 1, 2, 4 or 8 bits into indices, the leftmost
    // pixel in the high bits; `indices` holds 8 × bytesPerLine entries.
    [[nodiscard]] bool PackedToIndices(uint8_t* indices, const uint8_t* line, int bytesPerLine, int planes, int bits);
};

}  // namespace quillory
