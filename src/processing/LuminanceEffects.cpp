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

// The classes of every pixel, rows top-down.
bool Classes(const LayerPlanesView& source, std::vector<uint8_t>& classes) {
    try {
        classes.resize(size_t(source.width) * size_t(source.height));
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (int y = 0; y < source.height; ++y)
        for (int x = 0; x < source.width; ++x)
            classes[size_t(y) * size_t(source.width) + size_t(x)] = uint8_t(LuminanceClass(source.Pixel(x, y)));
    return true;
}

}  // namespace

bool ModeOfLuminance(const LayerPlanesView& source, const LayerPlanes& destination, int radius, int classes,
                     FilterProgress& progress) {
    if (!source.IsUsable() || radius < 0 || classes < 1 || classes > 255) return false;
    std::vector<uint8_t> luminance;
    if (!Classes(source, luminance)) return false;
    const int width = source.width, height = source.height;
    std::vector<Bin> bins(size_t(classes) + 1);
    for (int y = 0; y < height; ++y) {
        if (!progress.Step(y, height)) return false;
        for (int x = 0; x < width; ++x) {
            if (!source.Alpha(x, y)) continue;
            std::fill(bins.begin(), bins.end(), Bin{});
            for (int wy = std::max(0, y - radius); wy <= std::min(height - 1, y + radius); ++wy)
                for (int wx = std::max(0, x - radius); wx <= std::min(width - 1, x + radius); ++wx) {
                    const int bin = luminance[size_t(wy) * size_t(width) + size_t(wx)] * classes / 255;
                    bins[size_t(bin)].Add(source.Pixel(wx, wy), 1);
                }
            size_t best = 0;
            for (size_t b = 1; b < bins.size(); ++b)
                if (bins[b].count > bins[best].count) best = b;
            PutColour(destination, x, y, bins[best].Mean());
        }
    }
    return true;
}

bool RandomLuminancePick(const LayerPlanesView& source, const LayerPlanes& destination, int radius,
                         FilterProgress& progress) {
    if (!source.IsUsable() || radius < 0) return false;
    if (radius == 0) return true;  // the window is the pixel itself
    std::vector<uint8_t> luminance;
    if (!Classes(source, luminance)) return false;
    ClassicRandom& random = EngineRandom();
    const int width = source.width, height = source.height;
    Bin bins[256];
    for (int y = 0; y < height; ++y) {
        if (!progress.Step(y, height)) return false;
        const int top = std::max(0, y - radius), bottom = std::min(height - 1, y + radius);
        auto column = [&](int wx, int sign) {
            if (wx < 0 || wx >= width) return;
            for (int wy = top; wy <= bottom; ++wy)
                bins[luminance[size_t(wy) * size_t(width) + size_t(wx)]].Add(source.Pixel(wx, wy), sign);
        };
        // The window's classes slide along the row: a column enters, a column leaves.
        std::fill(std::begin(bins), std::end(bins), Bin{});
        int seen = 0;
        for (int wx = 0; wx <= std::min(width - 1, radius); ++wx) column(wx, 1), seen += bottom - top + 1;
        for (int x = 0; x < width; ++x) {
            if (x > 0) {
                if (x - radius - 1 >= 0) column(x - radius - 1, -1), seen -= bottom - top + 1;
                if (x + radius < width) column(x + radius, 1), seen += bottom - top + 1;
            }
            if (!source.Alpha(x, y)) continue;
            for (int draw = 0; draw < kMaxDraws; ++draw) {
                const int t = std::min<int>(int(int64_t(random.Next() + 1) * seen / 32768), 10000);
                int running = 0, chosen = 255;
                for (int b = 0; b < 256; ++b) {
                    running += bins[b].count;
                    if (running >= t) {
                        chosen = b;
                        break;
                    }
                }
                if (bins[chosen].count == 0) continue;
                PutColour(destination, x, y, bins[chosen].Mean());
                break;
            }
        }
    }
    return true;
}

}  // namespace quillory
