// Paints of the view over a 10-layer 4000 × 3000 document with mixed blend modes
// in a 1920 × 1080 window at zoom 1, 0.5 and 2 and fitted to the window: with the
// composite current, right after a change of the whole document, after one move
// of a brush, and while scrolling; each on one thread and on all. Also the old
// paint that blended every layer each time, and a repaint that only animates the
// selection outline.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "core/Platform.h"
#include "document/DocumentState.h"
#include "document/LayerStack.h"
#include "core/WorkerPool.h"
#include "view/CompositeCache.h"
#include "view/SelectionOutline.h"
#include "view/StackComposer.h"
#include "view/ViewRender.h"

namespace quillory {
namespace {

constexpr int kWidth = 4000, kHeight = 3000, kLayers = 10;
constexpr int kWindowWidth = 1920, kWindowHeight = 1080;

struct BigDocument {
    DocumentState state;
    LayerStack stack{state};

    BigDocument() {
        stack.CreateLayerPlanes({.slot = 0, .name = u"bench", .formatType = 1, .alphaFill = 255,
                                 .layerWidth = kWidth, .layerHeight = kHeight, .resetSelection = true, .changed = 1,
                                 .kind = LayerKind::Background, .centre = true});
        LayerRecord& bottom = stack.Layer(0);
        bottom.inUse = 1;
        bottom.visible = 1;
        stack.headLayer = stack.currentLayer = 0;
        Fill(bottom, 0);
        for (int i = 1; i < kLayers; ++i) {
            const int slot = stack.InsertLayer(stack.currentLayer);
            LayerRecord& layer = stack.Layer(slot);
            layer.blendMode = uint8_t(i % 10);
            layer.transparency = uint8_t(i * 10);
            Fill(layer, i);
        }
    }

    // Colour ramps and a partly transparent band per layer, so every blend does real work.
    static void Fill(LayerRecord& layer, int seed) {
        for (int y = 0; y < layer.height; ++y) {
            uint8_t* row = layer.PixelRow(y);
            uint8_t* alpha = layer.AlphaRow(y);
            for (int x = 0; x < layer.width; ++x) {
                row[3 * x] = uint8_t(x + seed * 17);
                row[3 * x + 1] = uint8_t(y + seed * 31);
                row[3 * x + 2] = uint8_t(x ^ y);
                alpha[x] = seed == 0 ? 255 : uint8_t(((x / 64 + y / 64 + seed) % 4) * 85);
            }
        }
    }
};

BigDocument& Document() {
    static auto* doc = new BigDocument;
    return *doc;
}

// Benchmark arguments: the zoom in percent (0 = fitted to the window) and the
// threads of the worker pool (0 = one per core).
struct PaintSetup {
    ViewState view;
    int threadsBefore = WorkerPool::Shared().Threads();

    explicit PaintSetup(const benchmark::State& state) {
        const int percent = int(state.range(0));
        view.zoom = percent > 0 ? float(percent) / 100.0f : 1.0f;
        view.fitToWindow = percent == 0 ? 1 : 0;
        view.scrollX = percent >= 100 ? 1000 * percent / 100 : 0;
        view.scrollY = percent >= 100 ? 500 * percent / 100 : 0;
        if (state.range(1) > 0) WorkerPool::Shared().SetThreads(int(state.range(1)));
    }
    ~PaintSetup() { WorkerPool::Shared().SetThreads(threadsBefore); }
};

const IntRect kWholeWindow{0, 0, kWindowWidth, kWindowHeight};

// A window-sized target and its renderer.
struct Window {
    std::vector<uint32_t> pixels = std::vector<uint32_t>(size_t(kWindowWidth) * kWindowHeight);
    TargetBuffer target{pixels.data(), kWindowWidth, kWindowHeight};
    ViewRenderer renderer;

    void Paint(ViewState& view, LayerComposer& layers, const IntRect& clip = kWholeWindow) {
        view.needsRedraw = 1;
        renderer.Paint(target, clip, view, layers, {}, kOverlayNone);
        benchmark::DoNotOptimize(pixels.data());
    }
};

// The old way: every paint blends every visible layer for every shown pixel.
void BM_PaintBlendingEveryLayer(benchmark::State& state) {
    BigDocument& doc = Document();
    PaintSetup setup(state);
    StackComposer layers(doc.state.header, doc.stack);
    Window window;
    for (auto _ : state) window.Paint(setup.view, layers);
}

// A paint of the whole window while the composite is current (an expose, a
// repaint after a dialog, the animation of a tool's shape).
void BM_Paint(benchmark::State& state) {
    BigDocument& doc = Document();
    PaintSetup setup(state);
    CompositeCache cache(doc.state.header, doc.stack);
    Window window;
    window.Paint(setup.view, cache);
    for (auto _ : state) window.Paint(setup.view, cache);
}

// The first paint after a change of the whole document: every shown tile is blended.
void BM_PaintAfterChange(benchmark::State& state) {
    BigDocument& doc = Document();
    PaintSetup setup(state);
    CompositeCache cache(doc.state.header, doc.stack);
    Window window;
    for (auto _ : state) {
        cache.Invalidate();
        window.Paint(setup.view, cache);
    }
}

// The paint after one move of a size-25 brush: the tool reports the segment's
// rectangle grown by the brush, and only the tiles under it are blended again.
void BM_PaintAfterStrokeSegment(benchmark::State& state) {
    BigDocument& doc = Document();
    PaintSetup setup(state);
    CompositeCache cache(doc.state.header, doc.stack);
    Window window;
    window.Paint(setup.view, cache);
    int x = 1200;
    for (auto _ : state) {
        // Ten pixels along a row inside the shown part, as a mouse move gives them.
        x = x >= 2000 ? 1200 : x + 10;
        cache.InvalidateRegion(IntRect{x - 12, 800 - 12, x + 10 + 13, 800 + 13});
        window.Paint(setup.view, cache);
    }
}

// Scrolling three pixels down and right: the window keeps what stays in view and
// paints the uncovered strips, blending the tiles that come into view.
void BM_ScrollThreePixels(benchmark::State& state) {
    BigDocument& doc = Document();
    PaintSetup setup(state);
    CompositeCache cache(doc.state.header, doc.stack);
    Window window;
    window.Paint(setup.view, cache);
    for (auto _ : state) {
        setup.view.scrollX += 3;
        setup.view.scrollY += 3;
        if (setup.view.scrollY > 2000) setup.view.scrollX = setup.view.scrollY = 0;
        window.Paint(setup.view, cache, {kWindowWidth - 3, 0, kWindowWidth, kWindowHeight});
        window.Paint(setup.view, cache, {0, kWindowHeight - 3, kWindowWidth, kWindowHeight});
    }
}

void ZoomsAndThreads(benchmark::internal::Benchmark* b) {
    b->ArgNames({"zoom%", "threads"});
    for (int threads : {1, 0})
        for (int zoom : {100, 50, 200, 0}) b->Args({zoom, threads});
    b->Unit(benchmark::kMillisecond);
}

void BM_RepaintOutlineOnly(benchmark::State& state) {
    BigDocument& doc = Document();
    StackComposer layers(doc.state.header, doc.stack);
    std::vector<uint32_t> window(size_t(kWindowWidth) * kWindowHeight);
    TargetBuffer target(window.data(), kWindowWidth, kWindowHeight);
    ViewRenderer renderer;
    ViewState view;
    const IntRect all{0, 0, kWindowWidth, kWindowHeight};
    // A rectangular selection crossing the window; its outline is what animates.
    SelectionMask& selection = doc.state.selection;
    std::fill(selection.mask.begin(), selection.mask.end(), 0);
    for (int y = 200; y < 800; ++y) std::fill_n(selection.mask.begin() + size_t(y) * kWidth + 300, 1200, 1);
    selection.selectionActive = 1;
    OverlayPainter ants = [&](TargetBuffer& t, int ox, int oy, int, uint8_t phase) {
        DrawSelectionOutline(t, ox, oy, 1.0f, 1.0f, selection, kWidth, kHeight, phase);
    };
    renderer.Paint(target, all, view, layers, {}, kOverlayOutline, ants);
    for (auto _ : state) {
        const PaintResult r = renderer.Paint(target, all, view, layers, {}, kOverlayOutline, ants);
        if (!r.cacheUsed) state.SkipWithError("the composite was recomputed");
        benchmark::DoNotOptimize(window.data());
    }
}

BENCHMARK(BM_PaintBlendingEveryLayer)->ArgNames({"zoom%", "threads"})->Args({100, 1})->Args({0, 1})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Paint)->Apply(ZoomsAndThreads);
BENCHMARK(BM_PaintAfterChange)->Apply(ZoomsAndThreads);
BENCHMARK(BM_PaintAfterStrokeSegment)->Apply(ZoomsAndThreads);
BENCHMARK(BM_ScrollThreePixels)->Apply(ZoomsAndThreads);
BENCHMARK(BM_RepaintOutlineOnly)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quillory
