#pragma once
// The guide-point path tools of the path panel: add points (kPathAddPoints;
// a click near the first point closes the path), drag the nearest point
// (kPathDragPoint), insert a point into the nearest segment (kPathInsertPoint),
// delete the nearest point (kPathDeletePoint) and drag the whole path
// (kPathMove). The panel's buttons turn the path into a selection or stroke it.
#include "view/ViewTool.h"

namespace quillory {

class CommandRegistry;
struct StampStyle;

class GuidePathTool : public ViewTool {
public:
    explicit GuidePathTool(int id) : m_id(id) {}
    bool Press(ToolContext& context, const ToolEvent& event) override;
    bool Move(ToolContext& context, const ToolEvent& event) override;
    bool Release(ToolContext& context, const ToolEvent& event) override;
    ToolOverlay Overlay() const override { return {}; }

private:
    int m_id;
    int m_dragged = -1;
    bool m_pressed = false;
    int m_lastX = 0, m_lastY = 0;
};

// kPathToSelection: a closed path of three or more points becomes a polygon
// selection; otherwise the path's message. True when selected.
bool PathToSelection(CVandDoc& document);
// kPathStroke: the brush's stamp along every segment; records "경로 그리기".
bool StrokePath(CVandDoc& document, const StampStyle& style);
// The path as the view draws it (overlay kind 5): points, closed back to the first when closed.
ToolOverlay PathOverlay(const CVandDoc& document);

// Registers kPathToSelection and kPathStroke (`size`, `soft`, `colour` RRGGBB).
void RegisterPathCommands(CommandRegistry& registry);

}  // namespace quillory
