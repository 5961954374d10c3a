// PNG codec: round trips of every depth the picture has, the format table's row,
// and hostile files.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>
#include <zlib.h>

#include "core/CoreTexts.h"
#include "core/FormatCodes.h"
#include "core/ImageStream.h"
#include "core/NyZazo.h"
#include "core/NyZazoPNG.h"
#include "core/PictureProbe.h"
#include "support/PictureCompare.h"
#include "support/TestFiles.h"

using namespace quillory;
using quillory::test::PatternPicture;
using quillory::test::SamePicture;

namespace {

std::vector<uint8_t> EncodePng(NyZazo& picture) {
    ImageStream out(ImageStream::kMemory);
    EXPECT_TRUE(picture.Encode(out, kFormatPng)) << picture.lastError;
    return std::vector<uint8_t>(out.data(), out.data() + out.Size());
}

bool DecodePng(const std::vector<uint8_t>& bytes, NyZazo& picture, int code = kFormatPng) {
    ImageStream in(bytes.data(), uint32_t(bytes.size()));
    return picture.Decode(in, code);
}

void PutBe32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
}

void PutChunk(std::vector<uint8_t>& out, const char* kind, const std::vector<uint8_t>& payload) {
    PutBe32(out, uint32_t(payload.size()));
    const size_t start = out.size();
    out.insert(out.end(), kind, kind + 4);
    out.insert(out.end(), payload.begin(), payload.end());
    PutBe32(out, uint32_t(crc32(0, out.data() + start, uInt(out.size() - start))));
}

// A PNG written field by field: header chunk, the given compressed data, end chunk.
std::vector<uint8_t> HandMadePng(uint32_t width, uint32_t height, uint8_t bitDepth, uint8_t colourType,
                                 const std::vector<uint8_t>& idat) {
    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> ihdr;
    PutBe32(ihdr, width);
    PutBe32(ihdr, height);
    ihdr.insert(ihdr.end(), {bitDepth, colourType, 0, 0, 0});
    PutChunk(out, "IHDR", ihdr);
    PutChunk(out, "IDAT", idat);
    PutChunk(out, "IEND", {});
    return out;
}

std::vector<uint8_t> Deflate(const std::vector<uint8_t>& raw) {
    uLongf size = compressBound(uLong(raw.size()));
    std::vector<uint8_t> out(size);
    EXPECT_EQ(compress(out.data(), &size, raw.data(), uLong(raw.size())), Z_OK);
    out.resize(size);
    return out;
}

}  // namespace

TEST(Png, EveryDepthRoundTripsWithPaletteTransparencyAndResolution) {
    for (int depth : {1, 4, 8, 24, 32}) {
        SCOPED_TRACE(depth);
        NyZazo picture;
        PatternPicture(picture, 53, 17, depth);
        picture.SetDpiX(300);
        picture.SetDpiY(150);
        if (depth <= 8) picture.transparentIndex = depth == 1 ? 1 : 5;
        const std::vector<uint8_t> bytes = EncodePng(picture);
        NyZazo back;
        ASSERT_TRUE(DecodePng(bytes, back)) << back.lastError;
        EXPECT_EQ(back.formatType, kFormatPng);
        SamePicture(picture, back);
        EXPECT_EQ(back.transparentIndex, picture.transparentIndex);
        EXPECT_EQ(back.dpiX, 300);
        EXPECT_EQ(back.dpiY, 150);
    }
}

// Colour pictures at levels 1 to 3 are compressed with run lengths only; higher levels search
// the whole window. Noise repeated along each row (every row its own) is a repeat only that
// search finds.
TEST(Png, EveryLevelRoundTripsAndOnlyTheHighLevelsFindDistantRepeats) {
    for (int depth : {24, 32}) {
        SCOPED_TRACE(depth);
        NyZazo picture;
        ASSERT_TRUE(picture.Create(256, 64, depth, kFormatPng));
        uint32_t seed = 12345;
        std::vector<uint8_t> tile(size_t(64) * 32 * 4);
        for (uint8_t& byte : tile) byte = uint8_t((seed = seed * 1103515245u + 12345u) >> 16);
        const int step = depth / 8;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 256; ++x)
                std::memcpy(picture.Row(y) + step * x, &tile[size_t(y * 32 + x % 32) * 4], size_t(step));
        // Varying opacity keeps the 32-bit picture 32-bit.
        if (depth == 32) picture.Row(0)[3] = 7;

        std::vector<size_t> sizes;
        for (int level = 0; level <= 9; ++level) {
            SCOPED_TRACE(level);
            picture.pngLevel = int8_t(level);
            const std::vector<uint8_t> bytes = EncodePng(picture);
            sizes.push_back(bytes.size());
            NyZazo back;
            ASSERT_TRUE(DecodePng(bytes, back)) << back.lastError;
            SamePicture(picture, back);
        }
        EXPECT_GT(sizes[0], size_t(256 * 64 * step)) << "level 0 stores";
        EXPECT_EQ(sizes[1], sizes[3]);
        EXPECT_LT(sizes[6] * 4, sizes[3]) << "the full search finds the tile";
        EXPECT_LE(sizes[9], sizes[6]);

        picture.pngLevel = -1;
        const std::vector<uint8_t> byDefault = EncodePng(picture);
        picture.pngLevel = 3;
        EXPECT_EQ(byDefault, EncodePng(picture)) << "the default is level 3";
    }
}

TEST(Png, GreyPalettesTravelAsGreyAndComeBackTheSame) {
    for (int depth : {1, 4, 8}) {
        SCOPED_TRACE(depth);
        NyZazo picture;
        PatternPicture(picture, 20, 9, depth);
        const int levels = 1 << depth;
        for (int i = 0; i < levels; ++i) {
            const uint8_t v = uint8_t(i * 255 / (levels - 1));
            picture.SetPaletteColour(i, v, v, v);
        }
        const std::vector<uint8_t> bytes = EncodePng(picture);
        EXPECT_EQ(bytes[25], 0) << "colour type grey";
        EXPECT_EQ(bytes[24], depth);
        NyZazo back;
        ASSERT_TRUE(DecodePng(bytes, back)) << back.lastError;
        SamePicture(picture, back);
    }
}

TEST(Png, SmallPalettesAreWrittenWithTheEntriesInUse) {
    NyZazo picture;
    ASSERT_TRUE(picture.Create(10, 4, 8, kFormatPng));
    for (int i = 0; i < 256; ++i) picture.SetPaletteColour(i, 0, 0, 0);
    picture.SetPaletteColour(2, 10, 20, 30);
    for (int y = 0; y < 4; ++y) std::memset(picture.Row(y), y, 10);  // indices 0..3
    const std::vector<uint8_t> bytes = EncodePng(picture);
    // PLTE follows the 25-byte header chunk: its length is 4 entries of 3 bytes.
    ASSERT_EQ(std::memcmp(bytes.data() + 37, "PLTE", 4), 0);
    EXPECT_EQ(bytes[36], 12);
    NyZazo back;
    ASSERT_TRUE(DecodePng(bytes, back));
    SamePicture(picture, back);
}

TEST(Png, ThirtyTwoBitPicturesWithoutOpacityAreWrittenOpaque) {
    NyZazo picture;
    PatternPicture(picture, 9, 5, 32);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 9; ++x) picture.Row(y)[4 * x + 3] = 0;
    EXPECT_FALSE(HasOpacity(picture));
    const std::vector<uint8_t> bytes = EncodePng(picture);
    EXPECT_EQ(bytes[25], 2) << "colour type RGB";
    NyZazo back;
    ASSERT_TRUE(DecodePng(bytes, back));
    ASSERT_EQ(back.BitCount(), 24);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 9; ++x)
            EXPECT_EQ(std::memcmp(back.Row(y) + 3 * x, picture.Row(y) + 4 * x, 3), 0) << x << "," << y;
}

TEST(Png, FormatRowExtensionSignatureAndDialogs) {
    EXPECT_EQ(FormatFromExtension("png"), kFormatPng);
    EXPECT_EQ(FormatFromExtension("PNG"), kFormatPng);
    EXPECT_TRUE(CanSaveExtension("png"));
    EXPECT_NE(FileTypeFilterList(false).find("*.png"), std::string::npos);
    EXPECT_NE(FileTypeFilterList(true).find("*.png"), std::string::npos);
    EXPECT_NE(AllPicturesPatterns().find("*.png"), std::string::npos);

    NyZazo picture;
    PatternPicture(picture, 6, 6, 24);
    const std::vector<uint8_t> bytes = EncodePng(picture);
    NyZazo detected;
    ASSERT_TRUE(DecodePng(bytes, detected, kFormatUndetermined));
    EXPECT_EQ(detected.formatType, kFormatPng);

    // A PNG file named .bmp opens through the second, automatic pass.
    test::TempDir dir;
    const std::string path = dir.File("really.bmp");
    ASSERT_TRUE(test::WriteFileBytes(path, bytes));
    NyZazo loaded;
    ASSERT_TRUE(loaded.Load(path, kFormatBmp)) << loaded.lastError;
    EXPECT_EQ(loaded.formatType, kFormatPng);

    PictureDimensions size;
    ASSERT_TRUE(ProbePictureFile(path, kFormatPng, size));
    EXPECT_EQ(size.width, 6);
    EXPECT_EQ(size.height, 6);
    EXPECT_EQ(size.bitsPerPixel, 24);
}

TEST(Png, SavingByFileNameWritesAFileOtherReadersTake) {
    test::TempDir dir;
    NyZazo picture;
    PatternPicture(picture, 31, 12, 24);
    const std::string path = dir.File("out.png");
    ASSERT_TRUE(picture.Save(path, kFormatPng)) << picture.lastError;
    const test::RgbaImage read = test::LoadPng(path);
    ASSERT_TRUE(read.Valid());
    EXPECT_EQ(test::CompareRgb(read, test::ToRgba(picture)).maxDiff, 0);
}

TEST(Png, HostileFilesFailWithAClearTextAndLeaveTheTargetAlone) {
    NyZazo picture;
    PatternPicture(picture, 40, 30, 24);
    const std::vector<uint8_t> good = EncodePng(picture);

    auto expectFailure = [](const std::vector<uint8_t>& bytes, const std::string& text) {
        NyZazo target;
        ASSERT_TRUE(target.Create(3, 2, 8, kFormatBmp));
        const uint8_t before = target.Row(0)[0];
        EXPECT_FALSE(DecodePng(bytes, target));
        EXPECT_NE(std::string(target.lastError).find(text), std::string::npos) << target.lastError;
        EXPECT_EQ(target.Width(), 3);
        EXPECT_EQ(target.Row(0)[0], before);
    };
    // Cut in the middle of the image data.
    expectFailure(std::vector<uint8_t>(good.begin(), good.begin() + long(good.size() / 2)), texts::kTruncatedFile);
    // Not a PNG file at all.
    expectFailure(std::vector<uint8_t>(good.begin() + 1, good.end()), texts::kPngNotPng);
    // A damaged checksum of the image data.
    std::vector<uint8_t> damaged = good;
    damaged[damaged.size() - 13] ^= 0x55;
    expectFailure(damaged, "damaged PNG file");
    // Sizes past the pixel cap are refused before anything is allocated.
    expectFailure(HandMadePng(100000, 100000, 8, 2, Deflate({0})), texts::kPictureTooLarge);
    // A few bytes cannot inflate into a picture of 8000 × 8000.
    expectFailure(HandMadePng(8000, 8000, 8, 2, Deflate(std::vector<uint8_t>(4000, 0))), texts::kPngTooShort);
    // Zero width is refused by libpng's own header check.
    expectFailure(HandMadePng(0, 5, 8, 2, Deflate({0})), "damaged PNG file");
}

TEST(Png, AZlibBombWithinTheCapsDecodesToItsTrueSize) {
    // 4000 × 4000 grey zeros compress to a few kilobytes: legitimate, and read whole.
    std::vector<uint8_t> raw(size_t(4000) * 4001, 0);
    const std::vector<uint8_t> bytes = HandMadePng(4000, 4000, 8, 0, Deflate(raw));
    EXPECT_LT(bytes.size(), 40000u);
    NyZazo picture;
    ASSERT_TRUE(DecodePng(bytes, picture)) << picture.lastError;
    EXPECT_EQ(picture.Width(), 4000);
    EXPECT_EQ(picture.BitCount(), 8);
    EXPECT_EQ(picture.Row(1234)[777], 0);
}

TEST(Png, PaletteIndicesBeyondThePaletteStayInThePicture) {
    // A 4-bit palette of 2 entries with pixels using index 9: read as indices, no fault.
    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> ihdr;
    PutBe32(ihdr, 4);
    PutBe32(ihdr, 1);
    ihdr.insert(ihdr.end(), {4, 3, 0, 0, 0});
    PutChunk(out, "IHDR", ihdr);
    PutChunk(out, "PLTE", {255, 0, 0, 0, 255, 0});
    PutChunk(out, "IDAT", Deflate({0, 0x19, 0x10}));
    PutChunk(out, "IEND", {});
    NyZazo picture;
    if (DecodePng(out, picture)) {
        EXPECT_EQ(picture.BitCount(), 4);
        EXPECT_EQ(picture.GetPixelIndex(1, 0), 9);
    } else {
        EXPECT_NE(picture.lastError[0], '\0');
    }
}
