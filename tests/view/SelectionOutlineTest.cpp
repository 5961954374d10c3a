#include <gtest/gtest.h>

#include <vector>

#include "view/SelectionOutline.h"

namespace quillory {
namespace {

// A 10 × 8 picture with the rectangle of columns 2..6 and rows 3..5 (top-down) selected.
SelectionMask RectangleSelection() {
    SelectionMask s;
    s.width = 10;
    s.height = 8;
    s.mask.assign(80, 0);
    for (int y = 3; y <= 5; ++y)
        for (int x = 2; x <= 6; ++x) s.mask[size_t(7 - y) * 10 + x] = 1;  // rows stored bottom-up
    s.selectionActive = 1;
    return s;
}

TEST(SelectionOutline, OutlineRunsOnTheSelectedSideOfTheBorderAtAnyScale) {
    const SelectionMask s = RectangleSelection();
    EXPECT_TRUE(IsSelected(s, 8, 2, 3));
    EXPECT_FALSE(IsSelected(s, 8, 1, 3));
    EXPECT_FALSE(IsSelected(s, 8, 2, 6));

    for (float scale : {1.0f, 3.0f}) {
        const int w = int(10 * scale), h = int(8 * scale);
        std::vector<uint32_t> pixels(size_t(w) * h, 0x12345678u);
        TargetBuffer t(pixels.data(), w, h);
        DrawSelectionOutline(t, 0, 0, scale, scale, s, 10, 8, 0);
        auto marked = [&](int x, int y) { return pixels[size_t(y) * w + x] != 0x12345678u; };
        const int k = int(scale);
        EXPECT_TRUE(marked(2 * k, 3 * k));                 // top-left corner of the selection
        EXPECT_TRUE(marked(7 * k - 1, 6 * k - 1));         // bottom-right corner
        EXPECT_FALSE(marked(2 * k - 1, 3 * k));            // outside
        EXPECT_FALSE(marked(7 * k, 4 * k));                // outside, right
        if (k > 1) {
            EXPECT_FALSE(marked(4 * k + 1, 4 * k + 1));  // inside, away from the border
        } else {
            EXPECT_FALSE(marked(4, 4));  // the middle of a three-row selection
        }
    }
}

TEST(SelectionOutline, PhaseSwapsTheDashesAndOffsetsFollowTheVisiblePart) {
    const SelectionMask s = RectangleSelection();
    std::vector<uint32_t> a(100), b(100);
    TargetBuffer ta(a.data(), 10, 10), tb(b.data(), 10, 10);
    DrawSelectionOutline(ta, 0, 0, 1, 1, s, 10, 8, 0);
    DrawSelectionOutline(tb, 0, 0, 1, 1, s, 10, 8, 1);
    int swapped = 0;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i]) {
            EXPECT_NE(a[i], b[i]);
            ++swapped;
        }
    EXPECT_EQ(swapped, 2 * 5 + 2 * 1);  // the border of a 5 × 3 rectangle

    // A part starting at picture (2, 3): its first pixel is the selection's corner.
    std::vector<uint32_t> part(16, 0);
    TargetBuffer tp(part.data(), 4, 4);
    DrawSelectionOutline(tp, 2, 3, 1, 1, s, 10, 8, 0);
    EXPECT_EQ(part[0], a[3 * 10 + 2]);

    // A mask shorter than its geometry claims reads nothing outside it.
    SelectionMask broken = s;
    broken.mask.resize(5);
    DrawSelectionOutline(ta, 0, 0, 1, 1, broken, 10, 8, 0);
}

}  // namespace
}  // namespace quillory
