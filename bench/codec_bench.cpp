// JPEG and TIFF decode and encode of a 4000 x 3000 picture through memory streams,
// the quarter turn that TIFF orientation uses, and every codec on the peers' files.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/FormatCodes.h"
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

// The same files the peer benchmarks read (their generated 4000 × 3000 inputs), loaded
// and saved through files as the program does. The folder comes from
// QUILLORY_BENCH_INPUTS (default /tmp/perf); missing files skip.
namespace {

std::string InputPath(const char* name) {
    const char* folder = std::getenv("QUILLORY_BENCH_INPUTS");
    return std::string(folder && *folder ? folder : "/tmp/perf") + "/" + name;
}

void LoadFile(benchmark::State& state, const char* name, int code) {
    const std::string path = InputPath(name);
    {
        NyZazo probe;
        if (!probe.Load(path, code)) {
            state.SkipWithError(("cannot read " + path).c_str());
            return;
        }
    }
    for (auto _ : state) {
        NyZazo p;
        benchmark::DoNotOptimize(p.Load(path, code));
    }
}

void SaveFile(benchmark::State& state, const char* name, int code, const char* out) {
    NyZazo p;
    if (!p.Load(InputPath(name), kFormatBmp)) {
        state.SkipWithError("cannot read the source picture");
        return;
    }
    const std::string target = std::string("/dev/shm/quillory-bench-") + out;
    for (auto _ : state) benchmark::DoNotOptimize(p.Save(target, code));
    std::remove(target.c_str());
}

// Encoding the peers' photograph into memory, as Pillow's figures are taken.
void EncodeMemory(benchmark::State& state, int code) {
    NyZazo p;
    if (!p.Load(InputPath("photo_L.bmp"), kFormatBmp)) {
        state.SkipWithError("cannot read the source picture");
        return;
    }
    for (auto _ : state) {
        ImageStream s(ImageStream::kMemory);
        benchmark::DoNotOptimize(p.Encode(s, code));
    }
}

BENCHMARK_CAPTURE(EncodeMemory, jpeg, kFormatJpeg)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LoadFile, bmp, "photo_L.bmp", kFormatBmp)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LoadFile, jpeg, "photo_L.jpg", kFormatJpeg)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LoadFile, tiff, "photo_L.tif", kFormatTiff)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LoadFile, tiff_lzw, "photo_L_lzw.tif", kFormatTiff)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LoadFile, tiff_jpeg, "photo_L_jpg.tif", kFormatTiff)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LoadFile, gif, "photo_L.gif", kFormatGif)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LoadFile, pcx, "photo_L.pcx", kFormatPcx)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LoadFile, psd, "photo_L.psd", kFormatPsd)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LoadFile, psd_raw, "photo_L_raw.psd", kFormatPsd)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SaveFile, jpeg, "photo_L.bmp", kFormatJpeg, "out.jpg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SaveFile, bmp, "photo_L.bmp", kFormatBmp, "out.bmp")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SaveFile, tiff, "photo_L.bmp", kFormatTiff, "out.tif")->Unit(benchmark::kMillisecond);

}  // namespace
