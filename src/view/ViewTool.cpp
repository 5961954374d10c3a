#include "view/ViewTool.h"

#include <algorithm>
#include <cmath>
#include <mutex>

#include "view/PanelTools.h"
#include "view/ViewZoom.h"
#include "view/tools/PaintTools.h"

namespace quillory {

ToolRegistry& ToolRegistry::Instance() {
    static ToolRegistry registry;
    static std::once_flag once;
    std::call_once(once, [] {
        RegisterPanelTools(registry);
        RegisterPaintTools(registry);
    });
    return registry;
}

std::unique_ptr<ViewTool> ToolRegistry::Create(int id) const {
    auto it = m_factories.find(id);
    return it == m_factories.end() ? nullptr : it->second();
}

ToolEvent MakeToolEvent(const ViewState& view, int pictureWidth, int pictureHeight, int windowX, int windowY) {
    ToolEvent e;
    e.windowX = windowX;
    e.windowY = windowY;
    const MappedPoint p = WindowToPicture(view, windowX, windowY);
    e.zoomedX = p.x;
    e.zoomedY = p.y;
    e.wasClamped = p.wasClamped;
    float scaleX = view.zoom, scaleY = view.zoom;
    if (view.fitToWindow && pictureWidth > 0 && pictureHeight > 0) {
        scaleX = float(view.pictureRect.Width()) / float(pictureWidth);
        scaleY = float(view.pictureRect.Height()) / float(pictureHeight);
    }
    if (scaleX <= 0 || scaleY <= 0) return e;
    e.pictureX = std::clamp(int(std::floor(p.x / scaleX)), 0, std::max(0, pictureWidth - 1));
    e.pictureY = std::clamp(int(std::floor(p.y / scaleY)), 0, std::max(0, pictureHeight - 1));
    return e;
}

}  // namespace quillory
