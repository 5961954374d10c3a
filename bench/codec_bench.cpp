// JPEG and TIFF decode and encode of a 4000 x 3000 picture through memory streams,
// and the quarter turn that TIFF orientation uses.
#include <benchmark/benchmark.h>

#include "core/ImageStream.h"
#include "core/NyZazo.h"
#include "BenchPicture.h"
#include "core/Orientation.h"

using namespace quillory;

namespace {

using bench::BigPicture;
using bench::kHeight;
using bench::kWidth;

void Encode(benchmark::State& state, int code) {
    NyZazo& p = BigPicture();
    for (auto _ : state) {
        ImageStream s(ImageStream::kMemory);
        benchmark::DoNotOptimize(p.Encode(s, code));
    }
}

void Decode(benchmark::State& state, int code) {
    ImageStream encoded(ImageStream::kMemory);
    if (!BigPicture().Encode(encoded, code)) state.SkipWithError("encode failed");
    for (auto _ : state) {
        ImageStream in(encoded.data(), encoded.size());
        NyZazo p;
        benchmark::DoNotOptimize(p.Decode(in, code));
    }
    state.counters["bytes"] = double(encoded.size());
}

void BM_JpegEncode(benchmark::State& state) { Encode(state, 0); }
void BM_JpegDecode(benchmark::State& state) { Decode(state, 0); }
void BM_TiffEncode(benchmark::State& state) { Encode(state, 3); }
void BM_TiffDecode(benchmark::State& state) { Decode(state, 3); }
BENCHMARK(BM_JpegEncode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TiffEncode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TiffDecode)->Unit(benchmark::kMillisecond);

void BM_RotateClockwise(benchmark::State& state) {
    NyZazo p(BigPicture(), true);
    for (auto _ : state) benchmark::DoNotOptimize(RotateClockwise(p));
}
BENCHMARK(BM_RotateClockwise)->Unit(benchmark::kMillisecond);

}  // namespace
