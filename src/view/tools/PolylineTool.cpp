#include "view/tools/PolylineTool.h"

#include "document/CVandDoc.h"
#include "document/ToolTexts.h"

namespace quillory {

bool PolylineTool::Press(ToolContext& context, const ToolEvent& event) {
    bool drawn = false;
    if (m_hasPrevious) {
        LayerCanvas canvas;
        if (!canvas.Open(context)) return false;
        StampLine(canvas, ToLayerPoint(context.document, m_previousX, m_previousY),
                  ToLayerPoint(context.document, event.pictureX, event.pictureY), StrokeStyle(context));
        RecordPaintStep(context.document, texts::kStepPolyline);
        drawn = true;
    }
    m_hasPrevious = true;
    m_previousX = m_pointerX = event.pictureX;
    m_previousY = m_pointerY = event.pictureY;
    return drawn;
}

bool PolylineTool::Move(ToolContext&, const ToolEvent& event) {
    m_pointerX = event.pictureX, m_pointerY = event.pictureY;
    return false;
}

ToolOverlay PolylineTool::Overlay() const {
    if (!m_hasPrevious) return {};
    return ToolOverlay{ToolOverlay::Shape::Line, {{m_previousX, m_previousY}, {m_pointerX, m_pointerY}}};
}

}  // namespace quillory
