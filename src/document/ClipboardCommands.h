#pragma once
// Copy, cut and paste through the platform clipboard, and the floating
// selection that the move tool lifts out of a layer. The clipboard holds a
// packed device-independent bitmap: a direct-colour layer goes out as 32 bits a
// pixel, blue, green, red and the layer's opacity.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "document/LayerTransfer.h"

namespace quillory {

class CVandDoc;
class CommandRegistry;

// A layer picture as a packed 32-bit bitmap (40-byte header, rows bottom-up).
std::vector<uint8_t> PackPicture(const LayerPicture& picture);
// Any packed bitmap as a layer picture. A 32-bit bitmap whose fourth bytes are
// all 0 (as most programs write them) is opaque; other depths are opaque.
[[nodiscard]] bool UnpackPicture(const uint8_t* data, size_t size, LayerPicture& out);

// kEditCopy: the current layer, or its selected part, onto the clipboard.
// Reports the copied size. False (nothing on the clipboard) for a measurement
// layer (with its message) or an empty selection.
bool CopyToClipboard(CVandDoc& document, int* width = nullptr, int* height = nullptr);
// The clipboard's picture; false when it holds none.
bool PictureFromClipboard(LayerPicture& out);
// Clears the selected pixels of the current layer (everything without a
// selection); with spread > 0 the opacity ramps down over the selection's edge.
// Records nothing.
bool ClearSelectedPixels(CVandDoc& document, int spread);
// kEditCut: copy, then clear with the edge spread, step "자르기".
bool CutToClipboard(CVandDoc& document, int spread);
// kEditPaste: the clipboard's picture as a new top layer (above the current one
// while a selection floats), current, step "복사물 붙이기". The picture's top-left
// pixel lands on canvas (left, top), counted from the top (the editor passes the
// top-left of the visible part); the selection ends, so the move tool moves the new
// layer. False when the clipboard holds no picture.
bool PasteFromClipboard(CVandDoc& document, int left = 0, int top = 0);

// The move tool's first move over an active selection: the selected pixels go
// to the clipboard and out of the layer and come back as a floating layer
// directly above it, at the same place. True when a floating layer is now current.
bool LiftSelection(CVandDoc& document);

void RegisterClipboardCommands(CommandRegistry& registry);

}  // namespace quillory
