#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "DocumentTestSupport.h"
#include "core/CommandIds.h"
#include "document/AdjustmentCommands.h"
#include "document/AdjustmentPreview.h"
#include "document/FilterPreview.h"
#include "document/CommandRegistry.h"
#include "document/DocumentTexts.h"
#include "document/UndoHistory.h"
#include "processing/AdjustTexts.h"
#include "support/RecordingPlatform.h"

using namespace quillory;

namespace {

CommandRegistry& Registry() { return CommandRegistry::Instance(); }

const std::string& NewestStep(CVandDoc& doc) { return doc.History().Entry(doc.History().StepPosition()).name; }

// A document of two random raster layers; the top one is current.
std::unique_ptr<CVandDoc> TwoLayers(int w, int h) {
    auto doc = test::MakeDocument(w, h);
    test::FillRandom(doc->Layer(doc->CurrentLayer()), 11);
    doc->RecordStep("붓그리기", StepCode::Pixels);
    EXPECT_TRUE(doc->AddLayer());
    test::FillRandom(doc->Layer(doc->CurrentLayer()), 12);
    doc->RecordStep("붓그리기", StepCode::Pixels);
    return doc;
}

int MakeTextLayer(CVandDoc& doc) {
    EXPECT_TRUE(doc.AddLayer());
    const int slot = doc.CurrentLayer();
    const DocumentHeader& header = doc.Header();
    LayerPlanesRequest request = LayerPlanesRequest::LikeDocument(header, slot);
    request.changed = 1;
    request.kind = LayerKind::Text;
    EXPECT_TRUE(doc.CreateLayerPlanes(request));
    doc.Layer(slot).text.assign(1, u'글');
    doc.Layer(slot).textLength = 1;
    doc.Layer(slot).textColour = 0x00C08040;
    doc.RecordStep("글자입력", StepCode::TextLayerAdded);
    return slot;
}

struct Snapshot {
    std::vector<std::vector<uint8_t>> pixels, alpha;
    std::vector<RGBQUAD> palette;
    friend bool operator==(const Snapshot&, const Snapshot&) = default;
};

Snapshot Take(const CVandDoc& doc) {
    Snapshot s;
    for (int i = 0; i < kMaxLayers; ++i) {
        s.pixels.push_back(doc.Layer(i).pixels);
        s.alpha.push_back(doc.Layer(i).alpha);
    }
    s.palette = doc.Header().palette;
    return s;
}

}  // namespace

TEST(AdjustmentCommands, AreRegisteredWithTheirMenuTexts) {
    const std::pair<int, const char*> commands[] = {
        {cmd::kBrightnessContrast, "명도·대비"}, {cmd::kRgbAdjust, "RGB색상조정"}, {cmd::kLevels, "픽셀분포조정"},
        {cmd::kAutoColour, "자동색상조정"},     {cmd::kInvert, "반전변환"},       {cmd::kDesaturateLayer, "레이어 채도 감소"},
        {cmd::kGreyScale, "그레이스케일 표현"}, {cmd::kBinary, "이진영상 으로"},
    };
    for (auto [id, text] : commands) {
        const CommandEntry* entry = Registry().Find(id);
        ASSERT_NE(entry, nullptr) << id;
        EXPECT_EQ(entry->name, text);
        ASSERT_NE(FindPreviewable(id), nullptr);
    }
}

TEST(AdjustmentCommands, EachRecordsItsNamedStepAndUndoGivesTheLayersBack) {
    const std::pair<int, const char*> steps[] = {
        {cmd::kBrightnessContrast, "명도·대비 조절"}, {cmd::kRgbAdjust, "색상조정"},  {cmd::kLevels, "색상조정"},
        {cmd::kAutoColour, "자동 색상 조정"},         {cmd::kInvert, "반전변환"},     {cmd::kDesaturateLayer, "레이어 채도 감소"},
        {cmd::kGreyScale, "그레이스케일 변환"},       {cmd::kBinary, "임계치변환"},
    };
    const CommandParameters parameters{{"brightness", "30"}, {"contrast", "-40"}, {"red", "20"},  {"green", "-9"},
                                       {"blue", "99"},       {"low", "10"},       {"high", "200"}, {"method", "1"}};
    for (auto [id, name] : steps) {
        auto doc = TwoLayers(9, 6);
        const Snapshot before = Take(*doc);
        ASSERT_TRUE(Registry().Execute(id, *doc, parameters)) << name;
        EXPECT_EQ(NewestStep(*doc), name);
        EXPECT_NE(Take(*doc), before) << name;
        ASSERT_TRUE(doc->History().Undo());
        EXPECT_EQ(Take(*doc), before) << name;  // the whole-picture ones give back every layer
    }
}

TEST(AdjustmentCommands, WholePictureCommandsChangeEveryLayerInListOrder) {
    auto doc = TwoLayers(8, 5);
    ASSERT_TRUE(Registry().Execute(cmd::kGreyScale, *doc));
    for (int slot : {doc->HeadLayer(), doc->CurrentLayer()}) {
        const LayerRecord& layer = doc->Layer(slot);
        for (int y = 0; y < layer.height; ++y)
            for (int x = 0; x < layer.width; ++x) {
                const uint8_t* p = layer.PixelRow(y) + 3 * x;
                if (!layer.alpha[size_t(y) * layer.width + x]) continue;
                ASSERT_TRUE(p[0] == p[1] && p[1] == p[2]);
            }
    }
    ASSERT_TRUE(Registry().Execute(cmd::kBinary, *doc, {{"method", "2"}, {"threshold", "255"}}));
    for (int slot : {doc->HeadLayer(), doc->CurrentLayer()}) {
        const LayerRecord& layer = doc->Layer(slot);
        for (int y = 0; y < layer.height; ++y)
            for (int x = 0; x < layer.width; ++x) {
                if (!layer.alpha[size_t(y) * layer.width + x]) continue;
                ASSERT_EQ(layer.PixelRow(y)[3 * x], 255);
            }
    }
    EXPECT_FALSE(Registry().Execute(cmd::kBinary, *doc, {{"method", "3"}}));
    EXPECT_FALSE(Registry().Execute(cmd::kBinary, *doc, {{"threshold", "256"}}));
    EXPECT_FALSE(Registry().Execute(cmd::kBrightnessContrast, *doc, {{"contrast", "300"}}));
}

TEST(AdjustmentCommands, ATextLayerIsRefusedWithTheMessageButDesaturatesItsColour) {
    test::RecordingPlatform platform;
    auto doc = test::MakeDocument(6, 4);
    const int slot = MakeTextLayer(*doc);
    const size_t steps = doc->RecordedSteps().size();
    for (int id : {cmd::kBrightnessContrast, cmd::kRgbAdjust, cmd::kAutoColour, cmd::kBinary, cmd::kLevels,
                   cmd::kInvert}) {
        platform.messages.clear();
        EXPECT_FALSE(Registry().Execute(id, *doc)) << id;
        ASSERT_EQ(platform.messages.size(), 1u) << id;
        EXPECT_EQ(platform.messages[0], "현재는 [Text:글] 레이어. \n\r레이어창에서 다른 레이어 선택");
        AdjustmentPreview preview(*doc, id);
        EXPECT_FALSE(preview.Begin());
    }
    EXPECT_EQ(doc->RecordedSteps().size(), steps);
    const std::vector<uint8_t> coverage = doc->Layer(slot).alpha;
    ASSERT_TRUE(Registry().Execute(cmd::kDesaturateLayer, *doc));
    EXPECT_EQ(doc->Layer(slot).textColour, 0x00808080);  // (0xC0 + 0x80 + 0x40) / 3
    EXPECT_EQ(doc->Layer(slot).alpha, coverage);
    EXPECT_EQ(NewestStep(*doc), "레이어 채도 감소");
}

TEST(AdjustmentPreview, PreviewsStartFromTheCommittedCopyAndCancelLeavesTheLayerByteIdentical) {
    test::RecordingPlatform platform;
    auto doc = TwoLayers(11, 7);
    const Snapshot before = Take(*doc);
    const size_t steps = doc->RecordedSteps().size();
    {
        AdjustmentPreview preview(*doc, cmd::kBrightnessContrast);
        ASSERT_TRUE(preview.Begin());
        ASSERT_TRUE(preview.Run({{"brightness", "50"}}));
        const Snapshot once = Take(*doc);
        ASSERT_TRUE(preview.Run({{"brightness", "50"}}));
        EXPECT_EQ(Take(*doc), once);  // no accumulation
        EXPECT_FALSE(preview.Run({{"brightness", "900"}}));
        EXPECT_EQ(Take(*doc), before);  // a change that cannot run shows the committed copy
        ASSERT_TRUE(preview.Run({{"contrast", "-255"}}));
        EXPECT_GT(platform.waitCount, 0);
        EXPECT_EQ(platform.waitDepth, 0);
        EXPECT_FALSE(platform.progress.empty());
        EXPECT_EQ(platform.progress.back(), 0);
        preview.Cancel();
    }
    EXPECT_EQ(Take(*doc), before);
    EXPECT_EQ(doc->RecordedSteps().size(), steps);
    {
        AdjustmentPreview preview(*doc, cmd::kBrightnessContrast);
        ASSERT_TRUE(preview.Begin());
        ASSERT_TRUE(preview.Run({{"brightness", "50"}}));
    }  // leaving the scope cancels
    EXPECT_EQ(Take(*doc), before);
}

TEST(AdjustmentPreview, OkKeepsTheLastPreviewAsOneStep) {
    auto doc = TwoLayers(10, 6);
    const Snapshot before = Take(*doc);
    ASSERT_TRUE(Registry().Execute(cmd::kRgbAdjust, *doc, {{"red", "-30"}, {"blue", "12"}}));
    const Snapshot direct = Take(*doc);
    ASSERT_TRUE(doc->History().Undo());
    const int position = doc->History().StepPosition();

    AdjustmentPreview preview(*doc, cmd::kRgbAdjust);
    ASSERT_TRUE(preview.Begin());
    ASSERT_TRUE(preview.Run({{"red", "80"}}));
    ASSERT_TRUE(preview.Run({{"red", "-30"}, {"blue", "12"}}));
    doc->Layer(doc->CurrentLayer()).pixels[0] ^= 0xFF;  // whatever the view did meanwhile
    ASSERT_TRUE(preview.Commit());
    EXPECT_EQ(Take(*doc), direct);  // the same as the command run from a script
    EXPECT_EQ(doc->History().StepPosition(), position + 1);
    EXPECT_EQ(NewestStep(*doc), "색상조정");
    ASSERT_TRUE(doc->History().Undo());
    EXPECT_EQ(Take(*doc), before);
}

TEST(AdjustmentPreview, WholePictureCommandsPreviewAndCancelEveryLayer) {
    auto doc = TwoLayers(9, 5);
    const Snapshot before = Take(*doc);
    AdjustmentPreview preview(*doc, cmd::kBinary);
    ASSERT_TRUE(preview.Begin());
    ASSERT_TRUE(preview.Run({{"method", "0"}, {"threshold", "20"}}));
    ASSERT_TRUE(preview.Run({{"method", "0"}, {"threshold", "200"}}));
    const Snapshot previewed = Take(*doc);
    EXPECT_NE(previewed.pixels[size_t(doc->HeadLayer())], before.pixels[size_t(doc->HeadLayer())]);
    preview.Cancel();
    EXPECT_EQ(Take(*doc), before);

    AdjustmentPreview again(*doc, cmd::kBinary);
    ASSERT_TRUE(again.Begin());
    ASSERT_TRUE(again.Run({{"method", "0"}, {"threshold", "200"}}));
    ASSERT_TRUE(again.Commit());
    EXPECT_EQ(Take(*doc), previewed);
    ASSERT_TRUE(doc->History().Undo());
    EXPECT_EQ(Take(*doc), before);
}

TEST(AdjustmentPreview, PalettePicturesPreviewAndUndoTheirPalette) {
    auto doc = test::MakeDocument(12, 8);
    test::FillRandom(doc->Layer(0), 5);
    doc->RecordStep("붓그리기", StepCode::Pixels);
    ASSERT_TRUE(Registry().Execute(cmd::kEightBitColour, *doc));
    ASSERT_EQ(doc->Header().bitsPerPixel, 8);
    const Snapshot before = Take(*doc);

    AdjustmentPreview preview(*doc, cmd::kBrightnessContrast);
    ASSERT_TRUE(preview.Begin());
    ASSERT_TRUE(preview.Run({{"brightness", "60"}}));
    ASSERT_TRUE(preview.Run({{"brightness", "60"}}));
    const Snapshot once = Take(*doc);
    EXPECT_EQ(once.pixels, before.pixels);  // only the palette changes
    EXPECT_EQ(once.palette[3].red, std::min(255, before.palette[3].red + 60));
    preview.Cancel();
    EXPECT_EQ(Take(*doc), before);

    for (auto [id, parameters] : std::vector<std::pair<int, CommandParameters>>{
             {cmd::kBrightnessContrast, {{"contrast", "90"}}},
             {cmd::kRgbAdjust, {{"green", "40"}}},
             {cmd::kLevels, {{"low", "40"}, {"high", "190"}}},
             {cmd::kInvert, {}}}) {
        ASSERT_TRUE(Registry().Execute(id, *doc, parameters)) << id;
        EXPECT_EQ(Take(*doc).pixels, before.pixels) << id;
        EXPECT_NE(Take(*doc).palette, before.palette) << id;
        ASSERT_TRUE(doc->History().Undo());
        EXPECT_EQ(Take(*doc), before) << id;
    }
}

TEST(AdjustmentCommands, BrightnessHonoursTheSelectionButLevelsDoNot) {
    auto doc = test::MakeDocument(6, 4);
    test::FillSolid(doc->Layer(0), MakeQuad(100, 100, 100), 255);
    doc->RecordStep("채우기", StepCode::Pixels);
    SelectionMask& selection = doc->State().selection;
    selection.selectionActive = 1;
    std::fill(selection.mask.begin(), selection.mask.end(), 0);
    selection.mask[0] = 1;  // the first pixel of the first stored row
    ASSERT_TRUE(Registry().Execute(cmd::kBrightnessContrast, *doc, {{"brightness", "20"}}));
    const LayerRecord& layer = doc->Layer(0);
    EXPECT_EQ(layer.PixelRow(0)[0], 120);
    EXPECT_EQ(layer.PixelRow(0)[3], 100);
    EXPECT_EQ(layer.PixelRow(3)[15], 100);
    doc->Layer(0).PixelRow(2)[4] = 10;  // two levels now
    ASSERT_TRUE(Registry().Execute(cmd::kLevels, *doc, {{"low", "10"}, {"high", "120"}}));
    EXPECT_EQ(layer.PixelRow(0)[0], 255);
    EXPECT_EQ(layer.PixelRow(0)[3], 208);  // (100 − 10) × 255 / 110
    EXPECT_EQ(layer.PixelRow(2)[4], 0);
}

TEST(AdjustmentCommands, AutomaticColourOfOneGreyLevelChangesNothingButIsAStep) {
    auto doc = test::MakeDocument(7, 5);
    test::FillSolid(doc->Layer(0), MakeQuad(90, 90, 90), 255);
    doc->RecordStep("채우기", StepCode::Pixels);
    const Snapshot before = Take(*doc);
    ASSERT_TRUE(Registry().Execute(cmd::kAutoColour, *doc));
    EXPECT_EQ(Take(*doc), before);
    EXPECT_EQ(NewestStep(*doc), "자동 색상 조정");
    EXPECT_EQ(StretchLevels(*doc, 0, kLevelsAll, -1, -1), StretchResult::LimitsCoincide);
    EXPECT_EQ(AverageGrey(*doc, 0), 90);
    EXPECT_EQ(ComputeHistograms(*doc, 0).counts[kLuminanceTable][90], 35u);
}

TEST(AdjustmentCommands, InvertingTwiceRestoresTheLayerAndTheBackgroundColour) {
    auto doc = TwoLayers(9, 4);
    ASSERT_NE(doc->Composite(), nullptr);
    doc->Composite()->backColour = MakeQuad(10, 20, 30);
    const Snapshot before = Take(*doc);
    ASSERT_TRUE(Registry().Execute(cmd::kInvert, *doc));
    EXPECT_EQ(doc->Composite()->backColour, MakeQuad(245, 235, 225));
    ASSERT_TRUE(Registry().Execute(cmd::kInvert, *doc));
    EXPECT_EQ(Take(*doc), before);
    EXPECT_EQ(doc->Composite()->backColour, MakeQuad(10, 20, 30));
}

TEST(AdjustmentPreview, AFilterChosenByNamePreviewsAndRecordsItsName) {
    auto doc = TwoLayers(12, 9);
    const Snapshot before = Take(*doc);
    ASSERT_TRUE(Registry().Execute(cmd::kBlur, *doc, {{"size", "3"}}));
    const Snapshot direct = Take(*doc);
    ASSERT_TRUE(doc->History().Undo());
    ASSERT_EQ(Take(*doc), before);

    AdjustmentPreview preview(*doc, FilterPreviewable("흐리게"));
    ASSERT_TRUE(preview.Begin());
    ASSERT_TRUE(preview.Run({{"p1", "9"}}));
    ASSERT_TRUE(preview.Run({{"p1", "3"}}));
    EXPECT_EQ(Take(*doc), direct);
    preview.Cancel();
    EXPECT_EQ(Take(*doc), before);

    AdjustmentPreview again(*doc, FilterPreviewable("흐리게"));
    ASSERT_TRUE(again.Begin());
    ASSERT_TRUE(again.Run({{"p1", "3"}}));
    ASSERT_TRUE(again.Commit());
    EXPECT_EQ(NewestStep(*doc), "흐리게");
    EXPECT_EQ(Take(*doc), direct);
}
