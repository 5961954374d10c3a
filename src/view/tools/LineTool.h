#pragma once
// Line (kToolLine): press marks the start; release draws the line to the
// release point with the brush's stamp and records it.
#include "view/tools/PaintStroke.h"

namespace quillory {

class LineTool : public ViewTool {
public:
    bool Press(ToolContext& context, const ToolEvent& event) override;
    bool Move(ToolContext& context, const ToolEvent& event) override;
    bool Release(ToolContext& context, const ToolEvent& event) override;
    ToolOverlay Overlay() const override;

private:
    bool m_pressed = false;
    int m_startX = 0, m_startY = 0, m_endX = 0, m_endY = 0;  // picture pixels
};

}  // namespace quillory
