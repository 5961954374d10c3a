#pragma once
// The engine's one pseudo-random generator: the sequence of the classic C library
// `rand` (values 0..32767), so random effects give the same pictures on every
// machine. Effects and tools draw from it and never seed it; tests reset it.
#include <cstdint>

namespace quillory {

inline constexpr int kRandomMax = 32767;

class ClassicRandom {
public:
    explicit ClassicRandom(uint32_t seed = 1) : m_state(seed) {}

    int Next() {
        m_state = m_state * 214013u + 2531011u;
        return int((m_state >> 16) & 0x7FFF);
    }
    // A fraction 0..1 (both included): Next() / 32767.
    double Fraction() { return Next() / double(kRandomMax); }
    void Reset(uint32_t seed = 1) { m_state = seed; }
    uint32_t State() const { return m_state; }

private:
    uint32_t m_state;
};

// The generator every effect and tool shares; it starts as the C library's does (seed 1).
ClassicRandom& EngineRandom();

}  // namespace quillory
