#include "view/LayerPreviewTools.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "core/CommandIds.h"
#include "document/CVandDoc.h"
#include "document/LayerPlanes.h"
#include "document/SnapshotSlots.h"

namespace quillory {

namespace {

constexpr double kDegreesPerRadian = 57.29577951308232;

bool Ready(ToolContext& context, int command) {
    if (!context.panels) return false;
    TransformSession& s = context.panels->transform;
    if (s.IsFor(context.document) && s.command == command && s.slot == context.document.CurrentLayer()) return true;
    return StartLayerPreview(s, context.document, command);
}

}  // namespace

bool StartLayerPreview(TransformSession& session, CVandDoc& document, int command) {
    session = TransformSession{};
    std::shared_ptr<AdjustmentPreview> preview(new AdjustmentPreview(document, command), [](AdjustmentPreview* p) {
        p->Abandon();
        delete p;
    });
    if (!preview->Begin()) return false;
    session.preview = std::move(preview);
    const int slot = document.CurrentLayer();
    session.document = &document;
    session.command = command;
    session.slot = slot;
    session.width = document.Layer(slot).width;
    session.height = document.Layer(slot).height;
    session.quad = Quad::OfLayer(session.width, session.height);
    return true;
}

bool PreviewRotation(TransformSession& session, float angle) {
    if (!session.preview) return false;
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", double(angle));
    return session.preview->Run({{"angle", text}});
}

bool PreviewStretch(TransformSession& session, int width, int height) {
    if (!session.preview) return false;
    return session.preview->Run({{"width", std::to_string(width)}, {"height", std::to_string(height)}});
}

bool FreeRotateTool::Press(ToolContext& context, const ToolEvent& event) {
    if (!Ready(context, cmd::kToolFreeRotate)) return false;
    TransformSession& s = context.panels->transform;
    // The centre of the layer as the panel found it (the committed copy), which every preview keeps.
    const LayerRecord& saved = context.document.Snapshots().Saved(SnapshotSlot::A, s.slot);
    const CanvasRect rect = LayerCanvasRect(saved, context.document.Header());
    const ViewState& view = context.view;
    m_centreX = (rect.left + rect.width / 2.0) * view.zoom - view.scrollX + view.pictureRect.left;
    m_centreY = (rect.top + rect.height / 2.0) * view.zoom - view.scrollY + view.pictureRect.top;
    m_startAngle = s.angle;
    // Window rows grow downwards, so a growing angle turns clockwise on screen.
    m_startPointer = std::atan2(event.windowY - m_centreY, event.windowX - m_centreX) * kDegreesPerRadian;
    m_dragging = true;
    return false;
}

bool FreeRotateTool::Move(ToolContext& context, const ToolEvent& event) {
    if (!m_dragging || !context.panels) return false;
    TransformSession& s = context.panels->transform;
    if (!s.IsFor(context.document)) return false;
    const double pointer = std::atan2(event.windowY - m_centreY, event.windowX - m_centreX) * kDegreesPerRadian;
    double angle = m_startAngle + pointer - m_startPointer;
    angle = std::remainder(angle, 360.0);
    s.angle = float(std::round(angle * 10) / 10);
    PreviewRotation(s, s.angle);
    context.panels->Changed();
    return true;
}

bool FreeRotateTool::Release(ToolContext&, const ToolEvent&) {
    m_dragging = false;
    return false;
}

bool StretchTool::Press(ToolContext& context, const ToolEvent& event) {
    if (!Ready(context, cmd::kStretchSquash)) return false;
    const TransformSession& s = context.panels->transform;
    m_pressX = event.windowX, m_pressY = event.windowY;
    m_startW = s.width, m_startH = s.height;
    m_dragging = true;
    return false;
}

bool StretchTool::Move(ToolContext& context, const ToolEvent& event) {
    if (!m_dragging || !context.panels) return false;
    TransformSession& s = context.panels->transform;
    if (!s.IsFor(context.document)) return false;
    // The layer keeps its centre, so each side follows the pointer: twice the drag.
    const double zoom = context.view.zoom > 0 ? context.view.zoom : 1.0;
    s.width = std::max(1, int(std::lround(m_startW + 2 * (event.windowX - m_pressX) / zoom)));
    s.height = std::max(1, int(std::lround(m_startH + 2 * (event.windowY - m_pressY) / zoom)));
    PreviewStretch(s, s.width, s.height);
    context.panels->Changed();
    return true;
}

bool StretchTool::Release(ToolContext&, const ToolEvent&) {
    m_dragging = false;
    return false;
}

}  // namespace quillory
