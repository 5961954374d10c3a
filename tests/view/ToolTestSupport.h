#pragma once
// Driving the view's tools on a document without a window: press, move and
// release at picture pixels, and reading layer pixels by picture position.
#include <algorithm>
#include <memory>
#include <vector>

#include "core/CommandIds.h"
#include "document/CVandDoc.h"
#include "document/DocumentTestSupport.h"
#include "document/LayerPlanes.h"
#include "document/SelectionEditing.h"
#include "view/ViewTool.h"

namespace quillory::test {

struct ToolDriver {
    explicit ToolDriver(CVandDoc& d, int id) : document(d), toolId(id), tool(ToolRegistry::Instance().Create(id)) {}

    ToolContext Context() {
        ToolContext c{document, view, toolId, foreground, background, brushSize};
        c.softBrush = soft;
        c.toolValue1 = value1;
        c.toolValue2 = value2;
        return c;
    }
    static ToolEvent At(int x, int y, bool shift = false) {
        ToolEvent e;
        e.pictureX = x, e.pictureY = y, e.shift = shift;
        return e;
    }
    bool Press(int x, int y, bool shift = false) {
        ToolContext c = Context();
        const bool changed = Keep(c, tool->Press(c, At(x, y, shift)));
        if (c.foregroundPicked) foreground = c.foreground;
        return changed;
    }
    bool Move(int x, int y) {
        ToolContext c = Context();
        return Keep(c, tool->Move(c, At(x, y)));
    }
    bool Release(int x, int y) {
        ToolContext c = Context();
        return Keep(c, tool->Release(c, At(x, y)));
    }
    bool DoubleClick(int x, int y) {
        ToolContext c = Context();
        return Keep(c, tool->DoubleClick(c, At(x, y)));
    }
    // What the last event reported as changed of the picture, and what the events that
    // changed it reported since the view last took them (as the view marks them).
    bool Keep(const ToolContext& c, bool changed) {
        regionOnly = c.RegionOnly();
        region = c.changedRegion;
        if (!changed) return changed;
        if (!regionOnly) markedWhole = true;
        else if (marked.IsEmpty()) marked = region;
        else if (!region.IsEmpty())
            marked = IntRect{std::min(marked.left, region.left), std::min(marked.top, region.top),
                             std::max(marked.right, region.right), std::max(marked.bottom, region.bottom)};
        return changed;
    }
    bool Click(int x, int y) {
        const bool a = Press(x, y);
        const bool b = Release(x, y);
        return a || b;
    }

    CVandDoc& document;
    ViewState view;
    int toolId;
    std::unique_ptr<ViewTool> tool;
    uint32_t foreground = 0x000000, background = 0xFFFFFF;  // red in the low byte
    int brushSize = 1, soft = 0, value1 = 0, value2 = 0;
    bool regionOnly = false;
    IntRect region;
    bool markedWhole = false;
    IntRect marked;
};

struct Bgra {
    int b = 0, g = 0, r = 0, a = 0;
    friend bool operator==(const Bgra&, const Bgra&) = default;
};

// The current layer's pixel under a picture pixel (rows top-down), 24-bit layers.
inline Bgra LayerPixel(const CVandDoc& document, int x, int y, int slot = -1) {
    if (slot < 0) slot = document.CurrentLayer();
    const LayerRecord& layer = document.Layer(slot);
    const CanvasRect rect = LayerCanvasRect(layer, document.Header());
    const int lx = x - rect.left, row = layer.height - 1 - (y - rect.top);
    if (lx < 0 || row < 0 || lx >= layer.width || row >= layer.height) return Bgra{-1, -1, -1, -1};
    const uint8_t* p = layer.PixelRow(row) + size_t(lx) * 3;
    return Bgra{p[0], p[1], p[2], layer.AlphaRow(row)[lx]};
}

inline void PaintLayer(CVandDoc& document, int slot, Bgra colour) {
    LayerRecord& layer = document.Layer(slot);
    for (int row = 0; row < layer.height; ++row) {
        uint8_t* p = layer.PixelRow(row);
        for (int x = 0; x < layer.width; ++x) p[3 * x] = uint8_t(colour.b), p[3 * x + 1] = uint8_t(colour.g), p[3 * x + 2] = uint8_t(colour.r);
        std::fill_n(layer.AlphaRow(row), layer.width, uint8_t(colour.a));
    }
}

// Sets one picture pixel of a layer.
inline void SetPixel(CVandDoc& document, int slot, int x, int y, Bgra c) {
    LayerRecord& layer = document.Layer(slot);
    const CanvasRect rect = LayerCanvasRect(layer, document.Header());
    const int lx = x - rect.left, row = layer.height - 1 - (y - rect.top);
    uint8_t* p = layer.PixelRow(row) + size_t(lx) * 3;
    p[0] = uint8_t(c.b), p[1] = uint8_t(c.g), p[2] = uint8_t(c.r);
    layer.AlphaRow(row)[lx] = uint8_t(c.a);
}

// The selected picture pixels of the current layer (mask value 1).
inline int SelectedCount(const CVandDoc& document) {
    int n = 0;
    for (uint8_t v : document.State().selection.mask) n += v == MaskValue::Inside;
    return n;
}

inline bool SelectedAt(const CVandDoc& document, int x, int y) {
    const SelectionMask& s = document.State().selection;
    LayerPoint p;
    if (!ImageToLayer(document, x, y, p)) return false;
    if (p.x < 0 || p.row < 0 || p.x >= s.width || p.row >= s.height) return false;
    return s.mask[size_t(p.row) * s.width + p.x] == MaskValue::Inside;
}

}  // namespace quillory::test
