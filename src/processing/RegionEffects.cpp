#include "processing/RegionEffects.h"

#include <cstdlib>
#include <new>
#include <utility>
#include <vector>

namespace quillory {

bool FlattenRegions(const LayerPlanesView& source, const LayerPlanes& destination, int tolerance,
                    const SelectionMap& selection, FilterProgress& progress) {
    if (!source.IsUsable()) return false;
    static constexpr int kDx[8] = {-1, 0, 1, -1, 1, -1, 0, 1};
    static constexpr int kDy[8] = {-1, -1, -1, 0, 0, 1, 1, 1};
    const int width = source.width, height = source.height;
    std::vector<uint8_t> visited;
    std::vector<std::pair<int, int>> pending;
    try {
        visited.assign(size_t(width) * size_t(height), 0);
        pending.reserve(1024);
    } catch (const std::bad_alloc&) {
        return false;
    }
    auto seen = [&](int x, int y) -> uint8_t& { return visited[size_t(y) * size_t(width) + size_t(x)]; };
    for (int x = 0; x < width; ++x) {
        if (!progress.Step(x, width)) return false;
        for (int y = 0; y < height; ++y) {
            if (!source.Alpha(x, y) || seen(x, y)) continue;
            const RGBQUAD seed = source.Colour(x, y);
            pending.assign(1, {x, y});
            while (!pending.empty()) {
                const auto [px, py] = pending.back();
                pending.pop_back();
                if (!source.IsOpaqueAt(px, py)) continue;
                if (selection.Selected(px, py)) PutColour(destination, px, py, seed);
                seen(px, py) = 1;
                for (int n = 0; n < 8; ++n) {
                    const int nx = px + kDx[n], ny = py + kDy[n];
                    if (!source.IsInside(nx, ny) || seen(nx, ny)) continue;
                    const uint8_t* c = source.Pixel(nx, ny);
                    const int d = std::abs(c[0] - seed.blue) + std::abs(c[1] - seed.green) + std::abs(c[2] - seed.red);
                    if (d > tolerance) continue;
                    seen(nx, ny) = 1;
                    pending.push_back({nx, ny});
                }
            }
        }
    }
    return true;
}

}  // namespace quillory
