#pragma once
#include "core/FormatCodes.h"
#include "core/NyZazo.h"

namespace quillory {

// WebP still pictures through libwebp. Reading gives 24 bits, or 32 when the file
// has opacity. Writing: pictures with opacity (32 bits, or a palette with a
// transparent index) losslessly with it; the others lossy at the picture's
// quality, or losslessly when the save asks for it.
class NyZazoWEBP : public NyZazo {
public:
    NyZazoWEBP() : NyZazo(kFormatWebp) {}
    using NyZazo::Decode;
    using NyZazo::Encode;
    [[nodiscard]] bool Decode(ImageStream& stream);
    [[nodiscard]] bool Encode(ImageStream& stream);

    // The format's own limit on either side.
    static constexpr int kMaxSide = 16383;
};

}  // namespace quillory
