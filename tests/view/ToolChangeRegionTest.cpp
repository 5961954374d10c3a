// The tools report the part of the picture they changed, and the view blends only
// that part again: after every event the cached composite, told only the reported
// region, must show what blending every layer afresh gives.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "document/LayerPlanes.h"
#include "document/SelectionEditing.h"
#include "view/CompositeCache.h"
#include "view/StackComposer.h"
#include "view/ToolTestSupport.h"
#include "view/tools/LayerCanvas.h"

namespace quillory {
namespace {

using test::MakeDocument;
using test::ToolDriver;

std::vector<uint32_t> Compose(LayerComposer& layers, int w, int h, float scale) {
    const int cw = std::max(1, int(w * scale)), ch = std::max(1, int(h * scale));
    std::vector<uint32_t> pixels(size_t(cw) * ch, 0);
    TargetBuffer target(pixels.data(), cw, ch);
    layers.ComposeVisible(target, 0, 0, scale, scale);
    return pixels;
}

// A picture of a coloured background and a transparent layer over it (the current one).
std::unique_ptr<CVandDoc> TwoLayers(int w, int h) {
    auto d = MakeDocument(w, h);
    EXPECT_TRUE(d);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            test::SetPixel(*d, 0, x, y, test::Bgra{x * 5 % 256, y * 3 % 256, (x ^ y) % 256, 255});
    EXPECT_TRUE(d->AddLayer());
    return d;
}

// The view's cache of the composite at full size and reduced to half.
struct CachedView {
    explicit CachedView(CVandDoc& document) : d(document), cache(document.Header(), document.Stack()) {
        Compose(cache, Width(), Height(), 1.0f);
        Compose(cache, Width(), Height(), 0.5f);
    }
    int Width() const { return d.Header().width; }
    int Height() const { return d.Header().height; }

    // What the view does after a tool's event, then the check of what it shows.
    void Follow(ToolDriver& tool, const char* what) {
        SCOPED_TRACE(what);
        if (tool.markedWhole) cache.Invalidate();
        else cache.InvalidateRegion(tool.marked);
        tool.markedWhole = false;
        tool.marked = {};
        StackComposer plain(d.Header(), d.Stack());
        for (float scale : {1.0f, 0.5f}) {
            const std::vector<uint32_t> got = Compose(cache, Width(), Height(), scale);
            const std::vector<uint32_t> want = Compose(plain, Width(), Height(), scale);
            const int w = std::max(1, int(Width() * scale));
            for (size_t i = 0; i < want.size(); ++i)
                ASSERT_EQ(got[i], want[i]) << "stale at " << i % w << "," << i / w << " scale " << scale;
        }
    }

    CVandDoc& d;
    CompositeCache cache;
};

IntRect Union(IntRect a, const IntRect& b) {
    if (a.IsEmpty()) return b;
    if (b.IsEmpty()) return a;
    return IntRect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                   std::max(a.bottom, b.bottom)};
}

bool Within(const IntRect& inner, const IntRect& outer) {
    return inner.IsEmpty() || (inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
                               inner.bottom <= outer.bottom);
}

TEST(ToolChangeRegions, AStrokeMarksOnlyItsBoundsGrownByTheBrush) {
    auto d = TwoLayers(200, 120);
    CachedView view(*d);
    for (int soft : {0, 1}) {
        for (int id : {cmd::kToolBrush, cmd::kToolEraser}) {
            ToolDriver brush(*d, id);
            brush.brushSize = 9;
            brush.soft = soft;
            brush.foreground = 0x2040F0;
            const std::vector<std::pair<int, int>> points{{30, 40}, {80, 45}, {92, 90}, {60, 100}};
            IntRect marked;
            brush.Press(points[0].first, points[0].second);
            ASSERT_TRUE(brush.regionOnly);
            marked = Union(marked, brush.region);
            view.Follow(brush, "press");
            for (size_t i = 1; i < points.size(); ++i) {
                ASSERT_TRUE(brush.Move(points[i].first, points[i].second));
                ASSERT_TRUE(brush.regionOnly);
                EXPECT_FALSE(brush.region.IsEmpty());
                marked = Union(marked, brush.region);
                view.Follow(brush, "move");
            }
            // The release only records the step: nothing more to blend.
            ASSERT_TRUE(brush.Release(points.back().first, points.back().second));
            EXPECT_TRUE(brush.regionOnly);
            EXPECT_TRUE(brush.region.IsEmpty());
            view.Follow(brush, "release");
            const IntRect bounds{30 - 9, 40 - 9, 92 + 10, 100 + 10};
            EXPECT_TRUE(Within(marked, bounds)) << marked.left << "," << marked.top << " " << marked.right << ","
                                                << marked.bottom;
            EXPECT_GE(marked.Width(), 92 - 30);
            EXPECT_GE(marked.Height(), 100 - 40);
        }
    }
}

TEST(ToolChangeRegions, EveryPaintingToolReportsAllItChanged) {
    auto d = TwoLayers(160, 100);
    CachedView view(*d);
    ToolDriver line(*d, cmd::kToolLine);
    line.brushSize = 5;
    line.Press(10, 10);
    EXPECT_FALSE(line.Move(100, 50)) << "the rubber band changes no pixel";
    line.Release(120, 70);
    EXPECT_FALSE(line.region.IsEmpty());
    EXPECT_TRUE(Within(line.region, IntRect{10 - 5, 10 - 5, 120 + 6, 70 + 6}));
    view.Follow(line, "line");

    ToolDriver circle(*d, cmd::kToolCircle);
    circle.brushSize = 3;
    circle.Press(60, 50), circle.Release(80, 50);
    EXPECT_TRUE(circle.regionOnly);
    view.Follow(circle, "circle");

    ToolDriver polyline(*d, cmd::kToolPolyline);
    polyline.Click(5, 90), polyline.Click(150, 8);
    view.Follow(polyline, "polyline");

    ToolDriver dot(*d, cmd::kToolDot);
    dot.brushSize = 6;
    dot.Click(140, 90);
    view.Follow(dot, "dot");

    ToolDriver spray(*d, cmd::kToolSpray);
    spray.Press(40, 70), spray.Move(45, 72);
    view.Follow(spray, "spray");
    spray.Release(45, 72);
    EXPECT_TRUE(spray.regionOnly && spray.region.IsEmpty());

    // The drop smears the background's colours into the painted layer's strokes.
    ToolDriver drop(*d, cmd::kToolDrop);
    drop.brushSize = 4;
    drop.Press(60, 40), drop.Move(64, 44);
    view.Follow(drop, "drop");
    drop.Release(64, 44);

    // A fill of the transparent rest of the layer reaches the far corners.
    ToolDriver fill(*d, cmd::kToolFill);
    fill.foreground = 0x00FF00;
    ASSERT_TRUE(fill.Press(159, 0));
    EXPECT_TRUE(fill.regionOnly);
    view.Follow(fill, "fill");
}

TEST(ToolChangeRegions, AMovedLayerMarksWhereItWasAndWhereItIs) {
    auto d = TwoLayers(120, 80);
    CachedView view(*d);
    ToolDriver brush(*d, cmd::kToolBrush);
    brush.brushSize = 7;
    brush.Press(20, 20), brush.Move(50, 30), brush.Release(50, 30);
    view.Follow(brush, "stroke");

    ToolDriver move(*d, cmd::kToolMove);
    move.Press(30, 30);
    move.Move(45, 37);
    ASSERT_TRUE(move.regionOnly);
    // The whole layer moved: its old place and its new one.
    const CanvasRect now = LayerCanvasRect(d->Layer(d->CurrentLayer()), d->Header());
    EXPECT_EQ(now.left, 15);
    EXPECT_EQ(move.region.left, 0);
    EXPECT_EQ(move.region.right, now.Right());
    view.Follow(move, "move");
    move.Release(45, 37);

    // Painting on the moved layer reports picture positions, not the layer's own.
    brush.Press(100, 60), brush.Release(100, 60);
    EXPECT_TRUE(Within(brush.marked, IntRect{100 - 7, 60 - 7, 100 + 8, 60 + 8}));
    EXPECT_FALSE(brush.marked.IsEmpty());
    view.Follow(brush, "stroke on the moved layer");

    // Lifting a selection changes the layers: the whole picture is blended again.
    ASSERT_TRUE(SelectRectangle(*d, ToLayerPoint(*d, 20, 20), ToLayerPoint(*d, 60, 50)));
    move.Press(40, 30);
    ASSERT_TRUE(move.Move(48, 33));
    EXPECT_FALSE(move.regionOnly);
    view.Follow(move, "lift");
    move.Release(48, 33);
}

TEST(ToolChangeRegions, SelectingLeavesTheCompositeAlone) {
    auto d = TwoLayers(90, 60);
    CachedView view(*d);
    ToolDriver rect(*d, cmd::kToolRectSelect);
    rect.Press(10, 10);
    EXPECT_TRUE(rect.regionOnly && rect.region.IsEmpty());
    rect.Release(40, 30);
    EXPECT_TRUE(rect.regionOnly && rect.region.IsEmpty());
    EXPECT_GT(test::SelectedCount(*d), 0);
    view.Follow(rect, "rectangle");

    ToolDriver wand(*d, cmd::kToolMagicWand);
    wand.value1 = 40;
    EXPECT_TRUE(wand.Press(70, 50));
    EXPECT_TRUE(wand.regionOnly && wand.region.IsEmpty());

    ToolDriver polygon(*d, cmd::kToolPolygonSelect);
    polygon.Click(5, 5), polygon.Click(50, 5);
    EXPECT_TRUE(polygon.DoubleClick(30, 40));
    EXPECT_TRUE(polygon.regionOnly && polygon.region.IsEmpty());
    view.Follow(polygon, "polygon");
}

}  // namespace
}  // namespace quillory
