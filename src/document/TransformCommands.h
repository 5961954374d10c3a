#pragma once
// The geometric commands of the document: flips, rotations, the picture and
// canvas sizes, the free rotation and stretch (previewed through AdjustmentPreview), the free transform and
// the ellipse transform. The pixel work is in processing/; here each command
// checks, changes the layers, records its step and notifies.
#include "processing/FreeTransform.h"

namespace quillory {

class CVandDoc;
class CommandRegistry;

bool FlipLayer(CVandDoc& document, bool leftRight);   // kLayerFlipLeftRight, kLayerFlipTopBottom
bool FlipCanvas(CVandDoc& document, bool leftRight);  // kCanvasFlipLeftRight, kCanvasFlipTopBottom
bool MirrorPicture(CVandDoc& document);               // kMirror

// The current layer turned by an angle (degrees, clockwise on screen). Refused
// with a message for a text layer; a measurement layer only takes the new size.
bool RotateCurrentLayer(CVandDoc& document, float angle, const char* stepName);
// Every layer turned by a quarter turn; refused when any layer is a text layer.
bool RotateCanvas(CVandDoc& document, float angle, const char* stepName);

// Every layer resampled to a new canvas size; nothing (and no step) when unchanged.
bool ResizePicture(CVandDoc& document, int newWidth, int newHeight);
// The canvas enlarged (or cut) around one of the nine anchors.
bool ExpandCanvas(CVandDoc& document, int newWidth, int newHeight, int anchor);

// The free transform of the current layer onto a quadrilateral (layer pixels,
// rows top-down), at any zoom of the view the corners were placed in. `command` is
// kToolScale, kToolSkew or kToolPerspective. A degenerate quadrilateral is refused
// with a message, layer unchanged.
bool ApplyFreeTransform(CVandDoc& document, int command, const Quad& quad);
// The current layer mapped onto the ellipse inside a box of layer pixels (inclusive corners).
bool EllipseTransform(CVandDoc& document, int left, int top, int right, int bottom);

void RegisterTransformCommands(CommandRegistry& registry);

}  // namespace quillory
