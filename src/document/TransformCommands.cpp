#include "document/TransformCommands.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/CommandIds.h"
#include "core/Platform.h"
#include "core/SizeMath.h"
#include "document/AdjustmentPreview.h"
#include "document/CVandDoc.h"
#include "document/CommandRegistry.h"
#include "document/DocumentTexts.h"
#include "document/LayerPlanes.h"
#include "document/ParameterValues.h"
#include "document/SnapshotSlots.h"
#include "document/TransformTexts.h"
#include "processing/Canvas.h"
#include "processing/FlipRotate.h"
#include "processing/Resample.h"

namespace quillory {

namespace {

// The platform's progress bar follows the rows of long work.
class PlatformProgress : public ProgressSink {
public:
    void SetPosition(int percent) override { CurrentPlatform().SetProgress(percent); }
};

void Show(const char* text) { CurrentPlatform().ShowMessage(text, MessageKind::Warning); }

std::vector<int> LayersInList(const CVandDoc& document) {
    std::vector<int> slots;
    for (int i = document.HeadLayer(); LayerStack::IsValidIndex(i) && int(slots.size()) < kMaxLayers;
         i = document.Layer(i).next)
        slots.push_back(i);
    return slots;
}

bool CurrentIsValid(const CVandDoc& document) { return document.IsLayerInList(document.CurrentLayer()); }

OutsideFill FillOf(CVandDoc& document) {
    OutsideFill fill;
    if (const NyZazo* composite = document.Composite()) fill.colour = composite->backColour;
    const PaletteRef palette = PaletteOf(document.Header());
    if (palette.colours)
        fill.index = NearestPaletteIndex(palette.colours, uint32_t(std::min(palette.count, 256)), fill.colour);
    return fill;
}

// New planes of a layer placed with their top-left pixel at canvas (left, top).
bool Install(CVandDoc& document, int slot, Planes&& planes, int left, int top) {
    return PlaceOnLayer(document.State(), document.Layer(slot), slot == document.CurrentLayer(), std::move(planes),
                        left, top);
}

// The layer rotated about its centre, without a step.
bool RotateSlot(CVandDoc& document, int slot, float angle) {
    LayerRecord& layer = document.Layer(slot);
    const DocumentHeader& header = document.Header();
    const CanvasRect rect = LayerCanvasRect(layer, header);
    Planes source, rotated;
    if (!CopyLayerPlanes(layer, header, source)) return false;
    PlatformProgress progress;
    if (!RotatePlanes(source, angle, FillOf(document), rotated, &progress)) return false;
    if (layer.kind == LayerKind::Measure) {
        // Measurement figures are redrawn from their objects; the layer only takes the new size.
        std::fill(rotated.pixels.begin(), rotated.pixels.end(), uint8_t(255));
        std::fill(rotated.alpha.begin(), rotated.alpha.end(), uint8_t(0));
    }
    const int left = rect.left + (rect.width - rotated.width) / 2;
    const int top = rect.top + (rect.height - rotated.height) / 2;
    return Install(document, slot, std::move(rotated), left, top);
}

bool ResizeSlot(CVandDoc& document, int slot, int newWidth, int newHeight, int left, int top) {
    LayerRecord& layer = document.Layer(slot);
    Planes source, resized;
    if (!CopyLayerPlanes(layer, document.Header(), source)) return false;
    PlatformProgress progress;
    if (!ResizePlanes(source, PaletteOf(document.Header()), newWidth, newHeight, resized, &progress)) return false;
    return Install(document, slot, std::move(resized), left, top);
}


// angle: degrees, clockwise on screen; the layer turns about its centre.
bool RotateChange(CVandDoc& document, const CommandParameters& parameters) {
    const double angle = RealParameter(parameters, "angle", 0);
    if (!parameters.Has("angle") || !std::isfinite(angle)) return false;
    if (!RotateSlot(document, document.CurrentLayer(), float(angle))) {
        Show(texts::kTransformTooLarge);
        return false;
    }
    return true;
}

// width, height: the layer's new size; it keeps its centre.
bool StretchChange(CVandDoc& document, const CommandParameters& parameters) {
    const long long width = parameters.Number("width", -1), height = parameters.Number("height", -1);
    if (width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX) return false;
    const int slot = document.CurrentLayer();
    const CanvasRect rect = LayerCanvasRect(document.Layer(slot), document.Header());
    const int w = int(width), h = int(height);
    return ResizeSlot(document, slot, w, h, int(rect.left + (int64_t(rect.width) - w) / 2),
                      int(rect.top + (int64_t(rect.height) - h) / 2));
}

// The layer in `slot` mirrored where it stands.
bool FlipSlot(CVandDoc& document, int slot, bool leftRight) {
    Planes planes;
    LayerRecord& layer = document.Layer(slot);
    if (!CopyLayerPlanes(layer, document.Header(), planes)) return false;
    leftRight ? FlipHorizontal(planes) : FlipVertical(planes);
    const CanvasRect rect = LayerCanvasRect(layer, document.Header());
    return Install(document, slot, std::move(planes), rect.left, rect.top);
}

}  // namespace

bool FlipLayer(CVandDoc& document, bool leftRight) {
    if (!CurrentIsValid(document)) return false;
    if (!FlipSlot(document, document.CurrentLayer(), leftRight)) return false;
    document.RecordStep(leftRight ? texts::kStepLayerFlipLeftRight : texts::kStepLayerFlipTopBottom,
                        StepCode::Pixels);
    return true;
}

bool FlipCanvas(CVandDoc& document, bool leftRight) {
    if (!CurrentIsValid(document)) return false;
    WaitCursor wait;
    for (int slot : LayersInList(document))
        if (!FlipSlot(document, slot, leftRight)) return false;
    document.RecordStep(leftRight ? texts::kStepCanvasFlipLeftRight : texts::kStepCanvasFlipTopBottom,
                        StepCode::Flipped);
    return true;
}

// The picture as seen turns over left to right: each layer is mirrored and so is its place on the canvas.
bool MirrorPicture(CVandDoc& document) {
    if (!CurrentIsValid(document)) return false;
    WaitCursor wait;
    const int canvasWidth = document.Header().width;
    for (int slot : LayersInList(document)) {
        LayerRecord& layer = document.Layer(slot);
        Planes planes;
        if (!CopyLayerPlanes(layer, document.Header(), planes)) return false;
        FlipHorizontal(planes);
        const CanvasRect rect = LayerCanvasRect(layer, document.Header());
        if (!Install(document, slot, std::move(planes), canvasWidth - rect.left - rect.width, rect.top)) return false;
    }
    document.RecordStep(texts::kStepMirror, StepCode::Flipped);
    return true;
}

bool RotateCurrentLayer(CVandDoc& document, float angle, const char* stepName) {
    if (!CurrentIsValid(document) || !std::isfinite(angle)) return false;
    const int slot = document.CurrentLayer();
    if (document.Layer(slot).kind == LayerKind::Text) {
        Show(texts::kLayerIsTextLayer);
        return false;
    }
    WaitCursor wait;
    if (!RotateSlot(document, slot, angle)) {
        Show(texts::kTransformTooLarge);
        return false;
    }
    document.RecordStep(stepName, StepCode::Pixels);
    return true;
}

bool RotateCanvas(CVandDoc& document, float angle, const char* stepName) {
    if (!CurrentIsValid(document) || !IsQuarterTurn(angle)) return false;
    const std::vector<int> slots = LayersInList(document);
    for (int slot : slots)
        if (document.Layer(slot).kind == LayerKind::Text) {
            Show(texts::kCanvasHasTextLayer);
            return false;
        }
    WaitCursor wait;
    const DocumentHeader& header = document.Header();
    double turn = std::fmod(double(angle), 360.0);
    if (turn < 0) turn += 360.0;
    const int quarter = int(turn / 90.0 + 0.5) % 4;

    // Every layer is turned first; the document changes only when all of them could be.
    struct Turned {
        int slot;
        Planes planes;
        CanvasRect rect;
    };
    std::vector<Turned> turned;
    // The canvas turns as a whole, carrying every layer's place with it.
    const CanvasRect canvas{0, 0, header.width, header.height};
    const bool sideways = quarter % 2 == 1;
    int canvasW = sideways ? canvas.height : canvas.width, canvasH = sideways ? canvas.width : canvas.height;
    PlatformProgress progress;
    for (int slot : slots) {
        const LayerRecord& layer = document.Layer(slot);
        Turned t{slot, {}, LayerCanvasRect(layer, header)};
        Planes source;
        if (!CopyLayerPlanes(layer, header, source) || !RotatePlanes(source, angle, FillOf(document), t.planes, &progress)) {
            Show(texts::kTransformTooLarge);
            return false;
        }
        if (layer.kind == LayerKind::Measure) {
            std::fill(t.planes.pixels.begin(), t.planes.pixels.end(), uint8_t(255));
            std::fill(t.planes.alpha.begin(), t.planes.alpha.end(), uint8_t(0));
        }
        canvasW = std::max(canvasW, t.planes.width);
        canvasH = std::max(canvasH, t.planes.height);
        turned.push_back(std::move(t));
    }
    // A layer larger than the canvas widens it; the turned canvas then stands in its middle.
    const int turnedW = sideways ? canvas.height : canvas.width, turnedH = sideways ? canvas.width : canvas.height;
    const int offsetX = (canvasW - turnedW) / 2, offsetY = (canvasH - turnedH) / 2;
    SetCanvasSize(document.Header(), canvasW, canvasH);
    for (Turned& t : turned) {
        const int l = t.rect.left, top = t.rect.top;
        int nl = l, nt = top;
        switch (quarter) {
            case 1: nl = canvas.height - top - t.rect.height, nt = l; break;
            case 2: nl = canvas.width - l - t.rect.width, nt = canvas.height - top - t.rect.height; break;
            case 3: nl = top, nt = canvas.width - l - t.rect.width; break;
            default: break;
        }
        if (!Install(document, t.slot, std::move(t.planes), nl + offsetX, nt + offsetY)) return false;
    }
    document.RecordStep(stepName, StepCode::Resized);
    return true;
}

bool ResizePicture(CVandDoc& document, int newWidth, int newHeight) {
    if (!CurrentIsValid(document) || newWidth <= 0 || newHeight <= 0) return false;
    const DocumentHeader& header = document.Header();
    if (newWidth == header.width && newHeight == header.height) return true;
    if (!FitsPixelCap(newWidth, newHeight, header.bitsPerPixel)) {
        Show(texts::kTransformTooLarge);
        return false;
    }
    WaitCursor wait;
    const double sx = double(newWidth) / header.width, sy = double(newHeight) / header.height;
    struct Resized {
        int slot;
        Planes planes;
        int left, top;
    };
    std::vector<Resized> done;
    PlatformProgress progress;
    for (int slot : LayersInList(document)) {
        const LayerRecord& layer = document.Layer(slot);
        const CanvasRect rect = LayerCanvasRect(layer, header);
        Resized r{slot, {}, int(std::lround(rect.left * sx)), int(std::lround(rect.top * sy))};
        Planes source;
        if (!CopyLayerPlanes(layer, header, source) ||
            !ResizePlanes(source, PaletteOf(header), ScaledSide(layer.width, sx), ScaledSide(layer.height, sy),
                          r.planes, &progress)) {
            Show(texts::kTransformTooLarge);
            return false;
        }
        done.push_back(std::move(r));
    }
    progress.SetPosition(0);
    SetCanvasSize(document.Header(), newWidth, newHeight);
    for (Resized& r : done) {
        LayerRecord& layer = document.Layer(r.slot);
        if (layer.kind == LayerKind::Text) {
            // The stored text box scales with the picture.
            layer.textX = int32_t(std::lround(layer.textX * sx));
            layer.textY = int32_t(std::lround(layer.textY * sy));
            layer.textSize = int32_t(std::lround(layer.textSize * sy));
        }
        if (!Install(document, r.slot, std::move(r.planes), r.left, r.top)) return false;
    }
    document.RecordStep(texts::kStepImageSize, StepCode::Resized);
    return true;
}

bool ExpandCanvas(CVandDoc& document, int newWidth, int newHeight, int anchor) {
    if (!CurrentIsValid(document) || newWidth <= 0 || newHeight <= 0) return false;
    const DocumentHeader& header = document.Header();
    if (newWidth == header.width && newHeight == header.height) return true;
    if (!FitsPixelCap(newWidth, newHeight, header.bitsPerPixel)) {
        Show(texts::kTransformTooLarge);
        return false;
    }
    WaitCursor wait;
    const AnchorShift shift = AnchorOffset(header.width, header.height, newWidth, newHeight, anchor);
    // A shift of dy stored rows moves the picture's top by the height gained less dy.
    const int dTop = newHeight - header.height - shift.dy;
    struct Moved {
        int slot;
        Planes planes;
        CanvasRect rect;
    };
    std::vector<Moved> layers;
    for (int slot : LayersInList(document)) {
        Moved m{slot, {}, LayerCanvasRect(document.Layer(slot), header)};
        if (!CopyLayerPlanes(document.Layer(slot), header, m.planes)) return false;
        layers.push_back(std::move(m));
    }
    SetCanvasSize(document.Header(), newWidth, newHeight);
    for (Moved& m : layers)
        if (!Install(document, m.slot, std::move(m.planes), m.rect.left + shift.dx, m.rect.top + dTop)) return false;
    CurrentPlatform().SetProgress(0);
    document.RecordStep(texts::kStepCanvasSize, StepCode::Resized);
    return true;
}

bool ApplyFreeTransform(CVandDoc& document, int command, const Quad& quad) {
    if (!CurrentIsValid(document)) return false;
    const int slot = document.CurrentLayer();
    LayerRecord& layer = document.Layer(slot);
    if (layer.kind == LayerKind::Text) {
        Show(texts::kLayerIsTextLayer);
        return false;
    }
    Planes source;
    if (!CopyLayerPlanes(layer, document.Header(), source)) return false;
    WaitCursor wait;
    MappedPlanes mapped;
    PlatformProgress progress;
    switch (FreeTransformPlanes(source, PaletteOf(document.Header()), quad, mapped, &progress)) {
        case TransformOutcome::Done: break;
        case TransformOutcome::Degenerate: Show(texts::kFreeTransformDegenerate); return false;
        default: Show(texts::kTransformTooLarge); return false;
    }
    const CanvasRect rect = LayerCanvasRect(layer, document.Header());
    if (!Install(document, slot, std::move(mapped.planes), rect.left + mapped.left, rect.top + mapped.top))
        return false;
    document.RecordStep(command == cmd::kToolPerspective ? texts::kStepFreeTransformPerspective
                                                         : texts::kStepFreeTransform,
                        StepCode::Pixels);
    return true;
}

bool EllipseTransform(CVandDoc& document, int left, int top, int right, int bottom) {
    if (!CurrentIsValid(document)) return false;
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    const int slot = document.CurrentLayer();
    LayerRecord& layer = document.Layer(slot);
    if (layer.kind == LayerKind::Text) {
        Show(texts::kLayerIsTextLayer);
        return false;
    }
    const int64_t w = int64_t(right) - left + 1, h = int64_t(bottom) - top + 1;
    Planes source, shaped;
    if (w > INT32_MAX || h > INT32_MAX || !CopyLayerPlanes(layer, document.Header(), source) ||
        !EllipsePlanes(source, PaletteOf(document.Header()), int(w), int(h), shaped)) {
        Show(texts::kTransformTooLarge);
        return false;
    }
    const CanvasRect rect = LayerCanvasRect(layer, document.Header());
    if (!Install(document, slot, std::move(shaped), rect.left + left, rect.top + top)) return false;
    document.RecordStep(texts::kStepEllipse, StepCode::Pixels);
    return true;
}

void RegisterTransformCommands(CommandRegistry& registry) {
    using P = const CommandParameters&;
    registry.Register(cmd::kLayerFlipLeftRight, texts::kCmdLayerFlipLeftRight,
                      [](CVandDoc& d, P) { return FlipLayer(d, true); });
    registry.Register(cmd::kLayerFlipTopBottom, texts::kCmdLayerFlipTopBottom,
                      [](CVandDoc& d, P) { return FlipLayer(d, false); });
    registry.Register(cmd::kCanvasFlipLeftRight, texts::kCmdCanvasFlipLeftRight,
                      [](CVandDoc& d, P) { return FlipCanvas(d, true); });
    registry.Register(cmd::kCanvasFlipTopBottom, texts::kCmdCanvasFlipTopBottom,
                      [](CVandDoc& d, P) { return FlipCanvas(d, false); });
    registry.Register(cmd::kMirror, texts::kCmdMirror, [](CVandDoc& d, P) { return MirrorPicture(d); });
    registry.Register(cmd::kCanvasRotateRight, texts::kCmdCanvasRotateRight,
                      [](CVandDoc& d, P) { return RotateCanvas(d, 90.0f, texts::kStepCanvasRotateRight); });
    registry.Register(cmd::kCanvasRotateLeft, texts::kCmdCanvasRotateLeft,
                      [](CVandDoc& d, P) { return RotateCanvas(d, -90.0f, texts::kStepCanvasRotateLeft); });
    registry.Register(cmd::kCanvasRotate180, texts::kCmdCanvasRotate180,
                      [](CVandDoc& d, P) { return RotateCanvas(d, 180.0f, texts::kStepCanvasRotate180); });
    registry.Register(cmd::kLayerRotateRight, texts::kCmdLayerRotateRight,
                      [](CVandDoc& d, P) { return RotateCurrentLayer(d, 90.0f, texts::kStepLayerRotateRight); });
    registry.Register(cmd::kLayerRotateLeft, texts::kCmdLayerRotateLeft,
                      [](CVandDoc& d, P) { return RotateCurrentLayer(d, -90.0f, texts::kStepLayerRotateLeft); });
    registry.Register(cmd::kLayerRotate180, texts::kCmdLayerRotate180,
                      [](CVandDoc& d, P) { return RotateCurrentLayer(d, 180.0f, texts::kStepLayerRotate180); });
    // The free rotation and stretch panels preview these through AdjustmentPreview.
    RegisterPreviewable(registry, {.id = cmd::kToolFreeRotate,
                                   .menuText = texts::kCmdFreeRotate,
                                   .stepName = texts::kStepFreeRotate,
                                   .change = RotateChange,
                                   .textLayerMessage = texts::kLayerIsTextLayer});
    RegisterPreviewable(registry, {.id = cmd::kStretchSquash,
                                   .menuText = texts::kCmdStretch,
                                   .stepName = texts::kStepStretch,
                                   .change = StretchChange,
                                   .textLayerMessage = texts::kLayerIsTextLayer});
    registry.Register(cmd::kResizePicture, texts::kCmdResizePicture, [](CVandDoc& d, P p) {
        double w = RealParameter(p, "width", -1), h = RealParameter(p, "height", -1);
        const std::string unit = p.Text("unit", "pixel");
        if (unit != "pixel" && unit != "percent") return p.Refuse("unit");
        if (unit == "percent") {
            w = std::trunc(d.Header().width * w / 100.0 + 0.5);
            h = std::trunc(d.Header().height * h / 100.0 + 0.5);
        }
        return w >= 1 && h >= 1 && w <= INT32_MAX && h <= INT32_MAX && ResizePicture(d, int(w), int(h));
    });
    registry.Register(cmd::kCanvasSize, texts::kCmdCanvasSize, [](CVandDoc& d, P p) {
        const long long anchor = p.Number("anchor", 4);
        return anchor >= 0 && anchor < kAnchorCount &&
               ExpandCanvas(d, int(p.Number("width", -1)), int(p.Number("height", -1)), int(anchor));
    });
    for (int command : {cmd::kToolScale, cmd::kToolSkew, cmd::kToolPerspective}) {
        const char* name = command == cmd::kToolScale ? texts::kCmdScale
                           : command == cmd::kToolSkew ? texts::kCmdDistort
                                                       : texts::kCmdPerspective;
        registry.Register(command, name, [command](CVandDoc& d, P p) {
            const int cur = d.CurrentLayer();
            if (!LayerStack::IsValidIndex(cur)) return false;
            Quad quad = Quad::OfLayer(d.Layer(cur).width, d.Layer(cur).height);
            for (int k = 0; k < 4; ++k) {
                quad.x[k] = RealParameter(p, "x" + std::to_string(k), quad.x[k]);
                quad.y[k] = RealParameter(p, "y" + std::to_string(k), quad.y[k]);
            }
            return ApplyFreeTransform(d, command, quad);
        });
    }
    registry.Register(cmd::kEllipseTransform, texts::kCmdEllipse, [](CVandDoc& d, P p) {
        if (!p.Has("left") || !p.Has("top") || !p.Has("right") || !p.Has("bottom")) return false;
        return EllipseTransform(d, int(p.Number("left")), int(p.Number("top")), int(p.Number("right")),
                                int(p.Number("bottom")));
    });
}

}  // namespace quillory
