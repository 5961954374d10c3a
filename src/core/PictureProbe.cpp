#include "core/PictureProbe.h"

#include <webp/decode.h>

#include <algorithm>
#include <cstring>

#include "core/FormatCodes.h"
#include "core/ImageStream.h"

namespace quillory {

namespace {

bool ReadAt(ImageStream& s, long offset, uint8_t* buffer, size_t n) {
    return s.Seek(offset, SEEK_SET) == 0 && s.Read(buffer, 1, n) == n;
}

uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t Le32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint16_t Be16(const uint8_t* p) { return uint16_t(p[0] << 8 | p[1]); }
uint32_t Be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]); }

bool Done(PictureDimensions& out, int64_t width, int64_t height, int bitsPerPixel) {
    if (width <= 0 || height <= 0) return false;
    out = PictureDimensions{width, height, bitsPerPixel};
    return true;
}

bool ProbeBmp(ImageStream& s, PictureDimensions& out) {
    uint8_t h[30];
    if (!ReadAt(s, 0, h, sizeof h) || h[0] != 'B' || h[1] != 'M') return false;
    const uint32_t infoSize = Le32(h + 14);
    int64_t width, height;
    int bitCount;
    if (infoSize == 12) {  // OS/2 core header
        width = Le16(h + 18);
        height = Le16(h + 20);
        bitCount = Le16(h + 24);
    } else {
        width = int32_t(Le32(h + 18));
        height = int32_t(Le32(h + 22));
        bitCount = Le16(h + 28);
    }
    if (height < 0) height = -height;
    const int depth = bitCount <= 1 ? 1 : bitCount <= 4 ? 4 : bitCount <= 8 ? 8 : bitCount == 32 ? 32 : 24;
    return Done(out, width, height, depth);
}

bool ProbeGif(ImageStream& s, PictureDimensions& out) {
    uint8_t h[13];
    if (!ReadAt(s, 0, h, sizeof h) || std::memcmp(h, "GIF", 3) != 0) return false;
    int64_t width = Le16(h + 6), height = Le16(h + 8);
    long at = 13;
    if (h[10] & 0x80) at += 3L << ((h[10] & 7) + 1);
    // The first frame may be larger than the logical screen: its size counts too.
    for (int blocks = 0; blocks < 4096; ++blocks) {
        uint8_t introducer;
        if (!ReadAt(s, at, &introducer, 1)) break;
        if (introducer == 0x2C) {
            uint8_t d[9];
            if (!ReadAt(s, at + 1, d, sizeof d)) break;
            width = std::max<int64_t>(width, Le16(d + 4));
            height = std::max<int64_t>(height, Le16(d + 6));
            break;
        }
        if (introducer != 0x21) break;
        at += 2;  // introducer and label, then sub-blocks up to an empty one
        uint8_t length = 1;
        while (length != 0) {
            if (!ReadAt(s, at, &length, 1)) return Done(out, width, height, 8);
            at += 1 + length;
        }
    }
    return Done(out, width, height, 8);
}

// The position of the next 0xFF at or after `at`, as the JPEG library resynchronises
// after a segment whose length is wrong; -1 when none follows within the search.
long NextMarker(ImageStream& s, long at) {
    constexpr long kMaxSearch = 1 << 24;
    uint8_t chunk[4096];
    for (long from = at; from < at + kMaxSearch; from += long(sizeof chunk)) {
        if (s.Seek(from, SEEK_SET) != 0) return -1;
        const size_t n = s.Read(chunk, 1, sizeof chunk);
        for (size_t i = 0; i < n; ++i)
            if (chunk[i] == 0xFF) return from + long(i);
        if (n < sizeof chunk) return -1;
    }
    return -1;
}

bool ProbeJpeg(ImageStream& s, PictureDimensions& out) {
    uint8_t m[2];
    if (!ReadAt(s, 0, m, 2) || m[0] != 0xFF || m[1] != 0xD8) return false;
    long at = 2;
    for (int segments = 0; segments < 4096; ++segments) {
        uint8_t marker[4];
        if (!ReadAt(s, at, marker, 4)) return false;
        if (marker[0] != 0xFF) {
            at = NextMarker(s, at);
            if (at < 0) return false;
            continue;
        }
        const uint8_t code = marker[1];
        if (code == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        if (code == 0xD8 || (code >= 0xD0 && code <= 0xD7) || code == 0x01) {
            at += 2;
            continue;
        }
        if (code == 0xDA || code == 0xD9) return false;  // scan or end before any frame header
        const bool frame = code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC;
        if (frame) {
            uint8_t f[6];
            if (!ReadAt(s, at + 4, f, sizeof f)) return false;
            return Done(out, Be16(f + 3), Be16(f + 1), f[5] == 1 ? 8 : 24);
        }
        at += 2 + Be16(marker + 2);
    }
    return false;
}

bool ProbeTiff(ImageStream& s, PictureDimensions& out) {
    uint8_t h[16];
    if (!ReadAt(s, 0, h, 8)) return false;
    const bool little = h[0] == 'I' && h[1] == 'I';
    if (!little && !(h[0] == 'M' && h[1] == 'M')) return false;
    auto u16 = [little](const uint8_t* p) { return little ? Le16(p) : Be16(p); };
    auto u32 = [little](const uint8_t* p) { return little ? Le32(p) : Be32(p); };
    auto u64 = [&](const uint8_t* p) {
        return little ? uint64_t(u32(p)) | uint64_t(u32(p + 4)) << 32 : uint64_t(u32(p)) << 32 | uint64_t(u32(p + 4));
    };
    const uint16_t magic = u16(h + 2);
    const bool big = magic == 43;
    if (magic != 42 && !big) return false;
    uint64_t ifd;
    if (big) {
        if (!ReadAt(s, 8, h + 8, 8)) return false;
        ifd = u64(h + 8);
    } else {
        ifd = u32(h + 4);
    }
    if (ifd > uint64_t(0x7FFFFFFF)) return false;
    uint8_t countBytes[8];
    if (!ReadAt(s, long(ifd), countBytes, big ? 8 : 2)) return false;
    const uint64_t count = big ? u64(countBytes) : u16(countBytes);
    const size_t entryBytes = big ? 20 : 12;
    const long first = long(ifd) + (big ? 8 : 2);
    int64_t width = 0, height = 0;
    int bitsPerSample = 1, photometric = -1;
    bool tiled = false, seenBits = false;
    for (uint64_t i = 0; i < std::min<uint64_t>(count, 4096); ++i) {
        uint8_t e[20];
        if (!ReadAt(s, first + long(i * entryBytes), e, entryBytes)) return false;
        const uint16_t tag = u16(e), type = u16(e + 2);
        const uint8_t* value = e + (big ? 12 : 8);
        // SHORT values sit in the first two bytes of the field; LONG (and LONG8) in the first four.
        const int64_t number = type == 3 ? u16(value) : type == 4 || type == 16 ? int64_t(u32(value)) : -1;
        if (number < 0) continue;
        // A repeated tag is ignored, as the TIFF library does.
        switch (tag) {
            case 256: width = width ? width : number; break;
            case 257: height = height ? height : number; break;
            case 258: bitsPerSample = seenBits ? bitsPerSample : int(number), seenBits = true; break;
            case 262: photometric = photometric >= 0 ? photometric : int(number); break;
            case 322: tiled = true; break;
            default: break;
        }
    }
    // Bilevel, grey and palette strips keep their indices; the rest becomes 24-bit colour.
    int depth = 24;
    if ((photometric == 0 || photometric == 1 || photometric == 3) && !tiled)
        depth = photometric != 3 && bitsPerSample == 1 ? 1 : bitsPerSample == 4 ? 4 : 8;
    return Done(out, width, height, depth);
}

bool ProbePcx(ImageStream& s, PictureDimensions& out) {
    uint8_t h[66];
    if (!ReadAt(s, 0, h, sizeof h) || h[0] != 0x0A) return false;
    const int64_t width = int64_t(Le16(h + 8)) - Le16(h + 4) + 1;
    const int64_t height = int64_t(Le16(h + 10)) - Le16(h + 6) + 1;
    const int bits = h[3], planes = h[65];
    // One bit in three planes is colour, in four planes sixteen colours; three planes of more bits are colour.
    int depth = bits == 1 ? (planes == 3 ? 24 : planes == 4 ? 4 : 1) : planes == 3 ? 24 : bits <= 4 ? 4 : 8;
    return Done(out, width, height, depth);
}

bool ProbePsd(ImageStream& s, PictureDimensions& out) {
    uint8_t h[26];
    if (!ReadAt(s, 0, h, sizeof h) || std::memcmp(h, "8BPS", 4) != 0) return false;
    return Done(out, Be32(h + 18), Be32(h + 14), 24);
}

// Whether a transparency chunk before the image data turns the picture into a
// 32-bit one: any transparency of a colour picture or of 16-bit grey, and palette
// opacities other than one fully transparent entry among opaque ones.
bool PngTransparencyNeedsAlpha(ImageStream& s, int colourType, int bitDepth) {
    long at = 8;
    for (int chunks = 0; chunks < 1024; ++chunks) {
        uint8_t h[8];
        if (!ReadAt(s, at, h, sizeof h)) return false;
        const uint32_t length = Be32(h);
        if (std::memcmp(h + 4, "IDAT", 4) == 0 || std::memcmp(h + 4, "IEND", 4) == 0 || length > 0x7FFFFFFFu) return false;
        if (std::memcmp(h + 4, "tRNS", 4) == 0) {
            if (colourType == 2 || bitDepth == 16) return true;
            if (colourType != 3) return false;
            uint8_t alphas[256];
            const size_t n = std::min<size_t>(length, sizeof alphas);
            if (!ReadAt(s, at + 8, alphas, n)) return false;
            int transparent = 0;
            for (size_t i = 0; i < n; ++i) {
                if (alphas[i] == 255) continue;
                if (alphas[i] != 0 || ++transparent > 1) return true;
            }
            return false;
        }
        at += 12 + long(length);
    }
    return false;
}

// The header chunk: width, height, bit depth and colour type. Palette and grey
// pictures stay indexed (2 bits widen to 4), 16-bit grey becomes 8 bits, colour
// 24 and colour or grey with an opacity channel (or a transparency chunk that
// needs one) 32.
bool ProbePng(ImageStream& s, PictureDimensions& out) {
    uint8_t h[33];
    if (!ReadAt(s, 0, h, sizeof h) || std::memcmp(h, "\x89PNG\r\n\x1a\n", 8) != 0 || std::memcmp(h + 12, "IHDR", 4) != 0)
        return false;
    const int bitDepth = h[24], colourType = h[25];
    int depth = 32;
    if (colourType == 3 || (colourType == 0 && bitDepth <= 8)) depth = bitDepth == 2 ? 4 : bitDepth;
    else if (colourType == 0) depth = 8;
    else if (colourType == 2) depth = 24;
    if (depth < 32 && PngTransparencyNeedsAlpha(s, colourType, bitDepth)) depth = 32;
    return Done(out, Be32(h + 16), Be32(h + 20), depth);
}

// The library reads the size and opacity from the first chunk headers.
bool ProbeWebp(ImageStream& s, PictureDimensions& out) {
    uint8_t h[64];
    if (s.Seek(0, SEEK_SET) != 0) return false;
    const size_t n = s.Read(h, 1, sizeof h);
    WebPBitstreamFeatures features;
    if (n < 12 || std::memcmp(h, "RIFF", 4) != 0 || WebPGetFeatures(h, n, &features) != VP8_STATUS_OK) return false;
    return Done(out, features.width, features.height, features.has_alpha ? 32 : 24);
}

}  // namespace

bool ProbePicture(ImageStream& stream, int formatCode, PictureDimensions& out) {
    switch (formatCode) {
        case kFormatBmp: return ProbeBmp(stream, out);
        case kFormatGif: return ProbeGif(stream, out);
        case kFormatJpeg: return ProbeJpeg(stream, out);
        case kFormatTiff: return ProbeTiff(stream, out);
        case kFormatPcx: return ProbePcx(stream, out);
        case kFormatPsd: return ProbePsd(stream, out);
        case kFormatPng: return ProbePng(stream, out);
        case kFormatWebp: return ProbeWebp(stream, out);
        default: return false;
    }
}

bool ProbePictureFile(const std::string& path, int formatCode, PictureDimensions& out) {
    ImageStream stream(ImageStream::kFile);
    return stream.OpenFile(path, "rb") && ProbePicture(stream, formatCode, out);
}

}  // namespace quillory
