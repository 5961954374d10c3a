#include "document/ColourRangeSelection.h"

#include <algorithm>
#include <cstdio>
#include <new>

#include "core/CommandIds.h"
#include "core/Platform.h"
#include "document/CVandDoc.h"
#include "document/CommandRegistry.h"
#include "document/DocumentTexts.h"
#include "document/LayerPlanes.h"
#include "document/ParameterValues.h"
#include "document/SnapshotSlots.h"
#include "document/TransformTexts.h"
#include "processing/PixelAccess.h"
#include "processing/SimilarArea.h"

namespace quillory {

namespace {

bool CurrentRaster(CVandDoc& document) {
    const int cur = document.CurrentLayer();
    if (!document.IsLayerInList(cur)) return false;
    if (document.Layer(cur).kind == LayerKind::Text) {
        CurrentPlatform().ShowMessage(texts::kTextLayerIsCurrent, MessageKind::Warning);
        return false;
    }
    return true;
}

// The map laid over the current layer, all 0 (nothing selected yet).
bool ClearMapToLayer(CVandDoc& document) {
    const LayerRecord& layer = document.Layer(document.CurrentLayer());
    SelectionMask& selection = document.State().selection;
    try {
        selection.mask.assign(size_t(layer.width) * size_t(layer.height), 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    selection.x = layer.x, selection.y = layer.y;
    selection.width = layer.width, selection.height = layer.height;
    return true;
}


}  // namespace

bool BeginColourRange(CVandDoc& document) {
    if (!CurrentRaster(document)) return false;
    const int cur = document.CurrentLayer();
    SnapshotSlots& snapshots = document.Snapshots();
    snapshots.Restore(SnapshotSlot::A, document.Layer(cur), cur);
    snapshots.Save(SnapshotSlot::B, document.Header(), document.Layer(cur), cur);
    // No selection: the map lies over the layer with every byte 1.
    SelectionMask& selection = document.State().selection;
    const LayerRecord& layer = document.Layer(cur);
    selection.mask.assign(size_t(layer.width) * size_t(layer.height), 1);
    selection.x = layer.x, selection.y = layer.y;
    selection.width = layer.width, selection.height = layer.height;
    selection.selectionActive = 0;
    selection.suspended = 0;
    document.NotifyChanged();
    return true;
}

bool LayerColourAt(const CVandDoc& document, int imageX, int imageY, RGBQUAD& colour) {
    const int cur = document.CurrentLayer();
    if (!document.IsLayerInList(cur)) return false;
    const LayerRecord& layer = document.Layer(cur);
    const CanvasRect rect = LayerCanvasRect(layer, document.Header());
    const int x = imageX - rect.left, top = imageY - rect.top;
    if (x < 0 || top < 0 || x >= layer.width || top >= layer.height) return false;
    if (layer.pixels.size() < size_t(layer.stride) * size_t(layer.height)) return false;
    const uint8_t* row = layer.PixelRow(layer.height - 1 - top);
    const int bpp = layer.kind == LayerKind::Text ? 8 : document.Header().bitsPerPixel;
    if (bpp >= 24) {
        const uint8_t* p = row + size_t(x) * size_t(bpp / 8);
        colour = RGBQUAD{p[0], p[1], p[2], 0};
        return true;
    }
    const uint8_t index = RowIndex(row, x, bpp);
    const PaletteRef palette = PaletteOf(document.Header());
    if (layer.kind == LayerKind::Text || !palette.colours)
        colour = RGBQUAD{index, index, index, 0};
    else
        colour = index < palette.count ? palette.colours[index] : RGBQUAD{};
    colour.reserved = 0;
    return true;
}

bool SelectSimilar(CVandDoc& document, RGBQUAD picked, int tolerance, bool add, SimilarResult* result) {
    if (!CurrentRaster(document)) return false;
    const int cur = document.CurrentLayer();
    LayerRecord& layer = document.Layer(cur);
    SelectionMask& selection = document.State().selection;
    if (!add) document.Snapshots().Restore(SnapshotSlot::A, layer, cur);
    const bool fits = selection.width == layer.width && selection.height == layer.height &&
                      selection.mask.size() == size_t(layer.width) * size_t(layer.height);
    // Added matches join an active selection; anything else starts from an empty map.
    if ((!add || !fits || !selection.ActiveOrSuspended()) && !ClearMapToLayer(document)) return false;
    Planes planes;
    if (!CopyLayerPlanes(layer, document.Header(), planes)) return false;
    const int64_t count = MarkSimilarPixels(planes, PaletteOf(document.Header()), picked,
                                            std::clamp(tolerance, 0, kMaxTolerance), selection.mask.data());
    selection.selectionActive = 1;
    selection.suspended = 0;
    if (result) {
        result->count = count;
        result->percent = double(count) * 100.0 / (double(layer.width) * double(layer.height));
    }
    document.NotifyChanged();
    return true;
}

std::string PixelCountText(const SimilarResult& result) {
    char text[128];
    std::snprintf(text, sizeof text, texts::kPixelCountFormat, int(result.count), result.percent, "%");
    return text;
}

void RegisterColourRangeCommands(CommandRegistry& registry) {
    registry.Register(cmd::kColourRangeSelect, texts::kCmdColourRange, [](CVandDoc& d, const CommandParameters& p) {
        RGBQUAD picked{};
        if (p.Has("colour")) {
            if (!ParseHexColour(p.Text("colour"), picked)) return p.Refuse("colour");
        } else if (!p.Has("x") || !p.Has("y") || !LayerColourAt(d, int(p.Number("x")), int(p.Number("y")), picked)) {
            return false;
        }
        const long long tolerance = p.Number("tolerance", kDefaultTolerance);
        if (tolerance < 0 || tolerance > kMaxTolerance) return false;
        const std::string mode = p.Text("mode", "replace");
        if (mode != "replace" && mode != "add") return p.Refuse("mode");
        return SelectSimilar(d, picked, int(tolerance), mode == "add");
    });
}

}  // namespace quillory
