#include "view/tools/LineTool.h"

#include "document/CVandDoc.h"
#include "document/ToolTexts.h"

namespace quillory {

bool LineTool::Press(ToolContext&, const ToolEvent& event) {
    m_pressed = true;
    m_startX = m_endX = event.pictureX;
    m_startY = m_endY = event.pictureY;
    return false;
}

bool LineTool::Move(ToolContext&, const ToolEvent& event) {
    if (!m_pressed) return false;
    m_endX = event.pictureX, m_endY = event.pictureY;
    return false;
}

bool LineTool::Release(ToolContext& context, const ToolEvent& event) {
    if (!m_pressed) return false;
    m_pressed = false;
    LayerCanvas canvas;
    if (!canvas.Open(context)) return false;
    StampLine(canvas, ToLayerPoint(context.document, m_startX, m_startY),
              ToLayerPoint(context.document, event.pictureX, event.pictureY), StrokeStyle(context));
    RecordPaintStep(context.document, texts::kStepLine);
    return true;
}

ToolOverlay LineTool::Overlay() const {
    if (!m_pressed) return {};
    return ToolOverlay{ToolOverlay::Shape::Line, {{m_startX, m_startY}, {m_endX, m_endY}}};
}

}  // namespace quillory
