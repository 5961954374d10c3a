#include "processing/LuminanceEffects.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "core/ClassicRandom.h"

namespace quillory {

int LuminanceClass(const uint8_t* bgr) { return int(std::trunc(bgr[1] * 0.59 + bgr[2] * 0.30 + bgr[0] * 0.11)); }

namespace {

constexpr int kMaxDraws = 10001;

struct Bin {
    int count = 0;
    int sum[3] = {0, 0, 0};
    void Add(const uint8_t* p, int sign) {
        count += sign;
        for (int c = 0; c < 3; ++c) sum[c] += sign * p[c];
    }
    RGBQUAD Mean() const {
        return RGBQUAD{uint8_t(sum[0] / count), uint8_t(sum[1] / count), uint8_t(sum[2] / count), 0};
    }
};

// The bin of every pixel, row by row: its luminance class scaled to `bins` - 1.
bool BinsOf(const LayerPlanesView& source, int bins, std::vector<uint8_t>& binOf) {
    try {
        binOf.resize(size_t(source.width) * size_t(source.height));
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (int y = 0; y < source.height; ++y)
        for (int x = 0; x < source.width; ++x)
            binOf[size_t(y) * size_t(source.width) + size_t(x)] =
                uint8_t(LuminanceClass(source.Pixel(x, y)) * (bins - 1) / 255);
    return true;
}

// Row by row, the bins of the (2r + 1) × (2r + 1) window (cut at the layer's edges)
// follow the pixel: a column enters, a column leaves. `visit(x, y, seen)` runs for
// each pixel with a non-zero alpha byte, `seen` being the window's pixel count.
template <typename Visit>
bool SlideWindow(const LayerPlanesView& source, const std::vector<uint8_t>& binOf, int radius, std::vector<Bin>& bins,
                 FilterProgress& progress, Visit&& visit) {
    const int width = source.width, height = source.height;
    for (int y = 0; y < height; ++y) {
        if (!progress.Step(y, height)) return false;
        const int top = std::max(0, y - radius), bottom = std::min(height - 1, y + radius);
        const int rows = bottom - top + 1;
        auto column = [&](int wx, int sign) {
            for (int wy = top; wy <= bottom; ++wy)
                bins[binOf[size_t(wy) * size_t(width) + size_t(wx)]].Add(source.Pixel(wx, wy), sign);
        };
        std::fill(bins.begin(), bins.end(), Bin{});
        int seen = 0;
        for (int wx = 0; wx <= std::min(width - 1, radius); ++wx) column(wx, 1), seen += rows;
        for (int x = 0; x < width; ++x) {
            if (x > 0) {
                if (x - radius - 1 >= 0) column(x - radius - 1, -1), seen -= rows;
                if (x + radius < width) column(x + radius, 1), seen += rows;
            }
            if (source.Alpha(x, y)) visit(x, y, seen);
        }
    }
    return true;
}

}  // namespace

bool ModeOfLuminance(const LayerPlanesView& source, const LayerPlanes& destination, int radius, int classes,
                     FilterProgress& progress) {
    if (!source.IsUsable() || radius < 0 || classes < 1 || classes > 255) return false;
    std::vector<uint8_t> binOf;
    if (!BinsOf(source, classes + 1, binOf)) return false;
    std::vector<Bin> bins(size_t(classes) + 1);
    return SlideWindow(source, binOf, radius, bins, progress, [&](int x, int y, int) {
        size_t best = 0;
        for (size_t b = 1; b < bins.size(); ++b)
            if (bins[b].count > bins[best].count) best = b;
        PutColour(destination, x, y, bins[best].Mean());
    });
}

bool RandomLuminancePick(const LayerPlanesView& source, const LayerPlanes& destination, int radius,
                         FilterProgress& progress) {
    if (!source.IsUsable() || radius < 0) return false;
    std::vector<uint8_t> binOf;
    if (!BinsOf(source, 256, binOf)) return false;
    ClassicRandom& random = EngineRandom();
    std::vector<Bin> bins(256);
    return SlideWindow(source, binOf, radius, bins, progress, [&](int x, int y, int seen) {
        for (int draw = 0; draw < kMaxDraws; ++draw) {
            const int t = std::min<int>(int(int64_t(random.Next() + 1) * seen / 32768), 10000);
            int running = 0, chosen = 255;
            for (int b = 0; b < 256; ++b) {
                running += bins[size_t(b)].count;
                if (running >= t) {
                    chosen = b;
                    break;
                }
            }
            if (bins[size_t(chosen)].count == 0) continue;
            PutColour(destination, x, y, bins[size_t(chosen)].Mean());
            return;
        }
    });
}

}  // namespace quillory
