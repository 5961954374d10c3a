#include <gtest/gtest.h>

#include <vector>

#include "core/WorkerPool.h"
#include "document/DocumentState.h"
#include "document/LayerStack.h"
#include "view/ChangeJournal.h"
#include "view/CompositeCache.h"
#include "view/StackComposer.h"
#include "view/ViewRender.h"

namespace quillory {
namespace {

uint32_t g_seed = 1;
uint32_t Next() {
    g_seed = g_seed * 214013u + 2531011u;
    return (g_seed >> 16) & 0x7FFF;
}

// An odd-sized document of seven layers: every blend mode, partial opacity,
// transparency, a hidden layer, a layer moved off the corner and a text layer.
struct Document {
    static constexpr int kW = 301, kH = 203;
    DocumentState state;
    LayerStack stack{state};

    explicit Document(int bitsPerPixel = 24) {
        const int colours = bitsPerPixel == 8 ? 256 : 0;
        EXPECT_TRUE(stack.CreateLayerPlanes({.slot = 0, .name = u"t", .formatType = 1, .bitsPerPixel = bitsPerPixel,
                                             .colourCount = colours, .alphaFill = 255, .layerWidth = kW,
                                             .layerHeight = kH, .paletteMode = colours ? kPaletteAllocate : kPaletteKeep,
                                             .resetSelection = true, .changed = 1, .kind = LayerKind::Background,
                                             .centre = true}));
        if (colours)
            for (int i = 0; i < 256; ++i) state.header.palette[size_t(i)] = MakeQuad(uint8_t(i), uint8_t(255 - i), uint8_t(i * 7));
        stack.Layer(0).inUse = 1;
        stack.Layer(0).visible = 1;
        stack.headLayer = stack.currentLayer = 0;
        Paint(stack.Layer(0), 0);
        for (int i = 1; i < 7; ++i) {
            const int slot = stack.InsertLayer(stack.currentLayer);
            EXPECT_GE(slot, 0);
            LayerRecord& layer = stack.Layer(slot);
            layer.blendMode = uint8_t((i * 3) % BlendMode::Count);
            layer.transparency = uint8_t(i * 30);
            Paint(layer, i);
        }
        stack.Layer(2).visible = 0;
        stack.Layer(3).x = 17;
        stack.Layer(3).y = -9;
        stack.Layer(5).kind = LayerKind::Text;  // glyph coverage in its opacity, colour from textColour
        stack.Layer(5).textColour = 0x00336699;
    }

    static void Paint(LayerRecord& layer, int seed) {
        for (int y = 0; y < layer.height; ++y) {
            uint8_t* alpha = layer.AlphaRow(y);
            for (int x = 0; x < layer.width; ++x) alpha[x] = seed == 0 ? 255 : uint8_t((x / 9 + y / 7 + seed) % 4 * 85);
        }
        for (auto& b : layer.pixels) b = uint8_t(Next());
    }
};

// What the plain composer puts into a client-sized buffer for a paint.
std::vector<uint32_t> Compose(LayerComposer& layers, int w, int h, int ox, int oy, float sx, float sy,
                              IntRect clip = {}) {
    std::vector<uint32_t> pixels(size_t(w) * h, 0);
    TargetBuffer target(pixels.data(), w, h);
    if (!clip.IsEmpty()) target.clip = clip;
    layers.ComposeVisible(target, ox, oy, sx, sy);
    return pixels;
}

void ExpectSame(Document& doc, CompositeCache& cache, int w, int h, int ox, int oy, float sx, float sy) {
    StackComposer plain(doc.state.header, doc.stack);
    const std::vector<uint32_t> want = Compose(plain, w, h, ox, oy, sx, sy);
    const std::vector<uint32_t> got = Compose(cache, w, h, ox, oy, sx, sy);
    for (size_t i = 0; i < want.size(); ++i)
        ASSERT_EQ(got[i], want[i]) << "pixel " << i % w << "," << i / w << " origin " << ox << "," << oy << " scale "
                                   << sx << "x" << sy;
}

}  // namespace

TEST(CompositeCache, EveryZoomAndScrollShowsWhatThePlainCompositorBlends) {
    g_seed = 3;
    for (int depth : {24, 8}) {
        Document doc(depth);
        CompositeCache cache(doc.state.header, doc.stack);
        for (float zoom : {1.0f, 2.0f, 3.0f, 16.0f, 0.5f, 0.25f, 0.125f, 0.0625f}) {
            SCOPED_TRACE(zoom);
            // Origins across the picture, including tile borders and the far edge.
            for (auto [ox, oy] : {std::pair{0, 0}, {63, 64}, {65, 130}, {int(150 * zoom), int(90 * zoom)}})
                ExpectSame(doc, cache, 97, 71, ox, oy, zoom, zoom);
        }
        // Fit to window: the axes scale on their own, stretched or shrunk.
        ExpectSame(doc, cache, 640, 150, 0, 0, 640.0f / Document::kW, 150.0f / Document::kH);
        ExpectSame(doc, cache, 120, 500, 0, 0, 120.0f / Document::kW, 500.0f / Document::kH);
    }
}

TEST(CompositeCache, ClippedPaintsAndAViewLargerThanThePicture) {
    g_seed = 5;
    Document doc;
    CompositeCache cache(doc.state.header, doc.stack);
    StackComposer plain(doc.state.header, doc.stack);
    for (float zoom : {1.0f, 0.5f, 4.0f}) {
        const IntRect clip{13, 7, 55, 40};
        const std::vector<uint32_t> want = Compose(plain, 80, 60, 30, 20, zoom, zoom, clip);
        EXPECT_EQ(Compose(cache, 80, 60, 30, 20, zoom, zoom, clip), want) << zoom;
    }
    // Columns and rows past the picture repeat its last ones, as the compositor's clamp does.
    ExpectSame(doc, cache, 400, 260, 0, 0, 1.0f, 1.0f);
    ExpectSame(doc, cache, 200, 150, 0, 0, 0.5f, 0.5f);
}

TEST(CompositeCache, ReportedChangesAreBlendedAgainAndNothingElse) {
    g_seed = 7;
    Document doc;
    CompositeCache cache(doc.state.header, doc.stack);
    for (float zoom : {1.0f, 0.5f}) {
        ExpectSame(doc, cache, 120, 90, 40, 30, zoom, zoom);
        const int64_t before = cache.BlendedPixels();
        ExpectSame(doc, cache, 120, 90, 40, 30, zoom, zoom);
        EXPECT_EQ(cache.BlendedPixels(), before) << "a second paint blends nothing";

        // A brush-like change in one layer, reported as a region.
        LayerRecord& layer = doc.stack.Layer(4);
        const IntRect region{70, 50, 95, 61};  // picture rows counted from the top
        for (int y = region.top; y < region.bottom; ++y)
            for (int x = region.left; x < region.right; ++x) {
                const int storedY = Document::kH - 1 - y;
                layer.AlphaRow(storedY)[x] = 255;
                layer.PixelRow(storedY)[3 * x] ^= 0x5A;
            }
        cache.InvalidateRegion(region);
        ExpectSame(doc, cache, 120, 90, 40, 30, zoom, zoom);
        EXPECT_LE(cache.BlendedPixels() - before, 2 * CompositeCache::kTileSize * 2 * CompositeCache::kTileSize);

        // A change of the whole document: a layer hidden, another's blend mode.
        doc.stack.Layer(6).visible = 0;
        doc.stack.Layer(1).blendMode = BlendMode::Difference;
        cache.Invalidate();
        ExpectSame(doc, cache, 120, 90, 40, 30, zoom, zoom);
    }
}

TEST(CompositeCache, KeepsItsTilesUntilTold) {
    g_seed = 9;
    Document doc;
    CompositeCache cache(doc.state.header, doc.stack);
    StackComposer plain(doc.state.header, doc.stack);
    const std::vector<uint32_t> before = Compose(cache, 60, 60, 0, 0, 1.0f, 1.0f);
    doc.stack.Layer(0).visible = 0;
    // Not reported: the old composite is shown; reported: the new one.
    EXPECT_EQ(Compose(cache, 60, 60, 0, 0, 1.0f, 1.0f), before);
    cache.Invalidate();
    EXPECT_EQ(Compose(cache, 60, 60, 0, 0, 1.0f, 1.0f), Compose(plain, 60, 60, 0, 0, 1.0f, 1.0f));
}

TEST(CompositeCache, ScrollingAFewPixelsBlendsOnlyTheTilesOfTheExposedStrip) {
    g_seed = 11;
    Document doc;
    CompositeCache cache(doc.state.header, doc.stack);
    ViewRenderer renderer;
    ViewState view;
    std::vector<uint32_t> client(size_t(100) * 80);
    TargetBuffer target(client.data(), 100, 80);
    view.scrollX = 64;
    view.scrollY = 64;
    renderer.Paint(target, {0, 0, 100, 80}, view, cache, {}, kOverlayNone);
    const int64_t first = cache.BlendedPixels();
    view.scrollX += 3;  // the strip at the right comes into view
    view.needsRedraw = 1;
    renderer.Paint(target, {97, 0, 100, 80}, view, cache, {}, kOverlayNone);
    EXPECT_LE(cache.BlendedPixels() - first, int64_t(CompositeCache::kTileSize) * 2 * CompositeCache::kTileSize);
    // The whole client painted afresh equals the plain composition.
    std::vector<uint32_t> plainClient(client.size());
    TargetBuffer plainTarget(plainClient.data(), 100, 80);
    StackComposer plain(doc.state.header, doc.stack);
    ViewRenderer plainRenderer;
    renderer.Paint(target, {0, 0, 100, 80}, view, cache, {}, kOverlayNone);
    plainRenderer.Paint(plainTarget, {0, 0, 100, 80}, view, plain, {}, kOverlayNone);
    EXPECT_EQ(client, plainClient);
}

TEST(CompositeCache, OneThreadAndAllThreadsGiveTheSamePixels) {
    g_seed = 13;
    Document doc;
    const int threads = WorkerPool::Shared().Threads();
    std::vector<uint32_t> results[2];
    for (int run = 0; run < 2; ++run) {
        WorkerPool::Shared().SetThreads(run == 0 ? 1 : 4);
        CompositeCache cache(doc.state.header, doc.stack);
        results[run] = Compose(cache, 300, 200, 0, 0, 1.0f, 1.0f);
    }
    WorkerPool::Shared().SetThreads(threads);
    EXPECT_EQ(results[0], results[1]);
}

}  // namespace quillory

namespace quillory {

TEST(ChangeJournal, ReportsTheRegionsAViewMissedOrAskForEverything) {
    ChangeJournal journal;
    std::vector<int> lefts;
    auto collect = [&](const IntRect& r) { lefts.push_back(r.left); };
    EXPECT_TRUE(journal.ChangesSince(0, collect));
    journal.ChangedRegion({1, 0, 2, 2});
    journal.ChangedRegion({2, 0, 3, 2});
    EXPECT_TRUE(journal.ChangesSince(1, collect));
    EXPECT_EQ(lefts, std::vector<int>{2});
    lefts.clear();
    EXPECT_TRUE(journal.ChangesSince(0, collect));
    EXPECT_EQ(lefts, (std::vector<int>{1, 2}));
    journal.ChangedAll();
    EXPECT_FALSE(journal.ChangesSince(2, collect));
    EXPECT_TRUE(journal.ChangesSince(journal.generation(), collect));
    // A view that fell behind the kept entries takes everything as changed.
    const uint64_t behind = journal.generation();
    for (int i = 0; i < 300; ++i) journal.ChangedRegion({i, 0, i + 1, 1});
    EXPECT_FALSE(journal.ChangesSince(behind, collect));
    lefts.clear();
    EXPECT_TRUE(journal.ChangesSince(journal.generation() - 2, collect));
    EXPECT_EQ(lefts, (std::vector<int>{298, 299}));
}

}  // namespace quillory
