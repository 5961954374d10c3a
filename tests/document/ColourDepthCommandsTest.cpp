#include <gtest/gtest.h>

#include <vector>

#include "document/CVandDoc.h"
#include "document/ColourDepthCommands.h"
#include "document/CommandRegistry.h"
#include "processing/ColourDepth.h"

using namespace quillory;

namespace {

RGBQUAD PixelOf(const LayerRecord& layer, int bpp, const DocumentHeader& h, int x, int storedY) {
    const uint8_t* row = layer.PixelRow(storedY);
    if (bpp == 24) return RGBQUAD{row[3 * x], row[3 * x + 1], row[3 * x + 2], 0};
    return h.palette[row[x]];
}

}  // namespace

TEST(ColourDepthCommands, EightBitsAndBackOverEveryLayer) {
    CVandDoc doc;
    NewPictureSettings settings;
    settings.width = 7;
    settings.height = 5;
    ASSERT_TRUE(doc.NewDocument(settings));
    ASSERT_TRUE(doc.AddLayer());
    const int bottom = doc.HeadLayer();
    const int top = doc.CurrentLayer();
    ASSERT_NE(bottom, top);
    // A few colours on the bottom layer; the upper layer repeats some of them.
    const RGBQUAD colours[] = {MakeQuad(200, 10, 10), MakeQuad(10, 200, 10), MakeQuad(10, 10, 200), MakeQuad(90, 90, 0)};
    for (int slot : {bottom, top}) {
        LayerRecord& layer = doc.Layer(slot);
        for (int y = 0; y < layer.height; ++y)
            for (int x = 0; x < layer.width; ++x) {
                RGBQUAD c = colours[(x + y + slot) % 4];
                uint8_t* p = layer.PixelRow(y) + 3 * x;
                p[0] = c.blue, p[1] = c.green, p[2] = c.red;
            }
    }
    std::vector<uint8_t> alphaBefore = doc.Layer(top).alpha;

    ASSERT_TRUE(CommandRegistry::Instance().Execute(cmd::kEightBitColour, doc));
    const DocumentHeader& h = doc.Header();
    EXPECT_EQ(h.bitsPerPixel, 8);
    EXPECT_EQ(h.colourCount, 256);
    ASSERT_EQ(h.palette.size(), 256u);
    EXPECT_EQ(h.imageSize, 8 * 5);
    for (int slot : {bottom, top}) {
        const LayerRecord& layer = doc.Layer(slot);
        EXPECT_EQ(layer.stride, 8);
        EXPECT_EQ(layer.pixelSize, 40);
        for (int y = 0; y < layer.height; ++y)
            for (int x = 0; x < layer.width; ++x)
                EXPECT_EQ(PixelOf(layer, 8, h, x, y), colours[(x + y + slot) % 4]) << slot << " " << x << "," << y;
    }
    EXPECT_EQ(doc.Layer(top).alpha, alphaBefore);
    // A second 8-bit command on a palette document does nothing.
    EXPECT_FALSE(EightBitColour(doc));

    ASSERT_TRUE(CommandRegistry::Instance().Execute(cmd::kRgbColour, doc));
    EXPECT_EQ(doc.Header().bitsPerPixel, 24);
    EXPECT_EQ(doc.Header().colourCount, 0);
    for (int slot : {bottom, top}) {
        const LayerRecord& layer = doc.Layer(slot);
        for (int y = 0; y < layer.height; ++y)
            for (int x = 0; x < layer.width; ++x)
                EXPECT_EQ(PixelOf(layer, 24, doc.Header(), x, y), colours[(x + y + slot) % 4]);
    }
    EXPECT_TRUE(RgbColour(doc));  // 24 bits stay as they are
    EXPECT_EQ(doc.Header().bitsPerPixel, 24);
}

// The committed copy follows the new depth: a later command that first drops a
// preview (adding a layer does) must not bring back planes of the old depth.
TEST(ColourDepthCommands, CommittedCopyFollowsTheNewDepth) {
    CVandDoc doc;
    NewPictureSettings settings;
    settings.width = 5;
    settings.height = 3;
    ASSERT_TRUE(doc.NewDocument(settings));
    const int layer = doc.CurrentLayer();
    uint8_t* p = doc.Layer(layer).PixelRow(1) + 3 * 2;
    p[0] = 10, p[1] = 20, p[2] = 200;
    doc.RecordStep("점찍기", StepCode::Pixels);

    ASSERT_TRUE(EightBitColour(doc));
    ASSERT_TRUE(doc.AddLayer());
    EXPECT_EQ(doc.Layer(layer).stride, 8);
    EXPECT_EQ(doc.Layer(layer).pixelSize, 24);
    EXPECT_EQ(doc.Header().palette[doc.Layer(layer).PixelRow(1)[2]], MakeQuad(200, 20, 10));

    ASSERT_TRUE(doc.SelectLayer(layer));
    ASSERT_TRUE(RgbColour(doc));
    ASSERT_TRUE(doc.AddLayer());
    EXPECT_EQ(doc.Layer(layer).stride, 16);
    EXPECT_EQ(doc.Layer(layer).pixelSize, 48);
    const uint8_t* q = doc.Layer(layer).PixelRow(1) + 3 * 2;
    EXPECT_EQ(MakeQuad(q[2], q[1], q[0]), MakeQuad(200, 20, 10));
}
