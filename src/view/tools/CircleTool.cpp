#include "view/tools/CircleTool.h"

#include <cmath>

#include "document/CVandDoc.h"
#include "document/ToolTexts.h"
#include "processing/LineStepping.h"

namespace quillory {

void StampCircle(LayerCanvas& canvas, LayerPoint centre, int radius, const StampStyle& style) {
    TraceRing(radius, [&](int dx, int dy) { Stamp(canvas, centre.x + dx, centre.row + dy, style); });
}

bool CircleTool::Press(ToolContext&, const ToolEvent& event) {
    m_pressed = true;
    m_startX = m_endX = event.pictureX;
    m_startY = m_endY = event.pictureY;
    return false;
}

bool CircleTool::Move(ToolContext&, const ToolEvent& event) {
    if (!m_pressed) return false;
    m_endX = event.pictureX, m_endY = event.pictureY;
    return false;
}

bool CircleTool::Release(ToolContext& context, const ToolEvent& event) {
    if (!m_pressed) return false;
    m_pressed = false;
    LayerCanvas canvas;
    if (!canvas.Open(context)) return false;
    const double dx = event.pictureX - m_startX, dy = event.pictureY - m_startY;
    const int radius = int(std::sqrt(dx * dx + dy * dy));
    StampStyle style = StrokeStyle(context);
    style.soft = true;
    StampCircle(canvas, ToLayerPoint(context.document, event.pictureX, event.pictureY), radius, style);
    RecordPaintStep(context.document, texts::kStepCircle);
    return true;
}

ToolOverlay CircleTool::Overlay() const {
    if (!m_pressed) return {};
    return ToolOverlay{ToolOverlay::Shape::Circle, {{m_endX, m_endY}, {m_startX, m_startY}}};
}

}  // namespace quillory
