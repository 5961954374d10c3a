#include "view/SelectionOutline.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace quillory {

bool IsSelected(const SelectionMask& s, int pictureHeight, int x, int y) {
    const int column = x - s.x;
    const int storedRow = (pictureHeight - 1 - y) + s.y;
    if (column < 0 || column >= s.width || storedRow < 0 || storedRow >= s.height) return false;
    const size_t index = size_t(storedRow) * size_t(s.width) + size_t(column);
    return index < s.mask.size() && s.mask[index] == 1;
}

void DrawSelectionOutline(TargetBuffer& target, int originX, int originY, float scaleX, float scaleY,
                          const SelectionMask& selection, int pictureWidth, int pictureHeight, uint8_t phase) {
    if (target.width <= 0 || target.height <= 0 || pictureWidth <= 0 || pictureHeight <= 0 || scaleX <= 0 ||
        scaleY <= 0)
        return;
    // Picture column of every target column, and one more on each side for the border test.
    std::vector<int> columns(size_t(target.width) + 2);
    for (int c = -1; c <= target.width; ++c)
        columns[size_t(c + 1)] = int(std::floor((c + originX) / scaleX));
    // Mask column of every target column (-1 outside the picture or the mask).
    std::vector<int> maskColumns(columns.size());
    for (size_t i = 0; i < columns.size(); ++i) {
        const int x = columns[i], m = x - selection.x;
        maskColumns[i] = (x >= 0 && x < pictureWidth && m >= 0 && m < selection.width) ? m : -1;
    }
    std::vector<uint8_t> above(size_t(target.width) + 2), here(size_t(target.width) + 2), below(size_t(target.width) + 2);
    auto fill = [&](std::vector<uint8_t>& line, int r) {
        std::fill(line.begin(), line.end(), 0);
        const int y = int(std::floor((r + originY) / scaleY));
        if (y < 0 || y >= pictureHeight) return;
        const int storedRow = (pictureHeight - 1 - y) + selection.y;
        if (storedRow < 0 || storedRow >= selection.height) return;
        const size_t start = size_t(storedRow) * size_t(selection.width);
        if (start + size_t(selection.width) > selection.mask.size()) return;
        const uint8_t* maskRow = selection.mask.data() + start;
        for (size_t i = 0; i < line.size(); ++i) line[i] = maskColumns[i] >= 0 && maskRow[maskColumns[i]] == 1;
    };
    fill(above, -1);
    fill(here, 0);
    for (int r = 0; r < target.height; ++r) {
        fill(below, r + 1);
        uint32_t* row = target.pixels + size_t(r) * target.stride;
        for (int c = 0; c < target.width; ++c) {
            const size_t i = size_t(c + 1);
            if (!here[i]) continue;
            if (here[i - 1] && here[i + 1] && above[i] && below[i]) continue;
            const bool dark = (((c + originX + r + originY) / kAntsDash) + phase) % 2 == 0;
            row[c] = dark ? kAntsDark : kAntsLight;
        }
        std::swap(above, here);
        std::swap(here, below);
    }
}

}  // namespace quillory
