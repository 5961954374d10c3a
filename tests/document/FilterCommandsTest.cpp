#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "core/CommandIds.h"
#include "document/CVandDoc.h"
#include "document/ColourDepthCommands.h"
#include "document/CommandRegistry.h"
#include "document/DocumentTexts.h"
#include "document/FilterCommands.h"
#include "document/UndoHistory.h"
#include "document/DocumentTestSupport.h"
#include "support/RecordingPlatform.h"

using namespace quillory;

namespace {

std::unique_ptr<CVandDoc> RandomDocument(int width, int height, uint32_t seed) {
    auto doc = test::MakeDocument(width, height);
    LayerRecord& layer = doc->Layer(doc->CurrentLayer());
    test::FillRandom(layer, seed);
    std::fill(layer.alpha.begin(), layer.alpha.end(), 255);
    doc->RecordStep("initial state", StepCode::Pixels);
    return doc;
}

}  // namespace

TEST(FilterCommands, AScriptLineAppliesTheFilterAndRecordsOneNamedStep) {
    auto doc = RandomDocument(11, 7, 3);
    const std::vector<uint8_t> before = doc->Layer(doc->CurrentLayer()).pixels;
    const size_t steps = doc->RecordedSteps().size();
    ASSERT_TRUE(CommandRegistry::Instance().Execute(cmd::kBlur, *doc, {{"size", "4"}}));
    const LayerRecord& layer = doc->Layer(doc->CurrentLayer());
    EXPECT_NE(layer.pixels, before);
    EXPECT_EQ(layer.changed, 1);
    ASSERT_EQ(doc->RecordedSteps().size(), steps + 1);
    EXPECT_EQ(doc->RecordedSteps().back().name, "흐리게");

    // The same filter straight on a copy of the planes gives the same pixels.
    auto again = RandomDocument(11, 7, 3);
    ASSERT_TRUE(ApplyFilterToLayer(*again, again->CurrentLayer(), "흐리게", FilterValues{{4, -1, -1}}));
    EXPECT_EQ(again->Layer(again->CurrentLayer()).pixels, layer.pixels);

    ASSERT_TRUE(doc->History().Undo());
    EXPECT_EQ(doc->Layer(doc->CurrentLayer()).pixels, before);
}

TEST(FilterCommands, NamedValuesAreClampedAndMissingOnesTakeTheDefaults) {
    const FilterParameterSet& set = ParameterSetOf("윤곽선");
    EXPECT_EQ(FilterValuesFromParameters(set, {}).p[0], 8);
    EXPECT_EQ(FilterValuesFromParameters(set, {{"centre", "12"}}).p[0], 12);
    EXPECT_EQ(FilterValuesFromParameters(set, {{"p1", "99"}}).p[0], 20);
    EXPECT_EQ(FilterValuesFromParameters(set, {{"centre", "-3"}, {"shading", "50"}}).p[0], 5);
    EXPECT_EQ(FilterValuesFromParameters(set, {{"shading", "50"}}).p[1], 50);
    EXPECT_EQ(FilterValuesFromParameters(set, {{"centre", "x"}}).p[0], 8);
    EXPECT_EQ(FilterValuesFromParameters(ParameterSetOf("찍어붙이기"), {}).p[1], 1);
}

TEST(FilterCommands, EveryFilterIsACommandAndTheMenusSharpenEnhancesEdges) {
    CommandRegistry& registry = CommandRegistry::Instance();
    for (int i = 0; i < kFilterCount; ++i) {
        const CommandEntry* entry = registry.Find(FilterAt(i)->commandId);
        ASSERT_NE(entry, nullptr) << FilterAt(i)->name;
        EXPECT_EQ(entry->name, FilterAt(i)->name);
    }
    auto viaMenu = RandomDocument(9, 9, 8);
    auto viaEdges = RandomDocument(9, 9, 8);
    ASSERT_TRUE(registry.Execute(cmd::kSharpen, *viaMenu, {{"amount", "0"}}));
    ASSERT_TRUE(registry.Execute(cmd::kEdgeEnhance, *viaEdges, {{"amount", "0"}}));
    EXPECT_EQ(viaMenu->Layer(viaMenu->CurrentLayer()).pixels, viaEdges->Layer(viaEdges->CurrentLayer()).pixels);
    EXPECT_EQ(viaMenu->RecordedSteps().back().name, "경계강조");
}

TEST(FilterCommands, TextLayersAreRefusedWithTheMessage) {
    test::RecordingPlatform platform;
    auto doc = RandomDocument(6, 6, 1);
    doc->Layer(doc->CurrentLayer()).kind = LayerKind::Text;
    const size_t steps = doc->RecordedSteps().size();
    EXPECT_FALSE(CommandRegistry::Instance().Execute(cmd::kEmboss, *doc, {}));
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0], texts::kTextLayerIsCurrent);
    EXPECT_EQ(doc->RecordedSteps().size(), steps);
}

TEST(FilterCommands, ProgressAndWaitCursorAccompanyTheRun) {
    test::RecordingPlatform platform;
    auto doc = RandomDocument(8, 50, 2);
    ASSERT_TRUE(CommandRegistry::Instance().Execute(cmd::kErode, *doc, {{"size", "3"}}));
    EXPECT_EQ(platform.waitCount, 1);
    EXPECT_EQ(platform.waitDepth, 0);
    ASSERT_FALSE(platform.progress.empty());
    EXPECT_GT(*std::max_element(platform.progress.begin(), platform.progress.end()), 50);
    EXPECT_EQ(platform.progress.back(), 0);
}

TEST(FilterCommands, PaletteLayersTakeTheNearestEntryWhereAColourChanged) {
    auto doc = RandomDocument(12, 10, 21);
    ASSERT_TRUE(EightBitColour(*doc));
    ASSERT_EQ(doc->Header().bitsPerPixel, 8);
    LayerRecord& layer = doc->Layer(doc->CurrentLayer());
    const std::vector<uint8_t> before = layer.pixels;
    ASSERT_TRUE(ApplyFilterToLayer(*doc, doc->CurrentLayer(), "물체축소", FilterValues{{3, -1, -1}}));
    EXPECT_NE(layer.pixels, before);
    // Every index still names a palette colour; the darkest corner of a window survives.
    const auto& palette = doc->Header().palette;
    for (int y = 0; y < layer.height; ++y)
        for (int x = 0; x < layer.width; ++x) EXPECT_LT(layer.PixelRow(y)[x], palette.size());
}

TEST(FilterCommands, TheSelectionMaskReachesTheFiltersThatHonourIt) {
    auto doc = RandomDocument(10, 8, 4);
    SelectionMask& selection = doc->State().selection;
    ASSERT_EQ(selection.mask.size(), size_t(10 * 8));
    std::fill(selection.mask.begin(), selection.mask.end(), 0);
    selection.selectionActive = 1;
    const std::vector<uint8_t> before = doc->Layer(doc->CurrentLayer()).pixels;
    ASSERT_TRUE(ApplyFilterToLayer(*doc, doc->CurrentLayer(), "경계강조", FilterValues{{0, 0, -1}}));
    EXPECT_EQ(doc->Layer(doc->CurrentLayer()).pixels, before);
    ASSERT_TRUE(ApplyFilterToLayer(*doc, doc->CurrentLayer(), "강조", FilterValues{{1, -1, -1}}));
    EXPECT_NE(doc->Layer(doc->CurrentLayer()).pixels, before);
}
