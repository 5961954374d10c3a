#pragma once
// Small builders for document tests: documents of a given size, layers filled
// with deterministic pseudo-random content, and a plain per-pixel blend used as
// the reference for the compositor.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "core/ClassicRandom.h"
#include "document/CVandDoc.h"

namespace quillory::test {

inline std::unique_ptr<CVandDoc> MakeDocument(int width, int height,
                                              int background = NewPictureSettings::White) {
    auto document = std::make_unique<CVandDoc>();
    NewPictureSettings settings;
    settings.width = width;
    settings.height = height;
    settings.background = background;
    if (!document->NewDocument(settings)) return nullptr;
    return document;
}

// The classic C library generator, with bytes drawn from it.
struct TestRandom : ClassicRandom {
    using ClassicRandom::ClassicRandom;
    uint8_t Byte() { return uint8_t(Next() & 0xFF); }
};

// Fills pixels with random colours and alpha with a mix of 0, 255 and random values.
inline void FillRandom(LayerRecord& layer, uint32_t seed) {
    TestRandom random(seed);
    for (auto& b : layer.pixels) b = random.Byte();
    for (auto& a : layer.alpha) {
        const int pick = random.Next() % 4;
        a = pick == 0 ? 0 : pick == 1 ? 255 : random.Byte();
    }
}

inline void FillSolid(LayerRecord& layer, RGBQUAD colour, uint8_t alpha) {
    for (int y = 0; y < layer.height; ++y) {
        uint8_t* row = layer.PixelRow(y);
        for (int x = 0; x < layer.width; ++x) row[3 * x] = colour.blue, row[3 * x + 1] = colour.green, row[3 * x + 2] = colour.red;
    }
    std::fill(layer.alpha.begin(), layer.alpha.end(), alpha);
}

struct Pixel {
    uint8_t b = 0, g = 0, r = 0, a = 0;
    friend bool operator==(const Pixel&, const Pixel&) = default;
};

inline int ReferenceMode(int mode, int a, int b) {
    switch (mode) {
        case 2: return (a * b) >> 8;
        case 3: return 255 - (((255 - a) * (255 - b)) >> 8);
        case 4: return a < b ? a : b;
        case 5: return a > b ? a : b;
        case 6: return a > b ? a - b : b - a;
        case 7: { const int d = 255 - a - b; return 255 - (d < 0 ? -d : d); }
        case 8: return a + b - ((a * b) >> 7);
        case 9: return b < 128 ? (a * b) >> 7 : 255 - (((255 - a) * (255 - b)) >> 7);
        default: return -1;
    }
}

// The colour the visible 24-bit stack gives one document pixel (row counted from the bottom).
inline Pixel ReferencePixel(const CVandDoc& document, int column, int rowFromBottom, int first = -2, int count = -1) {
    Pixel out;
    bool firstOfPass = true;
    int walked = 0;
    for (int i = first == -2 ? document.HeadLayer() : first; i >= 0; i = document.Layer(i).next) {
        if (count > 0 && walked++ >= count) break;
        const LayerRecord& layer = document.Layer(i);
        if (layer.visible != 1) continue;
        const bool isFirst = firstOfPass;
        firstOfPass = false;
        const int lx = column - layer.x, ly = rowFromBottom + layer.y;
        if (lx < 0 || lx >= layer.width || ly < 0 || ly >= layer.height) continue;
        const int R = layer.alpha[size_t(ly) * layer.width + lx];
        if (R == 0) continue;
        const uint8_t* p = &layer.pixels[size_t(ly) * layer.stride + size_t(lx) * 3];
        const int source[3] = {p[0], p[1], p[2]};
        uint8_t* channel[3] = {&out.b, &out.g, &out.r};
        const float a = R == 255 ? 1.0f : float(R) / 255.0f;
        const float W = a * float(255 - layer.transparency) / 255.0f;
        const int mode = ReferenceMode(layer.blendMode, 0, 0);
        for (int c = 0; c < 3; ++c) {
            if (isFirst) {
                *channel[c] = uint8_t(W * float(source[c]));
            } else if (mode < 0) {
                *channel[c] = uint8_t(W * float(source[c]) + (1.0f - W) * float(*channel[c]));
            } else {
                *channel[c] = uint8_t(ReferenceMode(layer.blendMode, *channel[c], source[c]));
            }
        }
        out.a = uint8_t(out.a == 0 ? R : std::min(255, (R + 1) * out.a));
    }
    return out;
}

inline Pixel PixelAt(const std::vector<uint32_t>& buffer, int width, int x, int screenY) {
    const uint32_t v = buffer[size_t(screenY) * width + x];
    return Pixel{uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
}

}  // namespace quillory::test
