#include "view/tools/SprayTool.h"

#include "document/CVandDoc.h"
#include "document/ToolTexts.h"

namespace quillory {

bool SprayTool::Press(ToolContext& context, const ToolEvent& event) {
    m_pressed = true;
    return Move(context, event);
}

bool SprayTool::Move(ToolContext& context, const ToolEvent& event) {
    if (!m_pressed) return false;
    LayerCanvas canvas;
    if (!canvas.Open(context)) {
        m_pressed = false;
        return false;
    }
    StampStyle style;
    style.size = kSprayStampSize;
    style.soft = true;
    style.colour = ToolColour(context.foreground);
    const LayerPoint at = ToLayerPoint(context.document, event.pictureX, event.pictureY);
    Stamp(canvas, at.x, at.row, style);
    return true;
}

bool SprayTool::Release(ToolContext& context, const ToolEvent&) {
    if (!m_pressed) return false;
    m_pressed = false;
    RecordPaintStep(context.document, texts::kStepSpray);
    context.ReportChange({});  // the moves painted; the step only records them
    return true;
}

}  // namespace quillory
