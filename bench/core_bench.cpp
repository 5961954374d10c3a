// BMP decode and encode of a 4000 × 3000 picture, and pixel accessors against row loops.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "core/ImageStream.h"
#include "core/NyZazo.h"
#include "BenchPicture.h"

using namespace quillory;

namespace {

using bench::BigPicture;
using bench::kHeight;
using bench::kWidth;

void BM_BmpEncodeMemory(benchmark::State& state) {
    NyZazo& p = BigPicture();
    for (auto _ : state) {
        ImageStream s(ImageStream::kMemory);
        benchmark::DoNotOptimize(p.Encode(s, 1));
    }
}
BENCHMARK(BM_BmpEncodeMemory)->Unit(benchmark::kMillisecond);

void BM_BmpDecodeMemory(benchmark::State& state) {
    ImageStream s(ImageStream::kMemory);
    (void)BigPicture().Encode(s, 1);
    for (auto _ : state) {
        ImageStream in(s.data(), s.size());
        NyZazo p;
        benchmark::DoNotOptimize(p.Decode(in, 1));
    }
}
BENCHMARK(BM_BmpDecodeMemory)->Unit(benchmark::kMillisecond);

std::string TempBmp() { return (std::filesystem::temp_directory_path() / "quillory-bench.bmp").string(); }

void BM_BmpSaveFile(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(BigPicture().Save(TempBmp(), 1));
    std::filesystem::remove(TempBmp());
}
BENCHMARK(BM_BmpSaveFile)->Unit(benchmark::kMillisecond);

void BM_BmpLoadFile(benchmark::State& state) {
    (void)BigPicture().Save(TempBmp(), 1);
    for (auto _ : state) {
        NyZazo p;
        benchmark::DoNotOptimize(p.Load(TempBmp(), 1));
    }
    std::filesystem::remove(TempBmp());
}
BENCHMARK(BM_BmpLoadFile)->Unit(benchmark::kMillisecond);

void BM_InvertWithAccessors(benchmark::State& state) {
    NyZazo& p = BigPicture();
    for (auto _ : state) {
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                RGBQUAD c = p.GetPixelColour(x, y);
                p.SetPixelColour(x, y, RGBQUAD{uint8_t(~c.blue), uint8_t(~c.green), uint8_t(~c.red), 0});
            }
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_InvertWithAccessors)->Unit(benchmark::kMillisecond);

void BM_InvertWithRows(benchmark::State& state) {
    NyZazo& p = BigPicture();
    for (auto _ : state) {
        for (int y = 0; y < kHeight; ++y) {
            uint8_t* row = p.Row(y);
            for (int i = 0; i < kWidth * 3; ++i) row[i] = uint8_t(~row[i]);
        }
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_InvertWithRows)->Unit(benchmark::kMillisecond);

}  // namespace
