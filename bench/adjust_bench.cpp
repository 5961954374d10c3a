// The colour adjustments on the peers' 4000 × 3000 photograph (fully opaque layer,
// no selection), the layer restored before every run outside the timing.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "PeerPicture.h"
#include "processing/BinaryConversion.h"
#include "processing/ColourAdjust.h"
#include "processing/Levels.h"

using namespace quillory;

namespace {

struct BenchLayer {
    std::vector<uint8_t> original, pixels, alpha;
    ColourPlanes planes;

    BenchLayer() {
        const NyZazo& photo = bench::PeerPhoto();
        const size_t bytes = size_t(photo.rowBytes) * size_t(photo.Height());
        original.assign(photo.bits, photo.bits + bytes);
        pixels = original;
        alpha.assign(size_t(photo.Width()) * size_t(photo.Height()), 255);
        planes.pixels = pixels.data();
        planes.width = photo.Width();
        planes.height = photo.Height();
        planes.bitsPerPixel = 24;
        planes.stride = photo.rowBytes;
        planes.alpha = alpha.data();
    }
    void Reset() { std::memcpy(pixels.data(), original.data(), pixels.size()); }
};

BenchLayer& Layer() {
    static BenchLayer layer;
    return layer;
}

template <typename Operation>
void Run(benchmark::State& state, Operation operation) {
    BenchLayer& layer = Layer();
    for (auto _ : state) {
        state.PauseTiming();
        layer.Reset();
        state.ResumeTiming();
        benchmark::DoNotOptimize(operation(layer.planes));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(layer.pixels.size()));
}

void BM_BrightnessContrast(benchmark::State& state) {
    Run(state, [](ColourPlanes& p) { return BrightnessAndContrast(p, 10, 20); });
}
void BM_Invert(benchmark::State& state) {
    Run(state, [](ColourPlanes& p) { return InvertColours(p); });
}
void BM_Desaturate(benchmark::State& state) {
    Run(state, [](ColourPlanes& p) { return DesaturatePixels(p); });
}
void BM_AutoLevels(benchmark::State& state) {
    Run(state, [](ColourPlanes& p) { return StretchLevels(p, kLevelsAll, -1, -1) == StretchResult::Stretched; });
}
void BM_FloydSteinberg(benchmark::State& state) {
    Run(state, [](ColourPlanes& p) { return BinaryErrorDiffusion(p, 128); });
}
void BM_OrderedDither(benchmark::State& state) {
    Run(state, [](ColourPlanes& p) { return BinaryOrderedDither(p, 75); });
}
void BM_Histograms(benchmark::State& state) {
    Run(state, [](ColourPlanes& p) { return ComputeHistograms(p).counts[0][0]; });
}

}  // namespace

BENCHMARK(BM_BrightnessContrast)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Invert)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Desaturate)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_AutoLevels)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FloydSteinberg)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OrderedDither)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Histograms)->Unit(benchmark::kMillisecond)->UseRealTime();
