#pragma once
// libtiff's client procedures over an ImageStream. The library's error texts go
// into the given picture's lastError; its warnings are dropped.
#include <memory>

#include <tiffio.h>

#include "core/ImageStream.h"
#include "core/NyZazo.h"

namespace quillory {

struct TiffCloser {
    void operator()(TIFF* tif) const {
        if (tif) TIFFClose(tif);
    }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

// Opens the stream under the name "TIFF IMAGE" with mode "rb" or "wb". The stream
// must outlive the handle; closing the handle leaves the stream to its owner.
// Null (with the library's text in messages.lastError) on failure.
TiffHandle OpenTiffStream(ImageStream& stream, const char* mode, NyZazo& messages);

}  // namespace quillory
