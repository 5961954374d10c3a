// The selection tool and the vertex tools.
#include "core/Platform.h"
#include "measure/MeasureTexts.h"
#include "measure/MeasureTools.h"

namespace quillory {

bool SelectEditTool::Press(MeasureSet& set, MeasurePoint at) {
    if (!set.ActivateMeasureLayer(false)) return false;
    const MeasureHit hit = set.HitTestMeasure(at.x, at.y, false);
    set.tool.dragPoint = -1;
    if (hit.object >= 0 && hit.distance < kSelectHitDistance) {
        if (!set.Select(hit.object)) return true;
        set.tool.dragPoint = hit.point;
        set.tool.dragFrom = at;
        return true;
    }
    const bool had = set.Selected() >= 0;
    set.EndSelectionEdit();
    return had;
}

bool SelectEditTool::Drag(MeasureSet& set, MeasurePoint at) {
    if (set.tool.dragPoint < 0 || set.Selected() < 0) return false;
    const bool moved = set.MoveSelectedPoint(set.tool.dragPoint, at, set.tool.dragFrom);
    set.tool.dragFrom = at;
    return moved;
}

bool SelectEditTool::Release(MeasureSet& set, MeasurePoint) {
    const bool dragging = set.tool.dragPoint >= 0;
    set.tool.dragPoint = -1;
    return dragging;
}

bool VertexTool::Press(MeasureSet& set, MeasurePoint at) {
    if (!set.ActivateMeasureLayer(false) || set.Selected() < 0) {
        CurrentPlatform().ShowMessage(mtexts::kSelectTargetFirst, MessageKind::Information);
        return false;
    }
    return m_add ? set.AddVertex(at) : set.RemoveVertex(at);
}

}  // namespace quillory
