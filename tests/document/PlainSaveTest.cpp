// Saving a document of one plain layer copies the layer instead of blending it;
// the picture must be exactly what the compositor makes.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/FormatCodes.h"
#include "document/Compositor.h"
#include "document/DocumentIO.h"
#include "document/DocumentTestSupport.h"
#include "support/RecordingPlatform.h"
#include "support/TestFiles.h"

using namespace quillory;

namespace {

// Settings and history files of this run go below a data directory of its own.
const std::string& kPrivateHome = test::UsePrivateHome();

// The picture the general path makes: the visible stack blended, converted to the document's depth.
std::vector<uint8_t> CompositorPicture(const CVandDoc& doc) {
    std::vector<uint32_t> flat;
    EXPECT_TRUE(doc.FlattenForSaving(flat));
    NyZazo picture;
    EXPECT_TRUE(Compositor::BufferToImage(doc.Header(), flat, picture));
    return std::vector<uint8_t>(picture.bits, picture.bits + picture.header.biSizeImage);
}

std::vector<uint8_t> Bits(const NyZazo& picture) {
    return std::vector<uint8_t>(picture.bits, picture.bits + picture.header.biSizeImage);
}

}  // namespace

TEST(PlainSave, ALonePlainLayerGivesTheCompositorsPictureAtEveryWidth) {
    for (int width : {1, 2, 3, 5, 17, 64}) {
        auto doc = test::MakeDocument(width, 7);
        LayerRecord& layer = doc->Layer(0);
        test::FillRandom(layer, uint32_t(width));
        std::fill(layer.alpha.begin(), layer.alpha.end(), 255);
        // Padding bytes carry no meaning and must not reach the comparison as garbage.
        for (int y = 0; y < layer.height; ++y)
            for (int64_t b = 3 * int64_t(width); b < layer.stride; ++b) layer.PixelRow(y)[b] = 0;
        layer.blendMode = BlendMode::Difference;  // the first layer of a pass ignores its mode
        NyZazo plain;
        ASSERT_TRUE(DocumentIO::PlainLayerPicture(*doc, plain)) << width;
        std::vector<uint8_t> expected = CompositorPicture(*doc);
        std::vector<uint8_t> actual = Bits(plain);
        ASSERT_EQ(actual.size(), expected.size());
        // Compare the pixels of each row, not the padding.
        for (int y = 0; y < 7; ++y)
            EXPECT_EQ(0, std::memcmp(actual.data() + size_t(y) * plain.rowBytes,
                                     expected.data() + size_t(y) * plain.rowBytes, size_t(3 * width)))
                << width << " row " << y;
    }
}

TEST(PlainSave, AnythingButAPlainLayerTakesTheCompositor) {
    const auto refused = [](auto change) {
        auto doc = test::MakeDocument(6, 4);
        test::FillRandom(doc->Layer(0), 3);
        std::fill(doc->Layer(0).alpha.begin(), doc->Layer(0).alpha.end(), 255);
        change(*doc);
        NyZazo picture;
        return !DocumentIO::PlainLayerPicture(*doc, picture) && !picture.dib;
    };
    EXPECT_TRUE(refused([](CVandDoc& d) { d.Layer(0).alpha[5] = 254; }));
    EXPECT_TRUE(refused([](CVandDoc& d) { d.Layer(0).transparency = 1; }));
    EXPECT_TRUE(refused([](CVandDoc& d) { d.Layer(0).visible = 0; }));
    EXPECT_TRUE(refused([](CVandDoc& d) { d.Layer(0).effectOn = 1; }));
    EXPECT_TRUE(refused([](CVandDoc& d) { d.Layer(0).x = 1; }));
    EXPECT_TRUE(refused([](CVandDoc& d) { d.InsertLayer(0); }));
    EXPECT_FALSE(refused([](CVandDoc&) {}));
}

TEST(PlainSave, SavedFilesMatchTheGeneralPath) {
    test::TempDir dir;
    test::RecordingPlatform platform;
    auto doc = test::MakeDocument(9, 5);
    test::FillRandom(doc->Layer(0), 11);
    std::fill(doc->Layer(0).alpha.begin(), doc->Layer(0).alpha.end(), 255);
    ASSERT_TRUE(doc->SaveDocument(dir.File("plain.bmp")));
    // A hidden second layer changes nothing shown but sends the save through the compositor.
    const int hidden = doc->InsertLayer(0);
    doc->Layer(hidden).visible = 0;
    ASSERT_TRUE(doc->SaveDocument(dir.File("general.bmp")));
    NyZazo a, b;
    ASSERT_TRUE(a.Load(dir.File("plain.bmp"), kFormatBmp));
    ASSERT_TRUE(b.Load(dir.File("general.bmp"), kFormatBmp));
    const test::ImageDiff diff = test::CompareRgb(test::ToRgba(a), test::ToRgba(b));
    EXPECT_TRUE(diff.sameSize);
    EXPECT_EQ(diff.maxDiff, 0);
}
