#pragma once
#include "core/NyZazo.h"

typedef struct tiff TIFF;

namespace quillory {

class NyZazoTIF : public NyZazo {
public:
    NyZazoTIF() : NyZazo(3) {}
    using NyZazo::Decode;
    using NyZazo::Encode;
    [[nodiscard]] bool Decode(ImageStream& stream);
    [[nodiscard]] bool Encode(ImageStream& stream);

    // Writes the picture as one TIFF directory. Pages of a multi-page file carry
    // "Page n", the page subfile type and (pageNumber, pageCount), and the directory
    // is finished so the next page can follow.
    [[nodiscard]] bool WriteTiffPage(TIFF* tif, bool multiPage, int pageNumber, int pageCount);

private:
    [[nodiscard]] bool ReadRaster(TIFF* tif);
    // 8-bit RGB in strips, read straight into the picture's rows.
    [[nodiscard]] bool ReadRgbRows(TIFF* tif, uint16_t samplesPerPixel, uint32_t rowsPerStrip);
    [[nodiscard]] bool ReadStrips(TIFF* tif, uint16_t photometric, uint16_t bitsPerSample, uint16_t samplesPerPixel,
                                  uint16_t planar, uint32_t rowsPerStrip);
};

}  // namespace quillory
