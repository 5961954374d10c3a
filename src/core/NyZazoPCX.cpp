// PCX files: run-length coded scan lines of one to four planes.
#include "core/NyZazoPCX.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/CoreTexts.h"
#include "core/SizeMath.h"
#include "core/StreamIO.h"

namespace quillory {

namespace {

constexpr size_t kHeaderBytes = 128;
constexpr uint8_t kManufacturer = 10;
constexpr uint8_t kRunLengthEncoding = 1;
constexpr uint8_t kPaletteSignature = 12;
constexpr uint8_t kRunMarker = 0xC0;

// The bytes of the file and the run state of the line decoder.
class RunReader : public BlockReader {
public:
    explicit RunReader(ImageStream& s) : BlockReader(s) {}

    // Fills one scan line of `n` bytes. Runs may continue into the next line, but
    // never past `remaining`, the bytes left in the whole picture.
    const char* Line(uint8_t* out, size_t n, uint64_t& remaining) {
        size_t filled = 0;
        while (filled < n) {
            if (m_runLeft > 0) {
                size_t take = std::min<size_t>(m_runLeft, n - filled);
                std::memset(out + filled, m_runValue, take);
                filled += take;
                m_runLeft -= uint32_t(take);
                continue;
            }
            uint8_t b;
            if (!Next(b)) return texts::kPcxCorrupted;
            if (b >= kRunMarker) {
                uint32_t count = b & 0x3F;
                if (!Next(m_runValue)) return texts::kPcxCorrupted;
                if (count > remaining) return texts::kPcxRunPastEnd;
                remaining -= count;
                m_runLeft = count;
            } else {
                out[filled++] = b;
                --remaining;
            }
        }
        return nullptr;
    }

private:
    uint32_t m_runLeft = 0;
    uint8_t m_runValue = 0;
};

// Writes one-byte-per-pixel indices into a 1-, 4- or 8-bit row; the index is cut
// to the row's depth.
void PackRow(uint8_t* row, const uint8_t* indices, int width, int depth) {
    if (depth == 8) {
        std::memcpy(row, indices, size_t(width));
    } else if (depth == 4) {
        for (int x = 0; x < width; x += 2) {
            uint8_t hi = indices[x] & 0x0F;
            uint8_t lo = x + 1 < width ? (indices[x + 1] & 0x0F) : (row[x >> 1] & 0x0F);
            row[x >> 1] = uint8_t((hi << 4) | lo);
        }
    } else {
        for (int x = 0; x < width; x += 8) {
            uint8_t byte = row[x >> 3];
            for (int bit = 0; bit < 8 && x + bit < width; ++bit) {
                uint8_t mask = uint8_t(0x80 >> bit);
                byte = (indices[x + bit] & 1) ? uint8_t(byte | mask) : uint8_t(byte & ~mask);
            }
            row[x >> 3] = byte;
        }
    }
}

}  // namespace

bool NyZazoPCX::PlanesToIndices(uint8_t* indices, const uint8_t* line, int bytesPerLine, int planes, int bits) {
    if (planes >= 5) return Fail(texts::kPcxTooManyPlanes);
    if (bits != 1) return Fail(texts::kPcxPlaneBits);
    std::memset(indices, 0, size_t(bytesPerLine) * 8);
    for (int p = 0; p < planes; ++p) {
        const uint8_t* plane = line + size_t(p) * size_t(bytesPerLine);
        const uint8_t add = uint8_t(1 << p);
        for (int i = 0; i < bytesPerLine; ++i) {
            uint8_t byte = plane[i];
            uint8_t* out = indices + size_t(i) * 8;
            for (int bit = 0; bit < 8; ++bit)
                if (byte & (0x80 >> bit)) out[bit] = uint8_t(out[bit] + add);
        }
    }
    return true;
}

bool NyZazoPCX::PackedToIndices(uint8_t* indices, const uint8_t* line, int bytesPerLine, int planes, int bits) {
    if (planes != 1) return Fail(texts::kPcxPackedPlanes);
    switch (bits) {
        case 8: std::memcpy(indices, line, size_t(bytesPerLine)); break;
        case 4:
            for (int i = 0; i < bytesPerLine; ++i) {
                indices[2 * i] = line[i] >> 4;
                indices[2 * i + 1] = line[i] & 0x0F;
            }
            break;
        case 2:
            for (int i = 0; i < bytesPerLine; ++i)
                for (int k = 0; k < 4; ++k) indices[4 * i + k] = (line[i] >> (6 - 2 * k)) & 3;
            break;
        case 1:
            for (int i = 0; i < bytesPerLine; ++i)
                for (int k = 0; k < 8; ++k) indices[8 * i + k] = (line[i] >> (7 - k)) & 1;
            break;
        default: return Fail(texts::kPcxBadDepth);
    }
    return true;
}

bool NyZazoPCX::Decode(ImageStream& stream) {
    uint8_t h[kHeaderBytes];
    if (!ReadExact(stream, h, sizeof h)) return Fail(texts::kPcxCannotRead);
    if (h[0] != kManufacturer) return Fail(texts::kPcxNotPcx);
    if (h[2] != kRunLengthEncoding) return Fail(texts::kPcxUnknownEncoding);

    const int bits = h[3];
    const int planes = h[65];
    const int bytesPerLine = Le16(h + 66);
    const int width = int(Le16(h + 8)) - int(Le16(h + 4)) + 1;
    const int height = int(Le16(h + 10)) - int(Le16(h + 6)) + 1;

    int depth;
    if (planes == 0) {
        return Fail(texts::kPcxBadDepth);
    } else if (bits == 1) {
        if (planes >= 5) return Fail(texts::kPcxTooManyImagePlanes);
        // Two planes make four colours, which need a 4-bit picture.
        depth = planes == 3 ? 24 : planes >= 2 ? 4 : 1;
    } else if (bits == 2 || bits == 4 || bits == 8) {
        if (planes == 1) {
            depth = bits;
        } else if (planes == 3) {
            depth = 24;
        } else {
            return Fail(texts::kPcxBadDepth);
        }
    } else {
        return Fail(texts::kPcxBadDepth);
    }
    if (width <= 0 || height <= 0) return Fail(texts::kBadDimensions);
    // Every plane line must hold the whole width, or pixels would come from the next line.
    if (uint64_t(bytesPerLine) * 8 < uint64_t(width) * uint64_t(bits)) return Fail(texts::kPcxShortLines);
    if (!FitsPixelCap(width, height, depth)) return Fail(texts::kPictureTooLarge);
    if (!Create(width, height, depth, 0)) return Fail(texts::kCannotAllocate);

    // The colour table: 16 entries from the header, the rest black until a file palette fills them.
    uint8_t table[256][3] = {};
    for (int i = 0; i < 16; ++i)
        for (int c = 0; c < 3; ++c) table[i][c] = h[16 + 3 * i + c];
    if (bits == 1 && planes == 1) {
        // Monochrome pictures are black on white whatever the header palette says.
        std::memset(table[0], 0, 3);
        std::memset(table[1], 0xFF, 3);
    }

    RunReader reader(stream);
    const size_t lineBytes = size_t(bytesPerLine) * size_t(planes);
    std::vector<uint8_t> line(lineBytes);
    std::vector<uint8_t> indices(size_t(width) + 8 * size_t(bytesPerLine));
    uint64_t remaining = uint64_t(lineBytes) * uint64_t(height);
    // A layout the line conversion refuses is reported only once all the data has
    // been read, so broken run-length data is named first.
    bool converted = true;
    for (int i = 0; i < height; ++i) {
        if (const char* error = reader.Line(line.data(), lineBytes, remaining)) return Fail(error);
        if (!converted) continue;
        uint8_t* row = Row(height - 1 - i);
        if (planes == 3 && bits == 8) {
            const uint8_t* red = line.data();
            const uint8_t* green = red + bytesPerLine;
            const uint8_t* blue = green + bytesPerLine;
            for (int x = 0; x < width; ++x) {
                row[3 * x] = blue[x];
                row[3 * x + 1] = green[x];
                row[3 * x + 2] = red[x];
            }
        } else if (planes == 1) {
            converted = PackedToIndices(indices.data(), line.data(), bytesPerLine, planes, bits);
            if (converted) PackRow(row, indices.data(), width, BitCount());
        } else {
            converted = PlanesToIndices(indices.data(), line.data(), bytesPerLine, planes, bits);
            if (!converted) {
                // Nothing to store; the refusal is reported after the data.
            } else if (BitCount() == 24) {
                // Three 1-bit planes: eight colours of the header palette, as direct colour.
                for (int x = 0; x < width; ++x) {
                    const uint8_t* c = table[indices[x] & 7];
                    row[3 * x] = c[2];
                    row[3 * x + 1] = c[1];
                    row[3 * x + 2] = c[0];
                }
            } else {
                PackRow(row, indices.data(), width, BitCount());
            }
        }
    }

    if (bits == 8 && planes == 1) {
        // A missing signature byte is no signature either.
        uint8_t signature;
        if (!reader.Next(signature) || signature != kPaletteSignature) return Fail(texts::kPcxBadColourMap);
        if (!reader.NextBlock(&table[0][0], sizeof table)) return Fail(texts::kTruncatedFile);
    }
    if (!converted) return false;
    for (uint32_t i = 0; i < header.biClrUsed; ++i)
        SetPaletteColour(int(i), table[i][0], table[i][1], table[i][2], 0);
    return true;
}

bool NyZazoPCX::Encode(ImageStream&) { return Fail(texts::kUnsupportedOperation); }

}  // namespace quillory
