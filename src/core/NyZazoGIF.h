#pragma once
#include "core/NyZazo.h"

namespace quillory {

class NyZazoGIF : public NyZazo {
public:
    NyZazoGIF() : NyZazo(2) {}
    using NyZazo::Decode;
    using NyZazo::Encode;
    [[nodiscard]] bool Decode(ImageStream& stream);
    [[nodiscard]] bool Encode(ImageStream& stream);
};

}  // namespace quillory
