#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <vector>

#include "core/CoreTexts.h"
#include "core/ImageStream.h"
#include "core/NyZazo.h"
#include "support/TestFiles.h"

using namespace quillory;

namespace {

std::vector<uint8_t> EncodeBmp(NyZazo& p) {
    ImageStream s(ImageStream::kMemory);
    EXPECT_TRUE(p.Encode(s, 1)) << p.lastError;
    return std::vector<uint8_t>(s.data(), s.data() + s.size());
}

bool DecodeBytes(const std::vector<uint8_t>& bytes, NyZazo& out, int code = 1) {
    ImageStream s(bytes.data(), uint32_t(bytes.size()));
    return out.Decode(s, code);
}

// A BMP file header plus a 40-byte info header; the caller appends palette and pixels.
std::vector<uint8_t> Headers(int width, int height, int bitCount, uint32_t compression, uint32_t paletteEntries,
                             uint32_t clrUsed = 0) {
    std::vector<uint8_t> b(54, 0);
    b[0] = 'B', b[1] = 'M';
    PutLe32(&b[10], 54 + 4 * paletteEntries);
    BITMAPINFOHEADER h;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = uint16_t(bitCount);
    h.biCompression = compression;
    h.biClrUsed = clrUsed;
    WriteInfoHeader(&b[14], h);
    return b;
}

void Append(std::vector<uint8_t>& b, std::initializer_list<int> bytes) {
    for (int v : bytes) b.push_back(uint8_t(v));
}

void AppendGreyPalette(std::vector<uint8_t>& b, int entries) {
    for (int i = 0; i < entries; ++i) Append(b, {i, i, i, 0});
}

}  // namespace

TEST(BmpWriter, ThreeByTwoIs78Bytes) {
    NyZazo p(3, 2, 24, 1);
    std::vector<uint8_t> bytes = EncodeBmp(p);
    ASSERT_EQ(bytes.size(), 78u);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    EXPECT_EQ(Le32(&bytes[2]), 78u);
    EXPECT_EQ(Le32(&bytes[10]), 54u);
}

TEST(BmpRoundTrip, EveryDepthWithOddWidths) {
    for (int depth : {1, 4, 8, 24, 32}) {
        for (int width : {1, 3, 7, 13}) {
            NyZazo p(width, 5, depth, 1);
            for (uint32_t i = 0; i < p.header.biClrUsed; ++i)
                p.SetPaletteColour(int(i), uint8_t(i), uint8_t(255 - i), uint8_t(i * 3));
            for (int y = 0; y < 5; ++y)
                for (int x = 0; x < width; ++x) {
                    if (depth <= 8) {
                        p.SetPixelIndex(x, y, uint8_t((x * 7 + y) % p.header.biClrUsed));
                    } else {
                        p.SetPixelColour(x, y, MakeQuad(uint8_t(x * 30), uint8_t(y * 40), uint8_t(x + y)));
                    }
                }
            if (depth == 32) p.bits[3] = 99;
            p.SetDpiX(150);
            NyZazo q;
            ASSERT_TRUE(DecodeBytes(EncodeBmp(p), q)) << depth << ": " << q.lastError;
            EXPECT_EQ(q.BitCount(), depth);
            EXPECT_EQ(q.formatType, 1);
            EXPECT_EQ(q.dpiX, 150);
            EXPECT_EQ(test::CompareRgb(test::ToRgba(p), test::ToRgba(q)).maxDiff, 0) << depth << " w " << width;
            if (depth == 32) {
                EXPECT_EQ(q.bits[3], 99);
            }
        }
    }
}

TEST(BmpReader, HeaderlessDibIsReadFromTheStartingPosition) {
    NyZazo p(3, 2, 8, 1);
    p.SetPaletteColour(1, 10, 20, 30);
    p.SetPixelIndex(2, 1, 1);
    std::vector<uint8_t> file = EncodeBmp(p);
    std::vector<uint8_t> stream = {0xAA, 0xBB, 0xCC};  // bytes before the DIB
    stream.insert(stream.end(), file.begin() + 14, file.end());
    ImageStream s(stream.data(), uint32_t(stream.size()));
    ASSERT_EQ(s.Seek(3, SEEK_SET), 0);
    NyZazo q;
    ASSERT_TRUE(q.Decode(s, 1)) << q.lastError;
    EXPECT_EQ(q.GetPixelColour(2, 1), MakeQuad(10, 20, 30));
    EXPECT_EQ(q.GetPixelIndex(0, 0), 255);
}

TEST(BmpReader, OS2CoreHeaderWithThreeBytePalette) {
    std::vector<uint8_t> b = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 14 + 12 + 6, 0, 0, 0};
    Append(b, {12, 0, 0, 0, 2, 0, 1, 0, 1, 0, 1, 0});  // 2 × 1, 1 bit
    Append(b, {0, 0, 255, 0, 255, 0});                 // red, green (blue green red triples)
    Append(b, {0x40, 0, 0, 0});                        // pixel 1 is index 1
    NyZazo q;
    ASSERT_TRUE(DecodeBytes(b, q)) << q.lastError;
    EXPECT_EQ(q.GetPixelColour(0, 0), MakeQuad(255, 0, 0));
    EXPECT_EQ(q.GetPixelColour(1, 0), MakeQuad(0, 255, 0));
}

TEST(BmpReader, SixteenBitPixelsWidenToTwentyFour) {
    std::vector<uint8_t> b = Headers(3, 1, 16, 0, 0);
    Append(b, {0xFF, 0x7F, 0x00, 0x7C, 0x1F, 0x00, 0, 0});  // white, red, blue, padding
    NyZazo q;
    ASSERT_TRUE(DecodeBytes(b, q)) << q.lastError;
    EXPECT_EQ(q.BitCount(), 24);
    EXPECT_EQ(q.GetPixelColour(0, 0), MakeQuad(0xF8, 0xF8, 0xF8));
    EXPECT_EQ(q.GetPixelColour(1, 0), MakeQuad(0xF8, 0, 0));
    EXPECT_EQ(q.GetPixelColour(2, 0), MakeQuad(0, 0, 0xF8));

    std::vector<uint8_t> f = Headers(1, 2, 16, 3, 0);
    PutLe32(&f[10], 54 + 12);
    Append(f, {0x00, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0});  // 5-6-5 masks
    Append(f, {0x00, 0xF8, 0, 0, 0xE0, 0x07, 0, 0});
    NyZazo r;
    ASSERT_TRUE(DecodeBytes(f, r)) << r.lastError;
    EXPECT_EQ(r.GetPixelColour(0, 0), MakeQuad(0xF8, 0, 0));
    EXPECT_EQ(r.GetPixelColour(0, 1), MakeQuad(0, 0xFC, 0));
}

TEST(BmpReader, Rle8RunsAbsoluteRunsWithPaddingAndDelta) {
    std::vector<uint8_t> b = Headers(6, 3, 8, 1, 256);
    AppendGreyPalette(b, 256);
    Append(b, {2, 9, 0, 3, 1, 2, 3, 0, 1, 7, 0, 0});  // row 0: 9 9 1 2 3 7 (absolute 3 + one pad)
    Append(b, {0, 4, 4, 5, 6, 8, 0, 0});              // row 1: absolute 4, no pad
    Append(b, {0, 2, 3, 0, 1, 1, 0, 1});              // delta +3, row 1 -> row 2 col 3
    NyZazo q;
    ASSERT_TRUE(DecodeBytes(b, q)) << q.lastError;
    const int row0[6] = {9, 9, 1, 2, 3, 7};
    for (int x = 0; x < 6; ++x) EXPECT_EQ(q.GetPixelIndex(x, 0), row0[x]);
    EXPECT_EQ(q.GetPixelIndex(3, 1), 8);
    EXPECT_EQ(q.GetPixelIndex(4, 1), 255);  // not written: white fill
    EXPECT_EQ(q.GetPixelIndex(3, 2), 1);
    EXPECT_EQ(q.GetPixelIndex(2, 2), 255);
}

TEST(BmpReader, Rle4NibblesAndPadding) {
    std::vector<uint8_t> b = Headers(5, 2, 4, 2, 16);
    AppendGreyPalette(b, 16);
    Append(b, {3, 0x12, 0, 0});                       // 1 2 1
    Append(b, {0, 3, 0x45, 0x60, 0, 0});              // row 1: 4 5 6, 2 bytes: no pad
    Append(b, {0, 1});
    NyZazo q;
    ASSERT_TRUE(DecodeBytes(b, q)) << q.lastError;
    const int row0[3] = {1, 2, 1};
    for (int x = 0; x < 3; ++x) EXPECT_EQ(q.GetPixelIndex(x, 0), row0[x]);
    EXPECT_EQ(q.GetPixelIndex(3, 0), 15);
    EXPECT_EQ(q.GetPixelIndex(0, 1), 4);
    EXPECT_EQ(q.GetPixelIndex(2, 1), 6);

    std::vector<uint8_t> odd = Headers(8, 1, 4, 2, 16);
    AppendGreyPalette(odd, 16);
    Append(odd, {0, 5, 0x12, 0x34, 0x50, 0, 2, 0x77, 0, 1});  // 3 bytes: one pad byte
    NyZazo r;
    ASSERT_TRUE(DecodeBytes(odd, r)) << r.lastError;
    EXPECT_EQ(r.GetPixelIndex(4, 0), 5);
    EXPECT_EQ(r.GetPixelIndex(5, 0), 7);
    EXPECT_EQ(r.GetPixelIndex(6, 0), 7);
}

TEST(BmpReader, RunsThatLeaveThePictureAreClipped) {
    std::vector<uint8_t> b = Headers(4, 2, 8, 1, 256);
    AppendGreyPalette(b, 256);
    Append(b, {200, 3});                          // a run far past the row end
    Append(b, {0, 2, 250, 250});                  // delta far above the top
    Append(b, {0, 6, 1, 2, 3, 4, 5, 6});          // absolute run outside
    Append(b, {0, 1});
    NyZazo q;
    ASSERT_TRUE(DecodeBytes(b, q)) << q.lastError;
    for (int x = 0; x < 4; ++x) EXPECT_EQ(q.GetPixelIndex(x, 0), 3);
    EXPECT_EQ(q.GetPixelIndex(0, 1), 255);
}

TEST(BmpReader, FailuresLeaveTheTargetUntouchedWithAText) {
    NyZazo target(2, 2, 24, 1);
    target.SetPixelColour(0, 0, MakeQuad(1, 2, 3));

    NyZazo source(40, 40, 24, 1);
    std::vector<uint8_t> whole = EncodeBmp(source);
    std::vector<uint8_t> truncated(whole.begin(), whole.begin() + 500);
    EXPECT_FALSE(DecodeBytes(truncated, target));
    EXPECT_STREQ(target.lastError, texts::kTruncatedFile);

    std::vector<uint8_t> huge = Headers(3000000, 2000000, 24, 0, 0);
    EXPECT_FALSE(DecodeBytes(huge, target));
    EXPECT_STREQ(target.lastError, texts::kPictureTooLarge);

    std::vector<uint8_t> rle24 = Headers(2, 2, 24, 1, 0);
    rle24.resize(100);
    EXPECT_FALSE(DecodeBytes(rle24, target));
    EXPECT_STREQ(target.lastError, texts::kUnknownCompression);

    std::vector<uint8_t> rle8bad = Headers(2, 2, 8, 7, 256);
    AppendGreyPalette(rle8bad, 256);
    rle8bad.resize(rle8bad.size() + 8);
    EXPECT_FALSE(DecodeBytes(rle8bad, target));
    EXPECT_STREQ(target.lastError, texts::kCompressionNotSupported);

    std::vector<uint8_t> bf32 = Headers(1, 1, 32, 9, 0);
    bf32.resize(100);
    EXPECT_FALSE(DecodeBytes(bf32, target));
    EXPECT_STREQ(target.lastError, texts::kUnknownCompression);

    std::vector<uint8_t> topDown = Headers(2, -2, 24, 0, 0);
    topDown.resize(100);
    EXPECT_FALSE(DecodeBytes(topDown, target));

    std::vector<uint8_t> oddDepth = Headers(2, 2, 7, 0, 0);
    oddDepth.resize(200);
    EXPECT_FALSE(DecodeBytes(oddDepth, target));

    EXPECT_EQ(target.Width(), 2);
    EXPECT_EQ(target.GetPixelColour(0, 0), MakeQuad(1, 2, 3));
}

TEST(BmpReader, ThirtyTwoBitBitFieldsAreRepacked) {
    std::vector<uint8_t> b = Headers(2, 1, 32, 3, 0);
    PutLe32(&b[10], 54 + 12);
    Append(b, {0xFF, 0, 0, 0, 0, 0xFF, 0, 0, 0, 0, 0xFF, 0});  // red in the low byte: xBGR
    Append(b, {10, 20, 30, 0, 40, 50, 60, 0});
    NyZazo q;
    ASSERT_TRUE(DecodeBytes(b, q)) << q.lastError;
    EXPECT_EQ(q.BitCount(), 32);
    EXPECT_EQ(q.GetPixelColour(0, 0), MakeQuad(10, 20, 30));
    EXPECT_EQ(q.GetPixelColour(1, 0), MakeQuad(40, 50, 60));
}

TEST(BmpReader, TwoBitFilesKeepTheirIndices) {
    std::vector<uint8_t> b = Headers(5, 1, 2, 0, 4);
    AppendGreyPalette(b, 4);
    Append(b, {0x1B, 0x80, 0, 0});  // 0 1 2 3 2
    NyZazo q;
    ASSERT_TRUE(DecodeBytes(b, q)) << q.lastError;
    EXPECT_EQ(q.BitCount(), 4);
    const int expected[5] = {0, 1, 2, 3, 2};
    for (int x = 0; x < 5; ++x) EXPECT_EQ(q.GetPixelIndex(x, 0), expected[x]);
}

TEST(Dispatch, UnknownCodesAndDocumentCodes) {
    NyZazo p(2, 2, 24, 1);
    ImageStream s(ImageStream::kMemory);
    EXPECT_TRUE(p.Encode(s, 5));
    EXPECT_TRUE(p.Encode(s, 6));
    EXPECT_EQ(s.size(), 0u);
    EXPECT_FALSE(p.Encode(s, 4));
    EXPECT_STREQ(p.lastError, "Unsupported operation for this format");
    EXPECT_FALSE(p.Encode(s, 7));  // PSD is read only
    EXPECT_STREQ(p.lastError, "Unsupported operation for this format");
    EXPECT_FALSE(p.Encode(s, 42));
    EXPECT_FALSE(p.Decode(s, 42));
    EXPECT_STREQ(p.lastError, "Unsupported operation for this format");
    EXPECT_TRUE(p.Decode(s, 5));
    EXPECT_EQ(p.Width(), 2);
}

TEST(Dispatch, AutomaticDetectionFindsBmpAndFailsQuietly) {
    NyZazo p(3, 3, 8, 1);
    std::vector<uint8_t> bytes = EncodeBmp(p);
    NyZazo q;
    EXPECT_TRUE(DecodeBytes(bytes, q, -1));
    EXPECT_EQ(q.Width(), 3);
    std::vector<uint8_t> junk(64, 0x5A);
    NyZazo r;
    r.SetLastError("before");
    EXPECT_FALSE(DecodeBytes(junk, r, -1));
    EXPECT_STREQ(r.lastError, "before");
}

TEST(LoadAndSave, SecondPassAndFailedSaveKeepsTheOldFile) {
    test::TempDir dir;
    NyZazo p(4, 3, 24, 1);
    ASSERT_TRUE(p.Save(dir.File("pic.bmp"), 1));
    std::filesystem::copy_file(dir.File("pic.bmp"), dir.File("pic.gif"));
    NyZazo q;
    ASSERT_TRUE(q.Load(dir.File("pic.gif"), 2));  // GIF decoder fails, automatic pass finds BMP
    EXPECT_EQ(q.Width(), 4);
    EXPECT_FALSE(q.Load(dir.File("missing.bmp"), 1));
    EXPECT_EQ(std::string(q.lastError), std::string(texts::kCannotOpenPicture) + " (" + dir.File("missing.bmp") +
                                             ": " + texts::kReasonFileMissing + ")");
    // A file no reader takes: the named reader's text, then the file.
    test::WriteFileBytes(dir.File("junk.bmp"), std::vector<uint8_t>(64, 0x5A));
    EXPECT_FALSE(q.Load(dir.File("junk.bmp"), 1));
    EXPECT_EQ(std::string(q.lastError), "unsupported bitmap header (" + dir.File("junk.bmp") + ")");
    EXPECT_EQ(q.Width(), 4);

    std::vector<uint8_t> before = test::ReadFileBytes(dir.File("pic.bmp"));
    EXPECT_FALSE(p.Save(dir.File("pic.bmp"), 4));  // PCX cannot be written
    EXPECT_EQ(test::ReadFileBytes(dir.File("pic.bmp")), before);
    EXPECT_FALSE(p.Save(dir.File("no/such/dir/pic.bmp"), 1));
    int files = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.path())) ++files;
    EXPECT_EQ(files, 3);  // no temporary file left behind
}
