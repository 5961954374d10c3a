// The TIFF adapter: corpus conformance (pages included), round trips at every depth
// checked by a second decoder, pages, photometric rules, colour maps, orientation,
// malformed and truncated input.
#include <gtest/gtest.h>

#include <tiffio.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/CoreTexts.h"
#include "core/ImageStream.h"
#include "core/NyZazo.h"
#include "core/NyZazoTIF.h"
#include "core/Orientation.h"
#include "core/Samples.h"
#include "core/TiffStreamBridge.h"
#include "support/CorpusManifest.h"
#include "support/SecondDecoder.h"
#include "support/TestFiles.h"

using namespace quillory;
using namespace quillory::test;

namespace {

std::vector<uint8_t> Bytes(const ImageStream& s) { return std::vector<uint8_t>(s.data(), s.data() + s.size()); }

std::vector<uint8_t> EncodeTiff(NyZazo& picture) {
    ImageStream s(ImageStream::kMemory);
    EXPECT_TRUE(picture.Encode(s, 3)) << picture.lastError;
    return Bytes(s);
}

bool DecodeTiff(const std::vector<uint8_t>& bytes, NyZazo& out, int page = 0) {
    ImageStream s(bytes.data(), uint32_t(bytes.size()));
    out.frameIndex = page;
    return out.Decode(s, 3);
}

// A TIFF written by libtiff with the given fields; rows top-down, already packed.
struct TiffFile {
    uint32_t width = 1, height = 1;
    uint16_t bitsPerSample = 8, samplesPerPixel = 1, photometric = PHOTOMETRIC_MINISBLACK;
    uint16_t orientation = 1;
    uint16_t resolutionUnit = 0;  // 0: no resolution fields
    float xResolution = 0, yResolution = 0;
    std::vector<uint16_t> red, green, blue;  // colour map
    std::vector<std::vector<uint8_t>> rows;
};

std::vector<uint8_t> MakeTiff(const TiffFile& file) {
    ImageStream s(ImageStream::kMemory);
    NyZazo messages;
    {
        TiffHandle tif = OpenTiffStream(s, "w", messages);
        EXPECT_TRUE(tif) << messages.lastError;
        if (!tif) return {};
        TIFFSetField(tif.get(), TIFFTAG_IMAGEWIDTH, file.width);
        TIFFSetField(tif.get(), TIFFTAG_IMAGELENGTH, file.height);
        TIFFSetField(tif.get(), TIFFTAG_BITSPERSAMPLE, file.bitsPerSample);
        TIFFSetField(tif.get(), TIFFTAG_SAMPLESPERPIXEL, file.samplesPerPixel);
        TIFFSetField(tif.get(), TIFFTAG_PHOTOMETRIC, file.photometric);
        TIFFSetField(tif.get(), TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(tif.get(), TIFFTAG_ORIENTATION, file.orientation);
        TIFFSetField(tif.get(), TIFFTAG_ROWSPERSTRIP, uint32_t(2));
        if (file.resolutionUnit != 0) {
            TIFFSetField(tif.get(), TIFFTAG_RESOLUTIONUNIT, file.resolutionUnit);
            TIFFSetField(tif.get(), TIFFTAG_XRESOLUTION, file.xResolution);
            TIFFSetField(tif.get(), TIFFTAG_YRESOLUTION, file.yResolution);
        }
        if (!file.red.empty()) {
            // libtiff takes 2^BitsPerSample entries from each table.
            std::vector<uint16_t> r = file.red, g = file.green, b = file.blue;
            const size_t n = size_t(1) << file.bitsPerSample;
            r.resize(n), g.resize(n), b.resize(n);
            TIFFSetField(tif.get(), TIFFTAG_COLORMAP, r.data(), g.data(), b.data());
        }
        for (uint32_t y = 0; y < file.height; ++y) {
            std::vector<uint8_t> line = file.rows[y];
            EXPECT_GE(TIFFWriteScanline(tif.get(), line.data(), y, 0), 0);
        }
    }
    return Bytes(s);
}

// The depths of the writer with odd widths: 1 (black on white), 4 and 8 (colour maps and
// grey ramps), 24 and 32 bits.
void MakePicture(NyZazo& p, int depth, bool grey) {
    p.Create(37, 13, depth, 1);
    if (depth == 1) {
        p.SetPaletteColour(0, 0, 0, 0);
        p.SetPaletteColour(1, 255, 255, 255);
    } else if (depth <= 8) {
        if (grey) {
            p.SetGreyPalette();
        } else {
            for (uint32_t i = 0; i < p.header.biClrUsed; ++i)
                p.SetPaletteColour(int(i), uint8_t(i * 37), uint8_t(255 - i * 11), uint8_t(i * 5 + 3));
        }
    }
    for (int y = 0; y < p.Height(); ++y)
        for (int x = 0; x < p.Width(); ++x) {
            if (depth <= 8)
                p.SetPixelIndex(x, y, uint8_t((x * 3 + y * 7) % p.header.biClrUsed));
            else
                p.SetPixelColour(x, y, MakeQuad(uint8_t(x * 255 / 37), uint8_t(y * 255 / 13), 90));
        }
    if (depth == 32)
        for (int y = 0; y < p.Height(); ++y)
            for (int x = 0; x < p.Width(); ++x) p.Row(y)[4 * x + 3] = uint8_t(x + y);
}

struct WrittenTags {
    uint16_t compression = 0, bitsPerSample = 0, samplesPerPixel = 0, photometric = 0;
    uint32_t rowsPerStrip = 0;
};

WrittenTags ReadTags(const std::vector<uint8_t>& bytes) {
    WrittenTags t;
    ImageStream s(bytes.data(), uint32_t(bytes.size()));
    NyZazo messages;
    TiffHandle tif = OpenTiffStream(s, "rb", messages);
    EXPECT_TRUE(tif) << messages.lastError;
    if (!tif) return t;
    TIFFGetField(tif.get(), TIFFTAG_COMPRESSION, &t.compression);
    TIFFGetField(tif.get(), TIFFTAG_BITSPERSAMPLE, &t.bitsPerSample);
    TIFFGetField(tif.get(), TIFFTAG_SAMPLESPERPIXEL, &t.samplesPerPixel);
    TIFFGetField(tif.get(), TIFFTAG_PHOTOMETRIC, &t.photometric);
    TIFFGetField(tif.get(), TIFFTAG_ROWSPERSTRIP, &t.rowsPerStrip);
    return t;
}

// Padding bits at row ends carry no meaning, so indices are compared one by one.
bool SameIndices(const NyZazo& a, const NyZazo& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.GetPixelIndex(x, y) != b.GetPixelIndex(x, y)) return false;
    return true;
}

void PrepareTarget(NyZazo& target) {
    target.Create(3, 2, 24, 1);
    target.SetPixelColour(1, 1, MakeQuad(10, 20, 30));
}

void ExpectUntouched(const NyZazo& target) {
    EXPECT_EQ(target.Width(), 3);
    EXPECT_EQ(target.Height(), 2);
    EXPECT_EQ(target.GetPixelColour(1, 1), MakeQuad(10, 20, 30));
}

// The reference with its colours multiplied by its alpha, as libtiff's RGBA raster delivers them.
RgbaImage Premultiplied(RgbaImage image) {
    for (size_t i = 0; i < image.rgba.size(); i += 4)
        for (int c = 0; c < 3; ++c) image.rgba[i + c] = uint8_t(image.rgba[i + c] * image.rgba[i + 3] / 255);
    return image;
}

}  // namespace

TEST(TiffCorpus, EveryFileDecodesLikeTheReference) {
    if (!HaveCorpus()) GTEST_SKIP() << "corpus not found at " << CorpusDir();
    // Intended differences, each with the rule that causes it.
    struct Expectation {
        const char* file;
        int tolerance;       // largest channel difference to the reference
        bool premultiplied;  // compare with the reference's colours times its alpha
        const char* refusal; // the file fails with this text
    };
    const Expectation expectations[] = {
        // Colour pictures go through libtiff's RGBA raster, which multiplies unassociated alpha in.
        {"tiff/pil136.tiff", 1, true, nullptr},
        {"tiff/tiff_16bit_RGBa.tiff", 2, true, nullptr},
        {"tiff/tiff_wrong_bits_per_sample.tiff", 1, true, nullptr},
        // The raster rounds 16-bit samples to 8 bits; the reference keeps the high byte.
        {"tiff/tiff_16bit_RGB.tiff", 1, false, nullptr},
        {"tiff/tiff_strip_planar_16bit_RGB.tiff", 1, false, nullptr},
        // The raster's CMYK conversion truncates where the reference rounds.
        {"tiff/tiff_strip_cmyk_jpeg.tif", 1, false, nullptr},
        {"tiff/tiff_tiled_cmyk_jpeg.tif", 1, false, nullptr},
        // 16-bit colour maps become v * 255 / 65535, truncated; the reference keeps the high byte.
        {"tiff/multipage-mmap.tiff", 1, false, nullptr},
        // libtiff's own CIELab conversion; the reference used littleCMS.
        {"tiff/hopper.Lab.tif", 50, false, nullptr},
        {"tiff/lab.tif", 50, false, nullptr},
        // The raster cannot convert 16-bit CMYK.
        {"tiff/tiff_strip_cmyk_16l_jpeg.tif", 0, false, texts::kTiffCorrupted},
        // Broken files that every decoder refuses.
        {"tiff/crash-0c7e0e8e11ce787078f00b5b0ca409a167f070e0.tif", 0, false, texts::kTiffCorrupted},
        {"tiff/crash-86214e58da443d2b80820cff9677a38a33dcbbca.tif", 0, false, texts::kTiffCorrupted},
        {"tiff/crash-2020-10-test.tif", 0, false, texts::kTiffCorrupted},
        {"tiff/crash-63b1dffefc8c075ddc606c0a2f5fdc15ece78863.tif", 0, false, texts::kTiffCorrupted},
        {"tiff/tiff_overflow_rows_per_strip.tif", 0, false, texts::kTiffCorrupted},
        {"tiff/libtiff_segfault.tif", 0, false, texts::kPictureTooLarge},
        {"tiff/oom-225817ca0f8c663be7ab4b9e717b02c661e66834.tif", 0, false, texts::kTiffOpenFailed},
        {"tiff/seek_too_large.tif", 0, false, texts::kTiffOpenFailed},
    };
    const auto entries = CorpusEntries("tiff");
    ASSERT_FALSE(entries.empty());
    for (const auto& e : entries) {
        Expectation expect{e.path.c_str(), 0, false, nullptr};
        for (const auto& x : expectations)
            if (e.path == x.file) expect = x;
        const int pages = std::min(e.frames, 3);
        for (int page = 0; page < pages; ++page) {
            SCOPED_TRACE(e.path + " page " + std::to_string(page));
            std::string ref = e.bestRef;
            if (page > 0) {
                if (ref.empty()) break;
                ref = ref.substr(0, ref.size() - 4) + ".f" + std::to_string(page) + ".png";
                if (!std::filesystem::exists(CorpusDir() / ref)) break;
            }
            ImageStream s(ImageStream::kFile);
            ASSERT_TRUE(s.OpenFile((CorpusDir() / e.path).string(), "rb"));
            NyZazo picture;
            picture.frameIndex = page;
            const bool ok = picture.Decode(s, 3);
            if (expect.refusal) {
                EXPECT_FALSE(ok);
                EXPECT_STREQ(picture.lastError, expect.refusal);
                EXPECT_EQ(picture.dib, nullptr);
                break;
            }
            // Damaged files without a reference may go either way, but cleanly.
            if (ref.empty()) {
                if (!ok) {
                    EXPECT_NE(picture.lastError[0], 0);
                }
                break;
            }
            ASSERT_TRUE(ok) << picture.lastError;
            EXPECT_EQ(picture.formatType, 3);
            RgbaImage expected = LoadPng((CorpusDir() / ref).string());
            if (expect.premultiplied) expected = Premultiplied(expected);
            const RgbaImage actual = ToRgba(picture);
            const ImageDiff d = CompareRgb(actual, expected);
            EXPECT_TRUE(d.sameSize);
            EXPECT_LE(d.maxDiff, expect.tolerance) << d.differing << " pixels differ";
            if (!d.sameSize || d.maxDiff > expect.tolerance) {
                SavePng(::testing::TempDir() + ref.substr(4) + ".actual.png", actual);
                SavePng(::testing::TempDir() + ref.substr(4) + ".expected.png", expected);
            }
        }
    }
}

TEST(TiffRoundTrip, EveryDepthWithOddWidths) {
    const struct {
        int depth;
        bool grey;
        uint16_t compression, bitsPerSample, samplesPerPixel, photometric;
        int tolerance;
    } cases[] = {
        {1, false, COMPRESSION_CCITTFAX3, 1, 1, PHOTOMETRIC_MINISBLACK, 0},
        {4, false, COMPRESSION_NONE, 4, 1, PHOTOMETRIC_PALETTE, 0},
        {4, true, COMPRESSION_NONE, 4, 1, PHOTOMETRIC_PALETTE, 0},
        {8, false, COMPRESSION_PACKBITS, 8, 1, PHOTOMETRIC_PALETTE, 0},
        {8, true, COMPRESSION_PACKBITS, 8, 1, PHOTOMETRIC_MINISBLACK, 0},
        {24, false, COMPRESSION_JPEG, 8, 3, PHOTOMETRIC_RGB, 8},
        {32, false, COMPRESSION_JPEG, 8, 3, PHOTOMETRIC_RGB, 8},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE("depth " + std::to_string(c.depth) + (c.grey ? " grey" : ""));
        NyZazo picture;
        MakePicture(picture, c.depth, c.grey);
        picture.SetDpiX(150);
        picture.SetDpiY(96);
        const auto bytes = EncodeTiff(picture);
        const WrittenTags tags = ReadTags(bytes);
        EXPECT_EQ(tags.compression, c.compression);
        EXPECT_EQ(tags.bitsPerSample, c.bitsPerSample);
        EXPECT_EQ(tags.samplesPerPixel, c.samplesPerPixel);
        EXPECT_EQ(tags.photometric, c.photometric);
        EXPECT_EQ(tags.rowsPerStrip, c.depth >= 24 ? 8u : 1u);

        NyZazo back;
        ASSERT_TRUE(DecodeTiff(bytes, back)) << back.lastError;
        EXPECT_EQ(back.Width(), 37);
        EXPECT_EQ(back.Height(), 13);
        EXPECT_EQ(back.BitCount(), c.depth == 32 ? 24 : c.depth);
        EXPECT_EQ(back.dpiX, 150);
        EXPECT_EQ(back.dpiY, 96);
        EXPECT_EQ(back.frameCount, 1);
        const RgbaImage original = ToRgba(picture);
        EXPECT_LE(CompareRgb(ToRgba(back), original).maxDiff, c.tolerance);
        if (c.depth <= 8) {
            EXPECT_TRUE(SameIndices(back, picture));
        }

        const std::string path = dir.File("depth" + std::to_string(c.depth) + ".tif");
        ASSERT_TRUE(WriteFileBytes(path, bytes));
        ASSERT_TRUE(HavePythonModules({"PIL"}));
        const RgbaImage pillow = DecodeWithPillow(path);
        ASSERT_TRUE(pillow.Valid()) << "Pillow could not read " << path;
        EXPECT_LE(CompareRgb(pillow, original).maxDiff, c.tolerance);
    }
}

TEST(TiffRoundTrip, OneBitWithWhiteFirstIsWrittenWhiteIsZero) {
    NyZazo picture;
    MakePicture(picture, 1, false);
    picture.SetPaletteColour(0, 250, 250, 250);
    picture.SetPaletteColour(1, 0, 0, 0);
    const auto bytes = EncodeTiff(picture);
    EXPECT_EQ(ReadTags(bytes).photometric, PHOTOMETRIC_MINISWHITE);
    NyZazo back;
    ASSERT_TRUE(DecodeTiff(bytes, back)) << back.lastError;
    EXPECT_EQ(back.GetPaletteColour(0), MakeQuad(255, 255, 255));
    EXPECT_TRUE(SameIndices(back, picture));
}

// Colour pages carry jpegQuality into the JPEG compression, limited to the library's 100.
TEST(TiffRoundTrip, ColourPagesAreCompressedAtJpegQuality) {
    NyZazo picture;
    MakePicture(picture, 24, false);
    ASSERT_EQ(picture.jpegQuality, 150);
    const auto atInitial = EncodeTiff(picture);
    picture.jpegQuality = 100;
    EXPECT_EQ(EncodeTiff(picture), atInitial);
    picture.jpegQuality = 20;
    const auto low = EncodeTiff(picture);
    EXPECT_LT(low.size(), atInitial.size());
}

// Black-is-zero only for the identity grey palette; a 4-bit identity (0..15) is not the
// ramp a reader rebuilds, so it must travel as a colour map to keep its colours.
TEST(TiffRoundTrip, PhotometricFollowsTheIdentityGreyPalette) {
    NyZazo identity8;
    MakePicture(identity8, 8, true);
    ASSERT_TRUE(identity8.IsGreyScale());
    EXPECT_EQ(ReadTags(EncodeTiff(identity8)).photometric, PHOTOMETRIC_MINISBLACK);
    identity8.SetPaletteColour(200, 200, 201, 200);
    EXPECT_EQ(ReadTags(EncodeTiff(identity8)).photometric, PHOTOMETRIC_PALETTE);

    NyZazo identity4;
    MakePicture(identity4, 4, false);
    for (int i = 0; i < 16; ++i) identity4.SetPaletteColour(i, uint8_t(i), uint8_t(i), uint8_t(i));
    ASSERT_TRUE(identity4.IsGreyScale());
    const auto bytes = EncodeTiff(identity4);
    EXPECT_EQ(ReadTags(bytes).photometric, PHOTOMETRIC_PALETTE);
    NyZazo back;
    ASSERT_TRUE(DecodeTiff(bytes, back)) << back.lastError;
    EXPECT_EQ(back.GetPaletteColour(15), MakeQuad(15, 15, 15));
    EXPECT_TRUE(SameIndices(back, identity4));
}

TEST(TiffPages, PagesAreCountedAndSelected) {
    ImageStream s(ImageStream::kMemory);
    {
        NyZazoTIF writer;
        TiffHandle tif = OpenTiffStream(s, "wb", writer);
        ASSERT_TRUE(tif);
        for (int page = 0; page < 2; ++page) {
            NyZazo picture;
            MakePicture(picture, page == 0 ? 8 : 1, false);
            NyZazoTIF codec;
            codec.ShareFrom(picture);
            ASSERT_TRUE(codec.WriteTiffPage(tif.get(), true, page, 2));
        }
    }
    const auto bytes = Bytes(s);
    for (int page = 0; page < 2; ++page) {
        NyZazo back;
        ASSERT_TRUE(DecodeTiff(bytes, back, page)) << back.lastError;
        EXPECT_EQ(back.frameCount, 2);
        EXPECT_EQ(back.BitCount(), page == 0 ? 8 : 1);
    }
    {
        ImageStream in(bytes.data(), uint32_t(bytes.size()));
        NyZazo messages;
        TiffHandle tif = OpenTiffStream(in, "rb", messages);
        ASSERT_TRUE(tif);
        ASSERT_TRUE(TIFFSetDirectory(tif.get(), 1));
        char* name = nullptr;
        uint16_t number = 0, count = 0;
        uint32_t subfile = 0;
        ASSERT_TRUE(TIFFGetField(tif.get(), TIFFTAG_PAGENAME, &name));
        EXPECT_STREQ(name, "Page 1");
        ASSERT_TRUE(TIFFGetField(tif.get(), TIFFTAG_PAGENUMBER, &number, &count));
        EXPECT_EQ(number, 1);
        EXPECT_EQ(count, 2);
        ASSERT_TRUE(TIFFGetField(tif.get(), TIFFTAG_SUBFILETYPE, &subfile));
        EXPECT_EQ(subfile, uint32_t(FILETYPE_PAGE));
    }
    // Page 3 of two: the codec reports the count, the target keeps its picture.
    NyZazoTIF codec;
    codec.frameIndex = 3;
    ImageStream in(bytes.data(), uint32_t(bytes.size()));
    EXPECT_FALSE(codec.Decode(in));
    EXPECT_STREQ(codec.lastError, texts::kTiffPageMissing);
    EXPECT_EQ(codec.frameCount, 2);
    NyZazo target;
    PrepareTarget(target);
    EXPECT_FALSE(DecodeTiff(bytes, target, 3));
    EXPECT_STREQ(target.lastError, texts::kTiffPageMissing);
    ExpectUntouched(target);
}

TEST(TiffDecode, PhotometricRulesForBilevelAndGrey) {
    // One row of 8 pixels, the first four 0 bits: white when white is zero, black otherwise.
    for (uint16_t photometric : {PHOTOMETRIC_MINISWHITE, PHOTOMETRIC_MINISBLACK}) {
        SCOPED_TRACE(photometric);
        TiffFile fields;
        fields.width = 8;
        fields.bitsPerSample = 1;
        fields.photometric = photometric;
        fields.rows = {{0x0F}};
        NyZazo p;
        ASSERT_TRUE(DecodeTiff(MakeTiff(fields), p)) << p.lastError;
        EXPECT_EQ(p.BitCount(), 1);
        const RGBQUAD white = MakeQuad(255, 255, 255), black = MakeQuad(0, 0, 0);
        EXPECT_EQ(p.GetPixelIndex(0, 0), 0);
        EXPECT_EQ(p.GetPixelColour(0, 0), photometric == PHOTOMETRIC_MINISWHITE ? white : black);
        EXPECT_EQ(p.GetPixelColour(7, 0), photometric == PHOTOMETRIC_MINISWHITE ? black : white);
    }
    // 2-bit grey becomes an 8-bit picture on the grey ramp; white-is-zero reverses it.
    for (uint16_t photometric : {PHOTOMETRIC_MINISWHITE, PHOTOMETRIC_MINISBLACK}) {
        TiffFile fields;
        fields.width = 5;
        fields.bitsPerSample = 2;
        fields.photometric = photometric;
        fields.rows = {{0x1B, 0x80}};  // 0, 1, 2, 3, 2
        NyZazo p;
        ASSERT_TRUE(DecodeTiff(MakeTiff(fields), p)) << p.lastError;
        EXPECT_EQ(p.BitCount(), 8);
        const uint8_t expected[] = {0, 85, 170, 255, 170};
        for (int x = 0; x < 5; ++x) {
            const uint8_t v = photometric == PHOTOMETRIC_MINISWHITE ? uint8_t(255 - expected[x]) : expected[x];
            EXPECT_EQ(p.GetPixelColour(x, 0), MakeQuad(v, v, v)) << "x " << x;
        }
    }
    // 16-bit grey keeps the high byte of each sample.
    TiffFile fields;
    fields.width = 3;
    fields.bitsPerSample = 16;
    const uint16_t samples[] = {0x1234, 0xFF01, 0x00FF};
    fields.rows = {std::vector<uint8_t>(6)};
    std::memcpy(fields.rows[0].data(), samples, 6);
    NyZazo p;
    ASSERT_TRUE(DecodeTiff(MakeTiff(fields), p)) << p.lastError;
    EXPECT_EQ(p.GetPixelIndex(0, 0), 0x12);
    EXPECT_EQ(p.GetPixelIndex(1, 0), 0xFF);
    EXPECT_EQ(p.GetPixelIndex(2, 0), 0x00);
}

TEST(TiffDecode, ResolutionIsReadInItsUnit) {
    struct Case {
        uint16_t unit;
        float x, y;
        int dpiX, dpiY;
    };
    const int defaultDpi = NyZazo{}.dpiX;
    const Case cases[] = {
        {RESUNIT_INCH, 300.9f, 72, 300, 72},            // inches are truncated
        {RESUNIT_CENTIMETER, 118.11f, 40, 300, 102},    // 118.11 × 2.54 = 299.9994, 40 × 2.54 = 101.6
        {RESUNIT_CENTIMETER, 1e9f, 0.2f, 1000000, 1},  // held to the largest resolution taken
        {RESUNIT_NONE, 300, 200, defaultDpi, defaultDpi},  // a ratio without a unit says nothing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.unit);
        SCOPED_TRACE(c.x);
        TiffFile fields;
        fields.width = 2;
        fields.rows = {{1, 2}};
        fields.resolutionUnit = c.unit;
        fields.xResolution = c.x;
        fields.yResolution = c.y;
        NyZazo p;
        ASSERT_TRUE(DecodeTiff(MakeTiff(fields), p)) << p.lastError;
        EXPECT_EQ(p.dpiX, c.dpiX);
        EXPECT_EQ(p.dpiY, c.dpiY);
    }
    // Without a ResolutionUnit tag the unit is the inch.
    ImageStream s(ImageStream::kMemory);
    NyZazo messages;
    {
        TiffHandle tif = OpenTiffStream(s, "w", messages);
        ASSERT_TRUE(tif);
        TIFFSetField(tif.get(), TIFFTAG_IMAGEWIDTH, uint32_t(1));
        TIFFSetField(tif.get(), TIFFTAG_IMAGELENGTH, uint32_t(1));
        TIFFSetField(tif.get(), TIFFTAG_BITSPERSAMPLE, uint16_t(8));
        TIFFSetField(tif.get(), TIFFTAG_PHOTOMETRIC, uint16_t(PHOTOMETRIC_MINISBLACK));
        TIFFSetField(tif.get(), TIFFTAG_XRESOLUTION, 150.0f);
        TIFFSetField(tif.get(), TIFFTAG_YRESOLUTION, 96.0f);
        uint8_t pixel = 7;
        ASSERT_GE(TIFFWriteScanline(tif.get(), &pixel, 0, 0), 0);
    }
    NyZazo p;
    ASSERT_TRUE(DecodeTiff(Bytes(s), p)) << p.lastError;
    EXPECT_EQ(p.dpiX, 150);
    EXPECT_EQ(p.dpiY, 96);
}

TEST(TiffDecode, TiledGreyGoesThroughTheRaster) {
    ImageStream s(ImageStream::kMemory);
    {
        NyZazo messages;
        TiffHandle tif = OpenTiffStream(s, "w", messages);
        ASSERT_TRUE(tif);
        TIFFSetField(tif.get(), TIFFTAG_IMAGEWIDTH, uint32_t(20));
        TIFFSetField(tif.get(), TIFFTAG_IMAGELENGTH, uint32_t(18));
        TIFFSetField(tif.get(), TIFFTAG_BITSPERSAMPLE, uint16_t(8));
        TIFFSetField(tif.get(), TIFFTAG_SAMPLESPERPIXEL, uint16_t(1));
        TIFFSetField(tif.get(), TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
        TIFFSetField(tif.get(), TIFFTAG_COMPRESSION, COMPRESSION_LZW);
        TIFFSetField(tif.get(), TIFFTAG_TILEWIDTH, uint32_t(16));
        TIFFSetField(tif.get(), TIFFTAG_TILELENGTH, uint32_t(16));
        std::vector<uint8_t> tile(16 * 16);
        for (uint32_t ty = 0; ty < 18; ty += 16)
            for (uint32_t tx = 0; tx < 20; tx += 16) {
                for (uint32_t y = 0; y < 16; ++y)
                    for (uint32_t x = 0; x < 16; ++x) tile[y * 16 + x] = uint8_t((tx + x) * 10 + (ty + y));
                ASSERT_GT(TIFFWriteTile(tif.get(), tile.data(), tx, ty, 0, 0), 0);
            }
    }
    NyZazo p;
    ASSERT_TRUE(DecodeTiff(Bytes(s), p)) << p.lastError;
    EXPECT_EQ(p.BitCount(), 24);
    for (int sy : {0, 5, 17})
        for (int x : {0, 15, 19}) {
            const uint8_t v = uint8_t(x * 10 + sy);
            EXPECT_EQ(p.GetPixelColour(x, 17 - sy), MakeQuad(v, v, v)) << x << "," << sy;
        }
}

TEST(TiffDecode, ColourMapsWideNarrowAndShort) {
    // Values above 255 anywhere: every entry is scaled by 255 / 65535.
    TiffFile wide;
    wide.width = 3;
    wide.photometric = PHOTOMETRIC_PALETTE;
    wide.red = {0, 65535, 32768};
    wide.green = {0, 0, 65535};
    wide.blue = {200, 0, 0};
    wide.rows = {{0, 1, 2}};
    NyZazo p;
    ASSERT_TRUE(DecodeTiff(MakeTiff(wide), p)) << p.lastError;
    EXPECT_EQ(p.GetPaletteColour(0), MakeQuad(0, 0, 200 * 255 / 65535));
    EXPECT_EQ(p.GetPaletteColour(1), MakeQuad(255, 0, 0));
    EXPECT_EQ(p.GetPaletteColour(2), MakeQuad(127, 255, 0));
    // All values up to 255: taken as they are.
    TiffFile narrow = wide;
    narrow.red = {0, 200, 17};
    narrow.green = {0, 0, 255};
    narrow.blue = {9, 0, 0};
    ASSERT_TRUE(DecodeTiff(MakeTiff(narrow), p)) << p.lastError;
    EXPECT_EQ(p.GetPaletteColour(1), MakeQuad(200, 0, 0));
    EXPECT_EQ(p.GetPaletteColour(2), MakeQuad(17, 255, 0));
    // A 2-bit palette file has a 4-entry map; the 8-bit picture keeps the rest black.
    TiffFile shortMap;
    shortMap.width = 4;
    shortMap.bitsPerSample = 2;
    shortMap.photometric = PHOTOMETRIC_PALETTE;
    shortMap.red = {0, 65535, 0, 0};
    shortMap.green = {0, 0, 65535, 0};
    shortMap.blue = {0, 0, 0, 65535};
    shortMap.rows = {{0x1B}};  // 0, 1, 2, 3
    ASSERT_TRUE(DecodeTiff(MakeTiff(shortMap), p)) << p.lastError;
    EXPECT_EQ(p.BitCount(), 8);
    EXPECT_EQ(p.GetPixelColour(1, 0), MakeQuad(255, 0, 0));
    EXPECT_EQ(p.GetPixelColour(2, 0), MakeQuad(0, 255, 0));
    EXPECT_EQ(p.GetPixelColour(3, 0), MakeQuad(0, 0, 255));
    EXPECT_EQ(p.GetPaletteColour(4), MakeQuad(0, 0, 0));
}

TEST(TiffDecode, OrientationTurnsBothPaths) {
    // 3 x 2, top row 1 2 3, bottom row 4 5 6.
    auto grey = [](uint16_t orientation) {
        TiffFile fields;
        fields.width = 3;
        fields.height = 2;
        fields.orientation = orientation;
        fields.rows = {{1, 2, 3}, {4, 5, 6}};
        return MakeTiff(fields);
    };
    auto colour = [](uint16_t orientation) {
        TiffFile fields;
        fields.width = 3;
        fields.height = 2;
        fields.samplesPerPixel = 3;
        fields.photometric = PHOTOMETRIC_RGB;
        fields.orientation = orientation;
        fields.rows = {{1, 0, 0, 2, 0, 0, 3, 0, 0}, {4, 0, 0, 5, 0, 0, 6, 0, 0}};
        return MakeTiff(fields);
    };
    // Orientation 6 is shown a quarter turn clockwise: top row first, 4 1 / 5 2 / 6 3.
    NyZazo p;
    ASSERT_TRUE(DecodeTiff(grey(6), p)) << p.lastError;
    ASSERT_EQ(p.Width(), 2);
    ASSERT_EQ(p.Height(), 3);
    const uint8_t shown6[3][2] = {{4, 1}, {5, 2}, {6, 3}};
    for (int screenY = 0; screenY < 3; ++screenY)
        for (int x = 0; x < 2; ++x) EXPECT_EQ(p.GetPixelIndex(x, 2 - screenY), shown6[screenY][x]);
    // Every orientation: the palette path and the raster path agree.
    for (uint16_t o = 1; o <= 8; ++o) {
        SCOPED_TRACE(o);
        NyZazo g, c;
        ASSERT_TRUE(DecodeTiff(grey(o), g)) << g.lastError;
        ASSERT_TRUE(DecodeTiff(colour(o), c)) << c.lastError;
        ASSERT_EQ(g.Width(), c.Width());
        ASSERT_EQ(g.Height(), c.Height());
        EXPECT_EQ(g.Width(), o >= 5 ? 2 : 3);
        for (int y = 0; y < g.Height(); ++y)
            for (int x = 0; x < g.Width(); ++x) EXPECT_EQ(g.GetPixelIndex(x, y), c.GetPixelColour(x, y).red);
    }
}

namespace {

// A little-endian TIFF made field by field: one directory at offset 8, one strip.
std::vector<uint8_t> HandMadeTiff(uint32_t width, uint32_t height, uint32_t stripOffset, uint32_t stripBytes,
                                  size_t dataBytes) {
    struct Entry {
        uint16_t tag, type;
        uint32_t count, value;
    };
    const Entry entries[] = {
        {256, 4, 1, width},      {257, 4, 1, height},          {258, 3, 1, 8},         {259, 3, 1, 1},
        {262, 3, 1, 1},          {273, 4, 1, stripOffset},     {277, 3, 1, 1},         {278, 4, 1, height},
        {279, 4, 1, stripBytes},
    };
    std::vector<uint8_t> out = {'I', 'I', 42, 0, 8, 0, 0, 0};
    auto put16 = [&out](uint16_t v) { out.push_back(uint8_t(v)), out.push_back(uint8_t(v >> 8)); };
    auto put32 = [&](uint32_t v) { put16(uint16_t(v)), put16(uint16_t(v >> 16)); };
    put16(uint16_t(std::size(entries)));
    for (const Entry& e : entries) {
        put16(e.tag), put16(e.type), put32(e.count);
        if (e.type == 3)
            put16(uint16_t(e.value)), put16(0);
        else
            put32(e.value);
    }
    put32(0);
    for (size_t i = 0; i < dataBytes; ++i) out.push_back(uint8_t(i * 13));
    return out;
}

}  // namespace

TEST(TiffDecode, MalformedInputFailsWithTextAndLeavesTheTarget) {
    const uint32_t dataStart = 8 + 2 + 9 * 12 + 4;
    const auto valid = HandMadeTiff(4, 3, dataStart, 12, 12);
    {
        NyZazo p;
        ASSERT_TRUE(DecodeTiff(valid, p)) << p.lastError;
        EXPECT_EQ(p.GetPixelIndex(1, 2), 13);  // second byte of the top row
    }
    std::vector<uint8_t> cutInHeader(valid.begin(), valid.begin() + 20);
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* text;
    } cases[] = {
        {"not a TIFF", {'B', 'M', 1, 2, 3, 4, 5, 6}, texts::kTiffOpenFailed},
        {"cut inside the directory", cutInHeader, texts::kTiffOpenFailed},
        {"strip data cut short", HandMadeTiff(4, 3, dataStart, 12, 5), texts::kTiffCorrupted},
        {"strip beyond the end", HandMadeTiff(4, 3, 100000, 12, 12), texts::kTiffCorrupted},
        {"absurd size", HandMadeTiff(100000, 100000, dataStart, 12, 12), texts::kPictureTooLarge},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        NyZazo target;
        PrepareTarget(target);
        EXPECT_FALSE(DecodeTiff(c.bytes, target));
        EXPECT_STREQ(target.lastError, c.text);
        ExpectUntouched(target);
    }
}

TEST(TiffDecode, FuzzerFindingsStayFixed) {
    // Kept inputs of the fuzz target: each must decode or fail cleanly.
    const auto seeds = std::filesystem::path(QUILLORY_SOURCE_DIR) / "fuzz" / "seeds";
    const auto resolution = ReadFileBytes((seeds / "tiff_huge_resolution").string());
    ASSERT_FALSE(resolution.empty());
    NyZazo p;
    if (DecodeTiff(resolution, p)) {
        // An XResolution of about 8e10: clamped before it becomes pixels per metre.
        EXPECT_LE(p.dpiX, 1000000);
        EXPECT_GT(p.header.biXPelsPerMeter, 0);
    } else {
        EXPECT_NE(p.lastError[0], 0);
    }
}

TEST(TiffDecode, LibraryMessagesStayOffStderr) {
    testing::internal::CaptureStderr();
    NyZazo p;
    EXPECT_FALSE(DecodeTiff(HandMadeTiff(4, 3, 100000, 12, 12), p));
    EXPECT_FALSE(DecodeTiff({'I', 'I', 42, 0, 0xFF, 0xFF, 0, 0}, p));
    if (HaveCorpus()) {
        // A bogus strip byte count that libtiff warns about.
        NyZazo q;
        q.Load((CorpusDir() / "tiff/tiff_wrong_bits_per_sample.tiff").string(), 3);
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(TiffEncode, FailuresHaveTexts) {
    NyZazo picture;
    MakePicture(picture, 8, true);
    ImageStream closed(ImageStream::kFile);
    EXPECT_FALSE(picture.Encode(closed, 3));
    EXPECT_STREQ(picture.lastError, texts::kTiffInvalidStream);

    TempDir dir;
    const std::string path = dir.File("readonly.tif");
    ASSERT_TRUE(WriteFileBytes(path, {1, 2, 3}));
    FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    ImageStream readOnly(file);
    EXPECT_FALSE(picture.Encode(readOnly, 3));
    const std::string text = picture.lastError;
    EXPECT_TRUE(text == texts::kTiffInitFailed || text == texts::kTiffSaveFailed) << text;
    std::fclose(file);
}

TEST(TiffSample, BuiltInSampleIsARealTiff) {
    RegisterBuiltInSamples();
    NyZazo picture;
    ASSERT_TRUE(LoadSample(cmd::kLoadTifSample, picture)) << picture.lastError;
    EXPECT_EQ(picture.Width(), 400);
    EXPECT_EQ(picture.Height(), 300);
    EXPECT_EQ(picture.formatType, 3);
}
