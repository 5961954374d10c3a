#include "processing/BoxFilters.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <optional>
#include <vector>

#include "processing/VectorLanes.h"

namespace quillory {

namespace {

// Bounds that keep every sum inside 32 bits.
constexpr int kMaxBoxSize = 4095;
constexpr int kMaxCentreWeight = 1 << 16;
// Windows up to this size keep their sums (at most 16 × 16 × 255) in 16-bit lanes.
constexpr int kNarrowSize = 16;

// floor(n / d) = (n × reciprocal[d]) >> 40 for n below 2^24 and d below 2^16: the
// reciprocal is rounded up, and the error it brings stays below 1/d.
struct Divisors {
    std::vector<uint64_t> reciprocal;
    explicit Divisors(int largest) : reciprocal(size_t(largest) + 1, 0) {
        for (int d = 1; d <= largest; ++d) reciprocal[size_t(d)] = (uint64_t(1) << 40) / uint64_t(d) + 1;
    }
};

// Running sums: each layer row becomes four lanes a pixel (blue, green, red, 1) or
// zeros for a transparent pixel; the column sums over the window's rows follow the
// rows with one row added and one taken away, and the window sum follows the
// columns along a row the same way. Columns past the layer's edges stay zero.
template <typename Lane>
bool BoxAverageIn(const LayerPlanesView& source, const LayerPlanes& destination, int size, int centreWeight,
                  FilterProgress& progress) {
    const int width = source.width;
    const int height = source.height;
    const int low = -(size / 2);
    const int high = size - size / 2 - 1;
    const size_t lanes = size_t(width) * 4;
    const int64_t count = int64_t(size) * size;
    const bool fastDivide = count < 4096 && centreWeight < 4096;

    std::vector<Lane> ring, columns;
    std::optional<Divisors> divisors;
    try {
        ring.assign(size_t(size) * lanes, 0);
        columns.assign(lanes + size_t(2 * size) * 4, 0);
        if (fastDivide) divisors.emplace(int(count));
    } catch (const std::bad_alloc&) {
        return false;
    }
    Lane* column = columns.data() + size_t(size) * 4;  // column x at column[4x]; zero quads around
    auto slot = [&](int y) { return ring.data() + size_t(y % size) * lanes; };
    auto enter = [&](int y) {
        if (y < 0 || y >= height) return;
        const uint8_t* p = source.Row(y);
        const uint8_t* a = source.AlphaRow(y);
        Lane* m = slot(y);
        for (int x = 0; x < width; ++x) {
            const Lane on = a[x] != 0;
            m[4 * x] = Lane(p[3 * x] * on), m[4 * x + 1] = Lane(p[3 * x + 1] * on);
            m[4 * x + 2] = Lane(p[3 * x + 2] * on), m[4 * x + 3] = on;
        }
        AddScaled<Lane>(column, m, Lane(1), lanes);
    };
    auto leave = [&](int y) {
        if (y >= 0 && y < height) AddScaled<Lane>(column, slot(y), Lane(-1), lanes);
    };
    for (int y = low; y <= high; ++y) enter(y);

    typedef Lane Quad __attribute__((vector_size(4 * sizeof(Lane))));
    auto quad = [&](int x) {
        Quad q;
        std::memcpy(&q, column + 4 * ptrdiff_t(x), sizeof q);
        return q;
    };
    const uint32_t extra = uint32_t(centreWeight - 1);
    const uint64_t* reciprocal = divisors ? divisors->reciprocal.data() : nullptr;
    for (int y = 0; y < height; ++y) {
        if (!progress.Step(y, height)) return false;
        if (y > 0) {
            leave(y - 1 + low);
            enter(y + high);
        }
        const uint8_t* p = source.Row(y);
        const uint8_t* a = source.AlphaRow(y);
        uint8_t* out = destination.Row(y);
        Quad run = {};
        for (int x = low; x <= high; ++x) run += quad(x);
        for (int x = 0; x < width; ++x) {
            if (x > 0) run += quad(x + high) - quad(x - 1 + low);
            if (!a[x]) continue;
            const uint32_t n = run[3];
            const uint32_t b = uint32_t(run[0]) + extra * p[3 * x];
            const uint32_t g = uint32_t(run[1]) + extra * p[3 * x + 1];
            const uint32_t r = uint32_t(run[2]) + extra * p[3 * x + 2];
            uint32_t qb, qg, qr;
            if (reciprocal) {
                const uint64_t m = reciprocal[n];
                qb = uint32_t((b * m) >> 40), qg = uint32_t((g * m) >> 40), qr = uint32_t((r * m) >> 40);
            } else {
                qb = b / n, qg = g / n, qr = r / n;
            }
            out[3 * x] = uint8_t(std::min<uint32_t>(qb, 255));
            out[3 * x + 1] = uint8_t(std::min<uint32_t>(qg, 255));
            out[3 * x + 2] = uint8_t(std::min<uint32_t>(qr, 255));
        }
    }
    return true;
}

}  // namespace

bool BoxAverage(const LayerPlanesView& source, const LayerPlanes& destination, int size, int centreWeight,
                FilterProgress& progress) {
    if (size < 1 || centreWeight < 1 || !source.IsUsable()) return false;
    if (size > kMaxBoxSize || centreWeight > kMaxCentreWeight) return false;
    if (size <= kNarrowSize) return BoxAverageIn<uint16_t>(source, destination, size, centreWeight, progress);
    return BoxAverageIn<uint32_t>(source, destination, size, centreWeight, progress);
}

}  // namespace quillory
