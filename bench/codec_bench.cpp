// JPEG and TIFF decode and encode of a 4000 x 3000 picture through memory streams,
// and the quarter turn that TIFF orientation uses.
#include <benchmark/benchmark.h>

#include "core/ImageStream.h"
#include "core/NyZazo.h"
#include "core/Orientation.h"

using namespace quillory;

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

// A smooth photograph-like picture: gradients with a little texture.
NyZazo& BigPicture() {
    static NyZazo picture(kWidth, kHeight, 24, 1);
    static bool filled = false;
    if (!filled) {
        for (int y = 0; y < kHeight; ++y) {
            uint8_t* row = picture.Row(y);
            for (int x = 0; x < kWidth; ++x) {
                row[3 * x] = uint8_t(x / 16 + (x * y & 7));
                row[3 * x + 1] = uint8_t(y / 12);
                row[3 * x + 2] = uint8_t((x + y) / 28);
            }
        }
        filled = true;
    }
    return picture;
}

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
