#include "view/tools/DotTool.h"

#include "document/CVandDoc.h"
#include "document/ToolTexts.h"

namespace quillory {

void PaintDot(LayerCanvas& canvas, LayerPoint at, int size, RGBQUAD colour) {
    for (int row = at.row + 1; row <= at.row + size; ++row)
        for (int x = at.x - 2; x <= at.x - 3 + size; ++x)
            if (canvas.Paintable(x, row)) canvas.SetColour(x, row, colour);
}

bool DotTool::Press(ToolContext& context, const ToolEvent& event) {
    LayerCanvas canvas;
    if (!canvas.Open(context)) return false;
    PaintDot(canvas, ToLayerPoint(context.document, event.pictureX, event.pictureY), context.brushSize,
             ToolColour(context.foreground));
    RecordPaintStep(context.document, texts::kStepDot);
    return true;
}

}  // namespace quillory
