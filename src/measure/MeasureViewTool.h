#pragma once
// The measuring tools in the view: picture points of the mouse events go to the
// measuring tool of the current tool id.
#include <functional>
#include <string>

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

// Asks the user for the text of a text object; false when none was given. The
// window side installs it; without one the text tool draws nothing.
using MeasureTextPrompt = std::function<bool(std::string& text)>;
void SetMeasureTextPrompt(MeasureTextPrompt prompt);

// Puts every measuring tool into the view's tool registry.
void RegisterMeasureViewTools(ToolRegistry& registry);

}  // namespace quillory
