#include "processing/Canvas.h"

#include <algorithm>
#include <cstring>

#include "core/RowPixels.h"

namespace quillory {

AnchorShift AnchorOffset(int oldWidth, int oldHeight, int newWidth, int newHeight, int anchor) {
    anchor = std::clamp(anchor, 0, kAnchorCount - 1);
    const int column = anchor % 3, row = anchor / 3;
    const int dw = newWidth - oldWidth, dh = newHeight - oldHeight;
    AnchorShift s;
    s.dx = column == 0 ? 0 : column == 1 ? dw / 2 : dw;
    // Stored rows count from the bottom: a top anchor puts the whole difference below.
    s.dy = row == 0 ? dh : row == 1 ? dh / 2 : 0;
    return s;
}

void CopyPlanesInto(const Planes& from, Planes& to, int dx, int dy) {
    if (!from.IsValid() || !to.IsValid() || from.bitsPerPixel != to.bitsPerPixel) return;
    const int x0 = std::max(0, -dx), x1 = std::min(from.width, to.width - dx);
    const int y0 = std::max(0, -dy), y1 = std::min(from.height, to.height - dy);
    if (x0 >= x1 || y0 >= y1) return;
    const int bpp = from.bitsPerPixel;
    for (int y = y0; y < y1; ++y) {
        const uint8_t* s = from.Row(y);
        uint8_t* d = to.Row(y + dy);
        if (bpp >= 8) {
            const size_t n = size_t(bpp / 8);
            std::memcpy(d + size_t(x0 + dx) * n, s + size_t(x0) * n, size_t(x1 - x0) * n);
        } else {
            for (int x = x0; x < x1; ++x) PutRowIndex(d, x + dx, bpp, RowIndex(s, x, bpp));
        }
        std::memcpy(to.AlphaRow(y + dy) + (x0 + dx), from.AlphaRow(y) + x0, size_t(x1 - x0));
    }
}

}  // namespace quillory
