#include "processing/ByteMap.h"

#include <climits>
#include <cmath>
#include <initializer_list>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quillory {

ByteMap::ByteMap(const uint8_t table[256], double slope, double offset, bool hasLine) : m_table(table) {
#if defined(__SSE2__)
    if (!hasLine || !(slope >= 0) || slope >= 2.5) return;
    // The finest scale whose factor still fits a signed 16-bit lane; the offset may
    // need a nudge where the table's values were truncated from nearly whole numbers.
    for (int shift = 14; shift >= 8 && !m_line; --shift) {
        const double scale = std::ldexp(1.0, shift);
        const long long a = std::llround(slope * scale);
        if (a < 0 || a > 32767) continue;
        const long long b0 = std::llround(offset * scale);
        for (long long d = 0; d <= 8 && !m_line; ++d)
            for (long long b : {b0 - d, b0 + d})
                if (b > INT32_MIN / 2 && b < INT32_MAX / 2 && Matches(int32_t(a), int32_t(b), shift)) {
                    m_a = int32_t(a), m_b = int32_t(b), m_shift = shift, m_line = true;
                    break;
                }
    }
#else
    (void)slope, (void)offset, (void)hasLine;
#endif
}

bool ByteMap::Matches(int32_t a, int32_t b, int shift) const {
    for (int v = 0; v < 256; ++v) {
        const int64_t y = (int64_t(v) * a + b) >> shift;
        const int64_t out = y < 0 ? 0 : y > 255 ? 255 : y;
        if (out != m_table[v]) return false;
    }
    return true;
}

void ByteMap::Apply(uint8_t* p, size_t n) const {
    size_t i = 0;
#if defined(__SSE2__)
    if (m_line) {
        const __m128i zero = _mm_setzero_si128();
        const __m128i a = _mm_set1_epi32(m_a);  // (a, 0) pairs: madd gives v × a in each 32-bit lane
        const __m128i b = _mm_set1_epi32(m_b);
        const __m128i shift = _mm_cvtsi32_si128(m_shift);
        auto line = [&](__m128i v32) { return _mm_sra_epi32(_mm_add_epi32(_mm_madd_epi16(v32, a), b), shift); };
        for (; i + 16 <= n; i += 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
            const __m128i low = _mm_unpacklo_epi8(bytes, zero), high = _mm_unpackhi_epi8(bytes, zero);
            const __m128i y0 = line(_mm_unpacklo_epi16(low, zero)), y1 = line(_mm_unpackhi_epi16(low, zero));
            const __m128i y2 = line(_mm_unpacklo_epi16(high, zero)), y3 = line(_mm_unpackhi_epi16(high, zero));
            // The packs saturate: below 0 and above 255 become 0 and 255.
            const __m128i out = _mm_packus_epi16(_mm_packs_epi32(y0, y1), _mm_packs_epi32(y2, y3));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i), out);
        }
    }
#endif
    for (; i + 4 <= n; i += 4) {
        const uint8_t w = m_table[p[i]], x = m_table[p[i + 1]], y = m_table[p[i + 2]], z = m_table[p[i + 3]];
        p[i] = w, p[i + 1] = x, p[i + 2] = y, p[i + 3] = z;
    }
    for (; i < n; ++i) p[i] = m_table[p[i]];
}

}  // namespace quillory
