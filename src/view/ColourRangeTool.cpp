#include "view/ColourRangeTool.h"

#include "document/CVandDoc.h"

namespace quillory {

bool ColourRangeTool::Press(ToolContext& context, const ToolEvent& event) {
    if (!context.panels) return false;
    ColourRangeState& state = context.panels->colourRange;
    RGBQUAD colour;
    if (!LayerColourAt(context.document, event.pictureX, event.pictureY, colour)) return false;
    state.pickedColour = colour;
    state.picked = true;
    const bool done = SelectSimilar(context.document, colour, state.tolerance, state.add, &state.result);
    context.panels->Changed();
    return done;
}

bool RepeatColourRange(CVandDoc& document, ColourRangeState& state) {
    return state.picked && SelectSimilar(document, state.pickedColour, state.tolerance, state.add, &state.result);
}

}  // namespace quillory
