// Feeds arbitrary bytes to the JPEG decoder through a memory stream, then writes
// what was decoded back as JPEG.
#include <cstddef>
#include <cstdint>

#include "core/ImageStream.h"
#include "core/NyZazo.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    quillory::ImageStream stream(data, uint32_t(size));
    quillory::NyZazo picture;
    if (picture.Decode(stream, 0)) {
        quillory::fuzz::TouchPixels(picture);
        if (uint64_t(picture.Width()) * uint64_t(picture.Height()) <= 1u << 16) {
            quillory::ImageStream out(quillory::ImageStream::kMemory);
            (void)picture.Encode(out, 0);
        }
    }
    return 0;
}
