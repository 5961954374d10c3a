#pragma once
// The bridge between layer records and the planes the geometric routines work
// on: taking a layer's planes, and putting new planes on a layer at a canvas
// position. A layer is never smaller than the document: planes smaller than the
// canvas are placed on a transparent layer of the canvas's size.
#include "document/DocumentState.h"
#include "document/LayerRecord.h"
#include "processing/Planes.h"

namespace quillory {

// A copy of a layer's planes (text layers: coverage bytes, rows unpadded).
[[nodiscard]] bool CopyLayerPlanes(const LayerRecord& layer, const DocumentHeader& header, Planes& out);
PaletteRef PaletteOf(const DocumentHeader& header);

// The canvas rectangle of a layer, rows top-down.
struct CanvasRect {
    int left = 0, top = 0, width = 0, height = 0;
    int Right() const { return left + width; }
    int Bottom() const { return top + height; }
};
CanvasRect LayerCanvasRect(const LayerRecord& layer, const DocumentHeader& header);

// The canvas's new size: width, height and the sizes that follow from them.
void SetCanvasSize(DocumentHeader& header, int width, int height);

// Puts `content` on the layer so that its top-left pixel lands on canvas (left,
// top). The layer is at least the canvas's size and as close to (0, 0) as the
// content allows; what the content does not cover is transparent. The effect
// plane is cleared; the scratch copies and a selection that is neither active nor
// suspended follow the current layer. False, with the layer unchanged, when memory runs out.
[[nodiscard]] bool PlaceOnLayer(DocumentState& state, LayerRecord& layer, bool isCurrent, Planes&& content, int left,
                                int top);

}  // namespace quillory
