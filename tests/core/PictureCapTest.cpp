// Tiny files that claim huge pictures are refused before anything of their size is
// allocated; the pixel count cap can be raised from the environment.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/CoreTexts.h"
#include "core/DibTypes.h"
#include "core/ImageStream.h"
#include "core/NyZazo.h"
#include "core/SizeMath.h"

using namespace quillory;

namespace {

using Bytes = std::vector<uint8_t>;

void Le16To(Bytes& b, uint16_t v) { b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8)}); }
void Le32To(Bytes& b, uint32_t v) { b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}); }

// A GIF whose screen and only frame claim the size, with one byte of LZW data.
Bytes HugeGif(uint16_t width, uint16_t height) {
    Bytes b{'G', 'I', 'F', '8', '9', 'a'};
    Le16To(b, width);
    Le16To(b, height);
    b.insert(b.end(), {0x80, 0, 0, 0, 0, 0, 255, 255, 255});  // two global colours
    b.push_back(0x2C);
    Le16To(b, 0);
    Le16To(b, 0);
    Le16To(b, width);
    Le16To(b, height);
    b.insert(b.end(), {0, 2, 2, 0x4C, 0x01, 0, 0x3B});
    b.resize(1540, 0);
    return b;
}

// A run-length BMP of 8 bits whose data is one end-of-bitmap code.
Bytes HugeRleBmp(int32_t width, int32_t height) {
    Bytes b{'B', 'M'};
    Le32To(b, 0);
    Le32To(b, 0);
    Le32To(b, 14 + 40 + 1024);
    Le32To(b, 40);
    Le32To(b, uint32_t(width));
    Le32To(b, uint32_t(height));
    Le16To(b, 1);
    Le16To(b, 8);
    Le32To(b, 1);  // RLE8
    for (int i = 0; i < 5; ++i) Le32To(b, 0);
    b.resize(14 + 40 + 1024, 0);
    b.insert(b.end(), {0, 1});
    b.resize(27000, 0);
    return b;
}

// A little-endian TIFF of one uncompressed grey strip that claims the size.
Bytes HugeTiff(uint32_t width, uint32_t height) {
    Bytes b{'I', 'I', 42, 0};
    Le32To(b, 8);
    const uint16_t entries = 8;
    Le16To(b, entries);
    auto entry = [&](uint16_t tag, uint16_t type, uint32_t value) {
        Le16To(b, tag);
        Le16To(b, type);
        Le32To(b, 1);
        Le32To(b, value);
    };
    entry(256, 4, width);
    entry(257, 4, height);
    entry(258, 3, 8);
    entry(259, 3, 1);
    entry(262, 3, 1);
    entry(273, 4, 200);
    entry(278, 4, height);
    entry(279, 4, 1000);
    Le32To(b, 0);
    b.resize(3000, 0);
    return b;
}

bool DecodeAs(const Bytes& bytes, int format, NyZazo& out) {
    ImageStream s(bytes.data(), uint32_t(bytes.size()));
    return out.Decode(s, format);
}

// Sets the pixel count cap for one scope.
class PixelCountCap {
public:
    explicit PixelCountCap(uint64_t cap) : m_saved(PixelCountLimit()) { PixelCountLimit() = cap; }
    ~PixelCountCap() { PixelCountLimit() = m_saved; }

private:
    uint64_t m_saved;
};

}  // namespace

TEST(PictureCap, TinyFilesClaimingHugePicturesAreRefused) {
    struct Case {
        const char* name;
        Bytes bytes;
        int format;
    };
    const Case cases[] = {
        {"gif", HugeGif(26762, 24101), 2},
        {"rle bmp", HugeRleBmp(3801216, 128), 1},
        {"tiff", HugeTiff(20000, 20000), 3},
    };
    for (const Case& c : cases) {
        NyZazo p(2, 2, 24, 1);
        EXPECT_FALSE(DecodeAs(c.bytes, c.format, p)) << c.name;
        EXPECT_STREQ(p.lastError, texts::kPictureTooLarge) << c.name;
        EXPECT_EQ(p.Width(), 2) << c.name;  // the target is untouched
        NyZazo detected;
        EXPECT_FALSE(DecodeAs(c.bytes, -1, detected)) << c.name;
    }
}

TEST(PictureCap, TheCountCapComesFromTheEnvironmentAndCanBeRaised) {
    EXPECT_EQ(PixelCountLimitFrom(nullptr), kDefaultMaxPixels);
    EXPECT_EQ(PixelCountLimitFrom(""), kDefaultMaxPixels);
    EXPECT_EQ(PixelCountLimitFrom("abc"), kDefaultMaxPixels);
    EXPECT_EQ(PixelCountLimitFrom("0"), kDefaultMaxPixels);
    EXPECT_EQ(PixelCountLimitFrom("-5"), kDefaultMaxPixels);
    EXPECT_EQ(PixelCountLimitFrom("99999999999999999999999"), kDefaultMaxPixels);
    EXPECT_EQ(PixelCountLimitFrom("1000000000"), 1000000000u);

    // 2^28 pixels pass at one bit; one row more does not.
    EXPECT_TRUE(FitsPixelCap(16384, 16384, 1));
    EXPECT_FALSE(FitsPixelCap(16384, 16385, 1));
    {
        PixelCountCap raised(uint64_t(1) << 30);
        EXPECT_TRUE(FitsPixelCap(16384, 16385, 1));
        // The block cap still holds.
        EXPECT_FALSE(FitsPixelCap(32768, 32768, 24));
    }
    {
        PixelCountCap lowered(100);
        NyZazo p;
        EXPECT_EQ(p.Create(11, 10, 24, 1), nullptr);
        EXPECT_NE(p.Create(10, 10, 24, 1), nullptr);
    }
}
