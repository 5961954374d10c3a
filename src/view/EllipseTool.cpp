#include "view/EllipseTool.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "core/CommandIds.h"
#include "core/Platform.h"
#include "document/CVandDoc.h"
#include "document/CommandRegistry.h"
#include "document/TransformTexts.h"

namespace quillory {

namespace {

// Which edges a handle moves: −1 the left (top) one, +1 the right (bottom) one, 0 neither.
constexpr int kSideX[kBoxHandleCount] = {-1, 1, 1, -1, 0, 1, 0, -1};
constexpr int kSideY[kBoxHandleCount] = {-1, -1, 1, 1, -1, 0, 1, 0};
constexpr int kEscape = 27;

bool IsCorner(int handle) { return handle >= 0 && handle < 4; }

CanvasRect CurrentRect(const CVandDoc& d) { return LayerCanvasRect(d.Layer(d.CurrentLayer()), d.Header()); }

PictureMapping MappingFor(const ToolContext& c) {
    return MappingOf(c.view, c.document.Header().width, c.document.Header().height);
}

// Whether a layer position lies in a normalised box.
bool Inside(const EllipseBox& b, const LayerPosition& p) {
    return p.x >= b.left && p.x < b.right && p.y >= b.top && p.y < b.bottom;
}

// The pixel edge nearest a layer position.
int Edge(double v) { return int(std::lround(v)); }

}  // namespace

bool StartEllipseTransform(TransformSession& session, const CVandDoc& document) {
    session = TransformSession{};
    const int slot = document.CurrentLayer();
    if (!document.IsLayerInList(slot)) return false;
    const LayerRecord& layer = document.Layer(slot);
    if (layer.kind == LayerKind::Text) return false;
    session.document = &document;
    session.command = cmd::kEllipseTransform;
    session.slot = slot;
    session.box = EllipseBox{0, 0, layer.width, layer.height};
    return true;
}

bool BeginEllipseTransform(TransformSession& session, const CVandDoc& document) {
    if (StartEllipseTransform(session, document)) return true;
    if (document.IsLayerInList(document.CurrentLayer()))
        CurrentPlatform().ShowMessage(texts::kLayerIsTextLayer, MessageKind::Warning);
    return false;
}

bool IsEllipseSessionFor(const TransformSession& s, const CVandDoc& d) {
    return s.IsFor(d) && s.command == cmd::kEllipseTransform && s.slot == d.CurrentLayer() &&
           d.IsLayerInList(s.slot);
}

bool ApplyEllipseTransform(TransformSession& session, CVandDoc& document) {
    if (!IsEllipseSessionFor(session, document)) return false;
    const EllipseBox box = session.box.Normalized();
    if (box.IsEmpty()) return false;
    // The command takes the box by its inclusive corner pixels.
    const CommandParameters parameters{{"left", std::to_string(box.left)},
                                       {"top", std::to_string(box.top)},
                                       {"right", std::to_string(box.right - 1)},
                                       {"bottom", std::to_string(box.bottom - 1)}};
    // A refused box (too large) stays for the user to mend.
    if (!CommandRegistry::Instance().Execute(cmd::kEllipseTransform, document, parameters)) return false;
    session = TransformSession{};
    return true;
}

LayerPosition WindowToLayerPosition(const PictureMapping& m, const CanvasRect& layer, double windowX,
                                    double windowY) {
    if (m.scaleX <= 0 || m.scaleY <= 0) return {};
    return LayerPosition{(windowX - m.originX) / m.scaleX - layer.left, (windowY - m.originY) / m.scaleY - layer.top};
}

HandlePoint BoxHandleWindowPoint(const EllipseBox& box, const CanvasRect& layer, const PictureMapping& m,
                                 int handle) {
    const double x = kSideX[handle] < 0 ? box.left : kSideX[handle] > 0 ? box.right : (box.left + box.right) / 2.0;
    const double y = kSideY[handle] < 0 ? box.top : kSideY[handle] > 0 ? box.bottom : (box.top + box.bottom) / 2.0;
    return HandlePoint{m.originX + (layer.left + x) * m.scaleX, m.originY + (layer.top + y) * m.scaleY};
}

int BoxHandleAt(const EllipseBox& box, const CanvasRect& layer, const PictureMapping& m, double windowX,
                double windowY) {
    int found = -1;
    // On a box too small to tell them apart, the corners come first.
    double best = kHandleReach * kHandleReach + 1;
    for (int k = 0; k < kBoxHandleCount; ++k) {
        const HandlePoint h = BoxHandleWindowPoint(box, layer, m, k);
        const double d = (h.x - windowX) * (h.x - windowX) + (h.y - windowY) * (h.y - windowY);
        if (d < best) best = d, found = k;
    }
    return found;
}

EllipseBox BoxBetween(int anchorX, int anchorY, int x, int y, bool square) {
    if (square) {
        const int side = std::max(std::abs(x - anchorX), std::abs(y - anchorY));
        x = anchorX + (x < anchorX ? -side : side);
        y = anchorY + (y < anchorY ? -side : side);
    }
    return EllipseBox{anchorX, anchorY, x, y};
}

EllipseBox DragBoxHandle(const EllipseBox& box, int handle, int x, int y, bool square) {
    if (handle < 0 || handle >= kBoxHandleCount) return box;
    if (IsCorner(handle)) {
        // The opposite corner stays where it is.
        const int anchorX = kSideX[handle] < 0 ? box.right : box.left;
        const int anchorY = kSideY[handle] < 0 ? box.bottom : box.top;
        const EllipseBox b = BoxBetween(anchorX, anchorY, x, y, square);
        EllipseBox out = box;
        (kSideX[handle] < 0 ? out.left : out.right) = b.right;
        (kSideY[handle] < 0 ? out.top : out.bottom) = b.bottom;
        return out;
    }
    EllipseBox out = box;
    if (kSideX[handle] < 0) out.left = x;
    if (kSideX[handle] > 0) out.right = x;
    if (kSideY[handle] < 0) out.top = y;
    if (kSideY[handle] > 0) out.bottom = y;
    return out;
}

bool EllipseTool::Press(ToolContext& context, const ToolEvent& event) {
    m_drag = Drag::None;
    if (!context.panels) return false;
    TransformSession& s = context.panels->transform;
    if (!IsEllipseSessionFor(s, context.document) && !StartEllipseTransform(s, context.document)) return false;
    const PictureMapping m = MappingFor(context);
    const CanvasRect rect = CurrentRect(context.document);
    const LayerPosition p = WindowToLayerPosition(m, rect, event.windowX, event.windowY);
    s.box = s.box.Normalized();
    m_start = s.box;
    m_pressX = p.x, m_pressY = p.y;
    m_handle = BoxHandleAt(s.box, rect, m, event.windowX, event.windowY);
    if (m_handle >= 0) {
        m_drag = Drag::Handle;
        // The handle keeps its distance from the pointer instead of jumping to it.
        const HandlePoint h = BoxHandleWindowPoint(s.box, rect, m, m_handle);
        const LayerPosition at = WindowToLayerPosition(m, rect, h.x, h.y);
        m_offsetX = at.x - p.x, m_offsetY = at.y - p.y;
    } else if (Inside(s.box, p)) {
        m_drag = Drag::Move;
    } else {
        m_drag = Drag::New;
        s.box = EllipseBox{Edge(p.x), Edge(p.y), Edge(p.x), Edge(p.y)};
    }
    // Only the outline over the picture changes.
    context.ReportChange(IntRect{});
    context.panels->Changed();
    return true;
}

EllipseBox EllipseTool::Dragged(ToolContext& context, const ToolEvent& event) const {
    const LayerPosition p =
        WindowToLayerPosition(MappingFor(context), CurrentRect(context.document), event.windowX, event.windowY);
    switch (m_drag) {
        case Drag::Handle:
            return DragBoxHandle(m_start, m_handle, Edge(p.x + m_offsetX), Edge(p.y + m_offsetY), event.shift);
        case Drag::Move: {
            const int dx = Edge(p.x - m_pressX), dy = Edge(p.y - m_pressY);
            return EllipseBox{m_start.left + dx, m_start.top + dy, m_start.right + dx, m_start.bottom + dy};
        }
        case Drag::New: return BoxBetween(Edge(m_pressX), Edge(m_pressY), Edge(p.x), Edge(p.y), event.shift);
        case Drag::None: break;
    }
    return m_start;
}

bool EllipseTool::Move(ToolContext& context, const ToolEvent& event) {
    if (m_drag == Drag::None || !context.panels) return false;
    TransformSession& s = context.panels->transform;
    if (!IsEllipseSessionFor(s, context.document)) return false;
    s.box = Dragged(context, event);
    context.ReportChange(IntRect{});
    return true;
}

bool EllipseTool::Release(ToolContext& context, const ToolEvent& event) {
    if (m_drag == Drag::None || !context.panels) return false;
    TransformSession& s = context.panels->transform;
    const bool current = IsEllipseSessionFor(s, context.document);
    if (current) {
        const EllipseBox box = Dragged(context, event).Normalized();
        // A click beside the box, or a side dragged onto its opposite, keeps the box there was.
        s.box = box.IsEmpty() ? m_start : box;
    }
    m_drag = Drag::None;
    context.ReportChange(IntRect{});
    return current;
}

bool EllipseTool::DoubleClick(ToolContext& context, const ToolEvent&) {
    m_drag = Drag::None;
    if (!context.panels || !IsEllipseSessionFor(context.panels->transform, context.document)) return false;
    ApplyEllipseTransform(context.panels->transform, context.document);
    context.panels->Changed();
    return true;
}

ToolCursor EllipseTool::CursorAt(ToolContext& context, const ToolEvent& event) {
    static constexpr ToolCursor kHandleCursor[kBoxHandleCount] = {
        ToolCursor::SizeDiagonal,   ToolCursor::SizeAntiDiagonal, ToolCursor::SizeDiagonal,
        ToolCursor::SizeAntiDiagonal, ToolCursor::SizeVertical,   ToolCursor::SizeHorizontal,
        ToolCursor::SizeVertical,   ToolCursor::SizeHorizontal};
    if (m_drag == Drag::Handle) return kHandleCursor[m_handle];
    if (m_drag == Drag::Move) return ToolCursor::Move;
    if (m_drag == Drag::New || !context.panels || !IsEllipseSessionFor(context.panels->transform, context.document))
        return ToolCursor::Default;
    const EllipseBox& box = context.panels->transform.box;
    const PictureMapping m = MappingFor(context);
    const CanvasRect rect = CurrentRect(context.document);
    const int handle = BoxHandleAt(box, rect, m, event.windowX, event.windowY);
    if (handle >= 0) return kHandleCursor[handle];
    return Inside(box, WindowToLayerPosition(m, rect, event.windowX, event.windowY)) ? ToolCursor::Move
                                                                                    : ToolCursor::Default;
}

bool EllipseTool::Key(ToolContext& context, int key) {
    if (!context.panels || !IsEllipseSessionFor(context.panels->transform, context.document)) return false;
    m_drag = Drag::None;
    if (key == '\r') {
        ApplyEllipseTransform(context.panels->transform, context.document);
    } else if (key == kEscape) {
        context.panels->transform = TransformSession{};
        context.ReportChange(IntRect{});
    } else {
        return false;
    }
    context.panels->Changed();
    return true;
}

}  // namespace quillory
