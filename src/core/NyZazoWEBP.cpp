// WebP still pictures through libwebp, lossy and lossless, with or without opacity.
#include "core/NyZazoWEBP.h"

#include <webp/decode.h>
#include <webp/encode.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "core/CoreTexts.h"
#include "core/DibTypes.h"
#include "core/ImageStream.h"
#include "core/NyZazoPNG.h"
#include "core/SizeMath.h"

namespace quillory {

namespace {

constexpr size_t kRiffHeaderBytes = 12;

// Every 16 × 16 macroblock of a lossy picture spends bits of the first partition on
// its block size and its chroma mode, coded with fixed probabilities (145 and 142 of
// 256): at least 1.67 bits whatever the encoder chose. A file with fewer bytes than
// one bit a macroblock cannot hold the picture its header names.
uint64_t SmallestLossyBytes(int width, int height) {
    const uint64_t blocks = (uint64_t(width) + 15) / 16 * ((uint64_t(height) + 15) / 16);
    return blocks / 8;
}

const char* DecodeReason(VP8StatusCode status) {
    switch (status) {
        case VP8_STATUS_OUT_OF_MEMORY: return "out of memory";
        case VP8_STATUS_INVALID_PARAM: return "invalid parameter";
        case VP8_STATUS_BITSTREAM_ERROR: return "bitstream error";
        case VP8_STATUS_UNSUPPORTED_FEATURE: return "unsupported feature";
        case VP8_STATUS_SUSPENDED: return "suspended";
        case VP8_STATUS_USER_ABORT: return "aborted";
        default: return "unknown error";
    }
}

bool FailDecode(NyZazo& out, VP8StatusCode status) {
    if (status == VP8_STATUS_NOT_ENOUGH_DATA) return out.Fail(texts::kTruncatedFile);
    if (status == VP8_STATUS_OUT_OF_MEMORY) return out.Fail(texts::kCannotAllocate);
    char text[256];
    std::snprintf(text, sizeof text, texts::kWebpDamagedFormat, DecodeReason(status));
    return out.Fail(text);
}

const char* EncodeReason(WebPEncodingError error) {
    switch (error) {
        case VP8_ENC_ERROR_OUT_OF_MEMORY:
        case VP8_ENC_ERROR_BITSTREAM_OUT_OF_MEMORY: return "out of memory";
        case VP8_ENC_ERROR_BAD_DIMENSION: return "bad picture size";
        case VP8_ENC_ERROR_PARTITION0_OVERFLOW:
        case VP8_ENC_ERROR_PARTITION_OVERFLOW: return "partition overflow";
        case VP8_ENC_ERROR_FILE_TOO_BIG: return "file too big";
        case VP8_ENC_ERROR_NULL_PARAMETER:
        case VP8_ENC_ERROR_INVALID_CONFIGURATION: return "invalid configuration";
        default: return "unknown error";
    }
}

int WriteToStream(const uint8_t* data, size_t size, const WebPPicture* picture) {
    auto* stream = static_cast<ImageStream*>(picture->custom_ptr);
    return size == 0 || stream->Write(data, 1, size) == size;
}

// A palette picture as blue, green, red (and opacity 0 at the transparent index, 255 elsewhere) rows, top-down.
bool ExpandPalette(const NyZazo& picture, bool withOpacity, std::vector<uint8_t>& out) {
    const int width = picture.Width(), height = picture.Height(), step = withOpacity ? 4 : 3;
    try {
        out.resize(size_t(width) * size_t(height) * size_t(step));
    } catch (const std::bad_alloc&) {
        return false;
    }
    const RGBQUAD* palette = picture.GetPalette();
    const int entries = int(picture.header.biClrUsed);
    uint8_t* p = out.data();
    for (int top = 0; top < height; ++top) {
        const int storedY = height - 1 - top;
        for (int x = 0; x < width; ++x, p += step) {
            const int index = picture.GetPixelIndex(x, storedY);
            const RGBQUAD c = index < entries ? palette[index] : RGBQUAD{};
            p[0] = c.blue, p[1] = c.green, p[2] = c.red;
            if (withOpacity) p[3] = index == picture.transparentIndex ? 0 : 255;
        }
    }
    return true;
}

}  // namespace

bool NyZazoWEBP::Decode(ImageStream& stream) {
    uint8_t head[kRiffHeaderBytes];
    if (stream.Read(head, 1, sizeof head) != sizeof head || std::memcmp(head, "RIFF", 4) != 0 ||
        std::memcmp(head + 8, "WEBP", 4) != 0)
        return Fail(texts::kWebpNotWebp);
    // The whole file goes to the library, never more than the stream holds whatever its header says.
    const long at = stream.Tell(), end = stream.Size();
    if (at < 0 || end < at) return Fail(texts::kTruncatedFile);
    const uint64_t named = uint64_t(Le32(head + 4)) + 8;
    // A RIFF size that does not even cover the "WEBP" mark names no picture.
    if (named < kRiffHeaderBytes) return FailDecode(*this, VP8_STATUS_BITSTREAM_ERROR);
    const uint64_t total = std::min<uint64_t>(named, uint64_t(end - at) + kRiffHeaderBytes);
    std::vector<uint8_t> data;
    try {
        data.resize(size_t(total));
    } catch (const std::bad_alloc&) {
        return Fail(texts::kCannotAllocate);
    }
    std::memcpy(data.data(), head, sizeof head);
    const size_t rest = size_t(total) - sizeof head;
    if (stream.Read(data.data() + sizeof head, 1, rest) != rest) return Fail(texts::kTruncatedFile);

    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config)) return Fail(texts::kCannotAllocate);
    VP8StatusCode status = WebPGetFeatures(data.data(), data.size(), &config.input);
    if (status != VP8_STATUS_OK) return FailDecode(*this, status);
    if (config.input.has_animation) return Fail(texts::kWebpAnimated);
    const int width = config.input.width, height = config.input.height;
    const int depth = config.input.has_alpha ? 32 : 24;
    if (!FitsPixelCap(width, height, depth)) return Fail(texts::kPictureTooLarge);
    // The data that exists is checked before the picture the header claims is allocated.
    // (A lossless picture of one colour takes a few bytes at any size: no such bound.)
    if (config.input.format == 1 && data.size() < SmallestLossyBytes(width, height))
        return Fail(texts::kTruncatedFile);
    if (!CreateForWriting(width, height, depth, kFormatWebp)) return Fail(texts::kCannotAllocate);

    // The library writes straight into the picture, bottom row first.
    config.output.colorspace = depth == 32 ? MODE_BGRA : MODE_BGR;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = bits;
    config.output.u.RGBA.stride = int(rowBytes);
    config.output.u.RGBA.size = size_t(rowBytes) * size_t(height);
    config.options.flip = 1;
    status = WebPDecode(data.data(), data.size(), &config);
    WebPFreeDecBuffer(&config.output);
    if (status != VP8_STATUS_OK) {
        Destroy();
        return FailDecode(*this, status);
    }
    return true;
}

bool NyZazoWEBP::Encode(ImageStream& stream) {
    const int depth = BitCount();
    if (!dib || (depth != 1 && depth != 4 && depth != 8 && depth != 24 && depth != 32))
        return Fail(texts::kUnsupportedOperation);
    const int width = Width(), height = Height();
    if (width > kMaxSide || height > kMaxSide) return Fail(texts::kWebpTooLarge);

    const bool paletteOpacity = depth <= 8 && transparentIndex >= 0 && transparentIndex < int(header.biClrUsed);
    const bool opacity = (depth == 32 && HasOpacity(*this)) || paletteOpacity;
    WebPConfig config;
    if (!WebPConfigInit(&config)) return Fail(texts::kCannotAllocate);
    config.lossless = opacity || webpLossless ? 1 : 0;
    // jpegQuality starts at 150; the library's scale ends at 100.
    if (!config.lossless) config.quality = float(std::clamp<int>(jpegQuality, 0, 100));
    // Lossless keeps the colour under transparent pixels too.
    config.exact = config.lossless;
    if (!WebPValidateConfig(&config)) return Fail(texts::kUnsupportedOperation);

    WebPPicture picture;
    if (!WebPPictureInit(&picture)) return Fail(texts::kCannotAllocate);
    picture.width = width;
    picture.height = height;
    picture.use_argb = config.lossless;
    picture.writer = WriteToStream;
    picture.custom_ptr = &stream;

    // Rows are stored bottom-up: the import starts at the top row and steps backwards.
    bool imported;
    std::vector<uint8_t> expanded;
    if (depth <= 8) {
        if (!ExpandPalette(*this, paletteOpacity, expanded)) return Fail(texts::kCannotAllocate);
        const int step = paletteOpacity ? 4 : 3;
        imported = paletteOpacity ? WebPPictureImportBGRA(&picture, expanded.data(), width * step)
                                  : WebPPictureImportBGR(&picture, expanded.data(), width * step);
    } else {
        const int stride = -int(rowBytes);
        const uint8_t* top = Row(height - 1);
        imported = depth == 24 ? WebPPictureImportBGR(&picture, top, stride)
                   : opacity   ? WebPPictureImportBGRA(&picture, top, stride)
                               : WebPPictureImportBGRX(&picture, top, stride);
    }
    if (!imported) {
        WebPPictureFree(&picture);
        return Fail(texts::kCannotAllocate);
    }
    const bool encoded = WebPEncode(&config, &picture) != 0;
    const WebPEncodingError error = picture.error_code;
    WebPPictureFree(&picture);
    if (!encoded) {
        // The lossy encoder does not always say that its writer failed: the stream does.
        if (error == VP8_ENC_ERROR_BAD_WRITE || stream.HasError() || stream.ErrorNumber() != 0)
            return Fail(texts::kWebpWriteFailed);
        char text[256];
        std::snprintf(text, sizeof text, texts::kWebpEncodeFailedFormat, EncodeReason(error));
        return Fail(text);
    }
    if (stream.HasError()) return Fail(texts::kWebpWriteFailed);
    return true;
}

}  // namespace quillory
