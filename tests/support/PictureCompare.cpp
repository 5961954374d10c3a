#include "support/PictureCompare.h"

#include <gtest/gtest.h>

#include <cstring>

namespace quillory::test {

void PatternPicture(NyZazo& picture, int width, int height, int depth) {
    ASSERT_TRUE(picture.Create(width, height, depth, 1));
    if (depth <= 8) {
        const int entries = 1 << depth;
        for (int i = 0; i < entries; ++i)
            picture.SetPaletteColour(i, uint8_t(i * 37 + 11), uint8_t(255 - i * 13), uint8_t(i * i + 3));
    }
    const size_t used = (size_t(width) * depth + 7) / 8;
    for (int y = 0; y < height; ++y) {
        uint8_t* row = picture.Row(y);
        for (size_t i = 0; i < used; ++i) row[i] = uint8_t(i * 29 + size_t(y) * 71 + (i * y) % 13);
        // The bits past the last pixel of a 1- or 4-bit row are not part of the picture.
        const int spare = int(used * 8 - size_t(width) * depth);
        if (spare) row[used - 1] &= uint8_t(0xFF << spare);
    }
}

void SamePicture(const NyZazo& expected, const NyZazo& actual) {
    ASSERT_NE(actual.dib, nullptr);
    ASSERT_EQ(actual.Width(), expected.Width());
    ASSERT_EQ(actual.Height(), expected.Height());
    ASSERT_EQ(actual.BitCount(), expected.BitCount());
    ASSERT_EQ(actual.header.biClrUsed, expected.header.biClrUsed);
    for (uint32_t i = 0; i < expected.header.biClrUsed; ++i) {
        const RGBQUAD a = expected.GetPalette()[i], b = actual.GetPalette()[i];
        EXPECT_TRUE(a.red == b.red && a.green == b.green && a.blue == b.blue) << "palette entry " << i;
    }
    const size_t used = (size_t(expected.Width()) * expected.BitCount() + 7) / 8;
    for (int y = 0; y < expected.Height(); ++y)
        ASSERT_EQ(std::memcmp(expected.Row(y), actual.Row(y), used), 0) << "stored row " << y;
}

std::vector<uint8_t> ShownRgba(const NyZazo& picture) {
    const int width = picture.Width(), height = picture.Height();
    std::vector<uint8_t> out(size_t(width) * size_t(height) * 4);
    for (int top = 0; top < height; ++top) {
        const int storedY = height - 1 - top;
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &out[(size_t(top) * width + x) * 4];
            const RGBQUAD c = picture.GetPixelColour(x, storedY);
            p[0] = c.red, p[1] = c.green, p[2] = c.blue, p[3] = 255;
            if (picture.BitCount() == 32) p[3] = picture.Row(storedY)[4 * x + 3];
            if (picture.BitCount() <= 8 && picture.GetPixelIndex(x, storedY) == picture.transparentIndex) p[3] = 0;
        }
    }
    return out;
}

}  // namespace quillory::test
