#pragma once
// Arranging the picture windows inside the main frame's work area.
class QMdiArea;

namespace quillory {

// Cascades the windows so that every title bar stays in sight: each window one
// title bar further right and down than the one before, the active window last
// and on top, each sized to its picture at its zoom (within the room left), a
// window in fit-to-window mode to two thirds of the area.
void CascadePictureWindows(QMdiArea& area);

}  // namespace quillory
