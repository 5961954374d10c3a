#include "processing/MorphologyFilters.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "processing/VectorLanes.h"

namespace quillory {

namespace {

constexpr int kMaxWindow = 4095;

template <bool kMinimum>
void Combine(uint8_t* out, const uint8_t* a, const uint8_t* b, size_t n) {
    CombineBytes<kMinimum>(out, a, b, n);
}

// The window extreme over any size with the van Herk / Gil-Werman scheme: along a
// row by doubling (an extreme of two overlapping power-of-two runs covers the
// window), down the columns by block prefix and suffix runs, three comparisons per
// byte whatever the size. Positions outside the layer read as `pad`: neutral for
// the minimum (255), the background colour for the maximum.
template <bool kMinimum>
bool WindowExtreme(const LayerPlanesView& source, const LayerPlanes& destination, int size, FilterProgress& progress) {
    if (size < 1 || size > kMaxWindow || !source.IsUsable()) return false;
    const int width = source.width;
    const int height = source.height;
    const int low = -(size / 2);
    const size_t rowBytes = size_t(width) * 3;
    const size_t paddedBytes = (size_t(width) + size_t(size) - 1) * 3;
    uint8_t pad[3] = {255, 255, 255};
    if (!kMinimum) pad[0] = source.background.blue, pad[1] = source.background.green, pad[2] = source.background.red;

    std::vector<uint8_t> padded, doubling, blockA, blockB, prefix, result;
    try {
        padded.resize(paddedBytes);
        doubling.resize(paddedBytes);
        blockA.resize(rowBytes * size_t(size));
        blockB.resize(rowBytes * size_t(size));
        prefix.resize(rowBytes);
        result.resize(rowBytes);
    } catch (const std::bad_alloc&) {
        return false;
    }
    int span = 1;  // the largest power of two not above the size
    while (span * 2 <= size) span *= 2;

    // Row extreme of padded row i (layer row i + low); rows outside the layer are pad.
    auto rowExtreme = [&](int i, uint8_t* out) {
        const int y = i + low;
        if (y < 0 || y >= height) {
            for (size_t k = 0; k < rowBytes; k += 3) out[k] = pad[0], out[k + 1] = pad[1], out[k + 2] = pad[2];
            return;
        }
        const size_t lead = size_t(-low) * 3;
        for (size_t k = 0; k < lead; k += 3) padded[k] = pad[0], padded[k + 1] = pad[1], padded[k + 2] = pad[2];
        std::memcpy(padded.data() + lead, source.Row(y), rowBytes);
        for (size_t k = lead + rowBytes; k < paddedBytes; k += 3)
            padded[k] = pad[0], padded[k + 1] = pad[1], padded[k + 2] = pad[2];
        // doubling[j] = extreme of pixels j .. j + run - 1, for run = 1, 2, 4, ... span.
        const uint8_t* runs = padded.data();
        for (int run = 1; run < span; run *= 2) {
            const size_t shift = size_t(run) * 3;
            Combine<kMinimum>(doubling.data(), runs, runs + shift, paddedBytes - shift);
            runs = doubling.data();
        }
        const size_t rest = size_t(size - span) * 3;
        Combine<kMinimum>(out, runs, runs + rest, rowBytes);
    };

    // Window of output row y: padded rows y .. y + size - 1.
    auto loadBlock = [&](int first, std::vector<uint8_t>& block) {
        for (int j = 0; j < size; ++j) {
            uint8_t* out = block.data() + size_t(j) * rowBytes;
            rowExtreme(first + j, out);  // rows past the last window read as pad and are never used
        }
    };
    auto toSuffix = [&](std::vector<uint8_t>& block) {
        for (int j = size - 2; j >= 0; --j) {
            uint8_t* row = block.data() + size_t(j) * rowBytes;
            Combine<kMinimum>(row, row, row + rowBytes, rowBytes);
        }
    };
    auto emit = [&](int y, const uint8_t* values) {
        const uint8_t* a = source.AlphaRow(y);
        uint8_t* out = destination.Row(y);
        if (!std::memchr(a, 0, size_t(width))) {
            std::memcpy(out, values, rowBytes);
            return;
        }
        for (int x = 0; x < width; ++x)
            if (a[x]) out[3 * x] = values[3 * x], out[3 * x + 1] = values[3 * x + 1], out[3 * x + 2] = values[3 * x + 2];
    };

    loadBlock(0, blockA);
    toSuffix(blockA);
    for (int first = 0; first < height; first += size) {
        if (!progress.Step(first, height)) return false;
        loadBlock(first + size, blockB);
        for (int j = 0; j < size && first + j < height; ++j) {
            if (j == 0) {
                emit(first, blockA.data());
                continue;
            }
            const uint8_t* entering = blockB.data() + size_t(j - 1) * rowBytes;
            if (j == 1) std::memcpy(prefix.data(), entering, rowBytes);
            else Combine<kMinimum>(prefix.data(), prefix.data(), entering, rowBytes);
            Combine<kMinimum>(result.data(), blockA.data() + size_t(j) * rowBytes, prefix.data(), rowBytes);
            emit(first + j, result.data());
        }
        toSuffix(blockB);
        std::swap(blockA, blockB);
    }
    return true;
}

}  // namespace

bool MinimumWindow(const LayerPlanesView& source, const LayerPlanes& destination, int size, FilterProgress& progress) {
    return WindowExtreme<true>(source, destination, size, progress);
}

bool MaximumWindow(const LayerPlanesView& source, const LayerPlanes& destination, int size, FilterProgress& progress) {
    return WindowExtreme<false>(source, destination, size, progress);
}

}  // namespace quillory
