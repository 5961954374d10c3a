#include "document/GuidePath.h"

#include <algorithm>
#include <limits>

namespace quillory {

int GuidePath::Nearest(int x, int y, int64_t* distanceSquared) const {
    int best = -1;
    int64_t bestD = std::numeric_limits<int64_t>::max();
    for (size_t i = 0; i < points.size(); ++i) {
        const int64_t dx = points[i].x - x, dy = points[i].y - y;
        const int64_t d = dx * dx + dy * dy;
        if (d < bestD) bestD = d, best = int(i);
    }
    if (distanceSquared) *distanceSquared = bestD;
    return best;
}

int GuidePath::NearestSegment(int x, int y) const {
    const size_t n = points.size();
    if (n < 2) return int(n) - 1;
    const size_t segments = closed ? n : n - 1;
    int best = 0;
    double bestD = std::numeric_limits<double>::max();
    for (size_t i = 0; i < segments; ++i) {
        const GuidePoint a = points[i], b = points[(i + 1) % n];
        const double vx = b.x - a.x, vy = b.y - a.y, wx = x - a.x, wy = y - a.y;
        const double length = vx * vx + vy * vy;
        const double t = length > 0 ? std::clamp((wx * vx + wy * vy) / length, 0.0, 1.0) : 0.0;
        const double dx = wx - t * vx, dy = wy - t * vy;
        const double d = dx * dx + dy * dy;
        if (d < bestD) bestD = d, best = int(i);
    }
    return best;
}

}  // namespace quillory
