#include "view/tools/LayerCanvas.h"

#include "core/Platform.h"
#include "core/RowPixels.h"
#include "document/CVandDoc.h"
#include "document/DocumentTexts.h"
#include "document/LayerPlanes.h"
#include "view/ViewTool.h"

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
    m_pixels = layer.pixels.data();
    m_alpha = layer.alpha.data();
    m_stride = size_t(layer.stride);
    m_mask.emplace(document.State().selection, layer.x, layer.y);
    if (bpp < 24) m_nearest.emplace(header.palette.data(), uint32_t(header.palette.size()));
    return true;
}

bool LayerCanvas::Open(ToolContext& context) {
    if (!Open(context.document)) return false;
    m_report = &context;
    return true;
}

IntRect LayerCanvas::WrittenRegion() const {
    if (!m_written || !m_layer) return {};
    // Stored rows run bottom-up.
    const CanvasRect r = LayerCanvasRect(*m_layer, *m_header);
    return IntRect{r.left + m_minX, r.top + (m_height - 1 - m_maxRow), r.left + m_maxX + 1,
                   r.top + (m_height - 1 - m_minRow) + 1};
}

RGBQUAD LayerCanvas::PaletteColour(int x, int row) const {
    const uint8_t index = RowIndex(m_pixels + size_t(row) * m_stride, x, m_bpp);
    if (index < m_header->palette.size()) {
        RGBQUAD c = m_header->palette[index];
        c.reserved = 0;
        return c;
    }
    return RGBQUAD{};
}

void LayerCanvas::SetPaletteColour(int x, int row, RGBQUAD c) {
    PutRowIndex(m_pixels + size_t(row) * m_stride, x, m_bpp, m_nearest->Find(c.red, c.green, c.blue));
}

LayerCanvas::~LayerCanvas() {
    if (m_report) m_report->ReportChange(WrittenRegion());
    if (!m_written || !m_layer) return;
    m_layer->changed = 1;
    if (m_layer->kind == LayerKind::Background) m_header->backgroundChanged = 1;
}

LayerPoint ToLayerPoint(const CVandDoc& document, int imageX, int imageY) {
    LayerPoint p;
    ImageToLayer(document, imageX, imageY, p);
    return p;
}

}  // namespace quillory
