#include "processing/GreyRows.h"

#include "processing/ColourPlanes.h"

#if defined(__x86_64__) || defined(__i386__)
#include <tmmintrin.h>
#define QUILLORY_GREY_SSSE3 1
#endif

namespace quillory {

namespace {

#ifdef QUILLORY_GREY_SSSE3
// Shuffle masks that gather one colour byte of 16 pixels (48 bytes in three vectors),
// and that spread 16 greys back into three bytes a pixel. -1 gives a zero byte.
struct GreyMasks {
    alignas(16) int8_t gather[3][3][16];  // [colour][source vector][byte]
    alignas(16) int8_t spread[3][16];     // [target vector][byte]
    GreyMasks() {
        for (int c = 0; c < 3; ++c)
            for (int v = 0; v < 3; ++v)
                for (int i = 0; i < 16; ++i) {
                    const int source = 3 * i + c;
                    gather[c][v][i] = int8_t(source / 16 == v ? source % 16 : -1);
                }
        for (int v = 0; v < 3; ++v)
            for (int i = 0; i < 16; ++i) spread[v][i] = int8_t((16 * v + i) / 3);
    }
};

const GreyMasks& Masks() {
    static const GreyMasks masks;
    return masks;
}

__attribute__((target("ssse3"))) inline __m128i Mask(const int8_t* m) {
    return _mm_load_si128(reinterpret_cast<const __m128i*>(m));
}

// The greys of the 16 pixels at p.
__attribute__((target("ssse3"))) inline __m128i Greys16(const uint8_t* p, const GreyMasks& masks) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i third = _mm_set1_epi16(21846);  // (s × 21846) >> 16 is s / 3 for s ≤ 765
    const __m128i v[3] = {_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)),
                          _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16)),
                          _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32))};
    __m128i sumLow = zero, sumHigh = zero;
    for (int c = 0; c < 3; ++c) {
        const __m128i bytes = _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(v[0], Mask(masks.gather[c][0])),
                                                        _mm_shuffle_epi8(v[1], Mask(masks.gather[c][1]))),
                                           _mm_shuffle_epi8(v[2], Mask(masks.gather[c][2])));
        sumLow = _mm_add_epi16(sumLow, _mm_unpacklo_epi8(bytes, zero));
        sumHigh = _mm_add_epi16(sumHigh, _mm_unpackhi_epi8(bytes, zero));
    }
    return _mm_packus_epi16(_mm_mulhi_epu16(sumLow, third), _mm_mulhi_epu16(sumHigh, third));
}

// Each returns the pixels it did (a multiple of 16).
__attribute__((target("ssse3"))) int InPlaceSsse3(uint8_t* row, int width) {
    const GreyMasks& masks = Masks();
    int x = 0;
    for (; x + 16 <= width; x += 16, row += 48) {
        const __m128i grey = Greys16(row, masks);
        for (int t = 0; t < 3; ++t)
            _mm_storeu_si128(reinterpret_cast<__m128i*>(row + 16 * t), _mm_shuffle_epi8(grey, Mask(masks.spread[t])));
    }
    return x;
}

__attribute__((target("ssse3"))) int GreysSsse3(const uint8_t* row, int width, uint8_t* greys) {
    const GreyMasks& masks = Masks();
    int x = 0;
    for (; x + 16 <= width; x += 16, row += 48)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(greys + x), Greys16(row, masks));
    return x;
}

bool HaveSsse3() {
    static const bool have = __builtin_cpu_supports("ssse3");
    return have;
}
#endif

}  // namespace

void GreyRowInPlace(uint8_t* row, int width) {
    int x = 0;
#ifdef QUILLORY_GREY_SSSE3
    if (HaveSsse3()) x = InPlaceSsse3(row, width);
#endif
    for (uint8_t* p = row + 3 * x; x < width; ++x, p += 3) p[0] = p[1] = p[2] = uint8_t(GreyOf(p[0], p[1], p[2]));
}

void GreysOfRow(const uint8_t* row, int width, uint8_t* greys) {
    int x = 0;
#ifdef QUILLORY_GREY_SSSE3
    if (HaveSsse3()) x = GreysSsse3(row, width, greys);
#endif
    for (const uint8_t* p = row + 3 * x; x < width; ++x, p += 3) greys[x] = uint8_t(GreyOf(p[0], p[1], p[2]));
}

}  // namespace quillory
