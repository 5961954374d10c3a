#include "document/GradientFill.h"

#include <cstdint>

#include "core/CommandIds.h"
#include "core/Platform.h"
#include "document/CVandDoc.h"
#include "document/CommandRegistry.h"
#include "document/DocumentTexts.h"
#include "document/LayerPlanes.h"
#include "document/ParameterValues.h"
#include "document/TransformTexts.h"

namespace quillory {

GradientSettings GradientFor(int colourMode, int shape, RGBQUAD foreground, RGBQUAD background) {
    GradientSettings g;
    g.colourMode = colourMode == GradientSettings::ForegroundOnly ? GradientSettings::ForegroundOnly
                                                                  : GradientSettings::ForegroundAndBackground;
    g.shape = shape == GradientSettings::Mirrored ? GradientSettings::Mirrored : GradientSettings::Linear;
    g.second = foreground;
    g.first = background;
    return g;
}

namespace {

// Far enough for any drag a picture can show; the ramp's arithmetic stays exact in doubles.
constexpr int64_t kMaxGradientCoordinate = int64_t(1) << 30;

}  // namespace

bool ApplyGradient(CVandDoc& document, const GradientSettings& settings, int startX, int startY, int endX, int endY) {
    const int cur = document.CurrentLayer();
    if (!document.IsLayerInList(cur)) return false;
    LayerRecord& layer = document.Layer(cur);
    if (layer.kind == LayerKind::Text) {
        CurrentPlatform().ShowMessage(texts::kTextLayerIsCurrent, MessageKind::Warning);
        return false;
    }
    if (startX == endX && startY == endY) {
        CurrentPlatform().ShowMessage(texts::kGradientNeedsDrag, MessageKind::Information);
        return false;
    }
    Planes planes;
    if (!CopyLayerPlanes(layer, document.Header(), planes)) return false;
    const CanvasRect rect = LayerCanvasRect(layer, document.Header());
    // Layer coordinates of the drag, in a width where a far point cannot wrap round.
    const int64_t layerCoordinates[4] = {int64_t(startX) - rect.left, int64_t(startY) - rect.top,
                                         int64_t(endX) - rect.left, int64_t(endY) - rect.top};
    for (int64_t c : layerCoordinates)
        if (c < -kMaxGradientCoordinate || c > kMaxGradientCoordinate) return false;
    // An active selection over this layer limits the painting.
    const SelectionMask& selection = document.State().selection;
    const bool masked = selection.ActiveOrSuspended() && selection.width == layer.width &&
                        selection.height == layer.height &&
                        selection.mask.size() == size_t(layer.width) * size_t(layer.height);
    WaitCursor wait;
    if (!PaintGradient(planes, PaletteOf(document.Header()), settings, int(layerCoordinates[0]),
                       int(layerCoordinates[1]), int(layerCoordinates[2]), int(layerCoordinates[3]), masked ? selection.mask.data() : nullptr))
        return false;
    layer.pixels = std::move(planes.pixels);
    layer.alpha = std::move(planes.alpha);
    layer.changed = 1;
    if (layer.kind == LayerKind::Background) document.Header().backgroundChanged = 1;
    document.RecordStep(texts::kStepGradient, StepCode::Pixels);
    return true;
}

void RegisterGradientCommands(CommandRegistry& registry) {
    registry.Register(cmd::kToolGradient, texts::kCmdGradient, [](CVandDoc& d, const CommandParameters& p) {
        RGBQUAD foreground{0, 0, 0, 0}, background{255, 255, 255, 0};
        if (p.Has("foreground") && !ParseHexColour(p.Text("foreground"), foreground)) return p.Refuse("foreground");
        if (p.Has("background") && !ParseHexColour(p.Text("background"), background)) return p.Refuse("background");
        if (!p.Has("x0") || !p.Has("y0") || !p.Has("x1") || !p.Has("y1")) return false;
        const GradientSettings settings =
            GradientFor(int(p.Number("colours", 2)), int(p.Number("shape", 1)), foreground, background);
        return ApplyGradient(d, settings, int(p.Number("x0")), int(p.Number("y0")), int(p.Number("x1")),
                             int(p.Number("y1")));
    });
}

}  // namespace quillory
