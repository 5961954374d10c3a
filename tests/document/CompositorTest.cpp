// Blending against a plain per-pixel reference, the display mapping, placement
// in document space, merges and flattening.
#include <gtest/gtest.h>

#include <cmath>

#include "document/Compositor.h"
#include "document/DocumentTexts.h"
#include "document/DocumentTestSupport.h"
#include "support/RecordingPlatform.h"

using namespace quillory;
using test::Pixel;

namespace {

// Three random layers over a random background, the middle one offset.
std::unique_ptr<CVandDoc> RandomStack(int width, int height, uint32_t seed) {
    auto doc = test::MakeDocument(width, height);
    test::FillRandom(doc->Layer(0), seed);
    for (int i = 1; i <= 3; ++i) {
        const int slot = doc->InsertLayer(doc->TopLayer());
        test::FillRandom(doc->Layer(slot), seed * 7 + uint32_t(i));
        doc->Layer(slot).transparency = uint8_t((seed * 37 + uint32_t(i) * 91) % 256);
    }
    doc->Layer(2).x = 3;
    doc->Layer(2).y = -2;
    return doc;
}

std::vector<uint32_t> RenderFull(const CVandDoc& doc) {
    std::vector<uint32_t> buffer(size_t(doc.Header().width) * doc.Header().height, 0xDEADBEEF);
    TargetBuffer target(buffer.data(), doc.Header().width, doc.Header().height);
    doc.Render(target, RenderMapping{});
    return buffer;
}

void ExpectMatchesReference(const CVandDoc& doc, const std::vector<uint32_t>& buffer, const char* what) {
    const int w = doc.Header().width, h = doc.Header().height;
    int mismatches = 0;
    for (int screenY = 0; screenY < h; ++screenY)
        for (int x = 0; x < w; ++x) {
            const Pixel expected = test::ReferencePixel(doc, x, h - 1 - screenY);
            const Pixel actual = test::PixelAt(buffer, w, x, screenY);
            if (!(expected == actual) && ++mismatches <= 3)
                ADD_FAILURE() << what << " at " << x << "," << screenY << ": expected " << int(expected.b) << " "
                              << int(expected.g) << " " << int(expected.r) << " " << int(expected.a) << ", got "
                              << int(actual.b) << " " << int(actual.g) << " " << int(actual.r) << " " << int(actual.a);
        }
    EXPECT_EQ(mismatches, 0) << what;
}

}  // namespace

TEST(Compositor, EveryBlendModeMatchesThePerPixelReference) {
    // Codes 0 and 1 are normal, 2..9 the listed modes, 12 an unlisted value that blends normally.
    for (int mode : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 12}) {
        auto doc = RandomStack(23, 11, uint32_t(mode + 1));
        doc->Layer(1).blendMode = uint8_t(mode);
        doc->Layer(3).blendMode = uint8_t(mode == 9 ? 2 : 9);
        ExpectMatchesReference(*doc, RenderFull(*doc), ("mode " + std::to_string(mode)).c_str());
    }
}

TEST(Compositor, HiddenLayersAndAHiddenBottomLayer) {
    auto doc = RandomStack(9, 7, 99);
    doc->Layer(2).visible = 0;
    ExpectMatchesReference(*doc, RenderFull(*doc), "hidden middle");
    // With the bottom hidden, the next visible layer is the first of the pass.
    doc->Layer(0).visible = 2;
    doc->Layer(1).blendMode = BlendMode::Multiply;
    ExpectMatchesReference(*doc, RenderFull(*doc), "hidden bottom");
}

TEST(Compositor, OpacityRules) {
    auto doc = test::MakeDocument(4, 3);
    const int top = doc->InsertLayer(0);
    test::FillSolid(doc->Layer(0), MakeQuad(10, 20, 30), 255);
    test::FillSolid(doc->Layer(top), MakeQuad(200, 100, 50), 255);
    // Opacity 255 and transparency 0 replace the colour below exactly.
    Pixel p = test::PixelAt(RenderFull(*doc), 4, 1, 1);
    EXPECT_EQ(p, (Pixel{50, 100, 200, 255}));
    // Transparency 255 leaves it unchanged (W = 0).
    doc->Layer(top).transparency = 255;
    p = test::PixelAt(RenderFull(*doc), 4, 1, 1);
    EXPECT_EQ(p, (Pixel{30, 20, 10, 255}));
    // A multiply layer ignores its transparency wherever its opacity is not 0.
    doc->Layer(top).blendMode = BlendMode::Multiply;
    p = test::PixelAt(RenderFull(*doc), 4, 1, 1);
    EXPECT_EQ(p, (Pixel{uint8_t((30 * 50) >> 8), uint8_t((20 * 100) >> 8), uint8_t((10 * 200) >> 8), 255}));
    // A single layer of opacity 10 gives A = 10; uncovered pixels stay black with A = 0.
    doc->Layer(top).visible = 0;
    std::fill(doc->Layer(0).alpha.begin(), doc->Layer(0).alpha.end(), 10);
    doc->Layer(0).alpha[0] = 0;
    auto buffer = RenderFull(*doc);
    EXPECT_EQ(test::PixelAt(buffer, 4, 2, 1).a, 10);
    EXPECT_EQ(test::PixelAt(buffer, 4, 0, 2), (Pixel{0, 0, 0, 0}));  // stored row 0 is the bottom screen row
}

TEST(Compositor, DisplayMappingAtAnyZoomAndOrigin) {
    auto doc = RandomStack(17, 13, 5);
    const int w = doc->Header().width, h = doc->Header().height;
    struct Case {
        double zoom;
        int ox, oy, dw, dh;
    };
    for (const Case c : {Case{1.0, 0, 0, 17, 13}, Case{2.0, 3, 5, 20, 15}, Case{0.5, 0, 0, 9, 7},
                         Case{3.0, 7, 2, 11, 9}, Case{0.25, 1, 1, 6, 5}}) {
        std::vector<uint32_t> buffer(size_t(c.dw) * c.dh, 0x12345678);
        TargetBuffer target(buffer.data(), c.dw, c.dh);
        doc->Render(target, RenderMapping{c.zoom, c.ox, c.oy});
        for (int dy = 0; dy < c.dh; ++dy)
            for (int dx = 0; dx < c.dw; ++dx) {
                const int col = std::clamp(int(std::floor((dx + c.ox) / c.zoom)), 0, w - 1);
                const int fromTop = std::clamp(int(std::floor((dy + c.oy) / c.zoom)), 0, h - 1);
                ASSERT_EQ(test::PixelAt(buffer, c.dw, dx, dy), test::ReferencePixel(*doc, col, h - 1 - fromTop))
                    << "zoom " << c.zoom << " at " << dx << "," << dy;
            }
    }
}

TEST(Compositor, UnusableZoomDrawsNothing) {
    auto doc = RandomStack(5, 4, 8);
    for (double zoom : {0.0, -1.0, std::nan(""), double(INFINITY)}) {
        std::vector<uint32_t> buffer(20, 0x01020304);
        TargetBuffer target(buffer.data(), 5, 4);
        doc->Render(target, RenderMapping{zoom, 0, 0});
        EXPECT_EQ(buffer, std::vector<uint32_t>(20, 0)) << zoom;
    }
}

TEST(Compositor, ClipRectangleLimitsTheBlend) {
    auto doc = RandomStack(8, 6, 3);
    std::vector<uint32_t> buffer(48, 0xAABBCCDD);
    TargetBuffer target(buffer.data(), 8, 6);
    target.clip = IntRect{2, 1, 5, 4};
    doc->Render(target, RenderMapping{});
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x) {
            const bool inside = x >= 2 && x < 5 && y >= 1 && y < 4;
            if (inside)
                EXPECT_EQ(test::PixelAt(buffer, 8, x, y), test::ReferencePixel(*doc, x, 5 - y));
            else
                EXPECT_EQ(buffer[size_t(y) * 8 + x], 0xAABBCCDDu);
        }
}

TEST(Compositor, CopyLayer2vwImagePlacesTheLayer) {
    auto doc = test::MakeDocument(20, 6);
    LayerRecord& layer = doc->Layer(0);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 20; ++x) {
            layer.PixelRow(y)[3 * x] = uint8_t(x);
            layer.PixelRow(y)[3 * x + 1] = uint8_t(y);
            layer.AlphaRow(y)[x] = uint8_t(100 + x);
        }
    layer.x = 10;
    layer.y = 2;
    WorkPlanes planes;
    ASSERT_TRUE(Compositor::CopyLayer2vwImage(doc->Header(), layer, planes));
    ASSERT_EQ(planes.trans.size(), 120u);
    for (int d = 0; d < 6; ++d)
        for (int c = 0; c < 20; ++c) {
            const uint8_t trans = planes.trans[size_t(d) * 20 + c];
            // Document row d shows layer row d + 2: the top two document rows are uncovered.
            if (c < 10 || d + 2 >= 6) {
                EXPECT_EQ(trans, 0) << c << "," << d;
            } else {
                EXPECT_EQ(trans, 100 + c - 10) << c << "," << d;
                EXPECT_EQ(planes.image[size_t(d) * planes.stride + 3 * c], c - 10);
                EXPECT_EQ(planes.image[size_t(d) * planes.stride + 3 * c + 1], d + 2);
            }
        }
    // Negative placement skips the layer's first columns and leaves the bottom rows uncovered.
    layer.x = -4;
    layer.y = -1;
    ASSERT_TRUE(Compositor::CopyLayer2vwImage(doc->Header(), layer, planes));
    EXPECT_EQ(planes.trans[0 * 20 + 0], 0);
    EXPECT_EQ(planes.trans[1 * 20 + 0], 104);
    EXPECT_EQ(planes.trans[1 * 20 + 15], 119);
    EXPECT_EQ(planes.trans[1 * 20 + 16], 0);
}

TEST(Compositor, FullSizeKeepsEveryRowInPlace) {
    // Each stored row has its own colour: the full-size pass must show row r exactly once.
    auto doc = test::MakeDocument(3, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 3; ++x) doc->Layer(0).PixelRow(y)[3 * x + 2] = uint8_t(10 * y);
    auto buffer = RenderFull(*doc);
    for (int screenY = 0; screenY < 5; ++screenY) EXPECT_EQ(test::PixelAt(buffer, 3, 1, screenY).r, 10 * (4 - screenY));
}

TEST(Compositor, MergeDownAndUp) {
    test::RecordingPlatform platform;
    auto doc = RandomStack(13, 9, 11);  // list 0, 1, 2, 3
    const int w = 13, h = 9;
    // Expected: layers 1 and 2 blended alone, bottom first.
    std::vector<Pixel> expected;
    for (int d = 0; d < h; ++d)
        for (int c = 0; c < w; ++c) expected.push_back(test::ReferencePixel(*doc, c, d, 1, 2));
    ASSERT_TRUE(doc->SelectLayer(1));
    ASSERT_TRUE(doc->MergeDown());
    EXPECT_EQ(doc->CountLayers(), 3);
    EXPECT_FALSE(doc->Layer(2).inUse);
    EXPECT_EQ(doc->Layer(1).next, 3);
    EXPECT_EQ(doc->Layer(3).prev, 1);
    EXPECT_EQ(doc->CurrentLayer(), 1);
    EXPECT_EQ(doc->Layer(1).x, 0);
    EXPECT_EQ(doc->Layer(1).y, 0);
    for (int d = 0; d < h; ++d)
        for (int c = 0; c < w; ++c) {
            const Pixel& e = expected[size_t(d) * w + c];
            const uint8_t* p = doc->Layer(1).PixelRow(d) + 3 * c;
            ASSERT_EQ((Pixel{p[0], p[1], p[2], doc->Layer(1).AlphaRow(d)[c]}), e) << c << "," << d;
        }
    EXPECT_EQ(doc->RecordedSteps().back().name, texts::kStepMerge);
    EXPECT_EQ(doc->RecordedSteps().back().code, StepCode::Merged);

    // kLayerMergeUp on the top layer merges the layer below into it.
    ASSERT_TRUE(doc->SelectLayer(3));
    ASSERT_TRUE(doc->MergeUp());
    EXPECT_EQ(doc->CountLayers(), 2);
    EXPECT_EQ(doc->CurrentLayer(), 1);
    EXPECT_EQ(doc->TopLayer(), 1);
    // kLayerMergeDown on the top layer does nothing.
    const size_t steps = doc->RecordedSteps().size();
    EXPECT_FALSE(doc->MergeDown());
    EXPECT_EQ(doc->CountLayers(), 2);
    EXPECT_EQ(doc->RecordedSteps().size(), steps);
    EXPECT_TRUE(platform.messages.empty());
}

TEST(Compositor, MergeRefusesTextLayers) {
    test::RecordingPlatform platform;
    auto doc = test::MakeDocument(5, 5);
    const int slot = doc->InsertLayer(0);
    doc->Layer(slot).kind = LayerKind::Text;
    ASSERT_TRUE(doc->SelectLayer(0));
    EXPECT_FALSE(doc->MergeDown());
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0], texts::kMergeTextLayer);
    EXPECT_EQ(doc->CountLayers(), 2);
}

TEST(Compositor, FlattenBlendsEveryVisibleLayerIntoTheBottomSlot) {
    auto doc = RandomStack(11, 8, 21);
    doc->Layer(2).blendMode = BlendMode::Screen;
    doc->Layer(3).visible = 0;
    const auto before = RenderFull(*doc);
    std::vector<uint32_t> saved;
    ASSERT_TRUE(doc->FlattenForSaving(saved));
    EXPECT_EQ(saved, before);
    EXPECT_EQ(doc->CountLayers(), 4);  // flattening for saving leaves the layers alone

    ASSERT_TRUE(doc->Flatten());
    EXPECT_EQ(doc->CountLayers(), 1);
    EXPECT_EQ(doc->HeadLayer(), 0);
    EXPECT_EQ(doc->CurrentLayer(), 0);
    EXPECT_EQ(doc->Layer(0).next, -1);
    for (int i = 1; i < 4; ++i) EXPECT_FALSE(doc->Layer(i).inUse);
    EXPECT_EQ(doc->RecordedSteps().back().name, texts::kStepFlatten);
    for (int screenY = 0; screenY < 8; ++screenY)
        for (int x = 0; x < 11; ++x) {
            const Pixel e = test::PixelAt(before, 11, x, screenY);
            const uint8_t* p = doc->Layer(0).PixelRow(7 - screenY) + 3 * x;
            ASSERT_EQ((Pixel{p[0], p[1], p[2], doc->Layer(0).AlphaRow(7 - screenY)[x]}), e);
        }
}

TEST(Compositor, FlattenedBufferBecomesAPictureOfTheDocumentDepth) {
    auto doc = RandomStack(7, 5, 2);
    std::vector<uint32_t> flat;
    ASSERT_TRUE(doc->FlattenForSaving(flat));
    NyZazo picture;
    ASSERT_TRUE(Compositor::BufferToImage(doc->Header(), flat, picture));
    ASSERT_EQ(picture.BitCount(), 24);
    for (int screenY = 0; screenY < 5; ++screenY)
        for (int x = 0; x < 7; ++x) {
            const Pixel e = test::PixelAt(flat, 7, x, screenY);
            EXPECT_EQ(picture.GetPixelColour(x, 4 - screenY), MakeQuad(e.r, e.g, e.b));
        }
    // A buffer of the wrong size is refused with the conversion message.
    test::RecordingPlatform platform;
    flat.pop_back();
    EXPECT_FALSE(Compositor::BufferToImage(doc->Header(), flat, picture));
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0], texts::kConversionFailed);
}

TEST(Compositor, PaletteDocumentsBlendThroughTheirPalette) {
    for (int bpp : {1, 4, 8}) {
        auto doc = test::MakeDocument(5, 3);
        const int colours = bpp == 1 ? 2 : 4;
        // Both layers re-created at the palette depth; the header takes the depth and a palette.
        ASSERT_TRUE(doc->CreateLayerPlanes({.slot = 0, .name = u"", .formatType = 1, .bitsPerPixel = bpp, .colourCount = colours,
                                            .alphaFill = 255, .layerWidth = 5, .layerHeight = 3,
                                            .paletteMode = kPaletteAllocate, .kind = LayerKind::Background}));
        const int top = doc->InsertLayer(0);
        ASSERT_EQ(doc->Layer(top).stride, int(PlaneStride(bpp, 5)));
        auto& palette = doc->Header().palette;
        palette[0] = MakeQuad(0, 0, 0);
        palette[1] = MakeQuad(250, 250, 250);
        if (colours == 4) palette[2] = MakeQuad(200, 0, 0), palette[3] = MakeQuad(100, 0, 0);
        // Bottom: index 1 everywhere; top: its last index, half opaque, over the left half.
        std::fill(doc->Layer(0).pixels.begin(), doc->Layer(0).pixels.end(), uint8_t(bpp == 8 ? 1 : bpp == 4 ? 0x11 : 0xFF));
        const uint8_t last = uint8_t(colours - 1);
        std::fill(doc->Layer(top).pixels.begin(), doc->Layer(top).pixels.end(),
                  uint8_t(bpp == 8 ? last : bpp == 4 ? last * 0x11 : 0xFF));
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 2; ++x) doc->Layer(top).AlphaRow(y)[x] = 255;
        doc->Layer(top).transparency = 128;
        const auto buffer = RenderFull(*doc);
        const RGBQUAD lastColour = palette[last];
        const float W = 1.0f * float(255 - 128) / 255.0f;
        const uint8_t expectedRed = uint8_t(W * float(lastColour.red) + (1.0f - W) * 250.0f);
        EXPECT_EQ(test::PixelAt(buffer, 5, 0, 0).r, expectedRed) << bpp;
        EXPECT_EQ(test::PixelAt(buffer, 5, 4, 0).r, 250) << bpp;
        // Merged, each pixel takes the nearest palette entry of the blend.
        ASSERT_TRUE(doc->SelectLayer(0));
        ASSERT_TRUE(doc->MergeDown());
        NyZazo probe(5, 3, bpp, 1);
        probe.SetPaletteQuads(palette.data(), uint32_t(palette.size()));
        const Pixel blended = test::PixelAt(buffer, 5, 0, 0);
        const uint8_t nearest = probe.GetNearestIndex(MakeQuad(blended.r, blended.g, blended.b));
        std::memcpy(probe.bits, doc->Layer(0).pixels.data(), doc->Layer(0).pixels.size());
        EXPECT_EQ(probe.GetPixelIndex(0, 2), nearest) << bpp;
        EXPECT_EQ(probe.GetPixelIndex(4, 2), 1) << bpp;
        EXPECT_EQ(doc->Layer(0).AlphaRow(0)[4], 255);
    }
}
