#pragma once
// A 256-entry table applied to runs of bytes. A table that is a clamped straight
// line, out = clamp(floor((v × A + B) / 2^k), 0, 255), runs sixteen bytes at a time
// with SSE2 once the line has been checked against every entry of the table; any
// other table goes one byte at a time. Both give exactly the table's values.
#include <cstddef>
#include <cstdint>

namespace quillory {

class ByteMap {
public:
    // slope and offset describe the line the table was made from (out ≈ slope × v + offset);
    // without them (or when no line matches every entry) the table is used as it is.
    explicit ByteMap(const uint8_t table[256], double slope = 0, double offset = 0, bool hasLine = false);
    void Apply(uint8_t* bytes, size_t n) const;
    bool IsLine() const { return m_line; }

private:
    bool Matches(int32_t a, int32_t b, int shift) const;
    const uint8_t* m_table;
    bool m_line = false;
    int32_t m_a = 0, m_b = 0;
    int m_shift = 0;
};

}  // namespace quillory
