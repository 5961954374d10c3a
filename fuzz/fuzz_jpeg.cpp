// Feeds arbitrary bytes to the JPEG decoder through a memory stream, then writes
// what was decoded back as JPEG.
#include <cstddef>
#include <cstdint>

#include "core/ImageStream.h"
#include "core/NyZazo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    quillory::ImageStream stream(data, uint32_t(size));
    quillory::NyZazo picture;
    if (picture.Decode(stream, 0)) {
        uint32_t sum = 0;
        for (int y = 0; y < picture.Height(); y += 7)
            for (int x = 0; x < picture.Width(); x += 7) sum += picture.GetPixelColour(x, y).red;
        volatile uint32_t sink = sum;
        (void)sink;
        if (uint64_t(picture.Width()) * uint64_t(picture.Height()) <= 1u << 16) {
            quillory::ImageStream out(quillory::ImageStream::kMemory);
            (void)picture.Encode(out, 0);
        }
    }
    return 0;
}
