#include <gtest/gtest.h>

#include <cstring>

#include "document/ClipboardCommands.h"
#include "document/CommandRegistry.h"
#include "document/DocumentTexts.h"
#include "document/ToolTexts.h"
#include "document/UndoHistory.h"
#include "support/RecordingPlatform.h"
#include "view/ToolTestSupport.h"
#include "view/tools/GuidePathTool.h"

namespace quillory {
namespace {

using test::Bgra;
using test::LayerPixel;
using test::MakeDocument;
using test::SelectedAt;
using test::SelectedCount;
using test::ToolDriver;

const Bgra kWhite{255, 255, 255, 255};

TEST(SelectionTools, RectangleDraggedBackwardsSelectsBothCornersIncluded) {
    auto d = MakeDocument(20, 20);
    ToolDriver rect(*d, cmd::kToolRectSelect);
    rect.Press(5, 5);
    rect.Move(3, 7);
    EXPECT_EQ(rect.tool->Overlay().shape, ToolOverlay::Shape::Rectangle);
    EXPECT_TRUE(rect.Release(2, 8));
    EXPECT_EQ(SelectedCount(*d), 16);
    EXPECT_TRUE(SelectedAt(*d, 2, 5) && SelectedAt(*d, 5, 8) && !SelectedAt(*d, 6, 5) && !SelectedAt(*d, 2, 4));
    EXPECT_TRUE(d->State().selection.selectionActive);

    // A click without dragging leaves no selection.
    rect.Click(9, 9);
    EXPECT_FALSE(d->State().selection.selectionActive);
    EXPECT_EQ(SelectedCount(*d), 400);
}

TEST(SelectionTools, FreeOutlineFillsItsInteriorEvenWhenConcave) {
    auto d = MakeDocument(30, 30);
    ToolDriver free(*d, cmd::kToolFreeSelect);
    // A U shape: the notch between the arms stays outside.
    free.Press(2, 2);
    for (auto [x, y] : {std::pair{10, 2}, {10, 20}, {18, 20}, {18, 2}, {26, 2}, {26, 27}, {2, 27}}) free.Move(x, y);
    EXPECT_TRUE(free.Release(2, 27));
    EXPECT_EQ(d->State().selection.filled, 0);
    EXPECT_TRUE(SettleSelection(*d));
    EXPECT_TRUE(SelectedAt(*d, 5, 10));    // left arm
    EXPECT_TRUE(SelectedAt(*d, 22, 10));   // right arm
    EXPECT_TRUE(SelectedAt(*d, 14, 24));   // the base
    EXPECT_FALSE(SelectedAt(*d, 14, 10));  // the notch
    EXPECT_TRUE(SelectedAt(*d, 2, 2));     // the outline itself
    EXPECT_FALSE(SelectedAt(*d, 28, 28));
}

TEST(SelectionTools, PolygonClosesOnDoubleClick) {
    auto d = MakeDocument(30, 30);
    ToolDriver polygon(*d, cmd::kToolPolygonSelect);
    polygon.Click(5, 5);
    polygon.Click(25, 5);
    polygon.Click(25, 25);
    EXPECT_FALSE(d->State().selection.selectionActive);
    EXPECT_TRUE(polygon.DoubleClick(5, 25));
    SettleSelection(*d);
    EXPECT_TRUE(SelectedAt(*d, 15, 15));
    EXPECT_TRUE(SelectedAt(*d, 25, 25));
    EXPECT_FALSE(SelectedAt(*d, 26, 15));
    EXPECT_EQ(SelectedCount(*d), 21 * 21);
}

TEST(SelectionTools, WandTakesConnectedCloseColoursAndAddsWithShift) {
    auto t = MakeDocument(10, 10, NewPictureSettings::Transparent);
    ToolDriver wand(*t, cmd::kToolMagicWand);
    wand.value1 = 25;
    EXPECT_TRUE(wand.Press(4, 4));
    EXPECT_EQ(SelectedCount(*t), 1);
    EXPECT_TRUE(SelectedAt(*t, 4, 4));

    auto d = MakeDocument(20, 10);
    const int slot = d->CurrentLayer();
    for (int y = 0; y < 10; ++y) test::SetPixel(*d, slot, 10, y, Bgra{0, 0, 0, 255});  // a wall
    for (int y = 0; y < 10; ++y)
        for (int x = 11; x < 20; ++x) test::SetPixel(*d, slot, x, y, Bgra{250, 250, 250, 255});
    ToolDriver w(*d, cmd::kToolMagicWand);
    w.value1 = 25;
    w.Press(2, 2);
    EXPECT_EQ(SelectedCount(*d), 100);
    w.Press(15, 5, true);  // Shift adds the right side (distance 15 from its own colour)
    EXPECT_EQ(SelectedCount(*d), 190);
    w.Press(15, 5);  // without Shift the selection starts again
    EXPECT_EQ(SelectedCount(*d), 90);
}

TEST(SelectionTools, InvertTwiceRestoresAndDeselectEndsTheSelection) {
    auto d = MakeDocument(12, 12);
    ASSERT_TRUE(SelectRectangle(*d, LayerPoint{2, 3}, LayerPoint{6, 8}));
    const std::vector<uint8_t> before = d->State().selection.mask;
    const CommandRegistry& registry = CommandRegistry::Instance();
    ASSERT_TRUE(registry.Execute(cmd::kSelectInvert, *d));
    EXPECT_EQ(SelectedCount(*d), 144 - 30);
    ASSERT_TRUE(registry.Execute(cmd::kSelectInvert, *d));
    EXPECT_EQ(d->State().selection.mask, before);
    EXPECT_TRUE(d->State().selection.selectionActive);
    ASSERT_TRUE(registry.Execute(cmd::kDeselect, *d));
    EXPECT_FALSE(d->State().selection.selectionActive);
    EXPECT_EQ(SelectedCount(*d), 144);
}

// The fields of a packed bitmap's header.
int32_t Field(const std::vector<uint8_t>& dib, int offset, int bytes) {
    int32_t v = 0;
    std::memcpy(&v, dib.data() + offset, size_t(bytes));
    return v;
}

TEST(Clipboard, CopyWithoutSelectionGivesA32BitBitmapWithTheOpacity) {
    test::RecordingPlatform platform;
    auto d = MakeDocument(7, 5);
    test::SetPixel(*d, d->CurrentLayer(), 0, 4, Bgra{1, 2, 3, 77});  // the bottom-left pixel
    ASSERT_TRUE(CommandRegistry::Instance().Execute(cmd::kEditCopy, *d));
    const auto dib = platform.ClipboardDib();
    ASSERT_TRUE(dib.has_value());
    EXPECT_EQ(Field(*dib, 0, 4), 40);
    EXPECT_EQ(Field(*dib, 4, 4), 7);
    EXPECT_EQ(Field(*dib, 8, 4), 5);
    EXPECT_EQ(Field(*dib, 14, 2), 32);
    ASSERT_EQ(dib->size(), 40u + 7 * 5 * 4);
    EXPECT_EQ((*dib)[40], 1);
    EXPECT_EQ((*dib)[41], 2);
    EXPECT_EQ((*dib)[42], 3);
    EXPECT_EQ((*dib)[43], 77);
    EXPECT_EQ((*dib)[47], 255);

    // A measurement layer is refused with its message and leaves the clipboard alone.
    d->Layer(d->CurrentLayer()).kind = LayerKind::Measure;
    platform.SetClipboardDib({1, 2, 3});
    EXPECT_FALSE(CopyToClipboard(*d));
    ASSERT_FALSE(platform.messages.empty());
    EXPECT_EQ(platform.messages.back(), texts::kOnlyRasterCopied);
    EXPECT_EQ(platform.ClipboardDib()->size(), 3u);
}

TEST(SelectionTools, SelectAllTakesTheCanvasAndACopyTakesTheWholeLayer) {
    test::RecordingPlatform platform;
    auto d = MakeDocument(9, 6);
    ToolDriver rect(*d, cmd::kToolRectSelect);
    rect.Press(1, 1);
    rect.Release(3, 3);
    ASSERT_TRUE(CommandRegistry::Instance().Execute(cmd::kSelectAll, *d));
    EXPECT_TRUE(d->State().selection.selectionActive);
    EXPECT_EQ(SelectedCount(*d), 9 * 6);
    EXPECT_TRUE(SelectedAt(*d, 0, 0) && SelectedAt(*d, 8, 5));
    ASSERT_TRUE(CommandRegistry::Instance().Execute(cmd::kEditCopy, *d));
    ASSERT_TRUE(platform.ClipboardDib().has_value());
    EXPECT_EQ(Field(*platform.ClipboardDib(), 4, 4), 9);
    EXPECT_EQ(Field(*platform.ClipboardDib(), 8, 4), 6);
    EXPECT_EQ(platform.ClipboardDib()->size(), 40u + 9 * 6 * 4);

    // The same mask as a canvas-sized rectangle drawn with the tool.
    const std::vector<uint8_t> all = d->State().selection.mask;
    rect.Press(0, 0);
    rect.Release(8, 5);
    EXPECT_EQ(d->State().selection.mask, all);

    // A layer moved half off the canvas: only its part on the canvas is selected.
    ASSERT_TRUE(d->MoveLayer(5, 0, false));
    ASSERT_TRUE(CommandRegistry::Instance().Execute(cmd::kSelectAll, *d));
    EXPECT_EQ(SelectedCount(*d), 4 * 6);
    EXPECT_TRUE(SelectedAt(*d, 5, 0) && SelectedAt(*d, 8, 5));
    int w = 0, h = 0;
    ASSERT_TRUE(CopyToClipboard(*d, &w, &h));
    EXPECT_EQ(w, 4);
    EXPECT_EQ(h, 6);
}

TEST(Clipboard, CopyOfASelectionTakesItsBoundingBoxAndPasteMakesTheTopCurrentLayer) {
    test::RecordingPlatform platform;
    auto d = MakeDocument(20, 20);
    ASSERT_TRUE(d->AddLayer());
    ASSERT_TRUE(d->AddLayer());
    ASSERT_EQ(d->CountLayers(), 3);
    ASSERT_TRUE(d->SelectLayer(d->HeadLayer()));
    ASSERT_TRUE(SelectRectangle(*d, LayerPoint{3, 4}, LayerPoint{8, 6}));
    int w = 0, h = 0;
    ASSERT_TRUE(CopyToClipboard(*d, &w, &h));
    EXPECT_EQ(w, 6);
    EXPECT_EQ(h, 3);
    const size_t steps = d->RecordedSteps().size();
    ASSERT_TRUE(CommandRegistry::Instance().Execute(cmd::kEditPaste, *d));
    EXPECT_EQ(d->CountLayers(), 4);
    EXPECT_EQ(d->CurrentLayer(), d->TopLayer());
    EXPECT_EQ(d->RecordedSteps().size(), steps + 1);
    EXPECT_EQ(d->RecordedSteps().back().name, texts::kStepPaste);
    const LayerRecord& pasted = d->Layer(d->CurrentLayer());
    EXPECT_GE(pasted.width, 20);  // at least the picture's size
    // Without a place given, the copied part sits at the canvas's top-left; the old selection ended.
    EXPECT_EQ(LayerPixel(*d, 0, 0), kWhite);
    EXPECT_EQ(LayerPixel(*d, 5, 2), kWhite);
    EXPECT_LE(LayerPixel(*d, 6, 2).a, 0);  // beyond it: clear
    EXPECT_LE(LayerPixel(*d, 0, 3).a, 0);
    EXPECT_FALSE(d->State().selection.selectionActive);
    // At a given place (the top-left of what the window shows).
    ASSERT_TRUE(CommandRegistry::Instance().Execute(cmd::kEditPaste, *d, {{"x", "9"}, {"y", "11"}}));
    EXPECT_EQ(LayerPixel(*d, 9, 11), kWhite);
    EXPECT_EQ(LayerPixel(*d, 14, 13), kWhite);
    EXPECT_LE(LayerPixel(*d, 8, 11).a, 0);
    EXPECT_LE(LayerPixel(*d, 9, 10).a, 0);

    // An empty clipboard pastes nothing.
    platform.SetClipboardDib({});
    EXPECT_FALSE(PasteFromClipboard(*d));
}

TEST(Clipboard, CutClearsTheSelectionWithASoftenedEdgeAndIsOneStep) {
    test::RecordingPlatform platform;
    auto d = MakeDocument(40, 40);
    ASSERT_TRUE(SelectRectangle(*d, LayerPoint{10, 10}, LayerPoint{29, 29}));
    ASSERT_TRUE(CutToClipboard(*d, 0));
    EXPECT_EQ(d->RecordedSteps().back().name, texts::kStepCut);
    EXPECT_EQ(LayerPixel(*d, 10, 10).a, 0);
    EXPECT_EQ(LayerPixel(*d, 9, 10).a, 255);

    auto e = MakeDocument(40, 40);
    ASSERT_TRUE(SelectRectangle(*e, LayerPoint{10, 10}, LayerPoint{29, 29}));
    ASSERT_TRUE(CommandRegistry::Instance().Execute(cmd::kEditCut, *e, {{"spread", "4"}}));
    EXPECT_EQ(LayerPixel(*e, 20, 20).a, 0);    // deep inside: gone
    EXPECT_EQ(LayerPixel(*e, 9, 20).a, 255);   // outside: kept
    const int edge = LayerPixel(*e, 10, 20).a, inner = LayerPixel(*e, 12, 20).a;
    EXPECT_GT(edge, 0);
    EXPECT_GT(edge, inner);  // the opacity falls off inwards
}

TEST(Clipboard, PictureFromAnotherProgramWithoutOpacityPastesOpaque) {
    // A 24-bit bitmap and a 32-bit one whose fourth bytes are all 0.
    LayerPicture source;
    source.width = 2, source.height = 1;
    source.pixels = {0x00102030u, 0x00405060u};
    std::vector<uint8_t> dib = PackPicture(source);
    LayerPicture back;
    ASSERT_TRUE(UnpackPicture(dib.data(), dib.size(), back));
    EXPECT_EQ(back.pixels[0], 0xFF102030u);
    EXPECT_EQ(back.pixels[1], 0xFF405060u);
    source.pixels[1] = 0x80405060u;
    dib = PackPicture(source);
    ASSERT_TRUE(UnpackPicture(dib.data(), dib.size(), back));
    EXPECT_EQ(back.pixels[0], 0x00102030u);
    EXPECT_EQ(back.pixels[1], 0x80405060u);
    const uint8_t broken[12] = {40, 0, 0, 0, 1};
    EXPECT_FALSE(UnpackPicture(broken, sizeof broken, back));
}

TEST(FloatingSelection, MovedAndMergedIsOneStepWithThePixelsInTheirNewPlace) {
    test::RecordingPlatform platform;
    auto d = MakeDocument(30, 30);
    const int base = d->CurrentLayer();
    for (int y = 5; y < 10; ++y)
        for (int x = 5; x < 10; ++x) test::SetPixel(*d, base, x, y, Bgra{0, 0, 255, 255});
    d->RecordStep("setup", StepCode::Pixels);
    ASSERT_TRUE(SelectRectangle(*d, LayerPoint{5, 20}, LayerPoint{9, 24}));  // picture rows 5..9
    const size_t steps = d->RecordedSteps().size();
    ToolDriver move(*d, cmd::kToolMove);
    move.Press(7, 7);
    EXPECT_TRUE(move.Move(12, 9));
    EXPECT_TRUE(d->State().floatingPending);
    EXPECT_EQ(d->Layer(d->CurrentLayer()).kind, LayerKind::Floating);
    EXPECT_EQ(d->Layer(d->CurrentLayer()).linkedLayer, base);
    move.Move(17, 11);
    move.Release(17, 11);
    EXPECT_EQ(d->RecordedSteps().size(), steps);  // nothing recorded while it floats
    ASSERT_TRUE(d->DropFloatingSelection());
    EXPECT_EQ(d->RecordedSteps().size(), steps + 1);
    EXPECT_EQ(d->RecordedSteps().back().name, texts::kStepMoveSelection);
    EXPECT_FALSE(d->State().floatingPending);
    EXPECT_FALSE(d->State().selection.selectionActive);
    EXPECT_EQ(d->CountLayers(), 1);
    // Moved by (10, 4): the red square now covers columns 15..19 and rows 9..13; where it was is clear.
    EXPECT_EQ(LayerPixel(*d, 15, 9), (Bgra{0, 0, 255, 255}));
    EXPECT_EQ(LayerPixel(*d, 19, 13), (Bgra{0, 0, 255, 255}));
    EXPECT_EQ(LayerPixel(*d, 14, 9).r, 255);
    EXPECT_EQ(LayerPixel(*d, 14, 9).g, 255);
    EXPECT_EQ(LayerPixel(*d, 5, 5).a, 0);
    EXPECT_EQ(LayerPixel(*d, 20, 20), kWhite);
    // One undo gives the square back in its old place.
    ASSERT_TRUE(d->History().Undo());
    EXPECT_EQ(LayerPixel(*d, 5, 5), (Bgra{0, 0, 255, 255}));
    EXPECT_EQ(LayerPixel(*d, 15, 9), kWhite);
}

TEST(FloatingSelection, DeselectLandsItAndDuplicateLayerGoesThroughTheClipboard) {
    test::RecordingPlatform platform;
    auto d = MakeDocument(20, 20);
    ASSERT_TRUE(SelectRectangle(*d, LayerPoint{0, 0}, LayerPoint{4, 4}));
    ToolDriver move(*d, cmd::kToolMove);
    move.Press(2, 17);
    move.Move(6, 17);
    ASSERT_TRUE(d->State().floatingPending);
    ASSERT_TRUE(CommandRegistry::Instance().Execute(cmd::kDeselect, *d));
    EXPECT_FALSE(d->State().floatingPending);
    EXPECT_EQ(d->CountLayers(), 1);
    EXPECT_EQ(LayerPixel(*d, 1, 17).a, 0);

    platform.SetClipboardDib({});
    ASSERT_TRUE(d->DuplicateLayer());
    EXPECT_EQ(d->CountLayers(), 2);
    EXPECT_TRUE(platform.ClipboardDib().has_value());
    EXPECT_EQ(platform.ClipboardDib()->size(), 40u + 20 * 20 * 4);
}

TEST(GuidePath, PointsCloseNearTheFirstAndBecomeASelection) {
    test::RecordingPlatform platform;
    auto d = MakeDocument(40, 40);
    ToolDriver add(*d, cmd::kPathAddPoints);
    add.Click(5, 5);
    add.Click(30, 5);
    EXPECT_FALSE(PathToSelection(*d));
    EXPECT_EQ(platform.messages.back(), texts::kPathNeedsMorePoints);
    add.Click(30, 30);
    add.Click(5, 30);
    EXPECT_FALSE(PathToSelection(*d));
    EXPECT_EQ(platform.messages.back(), texts::kPathNotClosed);
    add.Click(6, 7);  // squared distance 5 from the first point
    EXPECT_TRUE(d->State().guidePath.closed);
    EXPECT_EQ(d->State().guidePath.points.size(), 4u);
    ASSERT_TRUE(PathToSelection(*d));
    EXPECT_EQ(SelectedCount(*d), 26 * 26);
    EXPECT_EQ(PathOverlay(*d).shape, ToolOverlay::Shape::Polygon);

    // Editing: delete the nearest point, insert one into the nearest segment, drag one.
    ToolDriver remove(*d, cmd::kPathDeletePoint);
    remove.Click(29, 29);
    EXPECT_EQ(d->State().guidePath.points.size(), 3u);
    ToolDriver insert(*d, cmd::kPathInsertPoint);
    insert.Click(17, 6);
    ASSERT_EQ(d->State().guidePath.points.size(), 4u);
    EXPECT_EQ(d->State().guidePath.points[1], (GuidePoint{17, 6}));
    ToolDriver drag(*d, cmd::kPathDragPoint);
    drag.Press(17, 6);
    drag.Release(17, 1);
    EXPECT_EQ(d->State().guidePath.points[1], (GuidePoint{17, 1}));

    // A click on a closed path asks before removing it.
    platform.answers = {MessageAnswer::Yes};
    add.Click(20, 20);
    EXPECT_EQ(platform.messages.back(), texts::kPathRemoveFinished);
    EXPECT_TRUE(d->State().guidePath.Empty());
}

TEST(GuidePath, TooManyPointsAndStrokingWithTheBrush) {
    test::RecordingPlatform platform;
    auto d = MakeDocument(400, 20);
    ToolDriver add(*d, cmd::kPathAddPoints);
    for (int i = 0; i < kMaxGuidePoints; ++i) add.Click(i == 0 ? 0 : i + 50, i == 0 ? 0 : 10);
    EXPECT_TRUE(platform.messages.empty());
    add.Click(399, 15);
    EXPECT_EQ(platform.messages.back(), texts::kPathTooManyPoints);
    EXPECT_EQ(d->State().guidePath.points.size(), size_t(kMaxGuidePoints));

    auto e = MakeDocument(30, 30);
    e->State().guidePath.points = {{5, 5}, {25, 5}};
    ASSERT_TRUE(CommandRegistry::Instance().Find(cmd::kPathStroke) ||
                (RegisterPathCommands(CommandRegistry::Instance()), true));
    ASSERT_TRUE(CommandRegistry::Instance().Execute(cmd::kPathStroke, *e, {{"size", "1"}, {"colour", "ff0000"}}));
    EXPECT_EQ(e->RecordedSteps().back().name, texts::kStepStrokePath);
    EXPECT_EQ(LayerPixel(*e, 15, 5), (Bgra{0, 0, 255, 255}));
    EXPECT_EQ(LayerPixel(*e, 15, 6), kWhite);
}

}  // namespace
}  // namespace quillory
