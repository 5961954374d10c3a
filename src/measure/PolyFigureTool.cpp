// The polyline and polygon tools: each click adds a point and redraws the preview;
// changing the tool registers the figure.
#include "core/CommandIds.h"
#include "measure/MeasureTools.h"

namespace quillory {

bool PolyFigureTool::Press(MeasureSet& set, MeasurePoint at) {
    std::vector<MeasurePoint>& points = set.scratch.poly;
    if (set.tool.pendingTool != m_id) {
        if (set.tool.pendingTool >= 0) measuring::RegisterPending(set);
        if (!measuring::BeginFigure(set, true)) return true;
        set.RestorePreview();
        set.tool.pendingTool = m_id;
        points.clear();
    }
    if (points.size() >= size_t(kMaxPolyPoints)) return false;  // further clicks are ignored
    points.push_back(at);

    set.RestorePreview();
    set.ClearTouch();
    MeasureCanvas canvas = set.PreviewCanvas();
    const bool polygon = m_id == cmd::kToolMeasurePolygon;
    MeasureObject figure;
    figure.kind = KindName(polygon ? MeasureKind::Polygon : MeasureKind::Polyline);
    figure.points = points;
    if (points.size() >= (polygon ? 3u : 2u)) {
        const FigureValues values = ComputeFigure(figure, set.Settings(), set.PictureWidth(), set.PictureHeight());
        DrawFigure(canvas, set.Settings(), figure, values, FigureStyle{});
    } else {
        for (const MeasurePoint& p : points) canvas.Marker(p.x, p.y, kEndMarkerSize, set.Settings().lineColour);
    }
    return true;
}

}  // namespace quillory
