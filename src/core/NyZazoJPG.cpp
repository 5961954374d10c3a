// JPEG files through libjpeg: grey, RGB and CMYK reading; grey and RGB writing.
#include "core/NyZazoJPG.h"

#include <algorithm>
#include <cstring>

#include "core/CoreTexts.h"
#include "core/JpegStreamBridge.h"
#include "core/EncodeProgress.h"
#include "core/SizeMath.h"

namespace quillory {

namespace {


// The library objects of one call. All of it is trivially destructible, so a
// library error may jump from deep inside libjpeg back to the recovery point.
struct DecodeJob {
    jpeg_decompress_struct cinfo;
    JpegErrorManager error;
    JpegStreamBridge bridge;
};

struct EncodeJob {
    jpeg_compress_struct cinfo;
    JpegErrorManager error;
    JpegStreamBridge bridge;
};

// Four-component lines to blue, green, red. Adobe applications store the inks
// inverted (0 is full ink), everybody else stores them plainly.
void CmykToBgr(const JSAMPLE* in, uint8_t* out, JDIMENSION width, bool inverted) {
    for (JDIMENSION x = 0; x < width; ++x, in += 4, out += 3) {
        const unsigned c = inverted ? in[0] : 255u - in[0];
        const unsigned m = inverted ? in[1] : 255u - in[1];
        const unsigned y = inverted ? in[2] : 255u - in[2];
        const unsigned k = inverted ? in[3] : 255u - in[3];
        out[0] = uint8_t(y * k / 255);
        out[1] = uint8_t(m * k / 255);
        out[2] = uint8_t(c * k / 255);
    }
}

// The JFIF density in dots per inch, or per centimetre (converted); a unit of 0
// gives only the aspect ratio and leaves the picture at its default resolution.
void TakeDensity(NyZazo& out, const jpeg_decompress_struct& cinfo) {
    if (!cinfo.saw_JFIF_marker || cinfo.X_density == 0 || cinfo.Y_density == 0) return;
    if (cinfo.density_unit == 1) {
        out.SetDpiX(cinfo.X_density);
        out.SetDpiY(cinfo.Y_density);
    } else if (cinfo.density_unit == 2) {
        out.SetDpiX(int(cinfo.X_density * 2.54 + 0.5));
        out.SetDpiY(int(cinfo.Y_density * 2.54 + 0.5));
    }
}

// A picture at the default 72 dpi keeps the library's density (aspect ratio only);
// any other resolution is written so other programs know the picture's size:
// in dots per inch, or per centimetre when the inch value does not fit 16 bits.
void PutDensity(const NyZazo& picture, jpeg_compress_struct& cinfo) {
    const int x = picture.dpiX, y = picture.dpiY;
    if (x <= 0 || y <= 0 || (x == 72 && y == 72)) return;
    if (x <= 0xFFFF && y <= 0xFFFF) {
        cinfo.density_unit = 1;
        cinfo.X_density = UINT16(x);
        cinfo.Y_density = UINT16(y);
    } else {
        const long xCm = long(x / 2.54 + 0.5), yCm = long(y / 2.54 + 0.5);
        if (xCm > 0xFFFF || yCm > 0xFFFF) return;
        cinfo.density_unit = 2;
        cinfo.X_density = UINT16(xCm);
        cinfo.Y_density = UINT16(yCm);
    }
    cinfo.write_JFIF_header = TRUE;
}

bool RunDecode(NyZazoJPG& out, DecodeJob& job) {
    jpeg_decompress_struct& cinfo = job.cinfo;
    cinfo.err = InstallJpegErrorManager(job.error, out);
    if (setjmp(job.error.recovery)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    // Progressive files keep every coefficient; past the pixel block cap the library
    // reports an error instead of growing.
    cinfo.mem->max_memory_to_use = long(PixelByteLimit());
    job.bridge.AttachSource(&cinfo);
    (void)jpeg_read_header(&cinfo, TRUE);

    const char* refusal = nullptr;
    const int components = cinfo.num_components;
    if (!FitsPixelCap(cinfo.image_width, cinfo.image_height, components == 1 ? 8 : 24))
        refusal = texts::kPictureTooLarge;
    // Colour pictures come out of the library in the picture's own blue-green-red order.
    if (components == 3 && (cinfo.jpeg_color_space == JCS_YCbCr || cinfo.jpeg_color_space == JCS_RGB))
        cinfo.out_color_space = JCS_EXT_BGR;
    if (!refusal) {
        jpeg_start_decompress(&cinfo);
        const J_COLOR_SPACE space = cinfo.out_color_space;
        const bool known = (space == JCS_GRAYSCALE && cinfo.output_components == 1) ||
                           (space == JCS_EXT_BGR && cinfo.output_components == 3) ||
                           (space == JCS_RGB && cinfo.output_components == 3) ||
                           (space == JCS_CMYK && cinfo.output_components == 4);
        // Every row is written below, so the block need not be filled first.
        if (!known)
            refusal = texts::kJpegColourSpace;
        else if (!out.CreateForWriting(int(cinfo.output_width), int(cinfo.output_height),
                                       space == JCS_GRAYSCALE ? 8 : 24, 0))
            refusal = texts::kCannotAllocate;
    }
    if (refusal) {
        jpeg_destroy_decompress(&cinfo);
        return out.Fail(refusal);
    }
    if (cinfo.out_color_space == JCS_GRAYSCALE) out.SetGreyPalette();
    TakeDensity(out, cinfo);

    const JDIMENSION width = cinfo.output_width;
    const int height = out.Height();
    const size_t lineBytes = size_t(width) * size_t(cinfo.output_components);
    const bool direct = cinfo.out_color_space == JCS_GRAYSCALE || cinfo.out_color_space == JCS_EXT_BGR;
    JSAMPARRAY line = nullptr;
    if (!direct)
        line = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE, JDIMENSION(lineBytes), 1);
    const bool inverted = cinfo.saw_Adobe_marker;
    constexpr int kRowsAtOnce = 16;
    while (cinfo.output_scanline < cinfo.output_height) {
        // The first line is the top of the picture, which is the last stored row.
        const int first = int(cinfo.output_scanline);
        if (direct) {
            // The library writes straight into the picture's rows.
            JSAMPROW rows[kRowsAtOnce];
            const int count = std::min(kRowsAtOnce, height - first);
            for (int i = 0; i < count; ++i) rows[i] = out.Row(height - 1 - first - i);
            if (jpeg_read_scanlines(&cinfo, rows, JDIMENSION(count)) == 0) {
                jpeg_destroy_decompress(&cinfo);
                return out.Fail(texts::kTruncatedFile);
            }
            continue;
        }
        uint8_t* row = out.Row(height - 1 - first);
        if (jpeg_read_scanlines(&cinfo, line, 1) != 1) {
            jpeg_destroy_decompress(&cinfo);
            return out.Fail(texts::kTruncatedFile);
        }
        if (cinfo.out_color_space == JCS_CMYK) {
            CmykToBgr(line[0], row, width, inverted);
        } else {
            std::memcpy(row, line[0], std::min<size_t>(lineBytes, out.rowBytes));
            out.SwapRedBlue(row, uint32_t(lineBytes));
        }
    }
    // Only a file that ended inside the picture's rows is incomplete; a missing end marker after them is not.
    out.incomplete = job.bridge.EndedEarly() ? 1 : 0;
    (void)jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

// Widens 1- and 4-bit rows of the identity grey palette to one grey byte a pixel:
// each index is its own grey value.
void PrepareGreyLine(const NyZazo& picture, int storedY, JSAMPLE* line) {
    const uint8_t* row = picture.Row(storedY);
    const int width = picture.Width();
    if (picture.BitCount() == 4) {
        for (int x = 0; x < width; ++x) line[x] = JSAMPLE((x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4));
    } else {
        for (int x = 0; x < width; ++x) line[x] = JSAMPLE((row[x >> 3] >> (7 - (x & 7))) & 1);
    }
}

bool RunEncode(NyZazoJPG& picture, EncodeJob& job) {
    jpeg_compress_struct& cinfo = job.cinfo;
    cinfo.err = InstallJpegErrorManager(job.error, picture);
    if (setjmp(job.error.recovery)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    job.bridge.AttachDestination(&cinfo);
    const bool grey = picture.header.biClrUsed != 0;
    const int depth = picture.BitCount();
    cinfo.image_width = JDIMENSION(picture.Width());
    cinfo.image_height = JDIMENSION(picture.Height());
    // Colour rows go to the library as they are stored, blue-green-red (and a fourth
    // byte that JPEG cannot keep), without a copy.
    cinfo.input_components = grey ? 1 : depth == 32 ? 4 : 3;
    cinfo.in_color_space = grey ? JCS_GRAYSCALE : depth == 32 ? JCS_EXT_BGRX : JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    // jpegQuality starts at 150; the library's scale ends at 100.
    jpeg_set_quality(&cinfo, std::min<int>(picture.jpegQuality, 100), TRUE);
    PutDensity(picture, cinfo);
    jpeg_start_compress(&cinfo, TRUE);

    const int height = picture.Height();
    EncodeProgress progress(height);
    if (!grey || depth == 8) {
        constexpr int kRowsAtOnce = 16;
        for (int top = 0; top < height; top += kRowsAtOnce) {
            JSAMPROW rows[kRowsAtOnce];
            const int count = std::min(kRowsAtOnce, height - top);
            for (int i = 0; i < count; ++i) rows[i] = picture.Row(height - 1 - top - i);
            (void)jpeg_write_scanlines(&cinfo, rows, JDIMENSION(count));
            progress.Done(top + count);
        }
    } else {
        JSAMPARRAY line = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                                     JDIMENSION(picture.Width() + 8), 1);
        for (int storedY = height - 1; storedY >= 0; --storedY) {
            PrepareGreyLine(picture, storedY, line[0]);
            (void)jpeg_write_scanlines(&cinfo, line, 1);
            progress.Done(height - storedY);
        }
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

}  // namespace

bool NyZazoJPG::Decode(ImageStream& stream) {
    DecodeJob job{};
    job.bridge.Bind(stream);
    return RunDecode(*this, job);
}

bool NyZazoJPG::Encode(ImageStream& stream) {
    if (!dib) return Fail(texts::kUnsupportedOperation);
    if (header.biClrUsed != 0 && !IsGreyScale()) return Fail(texts::kJpegRgbOrGreyOnly);
    EncodeJob job{};
    job.bridge.Bind(stream);
    return RunEncode(*this, job);
}

}  // namespace quillory
