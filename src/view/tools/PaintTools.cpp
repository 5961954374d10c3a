#include "view/tools/PaintTools.h"

#include "core/CommandIds.h"
#include "document/ToolTexts.h"
#include "view/ViewTool.h"
#include "view/tools/BrushTool.h"
#include "view/tools/CircleTool.h"
#include "view/tools/ColourPickerTool.h"
#include "view/tools/DotTool.h"
#include "view/tools/DropTool.h"
#include "view/tools/FillTool.h"
#include "view/tools/FreeSelectTool.h"
#include "view/tools/GuidePathTool.h"
#include "view/tools/LineTool.h"
#include "view/tools/MagicWandTool.h"
#include "view/tools/MoveTool.h"
#include "view/tools/PolygonSelectTool.h"
#include "view/tools/PolylineTool.h"
#include "view/tools/RectSelectTool.h"
#include "view/tools/SprayTool.h"

namespace quillory {

namespace {

constexpr SliderSetup kEdgeSpread{true, texts::kSliderEdgeSpread, 0, kEdgeSpreadMax, 0, true};

template <typename T, typename... Args>
void Add(ToolRegistry& registry, int id, Args... args) {
    registry.Register(id, [args...] { return std::make_unique<T>(args...); });
}

}  // namespace

ToolSliders SlidersFor(int id) {
    switch (id) {
        case cmd::kToolDrop: return {{true, texts::kSliderSpread, 5, 30, kDropSpreadStart, false}, {}};
        case cmd::kToolFill:
            return {{true, texts::kSliderTolerance, 0, kFillToleranceMax, kFillToleranceStart, false}, kEdgeSpread};
        case cmd::kToolMagicWand:
            return {{true, texts::kSliderTolerance, 0, kFillToleranceMax, kWandToleranceStart, false}, kEdgeSpread};
        case cmd::kToolRectSelect:
        case cmd::kToolFreeSelect:
        case cmd::kToolPolygonSelect: return {{}, kEdgeSpread};
        default: return {};
    }
}

bool ReselectDoesNothing(int id) {
    return id == cmd::kToolFill || id == cmd::kToolDrop || id == cmd::kToolLine || id == cmd::kToolCircle;
}

void RegisterPaintTools(ToolRegistry& registry) {
    Add<BrushTool>(registry, cmd::kToolBrush, false);
    Add<BrushTool>(registry, cmd::kToolEraser, true);
    Add<LineTool>(registry, cmd::kToolLine);
    Add<PolylineTool>(registry, cmd::kToolPolyline);
    Add<CircleTool>(registry, cmd::kToolCircle);
    Add<DotTool>(registry, cmd::kToolDot);
    Add<SprayTool>(registry, cmd::kToolSpray);
    Add<DropTool>(registry, cmd::kToolDrop);
    Add<FillTool>(registry, cmd::kToolFill);
    Add<ColourPickerTool>(registry, cmd::kToolColourPicker);
    Add<RectSelectTool>(registry, cmd::kToolRectSelect);
    Add<FreeSelectTool>(registry, cmd::kToolFreeSelect);
    Add<PolygonSelectTool>(registry, cmd::kToolPolygonSelect);
    Add<MagicWandTool>(registry, cmd::kToolMagicWand);
    Add<MoveTool>(registry, cmd::kToolMove);
    for (int id : {cmd::kPathAddPoints, cmd::kPathDragPoint, cmd::kPathInsertPoint, cmd::kPathDeletePoint, cmd::kPathMove})
        Add<GuidePathTool>(registry, id, id);
    // Choosing the path panel's command starts adding points.
    Add<GuidePathTool>(registry, cmd::kPathPanel, int(cmd::kPathAddPoints));
}

}  // namespace quillory
