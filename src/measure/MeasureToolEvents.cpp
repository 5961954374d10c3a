#include <algorithm>
#include <map>
#include <memory>

#include "core/CommandIds.h"
#include "core/Platform.h"
#include "measure/MeasureTexts.h"
#include "measure/MeasureTool.h"
#include "measure/MeasureTools.h"

namespace quillory {

namespace {

const std::map<int, std::unique_ptr<MeasureTool>>& Tools() {
    static const std::map<int, std::unique_ptr<MeasureTool>> tools = [] {
        std::map<int, std::unique_ptr<MeasureTool>> t;
        t[cmd::kToolMeasureSelect] = std::make_unique<SelectEditTool>();
        t[cmd::kToolPointMark] = std::make_unique<PointMarkTool>();
        t[cmd::kToolMeasureSegment] = std::make_unique<SegmentTool>();
        t[cmd::kToolParallelLines] = std::make_unique<ParallelLineTool>();
        t[cmd::kToolLineDistance] = std::make_unique<LineDistanceTool>();
        t[cmd::kToolMeasureRectangle] = std::make_unique<RectangleTool>();
        t[cmd::kToolMeasureCircle] = std::make_unique<MeasureCircleTool>();
        t[cmd::kToolMeasureAngle] = std::make_unique<ThreeClickTool>(MeasureKind::Angle);
        t[cmd::kToolMeasureEllipse] = std::make_unique<ThreeClickTool>(MeasureKind::Ellipse);
        t[cmd::kToolMeasurePolygon] = std::make_unique<PolyFigureTool>(cmd::kToolMeasurePolygon);
        t[cmd::kToolMeasurePolyline] = std::make_unique<PolyFigureTool>(cmd::kToolMeasurePolyline);
        t[cmd::kToolAddVertex] = std::make_unique<VertexTool>(true);
        t[cmd::kToolRemoveVertex] = std::make_unique<VertexTool>(false);
        t[cmd::kToolMeasureText] = std::make_unique<TextObjectTool>();
        return t;
    }();
    return tools;
}

bool IsPolyTool(int id) { return id == cmd::kToolMeasurePolygon || id == cmd::kToolMeasurePolyline; }

}  // namespace

MeasureTool* FindMeasureTool(int id) {
    auto it = Tools().find(id);
    return it == Tools().end() ? nullptr : it->second.get();
}

bool IsEditTool(int id) {
    return id == cmd::kToolMeasureSelect || id == cmd::kToolAddVertex || id == cmd::kToolRemoveVertex;
}

bool MeasurePress(CVandDoc& document, int tool, MeasurePoint at, const std::string& text) {
    MeasureTool* t = FindMeasureTool(tool);
    if (!t || !LayerStack::IsValidIndex(document.CurrentLayer())) return false;
    return t->PressText(MeasuresOf(document), at, text);
}

bool MeasureDrag(CVandDoc& document, int tool, MeasurePoint at) {
    MeasureTool* t = FindMeasureTool(tool);
    if (!t || !LayerStack::IsValidIndex(document.CurrentLayer())) return false;
    return t->Drag(MeasuresOf(document), at);
}

bool MeasureRelease(CVandDoc& document, int tool, MeasurePoint at) {
    MeasureTool* t = FindMeasureTool(tool);
    if (!t || !LayerStack::IsValidIndex(document.CurrentLayer())) return false;
    return t->Release(MeasuresOf(document), at);
}

bool ChooseMeasureTool(CVandDoc& document, int previous, int next) {
    MeasureSet* set = dynamic_cast<MeasureSet*>(document.Measures());
    if (!set) {
        if (next == cmd::kToolAddVertex || next == cmd::kToolRemoveVertex)
            CurrentPlatform().ShowMessage(mtexts::kChooseTargetFirst, MessageKind::Information);
        return false;
    }
    bool changed = false;
    set->tool.pressed = false;
    // Choosing the same polyline or polygon tool again continues its figure.
    if (set->tool.pendingTool >= 0 && next != set->tool.pendingTool) changed |= measuring::RegisterPending(*set);
    if (!set->scratch.three.empty() || (set->HasPreview() && set->tool.pendingTool < 0)) {
        set->RestorePreview();
        set->scratch.three.clear();
        changed = true;
    }
    if (next == cmd::kToolMeasureSelect && !IsPolyTool(previous) && set->Selected() >= 0) {
        set->EndSelectionEdit();
        changed = true;
    }
    if (next == cmd::kToolLineDistance) set->tool.referenceSet = false;
    if (next == cmd::kToolParallelLines) set->tool.parallelSet = false;
    if ((next == cmd::kToolAddVertex || next == cmd::kToolRemoveVertex) && set->Selected() < 0)
        CurrentPlatform().ShowMessage(mtexts::kChooseTargetFirst, MessageKind::Information);
    return changed;
}

int EndContinuousMeasure(CVandDoc& document, int current) {
    if (MeasureSet* set = dynamic_cast<MeasureSet*>(document.Measures())) {
        set->RestorePreview();
        set->scratch.poly.clear();
        set->scratch.three.clear();
        const int current = set->tool.currentTool;
        set->tool = MeasureToolMemory{};
        set->tool.currentTool = current;
    }
    // The distance tool is chosen afresh, which forgets its reference line.
    return current == cmd::kToolLineDistance ? cmd::kToolLineDistance : cmd::kNone;
}

void FinishReferencePick(CVandDoc& document) {
    MeasureSet& set = MeasuresOf(document);
    set.RestorePreview();
    set.Settings().referencePending = 0;
    set.pickedReference = false;
}

bool HasPendingFigure(const CVandDoc& document) {
    const MeasureSet* set = FindMeasures(document);
    return set && set->tool.pendingTool >= 0 && !set->scratch.poly.empty();
}

namespace measuring {

bool BeginFigure(MeasureSet& set, bool needsCalibration) {
    set.EndSelectionEdit();
    if (!set.ActivateMeasureLayer(true)) return false;
    if (needsCalibration && !Calibration(set.Settings()).IsCalibrated()) {
        CurrentPlatform().ShowMessage(mtexts::kNotCalibrated, MessageKind::Warning);
        return false;
    }
    return true;
}

bool CreateFigure(MeasureSet& set, MeasureKind kind, const std::vector<MeasurePoint>& points,
                  const std::string& text) {
    // At the limit nothing is drawn; adding tells the user.
    if (set.ObjectCount() >= kMaxMeasureObjects) return set.AddMeasureObject(KindName(kind), MeasureValues{});
    MeasureObject figure;
    figure.kind = KindName(kind);
    figure.points = points;
    figure.text = text;
    figure.markNumber = set.scratch.markNumber;
    const FigureValues values = ComputeFigure(figure, set.Settings(), set.PictureWidth(), set.PictureHeight());
    if (!values.valid) {
        if (values.calibrated && !Calibration(set.Settings()).IsCalibrated())
            CurrentPlatform().ShowMessage(mtexts::kNotCalibrated, MessageKind::Warning);
        return false;
    }
    set.ClearTouch();
    MeasureCanvas canvas = set.Canvas();
    if (!DrawFigure(canvas, set.Settings(), figure, values, FigureStyle{})) {
        if (kind == MeasureKind::Segment) CurrentPlatform().ShowMessage(mtexts::kSegmentTooLong, MessageKind::Warning);
        return false;
    }
    switch (kind) {
        case MeasureKind::Angle:
        case MeasureKind::Ellipse: set.scratch.three = points; break;
        case MeasureKind::Polyline:
        case MeasureKind::Polygon: set.scratch.poly = points; break;
        default: set.scratch.shape = points; break;
    }
    MeasureValues stored;
    stored.length = values.length;
    stored.area = values.area;
    stored.angle = values.angle;
    stored.radius = values.radius;
    stored.diameter = values.diameter;
    const bool added = set.AddMeasureObject(KindName(kind), stored, text);
    // The click lists are empty again for the next figure.
    set.scratch.three.clear();
    set.scratch.poly.clear();
    return added;
}

void PreviewLine(MeasureSet& set, MeasurePoint a, MeasurePoint b) {
    MeasureCanvas canvas = set.PreviewCanvas();
    const int w = canvas.Width(), h = canvas.Height();
    if (w <= 0 || h <= 0) return;
    b.x = std::clamp(b.x, 0, w - 1);
    b.y = std::clamp(b.y, 0, h - 1);
    canvas.Line(a.x, a.y, b.x, b.y, set.Settings().lineColour, 1);
}

bool RegisterPending(MeasureSet& set) {
    const int tool = set.tool.pendingTool;
    std::vector<MeasurePoint> points = set.scratch.poly;
    set.tool.pendingTool = -1;
    set.scratch.poly.clear();
    const bool hadPreview = set.HasPreview();
    set.RestorePreview();
    const MeasureKind kind = tool == cmd::kToolMeasurePolygon ? MeasureKind::Polygon : MeasureKind::Polyline;
    const size_t needed = kind == MeasureKind::Polygon ? 3 : 2;
    if (points.size() < needed) return hadPreview;  // too few points: nothing, no message
    const bool added = CreateFigure(set, kind, points);
    return added || hadPreview;
}

}  // namespace measuring

}  // namespace quillory
