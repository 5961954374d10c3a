// GIF encoding and decoding of a 1024 x 768 8-bit picture with runs and noise.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "core/ImageStream.h"
#include "core/NyZazo.h"

using namespace quillory;

namespace {

void Fill(NyZazo& p) {
    uint32_t state = 1;
    for (int y = 0; y < p.Height(); ++y) {
        uint8_t* row = p.Row(y);
        for (int x = 0; x < p.Width(); ++x) {
            state = state * 214013u + 2531011u;
            row[x] = (y & 1) ? uint8_t((x / 16 + y / 8) & 0xFF) : uint8_t((state >> 16) & 0x3F);
        }
    }
    for (int i = 0; i < 256; ++i) p.SetPaletteColour(i, uint8_t(i), uint8_t(i * 3), uint8_t(255 - i));
}

void BM_GifEncode(benchmark::State& state) {
    NyZazo picture(1024, 768, 8, 1);
    Fill(picture);
    for (auto _ : state) {
        ImageStream out(ImageStream::kMemory);
        benchmark::DoNotOptimize(picture.Encode(out, 2));
    }
    state.SetItemsProcessed(state.iterations() * 1024 * 768);
}
BENCHMARK(BM_GifEncode);

void BM_GifDecode(benchmark::State& state) {
    NyZazo picture(1024, 768, 8, 1);
    Fill(picture);
    ImageStream out(ImageStream::kMemory);
    if (!picture.Encode(out, 2)) state.SkipWithError("encode failed");
    std::vector<uint8_t> bytes(out.data(), out.data() + out.size());
    for (auto _ : state) {
        ImageStream in(bytes.data(), uint32_t(bytes.size()));
        NyZazo back;
        benchmark::DoNotOptimize(back.Decode(in, 2));
    }
    state.SetItemsProcessed(state.iterations() * 1024 * 768);
}
BENCHMARK(BM_GifDecode);

}  // namespace
