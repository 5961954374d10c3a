#include "view/PanelTools.h"

#include "core/CommandIds.h"
#include "view/ColourRangeTool.h"
#include "view/EllipseTool.h"
#include "view/FreeTransformTool.h"
#include "view/GradientTool.h"
#include "view/LayerPreviewTools.h"

namespace quillory {

void RegisterPanelTools(ToolRegistry& registry) {
    for (int id : {cmd::kToolScale, cmd::kToolSkew, cmd::kToolPerspective})
        registry.Register(id, [] { return std::make_unique<FreeTransformTool>(); });
    registry.Register(cmd::kEllipseTransform, [] { return std::make_unique<EllipseTool>(); });
    registry.Register(cmd::kToolFreeRotate, [] { return std::make_unique<FreeRotateTool>(); });
    registry.Register(cmd::kStretchSquash, [] { return std::make_unique<StretchTool>(); });
    for (int id : {cmd::kColourRangeSelect, cmd::kToolColourRange})
        registry.Register(id, [] { return std::make_unique<ColourRangeTool>(); });
    registry.Register(cmd::kToolGradient, [] { return std::make_unique<GradientTool>(); });
}

}  // namespace quillory
