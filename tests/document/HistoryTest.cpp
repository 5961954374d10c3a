// The undo history, its files and the snapshot slots, on real documents and real files.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/ImageFields.h"
#include "document/CVandDoc.h"
#include "document/CommandRegistry.h"
#include "document/DocumentTexts.h"
#include "document/HistoryTexts.h"
#include "document/ShadowEffect.h"
#include "document/SnapshotSlots.h"
#include "document/StepFileStore.h"
#include "document/TempFolder.h"
#include "document/UndoHistory.h"
#include "document/DocumentTestSupport.h"
#include "processing/ColourDepth.h"
#include "support/RecordingPlatform.h"
#include "support/TestFiles.h"

using namespace quillory;
namespace fs = std::filesystem;

namespace {

// The history's files of this test program go below a data directory of its own.
const bool kPrivateHome = [] {
    const std::string home = "/tmp/quillory-test-home-" + std::to_string(getuid());
    setenv("QUILLORY_HOME", home.c_str(), 1);
    return true;
}();

struct LayerPrint {
    int slot = -1;
    int32_t x = 0, y = 0, width = 0, height = 0;
    uint8_t kind = 0, transparency = 0, effectOn = 0;
    std::vector<uint8_t> pixels, alpha, effect;
    friend bool operator==(const LayerPrint&, const LayerPrint&) = default;
};

// Everything a step must bring back: list order, geometry, planes and picture values.
struct DocPrint {
    std::vector<LayerPrint> layers;
    int32_t width = 0, height = 0, bitsPerPixel = 0, colourCount = 0;
    std::vector<int> inUse;
    friend bool operator==(const DocPrint&, const DocPrint&) = default;
};

DocPrint Print(const CVandDoc& doc) {
    DocPrint p;
    int guard = 0;
    for (int i = doc.HeadLayer(); i >= 0 && i < kMaxLayers && guard < kMaxLayers; i = doc.Layer(i).next, ++guard) {
        const LayerRecord& r = doc.Layer(i);
        p.layers.push_back({i, r.x, r.y, r.width, r.height, r.kind, r.transparency, r.effectOn, r.pixels, r.alpha,
                            r.effect});
    }
    for (int i = 0; i < kMaxLayers; ++i)
        if (doc.Layer(i).inUse) p.inUse.push_back(i);
    p.width = doc.Header().width;
    p.height = doc.Header().height;
    p.bitsPerPixel = doc.Header().bitsPerPixel;
    p.colourCount = doc.Header().colourCount;
    return p;
}

// A brush stroke: a few pixels of the current layer change, then the step is recorded.
void Stroke(CVandDoc& doc, int seed, const std::string& name = "붓그리기") {
    LayerRecord& layer = doc.Layer(doc.CurrentLayer());
    for (int k = 0; k < 5; ++k) {
        const int x = (seed * 7 + k * 3) % layer.width, y = (seed * 5 + k) % layer.height;
        uint8_t* px = layer.PixelRow(y) + 3 * x;
        px[0] = uint8_t(seed * 31 + k), px[1] = uint8_t(seed * 17), px[2] = uint8_t(k * 40);
        layer.AlphaRow(y)[x] = uint8_t(100 + seed);
    }
    doc.RecordStep(name, StepCode::Pixels);
}

int CountFiles(const std::string& folder) {
    int n = 0;
    for (const auto& entry : fs::directory_iterator(folder)) n += entry.is_regular_file();
    return n;
}

}  // namespace

TEST(History, OpeningStartsAtStepZeroWithTheOpeningRow) {
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
    // The folder of this process holds the step and the initial list.
    TempFolder* folder = TempFolder::ForProcess();
    ASSERT_TRUE(folder);
    EXPECT_EQ(history.Store()->Folder(), folder->Path());
    EXPECT_TRUE(fs::exists(history.Store()->InitialListPath()));
    EXPECT_TRUE(history.Store()->HasStep(0, doc->CurrentLayer()));
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

TEST(History, TwentyFiveStrokesKeepStepsZeroAndOneAndRollOffTheRest) {
    auto doc = test::MakeDocument(13, 7);
    std::vector<DocPrint> after(26);
    after[0] = Print(*doc);
    for (int s = 1; s <= 25; ++s) {
        Stroke(*doc, s, "stroke " + std::to_string(s));
        after[size_t(s)] = Print(*doc);
    }
    UndoHistory& h = doc->History();
    EXPECT_EQ(h.StepPosition(), 19);
    EXPECT_EQ(h.Entry(0).name, "Opening....");
    EXPECT_EQ(h.Entry(1).name, "stroke 1");
    // Six roll-offs (strokes 20 to 25) took strokes 2 to 7.
    EXPECT_EQ(h.Entry(2).name, "stroke 8");
    EXPECT_EQ(h.Entry(19).name, "stroke 25");
    // Steps 0..19 of one layer, their packs and the initial list: the folder stays bounded.
    EXPECT_LE(CountFiles(h.Store()->Folder()), 2 * 20 + 1);

    // Step k (k >= 2) now holds stroke k + 6.
    for (int k = 18; k >= 2; --k) {
        ASSERT_TRUE(h.Undo());
        EXPECT_EQ(Print(*doc), after[size_t(k + 6)]) << "step " << k;
    }
    ASSERT_TRUE(h.Undo());
    EXPECT_EQ(Print(*doc), after[1]);
    ASSERT_TRUE(h.Undo());
    EXPECT_EQ(Print(*doc), after[0]);
    EXPECT_FALSE(h.CanUndo());
    EXPECT_FALSE(h.Undo());
    EXPECT_EQ(h.StepPosition(), 0);
    for (int k = 1; k <= 19; ++k) {
        ASSERT_TRUE(h.Redo()) << k;
        EXPECT_EQ(Print(*doc), after[size_t(k == 1 ? 1 : k + 6)]) << "redo to " << k;
    }
    EXPECT_FALSE(h.CanRedo());
    EXPECT_FALSE(h.Redo());
}

TEST(History, UndoAndRedoWalkEveryKindOfStep) {
    test::RecordingPlatform platform;
    auto doc = test::MakeDocument(11, 6);
    test::FillRandom(doc->Layer(0), 7);
    doc->RecordStep("채우기", StepCode::Pixels);
    std::vector<DocPrint> states{Print(*doc)};
    CommandRegistry& registry = CommandRegistry::Instance();
    auto step = [&](auto&& change) {
        ASSERT_TRUE(change());
        states.push_back(Print(*doc));
    };
    step([&] { return registry.Execute(cmd::kLayerAdd, *doc); });
    step([&] { Stroke(*doc, 3); return true; });
    step([&] { return registry.Execute(cmd::kLayerAdd, *doc); });
    step([&] { test::FillRandom(doc->Layer(doc->CurrentLayer()), 9); doc->RecordStep("스프레이", 0); return true; });
    step([&] { return doc->ReorderLayers(doc->HeadLayer(), doc->TopLayer()); });
    step([&] { return registry.Execute(cmd::kLayerEffect, *doc, {{"size", "2"}, {"colour", "102030"}}); });
    step([&] { return registry.Execute(cmd::kLayerDelete, *doc); });
    step([&] { doc->SelectLayer(doc->HeadLayer()); return registry.Execute(cmd::kLayerMergeDown, *doc); });
    step([&] { return registry.Execute(cmd::kLayerAdd, *doc); });
    step([&] { Stroke(*doc, 11); return true; });
    step([&] { return registry.Execute(cmd::kLayerFlatten, *doc); });
    step([&] { return registry.Execute(cmd::kEightBitColour, *doc); });
    ASSERT_EQ(doc->Header().bitsPerPixel, 8);
    step([&] { return registry.Execute(cmd::kRgbColour, *doc); });

    UndoHistory& h = doc->History();
    const int top = h.StepPosition();
    ASSERT_EQ(top, int(states.size()));
    for (int k = top - 1; k >= 1; --k) {
        ASSERT_TRUE(registry.Execute(cmd::kEditUndo, *doc)) << k;
        ASSERT_EQ(Print(*doc), states[size_t(k - 1)]) << "undo to step " << k << " (" << h.Entry(k + 1).name << ")";
    }
    for (int k = 2; k <= top; ++k) {
        ASSERT_TRUE(registry.Execute(cmd::kEditRedo, *doc)) << k;
        ASSERT_EQ(Print(*doc), states[size_t(k - 1)]) << "redo to step " << k << " (" << h.Entry(k).name << ")";
    }
    EXPECT_TRUE(platform.messages.empty()) << platform.messages.front();
}

TEST(History, UndoOfADeletionBringsTheLayerBackIntoItsSlotBetweenItsNeighbours) {
    auto doc = test::MakeDocument(9, 5);
    doc->AddLayer();
    doc->AddLayer();
    ASSERT_EQ(doc->CurrentLayer(), 2);
    doc->SelectLayer(1);
    test::FillRandom(doc->Layer(1), 5);
    doc->RecordStep("붓그리기", StepCode::Pixels);
    const DocPrint before = Print(*doc);
    ASSERT_TRUE(doc->DeleteCurrentLayer());
    EXPECT_FALSE(doc->IsLayerInList(1));
    EXPECT_TRUE(doc->Layer(1).pixels.empty());  // its content lives in the step file
    ASSERT_TRUE(doc->History().Undo());
    EXPECT_EQ(Print(*doc), before);
    EXPECT_EQ(doc->Layer(1).prev, 0);
    EXPECT_EQ(doc->Layer(1).next, 2);
    EXPECT_EQ(doc->CurrentLayer(), 1);
    ASSERT_TRUE(doc->History().Redo());
    EXPECT_FALSE(doc->IsLayerInList(1));
    EXPECT_EQ(doc->Layer(1).inUse, 0);
}

TEST(History, UndoOfAnAddedLayerFreesItsSlotForTheNextLayer) {
    auto doc = test::MakeDocument(4, 4);
    for (int round = 0; round < 45; ++round) {
        ASSERT_TRUE(doc->AddLayer()) << round;
        ASSERT_TRUE(doc->History().Undo());
    }
    EXPECT_EQ(doc->CountLayers(), 1);
    for (int i = 1; i < kMaxLayers; ++i) EXPECT_EQ(doc->Layer(i).inUse, 0);
}

TEST(History, UndoRestoresALayerFromTheNewestEarlierStepThatRecordedIt) {
    auto doc = test::MakeDocument(8, 6);
    for (int i = 0; i < 3; ++i) doc->AddLayer();
    ASSERT_EQ(doc->CurrentLayer(), 3);
    Stroke(*doc, 4);
    const LayerPrint layer3 = Print(*doc).layers.back();
    doc->SelectLayer(1);
    Stroke(*doc, 5);
    doc->SelectLayer(2);
    Stroke(*doc, 6);
    doc->SelectLayer(3);
    Stroke(*doc, 8);
    ASSERT_TRUE(doc->History().Undo());
    EXPECT_EQ(Print(*doc).layers.back(), layer3);
    EXPECT_EQ(doc->CurrentLayer(), 2);  // the layer of the step now current
}

TEST(History, RollOffKeepsALayerOnlyTheDroppedStepRecorded) {
    auto doc = test::MakeDocument(7, 5);
    doc->AddLayer();  // step 1
    doc->SelectLayer(0);
    Stroke(*doc, 2);  // step 2: the only recording of this stroke on layer 0
    const DocPrint painted = Print(*doc);
    doc->SelectLayer(1);
    for (int s = 3; s <= 19; ++s) Stroke(*doc, s);
    doc->SelectLayer(0);
    ASSERT_TRUE(doc->DeleteCurrentLayer());  // step 20 rolls step 2 off
    EXPECT_EQ(doc->History().StepPosition(), 19);
    ASSERT_TRUE(doc->History().Undo());
    ASSERT_TRUE(doc->IsLayerInList(0));
    EXPECT_EQ(Print(*doc).layers.front(), painted.layers.front());
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
    Stroke(*doc, 9);
    EXPECT_FALSE(h.CanRedo());
    EXPECT_EQ(h.StepPosition(), 3);
    EXPECT_EQ(h.RedoLimit(), 3);
    EXPECT_FALSE(h.Store()->HasStep(4, 0));
    EXPECT_FALSE(h.Redo());
}

TEST(History, AMissingOrShortStepFileFailsTheUndoWithAMessageAndChangesNothing) {
    for (const int damage : {0, 1, 2}) {
        test::RecordingPlatform platform;
        auto doc = test::MakeDocument(10, 3);
        Stroke(*doc, 1);
        Stroke(*doc, 2);
        Stroke(*doc, 3);
        UndoHistory& h = doc->History();
        const std::string path = h.Store()->StepPath(2, 0);
        if (damage == 0) fs::remove(path);
        if (damage == 1) fs::resize_file(path, fs::file_size(path) - 1);
        if (damage == 2)  // the block data the step file points to
            for (const auto& entry : fs::directory_iterator(h.Store()->Folder()))
                if (entry.path().filename().string().rfind("UP_", 0) == 0) fs::remove(entry.path());
        const DocPrint before = Print(*doc);
        EXPECT_FALSE(h.Undo());
        EXPECT_EQ(h.StepPosition(), 3);
        EXPECT_EQ(Print(*doc), before);
        ASSERT_EQ(platform.messages.size(), 1u);
        EXPECT_EQ(platform.messages[0], texts::kUndoReadFailed);
        EXPECT_FALSE(h.LastError().empty());
    }
}

TEST(History, ACleanedTemporaryFolderFailsTheUndoToTheFirstStep) {
    test::RecordingPlatform platform;
    auto doc = test::MakeDocument(5, 5);
    Stroke(*doc, 1);
    fs::remove(doc->History().Store()->InitialListPath());
    const DocPrint before = Print(*doc);
    EXPECT_FALSE(doc->History().Undo());
    EXPECT_EQ(Print(*doc), before);
    EXPECT_EQ(platform.messages, std::vector<std::string>{texts::kUndoReadFailed});
}

TEST(History, DocumentsOfOneProcessUseSeparateFiles) {
    auto a = test::MakeDocument(4, 4);
    auto b = test::MakeDocument(4, 4);
    EXPECT_NE(a->History().Store()->StepPath(0, 0), b->History().Store()->StepPath(0, 0));
    const std::string path = a->History().Store()->InitialListPath();
    a.reset();  // a closed document takes its files along
    EXPECT_FALSE(fs::exists(path));
    EXPECT_TRUE(fs::exists(b->History().Store()->InitialListPath()));
}

TEST(StepFiles, PlanesRoundTripAtOddSizesAndEveryBlockKind) {
    test::TempDir dir;
    StepFileStore store(dir.path().string(), 7);
    for (const int width : {1, 3, 1361, 4097}) {
        LayerRecord layer;
        layer.width = width;
        layer.height = 3;
        layer.stride = int32_t(PlaneStride(24, width));
        layer.planeSize = width * 3;
        layer.pixelSize = layer.stride * 3;
        layer.pixels.assign(size_t(layer.pixelSize), 255);
        // A repeating colour, a noisy part and a uniform part.
        for (size_t i = 0; i < layer.pixels.size() / 2; ++i) layer.pixels[i] = uint8_t(i % 3 == 0 ? 10 : 200);
        test::TestRandom random{uint32_t(width)};
        for (size_t i = layer.pixels.size() / 2; i < layer.pixels.size() * 3 / 4; ++i) layer.pixels[i] = random.Byte();
        layer.alpha.assign(size_t(layer.planeSize), 0);
        layer.alpha.back() = 9;
        layer.effect.assign(size_t(layer.planeSize), 0);
        SelectionMask mask;
        mask.width = width;
        mask.height = 2;
        mask.mask.assign(size_t(width) * 2, 1);
        ASSERT_TRUE([&] { std::string e; return store.WriteStep(3, 5, layer, mask, e); }());
        StepPlanes planes;
        std::string error;
        StepSizes sizes{uint64_t(layer.pixelSize), uint64_t(layer.planeSize), uint64_t(width) * 2, 0};
        ASSERT_TRUE(store.ReadStep(3, 5, sizes, planes, error)) << error;
        EXPECT_EQ(planes.pixels, layer.pixels);
        EXPECT_EQ(planes.alpha, layer.alpha);
        EXPECT_EQ(planes.effect, layer.effect);
        EXPECT_EQ(planes.mask, mask.mask);
        // Sizes other than the recorded ones are refused.
        sizes.plane += 1;
        EXPECT_FALSE(store.ReadStep(3, 5, sizes, planes, error));
        EXPECT_FALSE(error.empty());
    }
}

TEST(StepFiles, UnchangedBlocksAreStoredOnceAndCountedUntilNoFileNeedsThem) {
    test::TempDir dir;
    StepFileStore store(dir.path().string(), 3);
    LayerRecord layer;
    layer.width = 300, layer.height = 40, layer.stride = int32_t(PlaneStride(24, 300));
    layer.planeSize = 300 * 40, layer.pixelSize = layer.stride * 40;
    layer.pixels.resize(size_t(layer.pixelSize));
    test::TestRandom random{5};
    for (auto& b : layer.pixels) b = random.Byte();
    layer.alpha.assign(size_t(layer.planeSize), 255);
    layer.effect.assign(size_t(layer.planeSize), 0);
    std::string error;
    ASSERT_TRUE(store.WriteStep(1, 0, layer, SelectionMask{}, error));
    const uint64_t first = store.DiskBytes();
    const LayerRecord committed = layer;
    layer.pixels[5000] ^= 0xFF;  // one block changes
    ASSERT_TRUE(store.WriteStep(2, 0, layer, SelectionMask{}, error, &committed));
    EXPECT_LT(store.DiskBytes() - first, uint64_t(layer.pixelSize) / 8);
    const StepSizes sizes{uint64_t(layer.pixelSize), uint64_t(layer.planeSize), 0, 0};
    StepPlanes planes;
    ASSERT_TRUE(store.ReadStep(2, 0, sizes, planes, error)) << error;
    EXPECT_EQ(planes.pixels, layer.pixels);
    // Step 1's file goes; its data stays for step 2.
    store.RemoveStep(1, 0);
    ASSERT_TRUE(store.ReadStep(2, 0, sizes, planes, error)) << error;
    EXPECT_EQ(planes.pixels, layer.pixels);
    store.RemoveAll();
    EXPECT_EQ(store.DiskBytes(), 0u);
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST(StepFiles, AMissingPackFailsTheRead) {
    test::TempDir dir;
    StepFileStore store(dir.path().string(), 3);
    LayerRecord layer;
    layer.kind = LayerKind::Text;
    layer.width = 4000, layer.height = 2, layer.stride = 4000, layer.planeSize = 8000, layer.pixelSize = 8000;
    layer.alpha.resize(8000);
    for (size_t i = 0; i < layer.alpha.size(); ++i) layer.alpha[i] = uint8_t(i * 7);
    layer.effect.assign(8000, 0);
    std::string error;
    ASSERT_TRUE(store.WriteStep(0, 0, layer, SelectionMask{}, error));
    for (const auto& entry : fs::directory_iterator(dir.path()))
        if (entry.path().filename().string().rfind("UP_", 0) == 0) fs::remove(entry.path());
    StepPlanes planes;
    EXPECT_FALSE(store.ReadStep(0, 0, StepSizes{0, 8000, 0, 0}, planes, error));
    EXPECT_NE(error.find("missing data"), std::string::npos) << error;
}

TEST(StepFiles, ATextLayerKeepsItsTextAndNoPixelPlane) {
    test::TempDir dir;
    StepFileStore store(dir.path().string(), 1);
    LayerRecord layer;
    layer.kind = LayerKind::Text;
    layer.width = 5, layer.height = 2, layer.stride = 5, layer.planeSize = 10, layer.pixelSize = 10;
    layer.pixels.assign(10, 255);
    layer.alpha.assign(10, 128);
    layer.effect.assign(10, 0);
    layer.text = u"가나다";
    layer.textLength = 3;
    std::string error;
    ASSERT_TRUE(store.WriteStep(0, 2, layer, SelectionMask{}, error));
    StepPlanes planes;
    ASSERT_TRUE(store.ReadStep(0, 2, StepSizes{0, 10, 0, 3}, planes, error)) << error;
    EXPECT_TRUE(planes.pixels.empty());
    EXPECT_EQ(planes.text, u"가나다");
}

TEST(StepFiles, DamagedStepFilesFailWithAText) {
    test::TempDir dir;
    StepFileStore store(dir.path().string(), 1);
    const std::string path = store.StepPath(1, 0);
    StepPlanes planes;
    std::string error;
    const StepSizes sizes{0, 4, 0, 0};
    EXPECT_FALSE(store.ReadStep(1, 0, sizes, planes, error));
    EXPECT_NE(error.find("missing"), std::string::npos);
    const std::vector<std::vector<uint8_t>> cases = {
        {'Q', 'L', 'U'},                                          // shorter than its header
        std::vector<uint8_t>(96, 0),                              // no magic
    };
    for (const auto& bytes : cases) {
        test::WriteFileBytes(path, bytes);
        error.clear();
        EXPECT_FALSE(store.ReadStep(1, 0, sizes, planes, error));
        EXPECT_FALSE(error.empty());
    }
    // A valid file whose block code is broken.
    LayerRecord layer;
    layer.kind = LayerKind::Text;
    layer.width = 4, layer.height = 1, layer.stride = 4, layer.planeSize = 4, layer.pixelSize = 4;
    layer.alpha = {1, 2, 3, 4};
    layer.effect = {0, 0, 0, 0};
    ASSERT_TRUE(store.WriteStep(1, 0, layer, SelectionMask{}, error));
    std::vector<uint8_t> bytes = test::ReadFileBytes(path);
    bytes[96] = 7;  // the opacity plane's first block code
    test::WriteFileBytes(path, bytes);
    EXPECT_FALSE(store.ReadStep(1, 0, sizes, planes, error));
}

TEST(StepFiles, ListFilesRoundTripAndRefuseBrokenBlocks) {
    auto doc = test::MakeDocument(6, 3);
    doc->AddLayer();
    test::FillRandom(doc->Layer(1), 3);
    test::TempDir dir;
    StepFileStore store(dir.path().string(), 1);
    std::string error;
    ASSERT_TRUE(store.WriteList(dir.File("list"), doc->Header(), doc->Stack().Layers(), doc->HeadLayer(), error));
    auto list = std::make_unique<ListContents>();
    ASSERT_TRUE(StepFileStore::ReadList(dir.File("list"), *list, error)) << error;
    EXPECT_EQ(list->order, (std::vector<int>{0, 1}));
    EXPECT_EQ(list->layers[1].pixels, doc->Layer(1).pixels);
    EXPECT_EQ(list->layers[1].alpha, doc->Layer(1).alpha);
    EXPECT_EQ(list->header.width, 6);

    std::vector<uint8_t> bytes = test::ReadFileBytes(dir.File("list"));
    const std::vector<uint8_t> intact = bytes;
    bytes[256] = 'x';  // the first block's line
    test::WriteFileBytes(dir.File("list"), bytes);
    EXPECT_FALSE(StepFileStore::ReadList(dir.File("list"), *list, error));
    bytes = intact;
    bytes.resize(bytes.size() - 1);
    test::WriteFileBytes(dir.File("list"), bytes);
    EXPECT_FALSE(StepFileStore::ReadList(dir.File("list"), *list, error));
    EXPECT_NE(error.find("short"), std::string::npos);
}

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

TEST(Snapshots, PreviewsStartFromTheCommittedCopyAndOnlyOkRecords) {
    auto doc = test::MakeDocument(5, 4);
    const size_t steps = doc->RecordedSteps().size();
    const std::vector<uint8_t> original = doc->Layer(0).pixels;
    auto darken = [](LayerRecord& layer) {
        for (auto& b : layer.pixels) b = uint8_t(b / 2);
    };
    {
        PreviewSession session(*doc);
        session.Preview(darken);
        session.Preview(darken);  // does not accumulate
        EXPECT_EQ(doc->Layer(0).pixels[0], 127);
        session.Cancel();
        EXPECT_EQ(doc->Layer(0).pixels, original);
        EXPECT_EQ(doc->RecordedSteps().size(), steps);
    }
    PreviewSession session(*doc);
    session.Preview(darken);
    doc->Layer(0).pixels[0] = 3;  // a repaint in between must not matter
    session.Ok("명도·대비 조절");
    EXPECT_EQ(doc->Layer(0).pixels[0], 127);
    EXPECT_EQ(doc->History().Entry(1).name, "명도·대비 조절");
    ASSERT_TRUE(doc->History().Undo());
    EXPECT_EQ(doc->Layer(0).pixels, original);
}

TEST(Snapshots, AddingALayerDropsALeftOverPreview) {
    auto doc = test::MakeDocument(5, 4);
    const std::vector<uint8_t> original = doc->Layer(0).pixels;
    doc->Layer(0).pixels[4] = 0;
    ASSERT_TRUE(doc->AddLayer());
    EXPECT_EQ(doc->Layer(0).pixels, original);
}

TEST(History, RecordedMovesTravelWithTheCurrentStep) {
    auto doc = test::MakeDocument(6, 6);
    ASSERT_TRUE(doc->MoveLayer(2, 1, true));
    EXPECT_EQ(doc->History().Entry(0).slots[0].x, 2);
    EXPECT_EQ(doc->Snapshots().Saved(SnapshotSlot::A, 0).y, 1);
    Stroke(*doc, 1);
    ASSERT_TRUE(doc->History().Undo());
    EXPECT_EQ(doc->Layer(0).x, 2);
    EXPECT_EQ(doc->Layer(0).y, 1);
}

TEST(History, TextEditsComeBackWithTheirText) {
    auto doc = test::MakeDocument(8, 4);
    ASSERT_TRUE(doc->AddLayer());
    const int slot = doc->CurrentLayer();
    const DocumentHeader& header = doc->Header();
    LayerPlanesRequest request = LayerPlanesRequest::LikeDocument(header, slot);
    request.layerWidth = request.documentWidth = 8;
    request.layerHeight = request.documentHeight = 4;
    request.changed = 1;
    request.kind = LayerKind::Text;
    ASSERT_TRUE(doc->CreateLayerPlanes(request));
    LayerRecord& layer = doc->Layer(slot);
    layer.text = u"첫 글자";
    layer.textLength = int32_t(layer.text.size());
    layer.textColour = 0x00FF00;
    std::fill(layer.alpha.begin(), layer.alpha.begin() + 8, 200);
    doc->RecordStep("글자입력", StepCode::TextLayerAdded);
    const DocPrint first = Print(*doc);
    layer.text = u"고친 글자입니다";
    layer.textLength = int32_t(layer.text.size());
    std::fill(layer.alpha.begin(), layer.alpha.end(), 90);
    doc->RecordStep("글자수정", StepCode::TextEdited);
    ASSERT_TRUE(doc->History().Undo());
    EXPECT_EQ(Print(*doc), first);
    EXPECT_EQ(doc->Layer(slot).text, u"첫 글자");
    EXPECT_EQ(doc->Layer(slot).textLength, 4);
    ASSERT_TRUE(doc->History().Redo());
    EXPECT_EQ(doc->Layer(slot).text, u"고친 글자입니다");
    ASSERT_TRUE(doc->History().Undo());
    ASSERT_TRUE(doc->History().Undo());  // the text layer's addition
    EXPECT_FALSE(doc->IsLayerInList(slot));
    ASSERT_TRUE(doc->History().Redo());
    EXPECT_EQ(doc->Layer(slot).kind, LayerKind::Text);
    EXPECT_EQ(doc->Layer(slot).text, u"첫 글자");
    EXPECT_EQ(Print(*doc), first);
}

TEST(History, AResizedPictureComesBackAtItsOldSize) {
    auto doc = test::MakeDocument(8, 5);
    ASSERT_TRUE(doc->AddLayer());
    test::FillRandom(doc->Layer(1), 4);
    doc->RecordStep("스프레이", StepCode::Pixels);
    const DocPrint before = Print(*doc);
    const DocumentHeader& header = doc->Header();
    for (int slot : {0, 1}) {
        LayerPlanesRequest request = LayerPlanesRequest::LikeDocument(header, slot);
        request.alphaFill = 255;
        request.layerWidth = request.documentWidth = 13;
        request.layerHeight = request.documentHeight = 3;
        request.resetSelection = true;
        request.changed = 1;
        request.kind = doc->Layer(slot).kind;
        ASSERT_TRUE(doc->CreateLayerPlanes(request));
    }
    doc->History().SetExtraValues(13, 3, 0);
    doc->RecordStep("이미지크기", StepCode::Resized);
    const DocPrint resized = Print(*doc);
    EXPECT_EQ(doc->History().Entry(3).frameValues[0], 13);
    ASSERT_TRUE(doc->History().Undo());
    EXPECT_EQ(Print(*doc), before);
    EXPECT_EQ(doc->Header().width, 8);
    EXPECT_EQ(doc->State().selection.mask.size(), size_t(8 * 5));
    ASSERT_TRUE(doc->History().Redo());
    EXPECT_EQ(Print(*doc), resized);
    EXPECT_EQ(doc->Header().imageSize, 3 * int32_t(PlaneStride(24, 13)));
}

TEST(History, TextToRasterIsAStepAndPreviewsStartFromTheRaster) {
    auto doc = test::MakeDocument(7, 3);
    ASSERT_TRUE(doc->AddLayer());
    const int slot = doc->CurrentLayer();
    const DocumentHeader& header = doc->Header();
    LayerPlanesRequest request = LayerPlanesRequest::LikeDocument(header, slot);
    request.layerWidth = request.documentWidth = 7;
    request.layerHeight = request.documentHeight = 3;
    request.changed = 1;
    request.kind = LayerKind::Text;
    ASSERT_TRUE(doc->CreateLayerPlanes(request));
    doc->Layer(slot).text = u"글";
    doc->Layer(slot).textLength = 1;
    doc->Layer(slot).textColour = 0x102030;
    std::fill(doc->Layer(slot).alpha.begin(), doc->Layer(slot).alpha.begin() + 5, 180);
    doc->RecordStep("글자입력", StepCode::TextLayerAdded);
    const DocPrint text = Print(*doc);
    ASSERT_TRUE(CommandRegistry::Instance().Execute(cmd::kLayerToRaster, *doc));
    EXPECT_EQ(doc->History().Entry(doc->History().StepPosition()).name, "레스터 형식으로 변환");
    const DocPrint raster = Print(*doc);
    // The committed copy holds the raster now: a preview restores a 24-bit plane, not the text's coverage.
    PreviewSession session(*doc);
    session.Cancel();
    EXPECT_EQ(Print(*doc), raster);
    EXPECT_EQ(doc->Layer(slot).pixels.size(), size_t(doc->Layer(slot).stride) * 3);
    EXPECT_EQ(doc->Layer(slot).stride, PlaneStride(24, 7));
    ASSERT_TRUE(doc->History().Undo());
    EXPECT_EQ(Print(*doc), text);
    EXPECT_EQ(doc->Layer(slot).text, u"글");
    ASSERT_TRUE(doc->History().Redo());
    EXPECT_EQ(Print(*doc), raster);
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
