// Feeds arbitrary bytes to the TIFF decoder through a memory stream: the first page,
// and the second when the first byte asks for it.
#include <cstddef>
#include <cstdint>

#include "core/ImageStream.h"
#include "core/NyZazo.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    quillory::ImageStream stream(data, uint32_t(size));
    quillory::NyZazo picture;
    picture.frameIndex = size > 0 && (data[size - 1] & 1) ? 1 : 0;
    if (picture.Decode(stream, 3)) {
        quillory::fuzz::TouchPixels(picture);
        if (uint64_t(picture.Width()) * uint64_t(picture.Height()) <= 1u << 16) {
            quillory::ImageStream out(quillory::ImageStream::kMemory);
            (void)picture.Encode(out, 3);
        }
    }
    return 0;
}
