#include "view/tools/FreeSelectTool.h"

#include "document/CVandDoc.h"
#include "document/SelectionEditing.h"
#include "view/tools/LayerCanvas.h"

namespace quillory {

bool FreeSelectTool::Press(ToolContext& context, const ToolEvent& event) {
    context.ReportChange({});  // the selection only: the layers show the same
    m_points.clear();
    if (!BeginOutline(context.document)) return false;
    m_pressed = true;
    m_points.emplace_back(event.pictureX, event.pictureY);
    context.document.NotifyChanged();
    return true;
}

bool FreeSelectTool::Move(ToolContext& context, const ToolEvent& event) {
    if (!m_pressed || m_points.back() == std::make_pair(event.pictureX, event.pictureY)) return false;
    const auto [x, y] = m_points.back();
    AddOutlineSegment(context.document, ToLayerPoint(context.document, x, y),
                      ToLayerPoint(context.document, event.pictureX, event.pictureY));
    m_points.emplace_back(event.pictureX, event.pictureY);
    return false;
}

bool FreeSelectTool::Release(ToolContext& context, const ToolEvent& event) {
    if (!m_pressed) return false;
    context.ReportChange({});  // the selection only: the layers show the same
    Move(context, event);
    m_pressed = false;
    const auto [lastX, lastY] = m_points.back();
    const auto [firstX, firstY] = m_points.front();
    if (m_points.size() < 3) {
        ClearSelection(context.document);
        return true;
    }
    return FinishOutline(context.document, ToLayerPoint(context.document, lastX, lastY),
                         ToLayerPoint(context.document, firstX, firstY));
}

ToolOverlay FreeSelectTool::Overlay() const {
    if (m_points.empty()) return {};
    return ToolOverlay{m_pressed ? ToolOverlay::Shape::Polyline : ToolOverlay::Shape::Polygon, m_points};
}

}  // namespace quillory
