#include <gtest/gtest.h>

#include <cmath>

#include "view/SelectionTimer.h"
#include "view/ViewRender.h"
#include "view/ViewZoom.h"

namespace quillory {
namespace {

// A picture whose pixel (x, y) is opaque with blue = x, green = y (modulo 256); the
// left half of row 0 is transparent. Counts how often it composes.
class FakeLayers : public LayerComposer {
public:
    FakeLayers(int w, int h) : m_w(w), m_h(h) {}
    int PictureWidth() const override { return m_w; }
    int PictureHeight() const override { return m_h; }
    void ComposeVisible(TargetBuffer& t, int ox, int oy, float sx, float sy) override {
        ++calls;
        for (int r = 0; r < t.height; ++r)
            for (int c = 0; c < t.width; ++c) {
                int px = std::min(m_w - 1, int(std::floor((c + ox) / sx)));
                int py = std::min(m_h - 1, int(std::floor((r + oy) / sy)));
                if (py == 0 && px < m_w / 2) continue;
                t.pixels[size_t(r) * t.stride + c] = 0xFF000000u | uint32_t(py & 0xFF) << 8 | uint32_t(px & 0xFF);
            }
    }
    int calls = 0;

private:
    int m_w, m_h;
};

struct Canvas {
    Canvas(int w, int h) : pixels(size_t(w) * h), target(pixels.data(), w, h) {}
    uint32_t At(int x, int y) const { return pixels[size_t(y) * target.width + x]; }
    std::vector<uint32_t> pixels;
    TargetBuffer target;
};

TEST(ViewRender, SmallPictureAtZoomTwoIsCentredOnGreyWithTheHatchBehindTransparency) {
    FakeLayers layers(100, 50);
    Canvas canvas(400, 300);
    ViewState s;
    s.zoom = 2.0f;
    ViewRenderer renderer;
    PaintResult r = renderer.Paint(canvas.target, {0, 0, 400, 300}, s, layers, {}, kOverlayNone);
    EXPECT_TRUE(r.composed);
    EXPECT_EQ(r.visible.left, 100);
    EXPECT_EQ(r.visible.top, 100);
    EXPECT_EQ(r.visible.right, 300);
    EXPECT_EQ(r.visible.bottom, 200);
    EXPECT_EQ(canvas.At(99, 150), kViewBackground);
    EXPECT_EQ(canvas.At(300, 150), kViewBackground);
    EXPECT_EQ(canvas.At(150, 99), kViewBackground);
    EXPECT_EQ(canvas.At(150, 200), kViewBackground);
    EXPECT_EQ(canvas.At(100, 198), 0xFF000000u | 49u << 8 | 0u);   // picture (0, 49)
    EXPECT_EQ(canvas.At(299, 199), 0xFF000000u | 49u << 8 | 99u);  // picture (99, 49)
    // The transparent part of row 0 shows the hatch, aligned to area coordinates.
    for (int x = 100; x < 108; ++x)
        EXPECT_EQ(canvas.At(x, 100), HatchPixel(3, x, 100) ? kHatchLine : kHatchGround);
    EXPECT_EQ(s.needsRedraw, 0);
}

TEST(ViewRender, ScrollingMovesThePictureButNotTheHatchPhase) {
    FakeLayers layers(1000, 1000);
    Canvas a(64, 64), b(64, 64);
    ViewState s;
    ViewRenderer renderer;
    renderer.Paint(a.target, {0, 0, 64, 64}, s, layers, {}, kOverlayNone);
    s.scrollX = 3;
    s.scrollY = 5;
    renderer.Paint(b.target, {0, 0, 64, 64}, s, layers, {}, kOverlayNone);
    EXPECT_EQ(b.At(0, 0), a.At(3, 5));
    EXPECT_EQ(b.At(10, 20), a.At(13, 25));
    // Hatch at row 0 (transparent) for both: same area pixel, same hatch value.
    EXPECT_EQ(a.At(8, 0), HatchPixel(3, 8, 0) ? kHatchLine : kHatchGround);
}

TEST(ViewRender, GridIsDrawnOnlyWhenSpacingIsPositiveAndKeepsItsPhaseInClippedPaints) {
    FakeLayers layers(40, 40);
    ViewState s;
    ViewPaintSettings settings;
    settings.gridColour = 0x00FF0000;  // blue in platform order
    settings.gridSpacing = -8;
    Canvas hidden(100, 100);
    ViewRenderer renderer;
    renderer.Paint(hidden.target, {0, 0, 100, 100}, s, layers, settings, kOverlayNone);
    for (int x = 30; x < 70; ++x) EXPECT_NE(hidden.At(x, 35), 0xFF0000FFu);

    settings.gridSpacing = -settings.gridSpacing;  // the grid command
    Canvas whole(100, 100), part(100, 100);
    renderer.Paint(whole.target, {0, 0, 100, 100}, s, layers, settings, kOverlayNone);
    // Offset 30: lines at picture rows and columns congruent to 30 mod 8, i.e. 6, 14, ...
    EXPECT_EQ(whole.At(30 + 6, 50), 0xFF0000FFu);
    EXPECT_EQ(whole.At(50, 30 + 14), 0xFF0000FFu);
    EXPECT_NE(whole.At(30 + 7, 30 + 7), 0xFF0000FFu);
    renderer.Paint(part.target, {41, 37, 63, 66}, s, layers, settings, kOverlayNone);
    for (int y = 37; y < 66; ++y)
        for (int x = 41; x < 63; ++x) ASSERT_EQ(part.At(x, y), whole.At(x, y)) << x << "," << y;
}

TEST(ViewRender, CacheIsReusedOnlyWhileJustTheOverlayChanges) {
    FakeLayers layers(50, 50);
    Canvas canvas(80, 80);
    ViewState s;
    ViewRenderer renderer;
    int overlayCalls = 0;
    OverlayPainter overlay = [&](TargetBuffer& t, int, int, int kind, uint8_t) {
        ++overlayCalls;
        EXPECT_EQ(kind, kOverlayOutline);
        t.pixels[0] = 0xFFFFFFFF;
    };
    renderer.Paint(canvas.target, {0, 0, 80, 80}, s, layers, {}, kOverlayOutline, overlay);
    EXPECT_EQ(layers.calls, 1);
    PaintResult r = renderer.Paint(canvas.target, {0, 0, 80, 80}, s, layers, {}, kOverlayOutline, overlay);
    EXPECT_TRUE(r.cacheUsed);
    EXPECT_EQ(layers.calls, 1);
    EXPECT_EQ(overlayCalls, 2);
    EXPECT_EQ(renderer.antsPhase(), 0);  // toggled twice
    s.needsRedraw = 1;  // an edit
    renderer.Paint(canvas.target, {0, 0, 80, 80}, s, layers, {}, kOverlayOutline, overlay);
    EXPECT_EQ(layers.calls, 2);
    // Without an overlay the composite is always recomputed, and a later overlay paint does not reuse a stale cache.
    renderer.Paint(canvas.target, {0, 0, 80, 80}, s, layers, {}, kOverlayNone);
    renderer.Paint(canvas.target, {0, 0, 80, 80}, s, layers, {}, kOverlayOutline, overlay);
    EXPECT_EQ(layers.calls, 4);
    // A different visible part is not taken from the cache.
    renderer.Paint(canvas.target, {0, 0, 40, 80}, s, layers, {}, kOverlayOutline, overlay);
    EXPECT_EQ(layers.calls, 5);
}

TEST(ViewRender, FitToWindowStretchesEachAxis) {
    FakeLayers layers(10, 20);
    Canvas canvas(100, 50);
    ViewState s;
    s.fitToWindow = 1;
    s.scrollX = 40;  // ignored in this mode
    ViewRenderer renderer;
    PaintResult r = renderer.Paint(canvas.target, {0, 0, 100, 50}, s, layers, {}, kOverlayNone);
    EXPECT_EQ(r.visible.left, 0);
    EXPECT_EQ(r.visible.right, 100);
    EXPECT_EQ(r.visible.bottom, 50);
    EXPECT_EQ(canvas.At(99, 49) & 0xFF, 9u);
    EXPECT_EQ((canvas.At(99, 49) >> 8) & 0xFF, 19u);
}

TEST(ViewRender, OverlayKindFollowsToolsAndLayerKind) {
    OverlayInputs in;
    EXPECT_EQ(ChooseOverlayKind(in), kOverlayNone);
    in.currentTool = 1342;
    EXPECT_EQ(ChooseOverlayKind(in), kOverlayNone);
    in.rectAnchorSet = true;
    EXPECT_EQ(ChooseOverlayKind(in), kOverlayToolShape);
    in.outlineShown = true;
    EXPECT_EQ(ChooseOverlayKind(in), kOverlayOutline);
    in.pathEntering = true;
    EXPECT_EQ(ChooseOverlayKind(in), kOverlayPath);
    in.currentLayerKind = 2;
    EXPECT_EQ(ChooseOverlayKind(in), kOverlayNone);
    in.flattenForSaving = true;
    EXPECT_EQ(ChooseOverlayKind(in), kOverlayFlattenSave);
}

TEST(SelectionTimerRules, SixTicksThenRestUntilFocusReturns) {
    SelectionTimer t;
    t.Start();
    for (int i = 0; i < 5; ++i) EXPECT_EQ(t.OnTick(false), SelectionTimer::TickAction::RedrawOutline);
    EXPECT_EQ(t.OnTick(true), SelectionTimer::TickAction::None);  // busy document: no count
    EXPECT_EQ(t.OnTick(false), SelectionTimer::TickAction::Rested);
    EXPECT_FALSE(t.running());
    EXPECT_EQ(t.ticks(), 0);
    EXPECT_TRUE(t.OnFocusGained());
    EXPECT_TRUE(t.running());

    t.OnFocusLost();
    EXPECT_FALSE(t.running());
    EXPECT_FALSE(t.outlineShown());
    EXPECT_TRUE(t.resumePending());
    EXPECT_TRUE(t.OnFocusGained());
    EXPECT_TRUE(t.outlineShown());
    EXPECT_FALSE(t.OnFocusGained());

    t.Clear();
    t.OnFocusLost();
    EXPECT_FALSE(t.OnFocusGained());
}

}  // namespace
}  // namespace quillory
