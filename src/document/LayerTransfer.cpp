#include "document/LayerTransfer.h"

#include <algorithm>
#include <new>
#include <optional>

#include "core/NearestPalette.h"
#include "core/NyZazo.h"
#include "core/Platform.h"
#include "core/RowPixels.h"
#include "core/SizeMath.h"
#include "document/CVandDoc.h"
#include "document/DocumentTexts.h"
#include "processing/ColourDepth.h"

namespace quillory {

namespace {

uint32_t Pack(RGBQUAD c, uint8_t opacity) {
    return uint32_t(c.blue) | (uint32_t(c.green) << 8) | (uint32_t(c.red) << 16) | (uint32_t(opacity) << 24);
}

bool PlanesUsable(const DocumentHeader& header, const LayerRecord& layer) {
    if (layer.width <= 0 || layer.height <= 0) return false;
    const size_t plane = size_t(layer.width) * size_t(layer.height);
    if (layer.alpha.size() < plane) return false;
    if (layer.kind == LayerKind::Text) return true;
    return layer.stride >= PlaneStride(header.bitsPerPixel, layer.width) &&
           layer.pixels.size() >= size_t(layer.stride) * size_t(layer.height);
}

}  // namespace

bool CopyLayerPicture(const DocumentState& state, const LayerRecord& layer, LayerPicture& out) {
    if (layer.kind == LayerKind::Measure) {
        CurrentPlatform().ShowMessage(texts::kOnlyRasterCopied, MessageKind::Warning);
        return false;
    }
    const DocumentHeader& header = state.header;
    if (!PlanesUsable(header, layer)) return false;
    const int w = layer.width, h = layer.height;

    // Which layer pixels are taken: all, or those under the selection mask moved
    // onto the layer's geometry and cut to it.
    const SelectionMask& selection = state.selection;
    const bool selected = selection.ActiveOrSuspended() && selection.width > 0 && selection.height > 0 &&
                          selection.mask.size() >= size_t(selection.width) * size_t(selection.height);
    std::vector<uint8_t> take;
    int left = 0, bottom = 0, right = w - 1, top = h - 1;
    if (selected) {
        try {
            take.assign(size_t(w) * size_t(h), 0);
        } catch (const std::bad_alloc&) {
            return false;
        }
        // Mask column i lies on document column i + x, mask row r (from the bottom) on document row r - y; the same for the layer.
        const int64_t dx = int64_t(selection.x) - layer.x;
        const int64_t dy = int64_t(layer.y) - selection.y;
        left = w, bottom = h, right = -1, top = -1;
        for (int r = 0; r < selection.height; ++r) {
            const int64_t lr = r + dy;
            if (lr < 0 || lr >= h) continue;
            const uint8_t* maskRow = selection.mask.data() + size_t(r) * size_t(selection.width);
            for (int i = 0; i < selection.width; ++i) {
                const int64_t lc = i + dx;
                if (lc < 0 || lc >= w || maskRow[i] == 0) continue;
                take[size_t(lr) * size_t(w) + size_t(lc)] = 1;
                left = std::min(left, int(lc)), right = std::max(right, int(lc));
                bottom = std::min(bottom, int(lr)), top = std::max(top, int(lr));
            }
        }
        if (right < 0) return false;
    }

    LayerPicture picture;
    picture.width = right - left + 1;
    picture.height = top - bottom + 1;
    picture.left = left;
    picture.bottom = bottom;
    try {
        picture.pixels.assign(size_t(picture.width) * size_t(picture.height), 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    const bool text = layer.kind == LayerKind::Text;
    const uint32_t tc = uint32_t(layer.textColour);
    const RGBQUAD textColour{uint8_t(tc), uint8_t(tc >> 8), uint8_t(tc >> 16), 0};
    PlaneView plane;
    plane.width = w;
    plane.height = h;
    plane.bitsPerPixel = header.bitsPerPixel;
    plane.stride = uint32_t(layer.stride);
    plane.palette = header.palette.empty() ? nullptr : header.palette.data();
    plane.colourCount = uint32_t(header.palette.size());
    for (int y = 0; y < picture.height; ++y) {
        const int storedY = bottom + y;
        const uint8_t* pixelRow = text ? nullptr : layer.PixelRow(storedY);
        const uint8_t* alphaRow = layer.AlphaRow(storedY);
        uint32_t* outRow = picture.Row(y);
        for (int x = 0; x < picture.width; ++x) {
            const int lc = left + x;
            if (selected && !take[size_t(storedY) * size_t(w) + size_t(lc)]) continue;
            const RGBQUAD colour = text ? textColour : PlaneColour(plane, pixelRow, lc);
            outRow[x] = Pack(colour, alphaRow[lc]);
        }
    }
    out = std::move(picture);
    return true;
}

int PasteLayerPicture(CVandDoc& document, const LayerPicture& picture) {
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.pixels.size() < size_t(picture.width) * size_t(picture.height))
        return -1;
    LayerStack& stack = document.Stack();
    DocumentState& state = document.State();
    const int below = state.floatingPending ? stack.currentLayer : stack.TopLayer();
    const int slot = stack.InsertLayer(below);
    if (slot < 0) return -1;
    const DocumentHeader& header = state.header;
    LayerPlanesRequest request = LayerPlanesRequest::LikeDocument(header, slot);
    request.layerWidth = picture.width;
    request.layerHeight = picture.height;
    request.changed = 1;
    if (!stack.CreateLayerPlanes(request)) {
        stack.DeleteLayer(slot);
        stack.FreeSlot(slot);
        return -1;
    }
    LayerRecord& layer = stack.Layer(slot);
    const int bpp = header.bitsPerPixel;
    std::optional<NearestPalette> nearest;
    if (bpp < 24) nearest.emplace(header.palette.data(), uint32_t(header.palette.size()));
    for (int y = 0; y < picture.height; ++y) {
        const uint32_t* in = picture.Row(y);
        uint8_t* row = layer.PixelRow(y);
        uint8_t* alpha = layer.AlphaRow(y);
        for (int x = 0; x < picture.width; ++x) {
            const uint32_t v = in[x];
            const RGBQUAD colour{uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), 0};
            if (bpp >= 24) {
                uint8_t* p = row + size_t(x) * size_t(bpp / 8);
                p[0] = colour.blue, p[1] = colour.green, p[2] = colour.red;
            } else {
                PutRowIndex(row, x, bpp, nearest->Find(colour));
            }
            alpha[x] = uint8_t(v >> 24);
        }
    }
    return slot;
}

}  // namespace quillory
