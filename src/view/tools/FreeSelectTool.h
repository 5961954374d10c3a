#pragma once
// Free outline selection (kToolFreeSelect): press starts an outline, each move
// draws its next segment into the mask, release closes it back to the start.
// The interior is filled at the outline animation's first tick.
#include <utility>
#include <vector>

#include "view/ViewTool.h"

namespace quillory {

class FreeSelectTool : public ViewTool {
public:
    bool Press(ToolContext& context, const ToolEvent& event) override;
    bool Move(ToolContext& context, const ToolEvent& event) override;
    bool Release(ToolContext& context, const ToolEvent& event) override;
    ToolOverlay Overlay() const override;

private:
    bool m_pressed = false;
    std::vector<std::pair<int, int>> m_points;  // picture pixels
};

}  // namespace quillory
