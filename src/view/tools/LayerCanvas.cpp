#include "view/tools/LayerCanvas.h"

#include "core/Platform.h"
#include "core/RowPixels.h"
#include "document/CVandDoc.h"
#include "document/DocumentTexts.h"

namespace quillory {

bool LayerCanvas::Open(CVandDoc& document) {
    const int cur = document.CurrentLayer();
    if (!document.IsLayerInList(cur)) return false;
    LayerRecord& layer = document.Layer(cur);
    if (layer.kind == LayerKind::Text) {
        CurrentPlatform().ShowMessage(texts::kTextLayerIsCurrent, MessageKind::Warning);
        return false;
    }
    DocumentHeader& header = document.Header();
    const int bpp = header.bitsPerPixel;
    if (layer.width <= 0 || layer.height <= 0 || layer.stride < PlaneStride(bpp, layer.width) ||
        layer.pixels.size() < size_t(layer.stride) * size_t(layer.height) ||
        layer.alpha.size() < size_t(layer.width) * size_t(layer.height))
        return false;
    m_layer = &layer;
    m_header = &header;
    m_width = layer.width;
    m_height = layer.height;
    m_bpp = bpp;
    m_mask.emplace(document.State().selection, layer.x, layer.y);
    if (bpp < 24) m_nearest.emplace(header.palette.data(), uint32_t(header.palette.size()));
    return true;
}

RGBQUAD LayerCanvas::Colour(int x, int row) const {
    const uint8_t* r = m_layer->PixelRow(row);
    if (m_bpp >= 24) {
        const uint8_t* p = r + size_t(x) * size_t(m_bpp / 8);
        return RGBQUAD{p[0], p[1], p[2], 0};
    }
    const uint8_t index = RowIndex(r, x, m_bpp);
    if (index < m_header->palette.size()) {
        RGBQUAD c = m_header->palette[index];
        c.reserved = 0;
        return c;
    }
    return RGBQUAD{};
}

uint8_t LayerCanvas::Opacity(int x, int row) const { return m_layer->AlphaRow(row)[x]; }

void LayerCanvas::SetColour(int x, int row, RGBQUAD c) {
    uint8_t* r = m_layer->PixelRow(row);
    if (m_bpp >= 24) {
        uint8_t* p = r + size_t(x) * size_t(m_bpp / 8);
        p[0] = c.blue, p[1] = c.green, p[2] = c.red;
    } else {
        PutRowIndex(r, x, m_bpp, m_nearest->Find(c.red, c.green, c.blue));
    }
    m_layer->changed = 1;
    if (m_layer->kind == LayerKind::Background) m_header->backgroundChanged = 1;
}

void LayerCanvas::SetOpacity(int x, int row, uint8_t opacity) {
    m_layer->AlphaRow(row)[x] = opacity;
    m_layer->changed = 1;
    if (m_layer->kind == LayerKind::Background) m_header->backgroundChanged = 1;
}

LayerPoint ToLayerPoint(const CVandDoc& document, int imageX, int imageY) {
    LayerPoint p;
    ImageToLayer(document, imageX, imageY, p);
    return p;
}

}  // namespace quillory
