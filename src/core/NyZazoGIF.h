#pragma once
#include <cstddef>
#include <cstdint>

#include "core/NyZazo.h"

namespace quillory {

// GIF files: reads one frame (laid over its predecessors when it leaves them in
// place) into a palette picture; writes a palette picture as a one-frame GIF.
class NyZazoGIF : public NyZazo {
public:
    static constexpr size_t kInputBufferBytes = 16384;
    static constexpr int kMaxCodes = 4096;
    static constexpr int kHashSlots = 5003;
    static constexpr int kPacketBytes = 254;

    // The tables are cleared with memset: member initialisers of arrays this large
    // become byte loops in unoptimised builds, a third of a fuzz run's time.
    NyZazoGIF() : NyZazo(2) { ClearTables(); }
    using NyZazo::Decode;
    using NyZazo::Encode;
    [[nodiscard]] bool Decode(ImageStream& stream);
    [[nodiscard]] bool Encode(ImageStream& stream);

    // State of the last extensions read, and what the encoder writes.
    uint8_t controlBlock[4] = {};  // packed flags, delay (16-bit), transparent index
    int32_t disposal = 0;
    int32_t loopCount = 0;
    char comment[256] = {};

    // Where decoded rows go: the codec's own picture, or a canvas that a frame is laid over.
    class RowTarget;

private:
    struct FrameDescriptor {
        int left = 0, top = 0, width = 0, height = 0;
        bool interlaced = false;
        int colourCount = 0;  // 0 when neither a local nor a global table exists
        uint8_t colours[256][3] = {};
    };
    enum class DataEnd { kComplete, kBroken, kTruncated };

    [[nodiscard]] bool ReadExtension(ImageStream& stream);
    [[nodiscard]] bool ReadDescriptor(ImageStream& stream, FrameDescriptor& frame);
    // Walks the blocks once: the number of frames and the last frame at or before
    // `frameIndex` that does not build on its predecessor.
    // Counts the frames; `ended` tells whether the trailer was reached.
    void CountFrames(ImageStream& stream, int& count, int& firstNeeded, bool& ended);
    [[nodiscard]] bool DecodeFrame(ImageStream& stream, const FrameDescriptor& frame, bool compose,
                                   int firstTransparent);
    DataEnd DecodeImageData(RowTarget& target, int width, int height, bool interlaced);
    [[nodiscard]] bool StoreRow(RowTarget& target, const uint8_t* line);
    [[nodiscard]] bool FinishImageData(ImageStream& stream, bool complete);
    void ResetInput(ImageStream& stream);
    int NextByte();
    int NextCode();

    [[nodiscard]] bool WriteHeader(ImageStream& stream);
    [[nodiscard]] bool WriteControlBlock(ImageStream& stream);
    [[nodiscard]] bool WriteImage(ImageStream& stream);
    [[nodiscard]] bool CompressImage(ImageStream& stream, int initialBits);
    void ClearTables();
    [[nodiscard]] bool WriteComment(ImageStream& stream);
    void OutputCode(int code);
    void PacketByte(uint8_t byte);
    void FlushPacket();

    uint8_t m_globalColours[256][3];
    int m_globalCount = 0;
    int m_screenWidth = 0, m_screenHeight = 0;

    // Interlace state of the decoder.
    bool m_interlaced = false;
    int m_row = 0;  // rows counted from the top of the frame
    int m_rowStep = 8;
    int m_pass = 0;
    int m_frameHeight = 0;
    int m_rowsStored = 0;

    // Input buffer.
    ImageStream* m_in = nullptr;
    uint8_t m_buffer[kInputBufferBytes];
    size_t m_bufferPos = 0;
    size_t m_bufferCount = 0;

    // LZW decoder.
    uint16_t m_prefix[kMaxCodes];
    uint8_t m_suffix[kMaxCodes];
    uint16_t m_length[kMaxCodes];  // bytes of each entry's string
    int m_codeSize = 0;
    int m_clearCode = 0, m_endCode = 0, m_firstFree = 0, m_limit = 0;
    uint64_t m_bitBuffer = 0;
    int m_bitsLeft = 0;
    int m_blockLeft = 0;
    int m_blockPos = 0;
    bool m_sawTerminator = false;

    // LZW encoder.
    int32_t m_hash[kHashSlots];
    uint16_t m_codes[kHashSlots];
    uint32_t m_accumulator = 0;
    int m_accumulatedBits = 0;
    int m_bits = 0, m_initialBits = 0;
    int m_largestCode = 0;
    int m_nextFree = 0;
    bool m_clearFlag = false;
    int m_encClear = 0, m_encEnd = 0;
    uint8_t m_packet[kPacketBytes];
    int m_packetCount = 0;
    bool m_writeFailed = false;
    ImageStream* m_out = nullptr;
};

}  // namespace quillory
