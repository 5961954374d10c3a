#include "measure/MeasureFigures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "measure/MeasureTexts.h"

namespace quillory {

namespace {

bool Negative(double value) { return value < 0; }

int ClampTo(int value, int low, int high) { return std::max(low, std::min(value, high)); }

double Distance(const MeasurePoint& a, const MeasurePoint& b) {
    return std::hypot(double(b.x) - a.x, double(b.y) - a.y);
}

struct Painter {
    MeasureCanvas& canvas;
    const MeasureSettings& settings;
    uint32_t figureColour;
    uint32_t labelColour;
    int width;

    void Label(int x, int y, const std::string& text) {
        if (text.empty()) return;
        canvas.Text(ClampTo(x, 0, canvas.Width() - 1), ClampTo(y, 0, canvas.Height() - 1), text,
                    LabelStyle(settings), labelColour);
    }
    bool Segment(const MeasurePoint& a, const MeasurePoint& b) {
        if (!canvas.Line(a.x, a.y, b.x, b.y, figureColour, width)) return false;
        canvas.Marker(a.x, a.y, kEndMarkerSize, figureColour);
        canvas.Marker(b.x, b.y, kEndMarkerSize, figureColour);
        return true;
    }
};

std::string MarkNumberText(int number) {
    char text[32];
    std::snprintf(text, sizeof text, "%d", number);
    return text;
}

void DrawPointMark(Painter& p, const MeasureObject& object) {
    if (object.points.empty()) return;
    const MeasurePoint at = object.points[0];
    const int style = std::min<int>(p.settings.markStyle, kMarkStyles - 1);
    const double s = 1.0 - (10 - p.settings.LabelFontSize()) * 0.03;
    double left = 6 * s, up = 14 * s;
    if (style == 5) left = 3 * s, up = 9 * s;
    if (style == 4) left = 4 * s, up = 14 * s;
    const int x = std::max(0, int(at.x - left)), y = std::max(0, int(at.y - up));
    const TextStyle font = MarkStyle(p.settings);
    p.canvas.Text(x, y, mtexts::kMarkGlyphs[style], font, p.figureColour);
    const int numberX = std::min(int(at.x + 15 * s), p.canvas.Width() - 1);
    p.canvas.Text(numberX, y, MarkNumberText(object.markNumber), font, p.labelColour);
}

bool DrawSegment(Painter& p, const MeasureObject& object, const std::string& label) {
    if (object.points.size() < 2) return false;
    const MeasurePoint a = object.points[0], b = object.points[1];
    if (!p.Segment(a, b)) return false;
    // Above the start when the line runs downwards from it, so the label does not cross it.
    p.Label(a.x, a.y < b.y ? std::max(0, a.y - 25) : a.y, label);
    return true;
}

void DrawRectangle(Painter& p, const MeasureObject& object, const std::string& label) {
    const FigureBox box = BoundingBox(object.points);
    const MeasurePoint corners[4] = {{box.left, box.top}, {box.right, box.top}, {box.right, box.bottom},
                                     {box.left, box.bottom}};
    for (const MeasurePoint& c : corners) p.canvas.Marker(c.x, c.y, kEndMarkerSize, p.figureColour);
    for (int i = 0; i < 4; ++i) {
        const MeasurePoint a = corners[i], b = corners[(i + 1) % 4];
        p.canvas.Line(a.x, a.y, b.x, b.y, p.figureColour, p.width);
    }
    p.Label(std::min(box.left + 5, p.canvas.Width() - 1), std::max(box.bottom - 23, 0), label);
}

void DrawCircle(Painter& p, const MeasureObject& object, const std::string& label) {
    if (object.points.size() < 2) return;
    const MeasurePoint c = object.points[0], rim = object.points[1];
    const double dx = double(rim.x) - c.x, dy = double(rim.y) - c.y;
    const int r = int(std::min(std::sqrt(dx * dx + dy * dy), double(INT32_MAX)));
    p.canvas.Circle(c.x, c.y, r, p.figureColour, p.width);
    p.canvas.Marker(c.x, c.y, kEndMarkerSize, p.figureColour);
    p.canvas.Marker(rim.x, rim.y, kEndMarkerSize, p.figureColour);
    p.Label(rim.x + 6, rim.y, label);
}

void DrawAngle(Painter& p, const MeasureObject& object, const std::string& label) {
    if (object.points.size() < 3) return;
    const MeasurePoint a = object.points[0], v = object.points[1], b = object.points[2];
    for (const MeasurePoint& q : object.points) p.canvas.Marker(q.x, q.y, kEndMarkerSize, p.figureColour);
    p.canvas.Line(a.x, a.y, v.x, v.y, p.figureColour, p.width);
    p.canvas.Line(v.x, v.y, b.x, b.y, p.figureColour, p.width);
    const double from = RayDirection(a.x, a.y, v.x, v.y);
    double sweep = RayDirection(b.x, b.y, v.x, v.y) - from;
    // The arc spans the inner angle: the shorter way round.
    while (sweep > 180) sweep -= 360;
    while (sweep <= -180) sweep += 360;
    p.canvas.Arc(v.x, v.y, kAngleArcRadius, from, sweep, p.figureColour, 1);
    p.canvas.Arc(v.x, v.y, kAngleInnerArcRadius, from, sweep, p.figureColour, 1);
    p.Label(v.x, v.y, label);
}

void DrawPolyline(Painter& p, const MeasureObject& object, bool closed, const std::string& label) {
    const std::vector<MeasurePoint>& points = object.points;
    if (points.empty()) return;
    if (points.size() == 1) p.canvas.Marker(points[0].x, points[0].y, kEndMarkerSize, p.figureColour);
    for (size_t i = 1; i < points.size(); ++i) p.Segment(points[i - 1], points[i]);
    if (closed && points.size() > 2) p.Segment(points.back(), points.front());
    if (label.empty() || points.size() < 2) return;
    if (closed) {
        const FigureBox box = BoundingBox(points);
        const TextBox size = MeasureCanvas::MeasureText(label, LabelStyle(p.settings));
        p.Label(int((int64_t(box.left) + box.right - size.width) / 2),
                int((int64_t(box.top) + box.bottom - size.height) / 2), label);
        return;
    }
    const MeasurePoint last = points.back(), before = points[points.size() - 2];
    if (last.y < before.y) {
        p.Label(last.x + 10, last.y, label);
    } else {
        const TextBox size = MeasureCanvas::MeasureText(label, LabelStyle(p.settings));
        p.Label(last.x - 10 - size.width, last.y, label);
    }
}

void DrawEllipse(Painter& p, const MeasureObject& object) {
    if (object.points.size() < 3) return;
    const MeasurePoint c = object.points[0], a = object.points[1];
    p.canvas.Ellipse(c.x, c.y, int64_t(a.x) - c.x, int64_t(a.y) - c.y, Distance(c, object.points[2]), p.figureColour, p.width);
    for (const MeasurePoint& q : object.points) p.canvas.Marker(q.x, q.y, kEndMarkerSize, p.figureColour);
}

void DrawText(Painter& p, const MeasureObject& object) {
    if (object.points.size() < 2) return;
    const MeasurePoint at = object.points[1];
    p.canvas.Text(at.x, at.y, object.text, LabelStyle(p.settings), p.labelColour);
}

}  // namespace

TextStyle LabelStyle(const MeasureSettings& settings) {
    TextStyle style;
    style.face = settings.labelFontFace;
    style.pixelHeight = settings.LabelPixelHeight();
    return style;
}

TextStyle MarkStyle(const MeasureSettings& settings) {
    TextStyle style;
    style.face = mtexts::kMarkFont;
    style.pixelHeight = settings.LabelPixelHeight();
    return style;
}

FigureBox BoundingBox(const std::vector<MeasurePoint>& points) {
    FigureBox box;
    if (points.empty()) return box;
    box.left = box.right = points[0].x;
    box.top = box.bottom = points[0].y;
    for (const MeasurePoint& p : points) {
        box.left = std::min(box.left, p.x), box.right = std::max(box.right, p.x);
        box.top = std::min(box.top, p.y), box.bottom = std::max(box.bottom, p.y);
    }
    return box;
}

FigureValues ComputeFigure(const MeasureObject& object, const MeasureSettings& settings, int pictureWidth,
                           int pictureHeight) {
    const Calibration calibration(settings);
    const std::vector<MeasurePoint>& pts = object.points;
    FigureValues v;
    switch (object.Kind()) {
        case MeasureKind::Segment: {
            v.calibrated = true;
            if (pts.size() < 2) return v.valid = false, v;
            const double length = calibration.UnitLength(pts[0].x, pts[0].y, pts[1].x, pts[1].y);
            v.valid = !Negative(length);
            v.length = float(length);
            v.shown = length;
            return v;
        }
        case MeasureKind::Circle: {
            v.calibrated = true;
            if (pts.size() < 2) return v.valid = false, v;
            const double radius = calibration.UnitLength(pts[0].x, pts[0].y, pts[1].x, pts[1].y);
            v.valid = !Negative(radius);
            v.radius = float(radius);
            v.diameter = float(2 * radius);
            v.shown = radius;
            return v;
        }
        case MeasureKind::Rectangle: {
            v.calibrated = true;
            if (pts.empty()) return v.valid = false, v;
            const FigureBox box = BoundingBox(pts);
            const double area = calibration.UnitRectArea(box.left, box.top, box.right, box.bottom);
            v.valid = !Negative(area);
            v.area = float(area);
            v.shown = area;
            return v;
        }
        case MeasureKind::Angle: {
            if (pts.size() < 3) return v.valid = false, v;
            v.angle = float(AngleAt(pts[0].x, pts[0].y, pts[1].x, pts[1].y, pts[2].x, pts[2].y));
            v.shown = v.angle;
            return v;
        }
        case MeasureKind::Polyline: {
            v.calibrated = true;
            if (pts.size() < 2) return v.valid = false, v;
            double total = 0;
            for (size_t i = 1; i < pts.size(); ++i) {
                const double part = calibration.UnitLength(pts[i - 1].x, pts[i - 1].y, pts[i].x, pts[i].y);
                if (Negative(part)) return v.valid = false, v;
                total += part;
            }
            v.length = float(total);
            v.shown = total;
            return v;
        }
        case MeasureKind::Polygon: {
            v.calibrated = true;
            if (pts.size() < 3) return v.valid = false, v;
            // The area field keeps whole pixels; the label shows them calibrated.
            const int64_t inside = CountPixelsInside(pts, pictureWidth, pictureHeight);
            v.area = float(inside);
            const double whole = calibration.UnitImageArea(pictureWidth, pictureHeight);
            const double pixels = double(pictureWidth) * double(pictureHeight);
            v.valid = !Negative(whole) && pixels > 0;
            v.shown = v.valid ? whole * double(inside) / pixels : -1;
            return v;
        }
        case MeasureKind::Ellipse: {
            if (pts.size() < 3) return v.valid = false, v;
            v.diameter = float(Distance(pts[0], pts[1]));
            v.radius = float(Distance(pts[0], pts[2]));
            return v;
        }
        default: return v;
    }
}

bool DrawFigure(MeasureCanvas& canvas, const MeasureSettings& settings, const MeasureObject& object,
                const FigureValues& values, const FigureStyle& style) {
    if (!canvas.Usable()) return false;
    Painter p{canvas, settings, style.selected ? settings.selectColour : settings.lineColour,
              style.selected ? settings.selectColour : settings.textColour, settings.LineWidth()};
    std::string label;
    if (style.labelOverride) {
        label = *style.labelOverride;
    } else if (settings.showLabels && values.valid) {
        switch (object.Kind()) {
            case MeasureKind::Segment:
            case MeasureKind::Rectangle:
            case MeasureKind::Polygon:
                label = object.Kind() == MeasureKind::Segment ? LengthLabel(settings, values.shown)
                                                              : AreaLabel(settings, values.shown);
                break;
            case MeasureKind::Circle:
            case MeasureKind::Polyline: label = OneDecimalLabel(settings, values.shown); break;
            case MeasureKind::Angle: label = AngleLabel(values.shown); break;
            default: break;
        }
    }
    switch (object.Kind()) {
        case MeasureKind::PointMark: DrawPointMark(p, object); return true;
        case MeasureKind::Segment: return DrawSegment(p, object, label);
        case MeasureKind::Rectangle: DrawRectangle(p, object, label); return true;
        case MeasureKind::Circle: DrawCircle(p, object, label); return true;
        case MeasureKind::Angle: DrawAngle(p, object, label); return true;
        case MeasureKind::Polyline: DrawPolyline(p, object, false, label); return true;
        case MeasureKind::Polygon: DrawPolyline(p, object, true, label); return true;
        case MeasureKind::Ellipse: DrawEllipse(p, object); return true;
        case MeasureKind::Text: DrawText(p, object); return true;
        default: return false;  // curves are kept, not drawn
    }
}

}  // namespace quillory
