#pragma once
// The document's guide-point path: up to 300 points in picture pixels (rows
// top-down), open or closed. The path tools edit it; it can become a polygon
// selection or be stroked with the brush.
#include <cstdint>
#include <vector>

namespace quillory {

inline constexpr int kMaxGuidePoints = 300;
inline constexpr int kCloseDistanceSquared = 10;  // a click this near the first point closes the path

struct GuidePoint {
    int x = 0, y = 0;
    friend bool operator==(const GuidePoint&, const GuidePoint&) = default;
};

struct GuidePath {
    std::vector<GuidePoint> points;
    bool closed = false;

    bool Empty() const { return points.empty(); }
    void Clear() {
        points.clear();
        closed = false;
    }
    // The index of the point nearest to (x, y) and its squared distance; -1 when empty.
    int Nearest(int x, int y, int64_t* distanceSquared = nullptr) const;
    // The index after which a point near (x, y) belongs: the start of the nearest segment.
    int NearestSegment(int x, int y) const;
};

}  // namespace quillory
