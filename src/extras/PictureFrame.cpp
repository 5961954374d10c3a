#include "extras/PictureFrame.h"

#include <algorithm>

#include "core/NyZazo.h"
#include "core/RowPixels.h"
#include "document/CVandDoc.h"
#include "document/Utf16.h"
#include "extras/ExtrasTexts.h"

namespace quillory {

int FindFrameLayer(const CVandDoc& document) {
    const std::u16string name = Utf8ToUtf16(texts::kFrameLayerName);
    int guard = 0;
    for (int i = document.HeadLayer(); LayerStack::IsValidIndex(i) && guard < kMaxLayers; i = document.Layer(i).next, ++guard)
        if (FixedName(document.Layer(i).name) == name) return i;
    return -1;
}

FrameSession::FrameSession(CVandDoc& document) : m_document(document) {
    m_previousLayer = document.CurrentLayer();
    if (!document.IsLayerInList(m_previousLayer)) return;
    int slot = FindFrameLayer(document);
    if (slot >= 0) {
        m_kept = std::make_unique<LayerRecord>(document.Layer(slot));
        if (!document.SelectLayer(slot)) return;
    } else {
        slot = document.InsertLayer(m_previousLayer);
        if (slot < 0) return;
        document.Stack().SetName(slot, Utf8ToUtf16(texts::kFrameLayerName));
        m_created = true;
    }
    m_slot = slot;
    m_open = true;
}

FrameSession::~FrameSession() {
    if (m_open) Cancel();
}

bool FrameSession::Draw(const FrameChoice& requested) {
    if (!m_open) return false;
    FrameChoice choice = requested;
    choice.thickness = std::max(choice.thickness, kMinFrameThickness);
    const DocumentHeader& header = m_document.Header();
    LayerRecord& layer = m_document.Layer(m_slot);
    if (layer.width != header.width || layer.height != header.height || layer.x != 0 || layer.y != 0 ||
        layer.kind != LayerKind::Raster) {
        LayerPlanesRequest request = LayerPlanesRequest::LikeDocument(header, m_slot);
        request.changed = 1;
        if (!m_document.CreateLayerPlanes(request)) return false;
    }
    std::fill(layer.pixels.begin(), layer.pixels.end(), uint8_t(255));
    std::fill(layer.alpha.begin(), layer.alpha.end(), uint8_t(0));
    std::fill(layer.effect.begin(), layer.effect.end(), uint8_t(0));
    const int bits = header.bitsPerPixel;
    const int width = layer.width, height = layer.height;
    const bool indexed = bits <= 8 && !header.palette.empty();
    DrawFrameStyle(width, height, choice, [&](int x, int y, RGBQUAD colour) {
        if (x < 0 || y < 0 || x >= width || y >= height) return;
        const int storedY = height - 1 - y;
        uint8_t* row = layer.PixelRow(storedY);
        if (bits >= 24) {
            uint8_t* p = row + size_t(x) * size_t(bits / 8);
            p[0] = colour.blue, p[1] = colour.green, p[2] = colour.red;
        } else if (indexed) {
            PutRowIndex(row, x, bits,
                        NearestPaletteIndex(header.palette.data(), uint32_t(std::min<size_t>(header.palette.size(), 256)),
                                            colour));
        }
        layer.AlphaRow(storedY)[x] = 255;
    });
    layer.changed = 1;
    m_drawn = true;
    m_document.NotifyChanged();
    return true;
}

bool FrameSession::Commit() {
    if (!m_open) return false;
    m_open = false;
    if (!m_drawn) {
        Cancel();
        return false;
    }
    m_document.RecordStep(texts::kStepPictureFrame, StepCode::LayerAdded, m_slot);
    m_document.NotifyChanged();
    return true;
}

void FrameSession::Cancel() {
    m_open = false;
    if (m_slot < 0) return;
    if (m_created) {
        m_document.Stack().DeleteLayer(m_slot);
        m_document.Stack().FreeSlot(m_slot);
    } else if (m_kept) {
        m_document.Layer(m_slot) = *m_kept;
    }
    if (m_document.IsLayerInList(m_previousLayer)) m_document.SelectLayer(m_previousLayer);
    m_slot = -1;
    m_document.NotifyChanged();
}

bool PutPictureFrame(CVandDoc& document, const FrameChoice& choice) {
    FrameSession session(document);
    return session.Valid() && session.Draw(choice) && session.Commit();
}

}  // namespace quillory
