#include "document/LayerPlanes.h"

#include <algorithm>
#include <new>

#include "processing/Canvas.h"

namespace quillory {

bool CopyLayerPlanes(const LayerRecord& layer, const DocumentHeader& header, Planes& out) {
    const bool text = layer.kind == LayerKind::Text;
    Planes p;
    p.width = layer.width;
    p.height = layer.height;
    p.bitsPerPixel = text ? 8 : header.bitsPerPixel;
    p.packedBytes = text;
    p.stride = text ? layer.width : int(PlaneStride(header.bitsPerPixel, layer.width));
    try {
        p.pixels = layer.pixels;
        p.alpha = layer.alpha;
        // A text layer keeps no colour bytes of its own; its planes still move together.
        if (p.pixels.size() < size_t(p.stride) * size_t(p.height)) p.pixels.resize(size_t(p.stride) * size_t(p.height), 255);
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!p.IsValid()) return false;
    out = std::move(p);
    return true;
}

PaletteRef PaletteOf(const DocumentHeader& header) {
    if (header.colourCount <= 0 || header.palette.empty()) return {};
    return PaletteRef{header.palette.data(), int(std::min<size_t>(header.palette.size(), size_t(header.colourCount)))};
}

CanvasRect LayerCanvasRect(const LayerRecord& layer, const DocumentHeader& header) {
    // Layer row r (from the bottom) lands on document row r − y (from the bottom).
    return CanvasRect{layer.x, header.height - layer.height + layer.y, layer.width, layer.height};
}

void SetCanvasSize(DocumentHeader& header, int width, int height) {
    header.width = width;
    header.height = height;
    header.imageSize = int32_t(int64_t(height) * PlaneStride(header.bitsPerPixel, width));
    header.pixelCount = width * height;
}

bool PlaceOnLayer(DocumentState& state, LayerRecord& layer, bool isCurrent, Planes&& content, int left, int top) {
    const DocumentHeader& header = state.header;
    const int layerW = std::max(content.width, header.width);
    const int layerH = std::max(content.height, header.height);
    // The layer's left edge lies in [left + cw − layerW, left]; the value nearest 0 keeps it over the canvas.
    const int layerLeft = std::clamp(0, left + content.width - layerW, left);
    const int layerTop = std::clamp(0, top + content.height - layerH, top);
    Planes planes;
    if (layerW == content.width && layerH == content.height) {
        planes = std::move(content);
    } else {
        if (!MakePlanes(layerW, layerH, content.Layout(), 255, 0, planes)) return false;
        const int dx = left - layerLeft;
        const int dyTop = top - layerTop;
        CopyPlanesInto(content, planes, dx, layerH - content.height - dyTop);
    }
    std::vector<uint8_t> effect;
    try {
        effect.assign(size_t(layerW) * size_t(layerH), 0);
        if (isCurrent) {
            state.header.scratchPixels.resize(planes.pixels.size());
            state.header.scratchAlpha.resize(planes.alpha.size());
        }
        if (isCurrent && !state.selection.ActiveOrSuspended()) state.selection.mask.assign(planes.alpha.size(), 1);
    } catch (const std::bad_alloc&) {
        return false;
    }
    layer.width = layerW;
    layer.height = layerH;
    layer.stride = planes.stride;
    layer.planeSize = layerW * layerH;
    layer.pixelSize = int32_t(planes.pixels.size());
    layer.x = layerLeft;
    layer.y = layerTop - (header.height - layerH);
    layer.pixels = std::move(planes.pixels);
    layer.alpha = std::move(planes.alpha);
    layer.effect = std::move(effect);
    layer.changed = 1;
    if (layer.kind == LayerKind::Background) state.header.backgroundChanged = 1;
    if (isCurrent) {
        state.header.scratchSize = layer.pixelSize;
        if (!state.selection.ActiveOrSuspended()) {
            state.selection.width = layer.width;
            state.selection.height = layer.height;
            state.selection.x = layer.x;
            state.selection.y = layer.y;
        }
    }
    return true;
}

}  // namespace quillory
