#pragma once
// Rectangle selection (kToolRectSelect): press clears the selection and marks a
// corner; the view shows the rubber band while dragging; release selects the
// rectangle between the corners, both included (a release where it was pressed
// selects nothing).
#include "view/ViewTool.h"

namespace quillory {

class RectSelectTool : public ViewTool {
public:
    bool Press(ToolContext& context, const ToolEvent& event) override;
    bool Move(ToolContext& context, const ToolEvent& event) override;
    bool Release(ToolContext& context, const ToolEvent& event) override;
    ToolOverlay Overlay() const override;

private:
    bool m_pressed = false;
    int m_startX = 0, m_startY = 0, m_endX = 0, m_endY = 0;
};

}  // namespace quillory
