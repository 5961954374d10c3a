#include "view/tools/DropTool.h"

#include <algorithm>
#include <cmath>

#include "document/CVandDoc.h"
#include "document/ToolTexts.h"

namespace quillory {

void PutDrop(LayerCanvas& canvas, LayerPoint at, int size, int spread) {
    if (!canvas.Inside(at.x, at.row) || canvas.Opacity(at.x, at.row) == 0) return;
    const RGBQUAD p = canvas.Colour(at.x, at.row);
    const int s = size <= kMaxStampSize ? std::max(1, size) : 50;
    const int r = 2 * s;
    const double reach = r * std::sqrt(2.0) * std::clamp(spread, 1, 100) / double(kDropSpreadStart);
    for (int row = at.row - r; row < at.row + r; ++row)
        for (int x = at.x - r; x < at.x + r; ++x) {
            if (!canvas.Paintable(x, row)) continue;
            const double d = std::hypot(double(x - at.x), double(row - at.row));
            const double k = std::min(1.0, 1.5 * d / reach);
            if (k >= 1.0) continue;
            const RGBQUAD q = canvas.Colour(x, row);
            auto mix = [&](uint8_t qc, uint8_t pc) { return uint8_t(int(qc * k + pc * (1.0 - k))); };
            // The drop moves colour only; the pixel keeps its opacity.
            canvas.SetColour(x, row, RGBQUAD{mix(q.blue, p.blue), mix(q.green, p.green), mix(q.red, p.red), 0});
        }
}

bool DropTool::Press(ToolContext& context, const ToolEvent& event) {
    m_pressed = true;
    return Move(context, event);
}

bool DropTool::Move(ToolContext& context, const ToolEvent& event) {
    if (!m_pressed) return false;
    LayerCanvas canvas;
    if (!canvas.Open(context)) {
        m_pressed = false;
        return false;
    }
    PutDrop(canvas, ToLayerPoint(context.document, event.pictureX, event.pictureY), context.brushSize,
            context.toolValue1 > 0 ? context.toolValue1 : kDropSpreadStart);
    return true;
}

bool DropTool::Release(ToolContext& context, const ToolEvent&) {
    if (!m_pressed) return false;
    m_pressed = false;
    RecordPaintStep(context.document, texts::kStepDrop);
    context.ReportChange({});  // the moves painted; the step only records them
    return true;
}

}  // namespace quillory
