#include "view/tools/MoveTool.h"

#include "document/CVandDoc.h"
#include "document/ClipboardCommands.h"
#include "document/LayerPlanes.h"

namespace quillory {

bool MoveLayerOrSelection(CVandDoc& document, int dx, int dy, bool record) {
    DocumentState& state = document.State();
    if (!state.floatingPending && state.selection.selectionActive) LiftSelection(document);
    const bool floating = state.floatingPending != 0;
    if (!document.MoveLayer(dx, dy, record && !floating)) return false;
    const int cur = document.CurrentLayer();
    if (LayerStack::IsValidIndex(cur)) document.Layer(cur).changed = 1;
    return true;
}

namespace {

// Where the current layer lies on the picture.
IntRect CurrentLayerRegion(const CVandDoc& document) {
    const int cur = document.CurrentLayer();
    if (!document.IsLayerInList(cur)) return {};
    const CanvasRect r = LayerCanvasRect(document.Layer(cur), document.Header());
    return IntRect{r.left, r.top, r.Right(), r.Bottom()};
}

}  // namespace

bool MoveTool::Press(ToolContext&, const ToolEvent& event) {
    m_pressed = true;
    m_movedLayer = false;
    m_lastX = event.pictureX, m_lastY = event.pictureY;
    return false;
}

bool MoveTool::Move(ToolContext& context, const ToolEvent& event) {
    if (!m_pressed) return false;
    const int dx = event.pictureX - m_lastX, dy = event.pictureY - m_lastY;
    if (dx == 0 && dy == 0) return false;
    const DocumentState& state = context.document.State();
    const bool lifts = !state.floatingPending && state.selection.selectionActive;
    const IntRect before = CurrentLayerRegion(context.document);
    if (!MoveLayerOrSelection(context.document, dx, dy, false)) return false;
    if (!context.document.State().floatingPending) m_movedLayer = true;
    // A moved layer changes where it was and where it is; lifting a selection changes the layers.
    if (lifts) {
        context.ReportWholeChange();
    } else {
        context.ReportChange(before);
        context.ReportChange(CurrentLayerRegion(context.document));
    }
    m_lastX = event.pictureX, m_lastY = event.pictureY;
    return true;
}

bool MoveTool::Release(ToolContext& context, const ToolEvent& event) {
    if (!m_pressed) return false;
    const bool moved = Move(context, event);
    m_pressed = false;
    const bool recorded = m_movedLayer;
    m_movedLayer = false;
    if (recorded) context.document.RecordLayerMove();
    return moved || recorded;
}

bool MoveTool::Key(ToolContext& context, int key) {
    // Enter drops a floating selection where it is.
    if (key != '\r' || !context.document.State().floatingPending) return false;
    return context.document.DropFloatingSelection();
}

}  // namespace quillory
