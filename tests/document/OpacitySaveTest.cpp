// Pictures with opacity through documents: a 32-bit PNG or WebP opens as a layer with
// its opacity plane, and saving to a format that keeps opacity gives it back; save
// options reach the files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/FormatCodes.h"
#include "core/NyZazo.h"
#include "core/SaveOptions.h"
#include "document/CVandDoc.h"
#include "document/DocumentTestSupport.h"
#include "document/PictureOpacity.h"
#include "support/PictureCompare.h"
#include "support/TestFiles.h"

using namespace quillory;

namespace {

// The history files of this run go below a data directory of its own.
const std::string& kPrivateHome = test::UsePrivateHome();

std::unique_ptr<CVandDoc> Open(const std::string& path) {
    auto doc = std::make_unique<CVandDoc>();
    doc->SetStepSink(nullptr);
    if (!doc->OpenDocument(path)) return nullptr;
    return doc;
}

}  // namespace

TEST(OpacitySave, AThirtyTwoBitPngOpensWithItsOpacityAndSavesBackExactly) {
    for (int format : {kFormatPng, kFormatWebp}) {
        SCOPED_TRACE(format);
        test::TempDir dir;
        NyZazo picture;
        test::PatternPicture(picture, 23, 14, 32);
        const std::string in = dir.File(std::string("in.") + PrimaryExtension(format));
        ASSERT_TRUE(picture.Save(in, format)) << picture.lastError;
        auto doc = Open(in);
        ASSERT_NE(doc, nullptr);
        const LayerRecord& layer = doc->Layer(doc->HeadLayer());
        EXPECT_EQ(doc->Header().bitsPerPixel, 24);
        for (int y = 0; y < 14; ++y)
            for (int x = 0; x < 23; ++x) ASSERT_EQ(layer.AlphaRow(y)[x], picture.Row(y)[4 * x + 3]) << x << "," << y;

        const std::string out = dir.File(std::string("out.") + PrimaryExtension(format));
        ASSERT_TRUE(doc->SaveDocument(out)) << doc->LastError();
        NyZazo back;
        ASSERT_TRUE(back.Load(out, format));
        test::SamePicture(picture, back);
    }
}

TEST(OpacitySave, TransparentPaletteIndexOfAPngBecomesSeeThrough) {
    test::TempDir dir;
    NyZazo picture;
    test::PatternPicture(picture, 16, 8, 8);
    picture.transparentIndex = picture.GetPixelIndex(3, 2);
    const std::string in = dir.File("palette.png");
    ASSERT_TRUE(picture.Save(in, kFormatPng));
    auto doc = Open(in);
    ASSERT_NE(doc, nullptr);
    const LayerRecord& layer = doc->Layer(doc->HeadLayer());
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x)
            EXPECT_EQ(layer.AlphaRow(y)[x], picture.GetPixelIndex(x, y) == picture.transparentIndex ? 0 : 255);
    ASSERT_TRUE(doc->SaveDocument(dir.File("out.png")));
    NyZazo back;
    ASSERT_TRUE(back.Load(dir.File("out.png"), kFormatPng));
    EXPECT_EQ(back.BitCount(), 32);
    EXPECT_EQ(test::ShownRgba(back), test::ShownRgba(picture));
    // A BMP keeps no opacity: the same document is written opaque.
    ASSERT_TRUE(doc->SaveDocument(dir.File("out.bmp")));
    NyZazo bmp;
    ASSERT_TRUE(bmp.Load(dir.File("out.bmp"), kFormatBmp));
    EXPECT_EQ(bmp.BitCount(), 24);
}

TEST(OpacitySave, FlattenedLayersKeepTheirTransparentPartsInAPng) {
    auto doc = test::MakeDocument(12, 6, NewPictureSettings::Transparent);
    ASSERT_NE(doc, nullptr);
    ASSERT_TRUE(doc->AddLayer());  // a second, empty layer makes the save blend
    LayerRecord& layer = doc->Layer(doc->HeadLayer());
    test::FillSolid(layer, MakeQuad(200, 100, 50), 0);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x) layer.AlphaRow(y)[x] = x < 3 ? 255 : 128;
    std::vector<uint32_t> flat;
    ASSERT_TRUE(doc->FlattenForSaving(flat));
    EXPECT_EQ(flat[6 * 12 - 1] >> 24, 0u) << "the empty right half stays see-through";
    test::TempDir dir;
    ASSERT_TRUE(doc->SaveDocument(dir.File("flat.png"))) << doc->LastError();
    NyZazo back;
    ASSERT_TRUE(back.Load(dir.File("flat.png"), kFormatPng));
    ASSERT_EQ(back.BitCount(), 32);
    const std::vector<uint8_t> rgba = test::ShownRgba(back);
    auto at = [&](int x, int top) { return &rgba[(size_t(top) * 12 + x) * 4]; };
    EXPECT_EQ(at(0, 5)[3], 255);
    EXPECT_EQ(at(0, 5)[0], 200);
    EXPECT_EQ(at(4, 5)[3], 128);
    EXPECT_NEAR(at(4, 5)[0], 200, 2) << "colours are written plain, not weighed by their opacity";
    EXPECT_EQ(at(8, 0)[3], 0);
}

TEST(OpacitySave, ANewTransparentPictureIsSavedTransparent) {
    auto doc = test::MakeDocument(5, 4, NewPictureSettings::Transparent);
    ASSERT_NE(doc, nullptr);
    test::TempDir dir;
    ASSERT_TRUE(doc->SaveDocument(dir.File("empty.png")));
    NyZazo back;
    ASSERT_TRUE(back.Load(dir.File("empty.png"), kFormatPng));
    ASSERT_EQ(back.BitCount(), 32);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(back.Row(y)[4 * x + 3], 0);
}

TEST(OpacitySave, OptionsReachTheFilesAndDefaultsWriteAsAlways) {
    auto doc = test::MakeDocument(64, 48);
    ASSERT_NE(doc, nullptr);
    // Smooth colours with a little noise, as photographs have: every level compresses them differently.
    LayerRecord& layer = doc->Layer(doc->HeadLayer());
    test::TestRandom random(7);
    for (int y = 0; y < layer.height; ++y)
        for (int i = 0; i < 3 * layer.width; ++i) layer.PixelRow(y)[i] = uint8_t(2 * y + i / 3 + random.Next() % 4);
    test::TempDir dir;
    ASSERT_TRUE(doc->SaveDocument(dir.File("default.jpg")));
    NyZazo legacy;  // what the writer gives a picture whose quality nobody changed
    ASSERT_TRUE(legacy.Load(dir.File("default.jpg"), kFormatJpeg));
    SaveOptions low;
    low.jpegQuality = 20;
    ASSERT_TRUE(doc->SaveDocument(dir.File("low.jpg"), low));
    EXPECT_LT(test::ReadFileBytes(dir.File("low.jpg")).size(), test::ReadFileBytes(dir.File("default.jpg")).size());

    SaveOptions stored;
    stored.pngLevel = 0;
    ASSERT_TRUE(doc->SaveDocument(dir.File("level0.png"), stored));
    stored.pngLevel = 9;
    ASSERT_TRUE(doc->SaveDocument(dir.File("level9.png"), stored));
    EXPECT_LT(test::ReadFileBytes(dir.File("level9.png")).size(), test::ReadFileBytes(dir.File("level0.png")).size());
}
