// BMP files: Windows and OS/2 headers, 1/2/4/8/16/24/32 bits, RLE8 and RLE4.
#include "core/NyZazoBMP.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "core/CoreTexts.h"
#include "core/RowPixels.h"
#include "core/SizeMath.h"
#include "core/StreamIO.h"

namespace quillory {

namespace {

constexpr uint16_t kSignature = 0x4D42;  // "BM"
constexpr uint32_t kCoreHeaderBytes = 12;
constexpr uint32_t kLargestHeaderBytes = 124;
constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6;
constexpr const char* kTopDownRefused = "top-down bitmaps are not supported";
constexpr const char* kBadBitCount = "unsupported bit count";
constexpr const char* kBadHeader = "unsupported bitmap header";

// Shifts right for positive amounts and left for negative ones, keeping 8 bits.
uint8_t ShiftTo8(uint32_t value, int amount) {
    uint32_t v = amount >= 0 ? (amount >= 32 ? 0 : value >> amount) : (-amount >= 32 ? 0 : value << -amount);
    return uint8_t(v);
}

// Scales a bit-field channel to 0..255.
uint8_t MaskChannel(uint32_t pixel, uint32_t mask) {
    if (mask == 0) return 0;
    int shift = std::countr_zero(mask);
    int width = std::popcount(mask);
    uint32_t v = (pixel & mask) >> shift;
    if (width >= 8) return uint8_t(v >> (width - 8));
    return uint8_t(v * 255 / ((1u << width) - 1));
}

// Writes run-length pixels, dropping everything outside the picture.
class RunTarget {
public:
    RunTarget(NyZazo& image, bool nibbles) : m_image(image), m_nibbles(nibbles) {}
    void Put(int x, int row, uint8_t index) {
        if (x < 0 || row < 0 || x >= m_image.Width() || row >= m_image.Height()) return;
        PutRowIndex(m_image.Row(row), x, m_nibbles ? 4 : 8, index);
    }

private:
    NyZazo& m_image;
    bool m_nibbles;
};

}  // namespace

bool NyZazoBMP::Encode(ImageStream& stream) {
    if (!dib) return Fail(texts::kUnsupportedOperation);
    RefreshDibHeader();
    uint8_t fileHeader[14] = {};
    PutLe16(fileHeader, kSignature);
    PutLe32(fileHeader + 2, GetSize() + 14);
    PutLe32(fileHeader + 10, 14 + kInfoHeaderBytes + 4 * header.biClrUsed);
    if (!WriteBytes(stream, fileHeader, sizeof fileHeader) || !WriteBytes(stream, dib, GetSize()))
        return Fail(texts::kCannotWriteFile);
    return true;
}

bool NyZazoBMP::Decode(ImageStream& stream) {
    const long start = stream.Tell();
    uint8_t fileHeader[14];
    if (!ReadExact(stream, fileHeader, sizeof fileHeader)) return Fail(texts::kTruncatedFile);
    uint32_t dataOffset = 0;
    if (Le16(fileHeader) == kSignature) {
        dataOffset = Le32(fileHeader + 10);
    } else if (stream.Seek(start, SEEK_SET) != 0) {
        // Without "BM" the data is a DIB whose header starts where decoding started.
        return Fail(texts::kTruncatedFile);
    }

    const long headerStart = stream.Tell();
    uint8_t raw[kLargestHeaderBytes] = {};
    if (!ReadExact(stream, raw, 4)) return Fail(texts::kTruncatedFile);
    const uint32_t headerBytes = Le32(raw);
    const uint32_t firstPart = headerBytes == kCoreHeaderBytes ? kCoreHeaderBytes : kInfoHeaderBytes;
    if (!ReadExact(stream, raw + 4, firstPart - 4)) return Fail(texts::kTruncatedFile);
    BITMAPINFOHEADER in = ReadInfoHeader(raw);
    const bool core = headerBytes == kCoreHeaderBytes;
    if (core) {
        in = BITMAPINFOHEADER{};
        in.biWidth = Le16(raw + 4);
        in.biHeight = Le16(raw + 6);
        in.biPlanes = Le16(raw + 8);
        in.biBitCount = Le16(raw + 10);
    } else if (headerBytes < 16 || headerBytes > (1u << 16)) {
        return Fail(kBadHeader);
    } else if (headerBytes < kInfoHeaderBytes) {
        // Short OS/2 2.x headers: the missing fields are zero.
        std::memset(raw + headerBytes, 0, kInfoHeaderBytes - headerBytes);
        in = ReadInfoHeader(raw);
    } else if (headerBytes > kInfoHeaderBytes) {
        uint32_t extra = std::min(headerBytes, kLargestHeaderBytes) - kInfoHeaderBytes;
        if (!ReadExact(stream, raw + kInfoHeaderBytes, extra)) return Fail(texts::kTruncatedFile);
    }
    // Palette and masks follow the header, whatever its size.
    if (stream.Seek(headerStart + long(headerBytes), SEEK_SET) != 0) return Fail(texts::kTruncatedFile);
    in.biSize = kInfoHeaderBytes;

    const int bitCount = in.biBitCount;
    const uint32_t compression = in.biCompression;
    if (in.biHeight < 0) return Fail(kTopDownRefused);
    if (in.biWidth <= 0 || in.biHeight == 0) return Fail(texts::kBadDimensions);
    if (bitCount != 1 && bitCount != 2 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
        bitCount != 32)
        return Fail(kBadBitCount);
    if (!FitsPixelCap(in.biWidth, in.biHeight, bitCount == 16 ? 24 : bitCount)) return Fail(texts::kPictureTooLarge);
    if (in.biClrUsed == 0 && bitCount <= 8) in.biClrUsed = 1u << bitCount;
    const uint32_t fileColours = bitCount <= 8 ? in.biClrUsed : 0;

    uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha
    if ((compression == kBitFields || compression == kAlphaBitFields) && (bitCount == 16 || bitCount == 32)) {
        uint32_t maskCount = compression == kAlphaBitFields ? 4 : 3;
        if (headerBytes >= kInfoHeaderBytes + 4 * maskCount) {
            for (uint32_t i = 0; i < maskCount; ++i) masks[i] = Le32(raw + kInfoHeaderBytes + 4 * i);
            if (headerBytes >= 56) masks[3] = Le32(raw + 52);
        } else {
            for (uint32_t i = 0; i < maskCount; ++i)
                if (!ReadLe32(stream, masks[i])) return Fail(texts::kTruncatedFile);
        }
    }

    header.biXPelsPerMeter = in.biXPelsPerMeter;
    header.biYPelsPerMeter = in.biYPelsPerMeter;
    // Uncompressed rows fill the whole block; only run-length and 16-bit data need the white fill.
    const bool everyByte = bitCount != 16 && (compression == kRgb || (bitCount == 32 && compression != kRle8 &&
                                                                       compression != kRle4));
    if (!(everyByte ? CreateForWriting(in.biWidth, in.biHeight, bitCount, 0)
                    : Create(in.biWidth, in.biHeight, bitCount, 0)))
        return Fail(texts::kCannotAllocate);
    header.biClrImportant = in.biClrImportant;
    dpiX = int(std::floor(double(in.biXPelsPerMeter) * 254.0 / 10000.0 + 0.5));
    dpiY = int(std::floor(double(in.biYPelsPerMeter) * 254.0 / 10000.0 + 0.5));
    header.biXPelsPerMeter = in.biXPelsPerMeter;
    header.biYPelsPerMeter = in.biYPelsPerMeter;

    if (header.biClrUsed) {
        // Read the entries the file has (up to the picture's table); missing ones stay black.
        const uint32_t entryBytes = core ? 3 : 4;
        uint32_t readCount = std::min(fileColours, header.biClrUsed);
        // A data offset right behind a short palette tells how many entries there really are.
        const long paletteStart = stream.Tell();
        if (dataOffset != 0 && start + long(dataOffset) > paletteStart)
            readCount = uint32_t(std::min<long>(readCount, (start + long(dataOffset) - paletteStart) / entryBytes));
        std::vector<uint8_t> entries(size_t(readCount) * entryBytes);
        if (!ReadExact(stream, entries.data(), entries.size())) return Fail(texts::kTruncatedFile);
        RGBQUAD* pal = GetPalette();
        for (uint32_t i = 0; i < readCount; ++i) {
            const uint8_t* e = entries.data() + size_t(i) * entryBytes;
            pal[i] = RGBQUAD{e[0], e[1], e[2], core ? uint8_t(0) : e[3]};
        }
        if (dataOffset == 0 && fileColours > readCount &&
            stream.Seek(long(fileColours - readCount) * long(entryBytes), SEEK_CUR) != 0)
            return Fail(texts::kTruncatedFile);
    }
    RefreshDibHeader();

    // An offset that points back into a plausible palette is broken: the pixels follow the palette.
    const bool offsetInsidePalette = fileColours <= 256 && start + long(dataOffset) < stream.Tell();
    if (dataOffset != 0 && !offsetInsidePalette &&
        stream.Seek(start + long(dataOffset), SEEK_SET) != 0)
        return Fail(texts::kTruncatedFile);

    switch (bitCount) {
        case 1:
        case 4:
        case 8:
            if (compression == kRgb) return ReadRows(stream);
            if (compression == kRle8 && bitCount == 8) return DecodeRle(stream, false);
            if (compression == kRle4 && bitCount == 4) return DecodeRle(stream, true);
            return Fail(texts::kCompressionNotSupported);
        case 2:
            if (compression != kRgb) return Fail(texts::kCompressionNotSupported);
            return ReadTwoBitRows(stream);
        case 16:
            // Without bit fields every 16-bit file is read as 5-5-5.
            if (compression != kBitFields && compression != kAlphaBitFields) {
                masks[0] = 0x7C00;
                masks[1] = 0x03E0;
                masks[2] = 0x001F;
            }
            return ReadSixteenBitRows(stream, masks);
        case 24:
            if (compression != kRgb) return Fail(texts::kUnknownCompression);
            return ReadRows(stream);
        case 32:
            if (compression == kRgb) return ReadRows(stream);
            if (compression == kBitFields || compression == kAlphaBitFields) return ReadBitFieldRows(stream, masks);
            return Fail(texts::kUnknownCompression);
        default: return Fail(kBadBitCount);
    }
}

bool NyZazoBMP::ReadRows(ImageStream& stream) {
    size_t got = stream.Read(bits, 1, header.biSizeImage);
    // Files that lack only the padding of the last row are accepted.
    const size_t usedInLastRow = (size_t(Width()) * BitCount() + 7) / 8;
    if (got + (rowBytes - usedInLastRow) < header.biSizeImage) return Fail(texts::kTruncatedFile);
    std::memset(bits + got, 0, header.biSizeImage - got);
    return true;
}

// 2-bit rows are widened to the 4-bit picture that Create made, index for index.
bool NyZazoBMP::ReadTwoBitRows(ImageStream& stream) {
    const uint32_t fileRow = *CheckedRowBytes(Width(), 2);
    std::vector<uint8_t> line(fileRow);
    for (int y = 0; y < Height(); ++y) {
        if (!ReadExact(stream, line.data(), fileRow)) return Fail(texts::kTruncatedFile);
        uint8_t* out = Row(y);
        std::memset(out, 0, rowBytes);
        for (int x = 0; x < Width(); ++x) {
            uint8_t index = (line[size_t(x) >> 2] >> (6 - 2 * (x & 3))) & 3;
            out[x >> 1] |= (x & 1) ? index : uint8_t(index << 4);
        }
    }
    return true;
}

bool NyZazoBMP::ReadSixteenBitRows(ImageStream& stream, const uint32_t masks[4]) {
    const uint32_t fileRow = uint32_t((uint64_t(Width()) + 1) / 2 * 4);
    if (!ReadExact(stream, bits, size_t(fileRow) * Height())) return Fail(texts::kTruncatedFile);
    const int nr = std::popcount(masks[0]), ng = std::popcount(masks[1]), nb = std::popcount(masks[2]);
    // 5-5-5 and 5-6-5 keep their shifts (5 bits widen to v << 3); any other layout scales each channel to 0..255.
    const bool classic = masks[2] == 0x001F && ((masks[0] == 0x7C00 && masks[1] == 0x03E0) ||
                                                (masks[0] == 0xF800 && masks[1] == 0x07E0));
    // Widen in place from the last pixel backwards: targets never overtake unread sources.
    for (int y = Height() - 1; y >= 0; --y) {
        const uint8_t* src = bits + size_t(y) * fileRow;
        uint8_t* dst = Row(y);
        for (int x = Width() - 1; x >= 0; --x) {
            uint32_t w = Le16(src + 2 * size_t(x));
            uint8_t blue = classic ? ShiftTo8(w & masks[2], -(8 - nr)) : MaskChannel(w, masks[2]);
            uint8_t green = classic ? ShiftTo8(w & masks[1], nr + ng - 8) : MaskChannel(w, masks[1]);
            uint8_t red = classic ? ShiftTo8(w & masks[0], nr + ng + nb - 8) : MaskChannel(w, masks[0]);
            dst[3 * size_t(x)] = blue;
            dst[3 * size_t(x) + 1] = green;
            dst[3 * size_t(x) + 2] = red;
        }
    }
    return true;
}

bool NyZazoBMP::ReadBitFieldRows(ImageStream& stream, const uint32_t masks[4]) {
    if (!ReadExact(stream, bits, header.biSizeImage)) return Fail(texts::kTruncatedFile);
    if (masks[0] == 0x00FF0000 && masks[1] == 0x0000FF00 && masks[2] == 0x000000FF &&
        (masks[3] == 0 || masks[3] == 0xFF000000))
        return true;
    for (int y = 0; y < Height(); ++y) {
        uint8_t* p = Row(y);
        for (int x = 0; x < Width(); ++x, p += 4) {
            uint32_t w = Le32(p);
            p[0] = MaskChannel(w, masks[2]);
            p[1] = MaskChannel(w, masks[1]);
            p[2] = MaskChannel(w, masks[0]);
            p[3] = MaskChannel(w, masks[3]);
        }
    }
    return true;
}

// RLE8 and RLE4. Runs, deltas and absolute runs that leave the picture are clipped;
// decoding goes on with what fits.
bool NyZazoBMP::DecodeRle(ImageStream& stream, bool nibbles) {
    BlockReader in(stream);
    RunTarget out(*this, nibbles);
    const int height = Height();
    int64_t x = 0, row = 0;
    uint8_t n, code;
    auto clampX = [](int64_t v) { return int(std::clamp<int64_t>(v, -1, INT32_MAX)); };
    for (;;) {
        if (!in.Next(n)) break;
        if (!in.Next(code)) break;
        if (n > 0) {
            for (int i = 0; i < n; ++i, ++x) {
                uint8_t index = nibbles ? ((i & 1) ? (code & 0x0F) : (code >> 4)) : code;
                out.Put(clampX(x), int(std::min<int64_t>(row, INT32_MAX)), index);
            }
            continue;
        }
        if (code == 0) {
            x = 0;
            ++row;
        } else if (code == 1) {
            return true;
        } else if (code == 2) {
            uint8_t dx, dy;
            if (!in.Next(dx) || !in.Next(dy)) break;
            x += dx;
            row += dy;
        } else {
            const int count = code;
            const int bytes = nibbles ? (count + 1) / 2 : count;
            uint8_t b = 0;
            for (int i = 0; i < count; ++i, ++x) {
                if (!nibbles || (i & 1) == 0)
                    if (!in.Next(b)) return row >= height ? true : Fail(texts::kTruncatedFile);
                uint8_t index = nibbles ? ((i & 1) ? (b & 0x0F) : (b >> 4)) : b;
                out.Put(clampX(x), int(std::min<int64_t>(row, INT32_MAX)), index);
            }
            if (bytes & 1) {
                uint8_t pad;
                if (!in.Next(pad)) break;
            }
        }
    }
    // The data ended without an end-of-bitmap code: fine only when every row was reached.
    if (row >= height - 1) return true;
    return Fail(texts::kTruncatedFile);
}

}  // namespace quillory
