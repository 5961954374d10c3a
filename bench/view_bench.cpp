// One paint of the view over a 10-layer 4000 × 3000 document in a 1920 × 1080
// window at zoom 1, 0.5 and 2 and fitted to the window, and a repaint that only animates the selection
// outline (the cached composite is reused).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "core/Platform.h"
#include "document/DocumentState.h"
#include "document/LayerStack.h"
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

void PaintAtZoom(benchmark::State& state, float zoom, bool fit = false) {
    BigDocument& doc = Document();
    StackComposer layers(doc.state.header, doc.stack);
    std::vector<uint32_t> window(size_t(kWindowWidth) * kWindowHeight);
    TargetBuffer target(window.data(), kWindowWidth, kWindowHeight);
    ViewRenderer renderer;
    ViewState view;
    view.zoom = zoom;
    view.fitToWindow = fit ? 1 : 0;
    view.scrollX = 1000;
    view.scrollY = 500;
    for (auto _ : state) {
        view.needsRedraw = 1;
        renderer.Paint(target, IntRect{0, 0, kWindowWidth, kWindowHeight}, view, layers, {}, kOverlayNone);
        benchmark::DoNotOptimize(window.data());
    }
    state.SetItemsProcessed(state.iterations() * int64_t(kWindowWidth) * kWindowHeight);
}

void BM_PaintZoom1(benchmark::State& state) { PaintAtZoom(state, 1.0f); }
void BM_PaintZoomHalf(benchmark::State& state) { PaintAtZoom(state, 0.5f); }
void BM_PaintZoom2(benchmark::State& state) { PaintAtZoom(state, 2.0f); }
void BM_PaintFitToWindow(benchmark::State& state) { PaintAtZoom(state, 1.0f, true); }

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

BENCHMARK(BM_PaintZoom1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintZoomHalf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintZoom2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintFitToWindow)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepaintOutlineOnly)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quillory
