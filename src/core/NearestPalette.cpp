#include "core/NearestPalette.h"

#include <algorithm>
#include <cstdlib>
#include <new>

namespace quillory {

namespace {

// Smallest and largest squared distance from a colour to the box [low, low + size)^3.
inline int AxisNear(int v, int low, int high) { return v < low ? low - v : v > high ? v - high : 0; }
inline int AxisFar(int v, int low, int high) { return std::max(v - low, high - v); }

template <typename Entry>
void CandidatesForBox(const std::vector<Entry>& from, int r0, int g0, int b0, int size, std::vector<Entry>& out) {
    const int r1 = r0 + size - 1, g1 = g0 + size - 1, b1 = b0 + size - 1;
    int bestFar = 1 << 30;
    for (const Entry& e : from) {
        const int dr = AxisFar(e.red, r0, r1), dg = AxisFar(e.green, g0, g1), db = AxisFar(e.blue, b0, b1);
        bestFar = std::min(bestFar, dr * dr + dg * dg + db * db);
    }
    // An entry nearest to some colour of the box is at most bestFar away from it;
    // entries exactly that far stay, so ties keep their lowest index.
    out.clear();
    for (const Entry& e : from) {
        const int dr = AxisNear(e.red, r0, r1), dg = AxisNear(e.green, g0, g1), db = AxisNear(e.blue, b0, b1);
        if (dr * dr + dg * dg + db * db <= bestFar) out.push_back(e);
    }
}

// Bit k of v / 4 moved to bit 3k.
constexpr uint32_t Spread(uint32_t v) {
    v >>= 2;
    uint32_t out = 0;
    for (int k = 0; k < 6; ++k) out |= ((v >> k) & 1u) << (3 * k);
    return out;
}

constexpr uint32_t Gather(uint32_t cell, int axis) {
    uint32_t v = 0;
    for (int k = 0; k < 6; ++k) v |= ((cell >> (3 * k + axis)) & 1u) << k;
    return v;
}

}  // namespace

#define Q_SPREAD4(v) Spread(v), Spread(v + 1), Spread(v + 2), Spread(v + 3)
#define Q_SPREAD16(v) Q_SPREAD4(v), Q_SPREAD4(v + 4), Q_SPREAD4(v + 8), Q_SPREAD4(v + 12)
#define Q_SPREAD64(v) Q_SPREAD16(v), Q_SPREAD16(v + 16), Q_SPREAD16(v + 32), Q_SPREAD16(v + 48)
const uint32_t NearestPalette::kSpread[256] = {Q_SPREAD64(0), Q_SPREAD64(64), Q_SPREAD64(128), Q_SPREAD64(192)};
#undef Q_SPREAD64
#undef Q_SPREAD16
#undef Q_SPREAD4

void NearestPalette::FreeCells::operator()(Cell* cells) const { std::free(cells); }

NearestPalette::NearestPalette(const RGBQUAD* palette, uint32_t count)
    : m_coarse(size_t(1) << (3 * kCoarseBits)), m_coarseBuilt(size_t(1) << (3 * kCoarseBits), 0) {
    // calloc hands out zero pages that cost nothing until a cell is touched.
    m_fine.reset(static_cast<Cell*>(std::calloc(size_t(1) << (3 * kFineBits), sizeof(Cell))));
    if (!m_fine) throw std::bad_alloc();
    if (!palette) count = 0;
    count = std::min<uint32_t>(count, 256);
    // A repeated colour can never win against its first occurrence.
    for (uint32_t i = 0; i < count; ++i) {
        const RGBQUAD& c = palette[i];
        bool repeated = false;
        for (const Candidate& e : m_entries)
            if (e.red == c.red && e.green == c.green && e.blue == c.blue) {
                repeated = true;
                break;
            }
        if (!repeated) m_entries.push_back(Candidate{c.blue, c.green, c.red, uint8_t(i)});
    }
    // Without entries every colour gets 0, the plain search's answer.
    if (m_entries.empty()) m_entries.push_back(Candidate{0, 0, 0, 0});
    m_pool.push_back(Candidate{});  // offset 0 is never a list
}

const std::vector<NearestPalette::Candidate>& NearestPalette::Coarse(uint32_t cell) {
    if (!m_coarseBuilt[cell]) {
        const int size = 256 >> kCoarseBits;
        const int r0 = int(cell >> (2 * kCoarseBits)) * size;
        const int g0 = int((cell >> kCoarseBits) & ((1u << kCoarseBits) - 1)) * size;
        const int b0 = int(cell & ((1u << kCoarseBits) - 1)) * size;
        CandidatesForBox(m_entries, r0, g0, b0, size, m_coarse[cell]);
        m_coarseBuilt[cell] = 1;
    }
    return m_coarse[cell];
}

const NearestPalette::Cell& NearestPalette::BuildFine(uint32_t index) {
    const int size = 256 >> kFineBits;
    const int r = int(Gather(index, 2)), g = int(Gather(index, 1)), b = int(Gather(index, 0));
    const int shift = kFineBits - kCoarseBits;
    const uint32_t coarse = (uint32_t(r >> shift) << (2 * kCoarseBits)) | (uint32_t(g >> shift) << kCoarseBits) |
                            uint32_t(b >> shift);
    CandidatesForBox(Coarse(coarse), r * size, g * size, b * size, size, m_scratch);
    Cell& cell = m_fine[index];
    if (m_scratch.size() <= 2) {
        cell.candidate[0] = m_scratch[0];
        cell.candidate[1] = m_scratch.back();
        cell.list = m_scratch.size() == 1 ? kSingle : kInline;
        return cell;
    }
    // A pathological palette could outgrow the offsets; start the lists afresh then.
    if (m_pool.size() + m_scratch.size() >= kPoolLimit) {
        for (size_t i = 0; i < (size_t(1) << (3 * kFineBits)); ++i)
            if (m_fine[i].list > kSingle) m_fine[i].list = kUnbuilt;
        m_pool.resize(1);
    }
    cell.list = (uint32_t(m_pool.size()) << 9) | uint32_t(m_scratch.size());
    m_pool.insert(m_pool.end(), m_scratch.begin(), m_scratch.end());
    return cell;
}

uint8_t NearestPalette::SearchPool(const Cell& cell, uint8_t r, uint8_t g, uint8_t b) const {
    const Candidate* c = m_pool.data() + (cell.list >> 9);
    const Candidate* end = c + (cell.list & 0x1FF);
    uint32_t best = ~0u;
    for (; c != end; ++c) best = Smaller(best, Key(*c, r, g, b));
    return uint8_t(best);
}

void NearestPalette::MapPixels(const uint8_t* bgr, int step, int count, uint8_t* out) {
    // The cells of a photograph's colours miss the cache often; asking for the
    // cell of a pixel a little ahead keeps several of those loads in flight.
    constexpr int kAhead = 16;
    int i = 0;
    for (; i + kAhead < count; ++i, bgr += step) {
        const uint8_t* next = bgr + kAhead * step;
        __builtin_prefetch(&m_fine[FineCell(next[2], next[1], next[0])]);
        out[i] = Find(bgr[2], bgr[1], bgr[0]);
    }
    for (; i < count; ++i, bgr += step) out[i] = Find(bgr[2], bgr[1], bgr[0]);
}

}  // namespace quillory
