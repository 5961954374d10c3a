#include "view/tools/FillTool.h"

#include <cstdlib>
#include <new>
#include <vector>

#include "core/Platform.h"
#include "document/CVandDoc.h"
#include "document/ToolTexts.h"

namespace quillory {

int64_t FloodFill(LayerCanvas& canvas, LayerPoint at, const FillSettings& settings) {
    const int w = canvas.Width(), h = canvas.Height();
    if (!canvas.Paintable(at.x, at.row)) return 0;
    std::vector<uint8_t> visited;
    std::vector<int32_t> stack;
    try {
        visited.assign(size_t(w) * size_t(h), 0);
        stack.reserve(4096);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    const EdgeSpread edge(canvas.Mask(), w, h, settings.spread);
    const bool everything = canvas.Mask().Everything();
    visited[size_t(at.row) * size_t(w) + size_t(at.x)] = 1;
    stack.push_back(at.row * w + at.x);
    const int64_t total = int64_t(w) * h;
    int64_t filled = 0;
    int lastPercent = -1;
    Platform& platform = CurrentPlatform();
    while (!stack.empty()) {
        const int32_t p = stack.back();
        stack.pop_back();
        const int x = p % w, row = p / w;
        const RGBQUAD r = canvas.Colour(x, row);
        // The walk crosses unselected pixels, so parts of a selection joined by the same colour fill
        // together; only selected pixels take the colour.
        if (everything || canvas.MaskAt(x, row) != MaskValue::Outside)
            canvas.Put(x, row, settings.colour, edge.Valid() ? edge.Opacity(x, row) : 255);
        if ((++filled & 0xFFFF) == 0) {
            const int percent = int(filled * 100 / total);
            if (percent != lastPercent) platform.SetProgress(lastPercent = percent);
        }
        for (int dy = 1; dy >= -1; --dy)
            for (int dx = -1; dx <= 1; ++dx) {
                if (dx == 0 && dy == 0) continue;
                const int nx = x + dx, ny = row + dy;
                if (nx < 0 || ny < 0 || nx >= w || ny >= h) continue;
                uint8_t& seen = visited[size_t(ny) * size_t(w) + size_t(nx)];
                if (seen) continue;
                const uint8_t opacity = canvas.Opacity(nx, ny);
                if (opacity != 0) {
                    const RGBQUAD n = canvas.Colour(nx, ny);
                    const int d = std::abs(n.red - r.red) + std::abs(n.green - r.green) + std::abs(n.blue - r.blue);
                    const int f = opacity == 255 ? 1 : 0;
                    if (!(settings.tolerance > f * d)) continue;
                }
                seen = 1;
                stack.push_back(ny * w + nx);
            }
    }
    platform.SetProgress(0);
    return filled;
}

bool FillTool::Press(ToolContext& context, const ToolEvent& event) {
    LayerCanvas canvas;
    if (!canvas.Open(context)) return false;
    FillSettings settings;
    settings.colour = ToolColour(context.foreground);
    settings.tolerance = context.toolValue1;
    settings.spread = context.toolValue2;
    WaitCursor wait;
    if (FloodFill(canvas, ToLayerPoint(context.document, event.pictureX, event.pictureY), settings) == 0) return false;
    RecordPaintStep(context.document, texts::kStepFill);
    return true;
}

}  // namespace quillory
