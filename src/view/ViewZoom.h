#pragma once
// Zoom in powers of two, the command states, the scroll update that follows a
// zoom, and the mapping between window and picture coordinates.
#include "view/ViewState.h"

namespace quillory {

// Update handler states of the zoom commands.
bool ZoomInEnabled(const ViewState& state);
bool ZoomOutEnabled(const ViewState& state);
bool ActualSizeEnabled(const ViewState& state);

enum class ZoomInCommandResult { Ignored, Zoomed, ToolArmed };

// The zoom-in command: zooms at once for the free and polygon selection tools and the
// free transforms, otherwise arms the zoom-in tool (the next left click calls ZoomIn there).
ZoomInCommandResult ZoomInCommand(ViewState& state, int& currentTool, bool selectionActive);

// Doubles the zoom around the given window point (-1, -1: no anchor). False at the limit.
bool ZoomIn(ViewState& state, int anchorX, int anchorY);
// Halves the zoom. False at the floor or while the zoom-out tool is current.
bool ZoomOut(ViewState& state, int currentTool);
// Zoom 1:1; false when already there.
bool ZoomActualSize(ViewState& state);
void ToggleFitToWindow(ViewState& state);

// The scroll bars: total (scroll range) size and position.
struct ScrollGeometry {
    int totalWidth = 0, totalHeight = 0;
    int x = 0, y = 0;
    friend bool operator==(const ScrollGeometry&, const ScrollGeometry&) = default;
};

// The update after a zoom change (hint 1025): new range, and a position that keeps
// the old relative position, or with an anchor (a window point) keeps the picture
// point under the anchor where it was.
ScrollGeometry UpdateForZoom(ViewState& state, const ScrollGeometry& old, int pictureWidth, int pictureHeight,
                             int clientWidth, int clientHeight);
// Any other update: the range is the zoomed picture (nothing in fit-to-window mode).
ScrollGeometry UpdateScrollRange(ViewState& state, const ScrollGeometry& old, int pictureWidth, int pictureHeight,
                                 int clientWidth, int clientHeight);

// Zoomed picture size, truncated.
int ZoomedSize(int pictureSize, float zoom);

// Computes and stores pictureRect from clientRect; resets the scroll offset on a centred axis.
InclusiveRect GetPictureRect(ViewState& state, int pictureWidth, int pictureHeight);

struct MappedPoint {
    int x = 0, y = 0;
    bool wasClamped = false;
};
// Window point to zoomed-picture point (the tools divide by the zoom themselves).
MappedPoint WindowToPicture(const ViewState& state, int x, int y);

// Where the picture lies in the window, for what is drawn over it: window = origin +
// picture × scale (picture pixel x spans x … x + 1). In fit-to-window mode each axis
// has its own scale.
struct PictureMapping {
    double originX = 0, originY = 0;
    double scaleX = 1, scaleY = 1;
};
PictureMapping MappingOf(const ViewState& state, int pictureWidth, int pictureHeight);

// Child frame size that fits the zoomed picture (the outer size, borders included).
struct FrameSize {
    int width = 0, height = 0;
};
FrameSize FrameSizeForZoom(int zoomedWidth, int zoomedHeight, int spaceRight, int spaceBelow, int borderWidth,
                           int borderHeight);

}  // namespace quillory
