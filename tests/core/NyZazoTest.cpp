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

TEST(NyZazoPixels, OutsideReadsFollowTransparencyAndBackColour) {
    NyZazo pal(4, 4, 8, 1);
    pal.SetPaletteColour(3, 10, 20, 30);
    EXPECT_EQ(pal.GetPixelIndex(-1, 0), 0);
    pal.transparentIndex = 3;
    EXPECT_EQ(pal.GetPixelIndex(-1, 0), 3);
    EXPECT_EQ(pal.GetPixelColour(4, 0), MakeQuad(10, 20, 30));

    NyZazo rgb(4, 4, 24, 1);
    rgb.transparentIndex = 3;
    rgb.backColour = MakeQuad(1, 2, 3);
    EXPECT_EQ(rgb.GetPixelColour(-1, 2), MakeQuad(1, 2, 3));
    EXPECT_EQ(rgb.GetPixelColour(0, 4), MakeQuad(1, 2, 3));
}

TEST(NyZazoPixels, IndicesAtEveryPaletteDepthKeepNeighbours) {
    for (int depth : {1, 4, 8}) {
        NyZazo p(13, 3, depth, 1);
        int mask = (1 << depth) - 1;
        for (int x = 0; x < 13; ++x) p.SetPixelIndex(x, 1, uint8_t((x * 5) & mask));
        for (int x = 0; x < 13; ++x) EXPECT_EQ(p.GetPixelIndex(x, 1), (x * 5) & mask) << depth << " x " << x;
        EXPECT_EQ(p.GetPixelIndex(0, 0), mask);  // untouched row keeps the white fill
        p.SetPixelIndex(13, 1, 0);               // outside: ignored
        p.SetPixelIndex(-1, 1, 0);
        EXPECT_EQ(p.GetPixelIndex(12, 1), (12 * 5) & mask);
    }
}

TEST(NyZazoPixels, SetPixelColourSquareRules) {
    NyZazo rgb(5, 5, 24, 1);
    rgb.SetPixelColour(1, 1, MakeQuad(9, 8, 7), 3);
    int changed = 0;
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) changed += rgb.GetPixelColour(x, y) == MakeQuad(9, 8, 7);
    EXPECT_EQ(changed, 1);

    NyZazo pal(5, 5, 8, 1);
    pal.SetPaletteColour(0, 0, 0, 0);
    pal.SetPaletteColour(1, 200, 0, 0);
    pal.SetPixelColour(1, 1, MakeQuad(190, 10, 0), 3);
    changed = 0;
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) changed += pal.GetPixelIndex(x, y) == 1;
    EXPECT_EQ(changed, 9);

    NyZazo edge(5, 5, 8, 1);
    edge.SetPixelColour(3, 3, MakeQuad(0, 0, 0), 3);  // would reach past the right edge
    edge.SetPixelColour(-1, 0, MakeQuad(0, 0, 0), 1);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(edge.GetPixelIndex(x, y), 255);
}

TEST(NyZazoPixels, ThirtyTwoBitKeepsFourthByte) {
    NyZazo p(2, 1, 32, 1);
    p.bits[3] = 77;
    p.SetPixelColour(0, 0, MakeQuad(1, 2, 3, 200));
    EXPECT_EQ(p.GetPixelColour(0, 0), MakeQuad(1, 2, 3, 77));
}

TEST(NyZazoPalette, GreyPaletteAndGreyScaleTest) {
    NyZazo p16(2, 2, 4, 1);
    p16.SetGreyPalette();
    for (int i = 0; i < 16; ++i) EXPECT_EQ(p16.GetPaletteColour(i).red, i * 17);
    EXPECT_FALSE(p16.IsGreyScale());
    NyZazo p256(2, 2, 8, 1);
    p256.SetGreyPalette();
    EXPECT_TRUE(p256.IsGreyScale());
    NyZazo p2(2, 2, 1, 1);
    p2.SetGreyPalette();
    EXPECT_EQ(p2.GetPaletteColour(1), MakeQuad(255, 255, 255));
    NyZazo rgb(2, 2, 24, 1);
    EXPECT_FALSE(rgb.IsGreyScale());
}

TEST(NyZazoPalette, NearestIndexKeepsFirstOnTiesAndStopsAtExact) {
    NyZazo p(2, 2, 8, 1);
    p.SetPaletteColour(4, 10, 0, 0);
    p.SetPaletteColour(5, 30, 0, 0);
    p.SetPaletteColour(6, 20, 0, 0);
    p.SetPaletteColour(7, 20, 0, 0);
    // Entry 0 and the others are black; (20,0,0) is found exactly at 6.
    EXPECT_EQ(p.GetNearestIndex(MakeQuad(20, 0, 0)), 6);
    // 10 and 30 are equally far from 20... but 6 is exact; ask for 25: 5 and 6/7 are 5 away, 6 comes first.
    EXPECT_EQ(p.GetNearestIndex(MakeQuad(25, 0, 0)), 5);
    NyZazo q(2, 2, 8, 1);
    for (int i = 0; i < 256; ++i) q.SetPaletteColour(i, 255, 255, 255);
    q.SetPaletteColour(10, 100, 0, 0);
    q.SetPaletteColour(11, 120, 0, 0);
    EXPECT_EQ(q.GetNearestIndex(MakeQuad(110, 0, 0)), 10);
}

TEST(NyZazoPalette, GuardsAndSetPaletteSubstitution) {
    NyZazo p(2, 2, 4, 1);
    uint8_t red[20];
    for (int i = 0; i < 20; ++i) red[i] = uint8_t(i + 1);
    p.SetPalette(20, red);  // green and blue default to red; only 16 entries exist
    EXPECT_EQ(p.GetPaletteColour(15), MakeQuad(16, 16, 16));
    EXPECT_EQ(p.GetPaletteColour(16), RGBQUAD{});
    p.SetPaletteEntry(16, MakeQuad(1, 1, 1));  // ignored
    EXPECT_EQ(p.GetPaletteColour(256 + 3), p.GetPaletteColour(3));  // low byte of the index
    NyZazo rgb(2, 2, 24, 1);
    EXPECT_EQ(rgb.GetPalette(), nullptr);
    rgb.SetPaletteColour(0, 1, 2, 3);
    EXPECT_EQ(rgb.GetPaletteColour(0), RGBQUAD{});
}

TEST(NyZazoDpi, PelsPerMeterFollowDpi) {
    NyZazo p;
    EXPECT_EQ(p.header.biXPelsPerMeter, 2835);
    p.SetDpiX(300);
    EXPECT_EQ(p.header.biXPelsPerMeter, 11811);
    p.SetDpiY(96);
    EXPECT_EQ(p.header.biYPelsPerMeter, 3780);
    p.SetDpiX(INT32_MAX);  // saturates instead of overflowing the header field
    EXPECT_EQ(p.header.biXPelsPerMeter, INT32_MAX);
}

TEST(NyZazoSwap, SwapRedBlueStaysInsideTheRow) {
    NyZazo p(2, 1, 24, 1);  // rowBytes 8
    uint8_t row[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    p.SwapRedBlue(row, 100);
    const uint8_t expected[8] = {3, 2, 1, 6, 5, 4, 7, 8};
    EXPECT_EQ(0, std::memcmp(row, expected, 8));
    NyZazo pal(2, 1, 8, 1);
    pal.SwapRedBlue(row, 8);
    EXPECT_EQ(0, std::memcmp(row, expected, 8));
    EXPECT_EQ(NyZazo::SwapColourOrder(RGBQUAD{1, 2, 3, 4}), (RGBQUAD{3, 2, 1, 0}));
}

TEST(NyZazoBlocks, CopyShareAndTakeOver) {
    NyZazo src(5, 3, 8, 2);
    src.SetPaletteColour(7, 1, 2, 3);
    src.SetPixelIndex(4, 2, 7);
    src.transparentIndex = 7;
    NyZazo copy(src, true);
    EXPECT_NE(copy.dib, src.dib);
    EXPECT_EQ(copy.GetPixelColour(4, 2), MakeQuad(1, 2, 3));
    EXPECT_EQ(copy.transparentIndex, 7);
    EXPECT_EQ(copy.formatType, 2);

    {
        NyZazo borrower;
        borrower.ShareFrom(src);
        EXPECT_EQ(borrower.dib, src.dib);
        EXPECT_EQ(borrower.sharedFrom, &src);
        EXPECT_EQ(borrower.GetPixelIndex(4, 2), 7);
    }
    // The borrowed block survived the borrower.
    EXPECT_EQ(src.GetPixelIndex(4, 2), 7);
    uint32_t out = 0;
    TargetBuffer target(&out, 1, 1);
    EXPECT_TRUE(src.Draw(&target, 0, 0, 1, 1));

    // TakeOver moves the block itself: no second block of the picture's size.
    NyZazo taker(4, 4, 24, 1);
    const uint8_t* moved = copy.dib;
    EXPECT_TRUE(taker.TakeOver(copy));
    EXPECT_EQ(taker.dib, moved);
    EXPECT_EQ(copy.dib, nullptr);
    EXPECT_EQ(copy.bits, nullptr);
    EXPECT_EQ(taker.Width(), 5);
    EXPECT_EQ(taker.GetPixelIndex(4, 2), 7);
    // A borrowed block stays with its owner; the taker gets a copy of its own.
    {
        NyZazo borrower;
        borrower.ShareFrom(src);
        NyZazo own;
        EXPECT_TRUE(own.TakeOver(borrower));
        EXPECT_NE(own.dib, src.dib);
        EXPECT_EQ(own.sharedFrom, nullptr);
        EXPECT_EQ(own.GetPixelIndex(4, 2), 7);
        EXPECT_EQ(borrower.dib, nullptr);
    }
    EXPECT_EQ(src.GetPixelIndex(4, 2), 7);

    NyZazo fromShared;
    NyZazo borrower;
    borrower.ShareFrom(src);
    fromShared.Copy(borrower, false);
    EXPECT_EQ(fromShared.sharedFrom, nullptr);  // the copy owns its block
    EXPECT_EQ(fromShared.GetPixelColour(4, 2), MakeQuad(1, 2, 3));

    NyZazo info;
    info.CopyInfo(src);
    EXPECT_EQ(info.transparentIndex, 7);
    NyZazo holding(2, 2, 8, 1);
    holding.CopyInfo(src);  // has a block: nothing changes
    EXPECT_EQ(holding.transparentIndex, -1);
}

TEST(NyZazoDraw, StretchDropsPixelsAndClips) {
    NyZazo p(2, 2, 24, 1);
    p.SetPixelColour(0, 1, MakeQuad(255, 0, 0));  // top-left as shown
    p.SetPixelColour(1, 0, MakeQuad(0, 0, 255));  // bottom-right
    std::vector<uint32_t> buffer(16, 0);
    TargetBuffer target(buffer.data(), 4, 4);
    EXPECT_TRUE(p.Draw(&target, 0, 0, 4, 4));
    EXPECT_EQ(buffer[0], 0xFFFF0000u);
    EXPECT_EQ(buffer[5], 0xFFFF0000u);
    EXPECT_EQ(buffer[15], 0xFF0000FFu);
    EXPECT_EQ(buffer[3], 0xFFFFFFFFu);

    std::fill(buffer.begin(), buffer.end(), 0);
    IntRect clip{1, 1, 2, 2};
    EXPECT_TRUE(p.DrawClipped(&target, 0, 0, -1, -1, &clip));
    EXPECT_EQ(buffer[5], 0xFF0000FFu);
    EXPECT_EQ(buffer[0], 0u);
    EXPECT_EQ(target.clip.right, 4);  // clip restored
    EXPECT_TRUE(p.DrawClipped(&target, 0, 0, 3, 3, nullptr));  // not the picture's size: nothing drawn
    p.drawEnabled = 0;
    EXPECT_FALSE(p.DrawClipped(&target, 0, 0, -1, -1, nullptr));
    p.drawEnabled = 1;

    std::fill(buffer.begin(), buffer.end(), 0);
    IntRect all{0, 0, 3, 4};
    EXPECT_TRUE(p.DrawTiled(&target, &all));
    EXPECT_EQ(buffer[0], 0xFFFF0000u);
    EXPECT_EQ(buffer[2], 0xFFFF0000u);
    EXPECT_EQ(buffer[3], 0u);  // outside the rectangle
    EXPECT_EQ(buffer[2 * 4 + 2], 0xFFFF0000u);
}

TEST(NyZazoPackedDib, RoundTripsAndRejectsShortBlocks) {
    NyZazo p(3, 2, 8, 1);
    p.SetPaletteColour(5, 9, 8, 7);
    p.SetPixelIndex(2, 1, 5);
    p.SetDpiX(300);
    p.SetDpiY(300);
    std::vector<uint8_t> dib = p.ToPackedDib();
    NyZazo q;
    int32_t ppm = 0;
    ASSERT_TRUE(q.CreateFromPackedDib(dib.data(), dib.size(), false, &ppm));
    EXPECT_EQ(ppm, 11811);
    EXPECT_EQ(q.dpiX, 300);
    EXPECT_EQ(q.GetPixelColour(2, 1), MakeQuad(9, 8, 7));

    NyZazo r(1, 1, 24, 1);
    EXPECT_FALSE(r.CreateFromPackedDib(dib.data(), dib.size() - 1, false, nullptr));
    EXPECT_EQ(r.Width(), 1);
    BITMAPINFOHEADER h = ReadInfoHeader(dib.data());
    h.biWidth = 100000;
    WriteInfoHeader(dib.data(), h);
    EXPECT_FALSE(r.CreateFromPackedDib(dib.data(), dib.size(), false, nullptr));
}
