#include "view/FreeTransformTool.h"

#include <cmath>

#include "core/CommandIds.h"
#include "document/CVandDoc.h"
#include "document/LayerPlanes.h"
#include "document/TransformCommands.h"

namespace quillory {

namespace {

// The horizontal neighbour shares a corner's row (0–1, 3–2), the vertical one its column (0–3, 1–2).
constexpr int kAcross[4] = {1, 0, 3, 2};
constexpr int kAlong[4] = {3, 2, 1, 0};

bool SessionCurrent(const TransformSession& s, const CVandDoc& d, int command) {
    return s.IsFor(d) && s.command == command && s.slot == d.CurrentLayer();
}

}  // namespace

void StartFreeTransform(TransformSession& session, const CVandDoc& document, int command) {
    session = TransformSession{};
    const int slot = document.CurrentLayer();
    if (!document.IsLayerInList(slot)) return;
    session.document = &document;
    session.command = command;
    session.slot = slot;
    session.quad = Quad::OfLayer(document.Layer(slot).width, document.Layer(slot).height);
}

HandlePoint HandleWindowPoint(const TransformSession& s, const CVandDoc& d, const ViewState& view, int corner) {
    const CanvasRect rect = LayerCanvasRect(d.Layer(s.slot), d.Header());
    return HandlePoint{(rect.left + s.quad.x[corner] + 0.5) * view.zoom - view.scrollX + view.pictureRect.left,
                       (rect.top + s.quad.y[corner] + 0.5) * view.zoom - view.scrollY + view.pictureRect.top};
}

void WindowToLayer(const CVandDoc& d, int slot, const ViewState& view, int windowX, int windowY, double& x, double& y) {
    const CanvasRect rect = LayerCanvasRect(d.Layer(slot), d.Header());
    x = (windowX + view.scrollX - view.pictureRect.left) / double(view.zoom) - 0.5 - rect.left;
    y = (windowY + view.scrollY - view.pictureRect.top) / double(view.zoom) - 0.5 - rect.top;
}

void MoveCorner(Quad& q, int command, int k, double x, double y) {
    const double dx = x - q.x[k], dy = y - q.y[k];
    q.x[k] = x, q.y[k] = y;
    if (command == cmd::kToolScale) {
        q.y[kAcross[k]] = y;
        q.x[kAlong[k]] = x;
    } else if (command == cmd::kToolPerspective) {
        q.x[kAcross[k]] -= dx;
        q.y[kAlong[k]] -= dy;
    }
}

bool FreeTransformTool::Press(ToolContext& context, const ToolEvent& event) {
    if (!context.panels) return false;
    TransformSession& s = context.panels->transform;
    if (!SessionCurrent(s, context.document, context.currentTool)) {
        StartFreeTransform(s, context.document, context.currentTool);
        if (!s.IsFor(context.document)) return false;
    }
    m_grabbed = -1;
    double best = kHandleReach * kHandleReach + 1;
    for (int k = 0; k < 4; ++k) {
        const HandlePoint h = HandleWindowPoint(s, context.document, context.view, k);
        const double d = (h.x - event.windowX) * (h.x - event.windowX) + (h.y - event.windowY) * (h.y - event.windowY);
        if (d < best) best = d, m_grabbed = k;
    }
    if (m_grabbed >= 0) {
        double x, y;
        WindowToLayer(context.document, s.slot, context.view, event.windowX, event.windowY, x, y);
        m_offsetX = s.quad.x[m_grabbed] - x;
        m_offsetY = s.quad.y[m_grabbed] - y;
    }
    context.panels->Changed();
    return true;
}

bool FreeTransformTool::Move(ToolContext& context, const ToolEvent& event) {
    if (m_grabbed < 0 || !context.panels) return false;
    TransformSession& s = context.panels->transform;
    if (!SessionCurrent(s, context.document, context.currentTool)) return false;
    double x, y;
    WindowToLayer(context.document, s.slot, context.view, event.windowX, event.windowY, x, y);
    // Corners sit on whole pixels, like the handles the user sees.
    MoveCorner(s.quad, s.command, m_grabbed, std::round(x + m_offsetX), std::round(y + m_offsetY));
    context.panels->Changed();
    return true;
}

bool FreeTransformTool::Release(ToolContext&, const ToolEvent&) {
    const bool was = m_grabbed >= 0;
    m_grabbed = -1;
    return was;
}

bool FreeTransformTool::DoubleClick(ToolContext& context, const ToolEvent&) {
    if (!context.panels) return false;
    TransformSession& s = context.panels->transform;
    if (!SessionCurrent(s, context.document, context.currentTool)) return false;
    // Applied or refused, the handles then sit on the corners of the layer as it is.
    ApplyFreeTransform(context.document, s.command, s.quad);
    StartFreeTransform(s, context.document, s.command);
    context.panels->Changed();
    return true;
}

}  // namespace quillory
