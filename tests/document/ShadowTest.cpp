// The layer shadow effect: the window sum against a plain scan, the baking into
// colour and opacity, the command's flow and its undo step.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "document/CVandDoc.h"
#include "document/CommandRegistry.h"
#include "document/DocumentTexts.h"
#include "document/HistoryTexts.h"
#include "document/ShadowEffect.h"
#include "document/SnapshotSlots.h"
#include "document/UndoHistory.h"
#include "document/DocumentTestSupport.h"
#include "support/RecordingPlatform.h"

using namespace quillory;

namespace {

// The plain window scan: for each transparent pixel, the sum over dx, dy
// in -s .. s-1 of alpha / 255, times 255 / (1.5 s²), truncated, at most 255.
// Whole-number arithmetic gives the exact value of that expression.
std::vector<uint8_t> PlainShadow(const LayerRecord& layer, int s) {
    std::vector<uint8_t> effect = layer.effect;
    for (int y = 0; y < layer.height; ++y)
        for (int x = 0; x < layer.width; ++x) {
            if (layer.alpha[size_t(y) * layer.width + x] != 0) continue;
            long sum = 0;
            for (int dy = -s; dy < s; ++dy)
                for (int dx = -s; dx < s; ++dx) {
                    const int xx = x + dx, yy = y + dy;
                    if (xx < 0 || yy < 0 || xx >= layer.width || yy >= layer.height) continue;
                    sum += layer.alpha[size_t(yy) * layer.width + xx];
                }
            effect[size_t(y) * layer.width + x] = s == 0 ? 0 : uint8_t(std::min<long>(255, sum * 2 / (3L * s * s)));
        }
    return effect;
}

LayerRecord Plane(int width, int height) {
    LayerRecord layer;
    layer.width = width;
    layer.height = height;
    layer.stride = int32_t(PlaneStride(24, width));
    layer.planeSize = width * height;
    layer.pixelSize = layer.stride * height;
    layer.pixels.assign(size_t(layer.pixelSize), 255);
    layer.alpha.assign(size_t(layer.planeSize), 0);
    layer.effect.assign(size_t(layer.planeSize), 0);
    return layer;
}

uint8_t& At(std::vector<uint8_t>& plane, const LayerRecord& layer, int x, int y) {
    return plane[size_t(y) * size_t(layer.width) + size_t(x)];
}

}  // namespace

TEST(ShadowCompute, MatchesThePlainWindowScanForEverySizeAndShape) {
    test::TestRandom random{42};
    for (const auto& [w, h] : {std::pair{1, 1}, {3, 2}, {17, 9}, {40, 23}, {5, 41}}) {
        for (int s = 0; s <= kMaxEffectSize; ++s) {
            LayerRecord layer = Plane(w, h);
            for (auto& a : layer.alpha) a = random.Next() % 3 == 0 ? 0 : random.Byte();
            for (auto& e : layer.effect) e = random.Byte();  // opaque pixels keep these
            layer.effectSize = uint8_t(s);
            const std::vector<uint8_t> expected = PlainShadow(layer, s);
            ComputeShadow(layer);
            ASSERT_EQ(layer.effect, expected) << w << "x" << h << " size " << s;
        }
    }
}

TEST(ShadowCompute, WindowValuesOfHandCountedCases) {
    // Size 3: a fully opaque 6 × 6 window gives 255; 4 opaque pixels give 75.
    LayerRecord layer = Plane(12, 12);
    layer.effectSize = 3;
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x) At(layer.alpha, layer, x, y) = (x < 6) ? 255 : 0;
    At(layer.alpha, layer, 2, 2) = 0;
    ComputeShadow(layer);
    EXPECT_EQ(At(layer.effect, layer, 2, 2), 255);

    LayerRecord four = Plane(12, 12);
    four.effectSize = 3;
    for (int y = 4; y < 6; ++y)
        for (int x = 4; x < 6; ++x) At(four.alpha, four, x, y) = 255;
    ComputeShadow(four);
    EXPECT_EQ(At(four.effect, four, 6, 6), 75);
    EXPECT_EQ(At(four.effect, four, 4, 4), 0);  // opaque: kept
    // The window reaches 3 to the low side and 2 to the high side.
    EXPECT_EQ(At(four.effect, four, 8, 5), 37);
    EXPECT_EQ(At(four.effect, four, 9, 5), 0);
    EXPECT_EQ(At(four.effect, four, 2, 5), 37);
    EXPECT_EQ(At(four.effect, four, 1, 5), 0);

    LayerRecord zero = Plane(6, 6);
    zero.effectSize = 0;
    std::fill(zero.alpha.begin(), zero.alpha.begin() + 18, 255);
    std::fill(zero.effect.begin(), zero.effect.end(), 9);
    ComputeShadow(zero);
    for (size_t i = 18; i < zero.effect.size(); ++i) ASSERT_EQ(zero.effect[i], 0);
    EXPECT_EQ(zero.effect[0], 9);
}

TEST(ShadowCompute, ReportsProgressPerRowAndResetsIt) {
    test::RecordingPlatform platform;
    LayerRecord layer = Plane(3, 4);
    layer.effectSize = 1;
    ComputeShadow(layer);
    EXPECT_EQ(platform.progress, (std::vector<int>{0, 25, 50, 75, 0}));
}

TEST(ShadowApply, LaysTheShadowIntoColourAndOpacity) {
    DocumentHeader header;
    header.bitsPerPixel = 24;
    LayerRecord layer = Plane(3, 1);
    layer.shadowColour = 0x112233;  // red 0x11, green 0x22, blue 0x33
    layer.alpha = {0, 200, 0};
    layer.effect = {90, 0, 0};
    LayerRecord copy = layer;
    ApplyShadow(copy, header);
    EXPECT_EQ(copy.alpha, (std::vector<uint8_t>{90, 200, 0}));
    EXPECT_EQ(std::vector<uint8_t>(copy.pixels.begin(), copy.pixels.begin() + 9),
              (std::vector<uint8_t>{0x33, 0x22, 0x11, 255, 255, 255, 255, 255, 255}));
    layer.shadowOnly = 1;
    ApplyShadow(layer, header);
    EXPECT_EQ(layer.alpha, (std::vector<uint8_t>{90, 0, 0}));
    EXPECT_EQ(layer.pixels[3], 0x33);

    // A palette picture takes the nearest entry.
    DocumentHeader palette;
    palette.bitsPerPixel = 8;
    palette.colourCount = 3;
    palette.palette = {RGBQUAD{0, 0, 0, 0}, RGBQUAD{0x30, 0x20, 0x10, 0}, RGBQUAD{255, 255, 255, 0}};
    LayerRecord indexed;
    indexed.width = 2, indexed.height = 1, indexed.stride = 4, indexed.planeSize = 2, indexed.pixelSize = 4;
    indexed.pixels = {2, 2, 0, 0};
    indexed.alpha = {0, 0};
    indexed.effect = {5, 0};
    indexed.shadowColour = 0x112233;
    ApplyShadow(indexed, palette);
    EXPECT_EQ(indexed.pixels[0], 1);
    EXPECT_EQ(indexed.pixels[1], 2);
}

TEST(ShadowCommand, RefusesTextLayersAndCancelKeepsTheLayer) {
    test::RecordingPlatform platform;
    auto doc = test::MakeDocument(6, 5);
    int32_t remembered = 0x0000FF;
    doc->Layer(0).kind = LayerKind::Text;
    bool dialogShown = false;
    const ShadowDialog dialog = [&](const ShadowSettings&) -> std::optional<ShadowSettings> {
        dialogShown = true;
        return std::nullopt;
    };
    EXPECT_FALSE(LayerEffectCommand(*doc, dialog, remembered));
    EXPECT_FALSE(dialogShown);
    EXPECT_EQ(platform.messages, std::vector<std::string>{texts::kTextLayerIsCurrent});

    doc->Layer(0).kind = LayerKind::Background;
    const std::vector<uint8_t> committed = doc->Layer(0).pixels;
    doc->Layer(0).pixels[0] = 7;  // a preview left behind
    const size_t steps = doc->RecordedSteps().size();
    ShadowSettings shown;
    const ShadowDialog cancel = [&](const ShadowSettings& initial) -> std::optional<ShadowSettings> {
        shown = initial;
        return std::nullopt;
    };
    doc->Layer(0).effectSize = 9;  // not recorded: the committed copy's 0 comes back
    EXPECT_FALSE(LayerEffectCommand(*doc, cancel, remembered));
    EXPECT_EQ(shown.size, 1);
    EXPECT_EQ(doc->Layer(0).effectSize, 0);
    EXPECT_EQ(shown.colour, 0x0000FF);
    EXPECT_EQ(doc->Layer(0).pixels, committed);
    EXPECT_EQ(doc->RecordedSteps().size(), steps);
    EXPECT_EQ(doc->Layer(0).effectOn, 0);
}

TEST(ShadowCommand, ConfirmRecordsTheStepAndDisplayLeavesThePlanesAlone) {
    auto doc = test::MakeDocument(16, 12, NewPictureSettings::Transparent);
    LayerRecord& layer = doc->Layer(0);
    for (int y = 4; y < 8; ++y)
        for (int x = 4; x < 8; ++x) layer.AlphaRow(y)[x] = 255;
    doc->RecordStep("붓그리기", StepCode::Pixels);
    const LayerRecord before = layer;
    int32_t remembered = 0;
    const ShadowDialog confirm = [](const ShadowSettings& initial) -> std::optional<ShadowSettings> {
        ShadowSettings s = initial;
        s.size = 40;  // clamped to 17
        s.colour = 0x405060;
        s.shadowOnly = true;
        return s;
    };
    ASSERT_TRUE(LayerEffectCommand(*doc, confirm, remembered));
    EXPECT_EQ(layer.effectOn, 1);
    EXPECT_EQ(layer.effectSize, 17);
    EXPECT_EQ(layer.shadowOnly, 1);
    EXPECT_EQ(remembered, 0x405060);
    EXPECT_EQ(doc->History().Entry(doc->History().StepPosition()).name, texts::kStepLayerEffect);
    EXPECT_NE(layer.effect, before.effect);

    // Displaying shows the shadow but never bakes it into the stored planes.
    std::vector<uint32_t> pixels(16 * 12);
    TargetBuffer target(pixels.data(), 16, 12);
    const LayerRecord stored = layer;
    EXPECT_EQ(BlendPassWithEffects(doc->Header(), doc->Stack().Layers(), doc->HeadLayer(), -1, false, target,
                                   RenderMapping{}),
              1);
    EXPECT_EQ(layer.alpha, stored.alpha);
    EXPECT_EQ(layer.pixels, stored.pixels);
    const uint32_t inside = pixels[size_t(12 - 1 - 5) * 16 + 5];   // the layer's own pixels, hidden
    const uint32_t beside = pixels[size_t(12 - 1 - 5) * 16 + 9];   // in the shadow
    EXPECT_EQ(inside >> 24, 0u);
    EXPECT_GT(beside >> 24, 0u);
    EXPECT_GT(beside & 0xFF, (beside >> 16) & 0xFF);  // blue 0x60 over red 0x40
    // The document's display and its flat picture for saving show the same.
    std::vector<uint32_t> shown(16 * 12), flat;
    TargetBuffer view(shown.data(), 16, 12);
    doc->Render(view, RenderMapping{});
    ASSERT_TRUE(doc->FlattenForSaving(flat));
    EXPECT_EQ(shown, pixels);
    EXPECT_EQ(flat, pixels);
    // While a selection is shown the effect is not drawn.
    BlendPassWithEffects(doc->Header(), doc->Stack().Layers(), doc->HeadLayer(), -1, true, target, RenderMapping{});
    EXPECT_EQ(pixels[size_t(12 - 1 - 5) * 16 + 9] >> 24, 0u);

    // Removing the effect clears the plane; undo brings the effect back.
    int offered = 0;  // the dialog reopens with the recorded size
    const ShadowDialog remove = [&offered](const ShadowSettings& initial) -> std::optional<ShadowSettings> {
        offered = initial.size;
        ShadowSettings s = initial;
        s.remove = true;
        return s;
    };
    const std::vector<uint8_t> shadowPlane = layer.effect;
    ASSERT_TRUE(LayerEffectCommand(*doc, remove, remembered));
    EXPECT_EQ(offered, 17);
    EXPECT_EQ(layer.effectOn, 0);
    EXPECT_TRUE(std::all_of(layer.effect.begin(), layer.effect.end(), [](uint8_t e) { return e == 0; }));
    ASSERT_TRUE(doc->History().Undo());
    EXPECT_EQ(doc->Layer(0).effectOn, 1);
    EXPECT_EQ(doc->Layer(0).effect, shadowPlane);
    ASSERT_TRUE(doc->History().Undo());
    EXPECT_EQ(doc->Layer(0).effectOn, 0);
    EXPECT_EQ(doc->Layer(0).effect, before.effect);
}

TEST(ShadowCommand, RunsFromTheRegistryWithParameters) {
    auto doc = test::MakeDocument(8, 8, NewPictureSettings::Transparent);
    doc->Layer(0).AlphaRow(3)[3] = 255;
    doc->RecordStep("점찍기", StepCode::Pixels);
    CommandRegistry& registry = CommandRegistry::Instance();
    ASSERT_TRUE(registry.Execute(cmd::kLayerEffect, *doc, {{"size", "1"}, {"colour", "#ff0000"}}));
    EXPECT_EQ(doc->Layer(0).shadowColour, 0xFF0000);
    EXPECT_EQ(doc->Layer(0).AlphaRow(3)[4], 0);
    EXPECT_EQ(doc->Layer(0).effect[size_t(3) * 8 + 4], 170);
    EXPECT_FALSE(registry.Execute(cmd::kLayerEffect, *doc, {{"colour", "red"}}));
}

TEST(ShadowCommand, MergingAndFlatteningKeepTheShownShadow) {
    for (const bool flatten : {false, true}) {
        auto doc = test::MakeDocument(12, 10);
        ASSERT_TRUE(doc->AddLayer());
        const int top = doc->CurrentLayer();
        for (int y = 3; y < 6; ++y)
            for (int x = 4; x < 8; ++x) {
                doc->Layer(top).AlphaRow(y)[x] = 255;
                doc->Layer(top).PixelRow(y)[3 * x] = 0;
            }
        doc->RecordStep("붓그리기", StepCode::Pixels);
        ASSERT_TRUE(CommandRegistry::Instance().Execute(cmd::kLayerEffect, *doc, {{"size", "2"}, {"colour", "00ff00"}}));
        std::vector<uint32_t> shown(12 * 10), after(12 * 10);
        TargetBuffer before(shown.data(), 12, 10), now(after.data(), 12, 10);
        doc->Render(before, RenderMapping{});
        const LayerRecord plain = doc->Layer(top);
        if (flatten) {
            ASSERT_TRUE(CommandRegistry::Instance().Execute(cmd::kLayerFlatten, *doc));
        } else {
            doc->SelectLayer(doc->HeadLayer());
            ASSERT_TRUE(CommandRegistry::Instance().Execute(cmd::kLayerMergeDown, *doc));
        }
        EXPECT_EQ(doc->CountLayers(), 1);
        doc->Render(now, RenderMapping{});
        EXPECT_EQ(after, shown) << (flatten ? "flatten" : "merge");
        // Undo brings the layer back with its own planes and the effect on.
        ASSERT_TRUE(doc->History().Undo());
        EXPECT_EQ(doc->Layer(top).effectOn, 1);
        EXPECT_EQ(doc->Layer(top).alpha, plain.alpha);
        EXPECT_EQ(doc->Layer(top).pixels, plain.pixels);
    }
}
