// The layer table: capacity, slot reuse, the linked list, selection rules,
// reordering, moving and the layer palette's settings.
#include <gtest/gtest.h>

#include <vector>

#include "document/DocumentTexts.h"
#include "document/LayerPlanes.h"
#include "document/DocumentTestSupport.h"
#include "document/Utf16.h"
#include "support/RecordingPlatform.h"

using namespace quillory;

namespace {

std::vector<int> ListOrder(const CVandDoc& doc) {
    std::vector<int> order;
    int prev = -1;
    for (int i = doc.HeadLayer(); i >= 0 && order.size() <= 40; i = doc.Layer(i).next) {
        EXPECT_EQ(doc.Layer(i).prev, prev) << "back link of " << i;
        order.push_back(i);
        prev = i;
    }
    return order;
}

}  // namespace

TEST(LayerStack, FortyLayersFitAndTheFortyFirstIsRefused) {
    test::RecordingPlatform platform;
    auto doc = test::MakeDocument(6, 4);
    for (int i = 1; i < kMaxLayers; ++i) ASSERT_EQ(doc->InsertLayer(doc->CurrentLayer()), i);
    EXPECT_EQ(doc->CountLayers(), kMaxLayers);
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(doc->InsertLayer(doc->CurrentLayer()), -1);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0], texts::kTooManyLayers);
    EXPECT_EQ(doc->CountLayers(), kMaxLayers);
    EXPECT_EQ(doc->CurrentLayer(), kMaxLayers - 1);
    // Through the command: refused without a step.
    const size_t steps = doc->RecordedSteps().size();
    EXPECT_FALSE(doc->AddLayer());
    EXPECT_EQ(doc->RecordedSteps().size(), steps);
}

TEST(LayerStack, NewLayerTakesTheLowestFreeSlotWithDefaults) {
    auto doc = test::MakeDocument(7, 5);
    for (int i = 0; i < 3; ++i) doc->InsertLayer(doc->TopLayer());
    ASSERT_TRUE(doc->DeleteLayer(2, true));
    ASSERT_TRUE(doc->SelectLayer(1));
    ASSERT_TRUE(doc->AddLayer());
    EXPECT_EQ(doc->CurrentLayer(), 2);
    EXPECT_EQ(doc->LayerName(2), "레이어 2");
    EXPECT_EQ(ListOrder(*doc), (std::vector<int>{0, 1, 2, 3}));
    const LayerRecord& layer = doc->Layer(2);
    EXPECT_EQ(layer.visible, 1);
    EXPECT_EQ(layer.kind, LayerKind::Raster);
    EXPECT_EQ(layer.width, 7);
    EXPECT_EQ(layer.height, 5);
    EXPECT_EQ(layer.stride, 24);
    EXPECT_EQ(layer.pixelSize, 120);
    EXPECT_EQ(layer.planeSize, 35);
    EXPECT_EQ(layer.textSettings[0], 10);
    EXPECT_EQ(layer.textSettings[1], 100);
    EXPECT_EQ(layer.textSettings[2], 0);
    for (uint8_t b : layer.pixels) ASSERT_EQ(b, 255);
    for (uint8_t a : layer.alpha) ASSERT_EQ(a, 0);
    EXPECT_EQ(doc->RecordedSteps().back().name, texts::kStepAddLayer);
    EXPECT_EQ(doc->RecordedSteps().back().code, StepCode::LayerAdded);
    EXPECT_TRUE(doc->IsModified());
}

TEST(LayerStack, DeletingFollowsTheNeighbours) {
    test::RecordingPlatform platform;
    auto doc = test::MakeDocument(3, 3);
    EXPECT_FALSE(doc->DeleteCurrentLayer());
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0], texts::kOnlyOneLayer);

    doc->InsertLayer(0);
    doc->InsertLayer(1);  // list 0, 1, 2
    // The bottom layer: its upper neighbour becomes the bottom and current layer.
    ASSERT_TRUE(doc->DeleteLayer(0, true));
    EXPECT_EQ(doc->HeadLayer(), 1);
    EXPECT_EQ(doc->CurrentLayer(), 1);
    EXPECT_EQ(doc->Layer(1).prev, -1);
    EXPECT_EQ(doc->RecordedSteps().back().name, texts::kStepDeleteLayer);
    EXPECT_EQ(doc->RecordedSteps().back().layer, 0);
    EXPECT_TRUE(doc->Layer(0).pixels.empty());  // recorded, so its planes were released
    // The top layer: the one below becomes current.
    ASSERT_TRUE(doc->DeleteLayer(2, false));
    EXPECT_EQ(doc->CurrentLayer(), 1);
    EXPECT_EQ(doc->RecordedSteps().back().name, texts::kStepDeleteLayer);  // no second record
    EXPECT_EQ(doc->CountLayers(), 1);
    EXPECT_EQ(ListOrder(*doc), (std::vector<int>{1}));
}

TEST(LayerStack, ListQueries) {
    auto doc = test::MakeDocument(3, 3);
    doc->InsertLayer(0);
    doc->InsertLayer(-1);  // at the bottom: list 2, 0, 1
    EXPECT_EQ(ListOrder(*doc), (std::vector<int>{2, 0, 1}));
    EXPECT_EQ(doc->LayerAtRow(2, 0), 2);
    EXPECT_EQ(doc->LayerAtRow(2, 2), 1);
    EXPECT_EQ(doc->LayerAtRow(2, 3), -1);
    EXPECT_EQ(doc->TopLayer(), 1);
    EXPECT_TRUE(doc->IsLayerInList(0));
    EXPECT_FALSE(doc->IsLayerInList(3));
    EXPECT_FALSE(doc->IsLayerInList(-1));
    EXPECT_FALSE(doc->IsLayerInList(40));
    CVandDoc empty;
    EXPECT_EQ(empty.CountLayers(), 1);  // an empty list counts 1
    EXPECT_EQ(empty.TopLayer(), -1);
}

TEST(LayerStack, TextLayerCannotBecomeCurrentWhileASelectionIsShown) {
    test::RecordingPlatform platform;
    auto doc = test::MakeDocument(4, 4);
    const int text = doc->InsertLayer(0);
    doc->Layer(text).kind = LayerKind::Text;
    ASSERT_TRUE(doc->SelectLayer(0));
    doc->State().selection.selectionActive = 1;
    EXPECT_FALSE(doc->SelectLayer(text));
    EXPECT_EQ(doc->CurrentLayer(), 0);
    doc->State().selection.selectionActive = 0;
    doc->State().selection.suspended = 1;
    EXPECT_FALSE(doc->SelectLayer(text));
    ASSERT_EQ(platform.messages.size(), 2u);
    EXPECT_EQ(platform.messages[0], texts::kTextLayerIsCurrent);
    doc->State().selection.suspended = 0;
    EXPECT_TRUE(doc->SelectLayer(text));
    EXPECT_FALSE(doc->SelectLayer(-1));
    EXPECT_EQ(doc->CurrentLayer(), text);
}

TEST(LayerStack, ReorderingExchangesPlaces) {
    auto doc = test::MakeDocument(3, 3);
    for (int i = 0; i < 4; ++i) doc->InsertLayer(doc->TopLayer());  // 0..4
    ASSERT_TRUE(doc->ReorderLayers(1, 2));  // neighbours
    EXPECT_EQ(ListOrder(*doc), (std::vector<int>{0, 2, 1, 3, 4}));
    ASSERT_TRUE(doc->ReorderLayers(0, 4));  // bottom and top
    EXPECT_EQ(ListOrder(*doc), (std::vector<int>{4, 2, 1, 3, 0}));
    EXPECT_EQ(doc->HeadLayer(), 4);
    EXPECT_EQ(doc->RecordedSteps().back().name, texts::kStepReorder);
    EXPECT_FALSE(doc->ReorderLayers(3, 3));
    EXPECT_FALSE(doc->ReorderLayers(3, 7));
}

TEST(LayerStack, MovingStopsOneLayerSizeAway) {
    auto doc = test::MakeDocument(10, 6);
    EXPECT_TRUE(doc->MoveLayer(10, 0, false));
    EXPECT_FALSE(doc->MoveLayer(1, 0, false));
    EXPECT_EQ(doc->Layer(0).x, 10);
    EXPECT_TRUE(doc->MoveLayer(-20, -6, false));
    EXPECT_FALSE(doc->MoveLayer(0, -1, false));
    EXPECT_EQ(doc->Layer(0).x, -10);
    EXPECT_EQ(doc->Layer(0).y, -6);
    EXPECT_EQ(doc->State().selection.x, -10);  // the selection mask follows
}

TEST(LayerStack, PaletteSettingsAndNames) {
    auto doc = test::MakeDocument(3, 3);
    const std::pair<const char*, int> entries[] = {
        {texts::kBlendNormal, 0},   {texts::kBlendMultiply, 2},          {texts::kBlendScreen, 3},
        {texts::kBlendDarken, 4},   {texts::kBlendLighten, 5},           {texts::kBlendDifference, 6},
        {texts::kBlendInverseDifference, 7}, {texts::kBlendExclusion, 8}, {texts::kBlendOverlay, 9},
        {"없는혼합", 0},
    };
    for (const auto& [text, code] : entries) {
        doc->Layer(0).blendMode = 77;
        doc->SetLayerBlendMode(0, BlendModeFromText(text));
        EXPECT_EQ(doc->Layer(0).blendMode, code) << text;
        if (code) {
            EXPECT_STREQ(BlendModeText(uint8_t(code)), text);
        }
    }
    EXPECT_STREQ(BlendModeText(1), texts::kBlendNormal);
    doc->SetLayerVisible(0, false);
    EXPECT_EQ(doc->Layer(0).visible, 0);
    doc->SetLayerTransparency(0, 200);
    EXPECT_EQ(doc->Layer(0).transparency, 200);
    // Names keep their first 100 units.
    std::string longName;
    for (int i = 0; i < 120; ++i) longName += "가";
    ASSERT_TRUE(doc->RenameCurrentLayer(longName));
    EXPECT_EQ(Utf8ToUtf16(doc->LayerName(0)).size(), 100u);
    ASSERT_TRUE(doc->RenameCurrentLayer("하늘"));
    EXPECT_EQ(doc->LayerName(0), "하늘");
}

TEST(LayerStack, CreateLayerPlanesChecksItsArguments) {
    auto doc = test::MakeDocument(5, 4);
    const DocumentHeader before = doc->Header();
    auto planes = [](int slot, int layerWidth, int layerHeight) {
        LayerPlanesRequest request;
        request.slot = slot;
        request.formatType = 1;
        request.layerWidth = layerWidth;
        request.layerHeight = layerHeight;
        request.documentWidth = 5;
        request.documentHeight = 4;
        return request;
    };
    EXPECT_FALSE(doc->CreateLayerPlanes(planes(40, 5, 4)));
    EXPECT_FALSE(doc->CreateLayerPlanes(planes(-1, 5, 4)));
    EXPECT_FALSE(doc->CreateLayerPlanes(planes(3, 0, 4)));
    EXPECT_FALSE(doc->CreateLayerPlanes(planes(3, 5, -2)));
    // Absurd sizes are refused before anything is allocated or changed.
    EXPECT_FALSE(doc->CreateLayerPlanes(planes(3, 100000, 100000)));
    EXPECT_EQ(doc->Header().width, before.width);
    EXPECT_EQ(doc->Header().height, before.height);

    // A layer smaller than the document grows to it; the centre flag centres it: a
    // layer larger than the document reaches past it on both sides, the odd row or
    // column past the bottom and right edges.
    ASSERT_TRUE(doc->CreateLayerPlanes({.slot = 3, .name = u"그림", .formatType = 1, .alphaFill = 7, .x = 5, .y = 5,
                                        .layerWidth = 2, .layerHeight = 9, .documentWidth = 6, .documentHeight = 4,
                                        .changed = 1, .centre = true}));
    const LayerRecord& layer = doc->Layer(3);
    EXPECT_EQ(layer.width, 6);
    EXPECT_EQ(layer.height, 9);
    const CanvasRect placed = LayerCanvasRect(layer, doc->Header());
    EXPECT_EQ(placed.left, 0);
    EXPECT_EQ(placed.top, -2);
    EXPECT_EQ(placed.Bottom(), 4 + 3);
    EXPECT_EQ(layer.alpha[0], 7);
    EXPECT_EQ(doc->Header().width, 6);
    EXPECT_EQ(doc->Header().imageSize, 4 * 20);
    EXPECT_EQ(doc->PictureName(), "그림");
    LayerPlanesRequest larger = planes(5, 11, 8);
    larger.documentWidth = 6;
    larger.documentHeight = 4;
    larger.centre = true;
    ASSERT_TRUE(doc->CreateLayerPlanes(larger));
    const CanvasRect wide = LayerCanvasRect(doc->Layer(5), doc->Header());
    EXPECT_EQ(wide.left, -2);
    EXPECT_EQ(wide.Right(), 6 + 3);
    EXPECT_EQ(wide.top, -2);
    EXPECT_EQ(wide.Bottom(), 4 + 2);
    // A text layer's pixel plane is one byte a pixel.
    LayerPlanesRequest text = planes(4, 6, 4);
    text.documentWidth = 6;
    text.kind = LayerKind::Text;
    ASSERT_TRUE(doc->CreateLayerPlanes(text));
    EXPECT_EQ(doc->Layer(4).stride, 6);
    EXPECT_EQ(doc->Layer(4).pixelSize, doc->Layer(4).planeSize);
}

TEST(LayerStack, TextToRasterKeepsTheCoverage) {
    auto doc = test::MakeDocument(4, 3);
    const int slot = doc->InsertLayer(0);
    LayerPlanesRequest request = LayerPlanesRequest::LikeDocument(doc->Header(), slot);
    request.changed = 1;
    request.kind = LayerKind::Text;
    ASSERT_TRUE(doc->CreateLayerPlanes(request));
    LayerRecord& text = doc->Layer(slot);
    for (size_t i = 0; i < text.alpha.size(); ++i) text.alpha[i] = uint8_t(i * 20);
    text.textColour = 0x00102030;  // blue 0x30, green 0x20, red 0x10
    ASSERT_TRUE(doc->SelectLayer(slot));
    ASSERT_TRUE(doc->TextToRaster());
    EXPECT_EQ(text.kind, LayerKind::Raster);
    EXPECT_EQ(text.stride, 12);
    EXPECT_EQ(text.changed, 1);
    for (size_t i = 0; i < text.alpha.size(); ++i) EXPECT_EQ(text.alpha[i], uint8_t(i * 20));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(text.PixelRow(y)[3 * x], 0x30);
            EXPECT_EQ(text.PixelRow(y)[3 * x + 2], 0x10);
        }
    EXPECT_FALSE(doc->TextToRaster());  // no longer a text layer
}

TEST(LayerStack, DuplicateLayer) {
    test::RecordingPlatform platform;
    auto doc = test::MakeDocument(5, 3);
    test::FillRandom(doc->Layer(0), 4);
    doc->InsertLayer(0);
    ASSERT_TRUE(doc->SelectLayer(0));
    ASSERT_TRUE(doc->DuplicateLayer());
    EXPECT_EQ(doc->CurrentLayer(), 2);
    EXPECT_EQ(doc->TopLayer(), 2);  // pasted above the top layer
    for (int y = 0; y < 3; ++y)  // the row padding is not part of the picture
        EXPECT_TRUE(std::equal(doc->Layer(0).PixelRow(y), doc->Layer(0).PixelRow(y) + 15, doc->Layer(2).PixelRow(y)));
    EXPECT_EQ(doc->Layer(2).alpha, doc->Layer(0).alpha);
    EXPECT_EQ(doc->RecordedSteps().back().name, texts::kStepPaste);
    EXPECT_EQ(doc->RecordedSteps().back().code, StepCode::LayerPasted);
    // Measurement layers are not copied.
    doc->Layer(2).kind = LayerKind::Measure;
    EXPECT_FALSE(doc->DuplicateLayer());
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0], texts::kOnlyRasterCopied);
    platform.messages.clear();
    // Palette documents are refused.
    doc->Header().colourCount = 256;
    EXPECT_FALSE(doc->DuplicateLayer());
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0], texts::kRgbOnly);
}

// With a selection shown only its bounding box is copied; the unselected pixels
// inside the box come out transparent, and the copy starts at the layer's corner.
TEST(LayerStack, DuplicateLayerTakesTheSelectedPart) {
    auto doc = test::MakeDocument(6, 5);
    LayerRecord& source = doc->Layer(0);
    test::FillRandom(source, 9);
    std::fill(source.alpha.begin(), source.alpha.end(), 200);
    SelectionMask& selection = doc->State().selection;
    std::fill(selection.mask.begin(), selection.mask.end(), 0);
    // Stored rows 1..2, columns 2..4, but not (3, 2).
    for (int r = 1; r <= 2; ++r)
        for (int c = 2; c <= 4; ++c) selection.mask[size_t(r) * 6 + c] = 1;
    selection.mask[2 * 6 + 3] = 0;
    selection.selectionActive = 1;

    ASSERT_TRUE(doc->DuplicateLayer());
    const int slot = doc->CurrentLayer();
    ASSERT_NE(slot, 0);
    const LayerRecord& copy = doc->Layer(slot);
    EXPECT_EQ(copy.width, 6);  // never smaller than the document
    EXPECT_EQ(copy.height, 5);
    EXPECT_EQ(copy.x, 0);
    EXPECT_EQ(copy.y, 0);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) {
            const bool inside = y < 2 && x < 3;
            const bool selected = inside && !(y == 1 && x == 1);
            EXPECT_EQ(copy.alpha[size_t(y) * 6 + x], selected ? 200 : 0) << x << "," << y;
            if (selected) {
                EXPECT_TRUE(std::equal(copy.PixelRow(y) + 3 * x, copy.PixelRow(y) + 3 * x + 3,
                                       source.PixelRow(y + 1) + 3 * (x + 2)))
                    << x << "," << y;
            }
        }

    // A selection that misses the layer copies nothing.
    std::fill(selection.mask.begin(), selection.mask.end(), 0);
    const int layers = doc->CountLayers();
    EXPECT_FALSE(doc->DuplicateLayer());
    EXPECT_EQ(doc->CountLayers(), layers);
}
