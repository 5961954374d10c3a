// The JPEG adapter: corpus conformance, round trips checked by a second decoder,
// CMYK files, malformed and truncated input, write failures.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "core/CoreTexts.h"
#include "core/ImageStream.h"
#include "core/NyZazo.h"
#include "core/Samples.h"
#include "support/CorpusManifest.h"
#include "support/SecondDecoder.h"
#include "support/TestFiles.h"

using namespace quillory;
using namespace quillory::test;

namespace {

std::vector<uint8_t> EncodeJpeg(NyZazo& picture) {
    ImageStream s(ImageStream::kMemory);
    EXPECT_TRUE(picture.Encode(s, 0)) << picture.lastError;
    return std::vector<uint8_t>(s.data(), s.data() + s.size());
}

bool DecodeJpeg(const std::vector<uint8_t>& bytes, NyZazo& out) {
    ImageStream s(bytes.data(), uint32_t(bytes.size()));
    return out.Decode(s, 0);
}

// A smooth picture: JPEG keeps it within a few levels at quality 100.
void FillGradient(NyZazo& p) {
    for (int y = 0; y < p.Height(); ++y)
        for (int x = 0; x < p.Width(); ++x) {
            if (p.header.biClrUsed)
                p.SetPixelIndex(x, y, uint8_t((x * 5 + y * 3) % 256));
            else
                p.SetPixelColour(x, y, MakeQuad(uint8_t(x * 255 / p.Width()), uint8_t(y * 255 / p.Height()), 140));
        }
}

// Number of components in the first start-of-frame segment.
int FrameComponents(const std::vector<uint8_t>& bytes) {
    for (size_t i = 2; i + 9 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] >= 0xC0 && bytes[i + 1] <= 0xC2) return bytes[i + 9];
    return -1;
}

void ExpectUntouched(const NyZazo& target) {
    EXPECT_EQ(target.Width(), 3);
    EXPECT_EQ(target.Height(), 2);
    EXPECT_EQ(target.GetPixelColour(1, 1), MakeQuad(10, 20, 30));
}

void PrepareTarget(NyZazo& target) {
    target.Create(3, 2, 24, 1);
    target.SetPixelColour(1, 1, MakeQuad(10, 20, 30));
}

void SaveForInspection(const std::string& name, const RgbaImage& actual, const RgbaImage& expected) {
    const std::string base = ::testing::TempDir() + name;
    SavePng(base + ".actual.png", actual);
    SavePng(base + ".expected.png", expected);
}

}  // namespace

TEST(JpegCorpus, EveryFileDecodesLikeTheReference) {
    if (!HaveCorpus()) GTEST_SKIP() << "corpus not found at " << CorpusDir();
    // Intended differences, each caused by a rule of the adapter:
    //  - pil_sample_cmyk.jpg: CMYK becomes red = c * k / 255 truncated; Pillow rounds (1 level).
    const struct {
        const char* file;
        int tolerance;
    } tolerances[] = {{"jpeg/pil_sample_cmyk.jpg", 1}};
    const auto entries = CorpusEntries("jpeg");
    ASSERT_FALSE(entries.empty());
    for (const auto& e : entries) {
        SCOPED_TRACE(e.path);
        ImageStream s(ImageStream::kFile);
        ASSERT_TRUE(s.OpenFile((CorpusDir() / e.path).string(), "rb"));
        NyZazo picture;
        // Truncated files decode too: the bridge ends them with an end-of-image marker.
        ASSERT_TRUE(picture.Decode(s, 0)) << picture.lastError;
        EXPECT_EQ(picture.formatType, 0);
        EXPECT_TRUE(picture.BitCount() == 8 || picture.BitCount() == 24);
        if (picture.BitCount() == 8) {
            EXPECT_TRUE(picture.IsGreyScale());
        }
        if (e.bestRef.empty()) continue;
        int tolerance = 0;
        for (const auto& t : tolerances)
            if (e.path == t.file) tolerance = t.tolerance;
        const RgbaImage expected = LoadPng((CorpusDir() / e.bestRef).string());
        const RgbaImage actual = ToRgba(picture);
        const ImageDiff d = CompareRgb(actual, expected);
        EXPECT_TRUE(d.sameSize);
        EXPECT_LE(d.maxDiff, tolerance) << d.differing << " pixels differ";
        if (!d.sameSize || d.maxDiff > tolerance) SaveForInspection(e.bestRef.substr(4), actual, expected);
    }
}

TEST(JpegRoundTrip, GreyStaysOneComponentWithTheIdentityPalette) {
    NyZazo grey(37, 21, 8, 1);
    grey.SetGreyPalette();
    FillGradient(grey);
    const auto bytes = EncodeJpeg(grey);
    EXPECT_EQ(FrameComponents(bytes), 1);
    NyZazo back;
    ASSERT_TRUE(DecodeJpeg(bytes, back)) << back.lastError;
    EXPECT_EQ(back.BitCount(), 8);
    EXPECT_EQ(back.header.biClrUsed, 256u);
    EXPECT_TRUE(back.IsGreyScale());
    EXPECT_LE(CompareRgb(ToRgba(back), ToRgba(grey)).maxDiff, 8);

    TempDir dir;
    ASSERT_TRUE(grey.Save(dir.File("grey.jpg"), 0));
    std::string mode;
    ASSERT_TRUE(HavePythonModules({"PIL"}));
    const RgbaImage pillow = DecodeWithPillow(dir.File("grey.jpg"), &mode);
    ASSERT_TRUE(pillow.Valid()) << "Pillow could not read grey.jpg";
    EXPECT_EQ(mode, "L");
    EXPECT_EQ(CompareRgb(pillow, ToRgba(back)).maxDiff, 0);
}

TEST(JpegRoundTrip, PackedGreyPicturesAreWrittenIndexByIndex) {
    // At 1 and 4 bits the identity grey palette is nearly black; each index is its grey value.
    for (int depth : {1, 4}) {
        SCOPED_TRACE(depth);
        NyZazo grey(33, 9, depth, 1);
        for (uint32_t i = 0; i < grey.header.biClrUsed; ++i) grey.SetPaletteColour(int(i), uint8_t(i), uint8_t(i), uint8_t(i));
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 33; ++x) grey.SetPixelIndex(x, y, uint8_t(x < 16 ? 0 : grey.header.biClrUsed - 1));
        ASSERT_TRUE(grey.IsGreyScale());
        const auto bytes = EncodeJpeg(grey);
        EXPECT_EQ(FrameComponents(bytes), 1);
        NyZazo back;
        ASSERT_TRUE(DecodeJpeg(bytes, back)) << back.lastError;
        EXPECT_LE(CompareRgb(ToRgba(back), ToRgba(grey)).maxDiff, 2);
    }
}

TEST(JpegRoundTrip, ColourAtTwentyFourAndThirtyTwoBits) {
    NyZazo rgb(37, 21, 24, 1);
    FillGradient(rgb);
    NyZazo wide(37, 21, 32, 1);
    for (int y = 0; y < 21; ++y)
        for (int x = 0; x < 37; ++x) {
            RGBQUAD c = rgb.GetPixelColour(x, y);
            c.reserved = uint8_t(x * 7 + y);  // must not leak into the colours
            std::memcpy(wide.Row(y) + 4 * x, &c, 4);
        }
    const auto bytes = EncodeJpeg(rgb);
    EXPECT_EQ(FrameComponents(bytes), 3);
    // The fourth byte is dropped: both depths give the same file.
    EXPECT_EQ(EncodeJpeg(wide), bytes);

    NyZazo back;
    ASSERT_TRUE(DecodeJpeg(bytes, back)) << back.lastError;
    EXPECT_EQ(back.BitCount(), 24);
    EXPECT_EQ(back.Width(), 37);
    EXPECT_LE(CompareRgb(ToRgba(back), ToRgba(rgb)).maxDiff, 8);
    // Red and blue are where they belong, not just close on average.
    const RGBQUAD corner = back.GetPixelColour(36, 0);
    EXPECT_GT(corner.red, 200);
    EXPECT_NEAR(corner.blue, 140, 8);

    TempDir dir;
    ASSERT_TRUE(wide.Save(dir.File("wide.jpg"), 0));
    std::string mode;
    ASSERT_TRUE(HavePythonModules({"PIL"}));
    const RgbaImage pillow = DecodeWithPillow(dir.File("wide.jpg"), &mode);
    ASSERT_TRUE(pillow.Valid()) << "Pillow could not read wide.jpg";
    EXPECT_EQ(mode, "RGB");
    EXPECT_EQ(CompareRgb(pillow, ToRgba(back)).maxDiff, 0);
}

TEST(JpegEncode, QualityIsCappedAtOneHundredAndColourPalettesAreRefused) {
    NyZazo rgb(16, 16, 24, 1);
    FillGradient(rgb);
    EXPECT_EQ(rgb.jpegQuality, 150);
    const auto atInitial = EncodeJpeg(rgb);
    rgb.jpegQuality = 100;
    EXPECT_EQ(EncodeJpeg(rgb), atInitial);
    rgb.jpegQuality = 40;
    EXPECT_LT(EncodeJpeg(rgb).size(), atInitial.size());

    NyZazo palette(5, 5, 8, 1);
    palette.SetPaletteColour(1, 200, 0, 0);
    ImageStream s(ImageStream::kMemory);
    EXPECT_FALSE(palette.Encode(s, 0));
    EXPECT_STREQ(palette.lastError, texts::kJpegRgbOrGreyOnly);
    EXPECT_EQ(s.size(), 0u);
}

TEST(JpegEncode, WriteFailureReportsTheLibraryText) {
    TempDir dir;
    const std::string path = dir.File("readonly.jpg");
    ASSERT_TRUE(WriteFileBytes(path, {1, 2, 3}));
    FILE* file = std::fopen(path.c_str(), "rb");  // writes to it fail
    ASSERT_NE(file, nullptr);
    NyZazo big(300, 200, 24, 1);
    FillGradient(big);
    ImageStream s(file);
    EXPECT_FALSE(big.Encode(s, 0));
    EXPECT_NE(std::string(big.lastError).find("write"), std::string::npos) << big.lastError;
    std::fclose(file);
}

TEST(JpegDecode, MalformedInputFailsWithTextAndLeavesTheTarget) {
    NyZazo source(40, 30, 24, 1);
    FillGradient(source);
    const auto valid = EncodeJpeg(source);
    // Absurd size: the frame header claims 65000 x 65000.
    auto huge = valid;
    for (size_t i = 2; i + 8 < huge.size(); ++i)
        if (huge[i] == 0xFF && huge[i + 1] == 0xC0) {
            huge[i + 5] = 0xFD, huge[i + 6] = 0xE8, huge[i + 7] = 0xFD, huge[i + 8] = 0xE8;
            break;
        }
    const std::vector<uint8_t> notJpeg = {'B', 'M', 0, 0, 0, 0};
    const std::vector<uint8_t> headerOnly(valid.begin(), valid.begin() + 30);
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* text;
    } cases[] = {
        {"empty", {}, "Empty input file"},
        {"not a JPEG", notJpeg, "Not a JPEG file: starts with 0x42 0x4d"},
        {"cut inside the headers", headerOnly, nullptr},
        {"absurd size", huge, texts::kPictureTooLarge},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        NyZazo target;
        PrepareTarget(target);
        const uint8_t none = 0;
        ImageStream s(c.bytes.empty() ? &none : c.bytes.data(), uint32_t(c.bytes.size()));
        EXPECT_FALSE(target.Decode(s, 0));
        EXPECT_NE(target.lastError[0], 0);
        if (c.text) {
            EXPECT_STREQ(target.lastError, c.text);
        }
        ExpectUntouched(target);
    }
}

TEST(JpegDecode, DataCutInTheScanKeepsTheTopOfThePicture) {
    NyZazo source(64, 64, 24, 1);
    FillGradient(source);
    auto bytes = EncodeJpeg(source);
    bytes.resize(bytes.size() * 6 / 10);
    NyZazo back;
    ASSERT_TRUE(DecodeJpeg(bytes, back)) << back.lastError;
    ASSERT_EQ(back.Width(), 64);
    // Stored row 63 is the top of the picture, which was in the kept part.
    const RGBQUAD top = back.GetPixelColour(10, 63), expected = source.GetPixelColour(10, 63);
    EXPECT_NEAR(top.red, expected.red, 8);
    EXPECT_NEAR(top.green, expected.green, 8);
    EXPECT_NEAR(top.blue, expected.blue, 8);
}

namespace {

// An 8 x 8 CMYK file of one colour, written by libjpeg itself.
std::vector<uint8_t> CmykJpeg(const uint8_t ink[4], bool adobeMarker) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = 8;
    cinfo.image_height = 8;
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    jpeg_set_colorspace(&cinfo, JCS_CMYK);
    cinfo.write_Adobe_marker = adobeMarker ? TRUE : FALSE;
    jpeg_set_quality(&cinfo, 100, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    JSAMPLE line[32];
    for (int x = 0; x < 8; ++x) std::memcpy(line + 4 * x, ink, 4);
    JSAMPROW row = line;
    for (int y = 0; y < 8; ++y) jpeg_write_scanlines(&cinfo, &row, 1);
    jpeg_finish_compress(&cinfo);
    std::vector<uint8_t> bytes(out, out + size);
    jpeg_destroy_compress(&cinfo);
    std::free(out);
    return bytes;
}

}  // namespace

TEST(JpegDecode, CmykBecomesTwentyFourBitColourWithEitherMarker) {
    // Adobe files store the inks inverted (255 is no ink); plain files store them as they are.
    const struct {
        uint8_t inks[4];  // cyan, magenta, yellow, black as printed
        uint8_t red, green, blue;
    } colours[] = {{{0, 255, 255, 0}, 255, 0, 0}, {{0, 0, 0, 128}, 127, 127, 127}, {{255, 0, 0, 0}, 0, 255, 255}};
    for (const auto& c : colours)
        for (bool adobe : {true, false}) {
            SCOPED_TRACE(adobe ? "Adobe marker" : "no marker");
            uint8_t stored[4];
            for (int i = 0; i < 4; ++i) stored[i] = adobe ? uint8_t(255 - c.inks[i]) : c.inks[i];
            NyZazo picture;
            ASSERT_TRUE(DecodeJpeg(CmykJpeg(stored, adobe), picture)) << picture.lastError;
            EXPECT_EQ(picture.BitCount(), 24);
            const RGBQUAD p = picture.GetPixelColour(3, 3);
            EXPECT_NEAR(p.red, c.red, 3);
            EXPECT_NEAR(p.green, c.green, 3);
            EXPECT_NEAR(p.blue, c.blue, 3);
        }
}

TEST(JpegLoad, JpegNamedBmpOpensThroughTheAutomaticPass) {
    TempDir dir;
    NyZazo source(20, 10, 24, 1);
    FillGradient(source);
    const std::string path = dir.File("photo.bmp");
    ASSERT_TRUE(source.Save(path, 0));
    NyZazo loaded;
    ASSERT_TRUE(loaded.Load(path, 1)) << loaded.lastError;
    EXPECT_EQ(loaded.formatType, 0);
    EXPECT_EQ(loaded.Width(), 20);
}

TEST(JpegSample, BuiltInSampleIsARealJpeg) {
    RegisterBuiltInSamples();
    NyZazo picture;
    ASSERT_TRUE(LoadSample(cmd::kLoadJpegSample, picture)) << picture.lastError;
    EXPECT_EQ(picture.Width(), 400);
    EXPECT_EQ(picture.Height(), 300);
    EXPECT_EQ(picture.formatType, 0);
    EXPECT_EQ(picture.BitCount(), 24);
}
