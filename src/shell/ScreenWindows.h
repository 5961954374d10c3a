#pragma once
// The desktop for the screen capture: the top-level windows of an X11 desktop
// (from the window manager's client list, or the root's children without one),
// their rectangles and titles, and copies of areas of the screen.
#include <QImage>
#include <vector>

#include "core/NyZazo.h"
#include "extras/ScreenCapture.h"

namespace quillory {

// True when the application runs on an X11 display.
bool OnX11();
// Every top-level window with its state; empty off X11.
std::vector<ScreenWindow> ListScreenWindows();
// The size of the screen the windows lie on.
QSize ScreenSize();
// Brings a window to the top of the stacking order and waits a moment for it to draw.
void RaiseScreenWindow(uintptr_t window);
// A copy of an area of the screen (the whole screen for an empty area).
QImage GrabScreenArea(const CaptureArea& area);
// Four bytes a pixel, blue first, rows top-down.
PlatformBitmap ImageToBitmap(const QImage& image);

}  // namespace quillory
