// The segment, parallel-line and line-distance tools.
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "core/Platform.h"
#include "measure/MeasureTexts.h"
#include "measure/MeasureTools.h"

namespace quillory {

namespace {

bool Same(MeasurePoint a, MeasurePoint b) { return a.x == b.x && a.y == b.y; }

// The segment drawn while the reference is picked: labelled with its pixel length,
// kept as a preview (no object), its extents handed to the calibration.
bool PickReference(MeasureSet& set, MeasurePoint a, MeasurePoint b) {
    const int dx = std::abs(b.x - a.x), dy = std::abs(b.y - a.y);
    const int pixels = int(std::sqrt(double(dx) * dx + double(dy) * dy));
    if (pixels == 0) return false;
    char label[96];
    std::snprintf(label, sizeof label, mtexts::kReferencePendingLabel, pixels);
    const std::string text = label;
    MeasureObject line;
    line.kind = mtexts::kKindSegment;
    line.points = {a, b};
    FigureStyle style;
    style.labelOverride = &text;
    set.ClearTouch();
    MeasureCanvas canvas = set.PreviewCanvas();
    if (!DrawFigure(canvas, set.Settings(), line, FigureValues{}, style)) {
        CurrentPlatform().ShowMessage(mtexts::kSegmentTooLong, MessageKind::Warning);
        return false;
    }
    set.pickedReference = true;
    set.pickedDx = dx;
    set.pickedDy = dy;
    return true;
}

}  // namespace

MeasurePoint PerpendicularFoot(MeasurePoint p, MeasurePoint a, MeasurePoint b) {
    if (a.x == b.x) return MeasurePoint{a.x, p.y};
    const double vx = double(b.x) - a.x, vy = double(b.y) - a.y;
    const double t = ((double(p.x) - a.x) * vx + (double(p.y) - a.y) * vy) / (vx * vx + vy * vy);
    return MeasurePoint{int32_t(std::lround(a.x + t * vx)), int32_t(std::lround(a.y + t * vy))};
}

bool DragTool::Press(MeasureSet& set, MeasurePoint at) {
    set.tool.pressed = measuring::BeginFigure(set, true);
    set.tool.press = at;
    set.RestorePreview();
    set.ClearTouch();
    return true;
}

bool SegmentTool::Press(MeasureSet& set, MeasurePoint at) {
    // Picking the reference measures in pixels: no calibration needed.
    set.tool.pressed = measuring::BeginFigure(set, !set.Settings().referencePending);
    set.tool.press = at;
    set.RestorePreview();
    set.ClearTouch();
    return true;
}

bool SegmentTool::Drag(MeasureSet& set, MeasurePoint at) {
    if (!set.tool.pressed) return false;
    set.RestorePreview();
    set.ClearTouch();
    measuring::PreviewLine(set, set.tool.press, at);
    return true;
}

bool SegmentTool::Release(MeasureSet& set, MeasurePoint at) {
    if (!set.tool.pressed) return false;
    set.tool.pressed = false;
    set.RestorePreview();
    const MeasurePoint a = set.tool.press;
    if (set.Settings().referencePending) {
        PickReference(set, a, at);
        return true;
    }
    if (Same(a, at)) return true;  // a click measures nothing
    measuring::CreateFigure(set, MeasureKind::Segment, {a, at});
    return true;
}

bool ParallelLineTool::Drag(MeasureSet& set, MeasurePoint at) {
    if (!set.tool.pressed) return false;
    set.RestorePreview();
    set.ClearTouch();
    const MeasurePoint a = set.tool.press;
    const MeasureToolMemory& t = set.tool;
    measuring::PreviewLine(set, a, t.parallelSet ? MeasurePoint{a.x + t.parallelDelta.x, a.y + t.parallelDelta.y} : at);
    return true;
}

bool ParallelLineTool::Release(MeasureSet& set, MeasurePoint at) {
    if (!set.tool.pressed) return false;
    set.tool.pressed = false;
    set.RestorePreview();
    const MeasurePoint a = set.tool.press;
    MeasureToolMemory& t = set.tool;
    if (!t.parallelSet) {
        if (Same(a, at)) return true;
        if (measuring::CreateFigure(set, MeasureKind::Segment, {a, at})) {
            t.parallelSet = true;
            t.parallelDelta = MeasurePoint{at.x - a.x, at.y - a.y};
        }
        return true;
    }
    const MeasurePoint end{a.x + t.parallelDelta.x, a.y + t.parallelDelta.y};
    if (!Same(a, end)) measuring::CreateFigure(set, MeasureKind::Segment, {a, end});
    return true;
}

bool LineDistanceTool::Drag(MeasureSet& set, MeasurePoint at) {
    if (!set.tool.pressed || set.tool.referenceSet) return false;
    set.RestorePreview();
    set.ClearTouch();
    measuring::PreviewLine(set, set.tool.press, at);
    return true;
}

bool LineDistanceTool::Release(MeasureSet& set, MeasurePoint at) {
    if (!set.tool.pressed) return false;
    set.tool.pressed = false;
    MeasureToolMemory& t = set.tool;
    const MeasurePoint p = t.press;
    if (!t.referenceSet) {
        set.RestorePreview();
        if (Same(p, at)) {
            CurrentPlatform().ShowMessage(mtexts::kDragReferenceFirst, MessageKind::Information);
            t.referenceSet = false;
            return true;
        }
        // The reference is drawn, not stored: a preview that goes with the tool.
        t.referenceSet = true;
        t.referenceStart = p;
        t.referenceEnd = at;
        set.ClearTouch();
        measuring::PreviewLine(set, p, at);
        return true;
    }
    const MeasurePoint foot = PerpendicularFoot(p, t.referenceStart, t.referenceEnd);
    if (!Same(p, foot)) measuring::CreateFigure(set, MeasureKind::Segment, {p, foot});
    return true;
}

}  // namespace quillory
