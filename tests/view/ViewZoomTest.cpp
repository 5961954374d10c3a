#include <gtest/gtest.h>

#include "core/CommandIds.h"
#include "view/ViewTool.h"
#include "view/ViewZoom.h"

namespace quillory {
namespace {

ViewState Client(int width, int height) {
    ViewState s;
    s.clientRect = InclusiveRect{0, 0, width - 1, height - 1};
    return s;
}

TEST(ViewZoom, ZoomInStopsAtSixteenAndOutAtOneSixteenth) {
    ViewState s;
    s.zoom = 8.0f;
    EXPECT_TRUE(ZoomInEnabled(s));
    EXPECT_TRUE(ZoomIn(s, -1, -1));
    EXPECT_EQ(s.zoom, 16.0f);
    EXPECT_FALSE(ZoomInEnabled(s));
    EXPECT_FALSE(ZoomIn(s, -1, -1));
    EXPECT_EQ(s.zoom, 16.0f);

    s.zoom = 0.25f;
    EXPECT_TRUE(ZoomOut(s, cmd::kNone));
    EXPECT_EQ(s.zoom, 0.125f);
    EXPECT_FALSE(ZoomOutEnabled(s));  // the command stops here ...
    EXPECT_TRUE(ZoomOut(s, cmd::kNone));  // ... but a direct call goes one step further
    EXPECT_EQ(s.zoom, 0.0625f);
    EXPECT_FALSE(ZoomOut(s, cmd::kNone));

    s.zoom = 2.0f;
    EXPECT_FALSE(ZoomOut(s, cmd::kZoomOut));
    EXPECT_EQ(s.zoom, 2.0f);
    // The free transform's corners are layer pixels: its tool zooms like any other.
    EXPECT_TRUE(ZoomOut(s, cmd::kToolSkew));
    EXPECT_EQ(s.zoom, 1.0f);
    s.zoom = 2.0f;

    s.fitToWindow = 1;
    EXPECT_FALSE(ZoomInEnabled(s));
    EXPECT_FALSE(ZoomOutEnabled(s));
    EXPECT_FALSE(ActualSizeEnabled(s));
    s.fitToWindow = 0;
    EXPECT_TRUE(ActualSizeEnabled(s));
    EXPECT_TRUE(ZoomActualSize(s));
    EXPECT_FALSE(ActualSizeEnabled(s));
}

TEST(ViewZoom, ToolPointsFollowTheZoomAndTheAnchorIsKeptOrCleared) {
    ViewState s;
    s.toolPoints[0] = {10, 7};
    s.toolPoints[2] = {-1, 5};
    ASSERT_TRUE(ZoomIn(s, 30, 40));
    EXPECT_EQ(s.toolPoints[0].x, 20);
    EXPECT_EQ(s.toolPoints[0].y, 14);
    EXPECT_EQ(s.toolPoints[2].y, 5);  // unset points stay as they are
    EXPECT_EQ(s.zoomAnchorX, 30);
    s.toolPoints[0] = {21, 15};
    ASSERT_TRUE(ZoomOut(s, cmd::kNone));
    EXPECT_EQ(s.toolPoints[0].x, 10);
    EXPECT_EQ(s.toolPoints[0].y, 7);
    EXPECT_FALSE(s.HasAnchor());
}

TEST(ViewZoom, ZoomInCommandArmsTheToolOrZoomsAtOnce) {
    ViewState s;
    int tool = cmd::kToolBrush;
    EXPECT_EQ(ZoomInCommand(s, tool, false), ZoomInCommandResult::ToolArmed);
    EXPECT_EQ(tool, cmd::kZoomIn);
    EXPECT_EQ(s.zoom, 1.0f);
    EXPECT_EQ(ZoomInCommand(s, tool, false), ZoomInCommandResult::Ignored);

    tool = cmd::kToolFreeSelect;
    EXPECT_EQ(ZoomInCommand(s, tool, true), ZoomInCommandResult::Zoomed);
    EXPECT_EQ(s.zoom, 2.0f);
    EXPECT_EQ(tool, cmd::kToolFreeSelect);

    tool = cmd::kToolPolygonSelect;
    EXPECT_EQ(ZoomInCommand(s, tool, false), ZoomInCommandResult::Zoomed);
    EXPECT_EQ(ZoomInCommand(s, tool, true), ZoomInCommandResult::ToolArmed);

    tool = cmd::kToolPerspective;
    const float before = s.zoom;
    EXPECT_EQ(ZoomInCommand(s, tool, false), ZoomInCommandResult::Zoomed);
    EXPECT_EQ(s.zoom, 2 * before);
    EXPECT_EQ(tool, cmd::kToolPerspective);
}

TEST(ViewZoom, PictureRectCentresSmallPicturesAndSpansLargeOnes) {
    ViewState s = Client(400, 300);
    s.zoom = 2.0f;
    s.scrollX = 33;
    InclusiveRect r = GetPictureRect(s, 100, 50);
    EXPECT_EQ(r, (InclusiveRect{100, 100, 299, 199}));
    EXPECT_EQ(s.scrollX, 0);
    ScrollGeometry range = UpdateScrollRange(s, {}, 100, 50, 400, 300);
    EXPECT_EQ(range.totalWidth, 200);
    EXPECT_EQ(range.totalHeight, 100);

    s = Client(400, 300);
    s.scrollX = 50;
    s.scrollY = 9;
    r = GetPictureRect(s, 1000, 120);
    EXPECT_EQ(r, (InclusiveRect{0, 90, 399, 209}));
    EXPECT_EQ(s.scrollX, 50);  // the scrolled axis keeps its offset
    EXPECT_EQ(s.scrollY, 0);

    MappedPoint p = WindowToPicture(s, -20, 100);
    EXPECT_TRUE(p.wasClamped);
    EXPECT_EQ(p.x, 50);  // left edge plus the scroll offset
    EXPECT_EQ(p.y, 10);
    p = WindowToPicture(s, 10, 95);
    EXPECT_FALSE(p.wasClamped);
    EXPECT_EQ(p.x, 60);
    EXPECT_EQ(p.y, 5);

    s = Client(400, 300);
    s.fitToWindow = 1;
    EXPECT_EQ(GetPictureRect(s, 50, 20), (InclusiveRect{0, 0, 399, 299}));
    EXPECT_EQ(UpdateScrollRange(s, {}, 50, 20, 400, 300), ScrollGeometry{});
}

TEST(ViewZoom, ZoomUpdateKeepsRelativePositionOrThePointUnderTheAnchor) {
    ViewState s = Client(200, 100);
    // 1000 x 500 picture scrolled to (300, 100) at zoom 1, then zoomed in without anchor.
    ASSERT_TRUE(ZoomIn(s, -1, -1));
    ScrollGeometry g = UpdateForZoom(s, {1000, 500, 300, 100}, 1000, 500, 200, 100);
    EXPECT_EQ(g, (ScrollGeometry{2000, 1000, 600, 200}));
    EXPECT_EQ(s.scrollX, 600);

    // With an anchor at the window point (100, 50) of an unscrolled view: picture point
    // (100, 50) was there and stays there, at (200, 100) of the doubled range.
    s = Client(200, 100);
    ASSERT_TRUE(ZoomIn(s, 100, 50));
    g = UpdateForZoom(s, {1000, 500, 0, 0}, 1000, 500, 200, 100);
    EXPECT_EQ(g.x, 200 - 100);
    EXPECT_EQ(g.y, 100 - 50);

    // Scrolled to the end: picture point (990, 495) under (190, 95) stays under it.
    s = Client(200, 100);
    ASSERT_TRUE(ZoomIn(s, 190, 95));
    g = UpdateForZoom(s, {1000, 500, 800, 400}, 1000, 500, 200, 100);
    EXPECT_EQ(g.x, 1980 - 190);
    EXPECT_EQ(g.y, 990 - 95);

    // A picture centred in the window (offset 50, 25): the point under (60, 30) is picture
    // point (10, 5); once the picture fills the window it cannot move left of 0.
    s = Client(200, 100);
    ASSERT_TRUE(ZoomIn(s, 60, 30));
    g = UpdateForZoom(s, {100, 50, 0, 0}, 100, 50, 200, 100);
    EXPECT_EQ(g, (ScrollGeometry{200, 100, 0, 0}));
    ASSERT_TRUE(ZoomIn(s, 150, 80));
    g = UpdateForZoom(s, g, 100, 50, 200, 100);
    EXPECT_EQ(g, (ScrollGeometry{400, 200, 150, 80}));

    // Zoomed out below the client size: no scrolling.
    s = Client(200, 100);
    s.zoom = 0.125f;
    g = UpdateForZoom(s, {1000, 500, 800, 400}, 1000, 500, 200, 100);
    EXPECT_EQ(g, (ScrollGeometry{125, 62, 0, 0}));

    FrameSize f = FrameSizeForZoom(2000, 300, 800, 600, 10, 30);
    EXPECT_EQ(f.width, 800);  // the frame fills the free space and no more
    EXPECT_EQ(f.height, 300 + 30 + 4);
}

TEST(ViewTool, EventsCarryWindowZoomedAndPicturePoints) {
    ViewState s;
    s.clientRect = InclusiveRect{0, 0, 399, 299};
    s.zoom = 2.0f;
    GetPictureRect(s, 100, 50);  // drawn at (100, 100) .. (299, 199)
    ToolEvent e = MakeToolEvent(s, 100, 50, 151, 120);
    EXPECT_EQ(e.zoomedX, 51);
    EXPECT_EQ(e.zoomedY, 20);
    EXPECT_EQ(e.pictureX, 25);
    EXPECT_EQ(e.pictureY, 10);
    EXPECT_FALSE(e.wasClamped);
    e = MakeToolEvent(s, 100, 50, 390, 5);
    EXPECT_TRUE(e.wasClamped);
    EXPECT_EQ(e.pictureX, 99);
    EXPECT_EQ(e.pictureY, 0);

    s.fitToWindow = 1;
    GetPictureRect(s, 100, 50);  // the whole client: 4 across, 6 down per pixel
    e = MakeToolEvent(s, 100, 50, 399, 299);
    EXPECT_EQ(e.pictureX, 99);
    EXPECT_EQ(e.pictureY, 49);
    e = MakeToolEvent(s, 100, 50, 7, 11);
    EXPECT_EQ(e.pictureX, 1);
    EXPECT_EQ(e.pictureY, 1);

    int made = 0;
    struct Nothing : ViewTool {
        bool Press(ToolContext&, const ToolEvent&) override { return false; }
    };
    ToolRegistry::Instance().Register(-77, [&] {
        ++made;
        return std::make_unique<Nothing>();
    });
    EXPECT_TRUE(ToolRegistry::Instance().Has(-77));
    EXPECT_NE(ToolRegistry::Instance().Create(-77), nullptr);
    EXPECT_EQ(made, 1);
    EXPECT_EQ(ToolRegistry::Instance().Create(-78), nullptr);
}

}  // namespace
}  // namespace quillory
