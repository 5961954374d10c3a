// The rectangle and circle tools.
#include <algorithm>
#include <cmath>

#include "measure/MeasureTools.h"

namespace quillory {

namespace {

FigureBox Normalised(MeasurePoint a, MeasurePoint b) {
    return FigureBox{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

MeasurePoint Clamped(const MeasureSet& set, MeasurePoint p) {
    p.x = std::clamp(p.x, 0, std::max(0, set.PictureWidth() - 1));
    p.y = std::clamp(p.y, 0, std::max(0, set.PictureHeight() - 1));
    return p;
}

}  // namespace

bool RectangleTool::Drag(MeasureSet& set, MeasurePoint at) {
    if (!set.tool.pressed) return false;
    set.RestorePreview();
    set.ClearTouch();
    const FigureBox b = Normalised(set.tool.press, Clamped(set, at));
    const MeasurePoint corners[4] = {{b.left, b.top}, {b.right, b.top}, {b.right, b.bottom}, {b.left, b.bottom}};
    for (int i = 0; i < 4; ++i) measuring::PreviewLine(set, corners[i], corners[(i + 1) % 4]);
    return true;
}

bool RectangleTool::Release(MeasureSet& set, MeasurePoint at) {
    if (!set.tool.pressed) return false;
    set.tool.pressed = false;
    set.RestorePreview();
    const FigureBox b = Normalised(set.tool.press, at);
    if (b.left == b.right || b.top == b.bottom) return true;  // no area
    measuring::CreateFigure(set, MeasureKind::Rectangle,
                            {{b.left, b.top}, {b.right, b.top}, {b.right, b.bottom}, {b.left, b.bottom}});
    return true;
}

bool MeasureCircleTool::Drag(MeasureSet& set, MeasurePoint at) {
    if (!set.tool.pressed) return false;
    set.RestorePreview();
    set.ClearTouch();
    const MeasurePoint c = set.tool.press;
    const int r = int(std::hypot(double(at.x) - c.x, double(at.y) - c.y));
    MeasureCanvas canvas = set.PreviewCanvas();
    canvas.Circle(c.x, c.y, r, set.Settings().lineColour, 1);
    return true;
}

bool MeasureCircleTool::Release(MeasureSet& set, MeasurePoint at) {
    if (!set.tool.pressed) return false;
    set.tool.pressed = false;
    set.RestorePreview();
    const MeasurePoint c = set.tool.press;
    if (int(std::hypot(double(at.x) - c.x, double(at.y) - c.y)) == 0) return true;
    measuring::CreateFigure(set, MeasureKind::Circle, {c, at});
    return true;
}

}  // namespace quillory
