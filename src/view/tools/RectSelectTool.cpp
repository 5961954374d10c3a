#include "view/tools/RectSelectTool.h"

#include "document/CVandDoc.h"
#include "document/SelectionEditing.h"
#include "view/tools/LayerCanvas.h"

namespace quillory {

bool RectSelectTool::Press(ToolContext& context, const ToolEvent& event) {
    context.ReportChange({});  // the selection only: the layers show the same
    m_pressed = true;
    m_startX = m_endX = event.pictureX;
    m_startY = m_endY = event.pictureY;
    ClearSelection(context.document);
    return true;
}

bool RectSelectTool::Move(ToolContext&, const ToolEvent& event) {
    if (!m_pressed) return false;
    m_endX = event.pictureX, m_endY = event.pictureY;
    return false;
}

bool RectSelectTool::Release(ToolContext& context, const ToolEvent& event) {
    if (!m_pressed) return false;
    m_pressed = false;
    context.ReportChange({});  // the selection only: the layers show the same
    if (event.pictureX == m_startX && event.pictureY == m_startY) {
        ClearSelection(context.document);
        return true;
    }
    return SelectRectangle(context.document, ToLayerPoint(context.document, m_startX, m_startY),
                           ToLayerPoint(context.document, event.pictureX, event.pictureY));
}

ToolOverlay RectSelectTool::Overlay() const {
    if (!m_pressed) return {};
    return ToolOverlay{ToolOverlay::Shape::Rectangle, {{m_startX, m_startY}, {m_endX, m_endY}}};
}

}  // namespace quillory
