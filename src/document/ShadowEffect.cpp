#include "document/ShadowEffect.h"

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

#include "core/Platform.h"
#include "document/CVandDoc.h"
#include "document/CommandRegistry.h"
#include "document/DocumentTexts.h"
#include "document/HistoryTexts.h"
#include "document/LayerStack.h"
#include "document/SnapshotSlots.h"
#include "processing/ColourDepth.h"

namespace quillory {

void ComputeShadow(LayerRecord& layer) {
    const int w = layer.width, h = layer.height;
    if (w <= 0 || h <= 0 || layer.alpha.size() < size_t(w) * size_t(h)) return;
    layer.effect.resize(layer.alpha.size(), 0);
    const int s = std::min<int>(layer.effectSize, kMaxEffectSize);
    Platform& platform = CurrentPlatform();
    // Σ alpha / 255 scaled by 255 / (1.5 s²) is Σ alpha × 2 / (3 s²); whole
    // numbers keep the result exact.
    const uint32_t divisor = uint32_t(3 * s * s);
    // columnSum[x] holds Σ alpha over the rows y - s .. y + s - 1 of column x.
    std::vector<uint32_t> columnSum(size_t(w), 0);
    for (int r = 0; r < std::min(s, h); ++r) {
        const uint8_t* row = layer.AlphaRow(r);
        for (int x = 0; x < w; ++x) columnSum[size_t(x)] += row[x];
    }
    for (int y = 0; y < h; ++y) {
        platform.SetProgress(y * 100 / h);
        if (y > 0) {
            if (y + s - 1 < h) {
                const uint8_t* entering = layer.AlphaRow(y + s - 1);
                for (int x = 0; x < w; ++x) columnSum[size_t(x)] += entering[x];
            }
            if (y - s - 1 >= 0) {
                const uint8_t* leaving = layer.AlphaRow(y - s - 1);
                for (int x = 0; x < w; ++x) columnSum[size_t(x)] -= leaving[x];
            }
        }
        const uint8_t* alpha = layer.AlphaRow(y);
        uint8_t* effect = layer.effect.data() + size_t(y) * size_t(w);
        if (s == 0) {
            for (int x = 0; x < w; ++x)
                if (alpha[x] == 0) effect[x] = 0;
            continue;
        }
        // window = Σ columnSum over the columns x - s .. x + s - 1.
        uint32_t window = 0;
        for (int c = 0; c < std::min(s, w); ++c) window += columnSum[size_t(c)];
        for (int x = 0; x < w; ++x) {
            if (x > 0) {
                if (x + s - 1 < w) window += columnSum[size_t(x + s - 1)];
                if (x - s - 1 >= 0) window -= columnSum[size_t(x - s - 1)];
            }
            if (alpha[x] == 0) effect[x] = uint8_t(std::min<uint32_t>(255, window * 2 / divisor));
        }
    }
    platform.SetProgress(0);
}

namespace {

void PutColour(uint8_t* row, int x, int bitsPerPixel, const RGBQUAD& colour, uint8_t index) {
    switch (bitsPerPixel) {
        case 32:
            row[4 * x] = colour.blue, row[4 * x + 1] = colour.green, row[4 * x + 2] = colour.red;
            break;
        case 24:
            row[3 * x] = colour.blue, row[3 * x + 1] = colour.green, row[3 * x + 2] = colour.red;
            break;
        case 8:
            row[x] = index;
            break;
        case 4: {
            uint8_t& b = row[x / 2];
            b = (x & 1) ? uint8_t((b & 0xF0) | (index & 15)) : uint8_t((b & 0x0F) | ((index & 15) << 4));
            break;
        }
        case 1: {
            const uint8_t bit = uint8_t(0x80 >> (x & 7));
            row[x / 8] = (index & 1) ? uint8_t(row[x / 8] | bit) : uint8_t(row[x / 8] & ~bit);
            break;
        }
        default:
            break;
    }
}

}  // namespace

void ApplyShadow(LayerRecord& layer, const DocumentHeader& header) {
    const int w = layer.width, h = layer.height;
    if (layer.kind == LayerKind::Text || w <= 0 || h <= 0) return;
    const size_t plane = size_t(w) * size_t(h);
    if (layer.alpha.size() < plane || layer.effect.size() < plane ||
        layer.pixels.size() < size_t(h) * size_t(layer.stride))
        return;
    const uint32_t c = uint32_t(layer.shadowColour);
    const RGBQUAD colour{uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16), 0};
    const uint8_t index = header.bitsPerPixel <= 8 && !header.palette.empty()
                              ? NearestPaletteIndex(header.palette.data(), uint32_t(header.palette.size()), colour)
                              : 0;
    const bool shadowOnly = layer.shadowOnly == 1;
    for (int y = 0; y < h; ++y) {
        uint8_t* pixels = layer.PixelRow(y);
        uint8_t* alpha = layer.AlphaRow(y);
        const uint8_t* effect = layer.effect.data() + size_t(y) * size_t(w);
        for (int x = 0; x < w; ++x) {
            if (effect[x] != 0) {
                PutColour(pixels, x, header.bitsPerPixel, colour, index);
                alpha[x] = effect[x];
            } else if (alpha[x] != 0 && shadowOnly) {
                PutColour(pixels, x, header.bitsPerPixel, colour, index);
                alpha[x] = 0;
            }
        }
    }
}

ShownLayers::ShownLayers(const DocumentHeader& header, const LayerRecord* layers, int first, int count,
                         bool selectionActive) {
    int walked = 0;
    for (int i = first; LayerStack::IsValidIndex(i) && walked < kMaxLayers; i = layers[i].next) {
        if (count > 0 && walked >= count) break;
        ++walked;
        const LayerRecord& layer = layers[i];
        if (layer.visible != 1) continue;
        if (layer.effectOn == 1 && !selectionActive && layer.kind != LayerKind::Text) {
            m_shadowed.push_back(layer);
            ApplyShadow(m_shadowed.back(), header);
            m_layers.push_back(&m_shadowed.back());
        } else {
            m_layers.push_back(&layer);
        }
    }
}

void BlendShown(const DocumentHeader& header, const ShownLayers& shown, TargetBuffer& target,
                const RenderMapping& mapping) {
    if (!target.pixels) return;
    SampleGrid grid;
    if (Compositor::MappingGrid(header, target, mapping, grid)) {
        Compositor::BlendLayers(header, shown.Layers(), target, grid);
    } else {
        Compositor::ClearClip(target);
    }
}

int BlendPassWithEffects(const DocumentHeader& header, const LayerRecord* layers, int first, int count,
                         bool selectionActive, TargetBuffer& target, const RenderMapping& mapping) {
    if (!target.pixels) return 0;
    const ShownLayers shown(header, layers, first, count, selectionActive);
    BlendShown(header, shown, target, mapping);
    return int(shown.Layers().size());
}

bool LayerEffectCommand(CVandDoc& document, const ShadowDialog& dialog, int32_t& rememberedColour) {
    const int current = document.CurrentLayer();
    if (!document.IsLayerInList(current)) return false;
    LayerRecord& layer = document.Layer(current);
    if (layer.kind == LayerKind::Text) {
        CurrentPlatform().ShowMessage(texts::kTextLayerIsCurrent, MessageKind::Warning);
        return false;
    }
    // The committed copy brings back the size of the last recorded step, so the
    // dialog offers the layer's own size (1 for a layer that never had one);
    // without a committed copy the opening size stays.
    layer.effectSize = kEffectSizeOnOpen;
    document.Snapshots().RestoreCommitted(layer, current);

    ShadowSettings initial;
    initial.size = layer.effectSize != 0 ? layer.effectSize : 1;
    initial.colour = rememberedColour;
    initial.shadowOnly = layer.shadowOnly == 1;
    const std::optional<ShadowSettings> chosen = dialog ? dialog(initial) : std::optional<ShadowSettings>(initial);
    if (!chosen) return false;

    if (chosen->remove) {
        layer.effectOn = 0;
    } else {
        layer.effectOn = 1;
        layer.effectSize = uint8_t(std::clamp(chosen->size, 0, kMaxEffectSize));
        layer.shadowColour = chosen->colour & 0xFFFFFF;
        layer.shadowOnly = chosen->shadowOnly ? 1 : 0;
        rememberedColour = layer.shadowColour;
    }
    if (layer.effectOn == 1) ComputeShadow(layer);
    else std::fill(layer.effect.begin(), layer.effect.end(), 0);
    document.RecordStep(texts::kStepLayerEffect, StepCode::Pixels);
    return true;
}

namespace {

// The application's remembered shadow colour for headless use.
int32_t& RememberedShadowColour() {
    static int32_t colour = 0;
    return colour;
}

bool ParseHexColour(const std::string& text, int32_t& colour) {
    const std::string hex = text.rfind('#', 0) == 0 ? text.substr(1) : text;
    if (hex.size() != 6 || hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return false;
    const unsigned long rgb = std::stoul(hex, nullptr, 16);
    // RRGGBB read as a number is already RGBQUAD order: blue in the low byte, red in byte 2.
    colour = int32_t(rgb);
    return true;
}

}  // namespace

void RegisterShadowCommand(CommandRegistry& registry) {
    registry.Register(cmd::kLayerEffect, texts::kCmdTextLayerEffect, [](CVandDoc& d, const CommandParameters& p) {
        int32_t colour = RememberedShadowColour();
        if (p.Has("colour") && !ParseHexColour(p.Text("colour"), colour)) return false;
        const ShadowDialog dialog = [&](const ShadowSettings& initial) -> std::optional<ShadowSettings> {
            ShadowSettings settings = initial;
            settings.size = int(p.Number("size", initial.size));
            settings.colour = colour;
            settings.shadowOnly = p.Number("shadowOnly", 0) != 0;
            settings.remove = p.Number("remove", 0) != 0;
            return settings;
        };
        return LayerEffectCommand(d, dialog, RememberedShadowColour());
    });
}

}  // namespace quillory
