#include "view/GradientTool.h"

#include "document/CVandDoc.h"
#include "document/GradientFill.h"

namespace quillory {

bool GradientTool::Press(ToolContext&, const ToolEvent& event) {
    m_pressed = true;
    m_startX = event.pictureX, m_startY = event.pictureY;
    return false;
}

bool GradientTool::Release(ToolContext& context, const ToolEvent& event) {
    if (!m_pressed) return false;
    m_pressed = false;
    GradientState state;
    if (context.panels) state = context.panels->gradient;
    const GradientSettings settings = GradientFor(state.colourMode, state.shape, FromPlatformColour(context.foreground),
                                                  FromPlatformColour(context.background));
    return ApplyGradient(context.document, settings, m_startX, m_startY, event.pictureX, event.pictureY);
}

}  // namespace quillory
