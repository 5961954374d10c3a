// Measuring with the tools on a document: objects, their values and pixels, the
// selection, vector undo and redo, erasing and the limits.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "document/DocumentTexts.h"
#include "document/CommandRegistry.h"
#include "document/UndoHistory.h"
#include "measure/MeasureCanvas.h"
#include "measure/MeasureTexts.h"
#include "measure/MeasureTools.h"
#include "measure/MeasureTestSupport.h"

using namespace quillory;
using namespace quillory::test;

namespace {

int CountOpaque(const CVandDoc& document, int layer) {
    const std::vector<uint8_t>& alpha = document.Layer(layer).alpha;
    return int(std::count_if(alpha.begin(), alpha.end(), [](uint8_t a) { return a != 0; }));
}

int MeasureLayer(const CVandDoc& document) { return FindMeasures(document)->MeasureLayerIndex(); }

}  // namespace

TEST(MeasureObjects, ASegmentGoesOnANewMeasurementLayerWithItsLengthAndLabel) {
    TextBlockPlatform platform;
    auto doc = MakePicture(200, 100);
    Calibrate(*doc, 100, 0, 50.0f);
    ASSERT_TRUE(Drag(*doc, cmd::kToolMeasureSegment, {10, 50}, {50, 50}));

    const MeasureSet& set = *FindMeasures(*doc);
    ASSERT_EQ(set.ObjectCount(), 1);
    const MeasureObject& o = set.Object(0);
    EXPECT_EQ(o.kind, mtexts::kKindSegment);
    EXPECT_FLOAT_EQ(o.length, 20.0f);
    EXPECT_EQ(o.points, (std::vector<MeasurePoint>{{10, 50}, {50, 50}}));
    // The figure lives on a layer of its own, added as an undo step; the picture is untouched.
    const int layer = MeasureLayer(*doc);
    ASSERT_GE(layer, 0);
    EXPECT_EQ(doc->CurrentLayer(), layer);
    EXPECT_EQ(doc->Layer(layer).kind, LayerKind::Measure);
    EXPECT_EQ(doc->RecordedSteps().back().name, mtexts::kStepAddMeasureLayer);
    EXPECT_EQ(AlphaAt(*doc, layer, 30, 50), 255);
    EXPECT_EQ(AlphaAt(*doc, layer, 30, 40), 0);
    EXPECT_EQ(std::count(doc->Layer(0).alpha.begin(), doc->Layer(0).alpha.end(), 255), 200 * 100);
    EXPECT_EQ(platform.texts, std::vector<std::string>{"20.00 um"});
    EXPECT_TRUE(doc->IsModified());
    // The coverage counts exactly the pixels the figure drew.
    EXPECT_EQ(std::count(set.CoverCount().begin(), set.CoverCount().end(), 1), CountOpaque(*doc, layer));
}

TEST(MeasureObjects, LabelsGoAboveAStartThatLiesAboveTheEnd) {
    TextBlockPlatform platform;
    auto doc = MakePicture(200, 200);
    Calibrate(*doc, 10, 0, 1.0f);
    MeasuresOf(*doc).Settings().labelFontSize = "9";  // 12 pixels high
    Drag(*doc, cmd::kToolMeasureSegment, {100, 100}, {150, 150});
    const int layer = MeasureLayer(*doc);
    // The label's block starts 25 pixels above the start point.
    EXPECT_EQ(AlphaAt(*doc, layer, 101, 75), 255);
    EXPECT_EQ(AlphaAt(*doc, layer, 101, 74), 0);
    Drag(*doc, cmd::kToolMeasureSegment, {100, 30}, {150, 10});
    EXPECT_EQ(AlphaAt(*doc, layer, 110, 31), 255);  // below the start, the label at the start
}

TEST(MeasureObjects, EqualDistancesSelectTheEarlierObject) {
    TextBlockPlatform platform;
    auto doc = MakePicture(200, 200);
    Calibrate(*doc, 10, 0, 1.0f);
    Drag(*doc, cmd::kToolMeasureSegment, {50, 50}, {100, 50});
    Drag(*doc, cmd::kToolMeasureSegment, {60, 50}, {60, 150});
    MeasureSet& set = MeasuresOf(*doc);
    const MeasureHit hit = set.HitTestMeasure(55, 50, false);
    EXPECT_EQ(hit.object, 0);
    EXPECT_EQ(hit.point, 0);
    EXPECT_EQ(hit.distance, 25);
    // Selected-only looks at the selected object alone.
    ASSERT_TRUE(set.Select(1));
    EXPECT_EQ(set.HitTestMeasure(55, 50, true).object, 1);
    // Not on a measurement layer: no hit.
    set.EndSelectionEdit();
    doc->SelectLayer(0);
    EXPECT_EQ(set.HitTestMeasure(55, 50, false).object, -1);
    EXPECT_EQ(set.HitTestMeasure(55, 50, false).distance, -1);
}

TEST(MeasureObjects, UndoTakesBackTheLastObjectAndANewObjectDropsTheRedo) {
    TextBlockPlatform platform;
    auto doc = MakePicture(200, 200);
    Calibrate(*doc, 10, 0, 1.0f);
    for (int i = 0; i < 3; ++i) Drag(*doc, cmd::kToolMeasureSegment, {10, 20 + 40 * i}, {150, 20 + 40 * i});
    MeasureSet& set = MeasuresOf(*doc);
    const int layer = MeasureLayer(*doc);
    ASSERT_TRUE(set.Undo());
    EXPECT_EQ(set.ObjectCount(), 2);
    EXPECT_TRUE(set.CanRedo());
    EXPECT_EQ(AlphaAt(*doc, layer, 80, 100), 0);  // the third segment is gone
    EXPECT_EQ(AlphaAt(*doc, layer, 80, 60), 255);
    ASSERT_TRUE(set.Redo());
    EXPECT_EQ(set.ObjectCount(), 3);
    EXPECT_EQ(AlphaAt(*doc, layer, 80, 100), 255);
    EXPECT_FALSE(set.CanRedo());

    set.Undo();
    Drag(*doc, cmd::kToolMeasureSegment, {10, 180}, {150, 180});
    EXPECT_EQ(set.ObjectCount(), 3);
    EXPECT_FALSE(set.CanRedo());
    EXPECT_EQ(set.Object(2).points[0], (MeasurePoint{10, 180}));
    // Through the registry, as the context menu's commands.
    EXPECT_TRUE(CommandRegistry::Instance().Execute(cmd::kMeasureEditUndo, *doc));
    EXPECT_TRUE(CommandRegistry::Instance().Execute(cmd::kMeasureEditRedo, *doc));
    EXPECT_EQ(set.ObjectCount(), 3);
}

TEST(MeasureObjects, ErasingOneOfTwoCrossingSegmentsKeepsTheCrossing) {
    TextBlockPlatform platform;
    auto doc = MakePicture(200, 200);
    Calibrate(*doc, 10, 0, 1.0f);
    MeasureSettings& s = MeasuresOf(*doc).Settings();
    s.showLabels = 0;
    s.lineWidth = "1";
    Drag(*doc, cmd::kToolMeasureSegment, {20, 100}, {180, 100});
    Drag(*doc, cmd::kToolMeasureSegment, {100, 20}, {100, 180});
    MeasureSet& set = MeasuresOf(*doc);
    const int layer = MeasureLayer(*doc);
    EXPECT_EQ(set.CoverCount()[size_t((200 - 1 - 100) * 200 + 100)], 2);

    EXPECT_FALSE(CommandRegistry::Instance().Execute(cmd::kMeasureErase, *doc));
    EXPECT_EQ(platform.messages.back(), mtexts::kSelectToEraseFirst);
    ASSERT_TRUE(Click(*doc, cmd::kToolMeasureSelect, {100, 22}));
    EXPECT_EQ(set.Selected(), 1);
    ASSERT_TRUE(set.EraseSelected());
    EXPECT_EQ(AlphaAt(*doc, layer, 100, 100), 255);  // still covered by the first segment
    EXPECT_EQ(AlphaAt(*doc, layer, 100, 60), 0);
    EXPECT_EQ(AlphaAt(*doc, layer, 60, 100), 255);
    EXPECT_EQ(set.CoverCount()[size_t((200 - 1 - 100) * 200 + 100)], 1);
    // An erased object stays out of redraws, files and exports.
    EXPECT_EQ(set.LiveObjects(), 1);
    set.RedrawAll();
    EXPECT_EQ(AlphaAt(*doc, layer, 100, 60), 0);
    EXPECT_EQ(AlphaAt(*doc, layer, 100, 100), 255);
}

TEST(MeasureObjects, SelectingAndDraggingAPointMeasuresAgain) {
    TextBlockPlatform platform;
    auto doc = MakePicture(200, 200);
    Calibrate(*doc, 10, 0, 1.0f);
    Drag(*doc, cmd::kToolMeasureSegment, {20, 100}, {120, 100});
    MeasureSet& set = MeasuresOf(*doc);
    ChooseMeasureTool(*doc, cmd::kToolMeasureSegment, cmd::kToolMeasureSelect);
    // A press farther than 50 pixels selects nothing.
    EXPECT_FALSE(Click(*doc, cmd::kToolMeasureSelect, {190, 190}));
    EXPECT_EQ(set.Selected(), -1);
    Drag(*doc, cmd::kToolMeasureSelect, {121, 101}, {170, 100});
    EXPECT_EQ(set.Selected(), 0);
    EXPECT_EQ(set.Object(0).points[1], (MeasurePoint{170, 100}));
    EXPECT_FLOAT_EQ(set.Object(0).length, 15.0f);
    const int layer = MeasureLayer(*doc);
    const uint32_t select = set.Settings().selectColour;
    const LayerRecord& l = doc->Layer(layer);
    const uint8_t* p = l.PixelRow(200 - 1 - 100) + 3 * 160;
    EXPECT_EQ(p[2] | p[1] << 8 | p[0] << 16, int(select));
    EXPECT_EQ(AlphaAt(*doc, layer, 160, 100), 255);
    // Dropping the selection draws it back in the line colour and counts it again.
    set.EndSelectionEdit();
    EXPECT_EQ(p[2] | p[1] << 8 | p[0] << 16, int(set.Settings().lineColour));
    EXPECT_EQ(set.CoverCount()[size_t((200 - 1 - 100) * 200 + 160)], 1);
    EXPECT_EQ(set.CoverCount()[size_t((200 - 1 - 100) * 200 + 121)], 1);
}

TEST(MeasureObjects, PolygonsCountWholePixelsAndShowTheCalibratedArea) {
    TextBlockPlatform platform;
    auto doc = MakePicture(200, 100);
    Calibrate(*doc, 10, 0, 2.0f);  // 10 pixels are 2 units: a pixel is 0.04 units²
    MeasuresOf(*doc).Settings().decimals = 1;
    for (MeasurePoint p : {MeasurePoint{10, 10}, MeasurePoint{30, 10}, MeasurePoint{30, 20}, MeasurePoint{10, 20}})
        Click(*doc, cmd::kToolMeasurePolygon, p);
    EXPECT_TRUE(HasPendingFigure(*doc));
    EXPECT_EQ(MeasuresOf(*doc).ObjectCount(), 0);
    ChooseMeasureTool(*doc, cmd::kToolMeasurePolygon, cmd::kToolMeasureSelect);
    const MeasureSet& set = *FindMeasures(*doc);
    ASSERT_EQ(set.ObjectCount(), 1);
    EXPECT_EQ(set.Object(0).kind, mtexts::kKindPolygon);
    // The outline's 21 × 11 pixels and what they enclose.
    EXPECT_EQ(set.Object(0).area, 231.0f);
    EXPECT_EQ(platform.texts.back(), "9.2 um²");
    EXPECT_FALSE(HasPendingFigure(*doc));
}

TEST(MeasureObjects, PolylinesSumTheirSegmentsAndIgnoreThe301stClick) {
    TextBlockPlatform platform;
    auto doc = MakePicture(400, 400);
    Calibrate(*doc, 10, 0, 1.0f);
    MeasuresOf(*doc).Settings().showLabels = 0;
    for (int i = 0; i < 301; ++i) Click(*doc, cmd::kToolMeasurePolygon, {i % 300 + 50, (i % 2) * 100 + 100});
    EXPECT_EQ(MeasuresOf(*doc).scratch.poly.size(), 300u);
    EXPECT_EQ(MeasuresOf(*doc).scratch.poly.back(), (MeasurePoint{349, 200}));
    // Another tool registers the polygon with its 300 points.
    ChooseMeasureTool(*doc, cmd::kToolMeasurePolygon, cmd::kToolMeasurePolyline);
    EXPECT_EQ(MeasuresOf(*doc).Object(0).PointCount(), 300);

    Click(*doc, cmd::kToolMeasurePolyline, {10, 10});
    Click(*doc, cmd::kToolMeasurePolyline, {40, 10});
    Click(*doc, cmd::kToolMeasurePolyline, {40, 50});
    ChooseMeasureTool(*doc, cmd::kToolMeasurePolyline, cmd::kToolMeasurePolyline);  // the same tool continues
    EXPECT_TRUE(HasPendingFigure(*doc));
    ChooseMeasureTool(*doc, cmd::kToolMeasurePolyline, cmd::kNone);
    ASSERT_EQ(MeasuresOf(*doc).ObjectCount(), 2);
    EXPECT_FLOAT_EQ(MeasuresOf(*doc).Object(1).length, 7.0f);

    // One point is too few: nothing, no message.
    platform.messages.clear();
    Click(*doc, cmd::kToolMeasurePolyline, {10, 300});
    ChooseMeasureTool(*doc, cmd::kToolMeasurePolyline, cmd::kNone);
    EXPECT_EQ(MeasuresOf(*doc).ObjectCount(), 2);
    EXPECT_TRUE(platform.messages.empty());
}

TEST(MeasureObjects, EndingContinuousMeasurementDiscardsThePendingFigure) {
    TextBlockPlatform platform;
    auto doc = MakePicture(200, 200);
    Calibrate(*doc, 10, 0, 1.0f);
    const std::vector<uint8_t> before = [&] {
        MeasuresOf(*doc).ActivateMeasureLayer(true);
        return doc->Layer(MeasureLayer(*doc)).alpha;
    }();
    Click(*doc, cmd::kToolMeasurePolyline, {10, 10});
    Click(*doc, cmd::kToolMeasurePolyline, {100, 10});
    Click(*doc, cmd::kToolMeasurePolyline, {100, 100});
    EXPECT_NE(doc->Layer(MeasureLayer(*doc)).alpha, before);
    EXPECT_EQ(EndContinuousMeasure(*doc, cmd::kToolMeasurePolyline), cmd::kNone);
    EXPECT_EQ(doc->Layer(MeasureLayer(*doc)).alpha, before);
    ChooseMeasureTool(*doc, cmd::kToolMeasurePolyline, cmd::kNone);
    EXPECT_EQ(MeasuresOf(*doc).ObjectCount(), 0);
    EXPECT_EQ(EndContinuousMeasure(*doc, cmd::kToolLineDistance), cmd::kToolLineDistance);
}

TEST(MeasureObjects, SevenHundredObjectsAndNoMore) {
    TextBlockPlatform platform;
    auto doc = MakePicture(100, 100);
    MeasureSet& set = MeasuresOf(*doc);
    set.Settings().showLabels = 0;
    for (int i = 0; i < kMaxMeasureObjects; ++i) Click(*doc, cmd::kToolPointMark, {i % 100, (i / 100) * 10 + 5});
    EXPECT_EQ(set.ObjectCount(), 700);
    EXPECT_EQ(set.markCounter, 701);
    EXPECT_EQ(set.Object(699).markNumber, 700);
    platform.messages.clear();
    Click(*doc, cmd::kToolPointMark, {50, 50});
    EXPECT_EQ(set.ObjectCount(), 700);
    EXPECT_EQ(set.markCounter, 701);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0], "항목의 최대 갯수는 700 입니다. 더이상 추가가 어렵습니다.");
    // The layer was kept aside at 5, 10, ..., 50 objects.
    for (int slot = 0; slot < kMeasureSnapshotSlots; ++slot) EXPECT_TRUE(set.SnapshotSlotAt(slot).filled) << slot;
}

TEST(MeasureObjects, PointMarksWriteTheirNumberBesideTheGlyph) {
    TextBlockPlatform platform;
    auto doc = MakePicture(100, 100);
    MeasureSet& set = MeasuresOf(*doc);
    set.Settings().markStyle = 1;
    Click(*doc, cmd::kToolPointMark, {50, 50});
    Click(*doc, cmd::kToolPointMark, {20, 20});
    EXPECT_EQ(platform.texts, (std::vector<std::string>{"●", "1", "●", "2"}));
    EXPECT_EQ(set.Object(1).markNumber, 2);
    EXPECT_EQ(set.Object(1).points, (std::vector<MeasurePoint>{{20, 20}}));
    // Font size 12: s = 1.06; the glyph's block starts 6s left and 14s up of the click
    // (43.64 and 35.16, truncated), the number 15s to the right.
    const int layer = MeasureLayer(*doc);
    EXPECT_EQ(AlphaAt(*doc, layer, 43, 35), 255);
    EXPECT_EQ(AlphaAt(*doc, layer, 42, 35), 0);
    EXPECT_EQ(AlphaAt(*doc, layer, 43, 34), 0);
    EXPECT_EQ(AlphaAt(*doc, layer, 65, 35), 255);  // 50 + 15.9
}

TEST(MeasureObjects, RectanglesCirclesAnglesAndEllipses) {
    TextBlockPlatform platform;
    auto doc = MakePicture(300, 300);
    Calibrate(*doc, 10, 0, 1.0f);
    MeasureSet& set = MeasuresOf(*doc);
    Drag(*doc, cmd::kToolMeasureRectangle, {120, 80}, {20, 30});
    ASSERT_EQ(set.ObjectCount(), 1);
    EXPECT_EQ(set.Object(0).points,
              (std::vector<MeasurePoint>{{20, 30}, {120, 30}, {120, 80}, {20, 80}}));
    EXPECT_FLOAT_EQ(set.Object(0).area, 50.0f);

    Drag(*doc, cmd::kToolMeasureCircle, {200, 200}, {230, 240});
    EXPECT_FLOAT_EQ(set.Object(1).radius, 5.0f);
    EXPECT_FLOAT_EQ(set.Object(1).diameter, 10.0f);
    EXPECT_EQ(platform.texts.back(), "5.0 um");

    for (MeasurePoint p : {MeasurePoint{50, 250}, MeasurePoint{100, 250}, MeasurePoint{100, 200}})
        Click(*doc, cmd::kToolMeasureAngle, p);
    EXPECT_EQ(set.Object(2).kind, mtexts::kKindAngle);
    EXPECT_NEAR(set.Object(2).angle, 90.0f, 1e-4);
    EXPECT_EQ(platform.texts.back(), "90.0");

    for (MeasurePoint p : {MeasurePoint{150, 150}, MeasurePoint{190, 150}, MeasurePoint{150, 170}})
        Click(*doc, cmd::kToolMeasureEllipse, p);
    EXPECT_EQ(set.Object(3).kind, mtexts::kKindEllipse);
    EXPECT_FLOAT_EQ(set.Object(3).diameter, 40.0f);
    EXPECT_FLOAT_EQ(set.Object(3).radius, 20.0f);
    const int layer = MeasureLayer(*doc);
    EXPECT_EQ(AlphaAt(*doc, layer, 190, 150), 255);
    EXPECT_EQ(AlphaAt(*doc, layer, 150, 130), 255);
}

TEST(MeasureObjects, ParallelLinesAndDistancesToAReferenceLine) {
    TextBlockPlatform platform;
    auto doc = MakePicture(300, 300);
    Calibrate(*doc, 10, 0, 1.0f);
    MeasureSet& set = MeasuresOf(*doc);
    ChooseMeasureTool(*doc, cmd::kNone, cmd::kToolParallelLines);
    Drag(*doc, cmd::kToolParallelLines, {10, 10}, {40, 50});
    Drag(*doc, cmd::kToolParallelLines, {100, 100}, {180, 110});  // only the press point counts
    ASSERT_EQ(set.ObjectCount(), 2);
    EXPECT_EQ(set.Object(1).points, (std::vector<MeasurePoint>{{100, 100}, {130, 140}}));
    EXPECT_FLOAT_EQ(set.Object(1).length, 5.0f);

    ChooseMeasureTool(*doc, cmd::kToolParallelLines, cmd::kToolLineDistance);
    platform.messages.clear();
    Click(*doc, cmd::kToolLineDistance, {50, 200});
    EXPECT_EQ(platform.messages, std::vector<std::string>{mtexts::kDragReferenceFirst});
    Drag(*doc, cmd::kToolLineDistance, {20, 200}, {220, 200});
    EXPECT_EQ(set.ObjectCount(), 2);  // the reference is drawn, not stored
    Click(*doc, cmd::kToolLineDistance, {70, 150});
    ASSERT_EQ(set.ObjectCount(), 3);
    EXPECT_EQ(set.Object(2).points, (std::vector<MeasurePoint>{{70, 150}, {70, 200}}));
    EXPECT_FLOAT_EQ(set.Object(2).length, 5.0f);
    // A vertical reference: the foot lies at its x.
    ChooseMeasureTool(*doc, cmd::kToolLineDistance, cmd::kToolLineDistance);
    Drag(*doc, cmd::kToolLineDistance, {250, 20}, {250, 280});
    Click(*doc, cmd::kToolLineDistance, {200, 123});
    EXPECT_EQ(set.Object(3).points, (std::vector<MeasurePoint>{{200, 123}, {250, 123}}));
    EXPECT_EQ(PerpendicularFoot({0, 10}, {0, 0}, {10, 10}), (MeasurePoint{5, 5}));
}

TEST(MeasureObjects, WithoutACalibrationNothingIsMeasuredAndTheUserIsTold) {
    TextBlockPlatform platform;
    auto doc = MakePicture(100, 100);
    Calibrate(*doc, 0, 0, 1.0f);
    Drag(*doc, cmd::kToolMeasureSegment, {10, 10}, {50, 50});
    EXPECT_EQ(MeasuresOf(*doc).ObjectCount(), 0);
    EXPECT_EQ(platform.messages, std::vector<std::string>{mtexts::kNotCalibrated});
    // Marks and angles need no calibration.
    Click(*doc, cmd::kToolPointMark, {50, 50});
    EXPECT_EQ(MeasuresOf(*doc).ObjectCount(), 1);
}

TEST(MeasureObjects, PickingTheReferenceAddsNoObject) {
    TextBlockPlatform platform;
    auto doc = MakePicture(200, 100);
    Calibrate(*doc, 0, 0, 1.0f);  // picking needs no calibration
    MeasureSet& set = MeasuresOf(*doc);
    set.Settings().referencePending = 1;
    Drag(*doc, cmd::kToolMeasureSegment, {10, 50}, {40, 90});
    EXPECT_EQ(set.ObjectCount(), 0);
    EXPECT_TRUE(set.pickedReference);
    EXPECT_EQ(set.pickedDx, 30);
    EXPECT_EQ(set.pickedDy, 40);
    EXPECT_EQ(platform.texts.back(), "(기준설정중) 50 pixels");
    const int layer = MeasureLayer(*doc);
    EXPECT_EQ(AlphaAt(*doc, layer, 25, 70), 255);
    // Taking it ends the pick and removes the drawn line.
    FinishReferencePick(*doc);
    EXPECT_FALSE(set.Settings().referencePending);
    EXPECT_EQ(AlphaAt(*doc, layer, 25, 70), 0);
}

TEST(MeasureObjects, VerticesAreAddedBetweenTheNearestNeighboursAndRemovedNearby) {
    TextBlockPlatform platform;
    auto doc = MakePicture(200, 200);
    Calibrate(*doc, 10, 0, 1.0f);
    for (MeasurePoint p : {MeasurePoint{20, 20}, MeasurePoint{120, 20}, MeasurePoint{120, 120}})
        Click(*doc, cmd::kToolMeasurePolyline, p);
    ChooseMeasureTool(*doc, cmd::kToolMeasurePolyline, cmd::kToolAddVertex);
    EXPECT_EQ(platform.messages.back(), mtexts::kChooseTargetFirst);
    Click(*doc, cmd::kToolAddVertex, {60, 30});
    EXPECT_EQ(platform.messages.back(), mtexts::kSelectTargetFirst);

    MeasureSet& set = MeasuresOf(*doc);
    Click(*doc, cmd::kToolMeasureSelect, {20, 21});
    ASSERT_EQ(set.Selected(), 0);
    Click(*doc, cmd::kToolAddVertex, {70, 25});
    EXPECT_EQ(set.Object(0).points,
              (std::vector<MeasurePoint>{{20, 20}, {70, 25}, {120, 20}, {120, 120}}));
    EXPECT_FALSE(set.RemoveVertex({90, 90}));  // no vertex within 20 squared pixels
    EXPECT_TRUE(set.RemoveVertex({71, 29}));
    EXPECT_EQ(set.Object(0).PointCount(), 3);
    EXPECT_FLOAT_EQ(set.Object(0).length, 20.0f);
}

TEST(MeasureObjects, TextObjectsAreSelectedInsideTheirBox) {
    TextBlockPlatform platform;
    auto doc = MakePicture(200, 200);
    MeasureSet& set = MeasuresOf(*doc);
    ASSERT_TRUE(MeasurePress(*doc, cmd::kToolMeasureText, {40, 40}, "cell 12"));
    ASSERT_EQ(set.ObjectCount(), 1);
    EXPECT_EQ(set.Object(0).text, "cell 12");
    const int h = set.Settings().LabelPixelHeight();
    EXPECT_EQ(set.Object(0).points, (std::vector<MeasurePoint>{{40, 40}, {40, 40}, {82, 40 + h}}));
    const MeasureHit inside = set.HitTestMeasure(60, 45, false);
    EXPECT_EQ(inside.distance, 0);
    EXPECT_EQ(inside.point, kTextBoxPoint);
    // Dragging the box moves the whole text.
    Drag(*doc, cmd::kToolMeasureSelect, {60, 45}, {70, 55});
    EXPECT_EQ(set.Object(0).points[1], (MeasurePoint{50, 50}));
}

TEST(MeasureObjects, RedrawAllGivesTheSamePixelsAndDocumentUndoKeepsTheFigures) {
    TextBlockPlatform platform;
    auto doc = MakePicture(200, 200);
    Calibrate(*doc, 10, 0, 1.0f);
    Drag(*doc, cmd::kToolMeasureSegment, {10, 10}, {150, 150});
    Drag(*doc, cmd::kToolMeasureCircle, {100, 100}, {130, 100});
    MeasureSet& set = MeasuresOf(*doc);
    const int layer = MeasureLayer(*doc);
    const std::vector<uint8_t> alpha = doc->Layer(layer).alpha;
    const std::vector<uint8_t> cover = set.CoverCount();
    ASSERT_TRUE(CommandRegistry::Instance().Execute(cmd::kRedrawMeasure, *doc));
    EXPECT_EQ(doc->Layer(layer).alpha, alpha);
    EXPECT_EQ(set.CoverCount(), cover);

    // A later change of the picture undone: the measurement layer keeps its figures.
    doc->SelectLayer(0);
    ASSERT_TRUE(CommandRegistry::Instance().Execute(cmd::kInvert, *doc));
    ASSERT_TRUE(doc->History().Undo());
    EXPECT_EQ(doc->Layer(layer).alpha, alpha);
    EXPECT_EQ(set.CoverCount(), cover);
}

TEST(MeasureObjects, FiguresFarLargerThanThePictureDrawOnlyWhatItShows) {
    TextBlockPlatform platform;
    auto doc = MakePicture(40, 30);
    std::vector<uint8_t> touch(40 * 30, 0);
    MeasureCanvas canvas(doc->Layer(doc->HeadLayer()), 40, 30, touch);
    ASSERT_TRUE(canvas.Usable());
    auto touched = [&](int x, int y) { return touch[size_t(29 - y) * 40 + size_t(x)] != 0; };
    auto near = [&](int x, int y) { return touched(x, y - 1) || touched(x, y) || touched(x, y + 1); };
    // A flat ellipse two billion pixels wide crosses the picture as two lines 10 above and below its centre.
    canvas.Ellipse(20, 15, 2000000000, 0, 10.0, 0x0000FF, 1);
    for (int x : {0, 20, 39}) {
        EXPECT_TRUE(near(x, 5)) << x;
        EXPECT_TRUE(near(x, 25)) << x;
        EXPECT_FALSE(touched(x, 15)) << x;
    }
    std::fill(touch.begin(), touch.end(), uint8_t(0));
    // Rings around the picture and lines between far points leave it alone, or draw their visible part.
    canvas.Circle(20, 15, 2000000000, 0x0000FF, 3);
    canvas.Ellipse(20, 15, 1500000000, 1500000000, 2000000000.0, 0x0000FF, 3);
    canvas.Marker(INT32_MAX, INT32_MIN, 3, 0x0000FF);
    EXPECT_EQ(std::count(touch.begin(), touch.end(), uint8_t(1)), 0);
    canvas.Circle(-1000000000, 15, 1000000000 + 20, 0x0000FF, 1);
    EXPECT_TRUE(near(20, 15));
    EXPECT_FALSE(touched(10, 15));
    EXPECT_FALSE(touched(30, 15));
}
