#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "core/ClassicRandom.h"
#include "document/DocumentTexts.h"
#include "document/ToolTexts.h"
#include "document/UndoHistory.h"
#include "processing/LineStepping.h"
#include "support/RecordingPlatform.h"
#include "view/ToolTestSupport.h"
#include "view/tools/PaintTools.h"

namespace quillory {
namespace {

using test::Bgra;
using test::LayerPixel;
using test::MakeDocument;
using test::ToolDriver;

const Bgra kWhite{255, 255, 255, 255};
const Bgra kBlack{0, 0, 0, 255};

std::string LastStep(const CVandDoc& d) { return d.RecordedSteps().empty() ? "" : d.RecordedSteps().back().name; }

TEST(LineStepping, StepsAlongTheLongerAxisAndTracesMidpointRings) {
    std::vector<std::pair<int, int>> points;
    StepLine(0, 0, 3, 1, [&](int x, int y) { points.emplace_back(x, y); });
    EXPECT_EQ(points, (std::vector<std::pair<int, int>>{{0, 0}, {1, 0}, {2, 1}, {3, 1}}));
    points.clear();
    StepLine(2, 5, 1, 1, [&](int x, int y) { points.emplace_back(x, y); });
    ASSERT_EQ(points.size(), 5u);
    EXPECT_EQ(points.front(), std::make_pair(2, 5));
    EXPECT_EQ(points.back(), std::make_pair(1, 1));

    // Every point of a ring lies within half a pixel of its radius, and each octant is closed.
    for (int radius : {1, 2, 5, 13, 24}) {
        std::vector<std::pair<int, int>> ring;
        TraceRing(radius, [&](int dx, int dy) { ring.emplace_back(dx, dy); });
        for (auto [dx, dy] : ring) EXPECT_NEAR(std::hypot(dx, dy), radius, 0.71) << radius;
        EXPECT_GE(ring.size(), size_t(4));
    }
}

TEST(PaintTools, BrushOfSize40StampsTheLargestDiscAndRecordsOneStep) {
    auto d = MakeDocument(80, 80);
    ToolDriver brush(*d, cmd::kToolBrush);
    brush.brushSize = 40;
    const size_t before = d->RecordedSteps().size();
    EXPECT_TRUE(brush.Press(40, 40));
    EXPECT_TRUE(brush.Release(40, 40));
    // Rings 1..24 around the centre: 25 pixels from the centre to the rim, the centre included.
    for (auto [dx, dy] : {std::pair{24, 0}, {-24, 0}, {0, 24}, {0, -24}, {0, 0}, {17, 17}}) {
        EXPECT_EQ(LayerPixel(*d, 40 + dx, 40 + dy), kBlack) << dx << "," << dy;
    }
    for (auto [dx, dy] : {std::pair{25, 0}, {-25, 0}, {0, 25}, {0, -25}, {18, 18}})
        EXPECT_EQ(LayerPixel(*d, 40 + dx, 40 + dy), kWhite) << dx << "," << dy;
    EXPECT_EQ(d->RecordedSteps().size(), before + 1);
    EXPECT_EQ(LastStep(*d), texts::kStepBrush);
}

TEST(PaintTools, StrokeFollowsTheMovesAndUndoGivesTheLayerBack) {
    auto d = MakeDocument(60, 30);
    ToolDriver brush(*d, cmd::kToolBrush);
    brush.brushSize = 3;
    brush.foreground = 0x0000FF;  // red
    brush.Press(5, 10);
    brush.Move(30, 10);
    brush.Move(30, 20);
    brush.Release(50, 20);
    for (int x = 5; x <= 30; ++x) EXPECT_EQ(LayerPixel(*d, x, 10), (Bgra{0, 0, 255, 255})) << x;
    for (int y = 10; y <= 20; ++y) EXPECT_EQ(LayerPixel(*d, 30, y), (Bgra{0, 0, 255, 255})) << y;
    EXPECT_EQ(LayerPixel(*d, 50, 20), (Bgra{0, 0, 255, 255}));
    EXPECT_EQ(LayerPixel(*d, 5, 25), kWhite);
    ASSERT_TRUE(d->History().Undo());
    for (int x = 0; x < 60; ++x) EXPECT_EQ(LayerPixel(*d, x, 10), kWhite);

    // A quick second click paints again as its own step: the window reports it as a double click.
    const size_t steps = d->RecordedSteps().size();
    brush.Click(40, 5);
    EXPECT_TRUE(brush.DoubleClick(45, 5));
    brush.Release(45, 5);
    EXPECT_EQ(LayerPixel(*d, 45, 5), (Bgra{0, 0, 255, 255}));
    EXPECT_EQ(d->RecordedSteps().size(), steps + 2);
}

TEST(PaintTools, EraserClearsOpacityAndSoftEdgesKeepTheRimPartly) {
    auto d = MakeDocument(60, 60);
    ToolDriver eraser(*d, cmd::kToolEraser);
    eraser.brushSize = 10;
    eraser.Click(30, 30);
    EXPECT_EQ(LastStep(*d), texts::kStepErase);
    EXPECT_EQ(LayerPixel(*d, 30, 30).a, 0);
    EXPECT_EQ(LayerPixel(*d, 39, 30).a, 0);
    EXPECT_EQ(LayerPixel(*d, 40, 30).a, 255);

    auto e = MakeDocument(60, 60);
    ToolDriver soft(*e, cmd::kToolEraser);
    soft.brushSize = 10;
    soft.soft = 1;
    EngineRandom().Reset();
    soft.Click(30, 30);
    // Near the centre g is 0 (fully erased); towards the rim the opacity rises with the ring.
    EXPECT_EQ(LayerPixel(*e, 31, 30).a, 0);
    const int rim = LayerPixel(*e, 39, 30).a;
    EXPECT_GT(rim, 150);
    EXPECT_LT(rim, 255);
}

TEST(PaintTools, SoftBrushMixesThePresentColourBackTowardsTheRim) {
    auto d = MakeDocument(60, 60);
    ToolDriver brush(*d, cmd::kToolBrush);
    brush.brushSize = 20;
    brush.soft = 1;
    EngineRandom().Reset();
    brush.Click(30, 30);
    EXPECT_EQ(LayerPixel(*d, 31, 30), kBlack);
    const Bgra rim = LayerPixel(*d, 49, 30);
    EXPECT_GT(rim.r, 150);  // mostly the white that was there
    EXPECT_LT(rim.r, 255);
    EXPECT_EQ(rim.a, 255);
}

TEST(PaintTools, LineAndPolylineDrawBetweenTheirPoints) {
    auto d = MakeDocument(40, 40);
    ToolDriver line(*d, cmd::kToolLine);
    line.Press(0, 0);
    line.Move(20, 20);
    EXPECT_EQ(LayerPixel(*d, 10, 10), kWhite);  // nothing before the release
    EXPECT_TRUE(line.Release(3, 1));
    EXPECT_EQ(LastStep(*d), texts::kStepLine);
    for (auto [x, y] : {std::pair{0, 0}, {1, 0}, {2, 1}, {3, 1}}) EXPECT_EQ(LayerPixel(*d, x, y), kBlack);
    EXPECT_EQ(LayerPixel(*d, 2, 0), kWhite);

    ToolDriver polyline(*d, cmd::kToolPolyline);
    const size_t before = d->RecordedSteps().size();
    EXPECT_FALSE(polyline.Click(10, 30));
    EXPECT_TRUE(polyline.Click(30, 30));
    EXPECT_TRUE(polyline.Click(30, 10));
    EXPECT_EQ(d->RecordedSteps().size(), before + 2);  // one step a segment
    EXPECT_EQ(LastStep(*d), texts::kStepPolyline);
    EXPECT_EQ(LayerPixel(*d, 20, 30), kBlack);
    EXPECT_EQ(LayerPixel(*d, 30, 20), kBlack);
}

TEST(PaintTools, CircleIsCentredOnTheReleasePointThroughThePressPoint) {
    auto d = MakeDocument(40, 40);
    ToolDriver circle(*d, cmd::kToolCircle);
    circle.Press(10, 10);
    EXPECT_TRUE(circle.Release(13, 14));
    EXPECT_EQ(LastStep(*d), texts::kStepCircle);
    int painted = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
            if (LayerPixel(*d, x, y) == kBlack) {
                ++painted;
                EXPECT_NEAR(std::hypot(x - 13, y - 14), 5.0, 0.71) << x << "," << y;
            }
    EXPECT_GE(painted, 28);
    for (auto [x, y] : {std::pair{18, 14}, {8, 14}, {13, 9}, {13, 19}}) EXPECT_EQ(LayerPixel(*d, x, y), kBlack);
}

TEST(PaintTools, DotPaintsASquareBesideThePointAndKeepsOpacity) {
    auto d = MakeDocument(20, 20, NewPictureSettings::Transparent);
    ToolDriver dot(*d, cmd::kToolDot);
    dot.brushSize = 3;
    dot.foreground = 0x00FF00;
    EXPECT_TRUE(dot.Click(10, 10));
    EXPECT_EQ(LastStep(*d), texts::kStepDot);
    // Columns x − 2 .. x and stored rows above the point: picture rows y − 3 .. y − 1.
    int changed = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) {
            const Bgra p = LayerPixel(*d, x, y);
            EXPECT_EQ(p.a, 0);
            if (p.g == 255 && p.r == 0) {
                ++changed;
                EXPECT_TRUE(x >= 8 && x <= 10 && y >= 7 && y <= 9) << x << "," << y;
            }
        }
    EXPECT_EQ(changed, 9);
}

TEST(PaintTools, FillStopsAtABlackBorderAndFillsATransparentLayerWhole) {
    auto d = MakeDocument(30, 30);
    const int slot = d->CurrentLayer();
    for (int i = 5; i <= 20; ++i) {
        test::SetPixel(*d, slot, i, 5, kBlack), test::SetPixel(*d, slot, i, 20, kBlack);
        test::SetPixel(*d, slot, 5, i, kBlack), test::SetPixel(*d, slot, 20, i, kBlack);
    }
    ToolDriver fill(*d, cmd::kToolFill);
    fill.value1 = 10;
    fill.foreground = 0xFF0000;  // blue
    test::RecordingPlatform platform;
    EXPECT_TRUE(fill.Click(10, 10));
    EXPECT_EQ(LastStep(*d), texts::kStepFill);
    EXPECT_EQ(LayerPixel(*d, 6, 6), (Bgra{255, 0, 0, 255}));
    EXPECT_EQ(LayerPixel(*d, 19, 19), (Bgra{255, 0, 0, 255}));
    EXPECT_EQ(LayerPixel(*d, 5, 10), kBlack);
    EXPECT_EQ(LayerPixel(*d, 4, 10), kWhite);
    EXPECT_EQ(LayerPixel(*d, 25, 25), kWhite);
    EXPECT_GE(platform.waitCount, 1);

    auto t = MakeDocument(30, 20, NewPictureSettings::Transparent);
    ToolDriver whole(*t, cmd::kToolFill);
    whole.value1 = 0;
    whole.foreground = 0x0000FF;
    EXPECT_TRUE(whole.Click(3, 3));
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x) ASSERT_EQ(LayerPixel(*t, x, y), (Bgra{0, 0, 255, 255})) << x << "," << y;
}

TEST(PaintTools, FillFollowsSlowRampsAndStaysInsideTheSelectionWithASoftEdge) {
    // A ramp of step 3 is crossed with tolerance 10 although its ends differ by far more.
    auto d = MakeDocument(60, 10);
    const int slot = d->CurrentLayer();
    for (int x = 0; x < 60; ++x)
        for (int y = 0; y < 10; ++y) test::SetPixel(*d, slot, x, y, Bgra{3 * x, 3 * x, 3 * x, 255});
    ToolDriver fill(*d, cmd::kToolFill);
    fill.value1 = 10;
    fill.Click(0, 0);
    EXPECT_EQ(LayerPixel(*d, 59, 9), kBlack);

    auto e = MakeDocument(40, 40);
    ASSERT_TRUE(SelectRectangle(*e, LayerPoint{10, 10}, LayerPoint{29, 29}));
    ToolDriver soft(*e, cmd::kToolFill);
    soft.value1 = 10;
    soft.value2 = 4;
    soft.Click(20, 20);
    EXPECT_EQ(LayerPixel(*e, 20, 20), (Bgra{0, 0, 0, 255}));  // deep inside
    EXPECT_EQ(LayerPixel(*e, 5, 5), kWhite);                   // outside the selection: untouched
    const int edge = LayerPixel(*e, 10, 20).a;                 // on the selection's border
    EXPECT_LT(edge, 255);
}

TEST(PaintTools, SprayAndDropChangeThePixelsAroundThePointer) {
    auto d = MakeDocument(80, 80);
    ToolDriver spray(*d, cmd::kToolSpray);
    spray.Press(40, 40);
    spray.Move(42, 40);
    EXPECT_TRUE(spray.Release(42, 40));
    EXPECT_EQ(LastStep(*d), texts::kStepSpray);
    EXPECT_EQ(LayerPixel(*d, 41, 40), kBlack);
    EXPECT_EQ(LayerPixel(*d, 70, 40), kWhite);

    auto e = MakeDocument(80, 40);
    const int slot = e->CurrentLayer();
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) test::SetPixel(*e, slot, x, y, Bgra{0, 0, 200, 255});
    ToolDriver drop(*e, cmd::kToolDrop);
    drop.brushSize = 5;
    drop.value1 = 10;
    drop.Click(38, 20);
    EXPECT_EQ(LastStep(*e), texts::kStepDrop);
    const Bgra near = LayerPixel(*e, 41, 20), far = LayerPixel(*e, 47, 20);
    EXPECT_LT(near.b, far.b);  // the centre colour fades out
    EXPECT_LT(near.b, 255);
    EXPECT_EQ(LayerPixel(*e, 60, 20), kWhite);
    // A wider spread carries more of the centre colour to the same place.
    auto f = MakeDocument(80, 40);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) test::SetPixel(*f, f->CurrentLayer(), x, y, Bgra{0, 0, 200, 255});
    ToolDriver wide(*f, cmd::kToolDrop);
    wide.brushSize = 5;
    wide.value1 = 30;
    wide.Click(38, 20);
    EXPECT_LT(LayerPixel(*f, 45, 20).b, LayerPixel(*e, 45, 20).b);
}

TEST(PaintTools, PickerTakesTheLayerColourAndTextLayersAreRefused) {
    auto d = MakeDocument(10, 10);
    test::SetPixel(*d, d->CurrentLayer(), 4, 4, Bgra{10, 20, 30, 255});
    ToolDriver picker(*d, cmd::kToolColourPicker);
    picker.Click(4, 4);
    EXPECT_EQ(picker.foreground, 30u | 20u << 8 | 10u << 16);

    d->Layer(d->CurrentLayer()).kind = LayerKind::Text;
    test::RecordingPlatform platform;
    ToolDriver brush(*d, cmd::kToolBrush);
    EXPECT_FALSE(brush.Press(2, 2));
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0], texts::kTextLayerIsCurrent);
}

TEST(PaintTools, SlidersFollowTheChosenTool) {
    EXPECT_FALSE(SlidersFor(cmd::kToolBrush).first.enabled);
    EXPECT_FALSE(SlidersFor(cmd::kToolBrush).second.enabled);
    const ToolSliders drop = SlidersFor(cmd::kToolDrop);
    EXPECT_STREQ(drop.first.label, texts::kSliderSpread);
    EXPECT_EQ(drop.first.minimum, 5);
    EXPECT_EQ(drop.first.maximum, 30);
    EXPECT_EQ(drop.first.start, 10);
    const ToolSliders fill = SlidersFor(cmd::kToolFill);
    EXPECT_EQ(fill.first.start, 10);
    EXPECT_EQ(fill.first.maximum, 60);
    EXPECT_TRUE(fill.second.keepValue);
    EXPECT_EQ(SlidersFor(cmd::kToolMagicWand).first.start, 25);
    EXPECT_TRUE(ReselectDoesNothing(cmd::kToolFill));
    EXPECT_FALSE(ReselectDoesNothing(cmd::kToolBrush));
}

TEST(PaintTools, PaintingRespectsTheSelection) {
    auto d = MakeDocument(40, 40);
    ASSERT_TRUE(SelectRectangle(*d, LayerPoint{0, 0}, LayerPoint{19, 39}));  // the left half
    ToolDriver brush(*d, cmd::kToolBrush);
    brush.brushSize = 1;
    brush.Press(5, 20);
    brush.Move(35, 20);
    brush.Release(35, 20);
    EXPECT_EQ(LayerPixel(*d, 19, 20), kBlack);
    EXPECT_EQ(LayerPixel(*d, 20, 20), kWhite);
}

}  // namespace
}  // namespace quillory
