#pragma once
// Checked little-endian reads and writes over ImageStream for the codecs.
#include <cstddef>
#include <cstdint>

#include "core/DibTypes.h"
#include "core/ImageStream.h"

namespace quillory {

[[nodiscard]] inline bool ReadExact(ImageStream& s, void* buffer, size_t n) {
    if (n == 0) return true;
    return s.Read(buffer, 1, n) == n;
}

[[nodiscard]] inline bool ReadU8(ImageStream& s, uint8_t& v) { return ReadExact(s, &v, 1); }

[[nodiscard]] inline bool ReadLe16(ImageStream& s, uint16_t& v) {
    uint8_t b[2];
    if (!ReadExact(s, b, 2)) return false;
    v = Le16(b);
    return true;
}

[[nodiscard]] inline bool ReadLe32(ImageStream& s, uint32_t& v) {
    uint8_t b[4];
    if (!ReadExact(s, b, 4)) return false;
    v = Le32(b);
    return true;
}

inline bool WriteBytes(ImageStream& s, const void* data, size_t n) { return n == 0 || s.Write(data, 1, n) == n; }

inline bool WriteLe16(ImageStream& s, uint16_t v) {
    uint8_t b[2];
    PutLe16(b, v);
    return WriteBytes(s, b, 2);
}

inline bool WriteLe32(ImageStream& s, uint32_t v) {
    uint8_t b[4];
    PutLe32(b, v);
    return WriteBytes(s, b, 4);
}

// Bytes of a stream in 16384-byte blocks, for decoders that consume one byte at a time.
class BlockReader {
public:
    explicit BlockReader(ImageStream& s) : m_stream(s) {}
    [[nodiscard]] bool Next(uint8_t& b) {
        if (m_pos == m_count) {
            m_count = m_stream.Read(m_buffer, 1, sizeof m_buffer);
            m_pos = 0;
            if (m_count == 0) return false;
        }
        b = m_buffer[m_pos++];
        return true;
    }
    [[nodiscard]] bool NextBlock(uint8_t* out, size_t n) {
        for (size_t i = 0; i < n; ++i)
            if (!Next(out[i])) return false;
        return true;
    }

private:
    ImageStream& m_stream;
    uint8_t m_buffer[16384];
    size_t m_pos = 0;
    size_t m_count = 0;
};

}  // namespace quillory
