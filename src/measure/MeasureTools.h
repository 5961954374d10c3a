#pragma once
// The measuring tools, one class each (their files are named after them).
#include "measure/MeasureTool.h"

namespace quillory {

// kToolMeasureSelect: a press picks the nearest object within 50 pixels and the
// point to drag; elsewhere it drops the selection.
class SelectEditTool : public MeasureTool {
public:
    bool Press(MeasureSet& set, MeasurePoint at) override;
    bool Drag(MeasureSet& set, MeasurePoint at) override;
    bool Release(MeasureSet& set, MeasurePoint at) override;
};

// kToolAddVertex and kToolRemoveVertex: a click adds a vertex to, or removes one
// from, the selected polyline or polygon.
class VertexTool : public MeasureTool {
public:
    explicit VertexTool(bool add) : m_add(add) {}
    bool Press(MeasureSet& set, MeasurePoint at) override;

private:
    bool m_add;
};

// kToolPointMark: a numbered mark at each press.
class PointMarkTool : public MeasureTool {
public:
    bool Press(MeasureSet& set, MeasurePoint at) override;
};

// Tools that measure from press to release; the press needs a calibration.
class DragTool : public MeasureTool {
public:
    bool Press(MeasureSet& set, MeasurePoint at) override;
};

// kToolMeasureSegment: a segment from press to release (or the reference being picked).
class SegmentTool : public DragTool {
public:
    bool Press(MeasureSet& set, MeasurePoint at) override;
    bool Drag(MeasureSet& set, MeasurePoint at) override;
    bool Release(MeasureSet& set, MeasurePoint at) override;
};

// kToolParallelLines: the first drag is a segment; each later drag draws one of the
// same vector from its press point.
class ParallelLineTool : public DragTool {
public:
    bool Drag(MeasureSet& set, MeasurePoint at) override;
    bool Release(MeasureSet& set, MeasurePoint at) override;
};

// kToolLineDistance: a drag sets a reference line; each later click measures the
// perpendicular distance to it.
class LineDistanceTool : public DragTool {
public:
    bool Drag(MeasureSet& set, MeasurePoint at) override;
    bool Release(MeasureSet& set, MeasurePoint at) override;
};

// kToolMeasureRectangle: an axis-aligned rectangle by dragging.
class RectangleTool : public DragTool {
public:
    bool Drag(MeasureSet& set, MeasurePoint at) override;
    bool Release(MeasureSet& set, MeasurePoint at) override;
};

// kToolMeasureCircle: press at the centre, release at the rim.
class MeasureCircleTool : public DragTool {
public:
    bool Drag(MeasureSet& set, MeasurePoint at) override;
    bool Release(MeasureSet& set, MeasurePoint at) override;
};

// The foot of the perpendicular from `p` onto the line through `a` and `b` (for a
// vertical line: at its x), rounded to a pixel.
MeasurePoint PerpendicularFoot(MeasurePoint p, MeasurePoint a, MeasurePoint b);

// kToolMeasureAngle and kToolMeasureEllipse: three clicks.
class ThreeClickTool : public MeasureTool {
public:
    explicit ThreeClickTool(MeasureKind kind) : m_kind(kind) {}
    bool Press(MeasureSet& set, MeasurePoint at) override;

private:
    MeasureKind m_kind;
};

// kToolMeasurePolygon and kToolMeasurePolyline: clicks until the tool changes.
class PolyFigureTool : public MeasureTool {
public:
    explicit PolyFigureTool(int id) : m_id(id) {}
    bool Press(MeasureSet& set, MeasurePoint at) override;

private:
    int m_id;
};

// kToolMeasureText: the entered text with its top-left at the press point.
class TextObjectTool : public MeasureTool {
public:
    bool PressText(MeasureSet& set, MeasurePoint at, const std::string& text) override;
};

}  // namespace quillory
