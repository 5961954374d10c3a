// Feeds arbitrary bytes to the WebP decoder through a memory stream, then writes
// what was decoded back as WebP.
#include <cstddef>
#include <cstdint>

#include "core/FormatCodes.h"
#include "core/ImageStream.h"
#include "core/NyZazo.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace quillory;
    ImageStream stream(data, uint32_t(size));
    NyZazo picture;
    if (!picture.Decode(stream, kFormatWebp)) return 0;
    fuzz::TouchPixels(picture);
    if (uint64_t(picture.Width()) * uint64_t(picture.Height()) <= 1u << 14) {
        ImageStream out(ImageStream::kMemory);
        (void)picture.Encode(out, kFormatWebp);
    }
    return 0;
}
