#pragma once
// Spray (kToolSpray): press and every move put down the soft stamp of size 20
// at the pointer; its random term speckles the colour. Release records it.
#include "view/tools/PaintStroke.h"

namespace quillory {

class SprayTool : public ViewTool {
public:
    bool Press(ToolContext& context, const ToolEvent& event) override;
    bool Move(ToolContext& context, const ToolEvent& event) override;
    bool Release(ToolContext& context, const ToolEvent& event) override;

private:
    bool m_pressed = false;
};

}  // namespace quillory
