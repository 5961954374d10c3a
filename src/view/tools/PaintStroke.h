#pragma once
// What every painting tool does around its drawing: opens the current layer,
// takes the stamp from the settings, and records the tool's step at the end.
#include <string_view>

#include "view/ViewTool.h"
#include "view/tools/LayerCanvas.h"
#include "view/tools/Stamp.h"

namespace quillory {

// The settings' colour (platform order: red in the low byte) as the engine's colour.
inline RGBQUAD ToolColour(uint32_t platformColour) {
    return RGBQUAD{uint8_t((platformColour >> 16) & 0xFF), uint8_t((platformColour >> 8) & 0xFF),
                   uint8_t(platformColour & 0xFF), 0};
}

inline StampStyle StrokeStyle(const ToolContext& context, bool erase = false) {
    StampStyle style;
    style.size = context.brushSize;
    style.soft = context.softBrush != 0;
    style.erase = erase;
    style.colour = ToolColour(context.foreground);
    return style;
}

// Records a painting step on the current layer.
void RecordPaintStep(CVandDoc& document, std::string_view name);

}  // namespace quillory
