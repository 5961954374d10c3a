#pragma once
// The painting and selection tools' catalogue: which class serves each tool
// command, and how each tool sets the two sliders of the main frame's bar.
namespace quillory {

class ToolRegistry;

inline constexpr int kEdgeSpreadMax = 20;

struct SliderSetup {
    bool enabled = false;
    const char* label = "";
    int minimum = 0, maximum = 0, start = 0;
    bool keepValue = false;  // the slider keeps its present value
};

struct ToolSliders {
    SliderSetup first, second;
};

// What choosing a tool does to the sliders (both disabled for tools without sliders).
ToolSliders SlidersFor(int id);
// Choosing one of these tools again while it is current does nothing.
bool ReselectDoesNothing(int id);

void RegisterPaintTools(ToolRegistry& registry);

}  // namespace quillory
