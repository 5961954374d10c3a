// The angle and ellipse tools: three clicks, the figure at the third.
#include "measure/MeasureTools.h"

namespace quillory {

bool ThreeClickTool::Press(MeasureSet& set, MeasurePoint at) {
    std::vector<MeasurePoint>& clicks = set.scratch.three;
    if (clicks.empty()) {
        if (!measuring::BeginFigure(set, false)) return true;
        set.RestorePreview();
        set.ClearTouch();
    }
    clicks.push_back(at);
    if (clicks.size() < 3) {
        // A marker and the line from the previous click, taken back when the figure is drawn.
        MeasureCanvas canvas = set.PreviewCanvas();
        const uint32_t colour = set.Settings().lineColour;
        canvas.Marker(at.x, at.y, kEndMarkerSize, colour);
        if (clicks.size() == 2) {
            canvas.Line(clicks[0].x, clicks[0].y, at.x, at.y, colour, 1);
        }
        return true;
    }
    const std::vector<MeasurePoint> points = clicks;
    clicks.clear();
    set.RestorePreview();
    measuring::CreateFigure(set, m_kind, points);
    return true;
}

}  // namespace quillory
