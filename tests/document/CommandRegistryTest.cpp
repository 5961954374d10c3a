// Commands as data: the document's commands run headless through their ids.
#include <gtest/gtest.h>

#include "core/ImageFields.h"
#include "core/Samples.h"
#include "document/CommandRegistry.h"
#include "document/DocumentTexts.h"
#include "document/DocumentTestSupport.h"

using namespace quillory;

TEST(CommandRegistry, EveryDocumentCommandIsRegistered) {
    const CommandRegistry& registry = CommandRegistry::Instance();
    for (int id : {1552, 1553, 1557, 1555, 1500, 3500, 1545, 3994, 1430, 1483, 1485, 1486, 1490, 1416, 1417, 1425, 1407})
        EXPECT_NE(registry.Find(id), nullptr) << id;
    EXPECT_EQ(registry.Find(cmd::kLayerMergeDown)->name, texts::kCmdTextMergeDown);
    EXPECT_EQ(registry.Find(cmd::kLayerFlatten)->name, texts::kCmdTextFlatten);
    EXPECT_EQ(registry.Find(9999), nullptr);
    auto doc = test::MakeDocument(3, 3);
    EXPECT_FALSE(registry.Execute(9999, *doc));
}

TEST(CommandRegistry, LayerCommandsRunHeadless) {
    const CommandRegistry& registry = CommandRegistry::Instance();
    auto doc = test::MakeDocument(6, 4);
    ASSERT_TRUE(registry.Execute(cmd::kLayerAdd, *doc));
    ASSERT_TRUE(registry.Execute(cmd::kLayerAdd, *doc));
    EXPECT_EQ(doc->CountLayers(), 3);
    EXPECT_FALSE(registry.Execute(cmd::kLayerRename, *doc));  // without a name
    ASSERT_TRUE(registry.Execute(cmd::kLayerRename, *doc, {{"name", "잎"}}));
    EXPECT_EQ(doc->LayerName(doc->CurrentLayer()), "잎");
    ASSERT_TRUE(registry.Execute(cmd::kLayerDuplicate, *doc));
    EXPECT_EQ(doc->CountLayers(), 4);
    ASSERT_TRUE(registry.Execute(cmd::kLayerDelete, *doc));
    ASSERT_TRUE(registry.Execute(cmd::kLayerMergeUp, *doc));
    EXPECT_EQ(doc->CountLayers(), 2);
    ASSERT_TRUE(registry.Execute(cmd::kLayerFlatten, *doc));
    EXPECT_EQ(doc->CountLayers(), 1);
    EXPECT_FALSE(registry.Execute(cmd::kLayerMergeDown, *doc));
    EXPECT_FALSE(registry.Execute(cmd::kLayerToRaster, *doc));  // not a text layer
    std::vector<std::string> names;
    for (const auto& step : doc->RecordedSteps()) names.push_back(step.name);
    EXPECT_EQ(names, (std::vector<std::string>{texts::kStepOpening, texts::kStepAddLayer, texts::kStepAddLayer,
                                                texts::kStepPaste, texts::kStepDeleteLayer, texts::kStepMerge,
                                                texts::kStepFlatten}));
}

TEST(CommandRegistry, ImageFieldCommandsChangeTheCompositeAndRecordTheirLabel) {
    const CommandRegistry& registry = CommandRegistry::Instance();
    auto doc = test::MakeDocument(2, 2);
    doc->Composite()->transparentIndex = 4;
    ASSERT_TRUE(registry.Execute(cmd::kRemoveTransparency, *doc));
    EXPECT_EQ(doc->Composite()->transparentIndex, -1);
    EXPECT_EQ(doc->RecordedSteps().back().name, "Removetransparency");
    ASSERT_TRUE(registry.Execute(cmd::kToggleAlphaPalette, *doc));
    EXPECT_EQ(doc->Composite()->alphaPaletteEnabled, 1);
    ASSERT_TRUE(registry.Execute(cmd::kStripAlpha, *doc));
    EXPECT_EQ(doc->Composite()->backColour, (RGBQUAD{255, 255, 255, 0}));
    EXPECT_EQ(doc->RecordedSteps().back().name, "Alphastrip");
    CVandDoc empty;
    EXPECT_FALSE(registry.Execute(cmd::kRemoveAlphaChannel, empty));
}

TEST(CommandRegistry, SamplesOpenAsNumberedDocuments) {
    const CommandRegistry& registry = CommandRegistry::Instance();
    CVandDoc first, second;
    ASSERT_TRUE(registry.Execute(cmd::kLoadBitmapSample, first, {{"counter", "0"}}));
    ASSERT_TRUE(registry.Execute(cmd::kLoadBitmapSample, second));
    EXPECT_EQ(first.PictureName(), "BITMAP Resource Image 0");
    EXPECT_EQ(second.PictureName(), "BITMAP Resource Image 1");
    EXPECT_EQ(first.Header().bitsPerPixel, 24);
    EXPECT_EQ(first.CountLayers(), 1);
    EXPECT_EQ(first.Layer(0).kind, LayerKind::Background);
    RegisterBuiltInSamples();
    CVandDoc jpeg;
    ASSERT_TRUE(registry.Execute(cmd::kLoadJpegSample, jpeg));
    EXPECT_EQ(jpeg.PictureName(), "JPEG Resource Image 0");
    EXPECT_EQ(jpeg.Header().formatType, 0);
}

TEST(CommandRegistry, ChangesNotifyTheListenerAndStepsStayBounded) {
    auto doc = test::MakeDocument(3, 3);
    int notified = 0;
    doc->SetChangeListener([&](CVandDoc&) { ++notified; });
    ASSERT_TRUE(CommandRegistry::Instance().Execute(cmd::kLayerAdd, *doc));
    doc->SetLayerVisible(0, false);
    doc->SetLayerBlendMode(0, BlendMode::Screen);
    EXPECT_EQ(notified, 3);
    for (int i = 0; i < 150; ++i) doc->RecordStep("붓그리기", StepCode::Pixels);
    EXPECT_EQ(doc->RecordedSteps().size(), kMaxStepRecords);
    EXPECT_EQ(doc->RecordedSteps().back().name, "붓그리기");
    EXPECT_TRUE(doc->IsModified());
}
