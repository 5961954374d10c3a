#include <gtest/gtest.h>

#include <cstring>

#include "core/NyZazo.h"

using namespace quillory;

TEST(NyZazoCreate, RefusesZeroSizesAndKeepsThePreviousBlock) {
    NyZazo p(4, 4, 24, 1);
    uint8_t* before = p.dib;
    EXPECT_EQ(p.Create(0, 5, 24, 1), nullptr);
    EXPECT_EQ(p.Create(5, 0, 24, 1), nullptr);
    EXPECT_EQ(p.dib, before);
    EXPECT_EQ(p.Width(), 4);
}

TEST(NyZazoCreate, RaisesDepthsToSupportedOnes) {
    const int asked[] = {0, 1, 2, 3, 4, 5, 8, 9, 16, 24, 25, 32, 33};
    const int got[] = {1, 1, 4, 4, 4, 8, 8, 24, 24, 24, 32, 32, 32};
    for (size_t i = 0; i < std::size(asked); ++i) {
        NyZazo p(3, 3, asked[i], 1);
        EXPECT_EQ(p.BitCount(), got[i]) << "asked " << asked[i];
        EXPECT_EQ(p.colourKind, got[i] <= 8 ? 1 : 2);
    }
}

TEST(NyZazoCreate, ThreeByTwoTwentyFourBitLayout) {
    NyZazo p(3, 2, 24, 1);
    EXPECT_EQ(p.rowBytes, 12u);
    EXPECT_EQ(p.header.biSizeImage, 24u);
    EXPECT_EQ(p.GetSize(), 64u);
    for (uint32_t i = 0; i < 24; ++i) EXPECT_EQ(p.bits[i], 0xFF);
    EXPECT_EQ(p.bits, p.dib + 40);
    BITMAPINFOHEADER h = ReadInfoHeader(p.dib);
    EXPECT_EQ(h.biWidth, 3);
    EXPECT_EQ(h.biSizeImage, 24u);
}

TEST(NyZazoCreate, OneBitPaletteIsBlack) {
    NyZazo p(10, 1, 1, 1);
    EXPECT_EQ(p.rowBytes, 4u);
    EXPECT_EQ(p.header.biClrUsed, 2u);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(p.dib[40 + i], 0);
    EXPECT_EQ(p.GetPixelIndex(9, 0), 1);  // white fill means the highest index
}

TEST(NyZazoCreate, RefusesSizesPastTheCapAndNegativeSizes) {
    NyZazo p(2, 2, 8, 1);
    EXPECT_EQ(p.Create(-3, 5, 24, 1), nullptr);
    EXPECT_EQ(p.Create(70000, 70000, 32, 1), nullptr);
    EXPECT_NE(p.dib, nullptr);
    EXPECT_EQ(p.Width(), 2);
}
