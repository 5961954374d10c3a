// The point-mark tool: a numbered mark at each press.
#include <cstdint>

#include "measure/MeasureTools.h"

namespace quillory {

bool PointMarkTool::Press(MeasureSet& set, MeasurePoint at) {
    if (!measuring::BeginFigure(set, false)) return true;
    set.scratch.markNumber = set.markCounter;
    if (measuring::CreateFigure(set, MeasureKind::PointMark, {at}) && set.markCounter < INT32_MAX) ++set.markCounter;
    return true;
}

}  // namespace quillory
