#pragma once
// Mouse tools of the view: one class per tool with Press, Move, Release (and
// DoubleClick, Key where needed), chosen by the current tool id through a
// registry. The view maps each mouse event to window, zoomed-picture and
// picture coordinates before a tool sees it.
#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "core/NyZazo.h"
#include "view/ViewState.h"

namespace quillory {

class CVandDoc;
struct PanelState;

struct ToolEvent {
    int windowX = 0, windowY = 0;   // client coordinates
    int zoomedX = 0, zoomedY = 0;   // WindowToPicture: scroll added, picture origin removed
    bool wasClamped = false;        // the point lay outside the picture
    int pictureX = 0, pictureY = 0; // picture pixel (zoomed point divided by the zoom), rows top-down
    bool shift = false, control = false;
};

// What a tool works with: the document, the view state and the frame's settings.
struct ToolContext {
    CVandDoc& document;
    ViewState& view;
    int currentTool = -1;
    uint32_t foreground = 0;  // platform colours: red in the low byte
    uint32_t background = 0xFFFFFF;
    int brushSize = 1;
    PanelState* panels = nullptr;  // the transform, colour-range and gradient panels' state
    int softBrush = 0;             // soft edges for brush, eraser, line and polyline
    int toolValue1 = 0, toolValue2 = 0;  // the two tool sliders
    bool foregroundPicked = false;  // set by a tool that changed `foreground`

    // What the tool changed of the picture the layers make (picture pixels, rows from
    // the top), so that the view blends only that part again. A change the tool does
    // not report is taken as a change of the whole picture.
    bool changeReported = false;
    bool wholeChanged = false;
    IntRect changedRegion{};
    // An empty region: the layers show the same (a selection, a path's points).
    void ReportChange(const IntRect& region) {
        changeReported = true;
        if (region.IsEmpty()) return;
        if (changedRegion.IsEmpty()) {
            changedRegion = region;
            return;
        }
        changedRegion.left = std::min(changedRegion.left, region.left);
        changedRegion.top = std::min(changedRegion.top, region.top);
        changedRegion.right = std::max(changedRegion.right, region.right);
        changedRegion.bottom = std::max(changedRegion.bottom, region.bottom);
    }
    void ReportWholeChange() { changeReported = wholeChanged = true; }
    // Only the reported region needs blending again.
    bool RegionOnly() const { return changeReported && !wholeChanged; }
};

// What a tool shows over the picture while it works (picture pixels, rows top-down).
struct ToolOverlay {
    enum class Shape { None, Rectangle, Line, Polyline, Polygon, Circle };
    Shape shape = Shape::None;
    std::vector<std::pair<int, int>> points;  // Circle: the centre, then a point on the circle
};

// The pointer's shape over the picture while a tool is current; Default is the
// cursor the environment chose.
enum class ToolCursor { Default, Move, SizeHorizontal, SizeVertical, SizeDiagonal, SizeAntiDiagonal };

class ViewTool {
public:
    virtual ~ViewTool() = default;
    // Each returns true when the picture changed and the view must repaint.
    virtual bool Press(ToolContext& context, const ToolEvent& event) = 0;
    virtual bool Move(ToolContext&, const ToolEvent&) { return false; }
    virtual bool Release(ToolContext&, const ToolEvent&) { return false; }
    // A tool without a meaning for a double click takes its second click as another press.
    virtual bool DoubleClick(ToolContext& context, const ToolEvent& event) { return Press(context, event); }
    virtual bool Key(ToolContext&, int /*key*/) { return false; }
    virtual ToolOverlay Overlay() const { return {}; }
    // What the pointer shows at an event's point (asked after each move).
    virtual ToolCursor CursorAt(ToolContext&, const ToolEvent&) { return ToolCursor::Default; }
};

// Maps a tool's command id to its maker.
class ToolRegistry {
public:
    using Factory = std::function<std::unique_ptr<ViewTool>()>;
    static ToolRegistry& Instance();

    void Register(int id, Factory factory) { m_factories[id] = std::move(factory); }
    bool Has(int id) const { return m_factories.count(id) != 0; }
    std::unique_ptr<ViewTool> Create(int id) const;

private:
    std::map<int, Factory> m_factories;
};

// The mapping of a client point for the tools (pictureRect must be current). In
// fit-to-window mode the picture pixel follows each axis' own scale.
ToolEvent MakeToolEvent(const ViewState& view, int pictureWidth, int pictureHeight, int windowX, int windowY);

}  // namespace quillory
