// Feeds arbitrary bytes to the header probe of every picture format.
#include <cstddef>
#include <cstdint>

#include "core/FormatCodes.h"
#include "core/ImageStream.h"
#include "core/PictureProbe.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (int format : {quillory::kFormatBmp, quillory::kFormatGif, quillory::kFormatJpeg, quillory::kFormatTiff,
                       quillory::kFormatPcx, quillory::kFormatPsd}) {
        quillory::ImageStream stream(data, uint32_t(size));
        quillory::PictureDimensions dimensions;
        if (quillory::ProbePicture(stream, format, dimensions) && (dimensions.width <= 0 || dimensions.height <= 0))
            __builtin_trap();
    }
    return 0;
}
