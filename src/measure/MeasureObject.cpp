#include "measure/MeasureObject.h"

#include "measure/MeasureTexts.h"

namespace quillory {

namespace {

struct KindRow {
    MeasureKind kind;
    const char* name;
};

constexpr KindRow kKinds[] = {
    {MeasureKind::PointMark, mtexts::kKindPointMark}, {MeasureKind::Segment, mtexts::kKindSegment},
    {MeasureKind::Circle, mtexts::kKindCircle},       {MeasureKind::Rectangle, mtexts::kKindRectangle},
    {MeasureKind::Angle, mtexts::kKindAngle},         {MeasureKind::Polyline, mtexts::kKindPolyline},
    {MeasureKind::Polygon, mtexts::kKindPolygon},     {MeasureKind::Text, mtexts::kKindText},
    {MeasureKind::Curve, mtexts::kKindCurve},         {MeasureKind::CurveArea, mtexts::kKindCurveArea},
    {MeasureKind::Ellipse, mtexts::kKindEllipse},
};

}  // namespace

const char* KindName(MeasureKind kind) {
    for (const KindRow& row : kKinds)
        if (row.kind == kind) return row.name;
    return "";
}

MeasureKind KindOfName(std::string_view name) {
    for (const KindRow& row : kKinds)
        if (name == row.name) return row.kind;
    return MeasureKind::Unknown;
}

}  // namespace quillory
