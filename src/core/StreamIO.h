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

}  // namespace quillory
