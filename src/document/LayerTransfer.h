#pragma once
// A layer's picture taken out of a document and put back as a new layer: what
// duplicating a layer, duplicating a document and cutting out a new document
// pass between the source and the target. The picture is packed like the
// clipboard's 32-bit bitmap: rows bottom-up, blue, green, red and the opacity byte.
#include <cstdint>
#include <vector>

#include "document/DocumentState.h"
#include "document/LayerRecord.h"

namespace quillory {

class CVandDoc;

struct LayerPicture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // width × height, rows bottom-up
    int left = 0, bottom = 0;      // where it was taken from: layer column and stored row of its first pixel

    uint32_t* Row(int storedY) { return pixels.data() + size_t(storedY) * size_t(width); }
    const uint32_t* Row(int storedY) const { return pixels.data() + size_t(storedY) * size_t(width); }
};

// The whole layer, or with a selection (active, or suspended while the view is
// without the focus) the bounding box of its selected pixels (the mask laid onto
// the layer's geometry; unselected pixels inside the box get opacity 0). Palette
// pixels and text layers give their colours. False when nothing is selected on the
// layer or the layer's planes are unusable, and with a message for a measurement layer.
[[nodiscard]] bool CopyLayerPicture(const DocumentState& state, const LayerRecord& layer, LayerPicture& out);

// Inserts a new layer above the top layer (above the current one while a
// floating selection is pending) at the document's depth, the picture's size
// (at least the document's), x = y = 0, `changed` 1, and copies the picture into
// it row by row from the bottom. The new layer becomes current. Returns its
// slot, or -1 (nothing changed) when no layer can be added. Records no step.
int PasteLayerPicture(CVandDoc& document, const LayerPicture& picture);

}  // namespace quillory
