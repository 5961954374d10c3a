#pragma once
#include "core/NyZazo.h"

namespace quillory {

class NyZazoPCX : public NyZazo {
public:
    NyZazoPCX() : NyZazo(4) {}
    using NyZazo::Decode;
    using NyZazo::Encode;
    [[nodiscard]] bool Decode(ImageStream& stream);
    [[nodiscard]] bool Encode(ImageStream& stream);
};

}  // namespace quillory
