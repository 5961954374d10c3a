#include "document/SelectionEditing.h"

#include <algorithm>
#include <cstdlib>
#include <new>

#include "core/CommandIds.h"
#include "core/Platform.h"
#include "document/CVandDoc.h"
#include "document/CommandRegistry.h"
#include "document/DocumentTexts.h"
#include "document/LayerPlanes.h"
#include "document/ToolTexts.h"
#include "processing/LineStepping.h"
#include "processing/PixelAccess.h"

namespace quillory {

namespace {

bool MaskFits(const SelectionMask& s) {
    return s.width > 0 && s.height > 0 && s.mask.size() == size_t(s.width) * size_t(s.height);
}

bool InMask(const SelectionMask& s, int x, int row) { return x >= 0 && row >= 0 && x < s.width && row < s.height; }

uint8_t& MaskAt(SelectionMask& s, int x, int row) { return s.mask[size_t(row) * size_t(s.width) + size_t(x)]; }

LayerPoint Held(const SelectionMask& s, LayerPoint p) {
    return LayerPoint{std::clamp(p.x, 0, std::max(0, s.width - 1)), std::clamp(p.row, 0, std::max(0, s.height - 1))};
}

void Activate(SelectionMask& s) {
    s.selectionActive = 1;
    s.suspended = 0;
}

}  // namespace

bool ImageToLayer(const CVandDoc& document, int imageX, int imageY, LayerPoint& out) {
    const int cur = document.CurrentLayer();
    if (!document.IsLayerInList(cur)) return false;
    const LayerRecord& layer = document.Layer(cur);
    const CanvasRect rect = LayerCanvasRect(layer, document.Header());
    out.x = imageX - rect.left;
    out.row = layer.height - 1 - (imageY - rect.top);
    return true;
}

MaskLookup::MaskLookup(const SelectionMask& selection, int layerX, int layerY) : m_selection(selection) {
    m_everything = !selection.ActiveOrSuspended() || !MaskFits(selection);
    // Mask column i lies on canvas column i + selection.x; layer column c on c + layer x. Rows likewise, from the bottom, with − y.
    m_dx = layerX - selection.x;
    m_dy = selection.y - layerY;
}

uint8_t MaskLookup::At(int x, int row) const {
    if (m_everything) return MaskValue::Inside;
    const int mx = x + m_dx, my = row + m_dy;
    if (!InMask(m_selection, mx, my)) return MaskValue::Outside;
    return m_selection.mask[size_t(my) * size_t(m_selection.width) + size_t(mx)];
}

EdgeSpread::EdgeSpread(const MaskLookup& lookup, int width, int height, int spread)
    : m_width(width), m_height(height), m_spread(spread) {
    if (spread <= 0 || width <= 0 || height <= 0) return;
    const size_t stride = size_t(width) + 1;
    try {
        m_sums.assign(stride * (size_t(height) + 1), 0);
    } catch (const std::bad_alloc&) {
        m_sums.clear();
        return;
    }
    for (int row = 0; row < height; ++row) {
        int32_t line = 0;
        const int32_t* below = m_sums.data() + size_t(row) * stride;
        int32_t* here = m_sums.data() + size_t(row + 1) * stride;
        for (int x = 0; x < width; ++x) {
            line += lookup.At(x, row) == MaskValue::Inside ? 1 : 0;
            here[x + 1] = below[x + 1] + line;
        }
    }
}

int64_t EdgeSpread::Sum(int x0, int row0, int x1, int row1) const {
    x0 = std::clamp(x0, 0, m_width), x1 = std::clamp(x1, 0, m_width);
    row0 = std::clamp(row0, 0, m_height), row1 = std::clamp(row1, 0, m_height);
    if (x1 <= x0 || row1 <= row0) return 0;
    const size_t stride = size_t(m_width) + 1;
    auto at = [&](int x, int row) { return int64_t(m_sums[size_t(row) * stride + size_t(x)]); };
    return at(x1, row1) - at(x0, row1) - at(x1, row0) + at(x0, row0);
}

uint8_t EdgeSpread::Opacity(int x, int row) const {
    if (!Valid()) return 255;
    const int64_t e = m_spread, half = 2 * e * e;
    const int64_t count = Sum(x - m_spread, row - m_spread, x + m_spread, row + m_spread);
    return uint8_t(std::min<int64_t>(255, std::max<int64_t>(0, count - half) * 256 / half));
}

bool ResetMask(CVandDoc& document, uint8_t value) {
    SelectionMask& s = document.State().selection;
    s.selectionActive = 0;
    s.suspended = 0;
    s.filled = 1;
    const int cur = document.CurrentLayer();
    if (!document.IsLayerInList(cur)) return false;
    const LayerRecord& layer = document.Layer(cur);
    try {
        s.mask.assign(size_t(layer.width) * size_t(layer.height), value);
    } catch (const std::bad_alloc&) {
        s.mask.clear();
        s.width = s.height = 0;
        return false;
    }
    s.x = layer.x, s.y = layer.y;
    s.width = layer.width, s.height = layer.height;
    return true;
}

void ClearSelection(CVandDoc& document) {
    ResetMask(document, MaskValue::Inside);
    document.NotifyChanged();
}

bool SelectRectangle(CVandDoc& document, LayerPoint a, LayerPoint b) {
    if (!ResetMask(document, MaskValue::Outside)) return false;
    SelectionMask& s = document.State().selection;
    const int left = std::max(0, std::min(a.x, b.x)), right = std::min(s.width - 1, std::max(a.x, b.x));
    const int bottom = std::max(0, std::min(a.row, b.row)), top = std::min(s.height - 1, std::max(a.row, b.row));
    for (int row = bottom; row <= top; ++row)
        std::fill_n(s.mask.begin() + ptrdiff_t(size_t(row) * size_t(s.width) + size_t(left)), std::max(0, right - left + 1),
                    MaskValue::Inside);
    Activate(s);
    document.NotifyChanged();
    return true;
}

bool BeginOutline(CVandDoc& document) { return ResetMask(document, MaskValue::Outside); }

void AddOutlineSegment(CVandDoc& document, LayerPoint from, LayerPoint to) {
    SelectionMask& s = document.State().selection;
    if (!MaskFits(s)) return;
    from = Held(s, from), to = Held(s, to);
    StepLine(from.x, from.row, to.x, to.row, [&](int x, int row) { MaskAt(s, x, row) = MaskValue::Outline; });
}

bool FinishOutline(CVandDoc& document, LayerPoint last, LayerPoint first) {
    SelectionMask& s = document.State().selection;
    if (!MaskFits(s)) return false;
    AddOutlineSegment(document, last, first);
    Activate(s);
    s.filled = 0;
    document.NotifyChanged();
    return true;
}

void FillClosedOutline(SelectionMask& s) {
    s.filled = 1;
    if (!MaskFits(s)) return;
    const int w = s.width, h = s.height;
    // Everything the outside reaches without crossing the outline is outside; the rest is inside.
    std::vector<uint8_t>& m = s.mask;
    constexpr uint8_t kReached = 3;
    for (uint8_t& v : m) v = v == MaskValue::Outline ? MaskValue::Outline : MaskValue::Outside;
    std::vector<int32_t> stack;
    auto push = [&](int x, int row) {
        uint8_t& v = m[size_t(row) * size_t(w) + size_t(x)];
        if (v != MaskValue::Outside) return;
        v = kReached;
        stack.push_back(int32_t(row) * w + x);
    };
    for (int x = 0; x < w; ++x) push(x, 0), push(x, h - 1);
    for (int row = 0; row < h; ++row) push(0, row), push(w - 1, row);
    while (!stack.empty()) {
        const int32_t at = stack.back();
        stack.pop_back();
        const int x = at % w, row = at / w;
        if (x > 0) push(x - 1, row);
        if (x + 1 < w) push(x + 1, row);
        if (row > 0) push(x, row - 1);
        if (row + 1 < h) push(x, row + 1);
    }
    for (uint8_t& v : m) v = v == kReached ? MaskValue::Outside : MaskValue::Inside;
}

bool SettleSelection(CVandDoc& document) {
    SelectionMask& s = document.State().selection;
    if (s.filled || !s.ActiveOrSuspended()) return false;
    FillClosedOutline(s);
    document.NotifyChanged();
    return true;
}

bool SelectPolygon(CVandDoc& document, const std::vector<LayerPoint>& points) {
    if (points.size() < 3) return false;
    if (!BeginOutline(document)) return false;
    for (size_t i = 1; i < points.size(); ++i) AddOutlineSegment(document, points[i - 1], points[i]);
    if (!FinishOutline(document, points.back(), points.front())) return false;
    return SettleSelection(document);
}

bool MagicWand(CVandDoc& document, LayerPoint at, int tolerance, bool add) {
    const int cur = document.CurrentLayer();
    if (!document.IsLayerInList(cur)) return false;
    const LayerRecord& layer = document.Layer(cur);
    if (layer.kind == LayerKind::Text) {
        CurrentPlatform().ShowMessage(texts::kTextLayerIsCurrent, MessageKind::Warning);
        return false;
    }
    const int w = layer.width, h = layer.height;
    if (at.x < 0 || at.row < 0 || at.x >= w || at.row >= h) return false;
    Planes planes;
    if (!CopyLayerPlanes(layer, document.Header(), planes)) return false;
    SelectionMask& s = document.State().selection;
    // Adding keeps an active selection made over this layer; anything else starts empty.
    const bool keep = add && s.ActiveOrSuspended() && MaskFits(s) && s.width == w && s.height == h &&
                      s.x == layer.x && s.y == layer.y;
    if (keep) {
        if (!s.filled) FillClosedOutline(s);
        for (uint8_t& v : s.mask)
            if (v == MaskValue::Outline) v = MaskValue::Inside;
    } else if (!ResetMask(document, MaskValue::Outside)) {
        return false;
    }
    const PaletteRef palette = PaletteOf(document.Header());
    auto colourAt = [&](int x, int row) {
        int bgr[3];
        ColourAt(planes, palette, x, row, bgr);
        return RGBQUAD{uint8_t(bgr[0]), uint8_t(bgr[1]), uint8_t(bgr[2]), 0};
    };
    const RGBQUAD seed = colourAt(at.x, at.row);
    std::vector<int32_t> stack;
    MaskAt(s, at.x, at.row) = MaskValue::Inside;
    stack.push_back(int32_t(at.row) * w + at.x);
    auto visit = [&](int x, int row) {
        const size_t i = size_t(row) * size_t(w) + size_t(x);
        if (s.mask[i] != MaskValue::Outside || planes.alpha[i] == 0) return;
        const RGBQUAD c = colourAt(x, row);
        const int d = std::abs(c.red - seed.red) + std::abs(c.green - seed.green) + std::abs(c.blue - seed.blue);
        if (d >= tolerance) return;
        s.mask[i] = MaskValue::Inside;
        stack.push_back(int32_t(row) * w + x);
    };
    while (!stack.empty()) {
        const int32_t p = stack.back();
        stack.pop_back();
        const int x = p % w, row = p / w;
        if (row + 1 < h) visit(x, row + 1);
        if (x > 0) visit(x - 1, row);
        if (x + 1 < w) visit(x + 1, row);
        if (row > 0) visit(x, row - 1);
    }
    Activate(s);
    s.filled = 1;
    document.NotifyChanged();
    return true;
}

bool InvertSelection(CVandDoc& document) {
    SelectionMask& s = document.State().selection;
    if (!s.ActiveOrSuspended() || !MaskFits(s)) return false;
    if (!s.filled) FillClosedOutline(s);
    for (uint8_t& v : s.mask) v = v == MaskValue::Outside ? MaskValue::Inside : MaskValue::Outside;
    document.NotifyChanged();
    return true;
}

bool SelectAll(CVandDoc& document) {
    const DocumentHeader& header = document.Header();
    if (header.width <= 0 || header.height <= 0) return false;
    LayerPoint topLeft, bottomRight;
    if (!ImageToLayer(document, 0, 0, topLeft) ||
        !ImageToLayer(document, header.width - 1, header.height - 1, bottomRight))
        return false;
    // A floating selection lands first, as a new rectangle does.
    if (document.State().floatingPending) document.DropFloatingSelection();
    return SelectRectangle(document, topLeft, bottomRight);
}

void RegisterSelectionCommands(CommandRegistry& registry) {
    registry.Register(cmd::kSelectInvert, texts::kCmdInvertSelection,
                      [](CVandDoc& d, const CommandParameters&) {
                          if (!d.State().selection.ActiveOrSuspended()) d.SetLastError(texts::kNoSelection);
                          return InvertSelection(d);
                      });
    registry.Register(cmd::kSelectAll, texts::kCmdSelectAll,
                      [](CVandDoc& d, const CommandParameters&) { return SelectAll(d); });
    registry.Register(cmd::kDeselect, texts::kCmdDeselect, [](CVandDoc& d, const CommandParameters&) {
        // A floating selection lands where it was moved before the selection goes.
        if (d.State().floatingPending) d.DropFloatingSelection();
        ClearSelection(d);
        return true;
    });
}

}  // namespace quillory
