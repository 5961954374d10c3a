#pragma once
// What the transform, colour-range and gradient tools share with their panels:
// the quadrilateral, angle or size being placed on one document, the colour-range
// settings and last result, and the gradient's choices. The main frame owns one;
// the tools receive it through their context.
#include <algorithm>
#include <functional>
#include <memory>

#include "core/DibTypes.h"
#include "document/AdjustmentPreview.h"
#include "document/ColourRangeSelection.h"
#include "processing/FreeTransform.h"
#include "processing/Gradient.h"

namespace quillory {

class CVandDoc;

// The ellipse transform's box as pixel edges of the layer (rows top-down): the
// pixels left … right − 1 and top … bottom − 1 lie inside. A drag may carry one
// edge over the other; Normalized puts the box the right way round again.
struct EllipseBox {
    int left = 0, top = 0, right = 0, bottom = 0;
    EllipseBox Normalized() const {
        return EllipseBox{std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
    }
    bool IsEmpty() const { return left == right || top == bottom; }
    friend bool operator==(const EllipseBox&, const EllipseBox&) = default;
};

struct TransformSession {
    const CVandDoc* document = nullptr;  // the picture being transformed; null when none
    int command = -1;  // kToolScale, kToolSkew, kToolPerspective, kToolFreeRotate, kStretchSquash, kEllipseTransform
    int slot = -1;                       // the layer
    Quad quad;                           // free transform: corners in layer pixels, rows top-down
    float angle = 0;                     // free rotation: degrees, clockwise on screen
    int width = 0, height = 0;           // stretch: the layer's size being previewed
    EllipseBox box;                      // ellipse transform: the box the ellipse fills
    // Free rotation and stretch: the preview of the command. Dropping the session
    // abandons it (the document may be gone); the panels cancel or commit it.
    std::shared_ptr<AdjustmentPreview> preview;
    bool IsFor(const CVandDoc& d) const { return document == &d; }
};

struct ColourRangeState {
    int tolerance = kDefaultTolerance;
    bool add = false;  // "색상추출더하기"
    bool picked = false;
    RGBQUAD pickedColour{};
    SimilarResult result;
};

struct GradientState {
    int colourMode = GradientSettings::ForegroundAndBackground;
    int shape = GradientSettings::Linear;
};

struct PanelState {
    TransformSession transform;
    ColourRangeState colourRange;
    GradientState gradient;
    // Called by a tool after it changed what a panel shows.
    std::function<void()> changed;
    void Changed() const {
        if (changed) changed();
    }
};

}  // namespace quillory
