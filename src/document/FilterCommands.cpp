#include "document/FilterCommands.h"

#include <algorithm>
#include <new>
#include <string>
#include <vector>

#include "core/NyZazo.h"
#include "core/Platform.h"
#include "core/RowPixels.h"
#include "document/CVandDoc.h"
#include "document/CommandRegistry.h"
#include "document/DocumentIO.h"
#include "document/DocumentTexts.h"
#include "processing/ColourDepth.h"
#include "processing/FilterTexts.h"

namespace quillory {

namespace {

bool HasPlanes(const LayerRecord& layer, const DocumentHeader& header) {
    if (!layer.inUse || layer.width <= 0 || layer.height <= 0) return false;
    const int64_t stride = PlaneStride(header.bitsPerPixel, layer.width);
    return layer.stride >= stride && layer.pixels.size() >= size_t(layer.stride) * size_t(layer.height) &&
           layer.alpha.size() >= size_t(layer.width) * size_t(layer.height);
}

// The selection as a map over the layer's pixels; null (everything) without a mask.
SelectionMap SelectionOver(const SelectionMask& selection, const LayerRecord& layer, std::vector<uint8_t>& laidOut) {
    if (selection.mask.empty() || selection.width <= 0 || selection.height <= 0 ||
        selection.mask.size() < size_t(selection.width) * size_t(selection.height))
        return {};
    const uint8_t* mask = selection.mask.data();
    if (selection.width != layer.width || selection.height != layer.height) {
        // The mask's own geometry: positions past its bounds are not selected.
        laidOut.assign(size_t(layer.width) * size_t(layer.height), 0);
        const int columns = std::min(selection.width, layer.width);
        for (int y = 0; y < std::min(selection.height, layer.height); ++y)
            std::copy_n(mask + size_t(y) * size_t(selection.width), columns, laidOut.data() + size_t(y) * size_t(layer.width));
        mask = laidOut.data();
    }
    return SelectionMap{mask, ptrdiff_t(layer.width)};
}

void MarkChanged(CVandDoc& document, LayerRecord& layer) {
    layer.changed = 1;
    if (layer.kind == LayerKind::Background) document.Header().backgroundChanged = 1;
}

}  // namespace

bool ApplyFilterToLayer(CVandDoc& document, int index, std::string_view name, const FilterValues& values,
                        const bool* stopRequested) {
    if (!LayerStack::IsValidIndex(index) || !FindFilter(name)) return false;
    LayerRecord& layer = document.Layer(index);
    DocumentHeader& header = document.Header();
    if (layer.kind == LayerKind::Text || !HasPlanes(layer, header)) return false;
    const int bits = header.bitsPerPixel;
    if (bits != 24 && bits != 8 && bits != 4 && bits != 1) return false;

    NyZazo* composite = document.Composite();
    FilterProgress progress(
        [composite](int percent) {
            if (composite) composite->progress = percent;
            CurrentPlatform().SetProgress(percent);
        },
        stopRequested);
    std::vector<uint8_t> laidOut;
    const SelectionMap selection = SelectionOver(document.State().selection, layer, laidOut);
    const RGBQUAD background = composite ? composite->backColour : RGBQUAD{};

    try {
        // The filter reads the layer and writes the scratch copy, which then becomes the layer.
        header.scratchPixels.assign(layer.pixels.begin(), layer.pixels.end());
        header.scratchAlpha.assign(layer.alpha.begin(), layer.alpha.end());
        header.scratchSize = int32_t(header.scratchPixels.size());
        if (bits == 24) {
            LayerPlanesView source = StoredOrderPlanes<const uint8_t>(layer.pixels.data(), layer.stride,
                                                                       layer.alpha.data(), layer.width, layer.height);
            LayerPlanes destination = StoredOrderPlanes<uint8_t>(header.scratchPixels.data(), layer.stride,
                                                                 header.scratchAlpha.data(), layer.width, layer.height);
            source.background = destination.background = background;
            if (!RunFilter(name, source, destination, values, selection, progress)) return false;
            layer.pixels.swap(header.scratchPixels);
            MarkChanged(document, layer);
            return true;
        }

        // Palette layers: filtered as colours, then each changed pixel takes its nearest entry.
        const int64_t rgbStride = PlaneStride(24, layer.width);
        std::vector<uint8_t> before(size_t(rgbStride) * size_t(layer.height));
        if (!RgbPlane(ViewOfLayer(layer, header), before.data(), uint32_t(rgbStride))) return false;
        std::vector<uint8_t> after(before);
        LayerPlanesView source =
            StoredOrderPlanes<const uint8_t>(before.data(), rgbStride, layer.alpha.data(), layer.width, layer.height);
        LayerPlanes destination =
            StoredOrderPlanes<uint8_t>(after.data(), rgbStride, header.scratchAlpha.data(), layer.width, layer.height);
        source.background = destination.background = background;
        if (!RunFilter(name, source, destination, values, selection, progress)) return false;
        const RGBQUAD* palette = header.palette.empty() ? nullptr : header.palette.data();
        const uint32_t colours = uint32_t(std::min<size_t>(header.palette.size(), 256));
        for (int y = 0; y < layer.height; ++y) {
            const uint8_t* was = before.data() + size_t(y) * size_t(rgbStride);
            const uint8_t* now = after.data() + size_t(y) * size_t(rgbStride);
            uint8_t* row = header.scratchPixels.data() + size_t(y) * size_t(layer.stride);
            for (int x = 0; x < layer.width; ++x) {
                const uint8_t* p = now + 3 * x;
                if (std::equal(p, p + 3, was + 3 * x)) continue;
                PutRowIndex(row, x, bits, NearestPaletteIndex(palette, colours, RGBQUAD{p[0], p[1], p[2], 0}));
            }
        }
        layer.pixels.swap(header.scratchPixels);
        MarkChanged(document, layer);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool RunFilterCommand(CVandDoc& document, std::string_view name, const FilterValues& values) {
    const int current = document.CurrentLayer();
    if (!LayerStack::IsValidIndex(current)) return false;
    if (document.Layer(current).kind == LayerKind::Text) {
        CurrentPlatform().ShowMessage(texts::kTextLayerIsCurrent);
        return false;
    }
    WaitCursor wait;
    if (!ApplyFilterToLayer(document, current, name, values)) return false;
    document.RecordStep(name, StepCode::Pixels, current);
    return true;
}

FilterValues FilterValuesFromParameters(const FilterParameterSet& set, const CommandParameters& parameters) {
    FilterValues values = DefaultValues(set);
    for (int i = 0; i < 3; ++i) {
        const FilterSlider& slider = set.sliders[i];
        if (!slider.IsOn()) continue;
        const std::string position = "p" + std::to_string(i + 1);
        const std::string key = parameters.Has(slider.key) ? slider.key : position;
        if (!parameters.Has(key)) continue;
        const long long given = parameters.Number(key, slider.defaultValue);
        values.p[i] = int(std::clamp<long long>(given, slider.minimum, slider.maximum));
    }
    return values;
}

void RegisterFilterCommands(CommandRegistry& registry) {
    auto handler = [](const FilterDefinition* filter) {
        return [filter](CVandDoc& d, const CommandParameters& p) {
            return RunFilterCommand(d, filter->name, FilterValuesFromParameters(filter->parameters, p));
        };
    };
    for (int i = 0; i < kFilterCount; ++i) {
        const FilterDefinition* filter = FilterAt(i);
        registry.Register(filter->commandId, filter->name, handler(filter));
    }
    // The menu's "강조" chooses the edge enhancement, like "경계강조".
    const FilterDefinition* edges = FilterAt(FilterIndexOfCommand(cmd::kSharpen));
    registry.Register(cmd::kSharpen, texts::kFilterSharpen, handler(edges));
}

}  // namespace quillory
