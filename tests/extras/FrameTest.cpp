#include <gtest/gtest.h>

#include <set>

#include "core/CommandIds.h"
#include "document/CVandDoc.h"
#include "document/CommandRegistry.h"
#include "document/UndoHistory.h"
#include "document/Utf16.h"
#include "extras/ExtrasTexts.h"
#include "extras/FrameStyles.h"
#include "extras/PictureFrame.h"
#include "ExtrasTestSupport.h"
#include "document/DocumentTestSupport.h"

using namespace quillory;

namespace {

struct Drawn {
    int width = 0, height = 0;
    std::vector<int> colour;  // -1 where nothing was drawn, else 0xRRGGBB
    int At(int x, int y) const { return colour[size_t(y) * size_t(width) + size_t(x)]; }
};

Drawn Draw(int width, int height, const FrameChoice& choice) {
    Drawn d{width, height, std::vector<int>(size_t(width) * size_t(height), -1)};
    DrawFrameStyle(width, height, choice, [&](int x, int y, RGBQUAD c) {
        ASSERT_TRUE(x >= 0 && y >= 0 && x < width && y < height);
        d.colour[size_t(y) * size_t(width) + size_t(x)] = c.red << 16 | c.green << 8 | c.blue;
    });
    return d;
}

int Ring(int x, int y, int w, int h) { return std::min(std::min(x, y), std::min(w - 1 - x, h - 1 - y)); }

// The frame layer's opacity and colour at a picture pixel (rows from the top).
uint8_t AlphaAt(const LayerRecord& l, int x, int y) { return l.AlphaRow(l.height - 1 - y)[x]; }
int ColourAt(const LayerRecord& l, int x, int y) {
    const uint8_t* p = l.PixelRow(l.height - 1 - y) + 3 * x;
    return p[2] << 16 | p[1] << 8 | p[0];
}

FrameChoice Choice(int style, int thickness) {
    FrameChoice c;
    c.main = RGBQUAD{40, 120, 200, 0};    // red 200, green 120, blue 40
    c.second = RGBQUAD{250, 10, 30, 0};  // red 30, green 10, blue 250
    c.style = style;
    c.thickness = thickness;
    return c;
}

std::string StepName(CVandDoc& d) { return d.History().Entry(d.History().StepPosition()).name; }

}  // namespace

TEST(FrameStyles, ShadedRingsRunFromBlackOutsideToTheMainColourInside) {
    const FrameChoice c = Choice(0, 8);
    const Drawn d = Draw(40, 30, c);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            const int ring = Ring(x, y, 40, 30);
            if (ring >= 8) {
                ASSERT_EQ(d.At(x, y), -1);
                continue;
            }
            const int expected = (200 * ring / 8) << 16 | (120 * ring / 8) << 8 | (40 * ring / 8);
            ASSERT_EQ(d.At(x, y), expected) << x << "," << y;
        }
}

TEST(FrameStyles, EveryStyleCoversExactlyTheBorderAndStaysInside) {
    for (int style = 1; style < kFrameStyles; ++style)
        for (int thickness : {5, 9, 40}) {
            const Drawn d = Draw(33, 21, Choice(style, thickness));
            std::set<int> colours;
            for (int y = 0; y < 21; ++y)
                for (int x = 0; x < 33; ++x) {
                    ASSERT_EQ(d.At(x, y) != -1, Ring(x, y, 33, 21) < thickness) << style << " " << x << "," << y;
                    if (d.At(x, y) != -1) colours.insert(d.At(x, y));
                }
            // Both colours of the choice appear (the blend reaches the second one only on a frame
            // no thicker than half the picture).
            if (thickness > 10) continue;
            EXPECT_TRUE(colours.count(0xC87828)) << style;
            EXPECT_TRUE(colours.count(0x1E0AFA)) << style;
        }
}

TEST(FrameStyles, BevelLightsTopAndLeftAndBlendRunsOutsideIn) {
    const Drawn bevel = Draw(30, 20, Choice(1, 6));
    EXPECT_EQ(bevel.At(0, 0), 0xC87828);
    EXPECT_EQ(bevel.At(15, 2), 0xC87828);    // top
    EXPECT_EQ(bevel.At(2, 10), 0xC87828);    // left
    EXPECT_EQ(bevel.At(15, 18), 0x1E0AFA);   // bottom
    EXPECT_EQ(bevel.At(28, 10), 0x1E0AFA);   // right
    EXPECT_EQ(bevel.At(29, 19), 0x1E0AFA);
    const Drawn blend = Draw(30, 20, Choice(2, 6));
    EXPECT_EQ(blend.At(15, 0), 0xC87828);
    EXPECT_EQ(blend.At(15, 5), 0x1E0AFA);
    EXPECT_EQ(blend.At(15, 3), (200 + (30 - 200) * 3 / 5) << 16 | (120 + (10 - 120) * 3 / 5) << 8 | (40 + (250 - 40) * 3 / 5));
}

TEST(PictureFrame, AddsTheFrameLayerAndRecordsOneStep) {
    auto doc = test::MakeDocument(50, 40);
    ASSERT_TRUE(doc);
    const int picture = doc->CurrentLayer();
    ASSERT_TRUE(PutPictureFrame(*doc, Choice(0, 6)));
    const int slot = FindFrameLayer(*doc);
    ASSERT_GE(slot, 0);
    EXPECT_EQ(doc->Layer(picture).next, slot);
    EXPECT_EQ(doc->CurrentLayer(), slot);
    EXPECT_EQ(doc->LayerName(slot), texts::kFrameLayerName);
    EXPECT_EQ(StepName(*doc), texts::kStepPictureFrame);
    const LayerRecord& layer = doc->Layer(slot);
    EXPECT_EQ(AlphaAt(layer, 0, 0), 255);
    EXPECT_EQ(ColourAt(layer, 0, 0), 0);
    EXPECT_EQ(AlphaAt(layer, 5, 20), 255);
    EXPECT_EQ(AlphaAt(layer, 6, 20), 0);
    ASSERT_TRUE(doc->History().Undo());
    EXPECT_EQ(doc->CountLayers(), 1);
    EXPECT_EQ(FindFrameLayer(*doc), -1);
}

TEST(PictureFrame, ASecondFrameReusesTheLayerAndReplacesTheFirst) {
    auto doc = test::MakeDocument(50, 40);
    ASSERT_TRUE(doc);
    const int picture = doc->CurrentLayer();
    ASSERT_TRUE(PutPictureFrame(*doc, Choice(0, 12)));
    const int slot = FindFrameLayer(*doc);
    doc->SelectLayer(picture);
    ASSERT_TRUE(PutPictureFrame(*doc, Choice(2, 5)));
    EXPECT_EQ(doc->CountLayers(), 2);
    EXPECT_EQ(FindFrameLayer(*doc), slot);
    const LayerRecord& layer = doc->Layer(slot);
    EXPECT_EQ(AlphaAt(layer, 4, 20), 255);
    EXPECT_EQ(AlphaAt(layer, 8, 20), 0);  // the first, thicker frame is gone
}

TEST(PictureFrame, ThicknessNeverGoesBelowFive) {
    auto doc = test::MakeDocument(50, 40);
    ASSERT_TRUE(doc);
    ASSERT_TRUE(PutPictureFrame(*doc, Choice(1, 2)));
    const LayerRecord& layer = doc->Layer(FindFrameLayer(*doc));
    EXPECT_EQ(AlphaAt(layer, 4, 20), 255);
    EXPECT_EQ(AlphaAt(layer, 5, 20), 0);
}

TEST(PictureFrame, CancelRemovesANewLayerAndRestoresAReusedOne) {
    auto doc = test::MakeDocument(50, 40);
    ASSERT_TRUE(doc);
    const int picture = doc->CurrentLayer();
    {
        FrameSession session(*doc);
        ASSERT_TRUE(session.Valid());
        ASSERT_TRUE(session.Draw(Choice(3, 7)));
        EXPECT_EQ(doc->CountLayers(), 2);
        session.Cancel();
    }
    EXPECT_EQ(doc->CountLayers(), 1);
    EXPECT_EQ(doc->CurrentLayer(), picture);
    EXPECT_EQ(doc->History().StepPosition(), 0);

    ASSERT_TRUE(PutPictureFrame(*doc, Choice(0, 10)));
    const int slot = FindFrameLayer(*doc);
    const std::vector<uint8_t> kept = doc->Layer(slot).alpha;
    doc->SelectLayer(picture);
    {
        FrameSession session(*doc);
        ASSERT_EQ(session.Slot(), slot);
        EXPECT_FALSE(session.CreatedLayer());
        ASSERT_TRUE(session.Draw(Choice(0, 5)));
        EXPECT_NE(doc->Layer(slot).alpha, kept);
    }  // closing without Commit cancels
    EXPECT_EQ(doc->CountLayers(), 2);
    EXPECT_EQ(doc->Layer(slot).alpha, kept);
    EXPECT_EQ(doc->CurrentLayer(), picture);
}

TEST(PictureFrame, PaletteDocumentsTakeTheNearestEntries) {
    auto doc = test::MakeDocument(20, 20);
    ASSERT_TRUE(doc);
    ASSERT_TRUE(CommandRegistry::Instance().Execute(cmd::kEightBitColour, *doc));
    ASSERT_EQ(doc->Header().bitsPerPixel, 8);
    const std::vector<RGBQUAD> palette = doc->Header().palette;
    ASSERT_FALSE(palette.empty());
    const FrameChoice c = Choice(1, 5);
    ASSERT_TRUE(PutPictureFrame(*doc, c));
    const LayerRecord& layer = doc->Layer(FindFrameLayer(*doc));
    const uint8_t top = layer.PixelRow(layer.height - 1)[3], bottom = layer.PixelRow(0)[10];
    EXPECT_EQ(NearestPaletteIndex(palette.data(), uint32_t(palette.size()), c.main), top);
    EXPECT_EQ(NearestPaletteIndex(palette.data(), uint32_t(palette.size()), c.second), bottom);
}
