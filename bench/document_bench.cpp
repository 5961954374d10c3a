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
