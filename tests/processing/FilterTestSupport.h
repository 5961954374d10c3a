#pragma once
// Pictures for the filter tests: stored bottom-up with padded rows like a layer and
// handed to the filters in stored order as the document does,
// random content with random alpha, running a filter on a copy, comparing with
// zero tolerance (writing both pictures as PNG files on a mismatch), and compact
// golden data as hexadecimal text.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/ClassicRandom.h"
#include "processing/FilterPlanes.h"
#include "support/TestFiles.h"

namespace quillory::test {

struct Picture {
    int width = 0;
    int height = 0;
    int stride = 0;
    std::vector<uint8_t> pixels;  // rows bottom-up, `stride` bytes apart
    std::vector<uint8_t> alpha;   // rows bottom-up
    RGBQUAD background{0, 0, 0, 0};

    Picture() = default;
    Picture(int w, int h) : width(w), height(h), stride(((24 * w + 31) / 32) * 4) {
        pixels.assign(size_t(stride) * size_t(h), 0);
        alpha.assign(size_t(w) * size_t(h), 255);
    }
    // The planes a filter gets: row y is stored row y (row 0 at the bottom as shown).
    LayerPlanesView View() const {
        LayerPlanesView v = StoredOrderPlanes<const uint8_t>(pixels.data(), stride, alpha.data(), width, height);
        v.background = background;
        return v;
    }
    LayerPlanes Planes() {
        LayerPlanes p = StoredOrderPlanes<uint8_t>(pixels.data(), stride, alpha.data(), width, height);
        p.background = background;
        return p;
    }
    // (x, y) as the filters address it: y = 0 is the first stored row, the bottom one as shown.
    RGBQUAD At(int x, int y) const { return View().Colour(x, y); }
    void Set(int x, int y, RGBQUAD c) { PutColour(Planes(), x, y, c); }
    uint8_t& AlphaAt(int x, int y) { return alpha[size_t(y) * size_t(width) + size_t(x)]; }
    void Fill(RGBQUAD c) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) Set(x, y, c);
    }
    // Colour bytes only (row padding ignored), rows top-down as shown.
    std::vector<uint8_t> Colours() const {
        std::vector<uint8_t> out;
        for (int y = height - 1; y >= 0; --y)
            for (int x = 0; x < width; ++x) {
                RGBQUAD c = At(x, y);
                out.insert(out.end(), {c.blue, c.green, c.red});
            }
        return out;
    }
};

// Random colours; alpha a mix of 0, 255 and other values when `randomAlpha`.
inline Picture RandomPicture(int width, int height, uint32_t seed, bool randomAlpha = true) {
    Picture p(width, height);
    ClassicRandom random(seed);
    for (auto& b : p.pixels) b = uint8_t(random.Next() & 0xFF);
    for (auto& a : p.alpha) {
        const int pick = randomAlpha ? random.Next() % 4 : 1;
        a = pick == 0 ? 0 : pick == 1 ? 255 : uint8_t(random.Next() & 0xFF);
    }
    return p;
}

// Random blobs of a few colours, which the region and noise filters have something to work on.
inline Picture BlobPicture(int width, int height, uint32_t seed, int colours = 4) {
    Picture p(width, height);
    ClassicRandom random(seed);
    std::vector<RGBQUAD> palette;
    for (int i = 0; i < colours; ++i)
        palette.push_back(RGBQUAD{uint8_t(random.Next()), uint8_t(random.Next()), uint8_t(random.Next()), 0});
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int cell = ((x / 3) * 7 + (y / 2) * 13 + random.Next() % 2) % colours;
            RGBQUAD c = palette[size_t(cell)];
            const int jitter = random.Next() % 9 - 4;
            c.red = uint8_t(std::clamp(c.red + jitter, 0, 255));
            p.Set(x, height - 1 - y, c);  // y counted from the top
        }
    return p;
}

inline std::string Hex(const std::vector<uint8_t>& bytes) {
    static const char* digits = "0123456789abcdef";
    std::string s;
    for (uint8_t b : bytes) s += digits[b >> 4], s += digits[b & 15];
    return s;
}

inline uint64_t Fnv1a(const std::vector<uint8_t>& bytes) {
    uint64_t h = 1469598103934665603ull;
    for (uint8_t b : bytes) h = (h ^ b) * 1099511628211ull;
    return h;
}

inline RgbaImage ToRgba(const Picture& p) {
    RgbaImage image{p.width, p.height, {}};
    for (int y = p.height - 1; y >= 0; --y)
        for (int x = 0; x < p.width; ++x) {
            RGBQUAD c = p.At(x, y);
            image.rgba.insert(image.rgba.end(), {c.red, c.green, c.blue, 255});
        }
    return image;
}

// Zero tolerance; on a mismatch both pictures go to the temporary folder as PNG files.
inline ::testing::AssertionResult SamePicture(const Picture& actual, const Picture& expected, const std::string& name) {
    if (actual.width == expected.width && actual.height == expected.height && actual.Colours() == expected.Colours() &&
        actual.alpha == expected.alpha)
        return ::testing::AssertionSuccess();
    const auto folder = std::filesystem::temp_directory_path() / "quillory-filter-failures";
    std::filesystem::create_directories(folder);
    SavePng((folder / (name + "-actual.png")).string(), ToRgba(actual));
    SavePng((folder / (name + "-expected.png")).string(), ToRgba(expected));
    long long differing = 0;
    if (actual.width == expected.width && actual.height == expected.height)
        for (int y = 0; y < actual.height; ++y)
            for (int x = 0; x < actual.width; ++x) differing += !(actual.At(x, y) == expected.At(x, y));
    return ::testing::AssertionFailure() << name << ": " << differing << " pixels differ; pictures in "
                                         << folder.string();
}

// Runs `filter(source, destination)` on a copy of the picture, as the document does.
template <typename Filter>
Picture Filtered(const Picture& input, Filter&& filter) {
    Picture output = input;
    EXPECT_TRUE(filter(input.View(), output.Planes()));
    return output;
}

}  // namespace quillory::test
