#include <gtest/gtest.h>

#include <vector>

#include "core/NearestPalette.h"
#include "core/NyZazo.h"

using namespace quillory;

namespace {

uint32_t g_seed = 1;
uint32_t Next() {
    g_seed = g_seed * 214013u + 2531011u;
    return (g_seed >> 16) & 0x7FFF;
}
uint8_t Byte() { return uint8_t(Next() & 0xFF); }

enum class Kind { Spread, Clustered, Duplicated, Grey, Lattice };

std::vector<RGBQUAD> MakePalette(Kind kind, int size) {
    std::vector<RGBQUAD> p;
    const RGBQUAD centre = MakeQuad(Byte(), Byte(), Byte());
    for (int i = 0; i < size; ++i) {
        switch (kind) {
            case Kind::Spread: p.push_back(MakeQuad(Byte(), Byte(), Byte())); break;
            case Kind::Clustered: {
                // Entries packed within a few levels of one colour: many equal distances.
                auto near = [&](uint8_t v) { return uint8_t(std::clamp(int(v) + int(Next() % 9) - 4, 0, 255)); };
                p.push_back(MakeQuad(near(centre.red), near(centre.green), near(centre.blue)));
                break;
            }
            case Kind::Duplicated:
                p.push_back(i > 0 && Next() % 3 == 0 ? p[Next() % p.size()] : MakeQuad(Byte(), Byte(), Byte()));
                break;
            case Kind::Grey: p.push_back(MakeQuad(uint8_t(i * 255 / std::max(1, size - 1)), uint8_t(i * 255 / std::max(1, size - 1)), uint8_t(i * 255 / std::max(1, size - 1)))); break;
            case Kind::Lattice:
                // Entries on a coarse lattice: colours half way between are exact ties.
                p.push_back(MakeQuad(uint8_t((i % 4) * 64), uint8_t((i / 4 % 4) * 64), uint8_t((i / 16 % 4) * 64)));
                break;
        }
    }
    return p;
}

// Colours a picture would send: random ones, ones at and beside entries, and
// midpoints between pairs of entries (where ties happen).
std::vector<RGBQUAD> Probes(const std::vector<RGBQUAD>& palette) {
    std::vector<RGBQUAD> out;
    for (int i = 0; i < 3000; ++i) out.push_back(MakeQuad(Byte(), Byte(), Byte()));
    for (const RGBQUAD& c : palette) {
        out.push_back(c);
        for (int d = -3; d <= 3; ++d)
            out.push_back(MakeQuad(uint8_t(std::clamp(c.red + d, 0, 255)), c.green, uint8_t(std::clamp(c.blue - d, 0, 255))));
    }
    for (int i = 0; i < 2000; ++i) {
        const RGBQUAD& a = palette[Next() % palette.size()];
        const RGBQUAD& b = palette[Next() % palette.size()];
        out.push_back(MakeQuad(uint8_t((a.red + b.red) / 2), uint8_t((a.green + b.green) / 2),
                               uint8_t((a.blue + b.blue) / 2)));
    }
    return out;
}

}  // namespace

TEST(NearestPalette, AgreesWithThePlainSearchOnRandomPalettesAndColours) {
    g_seed = 11;
    for (Kind kind : {Kind::Spread, Kind::Clustered, Kind::Duplicated, Kind::Grey, Kind::Lattice}) {
        for (int size : {2, 3, 7, 16, 64, 100, 255, 256}) {
            const std::vector<RGBQUAD> palette = MakePalette(kind, size);
            NearestPalette fast(palette.data(), uint32_t(size));
            for (const RGBQUAD& c : Probes(palette))
                ASSERT_EQ(fast.Find(c), NearestPaletteIndex(palette.data(), uint32_t(size), c))
                    << "kind " << int(kind) << " size " << size << " colour " << int(c.red) << "," << int(c.green)
                    << "," << int(c.blue);
        }
    }
}

TEST(NearestPalette, EveryColourOfTheCubeForSmallPalettes) {
    g_seed = 5;
    for (Kind kind : {Kind::Spread, Kind::Lattice, Kind::Duplicated}) {
        const std::vector<RGBQUAD> palette = MakePalette(kind, 6);
        NearestPalette fast(palette.data(), uint32_t(palette.size()));
        for (int r = 0; r < 256; ++r)
            for (int g = 0; g < 256; ++g)
                for (int b = 0; b < 256; ++b) {
                    const RGBQUAD c = MakeQuad(uint8_t(r), uint8_t(g), uint8_t(b));
                    if (fast.Find(c) != NearestPaletteIndex(palette.data(), uint32_t(palette.size()), c))
                        FAIL() << "kind " << int(kind) << " colour " << r << "," << g << "," << b;
                }
    }
}

TEST(NearestPalette, RowsOfPixelsAndDegeneratePalettes) {
    g_seed = 3;
    const std::vector<RGBQUAD> palette = MakePalette(Kind::Spread, 200);
    NearestPalette fast(palette.data(), 200);
    std::vector<uint8_t> pixels(4 * 500);
    for (auto& b : pixels) b = Byte();
    std::vector<uint8_t> out(500);
    for (int step : {3, 4}) {
        fast.MapPixels(pixels.data(), step, 500, out.data());
        for (int i = 0; i < 500; ++i) {
            const uint8_t* p = pixels.data() + i * step;
            ASSERT_EQ(out[i], NearestPaletteIndex(palette.data(), 200, RGBQUAD{p[0], p[1], p[2], 0})) << i;
        }
    }
    // No palette, or none of its entries, answers 0; more than 256 entries count as 256.
    NearestPalette none(nullptr, 10), empty(palette.data(), 0);
    EXPECT_EQ(none.Find(MakeQuad(9, 9, 9)), 0);
    EXPECT_EQ(empty.Find(MakeQuad(9, 9, 9)), 0);
    std::vector<RGBQUAD> big(300, MakeQuad(0, 0, 0));
    big[299] = MakeQuad(200, 200, 200);
    big[7] = MakeQuad(190, 190, 190);
    NearestPalette capped(big.data(), 300);
    EXPECT_EQ(capped.Find(MakeQuad(200, 200, 200)), 7);
    // Every entry the same colour: the first one wins everywhere.
    std::vector<RGBQUAD> same(256, MakeQuad(40, 50, 60));
    NearestPalette flat(same.data(), 256);
    EXPECT_EQ(flat.Find(MakeQuad(255, 0, 255)), 0);
}
