#pragma once
// Blending of layers into a 32-bit buffer (blue, green, red, accumulated
// opacity), at any zoom and origin for display and at full size for merging,
// flattening and the flat picture written to image files. Stateless: every call
// gets what it works on.
#include <cstdint>
#include <vector>

#include "core/NyZazo.h"
#include "document/DocumentHeader.h"
#include "document/LayerRecord.h"

namespace quillory {

class LayerStack;

// Destination pixel (dx, dy), rows top-down, shows document column
// floor((dx + originX) / zoom) and the document row floor((dy + originY) / zoom)
// counted from the top.
struct RenderMapping {
    double zoom = 1.0;
    int originX = 0;
    int originY = 0;
};

// Which document pixel each target pixel shows: columns[x] for target column x,
// rows[y] (counted from the top) for target row y, both inside the document. The
// vectors cover the target up to its clip's right and bottom edges.
struct SampleGrid {
    std::vector<int> columns;
    std::vector<int> rows;
};

// A layer placed in document space: opacity (width × height bytes) and pixels
// (document stride, 8 bits for text layers), both rows bottom-up.
struct WorkPlanes {
    std::vector<uint8_t> trans;
    std::vector<uint8_t> image;
    int32_t stride = 0;
};

class Compositor {
public:
    // Pixels of a band of rows that all layers are blended into in turn (256 KiB).
    static constexpr int kBandPixels = 65536;

    // Places a layer into document-sized work planes; uncovered positions get
    // opacity 0. False, with the allocation message, when the planes cannot be made.
    static bool CopyLayer2vwImage(const DocumentHeader& header, const LayerRecord& layer, WorkPlanes& planes);

    // Blends one layer into the target inside its clip rectangle. The first
    // layer of a pass replaces the colour; later ones apply their blend mode.
    static void BlendLayer(const DocumentHeader& header, const LayerRecord& layer, TargetBuffer& target,
                           const RenderMapping& mapping, bool firstOfPass, bool silhouette = false);

    // The same blend with the document pixel of every target pixel given.
    static void BlendLayerSampled(const DocumentHeader& header, const LayerRecord& layer, TargetBuffer& target,
                                  const SampleGrid& grid, bool firstOfPass, bool silhouette = false);

    // The grid a mapping gives for the target's clip; false when the mapping or the document is unusable.
    static bool MappingGrid(const DocumentHeader& header, const TargetBuffer& target, const RenderMapping& mapping,
                            SampleGrid& grid);

    // Clears the target's clip rectangle and blends the visible layers of the list
    // from `first` along `next`, stopping after `count` layers when count > 0.
    // Returns the number of layers blended.
    static int BlendPass(const DocumentHeader& header, const LayerRecord* layers, int first, int count,
                         TargetBuffer& target, const RenderMapping& mapping);

    // A pass over a given grid; `clear` first empties the clip rectangle.
    static int BlendPassSampled(const DocumentHeader& header, const LayerRecord* layers, int first, int count,
                                TargetBuffer& target, const SampleGrid& grid, bool clear = true);

    // Blends the given layers, bottom first, over a grid; `clear` first empties the clip rectangle.
    // Large targets are blended in bands of rows on the worker pool.
    static void BlendLayers(const DocumentHeader& header, const std::vector<const LayerRecord*>& layers,
                            TargetBuffer& target, const SampleGrid& grid, bool clear = true);

    // Fills the target's clip rectangle with transparent black.
    static void ClearClip(TargetBuffer& target);

    // Sizes the buffer to the document (rows top-down, zeroed); false when the size is absurd or memory runs out.
    static bool AllocateFlatBuffer(const DocumentHeader& header, std::vector<uint32_t>& flattenBuffer);

    // The whole visible stack at full size, rows top-down (width × height pixels).
    static bool FlattenForSaving(const DocumentHeader& header, const LayerStack& stack,
                                 std::vector<uint32_t>& flattenBuffer);

    // A flat buffer converted into a new picture of the document's size, depth,
    // format type and palette. False with the conversion message on a size mismatch.
    static bool BufferToImage(const DocumentHeader& header, const std::vector<uint32_t>& buffer, NyZazo& image);

    // A full-size blend of `count` layers from `first` written back into slot
    // `first` as a document-sized layer at 0, 0 (merging and flattening).
    static bool BlendIntoSlot(LayerStack& stack, const DocumentHeader& header, int first, int count);

    // Nearest palette entry (squared distance, lowest index on ties).
    static uint8_t NearestIndex(const std::vector<RGBQUAD>& palette, RGBQUAD colour);
};

}  // namespace quillory
