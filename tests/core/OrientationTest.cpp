// Flips and quarter turns at every depth, checked pixel by pixel against the
// mapping as shown (x to the right, screen rows from the top).
#include <gtest/gtest.h>

#include <string>

#include "core/NyZazo.h"
#include "core/Orientation.h"

using namespace quillory;

namespace {

// Distinct values at every position; palette pictures use all their indices.
void Fill(NyZazo& p) {
    for (uint32_t i = 0; i < p.header.biClrUsed; ++i) p.SetPaletteColour(int(i), uint8_t(i), uint8_t(i * 3), uint8_t(255 - i));
    for (int y = 0; y < p.Height(); ++y)
        for (int x = 0; x < p.Width(); ++x) {
            if (p.header.biClrUsed) {
                p.SetPixelIndex(x, y, uint8_t((x + y * p.Width()) % p.header.biClrUsed));
            } else {
                uint8_t* px = p.Row(y) + size_t(x) * (p.BitCount() / 8);
                px[0] = uint8_t(x * 40 + y), px[1] = uint8_t(y * 50 + 1), px[2] = uint8_t(x + 100);
                if (p.BitCount() == 32) px[3] = uint8_t(x * 11 + y * 7);  // the fourth byte travels too
            }
        }
}

// The full pixel value as shown at (x, screenY): index, or all four bytes.
uint32_t Shown(const NyZazo& p, int x, int screenY) {
    const int y = p.Height() - 1 - screenY;
    if (p.header.biClrUsed) return p.GetPixelIndex(x, y);
    const RGBQUAD c = p.GetPixelColour(x, y);
    return uint32_t(c.blue) | uint32_t(c.green) << 8 | uint32_t(c.red) << 16 |
           (p.BitCount() == 32 ? uint32_t(c.reserved) << 24 : 0);
}

}  // namespace

TEST(Orientation, FlipsAndTurnsAtEveryDepth) {
    // 9 x 5 crosses byte boundaries at 1 and 4 bits and leaves row padding at every depth.
    const int width = 9, height = 5;
    for (int depth : {1, 4, 8, 24, 32}) {
        SCOPED_TRACE("depth " + std::to_string(depth));
        NyZazo original(width, height, depth, 1);
        Fill(original);
        original.SetDpiX(300);
        original.SetDpiY(150);

        NyZazo mirrored(original, true);
        MirrorLeftRight(mirrored);
        NyZazo flipped(original, true);
        FlipTopBottom(flipped);
        NyZazo clockwise(original, true);
        ASSERT_TRUE(RotateClockwise(clockwise));
        NyZazo counter(original, true);
        ASSERT_TRUE(RotateCounterClockwise(counter));

        ASSERT_EQ(clockwise.Width(), height);
        ASSERT_EQ(clockwise.Height(), width);
        ASSERT_EQ(counter.Width(), height);
        EXPECT_EQ(clockwise.BitCount(), depth);
        EXPECT_EQ(clockwise.dpiX, 150);
        EXPECT_EQ(clockwise.dpiY, 300);
        EXPECT_EQ(clockwise.header.biClrUsed, original.header.biClrUsed);
        if (original.header.biClrUsed) {
            EXPECT_EQ(clockwise.GetPaletteColour(1), original.GetPaletteColour(1));
        }

        for (int sy = 0; sy < height; ++sy)
            for (int x = 0; x < width; ++x) {
                const uint32_t v = Shown(original, x, sy);
                EXPECT_EQ(Shown(mirrored, width - 1 - x, sy), v);
                EXPECT_EQ(Shown(flipped, x, height - 1 - sy), v);
                // Clockwise: the top row becomes the right column, read downwards.
                EXPECT_EQ(Shown(clockwise, height - 1 - sy, x), v);
                EXPECT_EQ(Shown(counter, sy, width - 1 - x), v);
            }
    }
}

TEST(Orientation, TiffOrientationsMatchTheirDefinitions) {
    // Orientation o: the stored row 0 / column 0 lie at these sides as shown.
    NyZazo stored(4, 3, 8, 1);
    Fill(stored);
    for (int o = 1; o <= 9; ++o) {
        SCOPED_TRACE(o);
        NyZazo p(stored, true);
        ASSERT_TRUE(ApplyTiffOrientation(p, o));
        const bool transposed = o >= 5 && o <= 8;
        ASSERT_EQ(p.Width(), transposed ? 3 : 4);
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 4; ++c) {
                int x = c, sy = r;  // 1 and unknown values: as stored
                switch (o) {
                    case 2: x = 3 - c; break;
                    case 3: x = 3 - c, sy = 2 - r; break;
                    case 4: sy = 2 - r; break;
                    case 5: x = r, sy = c; break;
                    case 6: x = 2 - r, sy = c; break;
                    case 7: x = 2 - r, sy = 3 - c; break;
                    case 8: x = r, sy = 3 - c; break;
                }
                EXPECT_EQ(Shown(p, x, sy), Shown(stored, c, r)) << "row " << r << " column " << c;
            }
    }
}
