#include "view/tools/PolygonSelectTool.h"

#include "document/CVandDoc.h"
#include "document/SelectionEditing.h"
#include "view/tools/LayerCanvas.h"

namespace quillory {

bool PolygonSelectTool::Press(ToolContext& context, const ToolEvent& event) {
    context.ReportChange({});  // the selection only: the layers show the same
    if (!m_open) {
        m_points.clear();
        if (!BeginOutline(context.document)) return false;
        m_open = true;
    }
    const std::pair<int, int> p{event.pictureX, event.pictureY};
    if (!m_points.empty() && m_points.back() != p)
        AddOutlineSegment(context.document, ToLayerPoint(context.document, m_points.back().first, m_points.back().second),
                          ToLayerPoint(context.document, p.first, p.second));
    if (m_points.empty() || m_points.back() != p) m_points.push_back(p);
    m_pointerX = p.first, m_pointerY = p.second;
    context.document.NotifyChanged();
    return true;
}

bool PolygonSelectTool::Move(ToolContext&, const ToolEvent& event) {
    m_pointerX = event.pictureX, m_pointerY = event.pictureY;
    return false;
}

bool PolygonSelectTool::DoubleClick(ToolContext& context, const ToolEvent& event) {
    if (!m_open) return false;
    Press(context, event);
    m_open = false;
    if (m_points.size() < 3) {
        m_points.clear();
        ClearSelection(context.document);
        return true;
    }
    const auto [lastX, lastY] = m_points.back();
    const auto [firstX, firstY] = m_points.front();
    const bool done = FinishOutline(context.document, ToLayerPoint(context.document, lastX, lastY),
                                    ToLayerPoint(context.document, firstX, firstY));
    return done;
}

ToolOverlay PolygonSelectTool::Overlay() const {
    if (m_points.empty()) return {};
    ToolOverlay overlay{m_open ? ToolOverlay::Shape::Polyline : ToolOverlay::Shape::Polygon, m_points};
    if (m_open) overlay.points.emplace_back(m_pointerX, m_pointerY);
    return overlay;
}

}  // namespace quillory
