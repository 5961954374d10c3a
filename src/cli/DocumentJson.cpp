#include "cli/DocumentJson.h"

#include "cli/Json.h"
#include "document/Utf16.h"

namespace quillory::cli {

std::string LayeredDocumentJson(int format, const DocumentHeader& header, const LayerRecord* layers, int headLayer,
                                int currentLayer) {
    std::string list = "[";
    int steps = 0;
    // A damaged list could loop; it has at most one entry per slot.
    for (int i = headLayer; i >= 0 && i < kMaxLayers && steps < kMaxLayers; i = layers[i].next, ++steps) {
        const LayerRecord& layer = layers[i];
        JsonObject entry;
        entry.Add("slot", (long long)i)
            .Add("name", Utf16ToUtf8(FixedName(layer.name)))
            .Add("kind", (long long)layer.kind)
            .Add("blendMode", (long long)layer.blendMode)
            .Add("transparency", (long long)layer.transparency)
            .Add("visible", (long long)layer.visible)
            .Add("x", (long long)layer.x)
            .Add("y", (long long)layer.y)
            .Add("width", (long long)layer.width)
            .Add("height", (long long)layer.height);
        list += (steps ? ", " : "") + entry.Str();
    }
    list += "]";
    JsonObject out;
    out.Add("format", (long long)format)
        .Add("width", (long long)header.width)
        .Add("height", (long long)header.height)
        .Add("bitCount", (long long)header.bitsPerPixel)
        .Add("clrUsed", (long long)header.colourCount)
        .Add("dpiX", (long long)header.dpiX)
        .Add("dpiY", (long long)header.dpiY)
        .Add("frameIndex", 0LL)
        .Add("frameCount", 1LL)
        .Add("headLayer", (long long)headLayer)
        .Add("currentLayer", (long long)currentLayer)
        .Raw("layers", list);
    return out.Str();
}

}  // namespace quillory::cli
