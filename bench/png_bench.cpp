// PNG and WebP decode and encode of the peers' 4000 × 3000 photograph. The decoders
// read the files another program wrote (png_peers.sh makes them with Pillow at its
// defaults); the encoders write the photograph at Quillory's defaults into memory, and
// the lossy WebP encoder once more at quality 80, Pillow's default.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "PeerPicture.h"
#include "core/FormatCodes.h"
#include "core/ImageStream.h"
#include "core/NyZazo.h"

using namespace quillory;

namespace {

void Decode(benchmark::State& state, const char* name, int code) {
    const std::string path = bench::PeerDir() + "/" + name;
    for (auto _ : state) {
        NyZazo picture;
        if (!picture.Load(path, code)) {
            state.SkipWithError((path + ": " + picture.lastError).c_str());
            return;
        }
        benchmark::DoNotOptimize(picture.bits);
    }
    // Every benchmark reports the same counter (the file's size): CSV output has one set of columns.
    std::error_code error;
    const auto bytes = std::filesystem::file_size(path, error);
    state.counters["bytes"] = error ? 0.0 : double(bytes);
}

// quality 0 keeps the picture's own quality (the program's default).
void Encode(benchmark::State& state, int code, bool lossless, int quality = 0) {
    NyZazo& photo = bench::PeerPhoto();
    const uint8_t ownQuality = photo.jpegQuality;
    if (quality) photo.jpegQuality = uint8_t(quality);
    photo.webpLossless = lossless ? 1 : 0;
    size_t bytes = 0;
    for (auto _ : state) {
        ImageStream out(ImageStream::kMemory);
        if (!photo.Encode(out, code)) {
            state.SkipWithError(photo.lastError);
            return;
        }
        bytes = out.size();
    }
    photo.webpLossless = 0;
    photo.jpegQuality = ownQuality;
    state.counters["bytes"] = double(bytes);
}

void BM_PngDecode(benchmark::State& state) { Decode(state, "photo_L.png", kFormatPng); }
void BM_PngEncode(benchmark::State& state) { Encode(state, kFormatPng, false); }
void BM_WebpDecode(benchmark::State& state) { Decode(state, "photo_L.webp", kFormatWebp); }
void BM_WebpEncode(benchmark::State& state) { Encode(state, kFormatWebp, false); }
void BM_WebpEncodeQuality80(benchmark::State& state) { Encode(state, kFormatWebp, false, 80); }
void BM_WebpLosslessDecode(benchmark::State& state) { Decode(state, "photo_L_lossless.webp", kFormatWebp); }
void BM_WebpLosslessEncode(benchmark::State& state) { Encode(state, kFormatWebp, true); }
BENCHMARK(BM_PngDecode)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PngEncode)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WebpDecode)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WebpEncode)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WebpEncodeQuality80)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WebpLosslessDecode)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WebpLosslessEncode)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
