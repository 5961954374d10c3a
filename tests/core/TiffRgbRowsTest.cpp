// 8-bit RGB TIFF rows are read straight into the picture. These tests hold that to
// the plain way, libtiff's RGBA raster converted pixel by pixel, for every
// compression, strip height, extra sample and for the corpus.
#include <gtest/gtest.h>

#include <tiffio.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "core/ImageStream.h"
#include "core/NyZazo.h"
#include "core/TiffStreamBridge.h"
#include "support/TestFiles.h"

using namespace quillory;

namespace {

using Bytes = std::vector<uint8_t>;

struct RgbFile {
    uint32_t width = 37, height = 23;
    uint16_t samples = 3;
    uint16_t extra = EXTRASAMPLE_UNSPECIFIED;  // of the fourth sample
    uint16_t compression = COMPRESSION_NONE;
    uint16_t predictor = 1;
    uint32_t rowsPerStrip = 7;
};

Bytes WriteRgb(const RgbFile& f) {
    ImageStream s(ImageStream::kMemory);
    NyZazo messages;
    {
        TiffHandle tif = OpenTiffStream(s, "w", messages);
        EXPECT_TRUE(tif);
        if (!tif) return {};
        TIFF* t = tif.get();
        TIFFSetField(t, TIFFTAG_IMAGEWIDTH, f.width);
        TIFFSetField(t, TIFFTAG_IMAGELENGTH, f.height);
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, uint16_t(8));
        TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, f.samples);
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, uint16_t(PHOTOMETRIC_RGB));
        TIFFSetField(t, TIFFTAG_PLANARCONFIG, uint16_t(PLANARCONFIG_CONTIG));
        TIFFSetField(t, TIFFTAG_COMPRESSION, f.compression);
        if (f.predictor != 1) TIFFSetField(t, TIFFTAG_PREDICTOR, f.predictor);
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, f.rowsPerStrip);
        if (f.samples == 4) TIFFSetField(t, TIFFTAG_EXTRASAMPLES, uint16_t(1), &f.extra);
        Bytes line(size_t(f.width) * f.samples);
        uint32_t seed = f.width * 31 + f.samples;
        for (uint32_t y = 0; y < f.height; ++y) {
            for (size_t i = 0; i < line.size(); ++i) {
                seed = seed * 1664525u + 1013904223u;
                line[i] = uint8_t((i + y * 3) % 180 + (seed >> 28));
            }
            EXPECT_GE(TIFFWriteScanline(t, line.data(), y, 0), 0);
        }
    }
    return Bytes(s.data(), s.data() + s.size());
}

// The plain way: the whole picture as a bottom-up RGBA raster, converted pixel by pixel.
bool PlainRaster(const Bytes& file, std::vector<uint32_t>& raster, uint32_t& w, uint32_t& h) {
    ImageStream s(file.data(), uint32_t(file.size()));
    NyZazo messages;
    TiffHandle tif = OpenTiffStream(s, "r", messages);
    if (!tif) return false;
    TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &h);
    raster.assign(size_t(w) * h, 0);
    return TIFFReadRGBAImageOriented(tif.get(), w, h, raster.data(), ORIENTATION_BOTLEFT, 1) == 1;
}

void ExpectSameAsRaster(const Bytes& file, const std::string& name) {
    std::vector<uint32_t> raster;
    uint32_t w = 0, h = 0;
    ASSERT_TRUE(PlainRaster(file, raster, w, h)) << name;
    ImageStream s(file.data(), uint32_t(file.size()));
    NyZazo p;
    ASSERT_TRUE(p.Decode(s, 3)) << name << ": " << p.lastError;
    ASSERT_EQ(p.BitCount(), 24) << name;
    ASSERT_EQ(uint32_t(p.Width()), w);
    ASSERT_EQ(uint32_t(p.Height()), h);
    for (uint32_t y = 0; y < h; ++y) {
        const uint8_t* row = p.Row(int(y));
        for (uint32_t x = 0; x < w; ++x) {
            const uint32_t c = raster[size_t(y) * w + x];
            ASSERT_EQ(row[3 * x], TIFFGetB(c)) << name << " at " << x << "," << y;
            ASSERT_EQ(row[3 * x + 1], TIFFGetG(c)) << name << " at " << x << "," << y;
            ASSERT_EQ(row[3 * x + 2], TIFFGetR(c)) << name << " at " << x << "," << y;
        }
        for (uint32_t i = 3 * w; i < p.rowBytes; ++i) ASSERT_EQ(row[i], 0) << name << " padding of row " << y;
    }
}

}  // namespace

TEST(TiffRgbRows, EveryCompressionAndStripHeightGivesTheRasterPixels) {
    const uint16_t compressions[] = {COMPRESSION_NONE, COMPRESSION_LZW, COMPRESSION_ADOBE_DEFLATE,
                                     COMPRESSION_PACKBITS, COMPRESSION_JPEG};
    for (uint16_t compression : compressions) {
        for (uint32_t rows : {1u, 7u, 23u, 1000u}) {
            RgbFile f;
            f.compression = compression;
            f.rowsPerStrip = compression == COMPRESSION_JPEG ? (rows < 8 ? 8 : 16) : rows;
            ExpectSameAsRaster(WriteRgb(f), "compression " + std::to_string(compression) + ", rows " +
                                                std::to_string(rows));
        }
    }
    RgbFile predicted;
    predicted.compression = COMPRESSION_LZW;
    predicted.predictor = 2;
    ExpectSameAsRaster(WriteRgb(predicted), "horizontal predictor");
}

TEST(TiffRgbRows, ExtraSamplesAndLargeStripsGiveTheRasterPixels) {
    for (uint16_t extra : {uint16_t(EXTRASAMPLE_UNSPECIFIED), uint16_t(EXTRASAMPLE_ASSOCALPHA),
                           uint16_t(EXTRASAMPLE_UNASSALPHA)}) {
        RgbFile f;
        f.samples = 4;
        f.extra = extra;
        ExpectSameAsRaster(WriteRgb(f), "extra sample " + std::to_string(extra));
    }
    // One strip of more than a megabyte is read row by row.
    for (uint16_t compression : {uint16_t(COMPRESSION_NONE), uint16_t(COMPRESSION_ADOBE_DEFLATE)}) {
        RgbFile big;
        big.width = 701;
        big.height = 600;
        big.rowsPerStrip = 600;
        big.compression = compression;
        ExpectSameAsRaster(WriteRgb(big), "one large strip, compression " + std::to_string(compression));
    }
}

TEST(TiffRgbRows, CorpusColourFilesGiveTheRasterPixels) {
    if (!test::HaveCorpus()) GTEST_SKIP() << "no corpus at " << test::CorpusDir();
    int files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(test::CorpusDir())) {
        const std::string ext = entry.path().extension().string();
        if (ext != ".tif" && ext != ".tiff") continue;
        const Bytes file = test::ReadFileBytes(entry.path().string());
        ImageStream s(file.data(), uint32_t(file.size()));
        NyZazo messages;
        TiffHandle tif = OpenTiffStream(s, "r", messages);
        if (!tif) continue;
        uint16_t photometric = 0, bits = 0, planar = 1, orientation = 1;
        TIFFGetField(tif.get(), TIFFTAG_PHOTOMETRIC, &photometric);
        TIFFGetFieldDefaulted(tif.get(), TIFFTAG_BITSPERSAMPLE, &bits);
        TIFFGetFieldDefaulted(tif.get(), TIFFTAG_PLANARCONFIG, &planar);
        TIFFGetFieldDefaulted(tif.get(), TIFFTAG_ORIENTATION, &orientation);
        const bool rgb = photometric == PHOTOMETRIC_RGB && bits == 8 && planar == PLANARCONFIG_CONTIG &&
                         orientation == ORIENTATION_TOPLEFT && !TIFFIsTiled(tif.get());
        tif.reset();
        std::vector<uint32_t> raster;
        uint32_t w, h;
        if (!rgb || !PlainRaster(file, raster, w, h)) continue;
        ExpectSameAsRaster(file, entry.path().filename().string());
        ++files;
    }
    EXPECT_GT(files, 0);
}
