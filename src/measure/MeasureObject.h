#pragma once
// One measurement object: a figure's kind, its control points in picture pixels
// (rows top-down) and the calibrated values computed when it was last drawn.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillory {

inline constexpr int kMaxMeasureObjects = 700;
inline constexpr int kMaxPolyPoints = 300;       // clicks of one polyline or polygon
inline constexpr int kMaxKindNameLength = 15;    // the file writes kind names 15 wide
inline constexpr int kMaxObjectTextLength = 700; // characters of a text object

struct MeasurePoint {
    int32_t x = 0, y = 0;
    friend bool operator==(const MeasurePoint&, const MeasurePoint&) = default;
};

enum class MeasureKind {
    PointMark,
    Segment,
    Circle,
    Rectangle,
    Angle,
    Polyline,
    Polygon,
    Text,
    Curve,
    CurveArea,
    Ellipse,
    Unknown,
};

// The stored name of a kind, and the kind of a name (Unknown for any other text).
const char* KindName(MeasureKind kind);
MeasureKind KindOfName(std::string_view name);
// Curves keep three pairs per point: the point and its two handles.
inline bool IsCurveKind(MeasureKind kind) { return kind == MeasureKind::Curve || kind == MeasureKind::CurveArea; }

struct MeasureObject {
    uint8_t valid = 0;
    std::string kind;  // a kind name
    std::string text;  // UTF-8; only for "글자"
    float length = 0;
    float area = 0;
    float angle = 0;
    float diameter = 0;
    float radius = 0;
    std::vector<MeasurePoint> points;
    // Curves only, one entry per point; a handle whose x is 0 or less is absent.
    std::vector<MeasurePoint> curvePoints, curveHandles1, curveHandles2;
    int32_t markNumber = 0;
    int32_t textExtra1 = 0, textExtra2 = 0;  // handed over by the text tool; not saved

    MeasureKind Kind() const { return KindOfName(kind); }
    int32_t PointCount() const { return int32_t(points.size()); }
};

}  // namespace quillory
