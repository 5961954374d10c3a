// Arbitrary bytes through the automatic format detection: every decoder in turn.
#include <cstddef>
#include <cstdint>

#include "core/ImageStream.h"
#include "core/NyZazo.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    quillory::ImageStream stream(data, uint32_t(size));
    quillory::NyZazo picture;
    picture.frameIndex = size ? data[0] % 3 : 0;
    if (picture.Decode(stream, -1)) {
        quillory::ImageStream out(quillory::ImageStream::kMemory);
        (void)picture.Encode(out, 1);
    }
    return 0;
}
