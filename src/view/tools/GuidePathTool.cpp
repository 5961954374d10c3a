#include "view/tools/GuidePathTool.h"

#include "core/CommandIds.h"
#include "core/Platform.h"
#include "document/CVandDoc.h"
#include "document/CommandRegistry.h"
#include "document/ParameterValues.h"
#include "document/SelectionEditing.h"
#include "document/ToolTexts.h"
#include "view/tools/PaintStroke.h"

namespace quillory {

namespace {

bool RefuseTextLayer(const CVandDoc& document) {
    const int cur = document.CurrentLayer();
    if (!document.IsLayerInList(cur) || document.Layer(cur).kind != LayerKind::Text) return false;
    CurrentPlatform().ShowMessage(texts::kPathNotOnText, MessageKind::Warning);
    return true;
}

bool AddPoint(CVandDoc& document, int x, int y) {
    GuidePath& path = document.State().guidePath;
    if (path.closed) {
        if (CurrentPlatform().ShowMessage(texts::kPathRemoveFinished, MessageKind::Question, MessageButtons::YesNo) !=
            MessageAnswer::Yes)
            return false;
        path.Clear();
        return true;
    }
    int64_t distance = 0;
    if (path.points.size() >= 3 && path.Nearest(x, y, &distance) == 0 && distance < kCloseDistanceSquared) {
        path.closed = true;
        return true;
    }
    if (int(path.points.size()) >= kMaxGuidePoints) {
        CurrentPlatform().ShowMessage(texts::kPathTooManyPoints, MessageKind::Warning);
        return false;
    }
    path.points.push_back(GuidePoint{x, y});
    return true;
}

}  // namespace

bool GuidePathTool::Press(ToolContext& context, const ToolEvent& event) {
    context.ReportChange({});  // the path's points only: the view draws them over the layers
    CVandDoc& document = context.document;
    if (RefuseTextLayer(document)) return false;
    GuidePath& path = document.State().guidePath;
    const int x = event.pictureX, y = event.pictureY;
    m_pressed = true;
    m_lastX = x, m_lastY = y;
    switch (m_id) {
        case cmd::kPathAddPoints: return AddPoint(document, x, y);
        case cmd::kPathDragPoint: m_dragged = path.Nearest(x, y); return false;
        case cmd::kPathInsertPoint: {
            if (path.points.size() < 2 || int(path.points.size()) >= kMaxGuidePoints) return false;
            const int after = path.NearestSegment(x, y);
            path.points.insert(path.points.begin() + after + 1, GuidePoint{x, y});
            return true;
        }
        case cmd::kPathDeletePoint: {
            const int i = path.Nearest(x, y);
            if (i < 0) return false;
            path.points.erase(path.points.begin() + i);
            if (path.points.size() < 3) path.closed = false;
            return true;
        }
        default: return false;
    }
}

bool GuidePathTool::Move(ToolContext& context, const ToolEvent& event) {
    context.ReportChange({});
    if (!m_pressed) return false;
    GuidePath& path = context.document.State().guidePath;
    const int dx = event.pictureX - m_lastX, dy = event.pictureY - m_lastY;
    m_lastX = event.pictureX, m_lastY = event.pictureY;
    if (m_id == cmd::kPathDragPoint && m_dragged >= 0 && m_dragged < int(path.points.size())) {
        path.points[size_t(m_dragged)] = GuidePoint{event.pictureX, event.pictureY};
        return true;
    }
    if (m_id == cmd::kPathMove && (dx || dy)) {
        for (GuidePoint& p : path.points) p.x += dx, p.y += dy;
        return true;
    }
    return false;
}

bool GuidePathTool::Release(ToolContext& context, const ToolEvent& event) {
    const bool moved = Move(context, event);
    m_pressed = false;
    m_dragged = -1;
    return moved;
}

bool PathToSelection(CVandDoc& document) {
    const GuidePath& path = document.State().guidePath;
    if (path.points.size() < 3) {
        CurrentPlatform().ShowMessage(texts::kPathNeedsMorePoints, MessageKind::Warning);
        return false;
    }
    if (!path.closed) {
        CurrentPlatform().ShowMessage(texts::kPathNotClosed, MessageKind::Warning);
        return false;
    }
    std::vector<LayerPoint> points;
    for (const GuidePoint& p : path.points) {
        LayerPoint l;
        if (!ImageToLayer(document, p.x, p.y, l)) return false;
        points.push_back(l);
    }
    return SelectPolygon(document, points);
}

bool StrokePath(CVandDoc& document, const StampStyle& style) {
    const GuidePath& path = document.State().guidePath;
    if (path.points.size() < 2) {
        CurrentPlatform().ShowMessage(texts::kPathNeedsMorePoints, MessageKind::Warning);
        return false;
    }
    LayerCanvas canvas;
    if (!canvas.Open(document)) return false;
    const size_t n = path.points.size();
    for (size_t i = 0; i + 1 < n + (path.closed ? 1 : 0); ++i) {
        const GuidePoint a = path.points[i], b = path.points[(i + 1) % n];
        StampLine(canvas, ToLayerPoint(document, a.x, a.y), ToLayerPoint(document, b.x, b.y), style);
    }
    RecordPaintStep(document, texts::kStepStrokePath);
    return true;
}

ToolOverlay PathOverlay(const CVandDoc& document) {
    const GuidePath& path = document.State().guidePath;
    if (path.Empty()) return {};
    ToolOverlay overlay;
    overlay.shape = path.closed ? ToolOverlay::Shape::Polygon : ToolOverlay::Shape::Polyline;
    for (const GuidePoint& p : path.points) overlay.points.emplace_back(p.x, p.y);
    return overlay;
}

void RegisterPathCommands(CommandRegistry& registry) {
    registry.Register(cmd::kPathToSelection, texts::kPathSelectButton,
                      [](CVandDoc& d, const CommandParameters&) { return PathToSelection(d); });
    registry.Register(cmd::kPathStroke, texts::kPathStrokeButton, [](CVandDoc& d, const CommandParameters& p) {
        StampStyle style;
        style.size = int(p.Number("size", 5));
        style.soft = p.Number("soft", 0) != 0;
        RGBQUAD colour{0, 0, 0, 0};
        if (p.Has("colour") && !ParseHexColour(p.Text("colour"), colour)) return false;
        style.colour = colour;
        if (style.size < 1 || style.size > 100) return false;
        return StrokePath(d, style);
    });
}

}  // namespace quillory
