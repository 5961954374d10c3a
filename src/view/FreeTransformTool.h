#pragma once
// The free transform tools (kToolScale, kToolSkew, kToolPerspective): four corner
// handles over the current layer. "크기" keeps the rectangle and moves the two
// neighbours of the dragged corner with it; "뒤틀림" moves the dragged corner
// alone; "원근감" moves the neighbours the opposite way, so the quadrilateral stays
// symmetric. A double click applies the transform.
#include "view/PanelState.h"
#include "view/ViewTool.h"

namespace quillory {

inline constexpr int kHandleReach = 8;  // window pixels around a handle that grab it

// Starts a free transform session of the current layer: its corners as the quadrilateral.
void StartFreeTransform(TransformSession& session, const CVandDoc& document, int command);

// Where a corner handle is drawn: the centre of the corner's pixel in window coordinates.
struct HandlePoint {
    double x = 0, y = 0;
};
HandlePoint HandleWindowPoint(const TransformSession& session, const CVandDoc& document, const ViewState& view,
                              int corner);
// A window point in layer pixels (rows top-down), not clamped to the picture.
void WindowToLayer(const CVandDoc& document, int slot, const ViewState& view, int windowX, int windowY, double& x,
                   double& y);

// Moves corner k of the quadrilateral to (x, y) by the rule of the mode.
void MoveCorner(Quad& quad, int command, int corner, double x, double y);

class FreeTransformTool : public ViewTool {
public:
    bool Press(ToolContext& context, const ToolEvent& event) override;
    bool Move(ToolContext& context, const ToolEvent& event) override;
    bool Release(ToolContext& context, const ToolEvent& event) override;
    bool DoubleClick(ToolContext& context, const ToolEvent& event) override;

private:
    int m_grabbed = -1;
    double m_offsetX = 0, m_offsetY = 0;  // from the pointer to the grabbed corner
};

}  // namespace quillory
