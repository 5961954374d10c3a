#pragma once
// The rules of the screen capture: which top-level windows the capture dialog
// offers, and which part of a window lies on the screen.
#include <cstdint>
#include <string>
#include <vector>

namespace quillory {

inline constexpr int kMaxCaptureWindows = 254;
inline constexpr int kMinCaptureClientSide = 5;  // the client area must be wider and taller than 4

struct ScreenWindow {
    uintptr_t id = 0;
    std::string title;
    int x = 0, y = 0, width = 0, height = 0;  // the window's rectangle on the screen
    int clientWidth = 0, clientHeight = 0;
    bool visible = false;
    bool minimised = false;
};

// The windows the dialog lists after "Desktop": visible, not minimised, a client area
// wider and taller than 4 pixels and a title; at most 254, in the given order.
std::vector<ScreenWindow> CaptureCandidates(const std::vector<ScreenWindow>& windows);

// A window's rectangle clipped to the screen: where it lies on the screen and the
// offset of that part inside the window (a negative left or top becomes 0 and is
// remembered as the offset). Empty when nothing of the window is on the screen.
struct CaptureArea {
    int screenX = 0, screenY = 0;
    int offsetX = 0, offsetY = 0;
    int width = 0, height = 0;
    bool Empty() const { return width <= 0 || height <= 0; }
};
CaptureArea ClipToScreen(int x, int y, int width, int height, int screenWidth, int screenHeight);

}  // namespace quillory
