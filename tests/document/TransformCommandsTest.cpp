// The geometric, channel, colour-range and gradient commands on real documents,
// with their steps, messages and undo.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/CommandIds.h"
#include "document/CVandDoc.h"
#include "document/ChannelCommands.h"
#include "document/AdjustmentPreview.h"
#include "document/ColourRangeSelection.h"
#include "document/CommandRegistry.h"
#include "document/DocumentPrint.h"
#include "document/DocumentTestSupport.h"
#include "document/DocumentTexts.h"
#include "document/GradientFill.h"
#include "document/LayerPlanes.h"
#include "document/TransformCommands.h"
#include "document/TransformTexts.h"
#include "document/UndoHistory.h"
#include "support/RecordingPlatform.h"
#include "support/TestFiles.h"

using namespace quillory;
using quillory::test::MakeDocument;

namespace {

// Settings and history files of this run go below a data directory of its own.
const std::string& kPrivateHome = test::UsePrivateHome();

bool Exec(CVandDoc& doc, int id, const CommandParameters& p = {}) { return CommandRegistry::Instance().Execute(id, doc, p); }

// The colour shown at document pixel (x, top-down row) by the current layer.
RGBQUAD Shown(const CVandDoc& doc, int x, int top) {
    RGBQUAD c{};
    EXPECT_TRUE(LayerColourAt(doc, x, top, c)) << x << "," << top;
    return c;
}

void Paint(CVandDoc& doc, int x, int top, RGBQUAD c) {
    LayerRecord& layer = doc.Layer(doc.CurrentLayer());
    const CanvasRect rect = LayerCanvasRect(layer, doc.Header());
    uint8_t* p = layer.PixelRow(layer.height - 1 - (top - rect.top)) + 3 * (x - rect.left);
    p[0] = c.blue, p[1] = c.green, p[2] = c.red;
}

// A picture whose pixels all differ: red = x, green = row.
std::unique_ptr<CVandDoc> Numbered(int w, int h) {
    auto doc = MakeDocument(w, h);
    for (int top = 0; top < h; ++top)
        for (int x = 0; x < w; ++x) Paint(*doc, x, top, MakeQuad(uint8_t(x), uint8_t(top), 7));
    doc->RecordStep("붓그리기", StepCode::Pixels);
    return doc;
}

std::string LastStep(const CVandDoc& doc) { return doc.RecordedSteps().empty() ? "" : doc.RecordedSteps().back().name; }

}  // namespace

TEST(TransformCommands, CanvasQuarterTurnTurnsThePictureAndUndoBringsItBack) {
    auto doc = Numbered(3, 2);
    ASSERT_TRUE(Exec(*doc, cmd::kCanvasRotateRight));
    EXPECT_EQ(doc->Header().width, 2);
    EXPECT_EQ(doc->Header().height, 3);
    EXPECT_EQ(LastStep(*doc), texts::kStepCanvasRotateRight);
    // Clockwise: the bottom-left pixel comes to the top left.
    EXPECT_EQ(Shown(*doc, 0, 0), MakeQuad(0, 1, 7));
    EXPECT_EQ(Shown(*doc, 1, 0), MakeQuad(0, 0, 7));
    EXPECT_EQ(Shown(*doc, 1, 2), MakeQuad(2, 0, 7));
    ASSERT_TRUE(doc->History().Undo());
    EXPECT_EQ(doc->Header().width, 3);
    EXPECT_EQ(Shown(*doc, 2, 1), MakeQuad(2, 1, 7));
    ASSERT_TRUE(doc->History().Redo());
    EXPECT_EQ(doc->Header().width, 2);
    EXPECT_EQ(Shown(*doc, 0, 0), MakeQuad(0, 1, 7));
}

TEST(TransformCommands, FourCanvasTurnsAndTwoFlipsGiveBackThePicture) {
    auto doc = Numbered(5, 3);
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(Exec(*doc, cmd::kCanvasRotateLeft));
    ASSERT_TRUE(Exec(*doc, cmd::kCanvasRotate180));
    ASSERT_TRUE(Exec(*doc, cmd::kCanvasFlipLeftRight));
    ASSERT_TRUE(Exec(*doc, cmd::kCanvasFlipTopBottom));
    EXPECT_EQ(doc->Header().width, 5);
    for (int top = 0; top < 3; ++top)
        for (int x = 0; x < 5; ++x) ASSERT_EQ(Shown(*doc, x, top), MakeQuad(uint8_t(x), uint8_t(top), 7));
    EXPECT_EQ(LastStep(*doc), texts::kStepCanvasFlipTopBottom);
}

TEST(TransformCommands, LayerTurnKeepsTheCanvasAndALayerNeverSmallerThanIt) {
    auto doc = Numbered(4, 2);
    ASSERT_TRUE(Exec(*doc, cmd::kLayerRotateRight));
    EXPECT_EQ(LastStep(*doc), texts::kStepLayerRotateRight);
    EXPECT_EQ(doc->Header().width, 4);
    const LayerRecord& layer = doc->Layer(doc->CurrentLayer());
    EXPECT_GE(layer.width, 4);
    EXPECT_GE(layer.height, 4);
    // The 2 × 4 result stands on the old centre: columns 1 and 2, rows −1 to 2.
    EXPECT_EQ(Shown(*doc, 1, -1), MakeQuad(0, 1, 7));
    EXPECT_EQ(Shown(*doc, 2, 2), MakeQuad(3, 0, 7));
    RGBQUAD c;
    ASSERT_TRUE(LayerColourAt(*doc, 0, 0, c));
    const CanvasRect rect = LayerCanvasRect(layer, doc->Header());
    EXPECT_EQ(layer.alpha[size_t(layer.height - 1 - (0 - rect.top)) * layer.width + (0 - rect.left)], 0);
}

TEST(TransformCommands, TextLayersRefuseRotationWithTheirMessages) {
    test::RecordingPlatform platform;
    auto doc = Numbered(4, 4);
    ASSERT_TRUE(doc->AddLayer());
    doc->Layer(doc->CurrentLayer()).kind = LayerKind::Text;
    const auto before = doc->RecordedSteps().size();
    EXPECT_FALSE(Exec(*doc, cmd::kLayerRotate180));
    EXPECT_FALSE(Exec(*doc, cmd::kCanvasRotateRight));
    ASSERT_EQ(platform.messages.size(), 2u);
    EXPECT_EQ(platform.messages[0], texts::kLayerIsTextLayer);
    EXPECT_EQ(platform.messages[1], texts::kCanvasHasTextLayer);
    EXPECT_EQ(doc->RecordedSteps().size(), before);
    EXPECT_EQ(doc->Header().width, 4);
}

TEST(TransformCommands, ImageSizeToTheSameSizeRecordsNothing) {
    auto doc = Numbered(6, 4);
    const auto before = doc->RecordedSteps().size();
    EXPECT_TRUE(Exec(*doc, cmd::kResizePicture, {{"width", "6"}, {"height", "4"}}));
    EXPECT_TRUE(Exec(*doc, cmd::kResizePicture, {{"width", "100"}, {"height", "100"}, {"unit", "percent"}}));
    EXPECT_EQ(doc->RecordedSteps().size(), before);
}

TEST(TransformCommands, ImageSizeInPercentAveragesAndUndoes) {
    auto doc = Numbered(6, 4);
    ASSERT_TRUE(Exec(*doc, cmd::kResizePicture, {{"width", "50"}, {"height", "50"}, {"unit", "percent"}}));
    EXPECT_EQ(doc->Header().width, 3);
    EXPECT_EQ(doc->Header().height, 2);
    EXPECT_EQ(LastStep(*doc), texts::kStepImageSize);
    const LayerRecord& layer = doc->Layer(doc->CurrentLayer());
    EXPECT_EQ(layer.width, 3);
    // Column 1 of the half picture averages columns 2 and 3: red (2 + 3 + 2 + 3) / 4 = 2.
    EXPECT_EQ(Shown(*doc, 1, 0), MakeQuad(2, 0, 7));
    ASSERT_TRUE(doc->History().Undo());
    EXPECT_EQ(doc->Header().width, 6);
    EXPECT_EQ(Shown(*doc, 5, 3), MakeQuad(5, 3, 7));
}

TEST(TransformCommands, CanvasSizeAnchorsTheOldPicture) {
    auto doc = Numbered(4, 4);
    ASSERT_TRUE(Exec(*doc, cmd::kCanvasSize, {{"width", "9"}, {"height", "7"}, {"anchor", "4"}}));
    EXPECT_EQ(doc->Header().width, 9);
    EXPECT_EQ(doc->Header().height, 7);
    EXPECT_EQ(LastStep(*doc), texts::kStepCanvasSize);
    // Five more columns: 2 on the left, 3 on the right; three more rows: 1 below, 2 above.
    EXPECT_EQ(Shown(*doc, 2, 2), MakeQuad(0, 0, 7));
    EXPECT_EQ(Shown(*doc, 5, 5), MakeQuad(3, 3, 7));
    const LayerRecord& layer = doc->Layer(doc->CurrentLayer());
    EXPECT_EQ(layer.width, 9);
    EXPECT_EQ(layer.alpha[size_t(6) * 9 + 0], 0);  // the top-left corner is new and empty
    ASSERT_TRUE(Exec(*doc, cmd::kCanvasSize, {{"width", "12"}, {"height", "7"}, {"anchor", "0"}}));
    EXPECT_EQ(Shown(*doc, 2, 2), MakeQuad(0, 0, 7));
    EXPECT_FALSE(Exec(*doc, cmd::kCanvasSize, {{"width", "12"}, {"height", "7"}, {"anchor", "9"}}));
}

TEST(TransformCommands, FreeTransformNeedsASoundQuadrilateral) {
    test::RecordingPlatform platform;
    auto doc = Numbered(6, 4);
    const std::vector<uint8_t> pixels = doc->Layer(doc->CurrentLayer()).pixels;
    EXPECT_FALSE(Exec(*doc, cmd::kToolSkew, {{"y0", "0"}, {"y1", "0"}, {"y2", "-1"}, {"y3", "-1"}}));
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0], texts::kFreeTransformDegenerate);
    EXPECT_EQ(doc->Layer(doc->CurrentLayer()).pixels, pixels);

    ASSERT_TRUE(Exec(*doc, cmd::kToolScale));
    EXPECT_EQ(LastStep(*doc), texts::kStepFreeTransform);
    EXPECT_EQ(doc->Layer(doc->CurrentLayer()).pixels, pixels);
    ASSERT_TRUE(Exec(*doc, cmd::kToolPerspective, {{"x0", "1"}, {"x1", "4"}}));
    EXPECT_EQ(LastStep(*doc), texts::kStepFreeTransformPerspective);
}

// The rotation and stretch panels preview through AdjustmentPreview: every preview
// starts from the layer as the panel found it, Cancel gives back the whole document
// byte for byte, OK records one step.
TEST(TransformCommands, RotationAndStretchPreviewsCancelToTheSameDocumentAndCommitOneStep) {
    test::RecordingPlatform platform;
    auto doc = Numbered(6, 4);
    ASSERT_TRUE(doc->AddLayer());
    test::FillRandom(doc->Layer(doc->CurrentLayer()), 9);
    doc->RecordStep("채우기", StepCode::Pixels);
    const test::DocumentPrint found = test::PrintOf(*doc);
    const int steps = doc->History().StepPosition();
    {
        AdjustmentPreview rotation(*doc, cmd::kToolFreeRotate);
        ASSERT_TRUE(rotation.Begin());
        ASSERT_TRUE(rotation.Run({{"angle", "30"}}));
        EXPECT_GT(doc->Layer(doc->CurrentLayer()).height, 4);
        ASSERT_TRUE(rotation.Run({{"angle", "0"}}));
        EXPECT_EQ(doc->Layer(doc->CurrentLayer()).pixels, found.pixels[size_t(doc->CurrentLayer())])
            << "previews never add up";
        ASSERT_TRUE(rotation.Run({{"angle", "-45.5"}}));
        rotation.Cancel();
    }
    EXPECT_EQ(test::Differences(found, test::PrintOf(*doc)), "");
    {
        AdjustmentPreview stretch(*doc, cmd::kStretchSquash);
        ASSERT_TRUE(stretch.Begin());
        ASSERT_TRUE(stretch.Run({{"width", "12"}, {"height", "4"}}));
        EXPECT_EQ(doc->Layer(doc->CurrentLayer()).width, 12);
        EXPECT_FALSE(stretch.Run({{"width", "0"}, {"height", "4"}}));
        EXPECT_EQ(test::Differences(found, test::PrintOf(*doc)), "") << "a refused size shows the found layer";
        ASSERT_TRUE(stretch.Run({{"width", "3"}, {"height", "9"}}));
    }  // leaving the scope cancels
    EXPECT_EQ(test::Differences(found, test::PrintOf(*doc)), "");
    EXPECT_EQ(doc->History().StepPosition(), steps);

    AdjustmentPreview stretch(*doc, cmd::kStretchSquash);
    ASSERT_TRUE(stretch.Begin());
    ASSERT_TRUE(stretch.Run({{"width", "14"}, {"height", "2"}}));
    ASSERT_TRUE(stretch.Run({{"width", "3"}, {"height", "8"}}));
    const test::DocumentPrint stretched = test::PrintOf(*doc);
    ASSERT_TRUE(stretch.Commit());
    EXPECT_EQ(doc->History().StepPosition(), steps + 1);
    EXPECT_EQ(LastStep(*doc), texts::kStepStretch);
    EXPECT_EQ(test::Differences(stretched, test::PrintOf(*doc)), "");
    EXPECT_EQ(doc->Layer(doc->CurrentLayer()).height, 8);
    ASSERT_TRUE(doc->History().Undo());
    EXPECT_EQ(test::Differences(found, test::PrintOf(*doc)), "");

    // Script lines do the same in one go; a text layer is refused with the transforms' message.
    ASSERT_TRUE(Exec(*doc, cmd::kStretchSquash, {{"width", "3"}, {"height", "4"}}));
    EXPECT_EQ(LastStep(*doc), texts::kStepStretch);
    ASSERT_TRUE(Exec(*doc, cmd::kToolFreeRotate, {{"angle", "12.5"}}));
    EXPECT_EQ(LastStep(*doc), texts::kStepFreeRotate);
    EXPECT_TRUE(platform.messages.empty());
    doc->Layer(doc->CurrentLayer()).kind = LayerKind::Text;
    EXPECT_FALSE(AdjustmentPreview(*doc, cmd::kToolFreeRotate).Begin());
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0], texts::kLayerIsTextLayer);
}

TEST(TransformCommands, EllipseFillsItsBoxAndLeavesTheCornersEmpty) {
    auto doc = Numbered(8, 8);
    ASSERT_TRUE(Exec(*doc, cmd::kEllipseTransform, {{"left", "0"}, {"top", "0"}, {"right", "7"}, {"bottom", "7"}}));
    EXPECT_EQ(LastStep(*doc), texts::kStepEllipse);
    const LayerRecord& layer = doc->Layer(doc->CurrentLayer());
    EXPECT_EQ(layer.alpha[size_t(7) * 8 + 0], 0);
    EXPECT_EQ(layer.alpha[size_t(4) * 8 + 4], 255);
}

TEST(ChannelCommands, GreySplitsIntoNeutralChannelsWithRunningTitles) {
    auto doc = MakeDocument(5, 3);
    for (int top = 0; top < 3; ++top)
        for (int x = 0; x < 5; ++x) Paint(*doc, x, top, MakeQuad(90, 90, 90));
    doc->SetFileName("grey.bmp");
    ChannelTitleCounter titles(4);
    CVandDoc yuvDocs[3], hslDocs[3];
    CVandDoc* yuv[3] = {&yuvDocs[0], &yuvDocs[1], &yuvDocs[2]};
    CVandDoc* hsl[3] = {&hslDocs[0], &hslDocs[1], &hslDocs[2]};
    ASSERT_TRUE(SplitIntoDocuments(*doc, ChannelModel::Yuv, titles, yuv));
    EXPECT_EQ(titles.Next(), 7);
    ASSERT_TRUE(SplitIntoDocuments(*doc, ChannelModel::Hsl, titles, hsl));
    EXPECT_EQ(titles.Next(), 10);
    EXPECT_EQ(yuv[0]->FileName(), "Y Channel 4 from grey.bmp");
    EXPECT_EQ(yuv[2]->FileName(), "V Channel 6 from grey.bmp");
    EXPECT_EQ(hsl[1]->FileName(), "Saturation Channel 8 from grey.bmp");
    for (auto* d : {yuv[1], yuv[2]}) EXPECT_EQ(Shown(*d, 2, 1), MakeQuad(128, 128, 128));
    EXPECT_EQ(Shown(*hsl[0], 0, 0), MakeQuad(170, 170, 170));
    EXPECT_EQ(Shown(*hsl[1], 0, 0), MakeQuad(0, 0, 0));
    EXPECT_EQ(hsl[0]->Header().width, 5);
}

TEST(ChannelCommands, SplitCommandWritesThePicturesAndChangesNothing) {
    auto doc = Numbered(4, 3);
    doc->SetFileName("n.bmp");
    const auto steps = doc->RecordedSteps().size();
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / ("qsplit-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    ASSERT_TRUE(Exec(*doc, cmd::kHslSplit, {{"folder", folder.string()}, {"number", "1"}}));
    EXPECT_TRUE(std::filesystem::exists(folder / "Hue Channel 1 from n.bmp.bmp"));
    EXPECT_TRUE(std::filesystem::exists(folder / "Lightness Channel 3 from n.bmp.bmp"));
    ASSERT_TRUE(Exec(*doc, cmd::kRgbChannels, {{"folder", folder.string()}}));
    EXPECT_TRUE(std::filesystem::exists(folder / "channel-3.bmp"));
    EXPECT_FALSE(Exec(*doc, cmd::kYuvSplit));
    EXPECT_EQ(doc->RecordedSteps().size(), steps);
    std::filesystem::remove_all(folder);
}

TEST(ColourRange, CountsAgainstTheLayerSizeAndAddsOrReplaces) {
    auto doc = Numbered(4, 2);
    // The turned layer is 4 × 4 on a 4 × 2 canvas; its percentages count all 16 pixels.
    ASSERT_TRUE(Exec(*doc, cmd::kLayerRotateRight));
    SimilarResult result;
    ASSERT_TRUE(SelectSimilar(*doc, MakeQuad(0, 0, 7), 0, false, &result));
    EXPECT_EQ(result.count, 1);
    EXPECT_DOUBLE_EQ(result.percent, 100.0 / 16);
    EXPECT_EQ(PixelCountText(result), "픽셀수 1   (6.25)%           ");
    EXPECT_TRUE(doc->State().selection.selectionActive);
    ASSERT_TRUE(SelectSimilar(*doc, MakeQuad(1, 0, 7), 0, true, &result));
    int selected = 0;
    for (uint8_t m : doc->State().selection.mask) selected += m;
    EXPECT_EQ(selected, 2);
    ASSERT_TRUE(Exec(*doc, cmd::kColourRangeSelect, {{"colour", "000007"}, {"tolerance", "0"}}));
    selected = 0;
    for (uint8_t m : doc->State().selection.mask) selected += m;
    EXPECT_EQ(selected, 1);
    EXPECT_FALSE(Exec(*doc, cmd::kColourRangeSelect, {{"colour", "070003"}, {"tolerance", "256"}}));
}

TEST(GradientFill, ClickWithoutDragPaintsNothingAndADragRecordsTheStep) {
    test::RecordingPlatform platform;
    auto doc = MakeDocument(10, 4);
    const auto steps = doc->RecordedSteps().size();
    EXPECT_FALSE(Exec(*doc, cmd::kToolGradient, {{"x0", "3"}, {"y0", "1"}, {"x1", "3"}, {"y1", "1"}}));
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0], texts::kGradientNeedsDrag);
    EXPECT_EQ(doc->RecordedSteps().size(), steps);
    ASSERT_TRUE(Exec(*doc, cmd::kToolGradient,
                    {{"x0", "0"}, {"y0", "0"}, {"x1", "9"}, {"y1", "0"}, {"foreground", "ff0000"}}));
    EXPECT_EQ(LastStep(*doc), texts::kStepGradient);
    EXPECT_EQ(Shown(*doc, 0, 3), MakeQuad(255, 0, 0));      // the start: foreground
    EXPECT_EQ(Shown(*doc, 9, 0), MakeQuad(255, 255, 255));  // the end: background
    EXPECT_EQ(Shown(*doc, 4, 2).red, 255);
    EXPECT_LT(Shown(*doc, 4, 2).green, 200);
}
