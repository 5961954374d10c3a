// A layer's look (blend mode, transparency, visibility, name) set through the
// registered commands, as the layer window and scripts do.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <string>

#include "document/CommandRegistry.h"
#include "document/DocumentTestSupport.h"
#include "document/DocumentTexts.h"
#include "document/UndoHistory.h"
#include "support/TestFiles.h"

using namespace quillory;

namespace {

// Settings and history files of this run go below a data directory of its own.
const std::string& kPrivateHome = test::UsePrivateHome();

struct Look {
    uint8_t blendMode = 0, transparency = 0;
    int32_t visible = 0;
    std::string name;
    friend bool operator==(const Look&, const Look&) = default;
};

Look LookOf(const CVandDoc& doc, int slot) {
    const LayerRecord& layer = doc.Layer(slot);
    return Look{layer.blendMode, layer.transparency, layer.visible, doc.LayerName(slot)};
}

bool Execute(CVandDoc& doc, int id, CommandParameters parameters) {
    return CommandRegistry::Instance().Execute(id, doc, parameters);
}

}  // namespace

TEST(LayerLook, CommandsSetTheNamedLayerOrTheCurrentOne) {
    auto doc = test::MakeDocument(4, 3);
    const int top = doc->InsertLayer(0);
    ASSERT_GT(top, 0);
    ASSERT_TRUE(Execute(*doc, cmd::kLayerBlendMode, {{"mode", texts::kBlendDifference}}));
    EXPECT_EQ(doc->Layer(top).blendMode, BlendMode::Difference);
    ASSERT_TRUE(Execute(*doc, cmd::kLayerBlendMode, {{"layer", "0"}, {"mode", "9"}}));
    EXPECT_EQ(doc->Layer(0).blendMode, BlendMode::Overlay);
    ASSERT_TRUE(Execute(*doc, cmd::kLayerTransparency, {{"value", "255"}}));
    EXPECT_EQ(doc->Layer(top).transparency, 255);
    ASSERT_TRUE(Execute(*doc, cmd::kLayerVisibility, {{"layer", "0"}, {"visible", "0"}}));
    EXPECT_EQ(doc->Layer(0).visible, 0);
    ASSERT_TRUE(Execute(*doc, cmd::kLayerRename, {{"layer", "0"}, {"name", "바닥"}}));
    EXPECT_EQ(doc->LayerName(0), "바닥");
    EXPECT_EQ(doc->CurrentLayer(), top);
}

TEST(LayerLook, BadValuesAndLayersOutsideTheListAreRefusedWithoutChange) {
    auto doc = test::MakeDocument(4, 3);
    const Look before = LookOf(*doc, 0);
    for (const char* mode : {"없는혼합", "10", ""})
        EXPECT_FALSE(Execute(*doc, cmd::kLayerBlendMode, {{"mode", mode}})) << mode;
    EXPECT_FALSE(Execute(*doc, cmd::kLayerBlendMode, {}));
    for (const char* value : {"256", "-1", "abc", ""})
        EXPECT_FALSE(Execute(*doc, cmd::kLayerTransparency, {{"value", value}})) << value;
    for (const char* value : {"2", "-1", "yes"})
        EXPECT_FALSE(Execute(*doc, cmd::kLayerVisibility, {{"visible", value}})) << value;
    EXPECT_FALSE(Execute(*doc, cmd::kLayerTransparency, {}));
    // Slot 5 is free, 40 is past the table, "x" is no number.
    for (const char* layer : {"5", "40", "-1", "x"}) {
        EXPECT_FALSE(Execute(*doc, cmd::kLayerTransparency, {{"layer", layer}, {"value", "10"}})) << layer;
        EXPECT_FALSE(Execute(*doc, cmd::kLayerRename, {{"layer", layer}, {"name", "n"}})) << layer;
    }
    EXPECT_FALSE(Execute(*doc, cmd::kLayerReorder, {{"layer", "0"}, {"with", "5"}}));
    EXPECT_EQ(LookOf(*doc, 0), before);
    EXPECT_FALSE(doc->IsModified());
}

TEST(LayerLook, ALookChangeRecordsNoStepButMarksTheDocumentModified) {
    auto doc = test::MakeDocument(4, 3);
    const size_t steps = doc->RecordedSteps().size();
    ASSERT_TRUE(Execute(*doc, cmd::kLayerTransparency, {{"value", "30"}}));
    EXPECT_EQ(doc->RecordedSteps().size(), steps);
    EXPECT_EQ(doc->History().StepPosition(), 0);
    EXPECT_TRUE(doc->IsModified());
}

TEST(LayerLook, ReorderExchangesTwoLayersAsOneStep) {
    auto doc = test::MakeDocument(4, 3);
    const int top = doc->InsertLayer(0);
    ASSERT_TRUE(Execute(*doc, cmd::kLayerReorder, {{"layer", std::to_string(top)}, {"with", "0"}}));
    EXPECT_EQ(doc->HeadLayer(), top);
    EXPECT_EQ(doc->RecordedSteps().back().name, texts::kStepReorder);
}

// A new user's path: duplicate the layer, give the copy a look and a name,
// flatten, undo. The copy comes back exactly as it was before the flatten.
TEST(LayerLook, TheLookSurvivesUndoOfALaterStep) {
    auto doc = test::MakeDocument(6, 5);
    test::FillRandom(doc->Layer(0), 7);
    doc->RecordStep("붓그리기", StepCode::Pixels);
    ASSERT_TRUE(Execute(*doc, cmd::kLayerDuplicate, {}));
    const int copy = doc->CurrentLayer();
    ASSERT_NE(copy, 0);
    ASSERT_TRUE(Execute(*doc, cmd::kLayerBlendMode, {{"mode", texts::kBlendDifference}}));
    ASSERT_TRUE(Execute(*doc, cmd::kLayerTransparency, {{"value", "30"}}));
    ASSERT_TRUE(Execute(*doc, cmd::kLayerRename, {{"name", "차이"}}));
    ASSERT_TRUE(Execute(*doc, cmd::kLayerBlendMode, {{"layer", "0"}, {"mode", texts::kBlendScreen}}));
    const Look copyLook = LookOf(*doc, copy), bottomLook = LookOf(*doc, 0);
    ASSERT_EQ(copyLook, (Look{BlendMode::Difference, 30, 1, "차이"}));

    ASSERT_TRUE(Execute(*doc, cmd::kLayerFlatten, {}));
    ASSERT_EQ(doc->CountLayers(), 1);
    ASSERT_TRUE(doc->History().Undo());
    ASSERT_EQ(doc->CountLayers(), 2);
    EXPECT_EQ(LookOf(*doc, copy), copyLook);
    EXPECT_EQ(LookOf(*doc, 0), bottomLook);
    ASSERT_TRUE(doc->History().Redo());
    ASSERT_TRUE(doc->History().Undo());
    EXPECT_EQ(LookOf(*doc, copy), copyLook);
}
