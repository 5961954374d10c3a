// The painting and selection tools on a 4000 × 3000 layer: a flood fill of the
// whole layer, the magic wand over it, and a brush stroke of 500 points.
#include <benchmark/benchmark.h>

#include <memory>

#include "core/ClassicRandom.h"
#include "core/CommandIds.h"
#include "core/Platform.h"
#include "document/CVandDoc.h"
#include "document/SelectionEditing.h"
#include "view/ViewTool.h"
#include "view/tools/FillTool.h"
#include "view/tools/LayerCanvas.h"

namespace quillory {
namespace {

constexpr int kWidth = 4000, kHeight = 3000;

std::unique_ptr<CVandDoc> WhitePicture() {
    auto d = std::make_unique<CVandDoc>();
    NewPictureSettings settings;
    settings.width = kWidth;
    settings.height = kHeight;
    if (!d->NewDocument(settings)) return nullptr;
    return d;
}

// The fill of a white layer reaches every pixel; the colour alternates so that each run fills again.
void BM_FloodFillWholeLayer(benchmark::State& state) {
    HeadlessPlatform platform;
    Platform* previous = InstallPlatform(&platform);
    auto d = WhitePicture();
    FillSettings settings;
    settings.tolerance = 10;
    settings.spread = int(state.range(0));
    int run = 0;
    for (auto _ : state) {
        LayerCanvas canvas;
        canvas.Open(*d);
        settings.colour = (run++ % 2) ? RGBQUAD{255, 255, 255, 0} : RGBQUAD{0, 0, 200, 0};
        benchmark::DoNotOptimize(FloodFill(canvas, LayerPoint{kWidth / 2, kHeight / 2}, settings));
    }
    InstallPlatform(previous);
}
BENCHMARK(BM_FloodFillWholeLayer)->Arg(0)->Arg(4)->Unit(benchmark::kMillisecond);

void BM_MagicWandWholeLayer(benchmark::State& state) {
    auto d = WhitePicture();
    for (auto _ : state) benchmark::DoNotOptimize(MagicWand(*d, LayerPoint{10, 10}, 25, false));
}
BENCHMARK(BM_MagicWandWholeLayer)->Unit(benchmark::kMillisecond);

// 500 pointer positions 3 pixels apart along a wave, brush size 25, as the view sends them.
void BM_BrushStroke500Points(benchmark::State& state) {
    auto d = WhitePicture();
    ViewState view;
    for (auto _ : state) {
        auto tool = ToolRegistry::Instance().Create(cmd::kToolBrush);
        ToolContext context{*d, view, cmd::kToolBrush, 0x0000FF, 0xFFFFFF, 25};
        context.softBrush = int(state.range(0));
        ToolEvent e;
        e.pictureX = 100, e.pictureY = 1500;
        tool->Press(context, e);
        for (int i = 1; i < 500; ++i) {
            e.pictureX = 100 + 3 * i;
            e.pictureY = 1500 + ((i / 50) % 2 ? 50 - i % 50 : i % 50) * 4;
            tool->Move(context, e);
        }
        state.PauseTiming();
        tool->Release(context, e);  // the recorded step belongs to the history's benchmarks
        state.ResumeTiming();
    }
}
BENCHMARK(BM_BrushStroke500Points)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quillory
