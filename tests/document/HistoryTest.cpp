// The undo history, its files and the snapshot slots, on real documents and real files.
// Undo and redo are checked against the whole document (DocumentPrint).
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/FormatCodes.h"
#include "core/ImageFields.h"
#include "document/CVandDoc.h"
#include "document/CommandRegistry.h"
#include "document/DocumentPrint.h"
#include "document/DocumentTestSupport.h"
#include "document/DocumentTexts.h"
#include "document/HistoryTexts.h"
#include "document/ShadowEffect.h"
#include "document/SnapshotSlots.h"
#include "document/StepFileStore.h"
#include "document/TempFolder.h"
#include "document/UndoHistory.h"
#include "processing/ColourDepth.h"
#include "support/RecordingPlatform.h"
#include "support/TestFiles.h"

using namespace quillory;
namespace fs = std::filesystem;
using test::DocumentPrint;
using test::PrintOf;

namespace {

// Settings and history files of this run go below a data directory of its own.
const std::string& kPrivateHome = test::UsePrivateHome();

#define EXPECT_SAME_DOCUMENT(expected, actual) EXPECT_EQ(test::Differences(expected, actual), "")
#define ASSERT_SAME_DOCUMENT(expected, actual) ASSERT_EQ(test::Differences(expected, actual), "")

// A brush stroke: a few pixels of the current layer change, then the step is recorded.
void Stroke(CVandDoc& doc, int seed, const std::string& name = "붓그리기") {
    LayerRecord& layer = doc.Layer(doc.CurrentLayer());
    for (int k = 0; k < 5; ++k) {
        const int x = (seed * 7 + k * 3) % layer.width, y = (seed * 5 + k) % layer.height;
        uint8_t* px = layer.PixelRow(y) + 3 * x;
        px[0] = uint8_t(seed * 31 + k), px[1] = uint8_t(seed * 17), px[2] = uint8_t(k * 40);
        layer.AlphaRow(y)[x] = uint8_t(100 + seed);
        layer.changed = 1;
    }
    doc.RecordStep(name, StepCode::Pixels);
}

int CountFiles(const std::string& folder, const std::string& prefix = "") {
    int n = 0;
    for (const auto& entry : fs::directory_iterator(folder))
        n += entry.is_regular_file() && entry.path().filename().string().rfind(prefix, 0) == 0;
    return n;
}

// Flips every byte of every pack file (the stored block data) at one offset.
void DamagePacks(const std::string& folder, size_t at = 1) {
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename().string().rfind("UP_", 0) != 0) continue;
        std::vector<uint8_t> bytes = test::ReadFileBytes(entry.path().string());
        if (bytes.size() > at) bytes[at] ^= 0x5A;
        test::WriteFileBytes(entry.path().string(), bytes);
    }
}

LayerPlanesRequest Request(const CVandDoc& doc, int slot, int width, int height, uint8_t kind) {
    LayerPlanesRequest request = LayerPlanesRequest::LikeDocument(doc.Header(), slot);
    request.layerWidth = width;
    request.layerHeight = height;
    request.documentWidth = width;
    request.documentHeight = height;
    request.kind = kind;
    request.changed = 1;
    return request;
}

// Turns the current layer into a text layer with its text and coverage.
void MakeText(CVandDoc& doc, const std::u16string& text, uint8_t coverage) {
    const int slot = doc.CurrentLayer();
    ASSERT_TRUE(doc.Stack().CreateLayerPlanes(Request(doc, slot, doc.Header().width, doc.Header().height,
                                                      LayerKind::Text)));
    LayerRecord& layer = doc.Layer(slot);
    layer.text = text;
    layer.textLength = int32_t(text.size());
    layer.textColour = 0x00FF00;
    layer.textSize = 30;
    std::fill(layer.alpha.begin(), layer.alpha.begin() + layer.width, coverage);
}

// Every layer at a new size, as the picture-size command leaves them.
void ResizeAll(CVandDoc& doc, int width, int height) {
    for (int slot = 0; slot < kMaxLayers; ++slot) {
        if (!doc.Layer(slot).inUse) continue;
        LayerRecord keep = doc.Layer(slot);
        LayerPlanesRequest request = Request(doc, slot, width, height, keep.kind);
        request.resetSelection = true;
        ASSERT_TRUE(doc.Stack().CreateLayerPlanes(request));
        LayerRecord& layer = doc.Layer(slot);
        std::copy(std::begin(keep.name), std::end(keep.name), layer.name);
        layer.blendMode = keep.blendMode;
        layer.transparency = keep.transparency;
        for (size_t i = 0; i < layer.alpha.size(); ++i) layer.alpha[i] = uint8_t(keep.alpha[i % keep.alpha.size()]);
    }
}

// Every layer upside down, as the flip command leaves them.
void FlipAll(CVandDoc& doc) {
    for (int slot = 0; slot < kMaxLayers; ++slot) {
        LayerRecord& layer = doc.Layer(slot);
        if (!layer.inUse) continue;
        for (int y = 0; y < layer.height / 2; ++y) {
            std::swap_ranges(layer.PixelRow(y), layer.PixelRow(y) + layer.stride, layer.PixelRow(layer.height - 1 - y));
            std::swap_ranges(layer.AlphaRow(y), layer.AlphaRow(y) + layer.width, layer.AlphaRow(layer.height - 1 - y));
        }
    }
}

// Records what the document is right before and right after each change.
struct Walk {
    CVandDoc& doc;
    std::vector<DocumentPrint> before, after;
    std::vector<std::string> names;
    template <typename Change>
    void Step(const std::string& name, Change&& change) {
        before.push_back(PrintOf(doc));
        const int position = doc.History().StepPosition();
        ASSERT_TRUE(change()) << name;
        ASSERT_EQ(doc.History().StepPosition(), position + 1) << name << " recorded no step";
        after.push_back(PrintOf(doc));
        names.push_back(name);
    }
    // Undoes every step, each giving the document as it was right before it; then
    // redoes them, each giving it as it was right before the next step (settings
    // changed in between included) or as the last step left it.
    void UndoAndRedoAll() {
        for (int k = int(names.size()) - 1; k >= 0; --k) {
            ASSERT_TRUE(doc.History().Undo()) << names[size_t(k)];
            ASSERT_SAME_DOCUMENT(before[size_t(k)], PrintOf(doc)) << "undo of " << names[size_t(k)];
        }
        for (size_t k = 0; k < names.size(); ++k) {
            ASSERT_TRUE(doc.History().Redo()) << names[k];
            const DocumentPrint& expected = k + 1 < names.size() ? before[k + 1] : after[k];
            ASSERT_SAME_DOCUMENT(expected, PrintOf(doc)) << "redo of " << names[k];
        }
    }
};

}  // namespace

TEST(History, OpeningStartsAtStepZeroAndWritesNothing) {
    CVandDoc empty;
    EXPECT_EQ(empty.History().HistoryRows(), std::vector<std::string>{"   0  (처음상태)"});
    EXPECT_FALSE(empty.History().CanUndo());
    EXPECT_FALSE(empty.History().CanRedo());

    auto doc = test::MakeDocument(13, 7);
    ASSERT_TRUE(doc);
    UndoHistory& history = doc->History();
    EXPECT_EQ(history.StepPosition(), 0);
    EXPECT_EQ(history.RedoLimit(), 0);
    // "%3d %4s %13s": the name is padded to 13 columns, Hangul counting two.
    EXPECT_EQ(history.HistoryRows(), std::vector<std::string>{"  0" + std::string(9, ' ') + "(처음영상)"});
    EXPECT_FALSE(history.CanUndo());
    EXPECT_FALSE(doc->IsModified());
    TempFolder* folder = TempFolder::ForProcess();
    ASSERT_TRUE(folder);
    EXPECT_EQ(history.Store()->Folder(), folder->Path());
    // The opened state lives in the committed copy until the first change needs its file.
    EXPECT_EQ(history.Store()->DiskBytes(), 0u);
    EXPECT_FALSE(history.Store()->HasStep(0, 0));
    Stroke(*doc, 1);
    EXPECT_TRUE(history.Store()->HasStep(0, 0));
    EXPECT_FALSE(history.Store()->HasStep(1, 0));
}

TEST(History, RowsShowColourCountsAndNewestFirst) {
    EXPECT_EQ(UndoHistory::FormatRow(3, 256, "붓그리기"), "  3 256 칼라" + std::string(6, ' ') + "붓그리기");
    EXPECT_EQ(UndoHistory::FormatRow(12, 0, "abc"), " 12" + std::string(16, ' ') + "abc");
    EXPECT_EQ(UndoHistory::FormatRow(7, 0, "a name longer than 13"), "  7      a name longer than 13");

    auto doc = test::MakeDocument(5, 4);
    Stroke(*doc, 1, "물방울");
    doc->AddLayer();
    const std::vector<std::string> rows = doc->History().HistoryRows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], UndoHistory::FormatRow(2, 0, "레이어추가"));
    EXPECT_EQ(rows[1], UndoHistory::FormatRow(1, 0, "물방울"));
    EXPECT_EQ(rows[2], UndoHistory::FormatRow(0, 0, "Opening...."));
    EXPECT_TRUE(doc->IsModified());
}

// The case a new user met: the upper layer's blend mode, transparency and name,
// set without steps of their own, come back with the undone flatten.
TEST(History, UndoOfAFlattenGivesBackTheLayersAsTheyWere) {
    test::RecordingPlatform platform;
    test::TempDir dir;
    NyZazo picture;
    ASSERT_TRUE(picture.Create(23, 17, 24, kFormatBmp));
    for (int y = 0; y < 17; ++y)
        for (int x = 0; x < 23; ++x) picture.SetPixelColour(x, y, MakeQuad(uint8_t(x * 11), uint8_t(y * 13), 90));
    const std::string path = dir.File("picture.bmp");
    ASSERT_TRUE(picture.Save(path, kFormatBmp));
    CVandDoc doc;
    ASSERT_TRUE(doc.OpenDocument(path));
    const DocumentPrint opened = PrintOf(doc);
    fs::remove(path);  // the opened state must not depend on the file

    CommandRegistry& registry = CommandRegistry::Instance();
    ASSERT_TRUE(registry.Execute(cmd::kLayerDuplicate, doc));
    const int upper = doc.CurrentLayer();
    ASSERT_NE(upper, doc.HeadLayer());
    ASSERT_TRUE(registry.Execute(cmd::kLayerBlendMode, doc, {{"mode", "차이혼합"}}));
    ASSERT_TRUE(registry.Execute(cmd::kLayerTransparency, doc, {{"value", "30"}}));
    ASSERT_TRUE(registry.Execute(cmd::kLayerRename, doc, {{"name", "윗층"}}));
    const DocumentPrint beforeFlatten = PrintOf(doc);
    ASSERT_TRUE(registry.Execute(cmd::kLayerFlatten, doc));
    const DocumentPrint flattened = PrintOf(doc);
    ASSERT_EQ(doc.CountLayers(), 1);

    ASSERT_TRUE(registry.Execute(cmd::kEditUndo, doc));
    EXPECT_SAME_DOCUMENT(beforeFlatten, PrintOf(doc));
    EXPECT_EQ(doc.Layer(upper).blendMode, BlendMode::Difference);
    EXPECT_EQ(doc.Layer(upper).transparency, 30);
    EXPECT_EQ(doc.LayerName(upper), "윗층");
    ASSERT_TRUE(registry.Execute(cmd::kEditRedo, doc));
    EXPECT_SAME_DOCUMENT(flattened, PrintOf(doc));
    ASSERT_TRUE(registry.Execute(cmd::kEditUndo, doc));
    ASSERT_TRUE(registry.Execute(cmd::kEditUndo, doc));
    EXPECT_SAME_DOCUMENT(opened, PrintOf(doc));
    EXPECT_TRUE(platform.messages.empty()) << platform.messages.front();
}

TEST(History, EveryKindOfStepIsUndoneAndRedoneToTheWholeDocument) {
    test::RecordingPlatform platform;
    auto doc = test::MakeDocument(11, 6);
    test::FillRandom(doc->Layer(0), 7);
    doc->RecordStep("채우기", StepCode::Pixels);
    CommandRegistry& registry = CommandRegistry::Instance();
    Walk walk{*doc, {}, {}, {}};
    auto run = [&](int command, CommandParameters parameters = {}) {
        return [&, command, parameters] { return registry.Execute(command, *doc, parameters); };
    };
    walk.Step("add", run(cmd::kLayerAdd));                                        // 2
    walk.Step("stroke", [&] { Stroke(*doc, 3); return true; });                   // 0
    doc->SetLayerBlendMode(doc->CurrentLayer(), BlendMode::Multiply);
    walk.Step("paste", run(cmd::kLayerDuplicate));                                // 3
    doc->SetLayerVisible(doc->CurrentLayer(), false);
    walk.Step("text added", [&] {                                                 // 5
        if (doc->InsertLayer(doc->CurrentLayer()) < 0) return false;
        MakeText(*doc, u"첫 글자", 200);
        doc->RecordStep("글자입력", StepCode::TextLayerAdded);
        return true;
    });
    walk.Step("text edited", [&] {                                               // 4
        LayerRecord& layer = doc->Layer(doc->CurrentLayer());
        layer.text = u"고친 글자입니다";
        layer.textLength = int32_t(layer.text.size());
        std::fill(layer.alpha.begin(), layer.alpha.end(), 90);
        doc->RecordStep("글자수정", StepCode::TextEdited);
        return true;
    });
    doc->SelectLayer(doc->HeadLayer());
    walk.Step("reorder", [&] { return doc->ReorderLayers(doc->HeadLayer(), doc->TopLayer()); });  // 6
    doc->SetLayerTransparency(doc->HeadLayer(), 77);
    walk.Step("effect", run(cmd::kLayerEffect, {{"size", "2"}, {"colour", "102030"}}));  // 0
    walk.Step("delete", run(cmd::kLayerDelete));                                  // 1
    doc->SelectLayer(doc->Layer(doc->HeadLayer()).next);
    walk.Step("merge", run(cmd::kLayerMergeDown));                                // 9
    for (int i = doc->HeadLayer(); i >= 0; i = doc->Layer(i).next)
        if (doc->Layer(i).kind == LayerKind::Text) doc->SelectLayer(i);
    walk.Step("to raster", run(cmd::kLayerToRaster));                             // 0
    walk.Step("resize", [&] {                                                     // 7
        ResizeAll(*doc, 9, 8);
        doc->History().SetExtraValues(9, 8, 0);
        doc->RecordStep("이미지크기", StepCode::Resized);
        return true;
    });
    walk.Step("flip", [&] {                                                       // 10
        FlipAll(*doc);
        doc->History().SetExtraValues(0, 0, 5);
        doc->RecordStep("수직제비회전", StepCode::Flipped);
        return true;
    });
    walk.Step("other kind", [&] {                                                 // a code without a row
        test::FillRandom(doc->Layer(doc->HeadLayer()), 31);
        test::FillRandom(doc->Layer(doc->TopLayer()), 32);
        doc->RecordStep("여러 레이어", 42);
        return true;
    });
    walk.Step("8-bit colour", run(cmd::kEightBitColour));                         // 7
    ASSERT_EQ(doc->Header().bitsPerPixel, 8);
    walk.Step("rgb colour", run(cmd::kRgbColour));                                // 7
    walk.Step("flatten", run(cmd::kLayerFlatten));                                // 8

    UndoHistory& h = doc->History();
    ASSERT_EQ(h.StepPosition(), int(walk.names.size()) + 1);
    EXPECT_EQ(h.Entry(12).frameValues[0], 9);
    EXPECT_EQ(h.Entry(13).documentValue, 5);
    walk.UndoAndRedoAll();
    if (HasFatalFailure()) return;
    // Jumps of several steps each way.
    for (int k : {12, 5, 9, 0, 15, 3}) {
        while (h.StepPosition() > k + 1) ASSERT_TRUE(h.Undo());
        while (h.StepPosition() < k + 1) ASSERT_TRUE(h.Redo());
        ASSERT_SAME_DOCUMENT(walk.before[size_t(k)], PrintOf(*doc)) << "back to before " << walk.names[size_t(k)];
    }
    EXPECT_TRUE(platform.messages.empty()) << platform.messages.front();
}

// Looks set through the layer commands between structural steps: each undo gives
// back the document as it was right before its step, each redo as it was right
// before the next one (or right after the last), the selection included.
TEST(History, LookChangesBetweenStructuralStepsAreUndoneAndRedoneExactly) {
    test::RecordingPlatform platform;
    auto doc = test::MakeDocument(12, 9);
    test::FillRandom(doc->Layer(0), 11);
    doc->RecordStep("채우기", StepCode::Pixels);
    CommandRegistry& registry = CommandRegistry::Instance();
    auto look = [&](int command, CommandParameters parameters) {
        ASSERT_TRUE(registry.Execute(command, *doc, parameters)) << command;
    };
    auto run = [&](int command) { return [&, command] { return registry.Execute(command, *doc); }; };
    auto slot = [](int layer) { return std::to_string(layer); };
    auto select = [&](int x, int y, int width, int height) {
        SelectionMask& selection = doc->State().selection;
        std::fill(selection.mask.begin(), selection.mask.end(), 0);
        const LayerRecord& layer = doc->Layer(doc->CurrentLayer());
        for (int row = y; row < y + height; ++row)
            std::fill_n(selection.mask.begin() + row * layer.width + x, width, 1);
        selection.selectionActive = 1;
    };
    Walk walk{*doc, {}, {}, {}};
    const int bottom = doc->HeadLayer();

    // A hidden bottom layer under a flatten.
    walk.Step("add", run(cmd::kLayerAdd));
    walk.Step("fill", [&] {
        test::FillRandom(doc->Layer(doc->CurrentLayer()), 12);
        doc->RecordStep("채우기", StepCode::Pixels);
        return true;
    });
    look(cmd::kLayerVisibility, {{"layer", slot(bottom)}, {"visible", "0"}});
    walk.Step("flatten hidden bottom", run(cmd::kLayerFlatten));
    // A blend mode set on another layer before a duplicate.
    walk.Step("add again", run(cmd::kLayerAdd));
    const int upper = doc->CurrentLayer();
    look(cmd::kLayerBlendMode, {{"layer", slot(bottom)}, {"mode", texts::kBlendScreen}});
    look(cmd::kLayerTransparency, {{"layer", slot(bottom)}, {"value", "40"}});
    walk.Step("duplicate", run(cmd::kLayerDuplicate));
    const int copy = doc->CurrentLayer();
    look(cmd::kLayerVisibility, {{"layer", slot(upper)}, {"visible", "0"}});
    walk.Step("reorder", [&] {
        return registry.Execute(cmd::kLayerReorder, *doc, {{"layer", slot(copy)}, {"with", slot(bottom)}});
    });
    look(cmd::kLayerBlendMode, {{"layer", slot(copy)}, {"mode", texts::kBlendMultiply}});
    walk.Step("delete", run(cmd::kLayerDelete));
    look(cmd::kLayerTransparency, {{"value", "200"}});
    doc->SelectLayer(doc->HeadLayer());
    look(cmd::kLayerBlendMode, {{"layer", slot(doc->TopLayer())}, {"mode", texts::kBlendDifference}});
    walk.Step("merge down", run(cmd::kLayerMergeDown));
    // A selection belongs to the step that was recorded while it was shown; flattening ends it.
    walk.Step("add a third", run(cmd::kLayerAdd));
    walk.Step("stroke in a selection", [&] {
        select(2, 1, 5, 4);
        Stroke(*doc, 4);
        return true;
    });
    walk.Step("flatten with a selection", run(cmd::kLayerFlatten));
    EXPECT_EQ(doc->State().selection.selectionActive, 0);
    walk.Step("add a fourth", run(cmd::kLayerAdd));
    walk.Step("stroke in another selection", [&] {
        select(1, 3, 4, 2);
        Stroke(*doc, 5);
        return true;
    });
    walk.Step("delete with a selection", run(cmd::kLayerDelete));

    walk.UndoAndRedoAll();
    EXPECT_TRUE(platform.messages.empty()) << platform.messages.front();
}

TEST(History, TwentyFiveStrokesKeepStepsZeroAndOneAndRollOffTheRest) {
    auto doc = test::MakeDocument(13, 7);
    std::vector<DocumentPrint> after(26);
    after[0] = PrintOf(*doc);
    for (int s = 1; s <= 25; ++s) {
        if (s == 12) doc->AddLayer();  // a second layer recorded in between
        Stroke(*doc, s, "stroke " + std::to_string(s));
        after[size_t(s)] = PrintOf(*doc);
    }
    UndoHistory& h = doc->History();
    EXPECT_EQ(h.StepPosition(), 19);
    EXPECT_EQ(h.Entry(0).name, "Opening....");
    EXPECT_EQ(h.Entry(1).name, "stroke 1");
    // Seven roll-offs (strokes 20 to 25 and the added layer) took strokes 2 to 8.
    EXPECT_EQ(h.Entry(2).name, "stroke 9");
    EXPECT_EQ(h.Entry(19).name, "stroke 25");
    // Steps 0..19 of two layers and the selection, with their block data: the folder stays bounded.
    EXPECT_LE(CountFiles(h.Store()->Folder(), "UD_" + std::to_string(h.Store()->DocumentNumber()) + "_"), 2 * 20 + 1);

    // Each undo gives the document as the step now current left it.
    while (h.StepPosition() > 0) {
        const int k = h.StepPosition() - 1;
        ASSERT_TRUE(h.Undo());
        if (h.Entry(k).name.rfind("stroke ", 0) == 0) {
            ASSERT_SAME_DOCUMENT(after[size_t(std::stoi(h.Entry(k).name.substr(7)))], PrintOf(*doc)) << "step " << k;
        }
    }
    ASSERT_SAME_DOCUMENT(after[0], PrintOf(*doc));
    EXPECT_FALSE(h.CanUndo());
    EXPECT_FALSE(h.Undo());
    while (h.CanRedo()) ASSERT_TRUE(h.Redo());
    EXPECT_SAME_DOCUMENT(after[25], PrintOf(*doc));
    EXPECT_FALSE(h.Redo());
}

TEST(History, UndoOfADeletionBringsTheLayerBackIntoItsSlotBetweenItsNeighbours) {
    auto doc = test::MakeDocument(9, 5);
    doc->AddLayer();
    doc->AddLayer();
    ASSERT_EQ(doc->CurrentLayer(), 2);
    doc->SelectLayer(1);
    test::FillRandom(doc->Layer(1), 5);
    doc->RecordStep("붓그리기", StepCode::Pixels);
    const DocumentPrint before = PrintOf(*doc);
    ASSERT_TRUE(doc->DeleteCurrentLayer());
    const DocumentPrint deleted = PrintOf(*doc);
    EXPECT_FALSE(doc->IsLayerInList(1));
    EXPECT_TRUE(doc->Layer(1).pixels.empty());  // its content belongs to the history now
    ASSERT_TRUE(doc->History().Undo());
    EXPECT_SAME_DOCUMENT(before, PrintOf(*doc));
    EXPECT_EQ(doc->Layer(1).prev, 0);
    EXPECT_EQ(doc->Layer(1).next, 2);
    EXPECT_EQ(doc->CurrentLayer(), 1);
    ASSERT_TRUE(doc->History().Redo());
    EXPECT_SAME_DOCUMENT(deleted, PrintOf(*doc));
}

TEST(History, UndoOfAnAddedLayerFreesItsSlotForTheNextLayer) {
    auto doc = test::MakeDocument(4, 4);
    const DocumentPrint one = PrintOf(*doc);
    for (int round = 0; round < 45; ++round) {
        ASSERT_TRUE(doc->AddLayer()) << round;
        ASSERT_TRUE(doc->History().Undo());
    }
    EXPECT_SAME_DOCUMENT(one, PrintOf(*doc));
}

TEST(History, UndoRestoresALayerFromTheNewestEarlierStepThatRecordedIt) {
    auto doc = test::MakeDocument(8, 6);
    for (int i = 0; i < 3; ++i) doc->AddLayer();
    ASSERT_EQ(doc->CurrentLayer(), 3);
    Stroke(*doc, 4);
    doc->SelectLayer(1);
    Stroke(*doc, 5);
    doc->SelectLayer(2);
    Stroke(*doc, 6);
    doc->SelectLayer(3);
    const DocumentPrint beforeLast = PrintOf(*doc);
    Stroke(*doc, 8);
    ASSERT_TRUE(doc->History().Undo());
    EXPECT_SAME_DOCUMENT(beforeLast, PrintOf(*doc));
    // The layer chosen before the stroke stays current.
    EXPECT_EQ(doc->CurrentLayer(), 3);
}

TEST(History, RollOffKeepsALayerOnlyTheDroppedStepRecorded) {
    auto doc = test::MakeDocument(7, 5);
    doc->AddLayer();  // step 1
    doc->SelectLayer(0);
    Stroke(*doc, 2);  // step 2: the only recording of this stroke on layer 0
    doc->SelectLayer(1);
    for (int s = 3; s <= 19; ++s) Stroke(*doc, s);
    doc->SelectLayer(0);
    const DocumentPrint beforeDelete = PrintOf(*doc);
    ASSERT_TRUE(doc->DeleteCurrentLayer());  // step 20 rolls step 2 off
    EXPECT_EQ(doc->History().StepPosition(), 19);
    ASSERT_TRUE(doc->History().Undo());
    EXPECT_SAME_DOCUMENT(beforeDelete, PrintOf(*doc));
}

TEST(History, RecordingAfterUndoDiscardsTheRedoBranchAndItsFiles) {
    auto doc = test::MakeDocument(6, 6);
    for (int s = 1; s <= 4; ++s) Stroke(*doc, s);
    UndoHistory& h = doc->History();
    ASSERT_TRUE(h.Undo());
    ASSERT_TRUE(h.Undo());
    EXPECT_TRUE(h.CanRedo());
    EXPECT_EQ(h.RedoLimit(), 4);
    EXPECT_TRUE(h.Store()->HasStep(4, 0));
    const DocumentPrint atTwo = PrintOf(*doc);
    Stroke(*doc, 9);
    EXPECT_FALSE(h.CanRedo());
    EXPECT_EQ(h.StepPosition(), 3);
    EXPECT_EQ(h.RedoLimit(), 3);
    EXPECT_FALSE(h.Store()->HasStep(4, 0));
    EXPECT_FALSE(h.Redo());
    ASSERT_TRUE(h.Undo());
    EXPECT_SAME_DOCUMENT(atTwo, PrintOf(*doc));
}

TEST(History, SettingsChangedBetweenStepsBelongToTheStepBefore) {
    auto doc = test::MakeDocument(6, 5);
    ASSERT_TRUE(doc->AddLayer());
    doc->SelectLayer(0);
    doc->SetLayerVisible(1, false);
    doc->SetLayerName(0, "바탕");
    Stroke(*doc, 2);
    doc->SelectLayer(1);
    doc->SetLayerTransparency(1, 200);
    const DocumentPrint beforeAdd = PrintOf(*doc);
    ASSERT_TRUE(doc->AddLayer());
    const DocumentPrint added = PrintOf(*doc);
    ASSERT_TRUE(doc->History().Undo());
    EXPECT_SAME_DOCUMENT(beforeAdd, PrintOf(*doc));
    ASSERT_TRUE(doc->History().Undo());
    // Undo goes back to before the stroke: layer 0 current, its old name, layer 1 hidden.
    EXPECT_EQ(doc->CurrentLayer(), 0);
    EXPECT_EQ(doc->LayerName(0), "바탕");
    EXPECT_EQ(doc->Layer(1).visible, 0);
    ASSERT_TRUE(doc->History().Redo());
    EXPECT_SAME_DOCUMENT(beforeAdd, PrintOf(*doc));
    ASSERT_TRUE(doc->History().Redo());
    EXPECT_SAME_DOCUMENT(added, PrintOf(*doc));
}

TEST(History, PlanesAChangeLeftWithoutItsOwnStepAreKeptByTheNextStepThatCoversThem) {
    // The colour-depth commands save the committed copy themselves before their step.
    auto doc = test::MakeDocument(10, 4);
    test::FillRandom(doc->Layer(0), 3);
    doc->RecordStep("채우기", StepCode::Pixels);
    const DocumentPrint filled = PrintOf(*doc);
    ASSERT_TRUE(CommandRegistry::Instance().Execute(cmd::kEightBitColour, *doc));
    ASSERT_TRUE(doc->History().Undo());
    EXPECT_SAME_DOCUMENT(filled, PrintOf(*doc));
}

TEST(History, ADamagedMissingOrShortStepFileFailsTheUndoWithAMessageAndChangesNothing) {
    enum Damage { kMissing, kShort, kStepByte, kPackByte, kPackMissing };
    for (const Damage damage : {kMissing, kShort, kStepByte, kPackByte, kPackMissing}) {
        test::RecordingPlatform platform;
        auto doc = test::MakeDocument(50, 30);
        test::FillRandom(doc->Layer(0), 9);
        doc->RecordStep("채우기", StepCode::Pixels);
        for (int s = 1; s <= 3; ++s) Stroke(*doc, s);
        UndoHistory& h = doc->History();
        // Undoing the last stroke reads the file of the stroke before it.
        const std::string path = h.Store()->StepPath(3, 0);
        ASSERT_TRUE(fs::exists(path));
        std::vector<uint8_t> bytes = test::ReadFileBytes(path);
        switch (damage) {
            case kMissing: fs::remove(path); break;
            case kShort: fs::resize_file(path, bytes.size() - 1); break;
            case kStepByte:  // a block code inside the file
                bytes[32 + 4 * 16 + 3] ^= 1;
                test::WriteFileBytes(path, bytes);
                break;
            case kPackByte: DamagePacks(h.Store()->Folder()); break;
            case kPackMissing:
                for (const auto& entry : fs::directory_iterator(h.Store()->Folder()))
                    if (entry.path().filename().string().rfind("UP_", 0) == 0) fs::remove(entry.path());
                break;
        }
        const DocumentPrint before = PrintOf(*doc);
        EXPECT_FALSE(h.Undo()) << damage;
        EXPECT_EQ(h.StepPosition(), 4);
        EXPECT_SAME_DOCUMENT(before, PrintOf(*doc));
        ASSERT_EQ(platform.messages.size(), 1u) << damage;
        EXPECT_EQ(platform.messages[0].rfind(texts::kUndoReadFailed, 0), 0u) << platform.messages[0];
        EXPECT_NE(platform.messages[0].find("UD_"), std::string::npos) << platform.messages[0];
        EXPECT_FALSE(h.LastError().empty());
        // Redo of nothing and undo further stay refused the same way; the document keeps working.
        Stroke(*doc, 8);
        EXPECT_EQ(h.StepPosition(), 5);
    }
}

// A sound step file under another step's name (another step of the document, or the
// same step of another document) passes every checksum; its header says whose it is.
TEST(History, ASoundStepFileOfAnotherStepOrDocumentIsRefused) {
    enum Swap { kStepBefore, kOlderStep, kOtherDocument };
    for (const Swap swap : {kStepBefore, kOlderStep, kOtherDocument}) {
        test::RecordingPlatform platform;
        auto doc = test::MakeDocument(50, 30);
        auto other = test::MakeDocument(50, 30);
        for (CVandDoc* d : {doc.get(), other.get()}) {
            test::FillRandom(d->Layer(0), 9);
            d->RecordStep("채우기", StepCode::Pixels);
            for (int s = 1; s <= 4; ++s) Stroke(*d, s + (d == other.get() ? 10 : 0));
        }
        const DocumentPrint third = [&] {
            EXPECT_TRUE(doc->History().Undo());
            const DocumentPrint print = PrintOf(*doc);
            EXPECT_TRUE(doc->History().Redo());
            return print;
        }();
        ASSERT_EQ(doc->History().StepPosition(), 5);
        // Undoing the last stroke reads step 4's file.
        UndoHistory& h = doc->History();
        const std::string path = h.Store()->StepPath(4, 0);
        const std::string source = swap == kStepBefore  ? h.Store()->StepPath(3, 0)
                                   : swap == kOlderStep ? h.Store()->StepPath(2, 0)
                                                        : other->History().Store()->StepPath(4, 0);
        ASSERT_TRUE(fs::exists(path) && fs::exists(source)) << swap;
        const std::vector<uint8_t> own = test::ReadFileBytes(path);
        test::WriteFileBytes(path, test::ReadFileBytes(source));
        const DocumentPrint before = PrintOf(*doc);
        EXPECT_FALSE(h.Undo()) << swap;
        EXPECT_EQ(h.StepPosition(), 5);
        EXPECT_SAME_DOCUMENT(before, PrintOf(*doc));
        ASSERT_EQ(platform.messages.size(), 1u) << swap;
        EXPECT_EQ(platform.messages[0].rfind(texts::kUndoReadFailed, 0), 0u) << platform.messages[0];
        EXPECT_NE(platform.messages[0].find(path), std::string::npos) << platform.messages[0];
        EXPECT_NE(platform.messages[0].find(swap == kOtherDocument ? "another document" : "another step"),
                  std::string::npos)
            << platform.messages[0];
        // Its own file back, the undo works.
        test::WriteFileBytes(path, own);
        ASSERT_TRUE(h.Undo()) << swap;
        EXPECT_SAME_DOCUMENT(third, PrintOf(*doc));
    }
}

// A folder in the place of a step file makes its write fail, as a full disk would.
TEST(History, AStepFileThatCannotBeWrittenFailsTheMoveAndChangesNothing) {
    test::RecordingPlatform platform;
    auto doc = test::MakeDocument(30, 20);
    Stroke(*doc, 1);
    const DocumentPrint first = PrintOf(*doc);
    Stroke(*doc, 2);
    const DocumentPrint second = PrintOf(*doc);
    UndoHistory& h = doc->History();
    // Step 2's planes live in the committed copy; undo must store them before it changes anything.
    const std::string blocked = h.Store()->StepPath(2, 0);
    ASSERT_FALSE(fs::exists(blocked));
    fs::create_directory(blocked);
    EXPECT_FALSE(h.Undo());
    EXPECT_SAME_DOCUMENT(second, PrintOf(*doc));
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_NE(platform.messages[0].find(blocked), std::string::npos) << platform.messages[0];
    fs::remove(blocked);
    ASSERT_TRUE(h.Undo());
    EXPECT_SAME_DOCUMENT(first, PrintOf(*doc));
    ASSERT_TRUE(h.Redo());
    EXPECT_SAME_DOCUMENT(second, PrintOf(*doc));

    // A step whose write fails is still recorded; only the move that needs the lost planes is refused.
    platform.messages.clear();
    fs::create_directory(h.Store()->StepPath(3, 0));
    Stroke(*doc, 3);
    Stroke(*doc, 4);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].rfind(texts::kUndoWriteFailed, 0), 0u) << platform.messages[0];
    EXPECT_EQ(h.StepPosition(), 4);
    const DocumentPrint fourth = PrintOf(*doc);
    EXPECT_FALSE(h.Undo());
    EXPECT_SAME_DOCUMENT(fourth, PrintOf(*doc));
    fs::remove(h.Store()->StepPath(3, 0));
}

TEST(History, AMoveThatNeedsSeveralFilesChangesNothingWhenOneIsDamaged) {
    test::RecordingPlatform platform;
    auto doc = test::MakeDocument(40, 20);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(doc->AddLayer());
        test::FillRandom(doc->Layer(doc->CurrentLayer()), uint32_t(20 + i));
        doc->RecordStep("채우기", StepCode::Pixels);
    }
    ResizeAll(*doc, 30, 25);
    doc->RecordStep("캔버스크기조정", StepCode::Resized);
    // Undoing the resize reads a file per layer; the last layer's is damaged.
    const std::string last = doc->History().Store()->StepPath(6, 3);
    ASSERT_TRUE(fs::exists(last));
    std::vector<uint8_t> bytes = test::ReadFileBytes(last);
    bytes[bytes.size() - 1] ^= 0xFF;
    test::WriteFileBytes(last, bytes);
    const DocumentPrint before = PrintOf(*doc);
    EXPECT_FALSE(doc->History().Undo());
    EXPECT_SAME_DOCUMENT(before, PrintOf(*doc));
    EXPECT_EQ(doc->Header().width, 30);
    EXPECT_EQ(platform.messages.size(), 1u);
}

TEST(History, DocumentsOfOneProcessUseSeparateFiles) {
    auto a = test::MakeDocument(4, 4);
    auto b = test::MakeDocument(4, 4);
    Stroke(*a, 1);
    Stroke(*b, 1);
    EXPECT_NE(a->History().Store()->StepPath(0, 0), b->History().Store()->StepPath(0, 0));
    const std::string path = a->History().Store()->StepPath(0, 0);
    EXPECT_TRUE(fs::exists(path));
    a.reset();  // a closed document takes its files along
    EXPECT_FALSE(fs::exists(path));
    EXPECT_TRUE(fs::exists(b->History().Store()->StepPath(0, 0)));
}

TEST(History, ARecordedMoveIsAStepOfItsOwn) {
    auto doc = test::MakeDocument(6, 6);
    Stroke(*doc, 1);
    const DocumentPrint stroked = PrintOf(*doc);
    ASSERT_TRUE(doc->MoveLayer(2, 1, true));
    EXPECT_EQ(doc->History().StepPosition(), 2);
    EXPECT_EQ(doc->History().Entry(2).name, texts::kStepMoveLayer);
    EXPECT_EQ(doc->History().Entry(1).slots[0].x, 0);
    EXPECT_EQ(doc->Snapshots().Saved(SnapshotSlot::A, 0).y, 1);
    // Only the position changed: the step keeps no planes.
    EXPECT_FALSE(doc->History().Entry(2).Recorded(0));
    const DocumentPrint moved = PrintOf(*doc);
    Stroke(*doc, 2);
    ASSERT_TRUE(doc->History().Undo());
    EXPECT_SAME_DOCUMENT(moved, PrintOf(*doc));
    // The move goes back alone; the stroke before it stays.
    ASSERT_TRUE(doc->History().Undo());
    EXPECT_SAME_DOCUMENT(stroked, PrintOf(*doc));
    ASSERT_TRUE(doc->History().Redo());
    EXPECT_SAME_DOCUMENT(moved, PrintOf(*doc));
}

TEST(History, TextToRasterIsAStepAndPreviewsStartFromTheRaster) {
    auto doc = test::MakeDocument(7, 3);
    ASSERT_TRUE(doc->AddLayer());
    const int slot = doc->CurrentLayer();
    MakeText(*doc, u"글", 180);
    doc->RecordStep("글자입력", StepCode::TextLayerAdded);
    const DocumentPrint text = PrintOf(*doc);
    ASSERT_TRUE(CommandRegistry::Instance().Execute(cmd::kLayerToRaster, *doc));
    EXPECT_EQ(doc->History().Entry(doc->History().StepPosition()).name, "레스터 형식으로 변환");
    const DocumentPrint raster = PrintOf(*doc);
    // The committed copy holds the raster now: a preview restores a 24-bit plane, not the text's coverage.
    PreviewSession session(*doc);
    session.Cancel();
    EXPECT_SAME_DOCUMENT(raster, PrintOf(*doc));
    EXPECT_EQ(doc->Layer(slot).stride, PlaneStride(24, 7));
    ASSERT_TRUE(doc->History().Undo());
    EXPECT_SAME_DOCUMENT(text, PrintOf(*doc));
    EXPECT_EQ(doc->Layer(slot).text, u"글");
    ASSERT_TRUE(doc->History().Redo());
    EXPECT_SAME_DOCUMENT(raster, PrintOf(*doc));
}

TEST(History, APreviewLeftOnTheCurrentLayerGoesWithAnUndo) {
    auto doc = test::MakeDocument(8, 8);
    const DocumentPrint opened = PrintOf(*doc);
    Stroke(*doc, 1);
    const DocumentPrint stroked = PrintOf(*doc);
    doc->Layer(0).pixels[3] ^= 0xFF;  // shown, never recorded
    ASSERT_TRUE(doc->History().Undo());
    EXPECT_SAME_DOCUMENT(opened, PrintOf(*doc));
    doc->Layer(0).pixels[5] ^= 0xFF;
    ASSERT_TRUE(doc->History().Redo());
    EXPECT_SAME_DOCUMENT(stroked, PrintOf(*doc));
}

TEST(History, TheSelectionComesBackWithItsStep) {
    auto doc = test::MakeDocument(9, 7);
    SelectionMask& selection = doc->State().selection;
    std::fill(selection.mask.begin(), selection.mask.end(), 0);
    selection.mask[10] = selection.mask[11] = 1;
    selection.selectionActive = 1;
    Stroke(*doc, 1);
    const std::vector<uint8_t> first = selection.mask;
    std::fill(selection.mask.begin(), selection.mask.end(), 1);
    selection.selectionActive = 0;
    Stroke(*doc, 2);
    ASSERT_TRUE(doc->History().Undo());
    EXPECT_EQ(selection.mask, first);
    EXPECT_EQ(selection.selectionActive, 1);
    ASSERT_TRUE(doc->History().Redo());
    EXPECT_EQ(selection.mask, std::vector<uint8_t>(first.size(), 1));
    EXPECT_EQ(selection.selectionActive, 0);
}

TEST(History, ImageFieldCommandsAreUndoneWithThePicturesInformation) {
    auto doc = test::MakeDocument(4, 3);
    CommandRegistry& registry = CommandRegistry::Instance();
    ASSERT_TRUE(doc->Composite());
    const uint8_t original = doc->Composite()->alphaPaletteEnabled;
    const int32_t transparent = doc->Composite()->transparentIndex;
    ASSERT_TRUE(registry.Execute(cmd::kToggleAlphaPalette, *doc));
    ASSERT_TRUE(registry.Execute(cmd::kRemoveTransparency, *doc));
    EXPECT_EQ(doc->History().Entry(2).name, "Removetransparency");
    EXPECT_EQ(doc->History().Entry(1).name, "Alphapalettetoggle");
    // Steps that change no planes keep no files.
    EXPECT_EQ(doc->History().Entry(2).recordedSlots, 0u);
    doc->Composite()->transparentIndex = 5;  // a later value that no step recorded
    ASSERT_TRUE(doc->History().Undo());
    EXPECT_NE(doc->Composite()->alphaPaletteEnabled, original);
    EXPECT_EQ(doc->Composite()->transparentIndex, transparent);
    ASSERT_TRUE(doc->History().Undo());
    EXPECT_EQ(doc->Composite()->alphaPaletteEnabled, original);
    ASSERT_TRUE(doc->History().Redo());
    ASSERT_TRUE(doc->History().Redo());
    EXPECT_NE(doc->Composite()->alphaPaletteEnabled, original);
    EXPECT_EQ(doc->Composite()->transparentIndex, -1);
}

TEST(History, KindsOfStepsSayWhatTheyChange) {
    EXPECT_EQ(KindOfStep(StepCode::Pixels).planes, StepKind::Planes::StepLayer);
    EXPECT_EQ(KindOfStep(StepCode::Reordered).planes, StepKind::Planes::None);
    EXPECT_EQ(KindOfStep(StepCode::Resized).extra, StepKind::Extra::FrameValues);
    EXPECT_EQ(KindOfStep(StepCode::Flipped).extra, StepKind::Extra::DocumentValue);
    EXPECT_EQ(KindOfStep(99).planes, StepKind::Planes::EveryLayer);
}

// The step files on their own.

namespace {

PlaneSource Source(const std::vector<uint8_t>& bytes, const std::vector<bool>* changed = nullptr) {
    return PlaneSource{bytes.data(), bytes.size(), 0, changed};
}

bool Write(StepFileStore& store, int step, int slot, const std::vector<std::vector<uint8_t>>& planes,
           const std::vector<const std::vector<bool>*>& changed = {}) {
    std::vector<PlaneSource> sources;
    for (size_t i = 0; i < planes.size(); ++i) sources.push_back(Source(planes[i], i < changed.size() ? changed[i] : nullptr));
    std::string error;
    const bool ok = store.WriteStep(step, slot, sources.data(), int(sources.size()), error);
    EXPECT_TRUE(ok) << error;
    return ok;
}

std::vector<std::vector<uint8_t>> Read(const StepFileStore& store, int step, int slot,
                                       const std::vector<std::vector<uint8_t>>& like, std::string& error,
                                       StepFileStore::FileBlocks* blocks = nullptr) {
    std::vector<uint64_t> expected;
    for (const auto& plane : like) expected.push_back(plane.size());
    std::vector<std::vector<uint8_t>> out(like.size());
    if (!store.ReadStep(step, slot, expected.data(), int(expected.size()), out.data(), error, blocks)) return {};
    return out;
}

}  // namespace

TEST(StepFiles, PlanesRoundTripAtOddSizesAndEveryBlockKind) {
    test::TempDir dir;
    StepFileStore store(dir.path().string(), 7);
    for (const int width : {1, 3, 1361, 4097}) {
        const size_t stride = size_t(PlaneStride(24, width));
        std::vector<uint8_t> pixels(stride * 3, 255);
        // A repeating colour, a noisy part and a uniform part.
        for (size_t i = 0; i < pixels.size() / 2; ++i) pixels[i] = uint8_t(i % 3 == 0 ? 10 : 200);
        test::TestRandom random{uint32_t(width)};
        for (size_t i = pixels.size() / 2; i < pixels.size() * 3 / 4; ++i) pixels[i] = random.Byte();
        std::vector<uint8_t> alpha(size_t(width) * 3, 0);
        alpha[alpha.size() - 1] = 9;
        const std::vector<uint8_t> effect(size_t(width) * 3, 0), text{'a', 0, 'b', 0};
        const std::vector<std::vector<uint8_t>> planes{pixels, alpha, effect, text};
        ASSERT_TRUE(Write(store, 3, 5, planes));
        std::string error;
        EXPECT_EQ(Read(store, 3, 5, planes, error), planes) << error;
        // Sizes other than the recorded ones are refused.
        std::vector<std::vector<uint8_t>> other = planes;
        other[1].push_back(0);
        EXPECT_TRUE(Read(store, 3, 5, other, error).empty());
        EXPECT_NE(error.find("sizes"), std::string::npos) << error;
    }
}

TEST(StepFiles, UnchangedBlocksAreStoredOnceAndCountedUntilNoFileNeedsThem) {
    test::TempDir dir;
    StepFileStore store(dir.path().string(), 3);
    std::vector<uint8_t> pixels(36000);
    test::TestRandom random{5};
    for (auto& b : pixels) b = random.Byte();
    ASSERT_TRUE(Write(store, 1, 0, {pixels}));
    const uint64_t first = store.DiskBytes();
    pixels[5000] ^= 0xFF;  // one block changes
    std::vector<bool> changed(BlocksOf(pixels.size()), false);
    changed[5000 / kStepBlockBytes] = true;
    ASSERT_TRUE(Write(store, 2, 0, {pixels}, {&changed}));
    EXPECT_LT(store.DiskBytes() - first, uint64_t(kStepBlockBytes) * 2);
    std::string error;
    EXPECT_EQ(Read(store, 2, 0, {pixels}, error), std::vector<std::vector<uint8_t>>{pixels}) << error;
    // Step 1's file goes; its data stays for step 2.
    store.RemoveStep(1, 0);
    EXPECT_EQ(Read(store, 2, 0, {pixels}, error), std::vector<std::vector<uint8_t>>{pixels}) << error;
    store.RemoveAll();
    EXPECT_EQ(store.DiskBytes(), 0u);
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST(StepFiles, AnAdoptedFileIsTheBaseOfTheSlotsNextFile) {
    test::TempDir dir;
    StepFileStore store(dir.path().string(), 4);
    std::vector<uint8_t> a(20000), b(20000, 7);
    for (size_t i = 0; i < a.size(); ++i) a[i] = uint8_t(i * 13 + i / 7);
    ASSERT_TRUE(Write(store, 1, 2, {a}));
    ASSERT_TRUE(Write(store, 2, 2, {b}));
    // Going back to step 1's planes, then changing one block of them.
    std::string error;
    StepFileStore::FileBlocks blocks;
    ASSERT_FALSE(Read(store, 1, 2, {a}, error, &blocks).empty()) << error;
    store.AdoptBase(2, blocks);
    const uint64_t before = store.DiskBytes();
    a[100] ^= 1;
    std::vector<bool> changed(BlocksOf(a.size()), false);
    changed[0] = true;
    ASSERT_TRUE(Write(store, 3, 2, {a}, {&changed}));
    EXPECT_LT(store.DiskBytes() - before, uint64_t(kStepBlockBytes) * 2);
    store.RemoveStep(1, 2);
    EXPECT_EQ(Read(store, 3, 2, {a}, error), std::vector<std::vector<uint8_t>>{a}) << error;
}

TEST(StepFiles, ReadingAgainstTheSlotsPlanesGivesOnlyTheBlocksThatDiffer) {
    test::TempDir dir;
    StepFileStore store(dir.path().string(), 5);
    std::vector<uint8_t> older(5 * kStepBlockBytes + 100);
    for (size_t i = 0; i < older.size(); ++i) older[i] = uint8_t(i * 29 + (i >> 10));
    std::vector<uint8_t> newer = older;
    newer[2 * kStepBlockBytes + 7] ^= 0x40;                                      // a stored block changes
    std::fill(newer.begin() + 4 * kStepBlockBytes, newer.begin() + 5 * kStepBlockBytes, 0);  // one becomes uniform
    ASSERT_TRUE(Write(store, 1, 0, {older}));
    std::vector<bool> changed(BlocksOf(newer.size()), false);
    changed[2] = changed[4] = true;
    ASSERT_TRUE(Write(store, 2, 0, {newer}, {&changed}));
    // The slot holds step 2's planes; going back to step 1 reads two blocks.
    const uint64_t length = older.size();
    const uint8_t* current[1] = {newer.data()};
    std::vector<uint8_t> out;
    StepFileStore::PlanePatch patch;
    std::string error;
    ASSERT_TRUE(store.ReadStep(1, 0, &length, 1, &out, error, nullptr, current, &patch)) << error;
    EXPECT_EQ(patch.blocks, (std::vector<uint64_t>{2, 4}));
    ASSERT_EQ(patch.bytes.size(), 2u * kStepBlockBytes);
    std::vector<uint8_t> patched = newer;
    std::copy_n(patch.bytes.begin(), kStepBlockBytes, patched.begin() + 2 * kStepBlockBytes);
    std::copy_n(patch.bytes.begin() + kStepBlockBytes, kStepBlockBytes, patched.begin() + 4 * kStepBlockBytes);
    EXPECT_EQ(patched, older);
}

TEST(StepFiles, DamageAnywhereIsRefusedWithAText) {
    test::TempDir dir;
    StepFileStore store(dir.path().string(), 1);
    std::vector<uint8_t> plane(9000);
    for (size_t i = 0; i < plane.size(); ++i) plane[i] = uint8_t(i * 7 + (i >> 8));
    const std::vector<std::vector<uint8_t>> planes{plane};
    std::string error;
    EXPECT_TRUE(Read(store, 1, 0, planes, error).empty());
    EXPECT_NE(error.find("missing"), std::string::npos) << error;
    ASSERT_TRUE(Write(store, 1, 0, planes));
    const std::string path = store.StepPath(1, 0);
    const std::vector<uint8_t> intact = test::ReadFileBytes(path);
    // Every byte of the step file is covered by its checksum.
    for (size_t at = 0; at < intact.size(); at += 5) {
        std::vector<uint8_t> bytes = intact;
        bytes[at] ^= 0x10;
        test::WriteFileBytes(path, bytes);
        EXPECT_TRUE(Read(store, 1, 0, planes, error).empty()) << at;
        EXPECT_FALSE(error.empty());
    }
    for (const size_t size : {size_t(0), size_t(3), intact.size() - 1}) {
        test::WriteFileBytes(path, std::vector<uint8_t>(intact.begin(), intact.begin() + long(size)));
        EXPECT_TRUE(Read(store, 1, 0, planes, error).empty()) << size;
    }
    test::WriteFileBytes(path, intact);
    ASSERT_EQ(Read(store, 1, 0, planes, error), planes) << error;
    // A flipped byte in the stored block data.
    DamagePacks(dir.path().string(), 4500);
    EXPECT_TRUE(Read(store, 1, 0, planes, error).empty());
    EXPECT_NE(error.find("damaged"), std::string::npos) << error;
}

TEST(StepFiles, ASoundFileUnderAnotherNameIsRefused) {
    test::TempDir dir;
    StepFileStore store(dir.path().string(), 6), stranger(dir.path().string(), 8);
    std::vector<uint8_t> a(9000), b(9000);
    for (size_t i = 0; i < a.size(); ++i) a[i] = uint8_t(i * 7), b[i] = uint8_t(i * 11 + 1);
    ASSERT_TRUE(Write(store, 2, 0, {a}));
    ASSERT_TRUE(Write(store, 2, 1, {b}));
    ASSERT_TRUE(Write(store, 3, 0, {b}));
    ASSERT_TRUE(Write(stranger, 2, 0, {b}));
    const std::vector<uint8_t> own = test::ReadFileBytes(store.StepPath(2, 0));
    struct Case {
        std::string source;
        const char* why;
    };
    const Case cases[] = {{store.StepPath(2, 1), "another layer slot"},
                          {store.StepPath(3, 0), "another step"},
                          {stranger.StepPath(2, 0), "another document"}};
    std::string error;
    for (const Case& c : cases) {
        test::WriteFileBytes(store.StepPath(2, 0), test::ReadFileBytes(c.source));
        EXPECT_TRUE(Read(store, 2, 0, {a}, error).empty()) << c.why;
        EXPECT_NE(error.find(c.why), std::string::npos) << error;
    }
    // Renamed when an old step rolls off, a file stays its step's.
    test::WriteFileBytes(store.StepPath(2, 0), own);
    store.RemoveStep(1, 0);
    store.RenameStep(2, 1, 0);
    EXPECT_EQ(Read(store, 1, 0, {a}, error), std::vector<std::vector<uint8_t>>{a}) << error;
    // A file the store never wrote is no step of it.
    fs::copy_file(store.StepPath(3, 0), store.StepPath(7, 0));
    EXPECT_TRUE(Read(store, 7, 0, {b}, error).empty());
}

TEST(StepFiles, AFailedWriteNamesTheFileAndTheReasonAndLeavesNothing) {
    test::TempDir dir;
    StepFileStore store(dir.File("no such folder"), 1);
    const std::vector<uint8_t> plane(5000, 3);
    std::vector<uint8_t> noisy(5000);
    for (size_t i = 0; i < noisy.size(); ++i) noisy[i] = uint8_t(i * 31);
    const PlaneSource sources[2] = {Source(plane), Source(noisy)};
    std::string error;
    EXPECT_FALSE(store.WriteStep(0, 0, sources, 2, error));
    EXPECT_NE(error.find("no such folder"), std::string::npos) << error;
    EXPECT_EQ(store.DiskBytes(), 0u);
}

TEST(StepFiles, UniformPlanesTakeNoData) {
    test::TempDir dir;
    StepFileStore store(dir.path().string(), 1);
    const PlaneSource white{nullptr, 36000000, 255, nullptr};
    std::string error;
    ASSERT_TRUE(store.WriteStep(0, 0, &white, 1, error)) << error;
    EXPECT_LT(store.DiskBytes(), 30000u);
    std::vector<uint8_t> out;
    const uint64_t expected = 36000000;
    ASSERT_TRUE(store.ReadStep(0, 0, &expected, 1, &out, error)) << error;
    EXPECT_EQ(out, std::vector<uint8_t>(36000000, 255));
}

// The snapshot slots.

TEST(Snapshots, RestoreKeepsTheLayersPlaceKindAndVisibility) {
    auto doc = test::MakeDocument(5, 4);
    SnapshotSlots& slots = doc->Snapshots();
    LayerRecord& layer = doc->Layer(0);
    const std::vector<uint8_t> committed = layer.pixels;
    layer.pixels[0] = 1;
    layer.transparency = 40;
    layer.visible = 7;
    layer.kind = LayerKind::Raster;
    layer.x = 3;
    ASSERT_TRUE(slots.RestoreCommitted(layer, 0));
    EXPECT_EQ(layer.pixels, committed);
    EXPECT_EQ(layer.transparency, 40);
    EXPECT_EQ(layer.visible, 0);
    EXPECT_EQ(layer.kind, LayerKind::Raster);
    EXPECT_EQ(layer.x, 0);
    EXPECT_EQ(layer.inUse, 1);
    EXPECT_FALSE(slots.RestoreCommitted(doc->Layer(5), 5));
}

TEST(Snapshots, UniformPlanesAreKeptAsOneValueAndChangedBlocksAreNoted) {
    SnapshotSlots slots;
    DocumentHeader header;
    LayerRecord layer;
    layer.pixels.assign(3 * kStepBlockBytes + 10, 255);
    layer.alpha.assign(kStepBlockBytes * 2, 0);
    layer.effect.assign(5, 0);
    int announced = 0;
    slots.beforeCommittedChange = [&](int index) {
        EXPECT_EQ(index, 4);
        // Announced before anything changed.
        if (announced == 0) {
            EXPECT_EQ(slots.Plane(SnapshotSlot::A, 4, 0).Data(), nullptr);
        }
        ++announced;
    };
    slots.Save(SnapshotSlot::A, header, layer, 4);
    EXPECT_EQ(announced, 0);  // nothing was saved before
    EXPECT_EQ(slots.Plane(SnapshotSlot::A, 4, 0).Data(), nullptr);
    EXPECT_EQ(slots.Plane(SnapshotSlot::A, 4, 0).Value(), 255);
    slots.ClearChanged(4);
    const uint64_t generation = slots.Generation(SnapshotSlot::A, 4);
    slots.Save(SnapshotSlot::A, header, layer, 4);
    EXPECT_EQ(slots.Generation(SnapshotSlot::A, 4), generation);
    layer.pixels[kStepBlockBytes + 2] = 1;
    layer.alpha[0] = 9;
    slots.Save(SnapshotSlot::A, header, layer, 4);
    EXPECT_EQ(announced, 1);
    EXPECT_NE(slots.Generation(SnapshotSlot::A, 4), generation);
    EXPECT_EQ(slots.Plane(SnapshotSlot::A, 4, 0).Changed(), (std::vector<bool>{false, true, false, false}));
    EXPECT_EQ(slots.Plane(SnapshotSlot::A, 4, 1).Changed(), (std::vector<bool>{true, false}));
    LayerRecord back;
    ASSERT_TRUE(slots.RestorePlanes(SnapshotSlot::A, back, 4));
    EXPECT_EQ(back.pixels, layer.pixels);
    EXPECT_EQ(back.alpha, layer.alpha);
    EXPECT_EQ(back.effect, layer.effect);
    slots.Forget(SnapshotSlot::A, 4);
    EXPECT_EQ(announced, 2);
    slots.beforeCommittedChange = nullptr;
}

TEST(Snapshots, PreviewsStartFromTheCommittedCopyAndOnlyOkRecords) {
    auto doc = test::MakeDocument(5, 4);
    const size_t steps = doc->RecordedSteps().size();
    const DocumentPrint original = PrintOf(*doc);
    auto darken = [](LayerRecord& layer) {
        for (auto& b : layer.pixels) b = uint8_t(b / 2);
    };
    {
        PreviewSession session(*doc);
        session.Preview(darken);
        session.Preview(darken);  // does not accumulate
        EXPECT_EQ(doc->Layer(0).pixels[0], 127);
        session.Cancel();
        EXPECT_SAME_DOCUMENT(original, PrintOf(*doc));
        EXPECT_EQ(doc->RecordedSteps().size(), steps);
    }
    PreviewSession session(*doc);
    session.Preview(darken);
    doc->Layer(0).pixels[0] = 3;  // a repaint in between must not matter
    session.Ok("명도·대비 조절");
    EXPECT_EQ(doc->Layer(0).pixels[0], 127);
    EXPECT_EQ(doc->History().Entry(1).name, "명도·대비 조절");
    ASSERT_TRUE(doc->History().Undo());
    EXPECT_SAME_DOCUMENT(original, PrintOf(*doc));
}

TEST(Snapshots, AddingALayerDropsALeftOverPreview) {
    auto doc = test::MakeDocument(5, 4);
    const std::vector<uint8_t> original = doc->Layer(0).pixels;
    doc->Layer(0).pixels[4] = 0;
    ASSERT_TRUE(doc->AddLayer());
    EXPECT_EQ(doc->Layer(0).pixels, original);
}

TEST(Snapshots, ANewNameOrBlendModeSurvivesARestoreOfTheCommittedCopy) {
    auto doc = test::MakeDocument(5, 4);
    ASSERT_TRUE(CommandRegistry::Instance().Execute(cmd::kLayerRename, *doc, {{"name", "하늘"}}));
    doc->SetLayerBlendMode(0, BlendMode::Multiply);
    ASSERT_EQ(doc->Layer(0).blendMode, BlendMode::Multiply);
    PreviewSession(*doc).Cancel();
    ASSERT_TRUE(doc->AddLayer());  // returns the current layer to its committed copy first
    EXPECT_EQ(doc->LayerName(0), "하늘");
    EXPECT_EQ(doc->Layer(0).blendMode, BlendMode::Multiply);
}
