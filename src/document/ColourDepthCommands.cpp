#include "document/ColourDepthCommands.h"

#include <new>
#include <vector>

#include "document/CVandDoc.h"
#include "document/CommandRegistry.h"
#include "document/DocumentIO.h"
#include "document/DocumentTexts.h"
#include "document/SnapshotSlots.h"
#include "processing/ColourDepth.h"

namespace quillory {

namespace {

bool HasColourPlane(const LayerRecord& layer) {
    return layer.inUse && layer.kind != LayerKind::Text && !layer.pixels.empty() &&
           layer.pixels.size() >= size_t(layer.pixelSize) && layer.width > 0 && layer.height > 0;
}

}  // namespace

bool EightBitColour(CVandDoc& document) {
    DocumentHeader& header = document.Header();
    if (header.bitsPerPixel <= 8) return false;
    LayerStack& stack = document.Stack();

    // The palette comes from the layer in slot 0; when that slot holds no colour
    // plane (freed or a text layer) the bottom layer stands in for it.
    int source = 0;
    if (!HasColourPlane(stack.Layer(source))) source = stack.headLayer;
    if (!LayerStack::IsValidIndex(source) || !HasColourPlane(stack.Layer(source))) return false;
    RGBQUAD palette[256];
    if (!OctreePalette(ViewOfLayer(stack.Layer(source), header), palette)) return false;

    // All new planes are made first, so a failure leaves the document as it was.
    struct Converted {
        int slot;
        std::vector<uint8_t> pixels;
        int32_t stride;
    };
    std::vector<Converted> converted;
    int guard = 0;
    for (int i = stack.headLayer; LayerStack::IsValidIndex(i) && guard < kMaxLayers; i = stack.Layer(i).next, ++guard) {
        const LayerRecord& layer = stack.Layer(i);
        if (!HasColourPlane(layer)) continue;
        const int32_t stride = int32_t(PlaneStride(8, layer.width));
        Converted c{i, {}, stride};
        try {
            c.pixels.assign(size_t(stride) * size_t(layer.height), 0);
        } catch (const std::bad_alloc&) {
            return false;
        }
        if (!IndexPlane(ViewOfLayer(layer, header), palette, 256, c.pixels.data(), uint32_t(stride))) return false;
        converted.push_back(std::move(c));
    }

    for (Converted& c : converted) {
        LayerRecord& layer = stack.Layer(c.slot);
        layer.pixels = std::move(c.pixels);
        layer.stride = c.stride;
        layer.pixelSize = c.stride * layer.height;
        layer.changed = 1;
        if (layer.kind == LayerKind::Background) header.backgroundChanged = 1;
    }
    header.bitsPerPixel = 8;
    header.colourCount = 256;
    header.palette.assign(palette, palette + 256);
    header.imageSize = int32_t(int64_t(header.height) * PlaneStride(8, header.width));
    const int current = document.CurrentLayer();
    if (LayerStack::IsValidIndex(current)) {
        header.scratchPixels.resize(size_t(stack.Layer(current).pixelSize));
        header.scratchSize = stack.Layer(current).pixelSize;
    }
    // The committed copy takes the new depth: a preview dropped later must not
    // restore planes of the old depth into the converted document.
    document.Snapshots().SaveAll(SnapshotSlot::A, header, stack);
    return true;
}

bool RgbColour(CVandDoc& document) {
    const int depth = document.Header().bitsPerPixel;
    if (depth > 24) return false;
    if (depth == 24) return true;
    if (!DocumentIO::ConvertToRgb(document)) return false;
    document.Snapshots().SaveAll(SnapshotSlot::A, document.Header(), document.Stack());
    return true;
}

void RegisterColourDepthCommands(CommandRegistry& registry) {
    registry.Register(cmd::kEightBitColour, texts::kMenuEightBitColour,
                      [](CVandDoc& d, const CommandParameters&) {
                          if (d.Header().bitsPerPixel <= 8) d.SetLastError(texts::kAlreadyPalette);
                          return EightBitColour(d);
                      });
    registry.Register(cmd::kRgbColour, texts::kMenuRgbColour, [](CVandDoc& d, const CommandParameters&) { return RgbColour(d); });
}

}  // namespace quillory
