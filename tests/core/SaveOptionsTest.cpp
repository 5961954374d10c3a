// Save options: the settings file, and each format's writer taking its own options.
#include <gtest/gtest.h>

#include <tiffio.h>

#include <string>
#include <vector>

#include "core/FormatCodes.h"
#include "core/ImageStream.h"
#include "core/NyZazo.h"
#include "core/SaveOptions.h"
#include "support/PictureCompare.h"
#include "support/TestFiles.h"

using namespace quillory;

namespace {

uint16_t TiffCompressionOf(const std::string& path) {
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    if (!tif) return 0;
    uint16_t compression = 0;
    TIFFGetField(tif, TIFFTAG_COMPRESSION, &compression);
    TIFFClose(tif);
    return compression;
}

}  // namespace

TEST(SaveOptions, SettingsTextRoundTripsAndBadLinesKeepTheirDefaults) {
    SaveOptions chosen;
    chosen.jpegQuality = 85;
    chosen.tiffCompression = kTiffCompressionDeflate;
    chosen.pngLevel = 9;
    chosen.webpQuality = 60;
    chosen.webpLossless = true;
    EXPECT_EQ(ParseSaveOptions(FormatSaveOptions(chosen)), chosen);
    EXPECT_EQ(ParseSaveOptions(""), SaveOptions{});

    const SaveOptions odd = ParseSaveOptions(
        "jpegQuality=abc\r\ntiffCompression=zip\npngLevel=42\nwebpQuality=-5\nnoise\n=3\nwebpLossless=1\n");
    EXPECT_EQ(odd.jpegQuality, 100);
    EXPECT_EQ(odd.tiffCompression, kTiffCompressionByDepth);
    EXPECT_EQ(odd.pngLevel, 9);
    EXPECT_EQ(odd.webpQuality, 1);
    EXPECT_TRUE(odd.webpLossless);
}

TEST(SaveOptions, StoredThroughTheAtomicWriterAndReadBack) {
    test::TempDir dir;
    EXPECT_EQ(LoadSaveOptions(dir.path().string()), SaveOptions{});
    SaveOptions chosen;
    chosen.tiffCompression = kTiffCompressionLzw;
    ASSERT_TRUE(StoreSaveOptions(dir.path().string(), chosen));
    EXPECT_EQ(LoadSaveOptions(dir.path().string()), chosen);
    std::string error;
    EXPECT_FALSE(StoreSaveOptions(dir.File("missing/folder"), chosen, &error));
    EXPECT_NE(error.find("missing"), std::string::npos) << error;
}

TEST(SaveOptions, TiffCompressionsAreWrittenAsChosenAndReadBackLosslessly) {
    test::TempDir dir;
    for (int depth : {1, 4, 8, 24}) {
        SCOPED_TRACE(depth);
        NyZazo picture;
        test::PatternPicture(picture, 40, 9, depth);
        if (depth == 8) picture.SetGreyPalette();
        // One-bit TIFF pictures are black and white.
        if (depth == 1) picture.SetPaletteColour(0, 0, 0, 0), picture.SetPaletteColour(1, 255, 255, 255);
        const uint16_t byDepth = depth == 1 ? 3 : depth == 8 ? 32773 : depth == 24 ? 7 : 1;
        for (int code : {kTiffCompressionByDepth, kTiffCompressionLzw, kTiffCompressionDeflate, kTiffCompressionNone}) {
            SaveOptions options;
            options.tiffCompression = code;
            NyZazo copy(picture, true);
            ApplySaveOptions(options, kFormatTiff, copy);
            const std::string path = dir.File("c" + std::to_string(code) + ".tif");
            ASSERT_TRUE(copy.Save(path, kFormatTiff)) << copy.lastError;
            EXPECT_EQ(TiffCompressionOf(path), code ? code : byDepth);
            NyZazo back;
            ASSERT_TRUE(back.Load(path, kFormatTiff)) << back.lastError;
            if (code != kTiffCompressionByDepth || depth != 24) test::SamePicture(picture, back);
        }
    }
}

TEST(SaveOptions, EachFormatTakesOnlyItsOwnOptions) {
    SaveOptions options;
    options.jpegQuality = 40;
    options.webpQuality = 70;
    options.webpLossless = true;
    options.pngLevel = 2;
    options.tiffCompression = kTiffCompressionLzw;
    NyZazo tiff(4, 4, 24, 1);
    ApplySaveOptions(options, kFormatTiff, tiff);
    EXPECT_EQ(tiff.jpegQuality, 150) << "a TIFF keeps the picture's own JPEG quality";
    EXPECT_EQ(tiff.tiffCompression, kTiffCompressionLzw);
    NyZazo jpeg(4, 4, 24, 1);
    ApplySaveOptions(options, kFormatJpeg, jpeg);
    EXPECT_EQ(jpeg.jpegQuality, 40);
    EXPECT_EQ(jpeg.pngLevel, -1);
    NyZazo webp(4, 4, 24, 1);
    ApplySaveOptions(options, kFormatWebp, webp);
    EXPECT_EQ(webp.jpegQuality, 70);
    EXPECT_EQ(webp.webpLossless, 1);
    NyZazo bmp(4, 4, 24, 1);
    ApplySaveOptions(options, kFormatBmp, bmp);
    EXPECT_EQ(bmp.jpegQuality, 150);
    EXPECT_TRUE(HasSaveOptions(kFormatPng));
    EXPECT_FALSE(HasSaveOptions(kFormatGif));
}
