// PNG files through libpng: every colour type and depth, interlaced or not.
#include "core/NyZazoPNG.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <type_traits>

#include "core/CoreTexts.h"
#include "core/ImageStream.h"
#include "core/EncodeProgress.h"
#include "core/SizeMath.h"

namespace quillory {

namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// zlib levels 0 (stored) to 9. Up to kRunLengthLevel a colour picture is compressed with
// run-length matches only (zlib's Z_RLE) after libpng's adaptive row filters: a filtered
// photograph has almost no longer repeats, so this writes level 6's size in less than half
// its time (screenshots come out a few percent larger, twice as fast). Higher levels search
// the whole window as zlib does. Palette and grey pictures, which are not filtered, always
// take the full search.
constexpr int kRunLengthLevel = 3;
constexpr int kDefaultLevel = 3;
// IDAT chunks of this size keep the chunk overhead and the calls into the stream small.
constexpr size_t kWriteChunkBytes = 256 * 1024;
// Ancillary chunks nobody here reads: skipping them costs nothing and a compressed
// text or profile can never inflate into memory.
constexpr png_byte kSkippedChunks[] = {'i', 'C', 'C', 'P', 0, 'i', 'T', 'X', 't', 0, 't', 'E', 'X', 't', 0,
                                       'z', 'T', 'X', 't', 0, 's', 'P', 'L', 'T', 0, 'e', 'X', 'I', 'f', 0};

// The state of one call. Trivially destructible on purpose: a libpng error leaves
// through longjmp, which must not skip a destructor.
struct PngJob {
    png_structp png;
    png_infop info;
    ImageStream* stream;
    NyZazo* picture;
};
static_assert(std::is_trivially_destructible_v<PngJob>);

void OnError(png_structp png, png_const_charp message) {
    auto* job = static_cast<PngJob*>(png_get_error_ptr(png));
    // A failure of the stream has already named itself.
    if (!job->picture->lastError[0]) {
        char text[256];
        std::snprintf(text, sizeof text, texts::kPngDamagedFormat, message ? message : "");
        job->picture->SetLastError(text);
    }
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void OnRead(png_structp png, png_bytep data, size_t length) {
    auto* job = static_cast<PngJob*>(png_get_io_ptr(png));
    if (job->stream->Read(data, 1, length) != length) {
        job->picture->SetLastError(texts::kTruncatedFile);
        png_error(png, texts::kTruncatedFile);
    }
}

void OnWrite(png_structp png, png_bytep data, size_t length) {
    auto* job = static_cast<PngJob*>(png_get_io_ptr(png));
    if (job->stream->Write(data, 1, length) != length) {
        job->picture->SetLastError(texts::kPngWriteFailed);
        png_error(png, texts::kPngWriteFailed);
    }
}

void OnFlush(png_structp) {}

// How the file's samples become the picture's pixels.
struct ReadPlan {
    int depth = 0;             // of the picture: 1, 4, 8, 24 or 32
    int greyLevels = 0;        // a grey ramp of this many entries; 0: the file's palette
    bool widenTwoBits = false;  // 2-bit samples, read packed and widened to 4 bits afterwards
    int transparentIndex = -1;
};

// Palette opacity that one transparent index says exactly: every entry opaque but at most one.
bool SingleTransparentEntry(png_const_bytep alphas, int count, int& index) {
    index = -1;
    for (int i = 0; i < count; ++i) {
        if (alphas[i] == 255) continue;
        if (alphas[i] != 0 || index >= 0) return false;
        index = i;
    }
    return true;
}

// Chooses the picture depth and asks libpng for the matching transformations.
ReadPlan PlanRead(png_structp png, png_infop info) {
    ReadPlan plan;
    const int colourType = png_get_color_type(png, info);
    const int bitDepth = png_get_bit_depth(png, info);
    const bool hasTrns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    auto toColour = [&](bool alpha) {
        png_set_strip_16(png);  // the high byte of every 16-bit sample
        if (alpha) png_set_tRNS_to_alpha(png);
        png_set_bgr(png);
        plan.depth = alpha ? 32 : 24;
    };
    switch (colourType) {
        case PNG_COLOR_TYPE_PALETTE: {
            png_bytep alphas = nullptr;
            int count = 0;
            if (hasTrns) png_get_tRNS(png, info, &alphas, &count, nullptr);
            int index = -1;
            if (hasTrns && !SingleTransparentEntry(alphas, count, index)) {
                png_set_palette_to_rgb(png);
                toColour(true);
                break;
            }
            plan.depth = bitDepth == 2 ? 4 : bitDepth;
            plan.widenTwoBits = bitDepth == 2;
            plan.transparentIndex = index;
            break;
        }
        case PNG_COLOR_TYPE_GRAY:
            if (bitDepth == 16) {
                if (hasTrns) {
                    // The transparent grey is a 16-bit value: it is compared before the low byte goes.
                    png_set_gray_to_rgb(png);
                    toColour(true);
                } else {
                    png_set_strip_16(png);
                    plan.depth = 8;
                    plan.greyLevels = 256;
                }
                break;
            }
            plan.depth = bitDepth == 2 ? 4 : bitDepth;
            plan.widenTwoBits = bitDepth == 2;
            plan.greyLevels = 1 << bitDepth;
            if (hasTrns) {
                png_color_16p grey = nullptr;
                png_get_tRNS(png, info, nullptr, nullptr, &grey);
                if (grey && grey->gray < plan.greyLevels) plan.transparentIndex = grey->gray;
            }
            break;
        case PNG_COLOR_TYPE_GRAY_ALPHA:
            png_set_gray_to_rgb(png);
            toColour(true);
            break;
        case PNG_COLOR_TYPE_RGB: toColour(hasTrns); break;
        default: toColour(true); break;  // RGBA
    }
    return plan;
}

void SetReadPalette(png_structp png, png_infop info, const ReadPlan& plan, NyZazo& out) {
    if (plan.greyLevels) {
        for (int i = 0; i < plan.greyLevels; ++i) {
            const uint8_t v = uint8_t(i * 255 / (plan.greyLevels - 1));
            out.SetPaletteColour(i, v, v, v);
        }
        return;
    }
    png_colorp colours = nullptr;
    int count = 0;
    if (!png_get_PLTE(png, info, &colours, &count)) return;
    count = std::min<int>(count, int(out.header.biClrUsed));
    for (int i = 0; i < count; ++i) out.SetPaletteColour(i, colours[i].red, colours[i].green, colours[i].blue);
}

void TakeResolution(png_structp png, png_infop info, NyZazo& out) {
    png_uint_32 x = 0, y = 0;
    int unit = 0;
    if (!png_get_pHYs(png, info, &x, &y, &unit) || unit != PNG_RESOLUTION_METER || x == 0 || y == 0) return;
    // Pixels per metre to dots per inch.
    out.SetDpiX(int(std::lround(double(x) * 0.0254)));
    out.SetDpiY(int(std::lround(double(y) * 0.0254)));
}

// 2-bit samples to 4-bit ones, in place: byte i takes pixels 2i and 2i + 1, which
// sit in byte i / 2, so going backwards never reads a byte already written.
void WidenTwoBitRow(uint8_t* row, int width) {
    auto sample = [row](int x) { return (row[x >> 2] >> (6 - 2 * (x & 3))) & 3; };
    for (int i = (width + 1) / 2 - 1; i >= 0; --i) {
        const int low = 2 * i + 1 < width ? sample(2 * i + 1) : 0;
        row[i] = uint8_t(sample(2 * i) << 4 | low);
    }
}

bool ReadPng(PngJob& job, NyZazoPNG& out) {
    png_structp png = job.png;
    png_infop info = job.info;
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_read_fn(png, &job, OnRead);
    png_set_sig_bytes(png, sizeof kSignature);
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, kSkippedChunks, int(sizeof kSkippedChunks / 5));
    // Every chunk's CRC already covers the compressed data, so zlib's second checksum of
    // the inflated bytes is not computed (libpng's option for this; about 6 % of a decode).
    png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
    // Sizes are judged against the picture caps below, not by libpng's own limit.
    png_set_user_limits(png, 0x7FFFFFFF, 0x7FFFFFFF);
    png_read_info(png, info);

    const png_uint_32 width = png_get_image_width(png, info), height = png_get_image_height(png, info);
    const ReadPlan plan = PlanRead(png, info);
    if (!FitsPixelCap(width, height, plan.depth)) return out.Fail(texts::kPictureTooLarge);
    // A small file cannot inflate into a large picture.
    const uint64_t sampleBits = uint64_t(png_get_channels(png, info)) * png_get_bit_depth(png, info);
    const uint64_t packedBytes = (uint64_t(width) * sampleBits + 7) / 8 * height;
    const long at = job.stream->Tell(), size = job.stream->Size();
    if (at >= 0 && size >= at && uint64_t(size - at) * NyZazoPNG::kMaxDeflateRatio < packedBytes)
        return out.Fail(texts::kPngTooShort);

    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (!out.CreateForWriting(int(width), int(height), plan.depth, kFormatPng)) return out.Fail(texts::kCannotAllocate);
    // libpng leaves the bits after the last pixel of a partly used byte alone: they start clear.
    if (plan.depth < 8) std::memset(out.bits, 0, out.header.biSizeImage);
    // Every row is read into the picture as it is; a wider row than planned would be a fault here.
    if (png_get_rowbytes(png, info) > out.rowBytes) return out.Fail(texts::kUnsupportedOperation);
    SetReadPalette(png, info, plan, out);
    out.transparentIndex = plan.transparentIndex;
    TakeResolution(png, info, out);

    // The first row of the file is the top of the picture, the last stored row.
    const int rows = int(height);
    for (int pass = 0; pass < passes; ++pass)
        for (int y = 0; y < rows; ++y) png_read_row(png, out.Row(rows - 1 - y), nullptr);
    if (plan.widenTwoBits)
        for (int y = 0; y < rows; ++y) WidenTwoBitRow(out.Row(y), int(width));
    // The rows are complete: what follows the image data (text, the end marker) is not needed.
    return true;
}

// The palette of a 1-, 4- or 8-bit picture as written: the used indices and the
// entries that are not black, so a 16-colour picture does not carry 256 entries.
int PaletteEntriesToWrite(const NyZazo& picture) {
    const int depth = picture.BitCount();
    const int capacity = std::min<int>(int(picture.header.biClrUsed), 1 << depth);
    const RGBQUAD* palette = picture.GetPalette();
    int count = 0;
    for (int i = 0; i < capacity; ++i)
        if (palette[i].red || palette[i].green || palette[i].blue) count = i + 1;
    const int width = picture.Width();
    for (int y = 0; y < picture.Height() && count < capacity; ++y) {
        const uint8_t* row = picture.Row(y);
        for (int x = 0; x < width; ++x) {
            const int index = depth == 8 ? row[x] : depth == 4 ? (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F
                                                            : (row[x >> 3] >> (7 - (x & 7))) & 1;
            count = std::max(count, index + 1);
        }
    }
    if (picture.transparentIndex >= 0 && picture.transparentIndex < capacity)
        count = std::max(count, picture.transparentIndex + 1);
    return std::clamp(count, 1, std::max(capacity, 1));
}

// True when the palette is the plain grey ramp of the depth (2, 16 or 256 levels).
bool IsGreyRamp(const NyZazo& picture) {
    const int levels = 1 << picture.BitCount();
    if (int(picture.header.biClrUsed) != levels) return false;
    const RGBQUAD* palette = picture.GetPalette();
    for (int i = 0; i < levels; ++i) {
        const uint8_t v = uint8_t(i * 255 / (levels - 1));
        if (palette[i].red != v || palette[i].green != v || palette[i].blue != v) return false;
    }
    return true;
}

bool WritePng(PngJob& job, NyZazoPNG& picture) {
    png_structp png = job.png;
    png_infop info = job.info;
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_write_fn(png, &job, OnWrite, OnFlush);
    png_set_compression_buffer_size(png, kWriteChunkBytes);
    const int depth = picture.BitCount();
    const int level = picture.pngLevel >= 0 && picture.pngLevel <= 9 ? picture.pngLevel : kDefaultLevel;
    png_set_compression_level(png, level);
    if (depth >= 24 && level > 0 && level <= kRunLengthLevel) png_set_compression_strategy(png, Z_RLE);

    const png_uint_32 width = png_uint_32(picture.Width()), height = png_uint_32(picture.Height());
    const bool opacity = depth == 32 && HasOpacity(picture);
    if (depth <= 8) {
        const bool grey = IsGreyRamp(picture);
        png_set_IHDR(png, info, width, height, depth, grey ? PNG_COLOR_TYPE_GRAY : PNG_COLOR_TYPE_PALETTE,
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        const int index = picture.transparentIndex;
        if (grey) {
            if (index >= 0 && index < (1 << depth)) {
                png_color_16 colour{};
                colour.gray = png_uint_16(index);
                png_set_tRNS(png, info, nullptr, 0, &colour);
            }
        } else {
            png_color colours[256];
            const int count = PaletteEntriesToWrite(picture);
            const RGBQUAD* palette = picture.GetPalette();
            for (int i = 0; i < count; ++i) colours[i] = png_color{palette[i].red, palette[i].green, palette[i].blue};
            png_set_PLTE(png, info, colours, count);
            if (index >= 0 && index < count) {
                png_byte alphas[256];
                std::memset(alphas, 255, sizeof alphas);
                alphas[index] = 0;
                png_set_tRNS(png, info, alphas, index + 1, nullptr);
            }
        }
    } else {
        png_set_IHDR(png, info, width, height, 8, opacity ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB,
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    }
    if (picture.dpiX > 0 && picture.dpiY > 0) {
        // Dots per inch to pixels per metre.
        png_set_pHYs(png, info, png_uint_32(std::lround(picture.dpiX / 0.0254)),
                     png_uint_32(std::lround(picture.dpiY / 0.0254)), PNG_RESOLUTION_METER);
    }
    png_write_info(png, info);
    if (depth >= 24) png_set_bgr(png);
    // The fourth byte of an opaque 32-bit picture is left out.
    if (depth == 32 && !opacity) png_set_filler(png, 0, PNG_FILLER_AFTER);
    EncodeProgress progress(height);
    for (png_uint_32 y = 0; y < height; ++y) {
        png_write_row(png, picture.Row(int(height - 1 - y)));
        progress.Done(y + 1);
    }
    png_write_end(png, nullptr);
    return true;
}

}  // namespace

bool HasOpacity(const NyZazo& picture) {
    if (picture.BitCount() != 32 || !picture.bits) return false;
    if (picture.formatType == kFormatPng || picture.formatType == kFormatWebp) return true;
    const int width = picture.Width();
    for (int y = 0; y < picture.Height(); ++y) {
        const uint8_t* row = picture.Row(y);
        for (int x = 0; x < width; ++x)
            if (row[4 * x + 3]) return true;
    }
    return false;
}

bool NyZazoPNG::Decode(ImageStream& stream) {
    uint8_t signature[sizeof kSignature];
    if (stream.Read(signature, 1, sizeof signature) != sizeof signature ||
        std::memcmp(signature, kSignature, sizeof signature) != 0)
        return Fail(texts::kPngNotPng);
    PngJob job{};
    job.stream = &stream;
    job.picture = this;
    job.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &job, OnError, OnWarning);
    if (!job.png) return Fail(texts::kCannotAllocate);
    job.info = png_create_info_struct(job.png);
    const bool ok = job.info && ReadPng(job, *this);
    png_destroy_read_struct(&job.png, job.info ? &job.info : nullptr, nullptr);
    if (!ok) {
        // A failed decode leaves no half-read picture behind.
        Destroy();
        if (!lastError[0]) SetLastError(texts::kCannotAllocate);
    }
    return ok;
}

bool NyZazoPNG::Encode(ImageStream& stream) {
    const int depth = BitCount();
    if (!dib || (depth != 1 && depth != 4 && depth != 8 && depth != 24 && depth != 32))
        return Fail(texts::kUnsupportedOperation);
    PngJob job{};
    job.stream = &stream;
    job.picture = this;
    job.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &job, OnError, OnWarning);
    if (!job.png) return Fail(texts::kCannotAllocate);
    job.info = png_create_info_struct(job.png);
    const bool ok = job.info && WritePng(job, *this);
    png_destroy_write_struct(&job.png, job.info ? &job.info : nullptr);
    if (!ok && !lastError[0]) SetLastError(texts::kPngWriteFailed);
    return ok && !stream.HasError();
}

}  // namespace quillory
