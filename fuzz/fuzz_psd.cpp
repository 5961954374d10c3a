// Feeds arbitrary bytes to the PSD reader through a memory stream.
#include <cstddef>
#include <cstdint>

#include "core/FormatCodes.h"
#include "core/ImageStream.h"
#include "core/NyZazo.h"
#include "fuzz/FuzzSupport.h"
#include "core/PsdReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    quillory::ImageStream stream(data, uint32_t(size));
    quillory::NyZazo picture(1, 1, 24, quillory::kFormatPsd);
    int code = 0;
    if (quillory::ReadPsdStream(stream, picture, &code)) {
        // Read every row to catch a picture whose block is smaller than its header says.
        uint32_t sum = 0;
        for (int y = 0; y < picture.Height(); ++y) {
            const uint8_t* row = picture.Row(y);
            sum += row[0] + row[picture.rowBytes - 1];
        }
        volatile uint32_t sink = sum;
        (void)sink;
    } else if (picture.Width() != 1 || !picture.dib) {
        __builtin_trap();  // a failed read must leave the picture as it was
    }
    return 0;
}
