// Feeds arbitrary bytes to the PNG decoder through a memory stream, then writes
// what was decoded back as PNG and reads that again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "core/FormatCodes.h"
#include "core/ImageStream.h"
#include "core/NyZazo.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace quillory;
    ImageStream stream(data, uint32_t(size));
    NyZazo picture;
    if (!picture.Decode(stream, kFormatPng)) return 0;
    fuzz::TouchPixels(picture);
    if (uint64_t(picture.Width()) * uint64_t(picture.Height()) > 1u << 16) return 0;
    ImageStream out(ImageStream::kMemory);
    if (!picture.Encode(out, kFormatPng)) std::abort();  // whatever was read can be written
    ImageStream again(out.data(), out.size());
    NyZazo back;
    if (!back.Decode(again, kFormatPng) || back.Width() != picture.Width() || back.Height() != picture.Height())
        std::abort();
    return 0;
}
