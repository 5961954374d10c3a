#pragma once
// The colour-range tool (kColourRangeSelect, then kToolColourRange): a click picks
// the current layer's colour under the pointer and selects the pixels close to it
// with the panel's tolerance and mode.
#include "view/PanelState.h"
#include "view/ViewTool.h"

namespace quillory {

class ColourRangeTool : public ViewTool {
public:
    bool Press(ToolContext& context, const ToolEvent& event) override;
};

// Runs the selection again with the last picked colour (the panel's slider was released).
bool RepeatColourRange(CVandDoc& document, ColourRangeState& state);

}  // namespace quillory
