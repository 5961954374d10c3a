// TIFF files through libtiff: colour pictures through the library's RGBA raster,
// bilevel, grey and palette pictures strip by strip; pages by frameIndex.
#include "core/NyZazoTIF.h"

#include <tiffio.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "core/CoreTexts.h"
#include "core/Orientation.h"
#include "core/EncodeProgress.h"
#include "core/SizeMath.h"
#include "core/TiffStreamBridge.h"

namespace quillory {

namespace {

// Directories counted before giving up on a chain that never ends.
constexpr int kMaxPages = 65535;

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};

// Strips of 8-bit RGB rows up to this size are read whole.
constexpr uint64_t kWholeStripBytes = uint64_t(1) << 20;

// Largest resolution taken from a file; pixels per metre of anything above it overflow.
constexpr double kMaxDpi = 1000000;

int ClampToInt(float value, double low = INT32_MIN, double high = INT32_MAX) {
    if (!(value == value)) return 0;  // NaN
    return int(std::clamp(double(value), low, high));
}

// Inches are truncated; dots per centimetre are converted and rounded, so that the
// 118.11 a 300 dpi picture stores per centimetre reads as 300 again.
int DotsPerInch(float resolution, uint16_t unit) {
    if (!(resolution == resolution)) return 0;  // NaN
    if (unit == RESUNIT_CENTIMETER) return int(std::clamp(std::round(double(resolution) * 2.54), 0.0, kMaxDpi));
    return ClampToInt(resolution, 0, kMaxDpi);
}

inline void PutIndexAt(uint8_t* row, uint32_t x, int depth, uint32_t index) {
    if (depth == 8) {
        row[x] = uint8_t(index);
    } else if (depth == 4) {
        uint8_t& b = row[x >> 1];
        b = (x & 1) ? uint8_t((b & 0xF0) | (index & 0x0F)) : uint8_t((b & 0x0F) | ((index & 0x0F) << 4));
    } else {
        uint8_t& b = row[x >> 3];
        const uint8_t bit = uint8_t(0x80 >> (x & 7));
        b = (index & 1) ? uint8_t(b | bit) : uint8_t(b & ~bit);
    }
}

// Up to 16 bits starting at a bit position, first bit most significant; bytes past
// the end of the line read as zero.
uint32_t BitsAt(const uint8_t* line, size_t lineBytes, uint64_t bitPos, int count) {
    uint32_t window = 0;
    const size_t first = size_t(bitPos >> 3);
    for (size_t i = 0; i < 3; ++i) window = (window << 8) | (first + i < lineBytes ? line[first + i] : 0u);
    const int shift = 24 - int(bitPos & 7) - count;
    return (window >> shift) & ((1u << count) - 1);
}

int Brightness(RGBQUAD c) { return (c.green * 59 + c.red * 30 + c.blue * 11) / 100; }

}  // namespace

bool NyZazoTIF::Decode(ImageStream& stream) {
    TiffHandle handle = OpenTiffStream(stream, "rb", *this);
    if (!handle) return Fail(texts::kTiffOpenFailed);
    TIFF* tif = handle.get();

    // Walking the chain once keeps counting linear in the number of pages.
    int count = 1;
    while (count < kMaxPages && TIFFReadDirectory(tif)) ++count;
    frameCount = count;
    if (frameIndex < 0 || frameIndex >= count || !TIFFSetDirectory(tif, tdir_t(frameIndex)))
        return Fail(texts::kTiffPageMissing);

    uint16_t compression = 1, samplesPerPixel = 1, bitsPerSample = 1, photometric = 0, orientation = 1, planar = 1;
    uint32_t width = 0, height = 0, rowsPerStrip = UINT32_MAX;
    float xResolution = 0, yResolution = 0, xPosition = 0, yPosition = 0;
    TIFFGetField(tif, TIFFTAG_COMPRESSION, &compression);
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetField(tif, TIFFTAG_SAMPLESPERPIXEL, &samplesPerPixel);
    TIFFGetField(tif, TIFFTAG_BITSPERSAMPLE, &bitsPerSample);
    TIFFGetField(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
    TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric);
    TIFFGetField(tif, TIFFTAG_ORIENTATION, &orientation);
    TIFFGetField(tif, TIFFTAG_PLANARCONFIG, &planar);
    // Resolutions without a unit (or of an unknown one) say nothing about the picture's size.
    uint16_t resolutionUnit = RESUNIT_INCH;
    TIFFGetField(tif, TIFFTAG_RESOLUTIONUNIT, &resolutionUnit);
    if (resolutionUnit == RESUNIT_INCH || resolutionUnit == RESUNIT_CENTIMETER) {
        if (TIFFGetField(tif, TIFFTAG_XRESOLUTION, &xResolution)) SetDpiX(DotsPerInch(xResolution, resolutionUnit));
        if (TIFFGetField(tif, TIFFTAG_YRESOLUTION, &yResolution)) SetDpiY(DotsPerInch(yResolution, resolutionUnit));
    }
    if (TIFFGetField(tif, TIFFTAG_XPOSITION, &xPosition)) offsetX = ClampToInt(xPosition);
    if (TIFFGetField(tif, TIFFTAG_YPOSITION, &yPosition)) offsetY = ClampToInt(yPosition);

    // Bilevel, grey and palette pictures in strips keep their indices; everything else
    // (tiles included) goes through the library's colour conversion.
    const bool indexed = (photometric == PHOTOMETRIC_MINISWHITE || photometric == PHOTOMETRIC_MINISBLACK ||
                          photometric == PHOTOMETRIC_PALETTE) &&
                         !TIFFIsTiled(tif);
    int depth = 24;
    if (indexed) {
        if (photometric != PHOTOMETRIC_PALETTE && bitsPerSample == 1)
            depth = 1;
        else
            depth = bitsPerSample == 4 ? 4 : 8;
    }
    // Plain 8-bit RGB in strips (any compression but the old JPEG scheme) needs no
    // colour conversion: its rows are read straight into the picture. The colour
    // of unassociated alpha pictures is weighted by the raster, so they go that way.
    uint16_t extraCount = 0;
    uint16_t* extraTypes = nullptr;
    TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &extraCount, &extraTypes);
    const bool weightedAlpha = extraCount > 0 && extraTypes && extraTypes[0] == EXTRASAMPLE_UNASSALPHA;
    const bool rgbRows = photometric == PHOTOMETRIC_RGB && bitsPerSample == 8 && planar == PLANARCONFIG_CONTIG &&
                         samplesPerPixel >= 3 && !weightedAlpha && compression != COMPRESSION_OJPEG &&
                         !TIFFIsTiled(tif);
    if (width == 0 || height == 0) return Fail(texts::kBadDimensions);
    if (!FitsPixelCap(width, height, indexed || rgbRows ? depth : 32)) return Fail(texts::kPictureTooLarge);
    transparentIndex = -1;
    // The RGB rows and the raster write every pixel byte; the palette path may leave rows out.
    const bool filled = indexed ? Create(int(width), int(height), depth, 3) != nullptr
                                : CreateForWriting(int(width), int(height), depth, 3) != nullptr;
    if (!filled) return Fail(texts::kCannotAllocate);

    const bool read = indexed   ? ReadStrips(tif, photometric, bitsPerSample, samplesPerPixel, planar, rowsPerStrip)
                      : rgbRows ? ReadRgbRows(tif, samplesPerPixel, rowsPerStrip)
                                : ReadRaster(tif);
    if (!read) return false;
    if (!ApplyTiffOrientation(*this, orientation)) return Fail(texts::kCannotAllocate);
    return true;
}

bool NyZazoTIF::ReadRaster(TIFF* tif) {
    const uint32_t width = uint32_t(Width()), height = uint32_t(Height());
    std::unique_ptr<uint32_t, FreeDeleter> raster(
        static_cast<uint32_t*>(std::malloc(size_t(width) * size_t(height) * sizeof(uint32_t))));
    if (!raster) return Fail(texts::kTiffNoRaster);
    char message[1024] = {};
    TIFFRGBAImage image;
    if (!TIFFRGBAImageOK(tif, message) || !TIFFRGBAImageBegin(&image, tif, 1, message)) {
        return Fail(texts::kTiffCorrupted);
    }
    // The raster is asked for bottom-up and unturned: the Orientation tag is applied
    // afterwards, the same way for every kind of picture.
    image.req_orientation = ORIENTATION_BOTLEFT;
    image.orientation = ORIENTATION_TOPLEFT;
    const int ok = TIFFRGBAImageGet(&image, raster.get(), width, height);
    TIFFRGBAImageEnd(&image);
    if (!ok) return Fail(texts::kTiffCorrupted);
    for (uint32_t y = 0; y < height; ++y) {
        const uint32_t* in = raster.get() + size_t(y) * width;
        uint8_t* out = Row(int(y));
        for (uint32_t x = 0; x < width; ++x, out += 3) {
            out[0] = uint8_t(TIFFGetB(in[x]));
            out[1] = uint8_t(TIFFGetG(in[x]));
            out[2] = uint8_t(TIFFGetR(in[x]));
        }
    }
    return true;
}

bool NyZazoTIF::ReadRgbRows(TIFF* tif, uint16_t samplesPerPixel, uint32_t rowsPerStrip) {
    const uint32_t width = uint32_t(Width()), height = uint32_t(Height());
    const size_t lineBytes = size_t(width) * samplesPerPixel;
    const uint32_t stripRows = rowsPerStrip == 0 || rowsPerStrip > height ? height : rowsPerStrip;
    // Strips up to this size are read whole; larger ones (one strip for the whole
    // picture) row by row, so the buffer never approaches the picture's size.
    const bool wholeStrips = uint64_t(lineBytes) * stripRows <= kWholeStripBytes;
    const size_t bufferRows = wholeStrips ? stripRows : 1;
    std::unique_ptr<uint8_t, FreeDeleter> buffer(static_cast<uint8_t*>(std::malloc(lineBytes * bufferRows)));
    if (!buffer) return Fail(texts::kCannotAllocate);

    auto store = [&](const uint8_t* in, uint32_t fileRow) {
        uint8_t* out = Row(int(height - 1 - fileRow));
        for (uint32_t x = 0; x < width; ++x, in += samplesPerPixel, out += 3) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        }
    };
    if (!wholeStrips) {
        for (uint32_t y = 0; y < height; ++y) {
            if (TIFFReadScanline(tif, buffer.get(), y, 0) < 0) return Fail(texts::kTiffCorrupted);
            store(buffer.get(), y);
        }
        return true;
    }
    for (uint32_t r0 = 0; r0 < height; r0 += stripRows) {
        const uint32_t rows = std::min(stripRows, height - r0);
        const size_t wanted = lineBytes * rows;
        const tmsize_t got = TIFFReadEncodedStrip(tif, TIFFComputeStrip(tif, r0, 0), buffer.get(), tmsize_t(wanted));
        if (got < 0) return Fail(texts::kTiffCorrupted);
        // A short strip leaves no stale rows of the previous one behind.
        if (size_t(got) < wanted) std::memset(buffer.get() + got, 0, wanted - size_t(got));
        for (uint32_t k = 0; k < rows; ++k) store(buffer.get() + k * lineBytes, r0 + k);
    }
    return true;
}

bool NyZazoTIF::ReadStrips(TIFF* tif, uint16_t photometric, uint16_t bitsPerSample, uint16_t samplesPerPixel,
                           uint16_t planar, uint32_t rowsPerStrip) {
    const uint32_t width = uint32_t(Width()), height = uint32_t(Height());
    const int depth = BitCount();
    const uint32_t colours = header.biClrUsed;
    const bool grey = photometric != PHOTOMETRIC_PALETTE;

    RGBQUAD table[256] = {};
    if (grey) {
        if (depth == 1) {
            table[photometric == PHOTOMETRIC_MINISWHITE ? 0 : 1] = RGBQUAD{255, 255, 255, 0};
        } else {
            for (uint32_t i = 0; i < colours; ++i) {
                uint8_t v = uint8_t(i * (255 / (colours - 1)));
                if (photometric == PHOTOMETRIC_MINISWHITE) v = uint8_t(255 - v);
                table[i] = RGBQUAD{v, v, v, 0};
            }
        }
    } else {
        uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
        // The library holds 2^BitsPerSample entries a table; a short map fills only its own entries.
        if (bitsPerSample <= 16 && TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue) && red && green && blue) {
            const uint32_t entries = std::min<uint32_t>(1u << bitsPerSample, 256);
            bool wide = false;
            for (uint32_t i = 0; i < entries; ++i) wide = wide || red[i] > 255 || green[i] > 255 || blue[i] > 255;
            auto scale = [wide](uint16_t v) { return uint8_t(wide ? uint32_t(v) * 255 / 65535 : v & 0xFF); };
            for (uint32_t i = 0; i < entries; ++i) table[i] = RGBQUAD{scale(blue[i]), scale(green[i]), scale(red[i]), 0};
        }
    }
    SetPaletteQuads(table, colours);
    RefreshDibHeader();

    // One file row; with separate planes the first plane holds the first sample.
    const uint32_t samplesInLine = planar == PLANARCONFIG_SEPARATE ? 1 : samplesPerPixel;
    const uint64_t lineBits = uint64_t(samplesInLine) * bitsPerSample * width;
    const uint64_t lineBytes = (lineBits + 7) / 8;
    const uint32_t stripRows = rowsPerStrip == 0 || rowsPerStrip > height ? height : rowsPerStrip;
    const uint64_t bufferBytes = lineBytes * stripRows;
    if (lineBytes == 0 || bitsPerSample == 0) return Fail(texts::kTiffCorrupted);
    if (bufferBytes > PixelByteLimit()) return Fail(texts::kPictureTooLarge);
    std::unique_ptr<uint8_t, FreeDeleter> buffer(static_cast<uint8_t*>(std::malloc(size_t(bufferBytes))));
    if (!buffer) return Fail(texts::kCannotAllocate);

    enum class Layout { kSame, kSixteen, kSamples } layout = Layout::kSamples;
    if (samplesInLine == 1 && bitsPerSample == depth) layout = Layout::kSame;
    if (samplesInLine == 1 && bitsPerSample == 16 && depth == 8) layout = Layout::kSixteen;
    const int depthBits = depth;

    for (uint32_t r0 = 0; r0 < height; r0 += stripRows) {
        const uint32_t rows = std::min(stripRows, height - r0);
        const tmsize_t got = TIFFReadEncodedStrip(tif, TIFFComputeStrip(tif, r0, 0), buffer.get(), tmsize_t(bufferBytes));
        if (got < 0) return Fail(texts::kTiffCorrupted);
        // A short strip leaves no stale rows of the previous one behind.
        if (uint64_t(got) < bufferBytes) std::memset(buffer.get() + got, 0, size_t(bufferBytes - uint64_t(got)));
        for (uint32_t k = 0; k < rows; ++k) {
            const uint8_t* line = buffer.get() + size_t(k) * size_t(lineBytes);
            uint8_t* out = Row(int(height - 1 - r0 - k));
            switch (layout) {
                case Layout::kSame: std::memcpy(out, line, size_t(std::min<uint64_t>(lineBytes, rowBytes))); break;
                case Layout::kSixteen:
                    // 16-bit samples (in host order) keep their high byte.
                    for (uint32_t x = 0; x < width; ++x) {
                        uint16_t v;
                        std::memcpy(&v, line + 2 * size_t(x), 2);
                        out[x] = uint8_t(v >> 8);
                    }
                    break;
                case Layout::kSamples:
                    // Odd depths and extra samples: the first sample of each pixel becomes its index.
                    for (uint32_t x = 0; x < width; ++x) {
                        const uint64_t bitPos = uint64_t(x) * samplesInLine * bitsPerSample;
                        uint32_t value;
                        int valueBits;
                        if (bitsPerSample == 16) {
                            uint16_t v;
                            std::memcpy(&v, line + (bitPos >> 3), 2);
                            value = v, valueBits = 16;
                        } else if (bitsPerSample == 32) {
                            uint32_t v;
                            std::memcpy(&v, line + (bitPos >> 3), 4);
                            value = v >> 16, valueBits = 16;
                        } else {
                            valueBits = std::min<int>(bitsPerSample, 16);
                            value = BitsAt(line, size_t(lineBytes), bitPos, valueBits);
                        }
                        uint32_t index;
                        if (valueBits >= depthBits)
                            index = value >> (valueBits - depthBits);
                        else if (grey)
                            index = value * (colours - 1) / ((1u << valueBits) - 1);
                        else
                            index = value;
                        PutIndexAt(out, x, depth, index);
                    }
                    break;
            }
        }
    }
    return true;
}

bool NyZazoTIF::Encode(ImageStream& stream) {
    // An owned memory stream gets its buffer with the first write; a file must be open.
    if (stream.kind() == ImageStream::kFile && !stream.hasHandle()) return Fail(texts::kTiffInvalidStream);
    if (!dib) return Fail(texts::kUnsupportedOperation);
    TiffHandle handle = OpenTiffStream(stream, "wb", *this);
    if (!handle) return Fail(texts::kTiffInitFailed);
    const bool written = WriteTiffPage(handle.get(), false, 0, 0) && TIFFFlush(handle.get());
    // Closing may report again through lastError; the specified text comes last.
    handle.reset();
    if (!written) return Fail(texts::kTiffSaveFailed);
    if (stream.HasError()) return Fail(texts::kTiffSaveFailed);
    return true;
}

bool NyZazoTIF::WriteTiffPage(TIFF* tif, bool multiPage, int pageNumber, int pageCount) {
    if (!tif || !dib) return false;
    const int depth = BitCount();
    const uint32_t width = uint32_t(Width()), height = uint32_t(Height());
    // 32-bit pictures are written as 24-bit colour: TIFF readers expect 8 bits a sample.
    const uint16_t samplesPerPixel = depth >= 24 ? 3 : 1;
    const uint16_t bitsPerSample = depth >= 24 ? 8 : uint16_t(depth);

    uint16_t photometric = PHOTOMETRIC_RGB;
    const RGBQUAD* palette = GetPalette();
    if (depth == 1) {
        photometric = Brightness(palette[0]) < Brightness(palette[1]) ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_MINISWHITE;
    } else if (depth <= 8) {
        // Black-is-zero for the identity grey palette. At 4 bits the identity (0..15) is
        // not the 0..255 ramp a reader rebuilds for black-is-zero, so it travels as a
        // colour map like every other palette.
        photometric = depth == 8 && IsGreyScale() ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_PALETTE;
    }

    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samplesPerPixel);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bitsPerSample);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, uint32_t(1));
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, float(dpiX));
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, float(dpiY));
    if (multiPage) {
        char name[32];
        std::snprintf(name, sizeof name, "Page %d", pageNumber);
        TIFFSetField(tif, TIFFTAG_PAGENAME, name);
        TIFFSetField(tif, TIFFTAG_SUBFILETYPE, uint32_t(FILETYPE_PAGE));
        TIFFSetField(tif, TIFFTAG_PAGENUMBER, uint16_t(pageNumber), uint16_t(pageCount));
    } else {
        TIFFSetField(tif, TIFFTAG_SUBFILETYPE, uint32_t(0));
    }
    if (photometric == PHOTOMETRIC_PALETTE) {
        uint16_t red[256] = {}, green[256] = {}, blue[256] = {};
        for (uint32_t i = 0; i < header.biClrUsed; ++i) {
            red[i] = uint16_t(palette[i].red * 257);
            green[i] = uint16_t(palette[i].green * 257);
            blue[i] = uint16_t(palette[i].blue * 257);
        }
        TIFFSetField(tif, TIFFTAG_COLORMAP, red, green, blue);
    }
    // A compression the save chose replaces the one of the depth.
    const uint16_t compression = tiffCompression ? tiffCompression
                                 : depth == 1    ? COMPRESSION_CCITTFAX3
                                 : depth == 8    ? COMPRESSION_PACKBITS
                                 : depth >= 24   ? COMPRESSION_JPEG
                                                 : COMPRESSION_NONE;
    if (!TIFFSetField(tif, TIFFTAG_COMPRESSION, compression)) return false;
    if (compression == COMPRESSION_LZW || compression == COMPRESSION_ADOBE_DEFLATE) {
        // Strips of several rows give the dictionary something to work on; colour
        // compresses better as differences to the left neighbour.
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));
        if (depth >= 24) TIFFSetField(tif, TIFFTAG_PREDICTOR, uint16_t(PREDICTOR_HORIZONTAL));
    }

    // Scan lines go through a work line: codecs may change the buffer they are given,
    // and the encoder only borrows the picture's pixels.
    std::vector<uint8_t> line(size_t(rowBytes) + 8);
    if (compression == COMPRESSION_JPEG) {
        // jpegQuality starts at 150; the library's scale ends at 100.
        TIFFSetField(tif, TIFFTAG_JPEGQUALITY, std::min<int>(jpegQuality, 100));
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, uint32_t(8));
    }
    const int step = depth / 8;
    EncodeProgress progress(height);
    for (uint32_t scan = 0; scan < height; ++scan) {
        const uint8_t* row = Row(int(height - 1 - scan));
        if (depth >= 24) {
            uint8_t* out = line.data();
            for (uint32_t x = 0; x < width; ++x, row += step, out += 3) {
                out[0] = row[2];
                out[1] = row[1];
                out[2] = row[0];
            }
        } else {
            std::memcpy(line.data(), row, rowBytes);
        }
        if (TIFFWriteScanline(tif, line.data(), scan, 0) < 0) return false;
        progress.Done(scan + 1);
    }
    if (multiPage && !TIFFWriteDirectory(tif)) return false;
    return true;
}

}  // namespace quillory
