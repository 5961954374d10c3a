#pragma once
#include "core/NyZazo.h"

namespace quillory {

class NyZazoJPG : public NyZazo {
public:
    NyZazoJPG() : NyZazo(0) {}
    using NyZazo::Decode;
    using NyZazo::Encode;
    [[nodiscard]] bool Decode(ImageStream& stream);
    [[nodiscard]] bool Encode(ImageStream& stream);
};

}  // namespace quillory
