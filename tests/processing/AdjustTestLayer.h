#pragma once
// Layers for the adjustment tests: planes with padded rows at any depth, random
// colours, a mix of transparent, opaque and partly opaque pixels, an optional
// random selection, and a plain per-pixel view for the reference versions.
#include <cstdint>
#include <vector>

#include "core/RowPixels.h"
#include "processing/ColourPlanes.h"
#include "support/TestFiles.h"

namespace quillory::test {

class Lcg {
public:
    explicit Lcg(uint32_t seed) : m_state(seed) {}
    uint32_t Next() {
        m_state = m_state * 1664525u + 1013904223u;
        return m_state >> 8;
    }
    uint8_t Byte() { return uint8_t(Next()); }
    int Below(int n) { return int(Next() % uint32_t(n)); }

private:
    uint32_t m_state;
};

struct TestLayer {
    int width = 0;
    int height = 0;
    int bits = 24;
    size_t stride = 0;
    std::vector<uint8_t> pixels, alpha, selection;
    std::vector<RGBQUAD> palette;

    TestLayer(int w, int h, int bitsPerPixel) : width(w), height(h), bits(bitsPerPixel) {
        // Rows padded to 4 bytes and 3 more, so row ends are never where a loop could guess them.
        stride = ((size_t(w) * size_t(bits) + 31) / 32) * 4 + 4;
        pixels.assign(stride * size_t(h), 0);
        alpha.assign(size_t(w) * size_t(h), 255);
        if (bits <= 8) palette.assign(size_t(1) << bits, RGBQUAD{});
    }

    ColourPlanes Planes(bool withSelection = false) {
        ColourPlanes p;
        p.pixels = pixels.data();
        p.width = width;
        p.height = height;
        p.bitsPerPixel = bits;
        p.stride = stride;
        p.alpha = alpha.data();
        p.selection = withSelection && !selection.empty() ? selection.data() : nullptr;
        if (bits <= 8) {
            p.palette = palette.data();
            p.colourCount = uint32_t(palette.size());
        }
        return p;
    }

    uint8_t* At(int x, int storedY) { return pixels.data() + size_t(storedY) * stride + size_t(x) * size_t(bits / 8); }
    const uint8_t* At(int x, int storedY) const {
        return pixels.data() + size_t(storedY) * stride + size_t(x) * size_t(bits / 8);
    }
    uint8_t Index(int x, int storedY) const { return RowIndex(pixels.data() + size_t(storedY) * stride, x, bits); }
    RGBQUAD Colour(int x, int storedY) const {
        if (bits <= 8) return palette[Index(x, storedY)];
        const uint8_t* p = At(x, storedY);
        return RGBQUAD{p[0], p[1], p[2], bits == 32 ? p[3] : uint8_t(0)};
    }
    uint8_t Alpha(int x, int storedY) const { return alpha[size_t(storedY) * size_t(width) + size_t(x)]; }
    bool Selected(int x, int storedY) const {
        return selection.empty() || selection[size_t(storedY) * size_t(width) + size_t(x)] != 0;
    }

    // As shown: rows top-down, the layer's opacity as alpha.
    RgbaImage ToImage() const {
        RgbaImage image;
        image.width = width;
        image.height = height;
        image.rgba.resize(size_t(width) * size_t(height) * 4);
        for (int screenY = 0; screenY < height; ++screenY)
            for (int x = 0; x < width; ++x) {
                const int storedY = height - 1 - screenY;
                const RGBQUAD c = Colour(x, storedY);
                uint8_t* p = image.rgba.data() + (size_t(screenY) * size_t(width) + size_t(x)) * 4;
                p[0] = c.red, p[1] = c.green, p[2] = c.blue, p[3] = Alpha(x, storedY);
            }
        return image;
    }
};

// Random colours (random indices and palette for palette depths); alpha a quarter
// each 0, 255 and random; with `select`, a random selection of about two thirds.
inline TestLayer RandomLayer(int w, int h, int bits, uint32_t seed, bool select = false) {
    TestLayer layer(w, h, bits);
    Lcg random(seed);
    for (auto& b : layer.pixels) b = random.Byte();
    for (auto& e : layer.palette) e = RGBQUAD{random.Byte(), random.Byte(), random.Byte(), 0};
    for (auto& a : layer.alpha) {
        const int pick = random.Below(4);
        a = pick == 0 ? 0 : pick == 1 ? 255 : random.Byte();
    }
    if (select) {
        layer.selection.resize(layer.alpha.size());
        for (auto& s : layer.selection) s = random.Below(3) == 0 ? 0 : 1;
    }
    return layer;
}

// A picture that looks like something: smooth ramps with a little noise, a dark disc,
// a transparent corner; the same every run.
inline TestLayer GoldenLayer() {
    TestLayer layer(37, 23, 24);
    Lcg random(7);
    for (int storedY = 0; storedY < layer.height; ++storedY)
        for (int x = 0; x < layer.width; ++x) {
            const int screenY = layer.height - 1 - storedY;
            const int dx = x - 24, dy = screenY - 11;
            const bool disc = dx * dx + dy * dy < 40;
            uint8_t* p = layer.At(x, storedY);
            p[0] = uint8_t(disc ? 30 : 40 + 5 * screenY + random.Below(9));
            p[1] = uint8_t(disc ? 20 : 20 + 6 * x + random.Below(9));
            p[2] = uint8_t(disc ? 60 : 250 - 3 * x - 2 * screenY);
            layer.alpha[size_t(storedY) * size_t(layer.width) + size_t(x)] =
                x < 6 && screenY < 5 ? 0 : x < 9 && screenY < 7 ? 128 : 255;
        }
    return layer;
}

}  // namespace quillory::test
