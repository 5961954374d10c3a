#pragma once
// The layer shadow effect ("레이어효과", command kLayerEffect): a soft shadow around a
// layer's opaque pixels, kept in the layer's `effect` plane and laid into the
// layer's colour and opacity only for display.
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "core/CommandIds.h"
#include "core/NyZazo.h"
#include "document/Compositor.h"
#include "document/DocumentHeader.h"
#include "document/LayerRecord.h"

namespace quillory {

class CVandDoc;
class CommandRegistry;
class LayerStack;
class SnapshotSlots;

inline constexpr int kMaxEffectSize = 17;
inline constexpr int kEffectSizeOnOpen = 3;

// What the effect dialog returns.
struct ShadowSettings {
    int size = 1;             // the number field, clamped to 0..17 when applied
    int32_t colour = 0;       // RGBQUAD order in the low three bytes
    bool shadowOnly = false;  // "투명그림자 효과"
    bool remove = false;      // "레이어 효과 제거"
};

// Shows the dialog with its starting values; nullopt when cancelled.
using ShadowDialog = std::function<std::optional<ShadowSettings>(const ShadowSettings& initial)>;

// For each transparent pixel: the opacity in the uncentred 2s × 2s window
// (s = effectSize, one more row and column on the low side, outside counting 0)
// as trunc(255 × Σ(alpha / 255) / (1.5 s²)), at most 255. Pixels that are not
// transparent keep their effect value. Runs in time independent of s.
void ComputeShadow(LayerRecord& layer);

// Lays the effect plane into the layer: shadow colour with the effect value as
// opacity where it is not 0; with shadowOnly, the layer's own opaque pixels
// elsewhere become fully transparent in the shadow colour.
void ApplyShadow(LayerRecord& layer, const DocumentHeader& header);

// The visible layers of a stack, bottom first, as the view shows them: while no
// selection is active, a layer whose effect is on is shown through a copy with its
// shadow laid in. The stored planes never change, so the baked shadow never
// reaches a saved file or the history.
class ShownLayers {
public:
    ShownLayers(const DocumentHeader& header, const LayerRecord* layers, int first, int count, bool selectionActive);
    ShownLayers(const ShownLayers&) = delete;
    ShownLayers& operator=(const ShownLayers&) = delete;

    const std::vector<const LayerRecord*>& Layers() const { return m_layers; }

private:
    std::deque<LayerRecord> m_shadowed;  // stable addresses for m_layers
    std::vector<const LayerRecord*> m_layers;
};

// Clears the target's clip and blends the shown layers at a mapping.
void BlendShown(const DocumentHeader& header, const ShownLayers& shown, TargetBuffer& target,
                const RenderMapping& mapping);

// The visible stack blended like Compositor::BlendPass, with every layer whose
// effect is on shown through a shadowed copy while no selection is active. The
// stored planes never change, so the baked shadow never reaches a saved file.
int BlendPassWithEffects(const DocumentHeader& header, const LayerRecord* layers, int first, int count,
                         bool selectionActive, TargetBuffer& target, const RenderMapping& mapping);

// Command kLayerEffect on the current layer. `rememberedColour` is the application's last
// shadow colour: the dialog starts with it and a confirmed colour replaces it.
// False when refused (text layer) or cancelled.
bool LayerEffectCommand(CVandDoc& document, const ShadowDialog& dialog, int32_t& rememberedColour);

// The handler of kLayerEffect for the registry: parameters "size", "colour" (RRGGBB),
// "shadowOnly" (0/1) and "remove" (0/1) stand in for the dialog.
void RegisterShadowCommand(CommandRegistry& registry);

}  // namespace quillory
