#include "view/tools/ColourPickerTool.h"

#include "document/ColourRangeSelection.h"

namespace quillory {

bool ColourPickerTool::Press(ToolContext& context, const ToolEvent& event) {
    RGBQUAD colour;
    if (!LayerColourAt(context.document, event.pictureX, event.pictureY, colour)) return false;
    context.foreground = uint32_t(colour.red) | uint32_t(colour.green) << 8 | uint32_t(colour.blue) << 16;
    context.foregroundPicked = true;
    return false;
}

}  // namespace quillory
