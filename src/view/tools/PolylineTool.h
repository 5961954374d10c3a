#pragma once
// Polyline (kToolPolyline): each press draws a line from the previous press
// point (when there is one) and records it; the tool keeps its last point until
// another tool is chosen.
#include "view/tools/PaintStroke.h"

namespace quillory {

class PolylineTool : public ViewTool {
public:
    bool Press(ToolContext& context, const ToolEvent& event) override;
    bool Move(ToolContext& context, const ToolEvent& event) override;
    ToolOverlay Overlay() const override;

private:
    bool m_hasPrevious = false;
    int m_previousX = -1, m_previousY = -1, m_pointerX = 0, m_pointerY = 0;
};

}  // namespace quillory
