#include "processing/BoxFilters.h"

#include <algorithm>
#include <new>
#include <optional>
#include <vector>

namespace quillory {

namespace {

// Bounds that keep every sum inside 32 bits.
constexpr int kMaxBoxSize = 4095;
constexpr int kMaxCentreWeight = 1 << 16;

// floor(n / d) for n below 2^24 and d below 2^16 by one multiplication: the
// reciprocal is rounded up, and the error it brings stays below 1/d.
struct Divisors {
    std::vector<uint64_t> reciprocal;
    explicit Divisors(int largest) : reciprocal(size_t(largest) + 1, 0) {
        for (int d = 1; d <= largest; ++d) reciprocal[size_t(d)] = (uint64_t(1) << 40) / uint64_t(d) + 1;
    }
    uint32_t Divide(uint32_t n, uint32_t d) const { return uint32_t((uint64_t(n) * reciprocal[d]) >> 40); }
};

}  // namespace

bool BoxAverage(const LayerPlanesView& source, const LayerPlanes& destination, int size, int centreWeight,
                FilterProgress& progress) {
    if (size < 1 || centreWeight < 1 || !source.IsUsable()) return false;
    if (size > kMaxBoxSize || centreWeight > kMaxCentreWeight) return false;
    const int width = source.width;
    const int height = source.height;
    const int low = -(size / 2);
    const int high = size - size / 2 - 1;
    // Sums stay exact in 32 bits and the reciprocal division exact while the
    // window's pixels and the centre weight are below these bounds.
    const int64_t count = int64_t(size) * size;
    const bool fastDivide = count < 4096 && centreWeight < 4096;

    // Per column: blue, green, red sums and the count of the window's rows.
    std::vector<uint32_t> columns;
    std::optional<Divisors> divisors;
    try {
        columns.assign(size_t(width) * 4, 0);
        if (fastDivide) divisors.emplace(int(count));
    } catch (const std::bad_alloc&) {
        return false;
    }
    // Adds (or takes away) a row's contributions to the column sums.
    auto addRow = [&](int y, bool add) {
        if (y < 0 || y >= height) return;
        const uint8_t* p = source.Row(y);
        const uint8_t* a = source.AlphaRow(y);
        uint32_t* c = columns.data();
        if (add) {
            for (int x = 0; x < width; ++x) {
                const uint32_t on = a[x] != 0;
                c[4 * x] += on * p[3 * x], c[4 * x + 1] += on * p[3 * x + 1];
                c[4 * x + 2] += on * p[3 * x + 2], c[4 * x + 3] += on;
            }
        } else {
            for (int x = 0; x < width; ++x) {
                const uint32_t on = a[x] != 0;
                c[4 * x] -= on * p[3 * x], c[4 * x + 1] -= on * p[3 * x + 1];
                c[4 * x + 2] -= on * p[3 * x + 2], c[4 * x + 3] -= on;
            }
        }
    };
    for (int y = low; y <= high; ++y) addRow(y, true);

    const uint32_t extra = uint32_t(centreWeight - 1);
    for (int y = 0; y < height; ++y) {
        if (!progress.Step(y, height)) return false;
        if (y > 0) {
            addRow(y - 1 + low, false);
            addRow(y + high, true);
        }
        const uint8_t* p = source.Row(y);
        const uint8_t* a = source.AlphaRow(y);
        uint8_t* out = destination.Row(y);
        // Running sums along the row over columns x + low .. x + high.
        uint32_t run[4] = {0, 0, 0, 0};
        for (int x = low; x <= high; ++x)
            if (x >= 0 && x < width)
                for (int k = 0; k < 4; ++k) run[k] += columns[size_t(4 * x + k)];
        for (int x = 0; x < width; ++x) {
            if (x > 0) {
                const int leaving = x - 1 + low;
                const int entering = x + high;
                if (leaving >= 0)
                    for (int k = 0; k < 4; ++k) run[k] -= columns[size_t(4 * leaving + k)];
                if (entering < width)
                    for (int k = 0; k < 4; ++k) run[k] += columns[size_t(4 * entering + k)];
            }
            if (!a[x]) continue;
            const uint32_t n = run[3];
            for (int k = 0; k < 3; ++k) {
                const uint32_t sum = run[k] + extra * p[3 * x + k];
                const uint32_t v = fastDivide ? divisors->Divide(sum, n) : uint32_t(uint64_t(sum) / n);
                out[3 * x + k] = uint8_t(std::min<uint32_t>(v, 255));
            }
        }
    }
    return true;
}

}  // namespace quillory
