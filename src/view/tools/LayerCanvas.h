#pragma once
// The current layer as the painting tools see it: pixels by layer column and
// stored row, the selection deciding which may change, colours converted to
// the layer's depth. Writing marks the layer changed.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <optional>

#include "core/DibTypes.h"
#include "core/NearestPalette.h"
#include "core/NyZazo.h"
#include "document/SelectionEditing.h"

namespace quillory {

class CVandDoc;
struct DocumentHeader;
struct LayerRecord;
struct ToolContext;

class LayerCanvas {
public:
    // False without a usable current layer; on a text layer also shows the text-layer message.
    bool Open(CVandDoc& document);
    // The same for a tool: when the canvas closes, the pixels written are reported to the
    // context as its change (nothing written: no change of what the layers show).
    bool Open(ToolContext& context);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    bool Inside(int x, int row) const { return x >= 0 && row >= 0 && x < m_width && row < m_height; }
    uint8_t MaskAt(int x, int row) const { return m_mask->At(x, row); }
    // Inside the layer and not outside the selection.
    bool Paintable(int x, int row) const { return Inside(x, row) && MaskAt(x, row) != MaskValue::Outside; }

    // Direct colour is read and written in place; palette pixels go through the palette.
    RGBQUAD Colour(int x, int row) const {
        if (m_bpp < 24) return PaletteColour(x, row);
        const uint8_t* p = m_pixels + size_t(row) * m_stride + size_t(x) * size_t(m_bpp / 8);
        return RGBQUAD{p[0], p[1], p[2], 0};
    }
    uint8_t Opacity(int x, int row) const { return m_alpha[size_t(row) * size_t(m_width) + size_t(x)]; }
    void SetColour(int x, int row, RGBQUAD c) {
        Written(x, row);
        if (m_bpp < 24) return SetPaletteColour(x, row, c);
        uint8_t* p = m_pixels + size_t(row) * m_stride + size_t(x) * size_t(m_bpp / 8);
        p[0] = c.blue, p[1] = c.green, p[2] = c.red;
    }
    void SetOpacity(int x, int row, uint8_t opacity) {
        Written(x, row);
        m_alpha[size_t(row) * size_t(m_width) + size_t(x)] = opacity;
    }
    void Put(int x, int row, RGBQUAD colour, uint8_t opacity) {
        SetColour(x, row, colour);
        SetOpacity(x, row, opacity);
    }
    const MaskLookup& Mask() const { return *m_mask; }
    // The written pixels' bounds in picture pixels, rows from the top (empty when nothing was written).
    IntRect WrittenRegion() const;
    // Marks the layer changed when anything was written.
    ~LayerCanvas();

private:
    void Written(int x, int row) {
        m_written = true;
        m_minX = std::min(m_minX, x), m_maxX = std::max(m_maxX, x);
        m_minRow = std::min(m_minRow, row), m_maxRow = std::max(m_maxRow, row);
    }
    RGBQUAD PaletteColour(int x, int row) const;
    void SetPaletteColour(int x, int row, RGBQUAD colour);

    uint8_t* m_pixels = nullptr;
    uint8_t* m_alpha = nullptr;
    size_t m_stride = 0;
    bool m_written = false;
    int m_minX = INT_MAX, m_maxX = INT_MIN, m_minRow = INT_MAX, m_maxRow = INT_MIN;
    ToolContext* m_report = nullptr;
    LayerRecord* m_layer = nullptr;
    DocumentHeader* m_header = nullptr;
    int m_width = 0, m_height = 0, m_bpp = 24;
    std::optional<MaskLookup> m_mask;
    std::optional<NearestPalette> m_nearest;
};

// Image pixel (rows top-down) to a pixel of the current layer.
LayerPoint ToLayerPoint(const CVandDoc& document, int imageX, int imageY);

}  // namespace quillory
