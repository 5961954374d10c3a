#pragma once
// Magic wand (kToolMagicWand): a click selects the 4-connected opaque pixels
// within "포함한계치" (toolValue1) of the clicked colour. Shift held while
// clicking adds to the present selection.
#include "view/ViewTool.h"

namespace quillory {

inline constexpr int kWandToleranceStart = 25;

class MagicWandTool : public ViewTool {
public:
    bool Press(ToolContext& context, const ToolEvent& event) override;
};

}  // namespace quillory
