// Photoshop files: header, colour mode data, image resources, the layer section
// (skipped) and the merged picture, raw or PackBits, in every colour mode at 8 or
// 16 bits per channel. All numbers in PSD files are big-endian.
#include "core/PsdReader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "core/CoreTexts.h"
#include "core/FormatCodes.h"
#include "core/ImageStream.h"
#include "core/SizeMath.h"
#include "core/StreamIO.h"

namespace quillory {

namespace {

constexpr uint8_t kSignature[4] = {'8', 'B', 'P', 'S'};
constexpr uint8_t kResourceSignature[4] = {'8', 'B', 'I', 'M'};
constexpr uint32_t kHeaderBytes = 26;
constexpr uint16_t kMaxChannels = 56;
constexpr uint16_t kRaw = 0, kPackBits = 1, kZipCompression = 2, kZipPredicted = 3;
// A PackBits pair (count, value) yields at most 128 bytes.
constexpr uint64_t kPackBitsMaxExpansion = 64;

uint16_t Be16(const uint8_t* p) { return uint16_t((p[0] << 8) | p[1]); }
uint32_t Be32(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

[[nodiscard]] bool ReadBe16(ImageStream& s, uint16_t& v) {
    uint8_t b[2];
    if (!ReadExact(s, b, 2)) return false;
    v = Be16(b);
    return true;
}

[[nodiscard]] bool ReadBe32(ImageStream& s, uint32_t& v) {
    uint8_t b[4];
    if (!ReadExact(s, b, 4)) return false;
    v = Be32(b);
    return true;
}

// PackBits source, read from the stream in blocks.
class PackBitsReader {
public:
    explicit PackBitsReader(ImageStream& s) : m_stream(s) {}

    [[nodiscard]] bool Next(uint8_t& b) {
        if (m_pos == m_count && !Refill()) return false;
        b = m_buffer[m_pos++];
        return true;
    }

    // Copies n bytes to out; bytes beyond `keep` are consumed and dropped.
    [[nodiscard]] bool Take(uint8_t* out, size_t n, size_t keep) {
        while (n > 0) {
            if (m_pos == m_count && !Refill()) return false;
            size_t chunk = std::min(n, m_count - m_pos);
            size_t kept = std::min(chunk, keep);
            if (kept) std::memcpy(out, m_buffer + m_pos, kept);
            out += kept;
            keep -= kept;
            m_pos += chunk;
            n -= chunk;
        }
        return true;
    }

private:
    bool Refill() {
        m_count = m_stream.Read(m_buffer, 1, sizeof m_buffer);
        m_pos = 0;
        return m_count != 0;
    }

    ImageStream& m_stream;
    uint8_t m_buffer[16384];
    size_t m_pos = 0;
    size_t m_count = 0;
};

// Fills one channel plane. Runs that reach past the plane are cut at its end.
[[nodiscard]] bool DecodePackBitsPlane(PackBitsReader& in, uint8_t* plane, uint64_t planeBytes) {
    uint64_t filled = 0;
    while (filled < planeBytes) {
        uint8_t n;
        if (!in.Next(n)) return false;
        const uint64_t room = planeBytes - filled;
        if (n < 128) {
            const size_t count = size_t(n) + 1;
            const size_t keep = size_t(std::min<uint64_t>(count, room));
            if (!in.Take(plane + filled, count, keep)) return false;
            filled += keep;
        } else if (n > 128) {
            uint8_t value;
            if (!in.Next(value)) return false;
            const size_t keep = size_t(std::min<uint64_t>(257 - n, room));
            std::memset(plane + filled, value, keep);
            filled += keep;
        }
    }
    return true;
}

uint8_t ClampToByte(double v) {
    if (!(v > 0.0)) return 0;
    if (v >= 255.0) return 255;
    return uint8_t(v);
}

// One ink against black: (1 - (k + (1 - k) x)) scaled to 0..255, rounded.
uint8_t InkToByte(double ink, double black) {
    return ClampToByte(std::floor((1.0 - (black + (1.0 - black) * ink)) * 255.0 + 0.5));
}

double LabPivot(double f) {
    const double cube = f * f * f;
    return cube > 0.008856 ? cube : (f - 16.0 / 116.0) / 7.787;
}

double Compand(double c) { return c > 0.0031308 ? 1.055 * std::pow(c, 1.0 / 2.4) - 0.055 : 12.92 * c; }

// D65 reference white; results are scaled by 256 and clamped to 0..255.
void LabToBgr(double L, double a, double b, uint8_t* bgr) {
    const double fy = (L + 16.0) / 116.0;
    const double fx = fy + a / 500.0;
    const double fz = fy - b / 200.0;
    const double X = 95.047 * LabPivot(fx) / 100.0;
    const double Y = 100.0 * LabPivot(fy) / 100.0;
    const double Z = 108.883 * LabPivot(fz) / 100.0;
    const double r = 3.2406 * X - 1.5372 * Y - 0.4986 * Z;
    const double g = -0.9689 * X + 1.8758 * Y + 0.0415 * Z;
    const double bl = 0.0557 * X - 0.2040 * Y + 1.0570 * Z;
    bgr[0] = ClampToByte(std::floor(Compand(bl) * 256.0));
    bgr[1] = ClampToByte(std::floor(Compand(g) * 256.0));
    bgr[2] = ClampToByte(std::floor(Compand(r) * 256.0));
}

}  // namespace

PsdReader::PsdReader() : m_picture(kFormatPsd) { m_modeTable.fill(0xFE); }

int PsdReader::Fail(int code, const char* text) {
    m_picture.Destroy();
    m_lastError = text;
    return code;
}

int PsdReader::Read(const std::string& fileName) {
    ImageStream stream(ImageStream::kFile);
    if (!stream.OpenFile(fileName, "rb")) {
        m_picture.Destroy();
        m_lastError = texts::kPsdCannotOpen;
        return psd::kCannotOpen;
    }
    return Read(stream);
}

int PsdReader::Read(ImageStream& s) {
    m_header = PsdHeader{};
    m_resources = PsdResources{};
    m_modeDataLength = 0;
    m_modeTable.fill(0xFE);
    m_picture.Destroy();
    m_lastError.clear();
    m_streamSize = s.Size();
    if (m_streamSize < 0) return Fail(psd::kNotPsd, texts::kPsdNotPsd);
    try {
        int code = ReadHeader(s);
        if (code == psd::kOk) code = ReadModeData(s);
        if (code == psd::kOk) code = ReadResources(s);
        if (code == psd::kOk) code = SkipLayers(s);
        if (code == psd::kOk) code = ReadImageData(s);
        return code;
    } catch (const std::bad_alloc&) {
        return Fail(psd::kNoBitmap, texts::kCannotAllocate);
    }
}

uint64_t PsdReader::Remaining(ImageStream& s) const {
    const long here = s.Tell();
    return here < 0 || here > m_streamSize ? 0 : uint64_t(m_streamSize - here);
}

bool PsdReader::TakePicture(NyZazo& out) {
    if (!m_picture.dib) return false;
    out.TakeOver(m_picture);
    out.formatType = int8_t(kFormatPsd);
    return true;
}

int PsdReader::ReadHeader(ImageStream& s) {
    uint8_t raw[kHeaderBytes];
    const size_t got = s.Read(raw, 1, sizeof raw);
    if (got < 4 || std::memcmp(raw, kSignature, 4) != 0) return Fail(psd::kNotPsd, texts::kPsdNotPsd);
    if (got < kHeaderBytes) return Fail(psd::kHeaderFailed, texts::kTruncatedFile);
    // Version 2 is the large document format, whose section lengths are 64-bit.
    if (Be16(raw + 4) != 1) return Fail(psd::kNotPsd, texts::kPsdNotPsd);
    for (int i = 6; i < 12; ++i)
        if (raw[i] != 0) return Fail(psd::kNotPsd, texts::kPsdNotPsd);
    m_header.channels = Be16(raw + 12);
    m_header.height = Be32(raw + 14);
    m_header.width = Be32(raw + 18);
    m_header.depth = Be16(raw + 22);
    m_header.colourMode = Be16(raw + 24);
    if (m_header.channels == 0 || m_header.channels > kMaxChannels || m_header.width == 0 || m_header.height == 0)
        return Fail(psd::kHeaderFailed, texts::kPsdBadHeader);
    // Modes built from several planes need them all; multichannel takes what there is.
    if (m_header.colourMode != kPsdMultichannel && m_header.channels < PlanesForMode())
        return Fail(psd::kHeaderFailed, texts::kPsdBadHeader);
    return psd::kOk;
}

int PsdReader::ReadModeData(ImageStream& s) {
    uint32_t length;
    if (!ReadBe32(s, length)) return Fail(psd::kBadModeData, texts::kPsdBadModeData);
    if (length > Remaining(s)) return Fail(psd::kBadModeData, texts::kPsdBadModeData);
    m_modeDataLength = length;
    const uint32_t kept = std::min(length, kModeTableBytes);
    if (!ReadExact(s, m_modeTable.data(), kept)) return Fail(psd::kBadModeData, texts::kPsdBadModeData);
    if (s.Seek(long(length - kept), SEEK_CUR) != 0) return Fail(psd::kBadModeData, texts::kPsdBadModeData);
    return psd::kOk;
}

int PsdReader::ReadResources(ImageStream& s) {
    uint32_t length;
    if (!ReadBe32(s, length)) return Fail(psd::kBadResources, texts::kTruncatedFile);
    if (length > Remaining(s)) return Fail(psd::kBadResources, texts::kTruncatedFile);
    uint64_t left = length;
    while (left > 0) {
        // Signature, id and the name's length byte; the name is padded to an even total.
        uint8_t head[7];
        if (left < sizeof head) return Fail(psd::kBadResources, texts::kPsdBadResources);
        if (!ReadExact(s, head, sizeof head)) return Fail(psd::kBadResources, texts::kTruncatedFile);
        left -= sizeof head;
        const uint16_t id = Be16(head + 4);
        const uint32_t nameRest = (uint32_t(head[6]) + 1 + 1) / 2 * 2 - 1;
        if (left < uint64_t(nameRest) + 4) return Fail(psd::kBadResources, texts::kPsdBadResources);
        if (s.Seek(long(nameRest), SEEK_CUR) != 0) return Fail(psd::kBadResources, texts::kTruncatedFile);
        uint32_t size;
        if (!ReadBe32(s, size)) return Fail(psd::kBadResources, texts::kTruncatedFile);
        left -= uint64_t(nameRest) + 4;
        const uint64_t padded = uint64_t(size) + (size & 1);
        if (padded > left) return Fail(psd::kBadResources, texts::kPsdBadResources);
        left -= padded;
        if (std::memcmp(head, kResourceSignature, 4) == 0) {
            if (!ReadResourceFields(s, id, size)) return Fail(psd::kBadResources, texts::kTruncatedFile);
        } else if (s.Seek(long(padded), SEEK_CUR) != 0) {
            return Fail(psd::kBadResources, texts::kTruncatedFile);
        }
    }
    return psd::kOk;
}

// Decodes the fields of the listed ids from the front of a block and skips the rest;
// a block shorter than its fields leaves the missing ones at their defaults.
bool PsdReader::ReadResourceFields(ImageStream& s, uint16_t id, uint32_t size) {
    const uint64_t padded = uint64_t(size) + (size & 1);
    size_t want = 0;
    switch (id) {
        case 1000: want = 10; break;
        case 1005: want = 16; break;
        case 1007: want = 13; break;
        case 1033:
        case 1036: want = 28; break;
        case 1034: want = 2; break;
        case 1037: want = 4; break;
        case 1046:
        case 1047: want = 2; break;
        default: break;
    }
    uint8_t b[28] = {};
    const size_t n = size_t(std::min<uint64_t>(want, size));
    if (!ReadExact(s, b, n)) return false;
    if (s.Seek(long(padded - n), SEEK_CUR) != 0) return false;
    PsdResources& r = m_resources;
    switch (id) {
        case 1000:
            for (size_t i = 0; i < 5 && n >= 2 * i + 2; ++i) r.channelInfo[i] = Be16(b + 2 * i);
            break;
        case 1005:
            if (n >= 4) r.resolution.horizontal = Be32(b);
            if (n >= 6) r.resolution.horizontalUnit = Be16(b + 4);
            if (n >= 8) r.resolution.widthUnit = Be16(b + 6);
            if (n >= 12) r.resolution.vertical = Be32(b + 8);
            if (n >= 14) r.resolution.verticalUnit = Be16(b + 12);
            if (n >= 16) r.resolution.heightUnit = Be16(b + 14);
            break;
        case 1007:
            if (n >= 2) r.display.colourSpace = Be16(b);
            for (size_t i = 0; i < 4 && n >= 2 * i + 4; ++i) r.display.components[i] = Be16(b + 2 + 2 * i);
            if (n >= 12) r.display.opacity = Be16(b + 10);
            if (n >= 13) r.display.kind = b[12];
            break;
        case 1033:
        case 1036: {
            // Only the description is kept; the thumbnail's pixels are not needed.
            int64_t* fields[] = {&r.thumbnail.format,   &r.thumbnail.width,     &r.thumbnail.height,
                                 &r.thumbnail.rowBytes, &r.thumbnail.totalSize, &r.thumbnail.compressedSize};
            for (size_t i = 0; i < 6 && n >= 4 * i + 4; ++i) *fields[i] = Be32(b + 4 * i);
            if (n >= 26) r.thumbnail.bitsPerPixel = Be16(b + 24);
            if (n >= 28) r.thumbnail.planes = Be16(b + 26);
            break;
        }
        case 1034: r.copyrightFlag = n >= 2 ? Be16(b) : n == 1 ? b[0] : 0; break;
        case 1037:
            if (n >= 4) r.globalAngle = int32_t(Be32(b));
            break;
        case 1046:
            if (n >= 2) r.indexedColours = Be16(b);
            break;
        case 1047:
            if (n >= 2) r.transparentIndex = Be16(b);
            break;
        default: break;
    }
    return true;
}

int PsdReader::SkipLayers(ImageStream& s) {
    uint32_t length;
    if (!ReadBe32(s, length)) return Fail(psd::kImageDataFailed, texts::kTruncatedFile);
    if (length > Remaining(s)) return Fail(psd::kImageDataFailed, texts::kTruncatedFile);
    if (s.Seek(long(length), SEEK_CUR) != 0) return Fail(psd::kImageDataFailed, texts::kTruncatedFile);
    return psd::kOk;
}

uint32_t PsdReader::PlanesForMode() const {
    switch (m_header.colourMode) {
        case kPsdGreyScale:
        case kPsdIndexed:
        case kPsdDuotone: return 1;
        case kPsdRgb:
        case kPsdLab:
        case kPsdMultichannel: return 3;
        case kPsdCmyk: return 4;
        default: return 0;  // bitmap and unknown modes stay white
    }
}

int PsdReader::ReadImageData(ImageStream& s) {
    uint16_t compression;
    if (!ReadBe16(s, compression)) return Fail(psd::kImageDataFailed, texts::kTruncatedFile);
    if (compression == kZipCompression) return Fail(psd::kZip, texts::kPsdZip);
    if (compression == kZipPredicted) return Fail(psd::kZipPrediction, texts::kPsdZipPrediction);
    if (compression != kRaw && compression != kPackBits)
        return Fail(psd::kUnknownCompression, texts::kUnknownCompression);
    if (m_header.depth == 1) return Fail(psd::kDepthOne, texts::kPsdDepthOne);
    if (m_header.depth != 8 && m_header.depth != 16) return Fail(psd::kUnsupportedDepth, texts::kPsdBadDepth);
    if (!FitsPixelCap(m_header.width, m_header.height, 24)) return Fail(psd::kNoBitmap, texts::kPictureTooLarge);

    // Only the planes the colour mode shows are read; alpha and spot channels follow them.
    const uint32_t planeCount = std::min<uint32_t>(PlanesForMode(), m_header.channels);
    const uint64_t planeBytes = uint64_t(m_header.width) * m_header.height * (m_header.depth / 8);
    const uint64_t total = planeBytes * planeCount;
    if (total > PixelByteLimit()) return Fail(psd::kNoBitmap, texts::kPictureTooLarge);

    // Refuse data that cannot fill the planes before allocating anything for them. Modes
    // that show no plane still need one in the file, so a few bytes never make a huge picture.
    const uint64_t present = std::max(total, planeBytes);
    uint64_t available = Remaining(s);
    std::vector<uint8_t> planes;
    if (compression == kRaw) {
        if (present > available) return Fail(psd::kImageDataFailed, texts::kTruncatedFile);
        planes.resize(size_t(total));
        if (!ReadExact(s, planes.data(), planes.size())) return Fail(psd::kImageDataFailed, texts::kTruncatedFile);
    } else {
        // The table of row byte counts is not needed: the planes are decoded in one run each.
        const uint64_t tableBytes = uint64_t(m_header.channels) * m_header.height * 2;
        if (tableBytes > available) return Fail(psd::kImageDataFailed, texts::kTruncatedFile);
        available -= tableBytes;
        if (present > available * kPackBitsMaxExpansion) return Fail(psd::kImageDataFailed, texts::kTruncatedFile);
        if (s.Seek(long(tableBytes), SEEK_CUR) != 0) return Fail(psd::kImageDataFailed, texts::kTruncatedFile);
        planes.resize(size_t(total));
        PackBitsReader in(s);
        for (uint32_t p = 0; p < planeCount; ++p)
            if (!DecodePackBitsPlane(in, planes.data() + p * planeBytes, planeBytes))
                return Fail(psd::kImageDataFailed, texts::kTruncatedFile);
    }

    if (!m_picture.Create(int(m_header.width), int(m_header.height), 24, kFormatPsd))
        return Fail(psd::kNoBitmap, texts::kCannotAllocate);
    const PsdResources::Resolution& res = m_resources.resolution;
    // 16.16 fixed pixels per inch to whole pixels per metre, truncated.
    auto perMetre = [](int64_t fixed) {
        return fixed < 0 ? kDefaultPelsPerMeter : int32_t(fixed * 10000 / (254 * 65536));
    };
    const int32_t ppmX = perMetre(res.horizontal), ppmY = perMetre(res.vertical);
    m_picture.header.biXPelsPerMeter = ppmX;
    m_picture.header.biYPelsPerMeter = ppmY;
    m_picture.dpiX = int32_t(std::floor(double(ppmX) * 254.0 / 10000.0 + 0.5));
    m_picture.dpiY = int32_t(std::floor(double(ppmY) * 254.0 / 10000.0 + 0.5));
    WriteInfoHeader(m_picture.dib, m_picture.header);
    FillPicture(planes.data(), planeCount, planeBytes);
    return psd::kOk;
}

// Rows of the file are top-down; the picture's stored rows are bottom-up.
void PsdReader::FillPicture(const uint8_t* planes, uint32_t planeCount, uint64_t planeBytes) {
    const uint32_t width = m_header.width, height = m_header.height;
    const uint32_t bytes = m_header.depth / 8;
    // The largest sample, so that a full-scale sample is full intensity (no ink).
    const double maxSample = double((1u << m_header.depth) - 1);
    // Lab samples are scaled by the channel range 2^depth: L by 2^depth / 100, a and b by 2^depth / 256.
    const double lScale = double(1u << m_header.depth) / 100.0;
    const double abScale = double(1u << m_header.depth) / 256.0;
    auto plane = [&](uint32_t p) { return planes + p * planeBytes; };
    // The first (high) byte of a sample, and the whole sample.
    auto high = [&](const uint8_t* pl, size_t i) { return pl[i * bytes]; };
    auto full = [&](const uint8_t* pl, size_t i) -> uint32_t {
        return bytes == 1 ? pl[i] : uint32_t((pl[2 * i] << 8) | pl[2 * i + 1]);
    };
    const uint8_t* table = m_modeTable.data();

    for (uint32_t screenY = 0; screenY < height; ++screenY) {
        uint8_t* out = m_picture.Row(int(height - 1 - screenY));
        const size_t first = size_t(screenY) * width;
        switch (m_header.colourMode) {
            case kPsdGreyScale:
            case kPsdDuotone: {
                const uint8_t* g = plane(0);
                for (uint32_t x = 0; x < width; ++x, out += 3) out[0] = out[1] = out[2] = high(g, first + x);
                break;
            }
            case kPsdIndexed: {
                const uint8_t* ix = plane(0);
                for (uint32_t x = 0; x < width; ++x, out += 3) {
                    const uint8_t i = high(ix, first + x);
                    out[0] = table[512 + i];
                    out[1] = table[256 + i];
                    out[2] = table[i];
                }
                break;
            }
            case kPsdRgb: {
                const uint8_t *r = plane(0), *g = plane(1), *b = plane(2);
                for (uint32_t x = 0; x < width; ++x, out += 3) {
                    out[0] = high(b, first + x);
                    out[1] = high(g, first + x);
                    out[2] = high(r, first + x);
                }
                break;
            }
            case kPsdCmyk: {
                // CMYK samples count ink downwards: the full-scale sample is no ink.
                const uint8_t *c = plane(0), *m = plane(1), *y = plane(2), *k = plane(3);
                for (uint32_t x = 0; x < width; ++x, out += 3) {
                    const size_t i = first + x;
                    const double black = 1.0 - full(k, i) / maxSample;
                    out[0] = InkToByte(1.0 - full(y, i) / maxSample, black);
                    out[1] = InkToByte(1.0 - full(m, i) / maxSample, black);
                    out[2] = InkToByte(1.0 - full(c, i) / maxSample, black);
                }
                break;
            }
            case kPsdMultichannel: {
                // The first three planes as cyan, magenta and yellow without black;
                // a plane the file does not have carries no ink.
                for (uint32_t x = 0; x < width; ++x, out += 3) {
                    const size_t i = first + x;
                    for (uint32_t p = 0; p < 3; ++p) {
                        const double ink = p < planeCount ? 1.0 - full(plane(p), i) / maxSample : 0.0;
                        out[2 - p] = InkToByte(ink, 0.0);
                    }
                }
                break;
            }
            case kPsdLab: {
                const uint8_t *l = plane(0), *a = plane(1), *b = plane(2);
                for (uint32_t x = 0; x < width; ++x, out += 3) {
                    const size_t i = first + x;
                    LabToBgr(full(l, i) / lScale, full(a, i) / abScale - 128.0,
                             full(b, i) / abScale - 128.0, out);
                }
                break;
            }
            default: break;
        }
    }
}

bool ReadPsdStream(ImageStream& stream, NyZazo& out, int* resultCode) {
    PsdReader reader;
    const int code = reader.Read(stream);
    if (resultCode) *resultCode = code;
    if (code != psd::kOk) {
        out.SetLastError(reader.lastError());
        return false;
    }
    return reader.TakePicture(out);
}

bool ReadPsdFile(const std::string& path, NyZazo& out, int* resultCode) {
    PsdReader reader;
    const int code = reader.Read(path);
    if (resultCode) *resultCode = code;
    if (code != psd::kOk) {
        out.SetLastError(reader.lastError());
        return false;
    }
    return reader.TakePicture(out);
}

}  // namespace quillory
