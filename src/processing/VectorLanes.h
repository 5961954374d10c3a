#pragma once
// Element-wise loops over runs of small integers, sixteen bytes at a time with the
// compilers' vector extensions (GCC and Clang), whatever the optimisation level.
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace quillory {

// Minimum or maximum of two byte runs. `out` may be `a` itself: each block is read
// before it is written, so a forward in-place pass gives the same bytes as a plain loop.
template <bool kMinimum>
inline void CombineBytes(uint8_t* out, const uint8_t* a, const uint8_t* b, size_t n) {
    typedef uint8_t Lanes __attribute__((vector_size(16)));
    size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        Lanes x, y;
        std::memcpy(&x, a + i, 16);
        std::memcpy(&y, b + i, 16);
        const Lanes r = kMinimum ? (x < y ? x : y) : (x > y ? x : y);
        std::memcpy(out + i, &r, 16);
    }
    for (; i < n; ++i) out[i] = kMinimum ? (a[i] < b[i] ? a[i] : b[i]) : (a[i] > b[i] ? a[i] : b[i]);
}

// acc[i] += weight × values[i] in the lanes' own arithmetic (for unsigned lanes a
// weight of Lane(-1) subtracts).
template <typename Lane>
inline void AddScaled(Lane* acc, const Lane* values, Lane weight, size_t n) {
    typedef Lane Block __attribute__((vector_size(16)));
    constexpr size_t kStep = 16 / sizeof(Lane);
    size_t i = 0;
    for (; i + kStep <= n; i += kStep) {
        Block a, b;
        std::memcpy(&a, acc + i, 16);
        std::memcpy(&b, values + i, 16);
        a += b * weight;
        std::memcpy(acc + i, &a, 16);
    }
    for (; i < n; ++i) acc[i] = Lane(acc[i] + values[i] * weight);
}

}  // namespace quillory
