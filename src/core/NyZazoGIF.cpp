// GIF files: the decoder reads frame `frameIndex` (laying it over its predecessors
// when its disposal method leaves them in place); the encoder writes one frame.
#include "core/NyZazoGIF.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>
#include <vector>

#include "core/CoreTexts.h"
#include "core/SizeMath.h"
#include "core/StreamIO.h"

namespace quillory {

namespace {

constexpr uint8_t kExtensionIntroducer = 0x21;
constexpr uint8_t kImageSeparator = 0x2C;
constexpr uint8_t kTrailer = 0x3B;
constexpr uint8_t kGraphicControl = 0xF9;
constexpr uint8_t kCommentLabel = 0xFE;
constexpr uint8_t kApplicationLabel = 0xFF;
constexpr int kLeaveInPlace = 1;
constexpr int kLargestCodeBits = 12;
constexpr int kHashShift = 4;  // 8 minus the doublings that take 5003 to 65536

int DepthForColours(int count) { return count <= 2 ? 1 : count <= 16 ? 4 : 8; }

// Skips data sub-blocks up to and including the zero length.
[[nodiscard]] bool SkipSubBlocks(ImageStream& stream) {
    for (;;) {
        uint8_t length;
        if (!ReadU8(stream, length)) return false;
        if (length == 0) return true;
        if (stream.Seek(length, SEEK_CUR) != 0) return false;
    }
}

}  // namespace

void NyZazoGIF::ClearTables() {
    std::memset(m_globalColours, 0, sizeof m_globalColours);
    std::memset(m_buffer, 0, sizeof m_buffer);
    std::memset(m_prefix, 0, sizeof m_prefix);
    std::memset(m_suffix, 0, sizeof m_suffix);
    std::memset(m_length, 0, sizeof m_length);
    std::memset(m_hash, 0, sizeof m_hash);
    std::memset(m_codes, 0, sizeof m_codes);
    std::memset(m_packet, 0, sizeof m_packet);
}

class NyZazoGIF::RowTarget {
public:
    virtual ~RowTarget() = default;
    // One row of one-byte indices, `frameY` counted from the top of the frame.
    virtual void Put(int frameY, const uint8_t* indices) = 0;
};

namespace {

// Rows of the frame decoded alone into the codec's own picture.
class OwnRows : public NyZazoGIF::RowTarget {
public:
    explicit OwnRows(NyZazo& picture) : m_picture(picture) {}
    void Put(int frameY, const uint8_t* indices) override {
        const int width = m_picture.Width();
        uint8_t* row = m_picture.Row(m_picture.Height() - 1 - frameY);
        switch (m_picture.BitCount()) {
            case 8: std::memcpy(row, indices, size_t(width)); break;
            case 4:
                for (int x = 0; x < width; x += 2) {
                    uint8_t lo = x + 1 < width ? (indices[x + 1] & 0x0F) : 0;
                    row[x >> 1] = uint8_t(((indices[x] & 0x0F) << 4) | lo);
                }
                break;
            default:
                for (int x = 0; x < width; x += 8) {
                    uint8_t byte = 0;
                    for (int bit = 0; bit < 8 && x + bit < width; ++bit)
                        if (indices[x + bit] & 1) byte = uint8_t(byte | (0x80 >> bit));
                    row[x >> 3] = byte;
                }
        }
    }

private:
    NyZazo& m_picture;
};

// Lays the opaque pixels of a frame over the picture built so far, clipped to it.
// Indices are carried over through the frame's colours so that a frame with a
// table of its own keeps its colours on the canvas's palette.
class CanvasRows : public NyZazoGIF::RowTarget {
public:
    CanvasRows(NyZazo& canvas, int left, int top, int width, const RGBQUAD* colours, int transparent)
        : m_canvas(canvas), m_top(top), m_colours(colours), m_transparent(transparent) {
        m_canvasLeft = left - canvas.offsetX;
        m_x0 = std::max(0, -m_canvasLeft);
        m_x1 = std::min(width, canvas.Width() - m_canvasLeft);
        std::fill(std::begin(m_map), std::end(m_map), -1);
    }
    void Put(int frameY, const uint8_t* indices) override {
        const int canvasY = m_top + frameY - m_canvas.offsetY;
        if (canvasY < 0 || canvasY >= m_canvas.Height()) return;
        uint8_t* row = m_canvas.Row(m_canvas.Height() - 1 - canvasY);
        const int depth = m_canvas.BitCount();
        for (int x = m_x0; x < m_x1; ++x) {
            const uint8_t index = indices[x];
            if (index == m_transparent) continue;
            const uint8_t value = Map(index);
            const int cx = m_canvasLeft + x;
            if (depth == 8) {
                row[cx] = value;
            } else if (depth == 4) {
                uint8_t& b = row[cx >> 1];
                b = (cx & 1) ? uint8_t((b & 0xF0) | (value & 0x0F)) : uint8_t((b & 0x0F) | (value << 4));
            } else {
                uint8_t& b = row[cx >> 3];
                const uint8_t mask = uint8_t(0x80 >> (cx & 7));
                b = (value & 1) ? uint8_t(b | mask) : uint8_t(b & ~mask);
            }
        }
    }

private:
    uint8_t Map(uint8_t index) {
        if (m_map[index] >= 0) return uint8_t(m_map[index]);
        uint8_t value = index;
        if (m_colours) {
            const RGBQUAD want = m_colours[index];
            if (!(index < m_canvas.header.biClrUsed && m_canvas.GetPaletteColour(index) == want))
                value = m_canvas.GetNearestIndex(want);
        }
        m_map[index] = value;
        return value;
    }

    NyZazo& m_canvas;
    int m_top;
    int m_canvasLeft = 0;
    int m_x0 = 0, m_x1 = 0;
    const RGBQUAD* m_colours;
    int m_transparent;
    int m_map[256];
};

}  // namespace

// Decoder.

bool NyZazoGIF::Decode(ImageStream& stream) {
    uint8_t head[13];
    const size_t got = stream.Read(head, 1, sizeof head);
    if (got < 4 || std::memcmp(head, "GIF8", 4) != 0) return false;
    if (got < sizeof head) return Fail(texts::kTruncatedFile);
    m_screenWidth = Le16(head + 6);
    m_screenHeight = Le16(head + 8);
    const uint8_t packed = head[10];
    m_globalCount = 0;
    if (packed & 0x80) {
        m_globalCount = 2 << (packed & 7);
        if (!ReadExact(stream, m_globalColours, size_t(m_globalCount) * 3)) return Fail(texts::kTruncatedFile);
    }

    const long dataStart = stream.Tell();
    if (dataStart < 0) return Fail(texts::kTruncatedFile);
    int count = 0, firstNeeded = 0;
    bool ended = false;
    {
        // Counting reads the same extensions again; what it sees must not leak into the frames.
        uint8_t savedBlock[4];
        std::memcpy(savedBlock, controlBlock, sizeof savedBlock);
        char savedComment[sizeof comment];
        std::memcpy(savedComment, comment, sizeof comment);
        const int32_t savedDisposal = disposal, savedLoop = loopCount;
        const int32_t savedTransparent = transparentIndex, savedDelay = frameDelay;
        CountFrames(stream, count, firstNeeded, ended);
        std::memcpy(controlBlock, savedBlock, sizeof savedBlock);
        std::memcpy(comment, savedComment, sizeof comment);
        disposal = savedDisposal;
        loopCount = savedLoop;
        transparentIndex = savedTransparent;
        frameDelay = savedDelay;
    }
    frameCount = count;
    // A file that ends before its trailer and before the frame asked for is cut short.
    if (frameIndex < 0 || frameIndex >= frameCount)
        return Fail(!ended && frameIndex >= frameCount ? texts::kTruncatedFile : texts::kGifFrameMissing);
    if (stream.Seek(dataStart, SEEK_SET) != 0) return Fail(texts::kTruncatedFile);

    int frame = 0;
    int firstTransparent = -1;
    for (;;) {
        uint8_t block;
        if (!ReadU8(stream, block)) break;
        if (block == kExtensionIntroducer) {
            if (!ReadExtension(stream)) break;
        } else if (block == kImageSeparator) {
            FrameDescriptor descriptor;
            if (!ReadDescriptor(stream, descriptor)) return Fail(texts::kTruncatedFile);
            if (frame == 0) firstTransparent = transparentIndex;
            if (frame < firstNeeded) {
                // Replaced by a later frame before frame `frameIndex`: only its end matters.
                ResetInput(stream);
                if (NextByte() < 0 || !FinishImageData(stream, true)) return Fail(texts::kTruncatedFile);
            } else {
                const bool compose = frame > firstNeeded && disposal == kLeaveInPlace && dib;
                if (!DecodeFrame(stream, descriptor, compose, firstTransparent)) return false;
            }
            if (frame == frameIndex) return true;
            ++frame;
        } else if (block == kTrailer) {
            break;
        }
        // Any other byte between blocks is skipped.
    }
    return Fail(texts::kGifFrameMissing);
}

bool NyZazoGIF::ReadDescriptor(ImageStream& stream, FrameDescriptor& frame) {
    uint8_t d[9];
    if (!ReadExact(stream, d, sizeof d)) return false;
    frame.left = Le16(d);
    frame.top = Le16(d + 2);
    frame.width = Le16(d + 4);
    frame.height = Le16(d + 6);
    frame.interlaced = (d[8] & 0x40) != 0;
    if (d[8] & 0x80) {
        frame.colourCount = 2 << (d[8] & 7);
        return ReadExact(stream, frame.colours, size_t(frame.colourCount) * 3);
    }
    frame.colourCount = m_globalCount;
    std::memcpy(frame.colours, m_globalColours, sizeof frame.colours);
    return true;
}

bool NyZazoGIF::ReadExtension(ImageStream& stream) {
    uint8_t label, length;
    if (!ReadU8(stream, label) || !ReadU8(stream, length)) return false;
    switch (label) {
        case kGraphicControl:
            if (!ReadExact(stream, controlBlock, 4) || length != 4) return false;
            // A later block without the transparency flag keeps the index found before.
            if (controlBlock[0] & 1) transparentIndex = controlBlock[3];
            frameDelay = Le16(controlBlock + 1);
            disposal = (controlBlock[0] >> 2) & 7;
            return SkipSubBlocks(stream);
        case kCommentLabel:
            if (length == 0) return true;  // an empty comment ends right here
            if (!ReadExact(stream, comment, length)) return false;
            comment[length] = '\0';
            return SkipSubBlocks(stream);
        case kApplicationLabel: {
            uint8_t identifier[11], data[3];
            if (length != sizeof identifier || !ReadExact(stream, identifier, sizeof identifier)) return false;
            uint8_t sub;
            if (!ReadU8(stream, sub)) return false;
            if (sub == 0) return true;
            if (sub == sizeof data) {
                if (!ReadExact(stream, data, sizeof data)) return false;
                loopCount = Le16(data + 1);
            } else if (stream.Seek(sub, SEEK_CUR) != 0) {
                // Other application data (XMP, colour profiles) is passed over.
                return false;
            }
            return SkipSubBlocks(stream);
        }
        default:
            if (length == 0) return true;
            if (stream.Seek(length, SEEK_CUR) != 0) return false;
            return SkipSubBlocks(stream);
    }
}

void NyZazoGIF::CountFrames(ImageStream& stream, int& count, int& firstNeeded, bool& ended) {
    count = 0;
    firstNeeded = 0;
    ended = false;
    for (;;) {
        uint8_t block;
        if (!ReadU8(stream, block)) break;
        if (block == kExtensionIntroducer) {
            if (!ReadExtension(stream)) break;
        } else if (block == kImageSeparator) {
            FrameDescriptor descriptor;
            if (!ReadDescriptor(stream, descriptor)) break;
            if (count <= frameIndex && (count == 0 || disposal != kLeaveInPlace)) firstNeeded = count;
            ++count;
            // The frame's data ends at its zero-length sub-block, wherever its codes end.
            ResetInput(stream);
            if (NextByte() < 0 || !FinishImageData(stream, true)) break;
        } else if (block == kTrailer) {
            ended = true;
            break;
        }
    }
}

bool NyZazoGIF::DecodeFrame(ImageStream& stream, const FrameDescriptor& frame, bool compose, int firstTransparent) {
    // The frame's palette: its table, and with a transparent index white up to entry 255.
    RGBQUAD colours[256] = {};
    bool whitePresent = false;
    const RGBQUAD white = MakeQuad(255, 255, 255);
    for (int i = 0; i < frame.colourCount; ++i) {
        colours[i] = MakeQuad(frame.colours[i][0], frame.colours[i][1], frame.colours[i][2]);
        whitePresent = whitePresent || colours[i] == white;
    }
    if (transparentIndex != -1 && frame.colourCount < 256) {
        for (int i = frame.colourCount; i < 256; ++i) colours[i] = white;
        whitePresent = true;
    }
    if (transparentIndex != -1 && !whitePresent) colours[255] = white;
    const bool hasTable = frame.colourCount > 0;

    std::unique_ptr<RowTarget> target;
    if (compose) {
        target = std::make_unique<CanvasRows>(*this, frame.left, frame.top, frame.width, hasTable ? colours : nullptr,
                                              transparentIndex);
    } else {
        const int depth = DepthForColours(frame.colourCount);
        if (frame.width == 0 || frame.height == 0) return Fail(texts::kBadDimensions);
        if (!FitsPixelCap(frame.width, frame.height, depth)) return Fail(texts::kPictureTooLarge);
        if (!Create(frame.width, frame.height, depth, 2)) return Fail(texts::kCannotAllocate);
        if (hasTable) SetPaletteQuads(colours, transparentIndex == -1 ? uint32_t(frame.colourCount) : 256u);
        offsetX = frame.left;
        offsetY = frame.top;
        target = std::make_unique<OwnRows>(*this);
    }

    ResetInput(stream);
    const DataEnd end = DecodeImageData(*target, frame.width, frame.height, frame.interlaced);
    const bool complete = end == DataEnd::kComplete || m_rowsStored == frame.height;
    if (end == DataEnd::kTruncated && !complete) return Fail(texts::kTruncatedFile);
    if (!FinishImageData(stream, complete)) return Fail(texts::kTruncatedFile);
    if (compose) transparentIndex = firstTransparent;
    return true;
}

void NyZazoGIF::ResetInput(ImageStream& stream) {
    m_in = &stream;
    // Past the end, so the first byte asked for fills the buffer.
    m_bufferPos = kInputBufferBytes + 1;
    m_bufferCount = 0;
    m_blockLeft = 0;
    m_sawTerminator = false;
}

int NyZazoGIF::NextByte() {
    if (m_bufferPos >= m_bufferCount) {
        m_bufferCount = m_in->Read(m_buffer, 1, kInputBufferBytes);
        m_bufferPos = 0;
        if (m_bufferCount == 0) return -1;
    }
    return m_buffer[m_bufferPos++];
}

// Codes are packed least-significant bit first across the bytes of the data
// sub-blocks; the zero-length sub-block reads as the end code. The bit buffer takes
// what is left of the current sub-block in the input buffer, up to 64 bits, at once;
// the next sub-block's length is read only when its bits are needed.
int NyZazoGIF::NextCode() {
    while (m_bitsLeft < m_codeSize) {
        if (m_blockLeft == 0) {
            if (m_sawTerminator) return m_endCode;
            const int length = NextByte();
            if (length < 0) return -1;
            if (length == 0) {
                m_sawTerminator = true;
                return m_endCode;
            }
            m_blockLeft = length;
        }
        if (m_bufferPos < m_bufferCount) {
            const size_t room = size_t(64 - m_bitsLeft) / 8;
            const size_t n = std::min({room, size_t(m_blockLeft), m_bufferCount - m_bufferPos});
            for (size_t i = 0; i < n; ++i) {
                m_bitBuffer |= uint64_t(m_buffer[m_bufferPos + i]) << m_bitsLeft;
                m_bitsLeft += 8;
            }
            m_bufferPos += n;
            m_blockLeft -= int(n);
            continue;
        }
        const int byte = NextByte();
        if (byte < 0) return -1;
        --m_blockLeft;
        m_bitBuffer |= uint64_t(byte) << m_bitsLeft;
        m_bitsLeft += 8;
    }
    const int code = int(m_bitBuffer & ((1u << m_codeSize) - 1));
    m_bitBuffer >>= m_codeSize;
    m_bitsLeft -= m_codeSize;
    return code;
}

NyZazoGIF::DataEnd NyZazoGIF::DecodeImageData(RowTarget& target, int width, int height, bool interlaced) {
    m_interlaced = interlaced;
    m_row = 0;
    m_rowStep = 8;
    m_pass = 0;
    m_frameHeight = height;
    m_rowsStored = 0;
    m_bitBuffer = 0;
    m_bitsLeft = 0;

    const int minimum = NextByte();
    if (minimum < 0) return DataEnd::kTruncated;
    if (minimum < 2 || minimum > 9) return DataEnd::kBroken;
    m_clearCode = 1 << minimum;
    m_endCode = m_clearCode + 1;
    m_firstFree = m_clearCode + 2;
    m_codeSize = minimum + 1;
    int nextFree = m_firstFree;
    m_limit = 1 << m_codeSize;
    for (int code = 0; code < m_clearCode; ++code) m_length[code] = 1;

    // A string is written straight into the line from its last byte back; the line
    // has room for the longest string past a row's end, and the full rows it holds
    // are stored before the rest moves to its start.
    std::vector<uint8_t> line(size_t(width) + kMaxCodes + 1);
    uint8_t* const lineStart = line.data();
    const int clearCode = m_clearCode;
    const uint16_t* const prefix = m_prefix;
    const uint8_t* const suffix = m_suffix;
    int filled = 0;
    int oldCode = -1;
    uint8_t firstChar = 0;

    auto storeFullRows = [&]() -> bool {
        int from = 0;
        for (; filled - from >= width; from += width)
            if (!StoreRow(target, lineStart + from)) return false;
        if (from > 0) {
            std::memmove(lineStart, lineStart + from, size_t(filled - from));
            filled -= from;
        }
        return true;
    };

    for (;;) {
        int code;
        if (m_bitsLeft >= m_codeSize) {
            code = int(m_bitBuffer & ((1u << m_codeSize) - 1));
            m_bitBuffer >>= m_codeSize;
            m_bitsLeft -= m_codeSize;
        } else {
            code = NextCode();
            if (code < 0) return DataEnd::kTruncated;
        }
        if (code == m_endCode) break;
        if (code == m_clearCode) {
            m_codeSize = minimum + 1;
            nextFree = m_firstFree;
            m_limit = 1 << m_codeSize;
            oldCode = -1;
            continue;
        }
        if (width == 0) continue;
        if (oldCode < 0) {
            if (code >= m_firstFree) code = 0;
            oldCode = code;
            firstChar = uint8_t(code);
            lineStart[filled++] = firstChar;
            if (filled == width && !storeFullRows()) return DataEnd::kBroken;
            continue;
        }

        const int incoming = code;
        // Not in the table yet (or past it): the previous string and its own first character.
        const bool pastTable = code >= nextFree;
        if (pastTable) code = oldCode;
        const int length = m_length[code];
        uint8_t* out = lineStart + filled;
        if (pastTable) out[length] = firstChar;
        uint8_t* p = out + length;
        while (code >= clearCode) {
            *--p = suffix[code];
            code = prefix[code];
        }
        *--p = uint8_t(code);
        firstChar = uint8_t(code);

        const int added = nextFree;
        if (nextFree < m_limit) {
            m_prefix[nextFree] = uint16_t(oldCode);
            m_suffix[nextFree] = firstChar;
            m_length[nextFree] = uint16_t(m_length[oldCode] + 1);
            ++nextFree;
            if (nextFree >= m_limit && m_codeSize < kLargestCodeBits) {
                m_limit <<= 1;
                ++m_codeSize;
            }
        }
        // A code past the table stands for the entry just made; remembering it keeps
        // every prefix below its own entry, so chains always end.
        oldCode = incoming >= added && added < nextFree ? added : std::min(incoming, nextFree - 1);
        filled += length + (pastTable ? 1 : 0);
        if (filled >= width && !storeFullRows()) return DataEnd::kBroken;
    }
    if (filled > 0) {
        // The rest of a short last row keeps the white of a new picture.
        std::fill(line.begin() + filled, line.begin() + width, uint8_t(0xFF));
        if (!StoreRow(target, lineStart)) return DataEnd::kBroken;
    }
    return DataEnd::kComplete;
}

// Rows arrive from the top of the frame; interlaced frames send rows 0, 8, 16, …,
// then 4, 12, …, then 2, 6, …, then 1, 3, ….
bool NyZazoGIF::StoreRow(RowTarget& target, const uint8_t* line) {
    if (m_row >= m_frameHeight) return false;
    target.Put(m_row, line);
    ++m_rowsStored;
    if (!m_interlaced) {
        ++m_row;
        return true;
    }
    static constexpr int kStart[4] = {0, 4, 2, 1};
    static constexpr int kStep[4] = {8, 8, 4, 2};
    m_row += m_rowStep;
    while (m_row >= m_frameHeight && m_pass < 3) {
        ++m_pass;
        m_row = kStart[m_pass];
        m_rowStep = kStep[m_pass];
    }
    return true;
}

// Passes over what is left of the frame's sub-blocks and puts the bytes that the
// buffer read ahead back into the stream. False when the file ends early and the
// frame is incomplete.
bool NyZazoGIF::FinishImageData(ImageStream& stream, bool complete) {
    bool ended = false;
    if (!m_sawTerminator) {
        while (m_blockLeft > 0 && !ended) {
            ended = NextByte() < 0;
            --m_blockLeft;
        }
        while (!ended) {
            const int length = NextByte();
            if (length <= 0) {
                ended = length < 0;
                break;
            }
            for (int i = 0; i < length && !ended; ++i) ended = NextByte() < 0;
        }
    }
    const size_t unread = m_bufferCount > m_bufferPos ? m_bufferCount - m_bufferPos : 0;
    if (unread > 0 && stream.Seek(-long(unread), SEEK_CUR) != 0) return false;
    m_bufferPos = kInputBufferBytes + 1;
    m_bufferCount = 0;
    return !ended || complete;
}

// Encoder.

bool NyZazoGIF::Encode(ImageStream& stream) {
    if (!dib || BitCount() > 8) return false;
    // Sizes are 16-bit fields in the file.
    if (Width() > 0xFFFF || Height() > 0xFFFF) return Fail(texts::kPictureTooLarge);
    m_out = &stream;
    m_writeFailed = false;
    if (!WriteHeader(stream) || !WriteControlBlock(stream) || !WriteImage(stream) || !WriteComment(stream) ||
        stream.PutByte(kTrailer) < 0)
        return Fail(texts::kGifWriteError);
    stream.Flush();
    if (stream.HasError() || m_writeFailed) return Fail(texts::kGifWriteError);
    return true;
}

bool NyZazoGIF::WriteHeader(ImageStream& stream) {
    const int depth = BitCount();
    uint8_t head[13];
    std::memcpy(head, "GIF87a", 6);
    PutLe16(head + 6, uint16_t(Width()));
    PutLe16(head + 8, uint16_t(Height()));
    head[10] = uint8_t(0x80 | (((depth + 7) << 5) & 0xFF) | (depth - 1));
    head[11] = 0;
    head[12] = 0;
    std::vector<uint8_t> table;
    table.reserve(size_t(header.biClrUsed) * 3);
    for (uint32_t i = 0; i < header.biClrUsed; ++i) {
        const RGBQUAD c = GetPaletteColour(int(i));
        table.insert(table.end(), {c.red, c.green, c.blue});
    }
    return WriteBytes(stream, head, sizeof head) && WriteBytes(stream, table.data(), table.size());
}

bool NyZazoGIF::WriteControlBlock(ImageStream& stream) {
    uint8_t block[8] = {kExtensionIntroducer, kGraphicControl, 4};
    block[3] = uint8_t(((disposal << 2) & 0x1F) | (transparentIndex != -1 ? 1 : 0));
    PutLe16(block + 4, uint16_t(frameDelay));
    block[6] = uint8_t(transparentIndex);
    block[7] = 0;
    return WriteBytes(stream, block, sizeof block);
}

bool NyZazoGIF::WriteImage(ImageStream& stream) {
    uint8_t block[11] = {kImageSeparator};
    PutLe16(block + 1, uint16_t(offsetX));
    PutLe16(block + 3, uint16_t(offsetY));
    PutLe16(block + 5, uint16_t(Width()));
    PutLe16(block + 7, uint16_t(Height()));
    block[9] = 0;  // no local table, not interlaced
    const int minimum = std::max(2, int(BitCount()));
    block[10] = uint8_t(minimum);
    if (!WriteBytes(stream, block, sizeof block)) return false;
    if (!CompressImage(stream, minimum + 1)) return false;
    return stream.PutByte(0) >= 0;
}

bool NyZazoGIF::WriteComment(ImageStream& stream) {
    const size_t length = strnlen(comment, 255);
    if (length == 0) return true;
    const uint8_t head[3] = {kExtensionIntroducer, kCommentLabel, uint8_t(length)};
    return WriteBytes(stream, head, sizeof head) && WriteBytes(stream, comment, length) && stream.PutByte(0) >= 0;
}

// LZW with an open-addressing hash of 5003 slots keyed by (pixel << 12) + prefix.
bool NyZazoGIF::CompressImage(ImageStream& stream, int initialBits) {
    m_out = &stream;
    m_initialBits = initialBits;
    m_bits = initialBits;
    m_largestCode = (1 << m_bits) - 1;
    m_encClear = 1 << (initialBits - 1);
    m_encEnd = m_encClear + 1;
    m_nextFree = m_encClear + 2;
    m_clearFlag = false;
    m_accumulator = 0;
    m_accumulatedBits = 0;
    m_packetCount = 0;
    std::fill(std::begin(m_hash), std::end(m_hash), -1);
    OutputCode(m_encClear);

    const int width = Width(), height = Height(), depth = BitCount();
    std::vector<uint8_t> indices(static_cast<size_t>(width));
    int prefix = -1;
    // Display order: the top row (the last stored one) first.
    for (int screenY = 0; screenY < height; ++screenY) {
        const uint8_t* row = Row(height - 1 - screenY);
        for (int x = 0; x < width; ++x)
            indices[size_t(x)] = depth == 8   ? row[x]
                                 : depth == 4 ? uint8_t((row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F)
                                              : uint8_t((row[x >> 3] >> (7 - (x & 7))) & 1);
        for (int x = 0; x < width; ++x) {
            const int v = indices[size_t(x)];
            if (prefix < 0) {
                prefix = v;
                continue;
            }
            const int32_t key = (int32_t(v) << kLargestCodeBits) + prefix;
            int slot = (v << kHashShift) ^ prefix;
            bool found = false;
            if (m_hash[slot] == key) {
                found = true;
            } else if (m_hash[slot] >= 0) {
                const int step = slot == 0 ? 1 : kHashSlots - slot;
                do {
                    slot -= step;
                    if (slot < 0) slot += kHashSlots;
                    if (m_hash[slot] == key) {
                        found = true;
                        break;
                    }
                } while (m_hash[slot] >= 0);
            }
            if (found) {
                prefix = m_codes[slot];
                continue;
            }
            OutputCode(prefix);
            prefix = v;
            if (m_nextFree < kMaxCodes) {
                m_codes[slot] = uint16_t(m_nextFree++);
                m_hash[slot] = key;
            } else {
                std::fill(std::begin(m_hash), std::end(m_hash), -1);
                m_nextFree = m_encClear + 2;
                m_clearFlag = true;
                OutputCode(m_encClear);
            }
        }
    }
    OutputCode(prefix);
    OutputCode(m_encEnd);
    return !m_writeFailed;
}

void NyZazoGIF::OutputCode(int code) {
    m_accumulator &= (1u << m_accumulatedBits) - 1;
    m_accumulator |= uint32_t(code) << m_accumulatedBits;
    m_accumulatedBits += m_bits;
    while (m_accumulatedBits >= 8) {
        PacketByte(uint8_t(m_accumulator));
        m_accumulator >>= 8;
        m_accumulatedBits -= 8;
    }
    if (m_nextFree > m_largestCode || m_clearFlag) {
        if (m_clearFlag) {
            m_bits = m_initialBits;
            m_largestCode = (1 << m_bits) - 1;
            m_clearFlag = false;
        } else {
            ++m_bits;
            m_largestCode = m_bits == kLargestCodeBits ? kMaxCodes : (1 << m_bits) - 1;
        }
    }
    if (code == m_encEnd) {
        while (m_accumulatedBits > 0) {
            PacketByte(uint8_t(m_accumulator));
            m_accumulator >>= 8;
            m_accumulatedBits -= 8;
        }
        FlushPacket();
        if (m_out->Flush() != 0) m_writeFailed = true;
    }
}

void NyZazoGIF::PacketByte(uint8_t byte) {
    m_packet[m_packetCount++] = byte;
    if (m_packetCount >= kPacketBytes) FlushPacket();
}

void NyZazoGIF::FlushPacket() {
    if (m_packetCount == 0) return;
    if (m_out->PutByte(m_packetCount) < 0 || !WriteBytes(*m_out, m_packet, size_t(m_packetCount)))
        m_writeFailed = true;
    m_packetCount = 0;
}

}  // namespace quillory
