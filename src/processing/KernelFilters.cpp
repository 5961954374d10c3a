#include "processing/KernelFilters.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "processing/VectorLanes.h"

namespace quillory {

Kernel3x3 SharpenKernel() { return Kernel3x3{{-1, -1, -1, -1, 12, -1, -1, -1, -1}}; }

Kernel3x3 ContourKernel(int centre) { return Kernel3x3{{-1, -1, -1, -1, centre, -1, -1, -1, -1}}; }

Kernel3x3 EmbossKernel(int depth) { return Kernel3x3{{-depth, 0, 0, 0, 0, 0, 0, 0, depth}}; }

namespace {

// Weights beyond this would let the sums leave 32 bits.
constexpr int kMaxWeight = 1 << 18;

uint8_t GreyOf(int64_t sum, int weight) {
    int64_t v = sum / 3;
    if (weight != 0) v /= weight;
    return uint8_t(std::clamp<int64_t>(v, 0, 255));
}

// The grey result of every processed pixel, row by row, handed to `sink(y, greyRow)`;
// entries of unprocessed pixels are undefined. Each row's R + G + B is computed once;
// the interior of a row is nine passes of multiply-add over those sums and one table
// look-up, the few border pixels take the general rule.
// Sums in 16 bits when the kernel keeps every partial sum inside them (the
// filter menu's kernels do), else in 32 bits.
template <typename Sum, typename Sink>
bool ConvolveRowsIn(const LayerPlanesView& source, const Kernel3x3& kernel, bool blackBorder, FilterProgress& progress,
                    Sink&& sink) {
    const int width = source.width;
    const int height = source.height;
    const int* w = kernel.weights;
    int64_t low = 0, high = 0;
    int interiorWeight = 0;
    for (int i = 0; i < 9; ++i) {
        interiorWeight += w[i];
        (w[i] < 0 ? low : high) += int64_t(w[i]) * 765;
    }
    std::vector<Sum> sums[3];
    std::vector<Sum> accumulator;
    std::vector<uint8_t> grey;
    std::vector<uint8_t> table;
    const bool useTable = high - low < (int64_t(1) << 22);
    try {
        for (auto& s : sums) s.assign(size_t(width) + 2, 0);
        accumulator.assign(size_t(width), 0);
        grey.assign(size_t(width), 0);
        if (useTable) {
            table.resize(size_t(high - low + 1));
            for (int64_t s = low; s <= high; ++s) table[size_t(s - low)] = GreyOf(s, interiorWeight);
        }
    } catch (const std::bad_alloc&) {
        return false;
    }

    // sums[k] holds row y - 1 + k with one zero column on each side.
    auto load = [&](std::vector<Sum>& target, int y) {
        if (y < 0 || y >= height) {
            std::fill(target.begin(), target.end(), 0);
            return;
        }
        const uint8_t* p = source.Row(y);
        Sum* out = target.data() + 1;
        for (int x = 0; x < width; ++x) out[x] = Sum(p[3 * x] + p[3 * x + 1] + p[3 * x + 2]);
    };
    load(sums[0], -1);
    load(sums[1], 0);
    load(sums[2], 1);
    for (int y = 0; y < height; ++y) {
        if (!progress.Step(y, height)) return false;
        if (y > 0) {
            std::swap(sums[0], sums[1]);
            std::swap(sums[1], sums[2]);
            load(sums[2], y + 1);
        }

        // Every pixel of the row as if all its neighbours were inside; the layer's
        // edge then only changes the divisor, which the border pixels recompute.
        std::fill(accumulator.begin(), accumulator.end(), 0);
        for (int ky = 0; ky < 3; ++ky) {
            for (int kx = 0; kx < 3; ++kx) {
                const Sum weight = Sum(w[3 * ky + kx]);
                if (weight == 0) continue;
                AddScaled<Sum>(accumulator.data(), sums[ky].data() + kx, weight, size_t(width));
            }
        }
        const uint8_t* alpha = source.AlphaRow(y);
        const bool borderRow = y == 0 || y == height - 1;
        auto border = [&](int x) {
            if (blackBorder) return uint8_t(0);
            int used = 0;
            for (int ky = 0; ky < 3; ++ky)
                for (int kx = 0; kx < 3; ++kx)
                    if (source.IsInside(x + kx - 1, y + ky - 1)) used += w[3 * ky + kx];
            return GreyOf(accumulator[size_t(x)], used);
        };
        if (borderRow) {
            for (int x = 0; x < width; ++x)
                if (alpha[x]) grey[size_t(x)] = border(x);
        } else {
            grey[0] = border(0);
            if (width > 1) grey[size_t(width - 1)] = border(width - 1);
            const Sum* a = accumulator.data();
            uint8_t* g = grey.data();
            if (useTable) {
                const uint8_t* t = table.data() - low;
                for (int x = 1; x < width - 1; ++x) g[x] = t[a[x]];
            } else {
                for (int x = 1; x < width - 1; ++x) g[x] = GreyOf(a[x], interiorWeight);
            }
        }
        sink(y, grey.data(), alpha);
    }
    return true;
}

template <typename Sink>
bool ConvolveRows(const LayerPlanesView& source, const Kernel3x3& kernel, bool blackBorder, FilterProgress& progress,
                  Sink&& sink) {
    if (!source.IsUsable()) return false;
    int64_t low = 0, high = 0;
    for (int weight : kernel.weights) {
        if (weight > kMaxWeight || weight < -kMaxWeight) return false;
        (weight < 0 ? low : high) += int64_t(weight) * 765;
    }
    if (low >= INT16_MIN && high <= INT16_MAX) return ConvolveRowsIn<int16_t>(source, kernel, blackBorder, progress, sink);
    return ConvolveRowsIn<int32_t>(source, kernel, blackBorder, progress, sink);
}

}  // namespace

bool Convolve3x3(const LayerPlanesView& source, const LayerPlanes& destination, const Kernel3x3& kernel,
                 bool blackBorder, FilterProgress& progress) {
    return ConvolveRows(source, kernel, blackBorder, progress, [&](int y, const uint8_t* grey, const uint8_t* alpha) {
        uint8_t* out = destination.Row(y);
        const int width = source.width;
        if (!std::memchr(alpha, 0, size_t(width))) {
            for (int x = 0; x < width; ++x) out[3 * x] = out[3 * x + 1] = out[3 * x + 2] = grey[x];
            return;
        }
        for (int x = 0; x < width; ++x)
            if (alpha[x]) out[3 * x] = out[3 * x + 1] = out[3 * x + 2] = grey[x];
    });
}

bool Convolve3x3ToGrey(const LayerPlanesView& source, const Kernel3x3& kernel, bool blackBorder,
                       std::vector<uint8_t>& grey, FilterProgress& progress) {
    try {
        grey.assign(size_t(std::max(source.width, 0)) * size_t(std::max(source.height, 0)), 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return ConvolveRows(source, kernel, blackBorder, progress, [&](int y, const uint8_t* values, const uint8_t* alpha) {
        uint8_t* out = grey.data() + size_t(y) * size_t(source.width);
        for (int x = 0; x < source.width; ++x) out[x] = alpha[x] ? values[x] : 0;
    });
}

}  // namespace quillory
