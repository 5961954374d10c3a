#pragma once
// Editing the document's selection mask: clearing, rectangles, drawn outlines
// and their filling, the magic wand, inversion. Positions are layer pixels of
// the current layer: column x from the left, row counted from the bottom as the
// planes store it. The mask is laid over the current layer whenever a new
// selection starts.
#include <cstdint>
#include <vector>

#include "document/SelectionMask.h"

namespace quillory {

class CVandDoc;
class CommandRegistry;

// Mask values.
namespace MaskValue {
inline constexpr uint8_t Outside = 0;
inline constexpr uint8_t Inside = 1;
inline constexpr uint8_t Outline = 2;
}  // namespace MaskValue

struct LayerPoint {
    int x = 0;
    int row = 0;  // stored row: 0 is the layer's bottom row
    friend bool operator==(const LayerPoint&, const LayerPoint&) = default;
};

// An image pixel (rows top-down) as a pixel of the current layer; false without a current layer.
bool ImageToLayer(const CVandDoc& document, int imageX, int imageY, LayerPoint& out);

// Every mask byte that covers a layer pixel, -1 outside the mask. The mask keeps
// the geometry of the layer it was made over; another current layer maps through it.
class MaskLookup {
public:
    MaskLookup(const SelectionMask& selection, int layerX, int layerY);
    // True when no selection limits anything (no active or suspended selection).
    bool Everything() const { return m_everything; }
    // The mask value at a layer pixel (0 outside the mask; 1 when nothing is selected).
    uint8_t At(int x, int row) const;

private:
    const SelectionMask& m_selection;
    bool m_everything = true;
    int m_dx = 0, m_dy = 0;
};

// The edge-spread opacity of a selection over a layer of w × h pixels with
// spread E > 0: the count c of selected (value 1) mask pixels in the 2E × 2E
// window of columns x − E .. x + E − 1 and rows row − E .. row + E − 1 (outside
// the mask counts 0) gives min(255, max(0, c − 2E²) × 256 / 2E²): 255 deep
// inside, 0 where half of the window or less is selected.
class EdgeSpread {
public:
    EdgeSpread(const MaskLookup& lookup, int width, int height, int spread);
    bool Valid() const { return m_spread > 0 && !m_sums.empty(); }
    uint8_t Opacity(int x, int row) const;

private:
    int64_t Sum(int x0, int row0, int x1, int row1) const;  // cells [x0, x1) × [row0, row1), clipped
    int m_width = 0, m_height = 0, m_spread = 0;
    std::vector<int32_t> m_sums;  // (width + 1) × (height + 1) running sums
};

// Command kDeselect's engine part and the start of every new selection: no
// selection, the mask over the current layer with every byte 1.
void ClearSelection(CVandDoc& document);
// The mask over the current layer with every byte `value`; the selection inactive.
bool ResetMask(CVandDoc& document, uint8_t value);

// The rectangle between two corners, both included; the selection becomes active.
bool SelectRectangle(CVandDoc& document, LayerPoint a, LayerPoint b);

// A drawn outline: Begin empties the mask; each segment marks outline pixels
// (points are held inside the mask); Finish closes it back to the first point
// and leaves the interior to be filled by SettleSelection.
bool BeginOutline(CVandDoc& document);
void AddOutlineSegment(CVandDoc& document, LayerPoint from, LayerPoint to);
bool FinishOutline(CVandDoc& document, LayerPoint last, LayerPoint first);

// Fills the interior of a closed outline: every pixel that the outside cannot
// reach without crossing the outline (4-connected) becomes 1, the rest 0.
void FillClosedOutline(SelectionMask& selection);
// Fills a finished outline that still waits (the animation's first tick does this). True when it filled.
bool SettleSelection(CVandDoc& document);

// The magic wand at a layer pixel: the 4-connected opaque pixels whose summed
// channel distance to the clicked colour is below `tolerance`. With `add` the
// existing selection stays. False outside the layer or on a text layer.
bool MagicWand(CVandDoc& document, LayerPoint at, int tolerance, bool add);

// The whole canvas as a rectangle over the current layer (the part of the layer
// outside the canvas stays unselected); the selection becomes active.
bool SelectAll(CVandDoc& document);

// 0 becomes 1, anything else 0. Only while a selection is active or suspended.
bool InvertSelection(CVandDoc& document);

// Outline path of a polygon (guide points or polygon tool) turned into a selection.
bool SelectPolygon(CVandDoc& document, const std::vector<LayerPoint>& points);

// Registers kSelectInvert, kSelectAll and kDeselect.
void RegisterSelectionCommands(CommandRegistry& registry);

}  // namespace quillory
