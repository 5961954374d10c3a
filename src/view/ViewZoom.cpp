#include "view/ViewZoom.h"

#include <algorithm>

#include "core/CommandIds.h"

namespace quillory {

bool ZoomInEnabled(const ViewState& state) { return !state.fitToWindow && state.zoom < kMaxZoom; }
bool ZoomOutEnabled(const ViewState& state) { return !state.fitToWindow && state.zoom > kZoomOutCommandFloor; }
bool ActualSizeEnabled(const ViewState& state) { return !state.fitToWindow && state.zoom != 1.0f; }

ZoomInCommandResult ZoomInCommand(ViewState& state, int& currentTool, bool selectionActive) {
    if (currentTool == cmd::kZoomIn) return ZoomInCommandResult::Ignored;
    // The free and polygon selections use the clicks themselves, so they zoom without anchor;
    // so do the free transforms, whose corners stay where they are on the layer.
    if (currentTool == cmd::kToolFreeSelect || (currentTool == cmd::kToolPolygonSelect && !selectionActive) ||
        cmd::IsTransformTool(currentTool))
        return ZoomIn(state, -1, -1) ? ZoomInCommandResult::Zoomed : ZoomInCommandResult::Ignored;
    currentTool = cmd::kZoomIn;
    state.needsRedraw = 1;
    return ZoomInCommandResult::ToolArmed;
}

bool ZoomIn(ViewState& state, int anchorX, int anchorY) {
    if (state.zoom >= kMaxZoom) return false;
    state.zoom *= 2.0f;
    for (WindowPoint& p : state.toolPoints)
        if (p.IsSet()) p.x *= 2, p.y *= 2;
    state.zoomAnchorX = anchorX;
    state.zoomAnchorY = anchorY;
    state.needsRedraw = 1;
    return true;
}

bool ZoomOut(ViewState& state, int currentTool) {
    if (state.zoom <= kMinZoom || currentTool == cmd::kZoomOut) return false;
    state.zoom *= 0.5f;
    for (WindowPoint& p : state.toolPoints)
        if (p.IsSet()) p.x /= 2, p.y /= 2;
    state.zoomAnchorX = state.zoomAnchorY = -1;
    state.needsRedraw = 1;
    return true;
}

bool ZoomActualSize(ViewState& state) {
    if (state.zoom == 1.0f) return false;
    state.zoom = 1.0f;
    state.needsRedraw = 1;
    return true;
}

void ToggleFitToWindow(ViewState& state) {
    state.fitToWindow = state.fitToWindow ? 0 : 1;
    state.needsRedraw = 1;
}

int ZoomedSize(int pictureSize, float zoom) { return int(float(pictureSize) * zoom); }

namespace {

int ClampScroll(int position, int total, int client) {
    return std::clamp(position, 0, std::max(0, total - client));
}

}  // namespace

ScrollGeometry UpdateForZoom(ViewState& state, const ScrollGeometry& old, int pictureWidth, int pictureHeight,
                             int clientWidth, int clientHeight) {
    const bool anchored = state.HasAnchor();
    ScrollGeometry result;
    result.totalWidth = ZoomedSize(pictureWidth, state.zoom);
    result.totalHeight = ZoomedSize(pictureHeight, state.zoom);
    result.x = old.x;
    result.y = old.y;
    if (old.totalWidth > 0 && old.totalHeight > 0) {
        if (anchored) {
            // The picture point under the anchor's window point stays under it.
            auto keep = [](int oldTotal, int newTotal, int client, int oldPosition, int anchor, int& position) {
                const int oldOffset = std::max(0, (client - oldTotal) / 2);
                const int newOffset = std::max(0, (client - newTotal) / 2);
                const double point = double(std::clamp(anchor - oldOffset + oldPosition, 0, oldTotal));
                position = int(point * newTotal / oldTotal) + newOffset - anchor;
            };
            keep(old.totalWidth, result.totalWidth, clientWidth, old.x, state.zoomAnchorX, result.x);
            keep(old.totalHeight, result.totalHeight, clientHeight, old.y, state.zoomAnchorY, result.y);
        } else {
            // The same relative position in the new range.
            auto place = [](int total, int client, double f, int& position) {
                position = std::max(std::min(int(total * f), total - client), 0);
            };
            place(result.totalWidth, clientWidth, std::max(double(old.x) / old.totalWidth, 0.0), result.x);
            place(result.totalHeight, clientHeight, std::max(double(old.y) / old.totalHeight, 0.0), result.y);
        }
    }
    result.x = ClampScroll(result.x, result.totalWidth, clientWidth);
    result.y = ClampScroll(result.y, result.totalHeight, clientHeight);
    state.scrollX = result.x;
    state.scrollY = result.y;
    return result;
}

ScrollGeometry UpdateScrollRange(ViewState& state, const ScrollGeometry& old, int pictureWidth, int pictureHeight,
                                 int clientWidth, int clientHeight) {
    ScrollGeometry result;
    if (!state.fitToWindow) {
        result.totalWidth = ZoomedSize(pictureWidth, state.zoom);
        result.totalHeight = ZoomedSize(pictureHeight, state.zoom);
    }
    result.x = ClampScroll(old.x, result.totalWidth, clientWidth);
    result.y = ClampScroll(old.y, result.totalHeight, clientHeight);
    state.scrollX = result.x;
    state.scrollY = result.y;
    return result;
}

InclusiveRect GetPictureRect(ViewState& state, int pictureWidth, int pictureHeight) {
    const int clientWidth = state.clientRect.Width();
    const int clientHeight = state.clientRect.Height();
    int shownWidth = ZoomedSize(pictureWidth, state.zoom);
    int shownHeight = ZoomedSize(pictureHeight, state.zoom);
    if (state.fitToWindow) shownWidth = clientWidth, shownHeight = clientHeight;

    InclusiveRect rect;
    auto axis = [](int client, int shown, int& start, int& size, int& scroll) {
        int offset = (client - shown) / 2;
        if (offset >= 0) {
            start = offset;
            size = shown;
            scroll = 0;
        } else {
            start = 0;
            size = client;
        }
    };
    int width = 0, height = 0;
    axis(clientWidth, shownWidth, rect.left, width, state.scrollX);
    axis(clientHeight, shownHeight, rect.top, height, state.scrollY);
    rect.right = rect.left + width - 1;
    rect.bottom = rect.top + height - 1;
    state.pictureRect = rect;
    return rect;
}

PictureMapping MappingOf(const ViewState& state, int pictureWidth, int pictureHeight) {
    PictureMapping m;
    if (state.fitToWindow && pictureWidth > 0 && pictureHeight > 0) {
        m.scaleX = double(state.pictureRect.Width()) / pictureWidth;
        m.scaleY = double(state.pictureRect.Height()) / pictureHeight;
        m.originX = state.pictureRect.left;
        m.originY = state.pictureRect.top;
    } else {
        m.scaleX = m.scaleY = state.zoom;
        m.originX = state.pictureRect.left - state.scrollX;
        m.originY = state.pictureRect.top - state.scrollY;
    }
    return m;
}

MappedPoint WindowToPicture(const ViewState& state, int x, int y) {
    const InclusiveRect& r = state.pictureRect;
    MappedPoint p{x, y, false};
    if (!r.Contains(x, y)) {
        p.x = std::clamp(x, r.left, std::max(r.left, r.right));
        p.y = std::clamp(y, r.top, std::max(r.top, r.bottom));
        p.wasClamped = true;
    }
    p.x += state.scrollX - r.left;
    p.y += state.scrollY - r.top;
    return p;
}

FrameSize FrameSizeForZoom(int zoomedWidth, int zoomedHeight, int spaceRight, int spaceBelow, int borderWidth,
                           int borderHeight) {
    // The client is the picture and a margin of 2 pixels around it; the whole frame, borders
    // and title bar included, stays inside the free space, so no part of it lies under the
    // workspace's own scroll bars.
    FrameSize size;
    size.width = std::max(1, std::min(zoomedWidth + 4, spaceRight - borderWidth)) + borderWidth;
    size.height = std::max(1, std::min(zoomedHeight + 4, spaceBelow - borderHeight)) + borderHeight;
    return size;
}

}  // namespace quillory
