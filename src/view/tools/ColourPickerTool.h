#pragma once
// Colour picker (kToolColourPicker): a click makes the current layer's colour
// under the pointer the foreground colour.
#include "view/ViewTool.h"

namespace quillory {

class ColourPickerTool : public ViewTool {
public:
    bool Press(ToolContext& context, const ToolEvent& event) override;
};

}  // namespace quillory
