// JPEG files through libjpeg: grey, RGB and CMYK reading; grey and RGB writing.
#include "core/NyZazoJPG.h"

#include <algorithm>
#include <cstring>

#include "core/CoreTexts.h"
#include "core/JpegStreamBridge.h"
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
    if (!refusal) {
        jpeg_start_decompress(&cinfo);
        const J_COLOR_SPACE space = cinfo.out_color_space;
        const bool known = (space == JCS_GRAYSCALE && cinfo.output_components == 1) ||
                           (space == JCS_RGB && cinfo.output_components == 3) ||
                           (space == JCS_CMYK && cinfo.output_components == 4);
        if (!known)
            refusal = texts::kJpegColourSpace;
        else if (!out.Create(int(cinfo.output_width), int(cinfo.output_height), space == JCS_GRAYSCALE ? 8 : 24, 0))
            refusal = texts::kCannotAllocate;
    }
    if (refusal) {
        jpeg_destroy_decompress(&cinfo);
        return out.Fail(refusal);
    }
    if (cinfo.out_color_space == JCS_GRAYSCALE) out.SetGreyPalette();
    TakeDensity(out, cinfo);

    const JDIMENSION width = cinfo.output_width;
    const size_t lineBytes = size_t(width) * size_t(cinfo.output_components);
    JSAMPARRAY line = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                                 JDIMENSION(lineBytes), 1);
    const bool inverted = cinfo.saw_Adobe_marker;
    const int height = out.Height();
    while (cinfo.output_scanline < cinfo.output_height) {
        // The first line is the top of the picture, which is the last stored row.
        uint8_t* row = out.Row(height - 1 - int(cinfo.output_scanline));
        if (jpeg_read_scanlines(&cinfo, line, 1) != 1) {
            jpeg_destroy_decompress(&cinfo);
            return out.Fail(texts::kTruncatedFile);
        }
        if (cinfo.out_color_space == JCS_CMYK) {
            CmykToBgr(line[0], row, width, inverted);
        } else {
            std::memcpy(row, line[0], std::min<size_t>(lineBytes, out.rowBytes));
            if (cinfo.out_color_space == JCS_RGB) out.SwapRedBlue(row, uint32_t(lineBytes));
        }
    }
    (void)jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

// Fills the work line of stored row y in the component order the library wants.
void PrepareLine(const NyZazo& picture, int storedY, JSAMPLE* line, bool grey) {
    const uint8_t* row = picture.Row(storedY);
    const int width = picture.Width();
    const int depth = picture.BitCount();
    if (grey) {
        // The identity grey palette makes each index its own grey value.
        if (depth == 8) {
            std::memcpy(line, row, size_t(width));
        } else if (depth == 4) {
            for (int x = 0; x < width; ++x) line[x] = JSAMPLE((x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4));
        } else {
            for (int x = 0; x < width; ++x) line[x] = JSAMPLE((row[x >> 3] >> (7 - (x & 7))) & 1);
        }
        return;
    }
    // 24 and 32 bits: blue, green, red (and a fourth byte that JPEG cannot keep) to red, green, blue.
    const int step = depth / 8;
    for (int x = 0; x < width; ++x, row += step, line += 3) {
        line[0] = row[2];
        line[1] = row[1];
        line[2] = row[0];
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
    cinfo.image_width = JDIMENSION(picture.Width());
    cinfo.image_height = JDIMENSION(picture.Height());
    cinfo.input_components = grey ? 1 : 3;
    cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    // jpegQuality starts at 150; the library's scale ends at 100.
    jpeg_set_quality(&cinfo, std::min<int>(picture.jpegQuality, 100), TRUE);
    PutDensity(picture, cinfo);
    jpeg_start_compress(&cinfo, TRUE);

    const size_t lineBytes = size_t(picture.Width()) * size_t(cinfo.input_components);
    JSAMPARRAY line = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                                 JDIMENSION(std::max<size_t>(lineBytes, picture.rowBytes) + 8), 1);
    for (int storedY = picture.Height() - 1; storedY >= 0; --storedY) {
        PrepareLine(picture, storedY, line[0], grey);
        (void)jpeg_write_scanlines(&cinfo, line, 1);
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
