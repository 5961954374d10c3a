// The ellipse transform's tool without a window: the handles and the box under
// the pointer at any zoom and scroll, the three kinds of drag, and Enter and Esc.
#include <gtest/gtest.h>

#include "core/CommandIds.h"
#include "document/TransformTexts.h"
#include "support/RecordingPlatform.h"
#include "view/EllipseTool.h"
#include "view/ToolTestSupport.h"

using namespace quillory;
using test::Bgra;
using test::LayerPixel;
using test::MakeDocument;

namespace {

// Drives the tool with window points, as the view does.
struct EllipseDriver {
    explicit EllipseDriver(CVandDoc& d) : document(d) {
        view.pictureRect = InclusiveRect{0, 0, d.Header().width - 1, d.Header().height - 1};
    }
    // The picture seen at a zoom, its top-left corner at (left, top) of the window, scrolled by (sx, sy).
    void Show(float zoom, int left, int top, int sx, int sy) {
        view.zoom = zoom;
        view.scrollX = sx, view.scrollY = sy;
        const int w = int(document.Header().width * zoom), h = int(document.Header().height * zoom);
        view.pictureRect = InclusiveRect{left, top, left + w - 1, top + h - 1};
    }
    ToolContext Context() {
        ToolContext c{document, view, cmd::kEllipseTransform};
        c.panels = &panels;
        return c;
    }
    ToolEvent At(double wx, double wy, bool shift = false) const {
        ToolEvent e = MakeToolEvent(view, document.Header().width, document.Header().height, int(wx), int(wy));
        e.shift = shift;
        return e;
    }
    void Drag(HandlePoint from, HandlePoint to, bool shift = false) {
        ToolContext c = Context();
        tool.Press(c, At(from.x, from.y, shift));
        tool.Move(c, At((from.x + to.x) / 2, (from.y + to.y) / 2, shift));
        tool.Move(c, At(to.x, to.y, shift));
        tool.Release(c, At(to.x, to.y, shift));
    }
    bool Key(int key) {
        ToolContext c = Context();
        return tool.Key(c, key);
    }
    HandlePoint Handle(int k) const {
        const CanvasRect rect = LayerCanvasRect(document.Layer(document.CurrentLayer()), document.Header());
        return BoxHandleWindowPoint(panels.transform.box, rect,
                                    MappingOf(view, document.Header().width, document.Header().height), k);
    }
    const EllipseBox& Box() const { return panels.transform.box; }

    CVandDoc& document;
    ViewState view;
    PanelState panels;
    EllipseTool tool;
};

HandlePoint Plus(HandlePoint p, double dx, double dy) { return HandlePoint{p.x + dx, p.y + dy}; }

}  // namespace

TEST(EllipseTool, HandlesSitOnTheBoxEdgesAtAnyZoomAndScroll) {
    const CanvasRect layer{5, 3, 40, 30};
    const EllipseBox box{2, 4, 12, 10};
    for (const PictureMapping m : {PictureMapping{0, 0, 1, 1}, PictureMapping{-30, 7, 2, 2},
                                   PictureMapping{12, 12, 0.5, 0.5}, PictureMapping{3, 4, 1.5, 0.75}}) {
        const HandlePoint topLeft = BoxHandleWindowPoint(box, layer, m, 0);
        EXPECT_DOUBLE_EQ(topLeft.x, m.originX + 7 * m.scaleX);
        EXPECT_DOUBLE_EQ(topLeft.y, m.originY + 7 * m.scaleY);
        const HandlePoint right = BoxHandleWindowPoint(box, layer, m, 5);
        EXPECT_DOUBLE_EQ(right.x, m.originX + 17 * m.scaleX);
        EXPECT_DOUBLE_EQ(right.y, m.originY + 10 * m.scaleY);
        // Mapping a handle back gives the box's edge in layer pixels.
        const LayerPosition back = WindowToLayerPosition(m, layer, right.x, right.y);
        EXPECT_DOUBLE_EQ(back.x, 12);
        EXPECT_DOUBLE_EQ(back.y, 7);
        EXPECT_EQ(BoxHandleAt(box, layer, m, right.x + 3, right.y), 5);
        EXPECT_EQ(BoxHandleAt(box, layer, m, right.x + kHandleReach + 1, right.y), -1);
    }
}

TEST(EllipseTool, MappingFollowsTheViewIncludingFitToWindow) {
    ViewState view;
    view.zoom = 4;
    view.scrollX = 100, view.scrollY = 40;
    view.pictureRect = InclusiveRect{0, 0, 399, 199};
    PictureMapping m = MappingOf(view, 100, 50);
    EXPECT_EQ(m.originX, -100);
    EXPECT_EQ(m.originY, -40);
    EXPECT_EQ(m.scaleX, 4);
    // A picture smaller than the window is centred and not scrolled.
    view.zoom = 1, view.scrollX = view.scrollY = 0;
    view.pictureRect = InclusiveRect{50, 25, 149, 74};
    m = MappingOf(view, 100, 50);
    EXPECT_EQ(m.originX, 50);
    EXPECT_EQ(m.originY, 25);
    view.fitToWindow = 1;
    view.pictureRect = InclusiveRect{0, 10, 299, 109};
    m = MappingOf(view, 100, 50);
    EXPECT_EQ(m.scaleX, 3);
    EXPECT_EQ(m.scaleY, 2);
    EXPECT_EQ(m.originY, 10);
}

TEST(EllipseTool, TinyBoxesGiveTheCornersFirstAndFarPointsNoHandle) {
    const CanvasRect layer{0, 0, 10, 10};
    const PictureMapping m{};
    // One pixel wide: the top-left corner and the top middle are half a pixel apart.
    EXPECT_EQ(BoxHandleAt(EllipseBox{3, 3, 4, 4}, layer, m, 3, 3), 0);
    EXPECT_EQ(BoxHandleAt(EllipseBox{3, 3, 4, 4}, layer, m, 4, 4), 2);
    EXPECT_EQ(BoxHandleAt(EllipseBox{0, 0, 100, 100}, layer, m, 50, 50), -1);
    EXPECT_EQ(BoxHandleAt(EllipseBox{0, 0, 100, 100}, layer, m, 50, 1), 4);
    EXPECT_EQ(BoxHandleAt(EllipseBox{0, 0, 100, 100}, layer, m, 1, 52), 7);
}

TEST(EllipseTool, HandlesMoveTheirOwnEdgesAndCornersCanKeepACircle) {
    const EllipseBox box{10, 10, 30, 20};
    EXPECT_EQ(DragBoxHandle(box, 4, 99, 5, false), (EllipseBox{10, 5, 30, 20}));   // top: y only
    EXPECT_EQ(DragBoxHandle(box, 5, 40, 99, false), (EllipseBox{10, 10, 40, 20}));  // right: x only
    EXPECT_EQ(DragBoxHandle(box, 6, 0, 26, false), (EllipseBox{10, 10, 30, 26}));
    EXPECT_EQ(DragBoxHandle(box, 7, 4, 0, false), (EllipseBox{4, 10, 30, 20}));
    EXPECT_EQ(DragBoxHandle(box, 2, 35, 22, false), (EllipseBox{10, 10, 35, 22}));
    EXPECT_EQ(DragBoxHandle(box, 0, 8, 9, false), (EllipseBox{8, 9, 30, 20}));
    // Square about the fixed opposite corner, taking the longer side.
    EXPECT_EQ(DragBoxHandle(box, 2, 35, 22, true), (EllipseBox{10, 10, 35, 35}));
    EXPECT_EQ(DragBoxHandle(box, 0, 25, 2, true), (EllipseBox{12, 2, 30, 20}));
    // A side carried past its opposite turns the box, which normalising puts right.
    EXPECT_EQ(DragBoxHandle(box, 5, 4, 0, false).Normalized(), (EllipseBox{4, 10, 10, 20}));
    EXPECT_EQ(BoxBetween(5, 5, 2, 9, true).Normalized(), (EllipseBox{1, 5, 5, 9}));
}

TEST(EllipseTool, DraggingAHandleFollowsThePointerAtEveryZoom) {
    for (const float zoom : {1.0f, 2.0f, 0.5f}) {
        auto doc = MakeDocument(80, 60);
        ASSERT_TRUE(doc);
        EllipseDriver d(*doc);
        d.Show(zoom, 0, 0, zoom > 1 ? 16 : 0, zoom > 1 ? 6 : 0);
        ASSERT_TRUE(StartEllipseTransform(d.panels.transform, *doc));
        EXPECT_EQ(d.Box(), (EllipseBox{0, 0, 80, 60})) << zoom;
        // The bottom-right handle dragged 16 pixels left and 8 up, whatever the zoom.
        d.Drag(d.Handle(2), Plus(d.Handle(2), -16 * zoom, -8 * zoom));
        EXPECT_EQ(d.Box(), (EllipseBox{0, 0, 64, 52})) << zoom;
        // Grabbed a little off its centre, a handle does not jump to the pointer.
        d.Drag(Plus(d.Handle(5), 3, 2), Plus(d.Handle(5), 3, 2));
        EXPECT_EQ(d.Box(), (EllipseBox{0, 0, 64, 52})) << zoom;
        // Inside: the whole box moves.
        d.Drag(Plus(d.Handle(0), 24 * zoom, 20 * zoom), Plus(d.Handle(0), 30 * zoom, 24 * zoom));
        EXPECT_EQ(d.Box(), (EllipseBox{6, 4, 70, 56})) << zoom;
    }
}

TEST(EllipseTool, DraggingBesideTheBoxDrawsANewOneAndAClickKeepsTheOld) {
    auto doc = MakeDocument(60, 40);
    ASSERT_TRUE(doc);
    EllipseDriver d(*doc);
    // The layer lies 4 pixels right and 2 down; the box is in its pixels.
    ASSERT_TRUE(doc->MoveLayer(4, 2, false));
    d.Show(2, 10, 10, 0, 0);
    ASSERT_TRUE(StartEllipseTransform(d.panels.transform, *doc));
    d.Drag(d.Handle(2), Plus(d.Handle(2), -70, -40));
    ASSERT_EQ(d.Box(), (EllipseBox{0, 0, 25, 20}));
    const HandlePoint origin = d.Handle(0);  // layer pixel edge (0, 0)
    d.Drag(Plus(origin, 60, 50), Plus(origin, 80, 90));
    EXPECT_EQ(d.Box(), (EllipseBox{30, 25, 40, 45}));
    // Drawn backwards with Shift: a circle towards the top left.
    d.Drag(Plus(origin, 100, 100), Plus(origin, 90, 60), true);
    EXPECT_EQ(d.Box(), (EllipseBox{30, 30, 50, 50}));
    d.Drag(Plus(origin, 20, 20), Plus(origin, 20, 20));
    EXPECT_EQ(d.Box(), (EllipseBox{30, 30, 50, 50}));
}

TEST(EllipseTool, EnterBendsTheLayerAsOneStepAndEscLeavesItAlone) {
    auto doc = MakeDocument(20, 20);
    ASSERT_TRUE(doc);
    test::PaintLayer(*doc, doc->CurrentLayer(), Bgra{10, 20, 200, 255});
    EllipseDriver d(*doc);
    d.Show(1, 0, 0, 0, 0);
    const size_t steps = doc->RecordedSteps().size();
    ASSERT_TRUE(StartEllipseTransform(d.panels.transform, *doc));
    EXPECT_FALSE(d.Key('x'));
    ASSERT_TRUE(d.Key(27));
    EXPECT_FALSE(d.panels.transform.IsFor(*doc));
    EXPECT_EQ(doc->RecordedSteps().size(), steps);
    EXPECT_EQ(LayerPixel(*doc, 0, 0), (Bgra{10, 20, 200, 255}));
    // With no box Enter means nothing.
    EXPECT_FALSE(d.Key('\r'));

    // The first press starts the box on the layer again.
    d.Drag(d.Handle(0), d.Handle(0));
    ASSERT_TRUE(d.panels.transform.IsFor(*doc));
    d.Drag(d.Handle(2), Plus(d.Handle(2), -4, -4));
    ASSERT_TRUE(d.Key('\r'));
    EXPECT_FALSE(d.panels.transform.IsFor(*doc));
    ASSERT_EQ(doc->RecordedSteps().size(), steps + 1);
    EXPECT_EQ(doc->RecordedSteps().back().name, texts::kStepEllipse);
    // The ellipse fills the 16 × 16 box; its corners are empty and so is what lies outside it.
    EXPECT_EQ(LayerPixel(*doc, 8, 8), (Bgra{10, 20, 200, 255}));
    EXPECT_EQ(LayerPixel(*doc, 0, 0).a, 0);
    EXPECT_EQ(LayerPixel(*doc, 15, 15).a, 0);
    EXPECT_EQ(LayerPixel(*doc, 18, 8).a, 0);
}

TEST(EllipseTool, DoubleClickAppliesAndATextLayerIsRefused) {
    test::RecordingPlatform platform;
    auto doc = MakeDocument(40, 40);
    ASSERT_TRUE(doc);
    EllipseDriver d(*doc);
    d.Show(1, 0, 0, 0, 0);
    const size_t steps = doc->RecordedSteps().size();
    ToolContext c = d.Context();
    ASSERT_TRUE(d.tool.Press(c, d.At(20, 20)));
    d.tool.Release(c, d.At(20, 20));
    EXPECT_EQ(d.Box(), (EllipseBox{0, 0, 40, 40}));
    ASSERT_TRUE(d.tool.DoubleClick(c, d.At(20, 20)));
    EXPECT_EQ(doc->RecordedSteps().size(), steps + 1);
    EXPECT_EQ(LayerPixel(*doc, 0, 0).a, 0);
    EXPECT_EQ(LayerPixel(*doc, 20, 20).a, 255);

    doc->Layer(doc->CurrentLayer()).kind = LayerKind::Text;
    EXPECT_FALSE(BeginEllipseTransform(d.panels.transform, *doc));
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0], texts::kLayerIsTextLayer);
    // The tool itself starts nothing on it, quietly.
    EXPECT_FALSE(d.tool.Press(c, d.At(20, 20)));
    EXPECT_EQ(platform.messages.size(), 1u);

    // A document without layers has nothing to shape, and says nothing.
    CVandDoc empty;
    TransformSession session;
    EXPECT_FALSE(BeginEllipseTransform(session, empty));
    EXPECT_FALSE(session.IsFor(empty));
    EXPECT_EQ(platform.messages.size(), 1u);
}

TEST(EllipseTool, PointerShowsWhatADragThereWouldDo) {
    auto doc = MakeDocument(80, 60);
    ASSERT_TRUE(doc);
    EllipseDriver d(*doc);
    d.Show(2, 10, 10, 0, 0);
    ToolContext c = d.Context();
    // No box yet: the environment's cursor.
    EXPECT_EQ(d.tool.CursorAt(c, d.At(50, 50)), ToolCursor::Default);
    ASSERT_TRUE(StartEllipseTransform(d.panels.transform, *doc));
    const ToolCursor expected[kBoxHandleCount] = {
        ToolCursor::SizeDiagonal,     ToolCursor::SizeAntiDiagonal, ToolCursor::SizeDiagonal,
        ToolCursor::SizeAntiDiagonal, ToolCursor::SizeVertical,     ToolCursor::SizeHorizontal,
        ToolCursor::SizeVertical,     ToolCursor::SizeHorizontal};
    for (int k = 0; k < kBoxHandleCount; ++k) {
        const HandlePoint h = d.Handle(k);
        EXPECT_EQ(d.tool.CursorAt(c, d.At(h.x + 2, h.y - 2)), expected[k]) << k;
    }
    EXPECT_EQ(d.tool.CursorAt(c, d.At(50, 50)), ToolCursor::Move);
    EXPECT_EQ(d.tool.CursorAt(c, d.At(300, 50)), ToolCursor::Default);
    // While a side is dragged its arrows stay, wherever the pointer goes.
    const HandlePoint right = d.Handle(5);
    d.tool.Press(c, d.At(right.x, right.y));
    EXPECT_EQ(d.tool.CursorAt(c, d.At(300, 300)), ToolCursor::SizeHorizontal);
    d.tool.Release(c, d.At(right.x, right.y));
    EXPECT_EQ(d.tool.CursorAt(c, d.At(300, 300)), ToolCursor::Default);
}
