#pragma once
#include "core/NyZazo.h"

namespace quillory {

class NyZazoBMP : public NyZazo {
public:
    NyZazoBMP() : NyZazo(1) {}
    using NyZazo::Decode;
    using NyZazo::Encode;
    [[nodiscard]] bool Decode(ImageStream& stream);
    [[nodiscard]] bool Encode(ImageStream& stream);

private:
    [[nodiscard]] bool ReadRows(ImageStream& stream);
    [[nodiscard]] bool ReadTwoBitRows(ImageStream& stream);
    [[nodiscard]] bool ReadSixteenBitRows(ImageStream& stream, const uint32_t masks[4]);
    [[nodiscard]] bool ReadBitFieldRows(ImageStream& stream, const uint32_t masks[4]);
    [[nodiscard]] bool DecodeRle(ImageStream& stream, bool nibbles);
};

}  // namespace quillory
