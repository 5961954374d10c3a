// Feeds arbitrary bytes to the PCX decoder through a memory stream.
#include <cstddef>
#include <cstdint>

#include "core/ImageStream.h"
#include "core/NyZazo.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    quillory::ImageStream stream(data, uint32_t(size));
    quillory::NyZazo picture;
    if (picture.Decode(stream, 4)) {
        quillory::fuzz::TouchPixels(picture);
    }
    return 0;
}
