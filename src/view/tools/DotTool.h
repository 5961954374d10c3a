#pragma once
// Dot (kToolDot): a click writes the foreground colour into a square of the
// brush size beside the point, keeping each pixel's opacity, and records it.
#include "view/tools/PaintStroke.h"

namespace quillory {

// The square of columns x − 2 .. x − 3 + size and stored rows row + 1 .. row + size.
void PaintDot(LayerCanvas& canvas, LayerPoint at, int size, RGBQUAD colour);

class DotTool : public ViewTool {
public:
    bool Press(ToolContext& context, const ToolEvent& event) override;
};

}  // namespace quillory
