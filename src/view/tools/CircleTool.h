#pragma once
// Circle (kToolCircle): press marks a point on the circle; release draws the
// outline centred on the release point through it, stamped with the brush size
// and always soft.
#include "view/tools/PaintStroke.h"

namespace quillory {

// Stamps the ring of a radius around a layer point.
void StampCircle(LayerCanvas& canvas, LayerPoint centre, int radius, const StampStyle& style);

class CircleTool : public ViewTool {
public:
    bool Press(ToolContext& context, const ToolEvent& event) override;
    bool Move(ToolContext& context, const ToolEvent& event) override;
    bool Release(ToolContext& context, const ToolEvent& event) override;
    ToolOverlay Overlay() const override;

private:
    bool m_pressed = false;
    int m_startX = 0, m_startY = 0, m_endX = 0, m_endY = 0;
};

}  // namespace quillory
