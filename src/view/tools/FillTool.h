#pragma once
// Flood fill (kToolFill): from the clicked pixel over the 8-connected pixels
// whose colour is within "포함한계치" (toolValue1) of the pixel they were reached
// from; transparent pixels are always taken. With "경계퍼짐" (toolValue2) > 0
// the filled opacity fades out over the selection's edge.
#include "view/tools/PaintStroke.h"

namespace quillory {

inline constexpr int kFillToleranceStart = 10;
inline constexpr int kFillToleranceMax = 60;

struct FillSettings {
    RGBQUAD colour{};
    int tolerance = kFillToleranceStart;
    int spread = 0;
};

// Fills from a layer pixel; returns the number of pixels filled (0 when the
// point lies outside the layer or outside the selection).
int64_t FloodFill(LayerCanvas& canvas, LayerPoint at, const FillSettings& settings);

class FillTool : public ViewTool {
public:
    bool Press(ToolContext& context, const ToolEvent& event) override;
};

}  // namespace quillory
