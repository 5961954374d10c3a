#pragma once
// The measuring tools in the view: picture points of the mouse events go to the
// measuring tool of the current tool id.
#include "view/ViewTool.h"

namespace quillory {

class MeasureViewTool : public ViewTool {
public:
    bool Press(ToolContext& context, const ToolEvent& event) override;
    // A move counts as a drag only while the button is down.
    bool Move(ToolContext& context, const ToolEvent& event) override;
    bool Release(ToolContext& context, const ToolEvent& event) override;

private:
    bool m_down = false;
};

// Puts every measuring tool into the view's tool registry.
void RegisterMeasureViewTools(ToolRegistry& registry);

}  // namespace quillory
