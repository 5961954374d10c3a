#pragma once
// Move (kToolMove): dragging moves the current layer, one step a drag. Over an active selection
// the first move lifts the selected pixels into a floating layer, which the
// drag then moves; it lands in its layer when the selection ends (another
// tool, the deselect command, Enter).
#include "view/ViewTool.h"

namespace quillory {

class MoveTool : public ViewTool {
public:
    bool Press(ToolContext& context, const ToolEvent& event) override;
    bool Move(ToolContext& context, const ToolEvent& event) override;
    bool Release(ToolContext& context, const ToolEvent& event) override;
    bool Key(ToolContext& context, int key) override;

private:
    bool m_pressed = false;
    bool m_movedLayer = false;  // this drag moved the layer itself: one step at the release
    int m_lastX = 0, m_lastY = 0;
};

// Moves the current layer by a step, lifting an active selection first. With `record`
// a moved layer is a step of its own (a floating selection records when it lands). True
// when it moved.
bool MoveLayerOrSelection(CVandDoc& document, int dx, int dy, bool record);

}  // namespace quillory
