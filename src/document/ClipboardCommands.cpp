#include "document/ClipboardCommands.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "core/CommandIds.h"
#include "core/NyZazo.h"
#include "core/Platform.h"
#include "document/CVandDoc.h"
#include "document/CommandRegistry.h"
#include "document/DocumentTexts.h"
#include "document/SelectionEditing.h"
#include "document/ToolTexts.h"

namespace quillory {

std::vector<uint8_t> PackPicture(const LayerPicture& picture) {
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.pixels.size() < size_t(picture.width) * size_t(picture.height))
        return {};
    NyZazo out(0);
    if (!out.Create(picture.width, picture.height, 32, 0)) return {};
    for (int y = 0; y < picture.height; ++y) {
        const uint32_t* in = picture.Row(y);
        uint8_t* row = out.Row(y);
        for (int x = 0; x < picture.width; ++x, row += 4) {
            const uint32_t v = in[x];
            row[0] = uint8_t(v), row[1] = uint8_t(v >> 8), row[2] = uint8_t(v >> 16), row[3] = uint8_t(v >> 24);
        }
    }
    return out.ToPackedDib();
}

bool UnpackPicture(const uint8_t* data, size_t size, LayerPicture& out) {
    NyZazo in(0);
    if (!in.CreateFromPackedDib(data, size, false, nullptr) || !in.bits) return false;
    LayerPicture picture;
    picture.width = in.Width();
    picture.height = in.Height();
    try {
        picture.pixels.assign(size_t(picture.width) * size_t(picture.height), 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    const int depth = in.BitCount();
    bool anyOpacity = false;
    if (depth == 32)
        for (int y = 0; y < picture.height && !anyOpacity; ++y) {
            const uint8_t* row = in.Row(y);
            for (int x = 0; x < picture.width; ++x)
                if (row[4 * x + 3] != 0) {
                    anyOpacity = true;
                    break;
                }
        }
    for (int y = 0; y < picture.height; ++y) {
        const uint8_t* row = in.Row(y);
        uint32_t* to = picture.Row(y);
        for (int x = 0; x < picture.width; ++x) {
            uint32_t b, g, r, a = 255;
            if (depth >= 24) {
                const uint8_t* p = row + size_t(x) * size_t(depth / 8);
                b = p[0], g = p[1], r = p[2];
                if (depth == 32 && anyOpacity) a = p[3];
            } else {
                const RGBQUAD c = in.GetPixelColour(x, y);
                b = c.blue, g = c.green, r = c.red;
            }
            to[x] = b | g << 8 | r << 16 | a << 24;
        }
    }
    out = std::move(picture);
    return true;
}

bool CopyToClipboard(CVandDoc& document, int* width, int* height) {
    const int cur = document.CurrentLayer();
    if (!document.IsLayerInList(cur)) return false;
    SettleSelection(document);
    LayerPicture picture;
    if (!CopyLayerPicture(document.State(), document.Layer(cur), picture)) return false;
    const std::vector<uint8_t> packed = PackPicture(picture);
    if (packed.empty() || !CurrentPlatform().SetClipboardDib(packed)) return false;
    if (width) *width = picture.width;
    if (height) *height = picture.height;
    return true;
}

bool PictureFromClipboard(LayerPicture& out) {
    const std::optional<std::vector<uint8_t>> packed = CurrentPlatform().ClipboardDib();
    return packed && UnpackPicture(packed->data(), packed->size(), out);
}

bool ClearSelectedPixels(CVandDoc& document, int spread) {
    const int cur = document.CurrentLayer();
    if (!document.IsLayerInList(cur)) return false;
    LayerRecord& layer = document.Layer(cur);
    const size_t plane = size_t(layer.width) * size_t(layer.height);
    if (layer.width <= 0 || layer.height <= 0 || layer.alpha.size() < plane) return false;
    const MaskLookup lookup(document.State().selection, layer.x, layer.y);
    const EdgeSpread edge(lookup, layer.width, layer.height, std::max(0, spread));
    for (int row = 0; row < layer.height; ++row) {
        uint8_t* alpha = layer.AlphaRow(row);
        for (int x = 0; x < layer.width; ++x) {
            if (lookup.At(x, row) == MaskValue::Outside) continue;
            // What stays is the part of the pixel the softened edge leaves outside the cut.
            const int cut = edge.Valid() ? edge.Opacity(x, row) : 255;
            alpha[x] = uint8_t(alpha[x] * (255 - cut) / 255);
        }
    }
    layer.changed = 1;
    if (layer.kind == LayerKind::Background) document.Header().backgroundChanged = 1;
    return true;
}

bool CutToClipboard(CVandDoc& document, int spread) {
    const int cur = document.CurrentLayer();
    if (!document.IsLayerInList(cur)) return false;
    if (document.Layer(cur).kind == LayerKind::Text) {
        CurrentPlatform().ShowMessage(texts::kTextLayerIsCurrent, MessageKind::Warning);
        return false;
    }
    if (!CopyToClipboard(document)) return false;
    if (!ClearSelectedPixels(document, spread)) return false;
    document.RecordStep(texts::kStepCut, StepCode::Pixels);
    return true;
}

bool PasteFromClipboard(CVandDoc& document, int left, int top) {
    LayerPicture picture;
    if (!PictureFromClipboard(picture)) return false;
    const int slot = PasteLayerPicture(document, picture);
    if (slot < 0) return false;
    if (document.State().floatingPending) {
        document.NotifyChanged();
        return true;
    }
    // The picture fills the layer's lowest rows from its left edge: the layer moves so that
    // they start at (left, top) of the canvas.
    const DocumentHeader& header = document.Header();
    LayerRecord& layer = document.Layer(slot);
    layer.x = std::clamp(left, 0, std::max(0, header.width - 1));
    layer.y = std::clamp(top, 0, std::max(0, header.height - 1)) - header.height + picture.height;
    // An old selection would lift an empty piece of the new layer at the first drag.
    ResetMask(document, MaskValue::Inside);
    document.RecordStep(texts::kStepPaste, StepCode::LayerPasted, slot);
    return true;
}

bool LiftSelection(CVandDoc& document) {
    DocumentState& state = document.State();
    const int source = document.CurrentLayer();
    if (state.floatingPending || !state.selection.ActiveOrSuspended() || !document.IsLayerInList(source)) return false;
    const LayerRecord& from = document.Layer(source);
    if (from.kind == LayerKind::Text || from.kind == LayerKind::Measure) return false;
    SettleSelection(document);
    LayerPicture picture;
    if (!CopyLayerPicture(state, from, picture)) return false;
    const std::vector<uint8_t> packed = PackPicture(picture);
    if (!packed.empty()) CurrentPlatform().SetClipboardDib(packed);
    state.floatingPending = 1;
    const int slot = PasteLayerPicture(document, picture);
    if (slot < 0) {
        state.floatingPending = 0;
        return false;
    }
    document.Stack().currentLayer = source;
    ClearSelectedPixels(document, 0);
    LayerRecord& floating = document.Layer(slot);
    const LayerRecord& lifted = document.Layer(source);
    floating.kind = LayerKind::Floating;
    floating.linkedLayer = int16_t(source);
    // Picture row r came from layer row bottom + r, which lies on canvas row bottom + r − y.
    floating.x = lifted.x + picture.left;
    floating.y = lifted.y - picture.bottom;
    document.Stack().currentLayer = slot;
    state.selection.selectionActive = 0;
    state.selection.suspended = 0;
    document.NotifyChanged();
    return true;
}

void RegisterClipboardCommands(CommandRegistry& registry) {
    registry.Register(cmd::kEditCopy, texts::kCmdCopy,
                      [](CVandDoc& d, const CommandParameters&) { return CopyToClipboard(d); });
    registry.Register(cmd::kEditCut, texts::kCmdCut, [](CVandDoc& d, const CommandParameters& p) {
        const long long spread = p.Number("spread", 0);
        if (spread < 0 || spread > 100) return false;
        return CutToClipboard(d, int(spread));
    });
    registry.Register(cmd::kEditPaste, texts::kCmdPaste, [](CVandDoc& d, const CommandParameters& p) {
        return PasteFromClipboard(d, int(std::clamp<long long>(p.Number("x", 0), 0, INT32_MAX)),
                                  int(std::clamp<long long>(p.Number("y", 0), 0, INT32_MAX)));
    });
}

}  // namespace quillory
