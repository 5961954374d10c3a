#pragma once
// The document's 40-slot layer table and the doubly linked list through it.
// List order is stacking order: `headLayer` is the bottom layer, `next` goes up.
#include <cstdint>
#include <string>
#include <string_view>

#include "document/DocumentState.h"
#include "document/LayerRecord.h"

namespace quillory {

// How CreateLayerPlanes treats the header palette.
enum PaletteMode : int {
    kPaletteFromComposite = 0,  // copy the composite picture's palette
    kPaletteAllocate = 1,       // colour count entries without content
    kPaletteKeep = 2,
};

// What CreateLayerPlanes builds: one slot's planes and the header values every
// layer shares.
struct LayerPlanesRequest {
    int slot = -1;
    std::u16string_view name;  // becomes the picture name when not empty
    uint8_t formatType = 0;
    int bitsPerPixel = 24;
    int colourCount = 0;
    uint8_t alphaFill = 0;  // every opacity byte of the new layer
    int x = 0, y = 0;       // placement unless centred
    int layerWidth = 0, layerHeight = 0;
    int paletteMode = kPaletteKeep;
    int documentWidth = -1, documentHeight = -1;  // -1: the layer's size
    bool resetSelection = false;  // the selection mask covers the new layer even while one is shown
    int changed = 0;
    uint8_t kind = LayerKind::Raster;
    int16_t linkedLayer = -1;
    bool centre = false;
    // When set, the pixel plane is a copy of these pixelSize bytes (rows laid out as the
    // plane's) instead of white: one pass over the memory instead of two.
    const uint8_t* pixelsFrom = nullptr;

    // A layer of the document's own format, depth, colours and size in `slot`.
    static LayerPlanesRequest LikeDocument(const DocumentHeader& header, int slot) {
        LayerPlanesRequest request;
        request.slot = slot;
        request.formatType = header.formatType;
        request.bitsPerPixel = header.bitsPerPixel;
        request.colourCount = header.colourCount;
        request.layerWidth = request.documentWidth = header.width;
        request.layerHeight = request.documentHeight = header.height;
        return request;
    }
};

class LayerStack {
public:
    explicit LayerStack(DocumentState& state) : m_state(state) {}

    LayerStack(const LayerStack&) = delete;
    LayerStack& operator=(const LayerStack&) = delete;

    static bool IsValidIndex(int index) { return index >= 0 && index < kMaxLayers; }

    LayerRecord& Layer(int index) { return m_layers[index]; }
    const LayerRecord& Layer(int index) const { return m_layers[index]; }
    LayerRecord* Layers() { return m_layers; }
    const LayerRecord* Layers() const { return m_layers; }

    int32_t headLayer = -1;
    int32_t currentLayer = -1;

    // The document state the stack belongs to (header and selection).
    const DocumentState& State() const { return m_state; }

    // (Re)creates a slot's planes at the requested geometry and sets the header's
    // size and depth. False, with nothing changed, for an invalid slot, a
    // non-positive size, or planes that cannot be allocated.
    bool CreateLayerPlanes(const LayerPlanesRequest& request);

    // Links a new document-sized transparent raster layer directly above `below`
    // (at the bottom when `below` is -1) and makes it current. Returns its slot,
    // or -1 with the too-many-layers message when all slots are used.
    int InsertLayer(int below);
    // Re-inserts into a given free slot between given neighbours (undo and redo).
    bool InsertLayerAt(int slot, int prev, int next);

    // Unlinks a layer; the upper neighbour (or the lower one for the top layer)
    // becomes current. False, with a message when only one layer is left.
    bool DeleteLayer(int index);

    // False (and the message) when a text layer is refused while a selection is shown.
    bool SelectLayer(int index);

    int CountLayers() const;
    int LayerAtRow(int start, int steps) const;
    bool IsLayerInList(int index) const;
    int TopLayer() const;

    // Exchanges the places of two layers in the list (also when they are neighbours).
    bool SwapLayers(int a, int b);
    // Moves a layer by (dx, dy); false (nothing changed) past one layer size.
    bool MoveLayer(int index, int dx, int dy);

    void SetName(int index, std::u16string_view name);
    void SetVisible(int index, bool visible);
    void SetTransparency(int index, uint8_t transparency);
    void SetBlendMode(int index, uint8_t blendMode);

    // A text layer becomes a raster layer of its colour with the text's coverage as opacity.
    bool TextToRaster(int index);

    // Marks a slot free; its planes are released.
    void FreeSlot(int index);
    // Empties the table.
    void Clear();

private:
    DocumentState& m_state;
    LayerRecord m_layers[kMaxLayers];
};

// The blend mode a blend list entry selects (0 for any text not in the list).
uint8_t BlendModeFromText(std::string_view listText);
// The blend mode of a list entry or of a code 0..9 written as a number; false for anything else.
bool ParseBlendMode(std::string_view text, uint8_t& blendMode);
// The list entry of a blend mode; codes 0, 1 and unknown values give the normal entry.
const char* BlendModeText(uint8_t blendMode);

}  // namespace quillory
