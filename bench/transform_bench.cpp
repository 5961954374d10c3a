// The geometric routines on the 4000 × 3000 24-bit picture: quarter turn, flips,
// a turn by an arbitrary angle (nearest neighbour), 2× area reduction, 2× bilinear
// enlargement, and free transforms: a perspective, a turn and a dented quadrilateral.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "BenchPicture.h"
#include "core/WorkerPool.h"
#include "processing/FlipRotate.h"
#include "processing/FreeTransform.h"
#include "processing/Resample.h"

using namespace quillory;

namespace {

const Planes& BigPlanes() {
    static Planes planes = [] {
        Planes p;
        const NyZazo& picture = bench::BigPicture();
        // Without memory for the planes no benchmark here can run.
        if (!MakePlanes(bench::kWidth, bench::kHeight, PlaneLayout{24, false}, 0, 255, p)) std::abort();
        for (int y = 0; y < bench::kHeight; ++y) std::memcpy(p.Row(y), picture.Row(y), size_t(bench::kWidth) * 3);
        return p;
    }();
    return planes;
}

void BM_Rotate90(benchmark::State& state) {
    const Planes& src = BigPlanes();
    for (auto _ : state) {
        Planes out;
        benchmark::DoNotOptimize(RotatePlanes(src, 90.0f, {}, out));
    }
}
BENCHMARK(BM_Rotate90)->Unit(benchmark::kMillisecond);

void BM_FlipHorizontal(benchmark::State& state) {
    Planes p = BigPlanes();
    for (auto _ : state) FlipHorizontal(p);
}
BENCHMARK(BM_FlipHorizontal)->Unit(benchmark::kMillisecond);

void BM_FlipVertical(benchmark::State& state) {
    Planes p = BigPlanes();
    for (auto _ : state) FlipVertical(p);
}
BENCHMARK(BM_FlipVertical)->Unit(benchmark::kMillisecond);

void BM_Rotate30(benchmark::State& state) {
    const Planes& src = BigPlanes();
    for (auto _ : state) {
        Planes out;
        benchmark::DoNotOptimize(RotatePlanes(src, 30.0f, {}, out));
    }
}
BENCHMARK(BM_Rotate30)->Unit(benchmark::kMillisecond);

void BM_DownscaleArea2x(benchmark::State& state) {
    const Planes& src = BigPlanes();
    for (auto _ : state) {
        Planes out;
        benchmark::DoNotOptimize(ResizePlanes(src, {}, bench::kWidth / 2, bench::kHeight / 2, out));
    }
}
BENCHMARK(BM_DownscaleArea2x)->Unit(benchmark::kMillisecond);

void BM_UpscaleBilinear2x(benchmark::State& state) {
    const Planes& src = BigPlanes();
    for (auto _ : state) {
        Planes out;
        benchmark::DoNotOptimize(ResizePlanes(src, {}, bench::kWidth * 2, bench::kHeight * 2, out));
    }
}
BENCHMARK(BM_UpscaleBilinear2x)->Unit(benchmark::kMillisecond);

// The free transform sweeps bands of rows on the shared pool: these figures are
// one thread unless the argument says otherwise.
class PoolThreads {
public:
    explicit PoolThreads(int threads) : m_before(WorkerPool::Shared().Threads()) { WorkerPool::Shared().SetThreads(threads); }
    ~PoolThreads() { WorkerPool::Shared().SetThreads(m_before); }

private:
    int m_before;
};

void BM_FreeTransformPerspective(benchmark::State& state) {
    const PoolThreads threads(int(state.range(0)));
    const Planes& src = BigPlanes();
    Quad quad = Quad::OfLayer(bench::kWidth, bench::kHeight);
    // The top side drawn in by a tenth on each end: a perspective view of the picture.
    quad.x[0] = bench::kWidth / 10.0;
    quad.x[1] = bench::kWidth - 1 - bench::kWidth / 10.0;
    for (auto _ : state) {
        MappedPlanes out;
        benchmark::DoNotOptimize(FreeTransformPlanes(src, {}, quad, out));
    }
}
// Thread count 1 (CPU time) and 2 (wall time, both cores).
BENCHMARK(BM_FreeTransformPerspective)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FreeTransformPerspective)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_FreeTransformTurned(benchmark::State& state) {
    const PoolThreads threads(1);
    const Planes& src = BigPlanes();
    // The layer's corners turned by 30° about its top-left corner.
    const Quad plain = Quad::OfLayer(bench::kWidth, bench::kHeight);
    const double c = std::cos(0.5235987755982988), s = std::sin(0.5235987755982988);
    Quad quad;
    for (int k = 0; k < 4; ++k) quad.x[k] = plain.x[k] * c - plain.y[k] * s, quad.y[k] = plain.x[k] * s + plain.y[k] * c;
    for (auto _ : state) {
        MappedPlanes out;
        benchmark::DoNotOptimize(FreeTransformPlanes(src, {}, quad, out));
    }
}
BENCHMARK(BM_FreeTransformTurned)->Unit(benchmark::kMillisecond);

void BM_FreeTransformDented(benchmark::State& state) {
    const PoolThreads threads(1);
    const Planes& src = BigPlanes();
    // The bottom-right corner pushed in past the diagonal: a quadrilateral that is not convex.
    Quad quad = Quad::OfLayer(bench::kWidth, bench::kHeight);
    quad.x[2] = bench::kWidth * 0.45, quad.y[2] = bench::kHeight * 0.45;
    for (auto _ : state) {
        MappedPlanes out;
        benchmark::DoNotOptimize(FreeTransformPlanes(src, {}, quad, out));
    }
}
BENCHMARK(BM_FreeTransformDented)->Unit(benchmark::kMillisecond);

}  // namespace
