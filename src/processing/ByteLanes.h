#pragma once
// Element-wise minimum and maximum of byte runs, sixteen bytes at a time with the
// compilers' vector extensions (GCC and Clang), whatever the optimisation level.
// `out` may be `a` itself: each block is read before it is written, so a forward
// in-place pass gives the same bytes as a plain loop.
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace quillory {

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

}  // namespace quillory
