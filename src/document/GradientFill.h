#pragma once
// The gradient fill of the current layer along a dragged line ("그라디언트").
#include "processing/Gradient.h"

namespace quillory {

class CVandDoc;
class CommandRegistry;

// Paints the current layer from the drag's start to its end (image pixels, rows
// top-down), honouring an active selection, and records "그라디언트". A click
// without a drag shows the drag message and paints nothing; a text layer is refused.
bool ApplyGradient(CVandDoc& document, const GradientSettings& settings, int startX, int startY, int endX, int endY);

// The settings for the panel's choices: the ramp runs from the foreground at the
// drag's start to the background (or black with "전경") at its end.
GradientSettings GradientFor(int colourMode, int shape, RGBQUAD foreground, RGBQUAD background);

void RegisterGradientCommands(CommandRegistry& registry);

}  // namespace quillory
