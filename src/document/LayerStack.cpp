#include "document/LayerStack.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <vector>

#include "core/NyZazo.h"
#include "core/Platform.h"
#include "processing/ColourDepth.h"
#include "document/DocumentTexts.h"
#include "document/Utf16.h"

namespace quillory {

namespace {

constexpr const char* kBlendTexts[BlendMode::Count] = {
    texts::kBlendNormal,     texts::kBlendNormal,     texts::kBlendMultiply,
    texts::kBlendScreen,     texts::kBlendDarken,     texts::kBlendLighten,
    texts::kBlendDifference, texts::kBlendInverseDifference, texts::kBlendExclusion,
    texts::kBlendOverlay,
};

}  // namespace

uint8_t BlendModeFromText(std::string_view listText) {
    for (int code = BlendMode::Multiply; code < BlendMode::Count; ++code)
        if (listText == kBlendTexts[code]) return uint8_t(code);
    return BlendMode::Normal;
}

bool ParseBlendMode(std::string_view text, uint8_t& blendMode) {
    if (text.size() == 1 && text[0] >= '0' && text[0] <= '9') {
        blendMode = uint8_t(text[0] - '0');
        return true;
    }
    for (int code = BlendMode::Normal; code < BlendMode::Count; ++code)
        if (text == kBlendTexts[code]) {
            blendMode = uint8_t(code);
            return true;
        }
    return false;
}

const char* BlendModeText(uint8_t blendMode) {
    return blendMode < BlendMode::Count ? kBlendTexts[blendMode] : texts::kBlendNormal;
}

bool LayerStack::CreateLayerPlanes(const LayerPlanesRequest& request) {
    const int slot = request.slot;
    const int layerWidth = request.layerWidth, layerHeight = request.layerHeight;
    const int bitsPerPixel = request.bitsPerPixel, colourCount = request.colourCount;
    int documentWidth = request.documentWidth, documentHeight = request.documentHeight;
    if (!IsValidIndex(slot) || layerWidth <= 0 || layerHeight <= 0) return false;
    if (documentWidth == -1) {
        documentWidth = layerWidth;
        documentHeight = layerHeight;
    }
    if (documentWidth <= 0 || documentHeight <= 0 || bitsPerPixel <= 0 || bitsPerPixel > 32 || colourCount < 0 ||
        colourCount > 256)
        return false;

    // Every size is checked before anything changes, so a refused call leaves the slot and header as they were.
    const int64_t width = std::max(layerWidth, documentWidth);
    const int64_t height = std::max(layerHeight, documentHeight);
    const bool text = request.kind == LayerKind::Text;
    const int64_t stride = text ? width : PlaneStride(bitsPerPixel, int(width));
    const int64_t planeSize = width * height;
    const int64_t pixelSize = text ? planeSize : height * stride;
    const int64_t imageSize = int64_t(documentHeight) * PlaneStride(bitsPerPixel, documentWidth);
    if (uint64_t(pixelSize) > kMaxPixelBytes || uint64_t(planeSize) > kMaxPixelBytes ||
        uint64_t(imageSize) > kMaxPixelBytes)
        return false;

    LayerRecord& layer = m_layers[slot];
    std::vector<uint8_t> pixels, alpha, effect;
    try {
        if (request.pixelsFrom)
            pixels.assign(request.pixelsFrom, request.pixelsFrom + pixelSize);
        else
            pixels.assign(size_t(pixelSize), 255);
        alpha.assign(size_t(planeSize), request.alphaFill);
        effect.assign(size_t(planeSize), 0);
        if (!m_state.selection.ActiveOrSuspended() || request.resetSelection) m_state.selection.mask.assign(size_t(planeSize), 1);
    } catch (const std::bad_alloc&) {
        return false;
    }

    DocumentHeader& header = m_state.header;
    if (!request.name.empty()) SetFixedName(header.name, request.name);
    header.width = documentWidth;
    header.height = documentHeight;
    header.formatType = request.formatType;
    header.bitsPerPixel = bitsPerPixel;
    header.colourCount = colourCount;
    header.imageSize = int32_t(imageSize);
    header.pixelCount = documentWidth * documentHeight;
    if (!m_state.loading) header.scratchSize = int32_t(pixelSize);

    layer.kind = request.kind;
    layer.changed = request.changed;
    layer.linkedLayer = request.linkedLayer;
    layer.textLength = 0;
    layer.width = int32_t(width);
    layer.height = int32_t(height);
    layer.stride = int32_t(stride);
    layer.planeSize = int32_t(planeSize);
    layer.pixelSize = int32_t(pixelSize);
    if (request.centre) {
        // The left edge lies at (document width − width) / 2 and the top edge likewise;
        // y places the bottom row, so it is the top's offset turned into the bottom's.
        layer.x = int32_t((documentWidth - width) / 2);
        layer.y = int32_t((documentHeight - height) / 2 + (height - documentHeight));
    } else {
        layer.x = request.x;
        layer.y = request.y;
    }
    if (!m_state.selection.ActiveOrSuspended() || request.resetSelection) {
        m_state.selection.height = layer.height;
        m_state.selection.width = layer.width;
        m_state.selection.x = layer.x;
        m_state.selection.y = layer.y;
    }
    layer.FreePlanes();
    layer.effectOn = 0;
    layer.pixels = std::move(pixels);
    layer.alpha = std::move(alpha);
    layer.effect = std::move(effect);

    if (colourCount == 0) {
        header.palette.clear();
    } else if (request.paletteMode == kPaletteFromComposite) {
        header.palette.assign(size_t(colourCount), RGBQUAD{});
        const NyZazo* composite = m_state.composite.get();
        if (composite && composite->HasPalette()) {
            const RGBQUAD* source = composite->GetPalette();
            const size_t n = std::min<size_t>(size_t(colourCount), composite->header.biClrUsed);
            std::copy_n(source, n, header.palette.begin());
        }
    } else if (request.paletteMode == kPaletteAllocate) {
        header.palette.assign(size_t(colourCount), RGBQUAD{});
    }
    return true;
}

int LayerStack::InsertLayer(int below) {
    int slot = -1;
    for (int i = 0; i < kMaxLayers; ++i)
        if (!m_layers[i].inUse) {
            slot = i;
            break;
        }
    if (slot < 0) {
        CurrentPlatform().ShowMessage(texts::kTooManyLayers, MessageKind::Warning);
        return -1;
    }
    if (below != -1 && !IsLayerInList(below)) return -1;

    m_state.busy = 1;
    m_layers[slot] = LayerRecord{};
    if (!CreateLayerPlanes(LayerPlanesRequest::LikeDocument(m_state.header, slot))) {
        m_state.busy = 0;
        return -1;
    }
    LayerRecord& layer = m_layers[slot];
    layer.inUse = 1;
    layer.visible = 1;
    layer.blendMode = BlendMode::Normal;
    layer.transparency = 0;
    layer.effectOn = 0;
    layer.textSettings[0] = 10, layer.textSettings[1] = 100, layer.textSettings[2] = 0;
    char name[64];
    std::snprintf(name, sizeof name, texts::kLayerNameFormat, slot);
    SetFixedName(layer.name, Utf8ToUtf16(name));

    if (below == -1) {
        layer.prev = -1;
        layer.next = int16_t(headLayer);
        if (IsValidIndex(headLayer)) m_layers[headLayer].prev = int16_t(slot);
        headLayer = slot;
    } else {
        const int above = m_layers[below].next;
        layer.prev = int16_t(below);
        layer.next = int16_t(above);
        m_layers[below].next = int16_t(slot);
        if (IsValidIndex(above)) m_layers[above].prev = int16_t(slot);
    }
    if (!IsValidIndex(headLayer)) headLayer = slot;
    if (!SelectLayer(slot)) currentLayer = currentLayer < 0 ? slot : currentLayer;
    m_state.busy = 0;
    return slot;
}

bool LayerStack::InsertLayerAt(int slot, int prev, int next) {
    if (!IsValidIndex(slot) || m_layers[slot].inUse) return false;
    if (prev != -1 && !IsLayerInList(prev)) return false;
    if (next != -1 && !IsLayerInList(next)) return false;
    LayerRecord& layer = m_layers[slot];
    layer.inUse = 1;
    layer.prev = int16_t(prev);
    layer.next = int16_t(next);
    if (prev != -1) m_layers[prev].next = int16_t(slot);
    if (next != -1) m_layers[next].prev = int16_t(slot);
    if (prev == -1) headLayer = slot;
    return true;
}

bool LayerStack::DeleteLayer(int index) {
    if (CountLayers() <= 1) {
        CurrentPlatform().ShowMessage(texts::kOnlyOneLayer, MessageKind::Warning);
        return false;
    }
    if (headLayer == -1 || !IsLayerInList(index)) return false;
    LayerRecord& layer = m_layers[index];
    const int below = layer.prev;
    const int above = layer.next;
    layer.inUse = 0;
    if (IsValidIndex(below)) m_layers[below].next = int16_t(above);
    if (IsValidIndex(above)) m_layers[above].prev = int16_t(below);
    if (index == headLayer) headLayer = above;
    layer.prev = layer.next = -1;
    const int becomesCurrent = IsValidIndex(above) ? above : below;
    // A refused text layer must not leave the deleted slot current.
    if (!SelectLayer(becomesCurrent)) currentLayer = becomesCurrent;
    return true;
}

bool LayerStack::SelectLayer(int index) {
    if (index == -1 || !IsValidIndex(index) || !m_layers[index].inUse) return false;
    if (m_state.selection.ActiveOrSuspended() && m_layers[index].kind == LayerKind::Text) {
        CurrentPlatform().ShowMessage(texts::kTextLayerIsCurrent, MessageKind::Warning);
        return false;
    }
    currentLayer = index;
    return true;
}

int LayerStack::CountLayers() const {
    int count = 0;
    for (int i = headLayer; IsValidIndex(i) && count < kMaxLayers; i = m_layers[i].next) ++count;
    return std::max(count, 1);
}

int LayerStack::LayerAtRow(int start, int steps) const {
    int index = start;
    for (int n = 0; n < steps && IsValidIndex(index); ++n) index = m_layers[index].next;
    return IsValidIndex(index) ? index : -1;
}

bool LayerStack::IsLayerInList(int index) const {
    if (!IsValidIndex(index)) return false;
    int steps = 0;
    for (int i = headLayer; IsValidIndex(i) && steps < kMaxLayers; i = m_layers[i].next, ++steps)
        if (i == index) return true;
    return false;
}

int LayerStack::TopLayer() const {
    int top = -1;
    int steps = 0;
    for (int i = headLayer; IsValidIndex(i) && steps < kMaxLayers; i = m_layers[i].next, ++steps) top = i;
    return top;
}

bool LayerStack::SwapLayers(int a, int b) {
    if (a == b || !IsLayerInList(a) || !IsLayerInList(b)) return false;
    std::vector<int> order;
    for (int i = headLayer; IsValidIndex(i) && int(order.size()) < kMaxLayers; i = m_layers[i].next)
        order.push_back(i);
    auto ia = std::find(order.begin(), order.end(), a);
    auto ib = std::find(order.begin(), order.end(), b);
    std::iter_swap(ia, ib);
    for (size_t k = 0; k < order.size(); ++k) {
        LayerRecord& layer = m_layers[order[k]];
        layer.prev = int16_t(k == 0 ? -1 : order[k - 1]);
        layer.next = int16_t(k + 1 == order.size() ? -1 : order[k + 1]);
    }
    headLayer = order.front();
    return true;
}

bool LayerStack::MoveLayer(int index, int dx, int dy) {
    if (!IsValidIndex(index) || !m_layers[index].inUse) return false;
    LayerRecord& layer = m_layers[index];
    const int64_t nx = int64_t(layer.x) + dx;
    const int64_t ny = int64_t(layer.y) + dy;
    if (nx < -layer.width || ny < -layer.height || nx > layer.width || ny > layer.height) return false;
    layer.x = int32_t(nx);
    layer.y = int32_t(ny);
    m_state.selection.x += dx;
    m_state.selection.y += dy;
    return true;
}

void LayerStack::SetName(int index, std::u16string_view name) {
    if (IsValidIndex(index)) SetFixedName(m_layers[index].name, name);
}

void LayerStack::SetVisible(int index, bool visible) {
    if (IsValidIndex(index)) m_layers[index].visible = visible ? 1 : 0;
}

void LayerStack::SetTransparency(int index, uint8_t transparency) {
    if (IsValidIndex(index)) m_layers[index].transparency = transparency;
}

void LayerStack::SetBlendMode(int index, uint8_t blendMode) {
    if (IsValidIndex(index)) m_layers[index].blendMode = blendMode;
}

bool LayerStack::TextToRaster(int index) {
    if (!IsValidIndex(index) || !m_layers[index].inUse || m_layers[index].kind != LayerKind::Text) return false;
    LayerRecord& layer = m_layers[index];
    std::vector<uint8_t> coverage = layer.alpha;
    const uint32_t colour = uint32_t(layer.textColour);
    const RGBQUAD quad{uint8_t(colour), uint8_t(colour >> 8), uint8_t(colour >> 16), 0};
    const DocumentHeader& header = m_state.header;
    // The raster keeps the document's depth so every layer of the table stays at one depth.
    LayerPlanesRequest raster = LayerPlanesRequest::LikeDocument(header, index);
    raster.x = layer.x;
    raster.y = layer.y;
    raster.layerWidth = layer.width;
    raster.layerHeight = layer.height;
    raster.changed = layer.changed;
    if (!CreateLayerPlanes(raster)) return false;
    if (header.bitsPerPixel == 24) {
        for (int storedY = 0; storedY < layer.height; ++storedY) {
            uint8_t* row = layer.PixelRow(storedY);
            for (int x = 0; x < layer.width; ++x) {
                row[3 * x] = quad.blue;
                row[3 * x + 1] = quad.green;
                row[3 * x + 2] = quad.red;
            }
        }
    } else if (header.bitsPerPixel <= 8) {
        const int bpp = header.bitsPerPixel;
        const uint8_t index8 = NearestPaletteIndex(header.palette.data(), uint32_t(header.palette.size()), quad);
        uint8_t fill = index8;
        if (bpp == 4) fill = uint8_t((index8 & 15) * 0x11);
        if (bpp == 1) fill = (index8 & 1) ? 0xFF : 0x00;
        std::fill(layer.pixels.begin(), layer.pixels.end(), fill);
    }
    if (coverage.size() == layer.alpha.size()) layer.alpha = std::move(coverage);
    return true;
}

void LayerStack::FreeSlot(int index) {
    if (!IsValidIndex(index)) return;
    m_layers[index].inUse = 0;
    m_layers[index].FreePlanes();
}

void LayerStack::Clear() {
    for (auto& layer : m_layers) layer = LayerRecord{};
    headLayer = -1;
    currentLayer = -1;
}

}  // namespace quillory
