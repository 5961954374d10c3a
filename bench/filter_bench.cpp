// The neighbourhood filters on a 4000 × 3000 layer (fully opaque), as the filter
// commands run them: read the layer, write a copy.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "BenchPicture.h"
#include "core/ClassicRandom.h"
#include "processing/BoxFilters.h"
#include "processing/EdgeFilters.h"
#include "processing/FilterCatalogue.h"
#include "processing/KernelFilters.h"
#include "processing/MorphologyFilters.h"

using namespace quillory;

namespace {

struct Layer {
    std::vector<uint8_t> alpha;
    std::vector<uint8_t> copy;
    LayerPlanesView source;
    LayerPlanes destination;

    Layer() {
        NyZazo& picture = bench::BigPicture();
        alpha.assign(size_t(bench::kWidth) * bench::kHeight, 255);
        copy.assign(picture.bits, picture.bits + picture.header.biSizeImage);
        source = StoredOrderPlanes<const uint8_t>(picture.bits, picture.rowBytes, alpha.data(), bench::kWidth,
                                                  bench::kHeight);
        destination =
            StoredOrderPlanes<uint8_t>(copy.data(), picture.rowBytes, alpha.data(), bench::kWidth, bench::kHeight);
    }
};

Layer& TheLayer() {
    static Layer layer;
    return layer;
}

template <typename Run>
void Measure(benchmark::State& state, Run&& run) {
    Layer& layer = TheLayer();
    FilterProgress progress;
    for (auto _ : state) {
        benchmark::DoNotOptimize(run(layer.source, layer.destination, progress));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * int64_t(bench::kWidth) * bench::kHeight);
}

void BM_Sharpen3x3(benchmark::State& state) {
    Measure(state, [](auto& s, auto& d, auto& p) { return Convolve3x3(s, d, SharpenKernel(), true, p); });
}
BENCHMARK(BM_Sharpen3x3)->Unit(benchmark::kMillisecond);

void BM_Emboss3x3(benchmark::State& state) {
    Measure(state, [](auto& s, auto& d, auto& p) { return Convolve3x3(s, d, EmbossKernel(3), true, p); });
}
BENCHMARK(BM_Emboss3x3)->Unit(benchmark::kMillisecond);

void BM_Box9(benchmark::State& state) {
    Measure(state, [](auto& s, auto& d, auto& p) { return BoxAverage(s, d, 9, 1, p); });
}
BENCHMARK(BM_Box9)->Unit(benchmark::kMillisecond);

void BM_Soften9(benchmark::State& state) {
    Measure(state, [](auto& s, auto& d, auto& p) { return BoxAverage(s, d, 9, 81, p); });
}
BENCHMARK(BM_Soften9)->Unit(benchmark::kMillisecond);

void BM_Erode(benchmark::State& state) {
    const int size = int(state.range(0));
    Measure(state, [size](auto& s, auto& d, auto& p) { return MinimumWindow(s, d, size, p); });
}
BENCHMARK(BM_Erode)->Arg(9)->Arg(20)->Unit(benchmark::kMillisecond);

void BM_Dilate(benchmark::State& state) {
    const int size = int(state.range(0));
    Measure(state, [size](auto& s, auto& d, auto& p) { return MaximumWindow(s, d, size, p); });
}
BENCHMARK(BM_Dilate)->Arg(9)->Arg(20)->Unit(benchmark::kMillisecond);

void BM_EdgeEnhance(benchmark::State& state) {
    Measure(state, [](auto& s, auto& d, auto& p) { return EnhanceEdges(s, d, 1, 1, SelectionMap{}, p); });
}
BENCHMARK(BM_EdgeEnhance)->Unit(benchmark::kMillisecond);

// The painterly effects by name at their default values, for scale.
void BM_Effect(benchmark::State& state, const char* name) {
    const FilterValues values = DefaultValues(ParameterSetOf(name));
    Measure(state, [&](auto& s, auto& d, auto& p) {
        EngineRandom().Reset();
        return RunFilter(name, s, d, values, SelectionMap{}, p);
    });
}
BENCHMARK_CAPTURE(BM_Effect, watercolour, "수채화")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_Effect, oil, "유화")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_Effect, frost, "유리성에")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_Effect, raindrops, "빗방울")->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_Effect, denoise, "잡영제거")->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
