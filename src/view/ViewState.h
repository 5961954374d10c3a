#pragma once
// The presentation state of a document's views: zoom, fit-to-window mode,
// scroll position and the rectangle the picture occupies. It belongs to the
// document so that every view of it (and the history) sees the same zoom.
#include <array>
#include <cstdint>

namespace quillory {

// A rectangle with inclusive right and bottom, as the view stores it.
struct InclusiveRect {
    int left = 0, top = 0, right = -1, bottom = -1;
    int Width() const { return right - left + 1; }
    int Height() const { return bottom - top + 1; }
    bool Contains(int x, int y) const { return x >= left && x <= right && y >= top && y <= bottom; }
    friend bool operator==(const InclusiveRect&, const InclusiveRect&) = default;
};

struct WindowPoint {
    int x = -1, y = -1;  // x = -1: unset
    bool IsSet() const { return x != -1; }
};

inline constexpr float kMaxZoom = 16.0f;
inline constexpr float kMinZoom = 0.0625f;
inline constexpr float kZoomOutCommandFloor = 0.125f;  // the command is disabled from here down
inline constexpr int kUpdateHintZoom = 1025;

struct ViewState {
    float zoom = 1.0f;
    uint8_t fitToWindow = 0;
    int zoomAnchorX = -1, zoomAnchorY = -1;
    int scrollX = 0, scrollY = 0;
    InclusiveRect pictureRect;
    InclusiveRect clientRect;
    uint8_t needsRedraw = 1;
    uint8_t shiftHeld = 0;
    // The tool points kept in window scale; they follow the zoom.
    std::array<WindowPoint, 4> toolPoints{};
    // Set once to keep the child frame's size at the next zoom update.
    uint8_t keepFrameSize = 0;

    bool HasAnchor() const { return zoomAnchorX != -1 || zoomAnchorY != -1; }
};

}  // namespace quillory
