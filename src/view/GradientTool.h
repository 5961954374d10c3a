#pragma once
// The gradient tool (kToolGradient): press marks the start, release paints the
// ramp from there to the release point with the panel's choices, from the
// foreground colour at the start.
#include "view/PanelState.h"
#include "view/ViewTool.h"

namespace quillory {

class GradientTool : public ViewTool {
public:
    bool Press(ToolContext& context, const ToolEvent& event) override;
    bool Release(ToolContext& context, const ToolEvent& event) override;

private:
    bool m_pressed = false;
    int m_startX = 0, m_startY = 0;
};

// A platform colour (red in the low byte) as the engine's colour.
inline RGBQUAD FromPlatformColour(uint32_t c) {
    return RGBQUAD{uint8_t((c >> 16) & 0xFF), uint8_t((c >> 8) & 0xFF), uint8_t(c & 0xFF), 0};
}

}  // namespace quillory
