#pragma once
// The ellipse transform's tool (kEllipseTransform): a box over the current layer
// with eight handles and the ellipse inscribed in it. Dragging a handle moves its
// edges, dragging inside moves the box, dragging elsewhere draws a new box (Shift
// keeps it a circle); Enter or a double click bends the layer into the ellipse
// as one step, Esc drops the box. The box lives in layer pixels, so it stays
// under the pointer at any zoom and scroll position.
#include "document/LayerPlanes.h"
#include "view/FreeTransformTool.h"
#include "view/PanelState.h"
#include "view/ViewTool.h"
#include "view/ViewZoom.h"

namespace quillory {

// Starts placing an ellipse over the current layer, its rectangle the first box.
// False, and no session, when there is no layer or the layer holds text.
bool StartEllipseTransform(TransformSession& session, const CVandDoc& document);
// The same for the menu command: a text layer is refused with the message of the other transforms.
bool BeginEllipseTransform(TransformSession& session, const CVandDoc& document);
bool IsEllipseSessionFor(const TransformSession& session, const CVandDoc& document);
// Bends the current layer into the session's ellipse through the registered
// command and ends the session; a refused box stays.
bool ApplyEllipseTransform(TransformSession& session, CVandDoc& document);

// A window point in layer pixels (rows top-down; pixel (x, y) spans x … x + 1), not clamped.
struct LayerPosition {
    double x = 0, y = 0;
};
LayerPosition WindowToLayerPosition(const PictureMapping& mapping, const CanvasRect& layer, double windowX,
                                     double windowY);

// The handles: the corners 0 top left, 1 top right, 2 bottom right, 3 bottom left,
// then the middles of the sides 4 top, 5 right, 6 bottom, 7 left.
inline constexpr int kBoxHandleCount = 8;
HandlePoint BoxHandleWindowPoint(const EllipseBox& box, const CanvasRect& layer, const PictureMapping& mapping,
                                 int handle);
// The handle nearest a window point within kHandleReach, or −1.
int BoxHandleAt(const EllipseBox& box, const CanvasRect& layer, const PictureMapping& mapping, double windowX,
                double windowY);
// The box with a handle dragged to the pixel edge (x, y); `square` keeps a corner's box square.
EllipseBox DragBoxHandle(const EllipseBox& box, int handle, int x, int y, bool square);
// A box from a fixed corner to (x, y); `square` makes both sides the longer one.
EllipseBox BoxBetween(int anchorX, int anchorY, int x, int y, bool square);

class EllipseTool : public ViewTool {
public:
    bool Press(ToolContext& context, const ToolEvent& event) override;
    bool Move(ToolContext& context, const ToolEvent& event) override;
    bool Release(ToolContext& context, const ToolEvent& event) override;
    bool DoubleClick(ToolContext& context, const ToolEvent& event) override;
    bool Key(ToolContext& context, int key) override;
    // Sizing arrows over the handles, the move cross inside the box.
    ToolCursor CursorAt(ToolContext& context, const ToolEvent& event) override;

private:
    enum class Drag { None, Handle, Move, New };
    // The box as the drag to this event leaves it.
    EllipseBox Dragged(ToolContext& context, const ToolEvent& event) const;

    Drag m_drag = Drag::None;
    int m_handle = -1;
    EllipseBox m_start;            // the box when the drag began
    double m_pressX = 0, m_pressY = 0;  // layer point of the press
    double m_offsetX = 0, m_offsetY = 0;  // from the pointer to the grabbed handle
};

}  // namespace quillory
