#include "view/tools/BrushTool.h"

#include "document/CVandDoc.h"
#include "document/ToolTexts.h"

namespace quillory {

void RecordPaintStep(CVandDoc& document, std::string_view name) {
    document.RecordStep(name, StepCode::Pixels);
}

bool BrushTool::Press(ToolContext& context, const ToolEvent& event) {
    LayerCanvas canvas;
    if (!canvas.Open(context)) return false;
    m_pressed = true;
    m_last = ToLayerPoint(context.document, event.pictureX, event.pictureY);
    const StampStyle style = StrokeStyle(context, m_erase);
    Stamp(canvas, m_last.x, m_last.row, style);
    return true;
}

bool BrushTool::Move(ToolContext& context, const ToolEvent& event) {
    if (!m_pressed) return false;
    LayerCanvas canvas;
    if (!canvas.Open(context)) return false;
    const LayerPoint next = ToLayerPoint(context.document, event.pictureX, event.pictureY);
    if (next == m_last) return false;
    StampLine(canvas, m_last, next, StrokeStyle(context, m_erase));
    m_last = next;
    return true;
}

bool BrushTool::Release(ToolContext& context, const ToolEvent& event) {
    if (!m_pressed) return false;
    Move(context, event);
    m_pressed = false;
    RecordPaintStep(context.document, m_erase ? texts::kStepErase : texts::kStepBrush);
    return true;
}

}  // namespace quillory
