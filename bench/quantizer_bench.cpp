// Colour reduction: the octree quantizer, the nearest-palette mapping and the
// whole 8-bit reduction ("8 비트 컬러 표현") on the peers' 4000 × 3000 photograph
// (see PeerPicture.h), and the nearest-palette search against the plain one.
#include <benchmark/benchmark.h>

#include <vector>

#include "PeerPicture.h"
#include "core/NearestPalette.h"
#include "core/NyZazo.h"
#include "processing/ColourDepth.h"
#include "processing/Quantizer.h"

using namespace quillory;

namespace {

const std::vector<RGBQUAD>& PhotoPalette() {
    static std::vector<RGBQUAD> palette;
    if (palette.empty()) {
        palette.resize(256);
        if (!OctreePalette(ViewOf(bench::PeerPhoto()), palette.data())) palette.assign(256, RGBQUAD{});
    }
    return palette;
}

void Pixels(benchmark::State& state) {
    const NyZazo& p = bench::PeerPhoto();
    state.SetItemsProcessed(int64_t(state.iterations()) * p.Width() * p.Height());
}

void BM_OctreePalette(benchmark::State& state) {
    const NyZazo& p = bench::PeerPhoto();
    for (auto _ : state) {
        RGBQUAD table[256];
        benchmark::DoNotOptimize(OctreePalette(ViewOf(p), table));
    }
    Pixels(state);
}
BENCHMARK(BM_OctreePalette)->Unit(benchmark::kMillisecond);

void BM_IndexPlane(benchmark::State& state) {
    const NyZazo& p = bench::PeerPhoto();
    std::vector<uint8_t> out(size_t(p.Width()) * p.Height());
    for (auto _ : state)
        benchmark::DoNotOptimize(IndexPlane(ViewOf(p), PhotoPalette().data(), 256, out.data(), uint32_t(p.Width())));
    Pixels(state);
}
BENCHMARK(BM_IndexPlane)->Unit(benchmark::kMillisecond);

// The whole reduction, compared with Pillow's quantize(256, FASTOCTREE, dither NONE).
void BM_ReduceToEightBits(benchmark::State& state) {
    const NyZazo& p = bench::PeerPhoto();
    for (auto _ : state) {
        NyZazo eight;
        benchmark::DoNotOptimize(ReduceToEightBits(p, eight));
    }
    Pixels(state);
}
BENCHMARK(BM_ReduceToEightBits)->Unit(benchmark::kMillisecond);

// One million colours of the photograph, mapped by the structure and by the plain search.
void BM_NearestPalette(benchmark::State& state) {
    const NyZazo& p = bench::PeerPhoto();
    const int n = 1 << 20;
    std::vector<uint8_t> out(n);
    for (auto _ : state) {
        NearestPalette nearest(PhotoPalette().data(), 256);
        nearest.MapPixels(p.bits, 3, n, out.data());
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * n);
}
BENCHMARK(BM_NearestPalette)->Unit(benchmark::kMillisecond);

void BM_NearestPaletteIndexPlain(benchmark::State& state) {
    const NyZazo& p = bench::PeerPhoto();
    const int n = 1 << 16;
    std::vector<uint8_t> out(n);
    for (auto _ : state) {
        for (int i = 0; i < n; ++i) {
            const uint8_t* px = p.bits + 3 * size_t(i);
            out[i] = NearestPaletteIndex(PhotoPalette().data(), 256, RGBQUAD{px[0], px[1], px[2], 0});
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * n);
}
BENCHMARK(BM_NearestPaletteIndexPlain)->Unit(benchmark::kMillisecond);

}  // namespace
