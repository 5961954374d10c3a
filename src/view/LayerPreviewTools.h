#pragma once
// The tools of the free rotation panel (kToolFreeRotate) and the stretch panel
// (kStretchSquash): dragging turns the current layer about its centre, or
// stretches and squeezes it, each preview starting again from the layer as the
// panel found it. The panel's OK keeps the result as one step.
#include "view/PanelState.h"
#include "view/ViewTool.h"

namespace quillory {

// Starts a preview session of the current layer for one of the two panels; false when refused.
bool StartLayerPreview(TransformSession& session, CVandDoc& document, int command);
// The session's layer as the panel found it, turned by an angle (degrees, clockwise on
// screen) or stretched to a size about its centre; the result waits in slot B.
bool PreviewRotation(TransformSession& session, float angle);
bool PreviewStretch(TransformSession& session, int width, int height);

class FreeRotateTool : public ViewTool {
public:
    bool Press(ToolContext& context, const ToolEvent& event) override;
    bool Move(ToolContext& context, const ToolEvent& event) override;
    bool Release(ToolContext& context, const ToolEvent& event) override;

private:
    bool m_dragging = false;
    double m_centreX = 0, m_centreY = 0;  // the layer's centre in window coordinates
    double m_startAngle = 0, m_startPointer = 0;
};

class StretchTool : public ViewTool {
public:
    bool Press(ToolContext& context, const ToolEvent& event) override;
    bool Move(ToolContext& context, const ToolEvent& event) override;
    bool Release(ToolContext& context, const ToolEvent& event) override;

private:
    bool m_dragging = false;
    int m_pressX = 0, m_pressY = 0;
    int m_startW = 0, m_startH = 0;
};

}  // namespace quillory
