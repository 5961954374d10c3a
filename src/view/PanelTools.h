#pragma once
// Registers the tools that work with a panel: free transform, ellipse transform,
// free rotation, stretch, colour range and gradient.
namespace quillory {

class ToolRegistry;
void RegisterPanelTools(ToolRegistry& registry);

}  // namespace quillory
