// Feeds arbitrary bytes to the GIF decoder (first and last frame) through a memory
// stream, and writes every decoded picture back to check that it reads the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "core/ImageStream.h"
#include "core/NyZazo.h"
#include "fuzz/FuzzSupport.h"

namespace {

void RoundTrip(quillory::NyZazo& picture) {
    quillory::ImageStream out(quillory::ImageStream::kMemory);
    if (!picture.Encode(out, 2)) std::abort();
    quillory::ImageStream in(out.data(), out.size());
    quillory::NyZazo back;
    if (!back.Decode(in, 2)) std::abort();
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x)
            if (back.GetPixelIndex(x, y) != picture.GetPixelIndex(x, y)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    quillory::ImageStream stream(data, uint32_t(size));
    quillory::NyZazo picture;
    if (!picture.Decode(stream, 2)) return 0;
    quillory::fuzz::TouchPixels(picture);
    // Small pictures only: encoding and the pixel-by-pixel comparison are slow under the sanitizers.
    if (uint64_t(picture.Width()) * uint64_t(picture.Height()) <= 4096) RoundTrip(picture);
    if (picture.frameCount > 1) {
        quillory::ImageStream again(data, uint32_t(size));
        quillory::NyZazo last;
        last.frameIndex = picture.frameCount - 1;
        if (last.Decode(again, 2)) quillory::fuzz::TouchPixels(last);
    }
    return 0;
}
