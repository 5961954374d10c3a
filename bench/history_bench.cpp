// The undo history on a 4000 × 3000 layer: what the first step costs an open
// (against the bare decode of the same JPEG file), recording one step, the first
// step after opening (which stores the opened state), undo, redo and the disk 20
// steps take; and the shadow computation on the same layer.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "BenchPicture.h"
#include "core/FormatCodes.h"
#include "core/NyZazo.h"
#include "document/CVandDoc.h"
#include "document/ShadowEffect.h"
#include "document/UndoHistory.h"

using namespace quillory;

namespace {

constexpr int kWidth = bench::kWidth;
constexpr int kHeight = bench::kHeight;

// The benchmark picture as a JPEG file, written once per run.
const std::string& JpegFile() {
    static const std::string path = [] {
        const std::string file = "/tmp/quillory-history-bench-" + std::to_string(getpid()) + ".jpg";
        bench::BigPicture().Save(file, kFormatJpeg);
        std::atexit([] { ::unlink(("/tmp/quillory-history-bench-" + std::to_string(getpid()) + ".jpg").c_str()); });
        return file;
    }();
    return path;
}

// "photo": every pixel differs (no block repeats); "blank": a new white layer.
std::unique_ptr<CVandDoc> MakeDocument(bool photo) {
    auto doc = std::make_unique<CVandDoc>();
    NewPictureSettings settings;
    settings.width = kWidth;
    settings.height = kHeight;
    if (!doc->NewDocument(settings)) return nullptr;
    if (photo) {
        LayerRecord& layer = doc->Layer(0);
        uint32_t state = 12345;
        for (int y = 0; y < layer.height; ++y) {
            uint8_t* row = layer.PixelRow(y);
            for (int x = 0; x < layer.width * 3; ++x) {
                state = state * 214013u + 2531011u;
                row[x] = uint8_t((x / 3 + y) / 24 + ((state >> 16) & 15));
            }
        }
        doc->RecordStep("채우기", StepCode::Pixels);
    }
    return doc;
}

void Stroke(CVandDoc& doc, int seed) {
    LayerRecord& layer = doc.Layer(doc.CurrentLayer());
    for (int k = 0; k < 200; ++k) {
        const int x = (seed * 37 + k * 11) % layer.width, y = (seed * 13 + k * 7) % layer.height;
        layer.PixelRow(y)[3 * x] = uint8_t(seed + k);
    }
    doc.RecordStep("붓그리기", StepCode::Pixels);
}

void BM_DecodeJpegFile(benchmark::State& state) {
    for (auto _ : state) {
        NyZazo picture;
        benchmark::DoNotOptimize(picture.Load(JpegFile(), kFormatJpeg));
    }
}
BENCHMARK(BM_DecodeJpegFile)->Unit(benchmark::kMillisecond);

// The whole open of the same file into a one-layer document, its first step included.
void BM_OpenJpegDocument(benchmark::State& state) {
    for (auto _ : state) {
        auto doc = std::make_unique<CVandDoc>();
        benchmark::DoNotOptimize(doc->OpenDocument(JpegFile()));
        state.PauseTiming();
        doc.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenJpegDocument)->Unit(benchmark::kMillisecond);

// The first step alone, as an open records it.
void BM_OpeningStep(benchmark::State& state) {
    auto doc = std::make_unique<CVandDoc>();
    if (!doc->OpenDocument(JpegFile())) state.SkipWithError("open failed");
    for (auto _ : state) {
        state.PauseTiming();
        doc->Snapshots().Clear();  // a fresh committed copy, as after a real open
        state.ResumeTiming();
        doc->RecordStep("Opening....", StepCode::Pixels);
    }
}
BENCHMARK(BM_OpeningStep)->Unit(benchmark::kMillisecond);

// The first stroke after opening: it stores the opened picture's planes.
void BM_FirstStepAfterOpening(benchmark::State& state) {
    auto doc = std::make_unique<CVandDoc>();
    if (!doc->OpenDocument(JpegFile())) state.SkipWithError("open failed");
    int seed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        doc->RecordStep("Opening....", StepCode::Pixels);
        state.ResumeTiming();
        Stroke(*doc, ++seed);
    }
}
BENCHMARK(BM_FirstStepAfterOpening)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_RecordStep(benchmark::State& state) {
    auto doc = MakeDocument(state.range(0) == 1);
    Stroke(*doc, 0);
    int seed = 0;
    for (auto _ : state) Stroke(*doc, ++seed);
    state.SetLabel(state.range(0) == 1 ? "photo" : "blank");
}
BENCHMARK(BM_RecordStep)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(25);

void BM_Undo(benchmark::State& state) {
    auto doc = MakeDocument(true);
    for (int s = 1; s <= 10; ++s) Stroke(*doc, s);
    UndoHistory& history = doc->History();
    for (auto _ : state) {
        if (!history.CanUndo()) {
            state.PauseTiming();
            while (history.CanRedo()) history.Redo();
            state.ResumeTiming();
        }
        benchmark::DoNotOptimize(history.Undo());
    }
}
BENCHMARK(BM_Undo)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_Redo(benchmark::State& state) {
    auto doc = MakeDocument(true);
    for (int s = 1; s <= 10; ++s) Stroke(*doc, s);
    UndoHistory& history = doc->History();
    while (history.StepPosition() > 1) history.Undo();
    for (auto _ : state) {
        if (!history.CanRedo()) {
            state.PauseTiming();
            while (history.StepPosition() > 1) history.Undo();
            state.ResumeTiming();
        }
        benchmark::DoNotOptimize(history.Redo());
    }
}
BENCHMARK(BM_Redo)->Unit(benchmark::kMillisecond)->Iterations(20);

// Records 20 more steps (rolling off the oldest) and reports the files' size.
void BM_TwentyStepsOnDisk(benchmark::State& state) {
    auto doc = MakeDocument(state.range(0) == 1);
    for (auto _ : state)
        for (int s = 1; s <= 20; ++s) Stroke(*doc, s);
    state.counters["MiB"] = double(doc->History().Store()->DiskBytes()) / (1 << 20);
    state.SetLabel(state.range(0) == 1 ? "photo" : "blank");
}
BENCHMARK(BM_TwentyStepsOnDisk)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_ComputeShadow(benchmark::State& state) {
    LayerRecord layer;
    layer.width = kWidth;
    layer.height = kHeight;
    layer.planeSize = kWidth * kHeight;
    layer.alpha.assign(size_t(layer.planeSize), 0);
    layer.effect.assign(size_t(layer.planeSize), 0);
    for (int y = 1000; y < 2000; ++y)
        for (int x = 1000; x < 3000; ++x) layer.alpha[size_t(y) * kWidth + x] = 255;
    layer.effectSize = uint8_t(state.range(0));
    for (auto _ : state) {
        ComputeShadow(layer);
        benchmark::DoNotOptimize(layer.effect.data());
    }
}
BENCHMARK(BM_ComputeShadow)->Arg(3)->Arg(17)->Unit(benchmark::kMillisecond);

}  // namespace
