// Octree quantizer and the 8-bit reduction on a 2000 × 1500 photograph-like picture.
#include <benchmark/benchmark.h>

#include <vector>

#include "core/NyZazo.h"
#include "processing/ColourDepth.h"
#include "processing/Quantizer.h"

using namespace quillory;

namespace {

constexpr int kWidth = 2000;
constexpr int kHeight = 1500;

const NyZazo& Picture() {
    static NyZazo picture(kWidth, kHeight, 24, 1);
    static bool filled = false;
    if (!filled) {
        uint32_t seed = 1;
        for (int y = 0; y < kHeight; ++y) {
            uint8_t* row = picture.Row(y);
            for (int x = 0; x < kWidth; ++x) {
                seed = seed * 214013u + 2531011u;
                int noise = int((seed >> 16) & 15);
                row[x * 3] = uint8_t((x * 255 / kWidth + noise) & 255);
                row[x * 3 + 1] = uint8_t((y * 255 / kHeight + noise) & 255);
                row[x * 3 + 2] = uint8_t(((x + y) / 15 + noise) & 255);
            }
        }
        filled = true;
    }
    return picture;
}

void BM_QuantizerProcessImage(benchmark::State& state) {
    const NyZazo& p = Picture();
    for (auto _ : state) {
        CQuantizer q(256, 8);
        benchmark::DoNotOptimize(q.ProcessImage(p));
        std::vector<RGBQUAD> table(256);
        q.GetColorTable(table.data());
        benchmark::DoNotOptimize(table.data());
    }
}
BENCHMARK(BM_QuantizerProcessImage)->Unit(benchmark::kMillisecond);

void BM_ReduceToEightBits(benchmark::State& state) {
    const NyZazo& p = Picture();
    for (auto _ : state) {
        NyZazo eight;
        benchmark::DoNotOptimize(ReduceToEightBits(p, eight));
    }
}
BENCHMARK(BM_ReduceToEightBits)->Unit(benchmark::kMillisecond);

}  // namespace
