#pragma once
// The integer line stepping the tools share: every point from (x0, y0) to
// (x1, y1), both ends included, one step along the longer axis at a time.
#include <cmath>

namespace quillory {

template <typename Visit>
void StepLine(int x0, int y0, int x1, int y1, Visit&& visit) {
    const int dx = x1 > x0 ? x1 - x0 : x0 - x1;
    const int dy = y1 > y0 ? y1 - y0 : y0 - y1;
    const int sx = x1 < x0 ? -1 : 1;
    const int sy = y1 < y0 ? -1 : 1;
    int x = x0, y = y0;
    if (dx < dy) {
        int e = 2 * dx - dy;
        for (int i = 0; i <= dy; ++i) {
            visit(x, y);
            y += sy;
            if (e >= 1) {
                x += sx;
                e += 2 * dx - 2 * dy;
            } else {
                e += 2 * dx;
            }
        }
    } else {
        int e = 2 * dy - dx;
        for (int i = 0; i <= dx; ++i) {
            visit(x, y);
            x += sx;
            if (e >= 1) {
                y += sy;
                e += 2 * dy - 2 * dx;
            } else {
                e += 2 * dy;
            }
        }
    }
}

// The midpoint ring of a radius around the origin: the four axis points, the
// eight symmetric points of each step, and the four diagonal points when the
// steps meet the diagonal exactly. Points may repeat where octants meet.
template <typename Visit>
void TraceRing(int radius, Visit&& visit) {
    if (radius <= 0) {
        visit(0, 0);
        return;
    }
    const int i = radius;
    visit(i, 0), visit(-i, 0), visit(0, i), visit(0, -i);
    int k = 1;
    for (;; ++k) {
        const int j = int(std::floor(std::sqrt(double(i) * i - double(k) * k) + 0.5));
        if (!(k < j)) {
            if (k == j) visit(k, k), visit(-k, k), visit(k, -k), visit(-k, -k);
            break;
        }
        visit(k, j), visit(-k, j), visit(k, -j), visit(-k, -j);
        visit(j, k), visit(-j, k), visit(j, -k), visit(-j, -k);
    }
}

}  // namespace quillory
