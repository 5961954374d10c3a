// Feeds arbitrary bytes to the PCX decoder through a memory stream.
#include <cstddef>
#include <cstdint>

#include "core/ImageStream.h"
#include "core/NyZazo.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    quillory::PixelByteLimit() = 1u << 20;  // small pictures keep the runs fast
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    quillory::ImageStream stream(data, uint32_t(size));
    quillory::NyZazo picture;
    if (picture.Decode(stream, 4)) {
        // Touch pixels through the accessors to catch a header that lies about the block.
        volatile uint32_t sum = 0;
        for (int y = 0; y < picture.Height(); y += 7)
            for (int x = 0; x < picture.Width(); x += 7) sum += picture.GetPixelColour(x, y).red;
    }
    return 0;
}
