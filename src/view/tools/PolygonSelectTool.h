#pragma once
// Polygon selection (kToolPolygonSelect): each press adds a corner and draws the
// edge from the previous one into the mask; a double click closes the polygon.
#include <utility>
#include <vector>

#include "view/ViewTool.h"

namespace quillory {

class PolygonSelectTool : public ViewTool {
public:
    bool Press(ToolContext& context, const ToolEvent& event) override;
    bool Move(ToolContext& context, const ToolEvent& event) override;
    bool DoubleClick(ToolContext& context, const ToolEvent& event) override;
    ToolOverlay Overlay() const override;

private:
    std::vector<std::pair<int, int>> m_points;  // picture pixels
    int m_pointerX = 0, m_pointerY = 0;
    bool m_open = false;  // corners are being added
};

}  // namespace quillory
