#pragma once
#include "core/NyZazo.h"

namespace quillory {

class NyZazoTIF : public NyZazo {
public:
    NyZazoTIF() : NyZazo(3) {}
    using NyZazo::Decode;
    using NyZazo::Encode;
    [[nodiscard]] bool Decode(ImageStream& stream);
    [[nodiscard]] bool Encode(ImageStream& stream);
};

}  // namespace quillory
