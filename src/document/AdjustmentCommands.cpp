#include "document/AdjustmentCommands.h"

#include <algorithm>
#include <cstdio>
#include <new>

#include "core/CommandIds.h"
#include "core/Platform.h"
#include "document/AdjustmentPreview.h"
#include "document/CVandDoc.h"
#include "document/CommandRegistry.h"
#include "processing/AdjustTexts.h"
#include "processing/BinaryConversion.h"
#include "processing/ColourAdjust.h"

namespace quillory {

namespace {

// Progress of a long adjustment: the composite picture's progress value and the platform's bar.
class DocumentProgress : public ProgressSink {
public:
    explicit DocumentProgress(CVandDoc& document) : m_picture(document.Composite()) {}
    ~DocumentProgress() override { SetPosition(0); }
    void SetPosition(int percent) override {
        if (m_picture) m_picture->progress = percent;
        CurrentPlatform().SetProgress(percent);
    }

private:
    NyZazo* m_picture;
};

// The selection map over the layer's pixels: the mask itself when it was made for
// this layer's place and size, else a copy moved onto the layer (mask column i on
// layer column i + mask x − layer x, mask row r on stored row r + layer y − mask y).
bool MapSelection(const SelectionMask& selection, const LayerRecord& layer, DocumentLayerPlanes& out) {
    out.planes.selection = nullptr;
    out.selectionCopy.clear();
    const size_t maskBytes = size_t(std::max(0, selection.width)) * size_t(std::max(0, selection.height));
    if (!selection.ActiveOrSuspended() || maskBytes == 0 || selection.mask.size() < maskBytes) return true;
    const size_t layerBytes = size_t(layer.width) * size_t(layer.height);
    if (selection.x == layer.x && selection.y == layer.y && selection.width == layer.width &&
        selection.height == layer.height) {
        out.planes.selection = selection.mask.data();
        return true;
    }
    try {
        out.selectionCopy.assign(layerBytes, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    const int64_t dx = int64_t(selection.x) - layer.x;
    const int64_t dy = int64_t(layer.y) - selection.y;
    for (int r = 0; r < selection.height; ++r) {
        const int64_t lr = r + dy;
        if (lr < 0 || lr >= layer.height) continue;
        const uint8_t* maskRow = selection.mask.data() + size_t(r) * size_t(selection.width);
        uint8_t* target = out.selectionCopy.data() + size_t(lr) * size_t(layer.width);
        for (int i = 0; i < selection.width; ++i) {
            const int64_t lc = i + dx;
            if (lc >= 0 && lc < layer.width) target[lc] = maskRow[i];
        }
    }
    out.planes.selection = out.selectionCopy.data();
    return true;
}

void MarkChanged(CVandDoc& document, int layer) {
    LayerRecord& record = document.Layer(layer);
    record.changed = 1;
    if (record.kind == LayerKind::Background) document.Header().backgroundChanged = 1;
}

// Runs an operation on a layer's planes with the document's progress; marks the
// layer changed when the operation wrote pixels (palette changes leave it).
template <typename Operation>
bool OnLayer(CVandDoc& document, int layer, Operation operation) {
    DocumentLayerPlanes view;
    if (!LayerPlanesOf(document, layer, view)) return false;
    DocumentProgress progress(document);
    view.planes.progress = &progress;
    if (!operation(view.planes)) return false;
    MarkChanged(document, layer);
    return true;
}

// Slots in the order of the layer list, from the bottom layer up.
std::vector<int> LayersInListOrder(const CVandDoc& document) {
    std::vector<int> order;
    for (int i = document.HeadLayer(); LayerStack::IsValidIndex(i) && order.size() < size_t(kMaxLayers);
         i = document.Layer(i).next)
        order.push_back(i);
    return order;
}

int Number(const CommandParameters& p, const char* key, int fallback) {
    const long long v = p.Number(key, fallback);
    return v < -100000 || v > 100000 ? -100000 : int(v);
}

}  // namespace

bool LayerPlanesOf(CVandDoc& document, int index, DocumentLayerPlanes& out) {
    if (!LayerStack::IsValidIndex(index)) return false;
    LayerRecord& layer = document.Layer(index);
    DocumentHeader& header = document.Header();
    if (!layer.inUse || layer.kind == LayerKind::Text || layer.width <= 0 || layer.height <= 0) return false;
    ColourPlanes& p = out.planes;
    p = ColourPlanes{};
    p.pixels = layer.pixels.data();
    p.width = layer.width;
    p.height = layer.height;
    p.bitsPerPixel = header.bitsPerPixel;
    p.stride = size_t(std::max(0, layer.stride));
    p.alpha = layer.alpha.data();
    if (header.bitsPerPixel <= 8) {
        p.palette = header.palette.data();
        p.colourCount = uint32_t(std::min<size_t>(header.palette.size(), size_t(std::max(0, header.colourCount))));
    }
    if (!p.IsUsable() || layer.pixels.size() < p.stride * size_t(p.height) ||
        layer.alpha.size() < size_t(p.width) * size_t(p.height))
        return false;
    return MapSelection(document.State().selection, layer, out);
}

bool BrightnessAndContrast(CVandDoc& document, int layer, int brightness, int contrast) {
    return OnLayer(document, layer, [&](ColourPlanes& p) { return BrightnessAndContrast(p, brightness, contrast); });
}

bool ShiftChannels(CVandDoc& document, int layer, int dRed, int dGreen, int dBlue) {
    return OnLayer(document, layer, [&](ColourPlanes& p) { return ShiftChannels(p, dRed, dGreen, dBlue); });
}

HistogramSet ComputeHistograms(CVandDoc& document, int layer) {
    DocumentLayerPlanes view;
    if (!LayerPlanesOf(document, layer, view)) return HistogramSet{};
    return ComputeHistograms(view.planes);
}

int AverageGrey(CVandDoc& document, int layer) {
    DocumentLayerPlanes view;
    if (!LayerPlanesOf(document, layer, view)) return 0;
    return AverageGrey(view.planes);
}

StretchResult StretchLevels(CVandDoc& document, int layer, int channel, int low, int high) {
    StretchResult result = StretchResult::Refused;
    OnLayer(document, layer, [&](ColourPlanes& p) {
        result = StretchLevels(p, channel, low, high);
        return result == StretchResult::Stretched;
    });
    return result;
}

bool InvertColours(CVandDoc& document, int layer) {
    if (!OnLayer(document, layer, [](ColourPlanes& p) { return InvertColours(p); })) return false;
    NyZazo* picture = document.Composite();
    if (picture && document.Header().bitsPerPixel > 8) {
        picture->backColour.blue = uint8_t(255 - picture->backColour.blue);
        picture->backColour.green = uint8_t(255 - picture->backColour.green);
        picture->backColour.red = uint8_t(255 - picture->backColour.red);
    }
    return true;
}

bool DesaturateLayer(CVandDoc& document, int layer) {
    if (!LayerStack::IsValidIndex(layer) || !document.Layer(layer).inUse) return false;
    LayerRecord& record = document.Layer(layer);
    if (record.kind == LayerKind::Text) {
        record.textColour = DesaturatedTextColour(record.textColour);
        return true;
    }
    return OnLayer(document, layer, [](ColourPlanes& p) { return DesaturatePixels(p); });
}

bool DesaturateEveryLayer(CVandDoc& document) {
    bool any = false;
    for (int layer : LayersInListOrder(document)) any = DesaturateLayer(document, layer) || any;
    return any;
}

int MeasurePictureLayer(const CVandDoc& document) {
    for (int layer : LayersInListOrder(document)) {
        const uint8_t kind = document.Layer(layer).kind;
        if (kind == LayerKind::Background || kind == LayerKind::Raster) return layer;
    }
    return -1;
}

bool AutomaticExposure(CVandDoc& document) {
    const int layer = MeasurePictureLayer(document);
    if (layer < 0) {
        CurrentPlatform().ShowMessage(texts::kNoMeasurePicture, MessageKind::Warning);
        return false;
    }
    const int average = AverageGrey(document, layer);
    if (average <= kDarkestExposedGrey) {
        char text[96];
        std::snprintf(text, sizeof text, texts::kTooDarkPicture, average);
        CurrentPlatform().ShowMessage(text, MessageKind::Warning);
        return false;
    }
    return BrightnessAndContrast(document, layer, kExposedGrey - average, kExposureContrast);
}

bool BinaryConversion(CVandDoc& document, int method, int t) {
    if (!FindBinaryMethod(method) || t < 0 || t > 255) return false;
    bool any = false;
    for (int layer : LayersInListOrder(document))
        any = OnLayer(document, layer, [&](ColourPlanes& p) { return BinaryConvert(p, method, t); }) || any;
    return any;
}

void RegisterAdjustmentCommands(CommandRegistry& registry) {
    auto add = [&registry](int id, const char* menuText, const char* stepName, DocumentChange change,
                           int stepCode = StepCode::Pixels, bool refuseText = true) {
        RegisterPreviewable(registry, PreviewableCommand{id, menuText, stepName, std::move(change), stepCode, refuseText});
    };
    add(cmd::kBrightnessContrast, texts::kMenuBrightnessContrast, texts::kStepBrightnessContrast,
        [](CVandDoc& d, const CommandParameters& p) {
            return BrightnessAndContrast(d, d.CurrentLayer(), Number(p, "brightness", 0), Number(p, "contrast", 0));
        });
    add(cmd::kRgbAdjust, texts::kMenuRgbAdjust, texts::kStepColourAdjust, [](CVandDoc& d, const CommandParameters& p) {
        return ShiftChannels(d, d.CurrentLayer(), Number(p, "red", 0), Number(p, "green", 0), Number(p, "blue", 0));
    });
    add(cmd::kLevels, texts::kMenuLevels, texts::kStepColourAdjust, [](CVandDoc& d, const CommandParameters& p) {
        return StretchLevels(d, d.CurrentLayer(), Number(p, "channel", kLevelsAll), Number(p, "low", 0),
                             Number(p, "high", 255)) != StretchResult::Refused;
    });
    // The step is recorded even when the picture holds a single level and nothing changes.
    add(cmd::kAutoColour, texts::kMenuAutoColour, texts::kStepAutoColour, [](CVandDoc& d, const CommandParameters&) {
        return StretchLevels(d, d.CurrentLayer(), kLevelsAll, -1, -1) != StretchResult::Refused;
    });
    // The measured picture need not be the current layer, so its step keeps every layer.
    registry.Register(cmd::kAutoReference, texts::kMenuAutoExposure, [](CVandDoc& d, const CommandParameters&) {
        if (!AutomaticExposure(d)) return false;
        d.RecordStep(texts::kStepAutoExposure, StepCode::Flipped);
        return true;
    });
    add(cmd::kInvert, texts::kMenuInvert, texts::kStepInvert,
        [](CVandDoc& d, const CommandParameters&) { return InvertColours(d, d.CurrentLayer()); });
    add(cmd::kDesaturateLayer, texts::kMenuDesaturateLayer, texts::kStepDesaturateLayer,
        [](CVandDoc& d, const CommandParameters&) { return DesaturateLayer(d, d.CurrentLayer()); },
        StepCode::Pixels, false);
    // Whole-picture changes keep every layer in their step, so that undo gives all of them back.
    add(cmd::kGreyScale, texts::kMenuGreyScale, texts::kStepGreyScale,
        [](CVandDoc& d, const CommandParameters&) { return DesaturateEveryLayer(d); }, StepCode::Flipped, false);
    add(cmd::kBinary, texts::kMenuBinary, texts::kStepBinary, [](CVandDoc& d, const CommandParameters& p) {
        const int method = Number(p, "method", kErrorDiffusion);
        const BinaryMethodInfo* info = FindBinaryMethod(method);
        return info && BinaryConversion(d, method, Number(p, "threshold", info->initial));
    }, StepCode::Flipped);
}

}  // namespace quillory
