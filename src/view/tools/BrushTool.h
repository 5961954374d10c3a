#pragma once
// Brush (kToolBrush) and, in erase mode, the eraser (kToolEraser): press stamps
// once, each move stamps along the line from the last point, release records
// the stroke as one step.
#include "view/tools/PaintStroke.h"

namespace quillory {

class BrushTool : public ViewTool {
public:
    explicit BrushTool(bool erase = false) : m_erase(erase) {}
    bool Press(ToolContext& context, const ToolEvent& event) override;
    bool Move(ToolContext& context, const ToolEvent& event) override;
    bool Release(ToolContext& context, const ToolEvent& event) override;

private:
    bool m_erase;
    bool m_pressed = false;
    LayerPoint m_last;
};

}  // namespace quillory
