#pragma once
// Water drop (kToolDrop): press and every move spread the colour under the
// pointer into a square around it with a soft edge; release records it. The
// size follows the brush size; the slider "퍼짐정도" (5..30, 10 at the start)
// scales how far the colour reaches: the fading distance R = 2s√2 is taken
// × value / 10, so 10 gives the plain drop, 30 carries the centre colour three
// times as far into the square and 5 keeps it near the centre.
#include "view/tools/PaintStroke.h"

namespace quillory {

inline constexpr int kDropSpreadStart = 10;

// One drop at a layer point with brush size s and spread value v.
void PutDrop(LayerCanvas& canvas, LayerPoint at, int size, int spread);

class DropTool : public ViewTool {
public:
    bool Press(ToolContext& context, const ToolEvent& event) override;
    bool Move(ToolContext& context, const ToolEvent& event) override;
    bool Release(ToolContext& context, const ToolEvent& event) override;

private:
    bool m_pressed = false;
};

}  // namespace quillory
