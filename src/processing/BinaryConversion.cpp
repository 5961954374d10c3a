#include "processing/BinaryConversion.h"

#include <algorithm>
#include <cstring>
#include <type_traits>
#include <new>
#include <vector>

#include "core/RowPixels.h"
#include "processing/AdjustTexts.h"
#include "processing/GreyRows.h"

namespace quillory {

namespace {

const BinaryMethodInfo kMethods[kBinaryMethods] = {
    {texts::kMethodErrorDiffusion, texts::kLabelDensity, 0, 255, 128},
    {texts::kMethodOrderedDither, texts::kLabelDensity, 0, 255, 75},
    {texts::kMethodAbsolute, texts::kLabelBinaryThreshold, 0, 255, 128},
};

const uint8_t kOrderMatrix[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

// Direct colour: grey from blue, green and red; black and white in all three bytes.
class DirectAccess {
public:
    explicit DirectAccess(const ColourPlanes& planes) : m_bytes(size_t(planes.BytesPerPixel())) {}
    int Grey(const uint8_t* row, int x) const {
        const uint8_t* p = row + size_t(x) * m_bytes;
        return GreyOf(p[0], p[1], p[2]);
    }
    void Put(uint8_t* row, int x, bool white) const {
        uint8_t* p = row + size_t(x) * m_bytes;
        p[0] = p[1] = p[2] = uint8_t(-int(white));
    }

private:
    size_t m_bytes;
};

// Palette depths: grey of each index's entry; black and white as the entries nearest to them.
class PaletteAccess {
public:
    explicit PaletteAccess(const ColourPlanes& planes) : m_bits(planes.bitsPerPixel) {
        for (uint32_t i = 0; i < planes.colourCount; ++i) {
            const RGBQUAD& e = planes.palette[i];
            m_indexGrey[i] = uint8_t(GreyOf(e.blue, e.green, e.red));
        }
        m_index[0] = NearestPaletteIndex(planes.palette, planes.colourCount, RGBQUAD{0, 0, 0, 0});
        m_index[1] = NearestPaletteIndex(planes.palette, planes.colourCount, RGBQUAD{255, 255, 255, 0});
    }
    int Grey(const uint8_t* row, int x) const { return m_indexGrey[RowIndex(row, x, m_bits)]; }
    void Put(uint8_t* row, int x, bool white) const { PutRowIndex(row, x, m_bits, m_index[white]); }

private:
    int m_bits;
    uint8_t m_indexGrey[256] = {};
    uint8_t m_index[2] = {};
};

// Calls work(access) with the access that fits the planes.
template <typename Work>
bool WithAccess(ColourPlanes& planes, Work work) {
    if (planes.IsPalette()) return work(PaletteAccess(planes));
    return work(DirectAccess(planes));
}

// Every opaque, selected pixel becomes white where decide(x, y, grey) says so, else black.
template <typename Decide>
void Binarise(ColourPlanes& planes, Decide decide) {
    WithAccess(planes, [&](const auto& access) {
        ForEachWritablePixel(planes, true, [&](uint8_t* row, int x, int y) {
            access.Put(row, x, decide(x, y, access.Grey(row, x)));
        });
        return true;
    });
}

// The outcome of a grey g at threshold t: white or not, and the four shares of its error.
struct Shares {
    int16_t right[256], downLeft[256], down[256], downRight[256];
    uint8_t colour[256];
    explicit Shares(int t) {
        for (int g = 0; g < 256; ++g) {
            const bool white = g > t;
            const int error = white ? g - 255 : g;
            colour[g] = white ? 255 : 0;
            right[g] = int16_t(7 * error / 16);
            downLeft[g] = int16_t(3 * error / 16);
            down[g] = int16_t(5 * error / 16);
            downRight[g] = int16_t(error / 16);
        }
    }
};

// One row of error diffusion over direct colour without a selection. The shares of
// the row below are carried in registers: (x − 1, y + 1) is final once pixel x has
// given its share, so each place of the next row is written once, starting from its
// grey (`nextGreys`, one spare place past the row).
template <bool Opaque>
void DiffuseDirectRow(uint8_t* row, const uint8_t* nextGreys, const uint8_t* alpha, int* here, int* below, int w,
                      const Shares& shares, size_t bytes) {
    auto clamp = [](int v) { return v < 0 ? 0 : v > 255 ? 255 : v; };
    int current = here[0];
    int left = 0;  // (x − 1, y + 1)
    int middle = nextGreys[0];
    for (int x = 0; x < w; ++x) {
        int right = nextGreys[x + 1];
        int ahead = here[x + 1];  // the spare place past the row when x is the last
        if (Opaque || alpha[x] != 0) {
            const int g = current;
            uint8_t* p = row + size_t(x) * bytes;
            p[0] = p[1] = p[2] = shares.colour[g];
            // The pixel to the right carries the chain from pixel to pixel; it rarely
            // leaves 0..255, so a predicted branch keeps the clamp off that chain.
            ahead += shares.right[g];
            if (__builtin_expect(unsigned(ahead) > 255u, 0)) ahead = ahead < 0 ? 0 : 255;
            left = clamp(left + shares.downLeft[g]);
            middle = clamp(middle + shares.down[g]);
            right = clamp(right + shares.downRight[g]);
        }
        if (x > 0) below[x - 1] = left;
        left = middle;
        middle = right;
        current = ahead;
    }
    below[w - 1] = left;
}

// Error diffusion over the rows with one access; `current` and `next` hold a row's greys
// with one spare place at each end.
template <typename Access>
void Diffuse(ColourPlanes& planes, int t, const Access& access, std::vector<int>& current, std::vector<int>& next) {
    const int w = planes.width;
    auto load = [&](std::vector<int>& line, int y) {
        const uint8_t* row = planes.Row(y);
        int* g = line.data() + 1;
        for (int x = 0; x < w; ++x) g[x] = access.Grey(row, x);
    };
    auto add = [](int& grey, int share) { grey = std::clamp(grey + share, 0, 255); };
    const Shares shares(t);
    std::vector<uint8_t> nextGreys(size_t(w) + 1, 0);
    load(current, 0);
    RowProgress progress(planes.progress, planes.height);
    for (int y = 0; y < planes.height; ++y) {
        progress.Row(y);
        const bool hasNext = y + 1 < planes.height;
        const uint8_t* nextSelection = hasNext ? planes.SelectionRow(y + 1) : nullptr;
        const bool direct = std::is_same_v<Access, DirectAccess> && !planes.SelectionRow(y) && !nextSelection;
        // The direct row loop reads the next row's greys itself.
        if (hasNext && !direct) load(next, y + 1);
        uint8_t* row = planes.Row(y);
        const uint8_t* alpha = planes.AlphaRow(y);
        const uint8_t* selection = planes.SelectionRow(y);
        int* here = current.data() + 1;
        int* below = next.data() + 1;
        if constexpr (std::is_same_v<Access, DirectAccess>) {
            if (direct && hasNext) {
                const size_t bytes = size_t(planes.BytesPerPixel());
                const uint8_t* nextRow = planes.Row(y + 1);
                if (bytes == 3) {
                    GreysOfRow(nextRow, w, nextGreys.data());
                } else {
                    for (int x = 0; x < w; ++x) nextGreys[size_t(x)] = uint8_t(access.Grey(nextRow, x));
                }
                if (std::memchr(alpha, 0, size_t(unsigned(w))))
                    DiffuseDirectRow<false>(row, nextGreys.data(), alpha, here, below, w, shares, bytes);
                else
                    DiffuseDirectRow<true>(row, nextGreys.data(), alpha, here, below, w, shares, bytes);
                std::swap(current, next);
                continue;
            }
        }
        if (!selection && !nextSelection && hasNext) {
            // Without a selection every neighbour inside takes its share.
            for (int x = 0; x < w; ++x) {
                if (alpha[x] == 0) continue;
                const int g = here[x];
                const bool white = g > t;
                const int error = g - 255 * int(white);
                access.Put(row, x, white);
                if (x + 1 < w) add(here[x + 1], 7 * error / 16);
                if (x > 0) add(below[x - 1], 3 * error / 16);
                add(below[x], 5 * error / 16);
                if (x + 1 < w) add(below[x + 1], error / 16);
            }
        } else {
            for (int x = 0; x < w; ++x) {
                if (alpha[x] == 0) continue;
                const int g = here[x];
                const bool white = g > t;
                const int error = g - 255 * int(white);
                if (!selection || selection[x] != 0) access.Put(row, x, white);
                // A neighbour takes its share only where a write may land.
                if (x + 1 < w && (!selection || selection[x + 1] != 0)) add(here[x + 1], 7 * error / 16);
                if (!hasNext) continue;
                if (x > 0 && (!nextSelection || nextSelection[x - 1] != 0)) add(below[x - 1], 3 * error / 16);
                if (!nextSelection || nextSelection[x] != 0) add(below[x], 5 * error / 16);
                if (x + 1 < w && (!nextSelection || nextSelection[x + 1] != 0)) add(below[x + 1], error / 16);
            }
        }
        std::swap(current, next);
    }
}

bool Valid(const ColourPlanes& planes, int t) { return planes.IsUsable() && t >= 0 && t <= 255; }

}  // namespace

const BinaryMethodInfo* FindBinaryMethod(int method) {
    return method >= 0 && method < kBinaryMethods ? &kMethods[method] : nullptr;
}

bool BinaryAbsolute(ColourPlanes& planes, int t) {
    if (!Valid(planes, t)) return false;
    Binarise(planes, [t](int, int, int g) { return g <= t; });
    return true;
}

bool BinaryOrderedDither(ColourPlanes& planes, int t) {
    if (!Valid(planes, t)) return false;
    // white[m][g]: the decision for matrix entry m and grey g.
    bool white[16][256];
    const int divisor = 2 * t + 100;
    for (int g = 0; g < 256; ++g) {
        const int level = g * 16 / divisor;
        for (int m = 0; m < 16; ++m) white[m][g] = level / 16 == 0 && m >= level % 16;
    }
    Binarise(planes, [&white](int x, int y, int g) { return white[kOrderMatrix[y & 3][x & 3]][g]; });
    return true;
}

bool BinaryErrorDiffusion(ColourPlanes& planes, int t) {
    if (!Valid(planes, t)) return false;
    std::vector<int> current, next;
    try {
        current.assign(size_t(planes.width) + 2, 0);
        next.assign(size_t(planes.width) + 2, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return WithAccess(planes, [&](const auto& access) {
        Diffuse(planes, t, access, current, next);
        return true;
    });
}

bool BinaryConvert(ColourPlanes& planes, int method, int t) {
    switch (method) {
        case kErrorDiffusion: return BinaryErrorDiffusion(planes, t);
        case kOrderedDither: return BinaryOrderedDither(planes, t);
        case kAbsoluteThreshold: return BinaryAbsolute(planes, t);
        default: return false;
    }
}

}  // namespace quillory
