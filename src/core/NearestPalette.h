#pragma once
// NearestPalette: the palette search for whole pictures. It answers exactly as
// NearestPaletteIndex (smallest squared distance, the lowest index among equal
// distances) but looks at only a few entries per colour.
//
// The colour cube is cut into coarse cells 16 levels wide and fine cells 4 wide.
// A cell keeps only the entries that can be nearest somewhere inside it: those
// whose smallest distance to the cell is at most the smallest "largest distance"
// of any entry. Cells are filled the first time a colour falls into them, fine
// cells from their coarse cell's list, so a picture pays only for the colours it
// has. A fine cell keeps up to three candidates inline and compares them without
// branches; the rare cell with more keeps a list.
//
// One object serves one thread (cells are filled on demand).
#include <algorithm>
#include <cstdint>
#include <memory>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <vector>

#include "core/DibTypes.h"

namespace quillory {

class NearestPalette {
public:
    // At most 256 entries are used, as by the plain search; no palette answers 0.
    NearestPalette(const RGBQUAD* palette, uint32_t count);

    [[gnu::always_inline]] uint8_t Find(uint8_t red, uint8_t green, uint8_t blue) {
        const Cell* cell = &m_fine[FineCell(red, green, blue)];
        // One comparison lets both inline kinds through; unbuilt (0) wraps around.
        if (cell->list - kInline > kSingle - kInline) [[unlikely]] {
            if (cell->list == kUnbuilt) cell = &BuildFine(FineCell(red, green, blue));
            if (cell->list - kInline > kSingle - kInline) return SearchPool(*cell, red, green, blue);
        }
        // Two candidates, the first repeated where there is one. Distance and index
        // form one key, so the smaller key is the nearer entry, the lower index on
        // a tie, and no branch depends on the colour.
#if defined(__SSE2__)
        const __m128i zero = _mm_setzero_si128();
        // Both candidates as 16-bit lanes: blue, green, red, index, blue, ...
        const __m128i c = _mm_unpacklo_epi8(_mm_srli_si128(_mm_load_si128(reinterpret_cast<const __m128i*>(cell)), 4), zero);
        __m128i p = _mm_unpacklo_epi8(_mm_cvtsi32_si128(int(blue | (green << 8) | (red << 16))), zero);
        p = _mm_unpacklo_epi64(p, p);
        const __m128i d = _mm_sub_epi16(c, p);
        // The index lanes are masked out of one factor, so they add nothing.
        const __m128i squares = _mm_madd_epi16(d, _mm_and_si128(d, _mm_set_epi16(0, -1, -1, -1, 0, -1, -1, -1)));
        const __m128i sums = _mm_add_epi32(squares, _mm_srli_epi64(squares, 32));
        const __m128i keys = _mm_or_si128(_mm_slli_epi32(sums, 8), _mm_srli_epi64(c, 48));
        const uint32_t k0 = uint32_t(_mm_cvtsi128_si32(keys));
        const uint32_t k1 = uint32_t(_mm_cvtsi128_si32(_mm_srli_si128(keys, 8)));
#else
        const uint32_t k0 = Key(cell->candidate[0], red, green, blue);
        const uint32_t k1 = Key(cell->candidate[1], red, green, blue);
#endif
        return uint8_t(Smaller(k0, k1));
    }

    uint8_t Find(RGBQUAD c) { return Find(c.red, c.green, c.blue); }

    // Maps `count` pixels whose blue, green, red bytes start every `step` bytes.
    void MapPixels(const uint8_t* bgr, int step, int count, uint8_t* out);

private:
    struct Candidate {
        uint8_t blue, green, red, index;
    };
    // A fine cell: up to two candidates in index order inline, or a list in the pool.
    struct alignas(16) Cell {
        uint32_t list;  // kUnbuilt, kInline, kSingle, or pool offset << 9 | count (offset > 0)
        Candidate candidate[2];
        uint32_t unused;
    };
    static constexpr uint32_t kUnbuilt = 0;
    static constexpr uint32_t kInline = 1;
    static constexpr uint32_t kSingle = 2;
    static constexpr uint32_t kPoolLimit = 1u << 22;
    static constexpr int kFineBits = 6;    // fine cells per axis: 64, 4 levels each
    static constexpr int kCoarseBits = 4;  // coarse cells per axis: 16, 16 levels each

    // Cells are laid out in Morton order (the bits of the three axes interleaved),
    // so the cells of nearby colours lie close together in memory.
    static uint32_t FineCell(uint8_t r, uint8_t g, uint8_t b) {
        return (kSpread[r] << 2) | (kSpread[g] << 1) | kSpread[b];
    }
    struct SpreadTable;
    static const uint32_t kSpread[256];
    // Branch-free minimum: which key is smaller cannot be predicted.
    static uint32_t Smaller(uint32_t a, uint32_t b) { return b ^ ((a ^ b) & (0u - uint32_t(a < b))); }
    static uint32_t Key(const Candidate& c, int r, int g, int b) {
        const int dr = int(c.red) - r, dg = int(c.green) - g, db = int(c.blue) - b;
        return (uint32_t(dr * dr + dg * dg + db * db) << 8) | c.index;
    }

    const Cell& BuildFine(uint32_t cell);
    const std::vector<Candidate>& Coarse(uint32_t cell);
    uint8_t SearchPool(const Cell& cell, uint8_t r, uint8_t g, uint8_t b) const;

    struct FreeCells {
        void operator()(Cell* cells) const;
    };

    std::vector<Candidate> m_entries;              // distinct colours, first index of each
    std::vector<std::vector<Candidate>> m_coarse;  // per coarse cell; built when first used
    std::vector<uint8_t> m_coarseBuilt;
    std::unique_ptr<Cell[], FreeCells> m_fine;     // zeroed pages: every cell starts unbuilt
    std::vector<Candidate> m_pool;                 // lists of cells with more than three candidates
    std::vector<Candidate> m_scratch;
};

}  // namespace quillory
