// Blending a 10-layer 4000 × 3000 document into a 1920 × 1080 view buffer at
// zoom 1, 0.5 and 2, and flattening it at full size.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "document/CVandDoc.h"

using namespace quillory;

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;
constexpr int kLayers = 10;

CVandDoc& TenLayers() {
    static std::unique_ptr<CVandDoc> doc;
    if (!doc) {
        doc = std::make_unique<CVandDoc>();
        NewPictureSettings settings;
        settings.width = kWidth;
        settings.height = kHeight;
        doc->NewDocument(settings);
        for (int i = 1; i < kLayers; ++i) doc->InsertLayer(doc->TopLayer());
        uint32_t state = 1;
        for (int i = 0; i < kLayers; ++i) {
            LayerRecord& layer = doc->Layer(i);
            for (auto& b : layer.pixels) b = uint8_t((state = state * 214013u + 2531011u) >> 16);
            // Half the layers opaque, the rest with soft and empty areas.
            for (int y = 0; y < layer.height; ++y) {
                uint8_t* alpha = layer.AlphaRow(y);
                for (int x = 0; x < layer.width; ++x)
                    alpha[x] = i % 2 == 0 ? 255 : uint8_t(((x / 64 + y / 64) % 3) * 120);
            }
            layer.blendMode = uint8_t(i % 3 == 2 ? i % 10 : 0);
            layer.transparency = uint8_t(i * 10);
        }
    }
    return *doc;
}

void BM_BlendIntoView(benchmark::State& state) {
    CVandDoc& doc = TenLayers();
    const double zoom = double(state.range(0)) / 100.0;
    std::vector<uint32_t> buffer(1920 * 1080);
    TargetBuffer target(buffer.data(), 1920, 1080);
    const RenderMapping mapping{zoom, 100, 80};
    for (auto _ : state) {
        doc.Render(target, mapping);
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * 1920 * 1080 * kLayers);
}
BENCHMARK(BM_BlendIntoView)->Arg(100)->Arg(50)->Arg(200)->Unit(benchmark::kMillisecond);

void BM_FlattenForSaving(benchmark::State& state) {
    CVandDoc& doc = TenLayers();
    std::vector<uint32_t> flat;
    for (auto _ : state) {
        doc.FlattenForSaving(flat);
        benchmark::DoNotOptimize(flat.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kWidth * kHeight * kLayers);
}
BENCHMARK(BM_FlattenForSaving)->Unit(benchmark::kMillisecond);

}  // namespace

// Opening a 12-megapixel picture into a document and saving a one-layer document,
// each against the bare decode or encode of the same file. The files go to a
// private temporary folder; the undo history's files go below QUILLORY_HOME.
#include <unistd.h>

#include <filesystem>
#include <string>

#include "BenchPicture.h"
#include "core/FormatCodes.h"

namespace {

std::string BenchFile(int format) {
    static const std::string folder = [] {
        const std::string path = std::filesystem::temp_directory_path() / ("quillory-document-bench-" + std::to_string(getpid()));
        std::filesystem::create_directories(path);
        if (!std::getenv("QUILLORY_HOME")) setenv("QUILLORY_HOME", (path + "/home").c_str(), 1);
        return path;
    }();
    const std::string path = folder + "/picture." + PrimaryExtension(format);
    if (!std::filesystem::exists(path)) quillory::bench::BigPicture().Save(path, format);
    return path;
}

void BM_DecodeBare(benchmark::State& state) {
    const int format = int(state.range(0));
    const std::string path = BenchFile(format);
    for (auto _ : state) {
        NyZazo picture;
        benchmark::DoNotOptimize(picture.Load(path, format));
    }
}
BENCHMARK(BM_DecodeBare)->Arg(kFormatJpeg)->Arg(kFormatBmp)->Unit(benchmark::kMillisecond);

// Decode, the one-layer document and its first history step.
void BM_OpenDocument(benchmark::State& state) {
    const int format = int(state.range(0));
    const std::string path = BenchFile(format);
    for (auto _ : state) {
        CVandDoc document;
        benchmark::DoNotOptimize(document.OpenDocument(path));
    }
}
BENCHMARK(BM_OpenDocument)->Arg(kFormatJpeg)->Arg(kFormatBmp)->Unit(benchmark::kMillisecond);

void BM_EncodeBare(benchmark::State& state) {
    const int format = int(state.range(0));
    const std::string path = BenchFile(format) + ".out." + PrimaryExtension(format);
    NyZazo& picture = quillory::bench::BigPicture();
    for (auto _ : state) benchmark::DoNotOptimize(picture.Save(path, format));
}
BENCHMARK(BM_EncodeBare)->Arg(kFormatJpeg)->Arg(kFormatBmp)->Unit(benchmark::kMillisecond);

void BM_SaveOneLayerDocument(benchmark::State& state) {
    const int format = int(state.range(0));
    const std::string path = BenchFile(format) + ".saved." + PrimaryExtension(format);
    CVandDoc document;
    document.OpenDocument(BenchFile(kFormatBmp));
    for (auto _ : state) benchmark::DoNotOptimize(document.SaveDocument(path));
}
BENCHMARK(BM_SaveOneLayerDocument)->Arg(kFormatJpeg)->Arg(kFormatBmp)->Unit(benchmark::kMillisecond);

}  // namespace
