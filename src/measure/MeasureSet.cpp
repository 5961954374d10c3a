#include "measure/MeasureSet.h"

#include <algorithm>
#include <cstdio>

#include "core/Platform.h"
#include "document/LayerPlanes.h"
#include "document/SnapshotSlots.h"
#include "document/Utf16.h"
#include "measure/MeasureTexts.h"

namespace quillory {

namespace {

int64_t SquaredDistance(int x, int y, const MeasurePoint& p) {
    const int64_t dx = int64_t(x) - p.x, dy = int64_t(y) - p.y;
    return dx * dx + dy * dy;
}

// The number of points an object of a kind takes from the scratch lists, and where from.
const std::vector<MeasurePoint>* ScratchPointsOf(MeasureKind kind, const MeasureScratch& s) {
    switch (kind) {
        case MeasureKind::Angle:
        case MeasureKind::Ellipse: return &s.three;
        case MeasureKind::Polyline:
        case MeasureKind::Polygon: return &s.poly;
        case MeasureKind::Curve:
        case MeasureKind::CurveArea: return &s.curvePoints;
        default: return &s.shape;
    }
}

size_t MinimumPoints(MeasureKind kind) {
    switch (kind) {
        case MeasureKind::Segment:
        case MeasureKind::Circle:
        case MeasureKind::Polyline:
        case MeasureKind::Curve: return 2;
        case MeasureKind::Angle:
        case MeasureKind::Polygon:
        case MeasureKind::Text:
        case MeasureKind::Ellipse:
        case MeasureKind::CurveArea: return 3;
        case MeasureKind::Rectangle: return 4;
        default: return 1;
    }
}

// Fixed figures take their own number of points; polylines, polygons and curves take all.
size_t PointsTaken(MeasureKind kind, size_t available) {
    switch (kind) {
        case MeasureKind::Polyline:
        case MeasureKind::Polygon:
        case MeasureKind::Curve:
        case MeasureKind::CurveArea: return available;
        default: return std::min(available, MinimumPoints(kind));
    }
}

}  // namespace

std::vector<uint8_t> PackedPlanes::Pack(const std::vector<uint8_t>& bytes) {
    std::vector<uint8_t> packed;
    for (size_t i = 0; i < bytes.size();) {
        const uint8_t value = bytes[i];
        size_t run = 1;
        while (run < 255 && i + run < bytes.size() && bytes[i + run] == value) ++run;
        packed.push_back(uint8_t(run));
        packed.push_back(value);
        i += run;
    }
    return packed;
}

bool PackedPlanes::Unpack(const std::vector<uint8_t>& packed, size_t bytes, std::vector<uint8_t>& out) {
    out.clear();
    out.reserve(bytes);
    for (size_t i = 0; i + 1 < packed.size(); i += 2) out.insert(out.end(), packed[i], packed[i + 1]);
    return out.size() == bytes;
}

MeasureSet::MeasureSet(CVandDoc& document) : m_document(document) { m_objects.resize(kMaxMeasureObjects); }

int MeasureSet::LiveObjects() const {
    int live = 0;
    for (int i = 0; i < m_objectCount; ++i) live += m_objects[size_t(i)].valid ? 1 : 0;
    return live;
}

void MeasureSet::Changed() {
    m_document.SetModified(true);
    Commit();
}

void MeasureSet::Commit() {
    // The figures are part of the layer as it stands: previews and adjustments start again
    // from the committed copy, which would otherwise still be the layer before them.
    if (LayerRecord* layer = BoundLayer()) m_document.Snapshots().Save(SnapshotSlot::A, m_document.Header(), *layer, m_layer);
}

int MeasureSet::MeasureLayerIndex() const {
    const LayerStack& stack = m_document.Stack();
    const int current = stack.currentLayer;
    if (stack.IsLayerInList(current) && stack.Layer(current).kind == LayerKind::Measure) return current;
    int found = -1, guard = 0;
    for (int i = stack.headLayer; LayerStack::IsValidIndex(i) && guard < kMaxLayers; i = stack.Layer(i).next, ++guard)
        if (stack.Layer(i).kind == LayerKind::Measure) found = i;
    return found;
}

bool MeasureSet::ActivateMeasureLayer(bool create) {
    LayerStack& stack = m_document.Stack();
    int layer = MeasureLayerIndex();
    if (layer < 0) {
        if (!create || !LayerStack::IsValidIndex(stack.headLayer)) return false;
        const int slot = stack.InsertLayer(stack.TopLayer());
        if (slot < 0) return false;
        LayerRecord& record = stack.Layer(slot);
        record.kind = LayerKind::Measure;
        SetFixedName(record.name, Utf8ToUtf16(mtexts::kMeasureLayerName));
        m_document.RecordStep(mtexts::kStepAddMeasureLayer, StepCode::LayerAdded, slot);
        layer = slot;
    }
    if (stack.currentLayer != layer && !m_document.SelectLayer(layer)) return false;
    // A new or changed layer gets every figure drawn on it.
    if (Bind(layer) && LiveObjects() > 0) RedrawAll();
    return Bound();
}

bool MeasureSet::PrepareLayer(bool create) {
    LayerStack& stack = m_document.Stack();
    int layer = MeasureLayerIndex();
    if (layer < 0 && create && LayerStack::IsValidIndex(stack.headLayer)) {
        layer = stack.InsertLayer(stack.TopLayer());
        if (layer < 0) return false;
        stack.Layer(layer).kind = LayerKind::Measure;
        SetFixedName(stack.Layer(layer).name, Utf8ToUtf16(mtexts::kMeasureLayerName));
    }
    if (layer < 0) return false;
    Bind(layer);
    return Bound();
}

void MeasureSet::Reset() {
    for (MeasureObject& object : m_objects) object = MeasureObject{};
    m_objectCount = m_redoLimit = 0;
    m_selected = m_previousSelected = -1;
    markCounter = 1;
    scratch = MeasureScratch{};
    tool = MeasureToolMemory{};
    pickedReference = false;
    m_layer = -1;
    m_cover.clear();
    m_touch.clear();
    m_preview.Clear();
    DropEditSnapshot();
    for (PackedPlanes& slot : m_slots) slot = PackedPlanes{};
}

bool MeasureSet::Bind(int layer) {
    const LayerStack& stack = m_document.Stack();
    if (!stack.IsLayerInList(layer) || stack.Layer(layer).kind != LayerKind::Measure) {
        m_layer = -1;
        return false;
    }
    const LayerRecord& record = stack.Layer(layer);
    const size_t plane = size_t(std::max(0, record.width)) * size_t(std::max(0, record.height));
    if (layer == m_layer && record.width == m_layerWidth && record.height == m_layerHeight &&
        m_cover.size() == plane && record.alpha.size() == plane)
        return false;
    m_layer = layer;
    m_layerWidth = record.width;
    m_layerHeight = record.height;
    m_cover.assign(plane, 0);
    m_touch.assign(plane, 0);
    m_preview.Clear();
    m_selected = -1;
    DropEditSnapshot();
    for (PackedPlanes& slot : m_slots) slot = PackedPlanes{};
    return true;
}

bool MeasureSet::Bound() const {
    const LayerStack& stack = m_document.Stack();
    if (!stack.IsLayerInList(m_layer)) return false;
    const LayerRecord& record = stack.Layer(m_layer);
    return record.kind == LayerKind::Measure && record.width == m_layerWidth && record.height == m_layerHeight &&
           record.alpha.size() == m_cover.size() && m_touch.size() == m_cover.size();
}

LayerRecord* MeasureSet::BoundLayer() { return Bound() ? &m_document.Layer(m_layer) : nullptr; }

MeasureCanvas MeasureSet::Canvas() {
    static LayerRecord none;
    static std::vector<uint8_t> noTouch;
    LayerRecord* layer = BoundLayer();
    if (!layer) return MeasureCanvas(none, 0, 0, noTouch);
    const DocumentHeader& header = m_document.Header();
    return MeasureCanvas(*layer, PictureWidth(), PictureHeight(), m_touch, header.bitsPerPixel, PaletteOf(header));
}

MeasureCanvas MeasureSet::PreviewCanvas() {
    MeasureCanvas canvas = Canvas();
    canvas.LogInto(&m_preview, &m_cover);
    return canvas;
}

void MeasureSet::RestorePreview() {
    if (BoundLayer()) Canvas().PutBack(m_preview, m_cover);
    m_preview.Clear();
}

void MeasureSet::ClearTouch() { std::fill(m_touch.begin(), m_touch.end(), uint8_t(0)); }

void MeasureSet::CountTouched() {
    for (size_t i = 0; i < m_touch.size() && i < m_cover.size(); ++i)
        if (m_touch[i] && m_cover[i] < 255) ++m_cover[i];
}

bool MeasureSet::AddMeasureObject(std::string_view kind, const MeasureValues& values, const std::string& text,
                                  int32_t textExtra1, int32_t textExtra2) {
    if (m_objectCount >= kMaxMeasureObjects) {
        char message[256];
        std::snprintf(message, sizeof message, mtexts::kTooManyObjects, kMaxMeasureObjects);
        CurrentPlatform().ShowMessage(message, MessageKind::Warning);
        return false;
    }
    const MeasureKind k = KindOfName(kind);
    if (k == MeasureKind::Unknown) return false;
    const std::vector<MeasurePoint>& points = *ScratchPointsOf(k, scratch);
    if (points.size() < MinimumPoints(k)) return false;

    MeasureObject& object = m_objects[size_t(m_objectCount)];
    object = MeasureObject{};
    object.valid = 1;
    object.kind = std::string(kind);
    object.text = k == MeasureKind::Text ? text : std::string();
    object.length = values.length;
    object.area = values.area;
    object.angle = values.angle;
    object.radius = values.radius;
    object.diameter = values.diameter;
    const size_t keep = PointsTaken(k, points.size());
    object.points.assign(points.begin(), points.begin() + long(keep));
    if (IsCurveKind(k)) {
        object.curvePoints = scratch.curvePoints;
        object.curveHandles1 = scratch.curveHandles1;
        object.curveHandles2 = scratch.curveHandles2;
        object.curveHandles1.resize(object.points.size());
        object.curveHandles2.resize(object.points.size());
    }
    object.markNumber = k == MeasureKind::PointMark ? scratch.markNumber : 0;
    object.textExtra1 = textExtra1;
    object.textExtra2 = textExtra2;

    // At 5, 10, ..., 50 objects the layer is kept aside.
    if (m_objectCount >= 5 && m_objectCount <= 5 * kMeasureSnapshotSlots && m_objectCount % 5 == 0) {
        if (LayerRecord* layer = BoundLayer()) {
            PackedPlanes& slot = m_slots[size_t(m_objectCount / 5 - 1)];
            slot.pixels = PackedPlanes::Pack(layer->pixels);
            slot.alpha = PackedPlanes::Pack(layer->alpha);
            slot.pixelBytes = layer->pixels.size();
            slot.alphaBytes = layer->alpha.size();
            slot.filled = true;
        }
    }
    m_previousSelected = m_selected;
    m_selected = -1;
    DropEditSnapshot();
    ++m_objectCount;
    m_redoLimit = m_objectCount;  // objects that had been undone are gone
    CountTouched();
    Changed();
    return true;
}

bool MeasureSet::RedrawMeasureObject(int index, bool forceSelected) {
    if (index < 0 || index >= m_objectCount) return false;
    MeasureObject& object = m_objects[size_t(index)];
    if (!object.valid || object.points.empty()) return false;
    const FigureValues values = ComputeFigure(object, Settings(), PictureWidth(), PictureHeight());
    MeasureCanvas canvas = Canvas();
    FigureStyle style;
    style.selected = forceSelected || index == m_selected;
    DrawFigure(canvas, Settings(), object, values, style);
    switch (object.Kind()) {
        case MeasureKind::Segment:
        case MeasureKind::Polyline: object.length = values.valid ? values.length : -1; break;
        case MeasureKind::Rectangle: object.area = values.valid ? values.area : -1; break;
        case MeasureKind::Polygon: object.area = values.area; break;
        case MeasureKind::Circle:
            object.radius = values.valid ? values.radius : -1;
            object.diameter = values.valid ? values.diameter : -1;
            break;
        case MeasureKind::Angle: object.angle = values.angle; break;
        case MeasureKind::Ellipse:
            object.diameter = values.diameter;
            object.radius = values.radius;
            break;
        default: break;
    }
    return true;
}

MeasureHit MeasureSet::HitTestMeasure(int x, int y, bool selectedOnly) const {
    MeasureHit best;
    const LayerStack& stack = m_document.Stack();
    const int current = stack.currentLayer;
    if (!stack.IsLayerInList(current) || stack.Layer(current).kind != LayerKind::Measure) return best;
    int64_t bestDistance = 9999999;
    auto consider = [&](int64_t distance, int object, int point, int handle) {
        // Only a strictly nearer candidate wins, so the first object and point keep a tie.
        if (distance >= bestDistance) return;
        bestDistance = distance;
        best = MeasureHit{distance, object, point, handle};
    };
    for (int i = 0; i < m_objectCount; ++i) {
        if (selectedOnly && i != m_selected) continue;
        const MeasureObject& object = m_objects[size_t(i)];
        if (!object.valid) continue;
        for (size_t p = 0; p < object.points.size(); ++p)
            consider(SquaredDistance(x, y, object.points[p]), i, int(p), -1);
        if (object.Kind() == MeasureKind::Text && object.points.size() >= 3) {
            const MeasurePoint tl = object.points[1], br = object.points[2];
            const int quarter = (br.x - tl.x) / 4;
            if (x >= tl.x + quarter && x <= br.x - quarter && y >= tl.y && y <= br.y)
                consider(0, i, kTextBoxPoint, -1);
        }
        if (IsCurveKind(object.Kind())) {
            for (size_t p = 0; p < object.curvePoints.size(); ++p) {
                consider(SquaredDistance(x, y, object.curvePoints[p]), i, int(p), -1);
                if (p < object.curveHandles1.size() && object.curveHandles1[p].x > 0)
                    consider(SquaredDistance(x, y, object.curveHandles1[p]), i, int(p), 1);
                if (p < object.curveHandles2.size() && object.curveHandles2[p].x > 0)
                    consider(SquaredDistance(x, y, object.curveHandles2[p]), i, int(p), 2);
            }
        }
    }
    return best;
}

void MeasureSet::TakeEditSnapshot() {
    LayerRecord* layer = BoundLayer();
    if (!layer) return;
    m_edit.pixels = layer->pixels;
    m_edit.alpha = layer->alpha;
    m_edit.cover = m_cover;
    m_edit.filled = true;
}

void MeasureSet::RestoreEditSnapshot() {
    LayerRecord* layer = BoundLayer();
    if (!layer || !m_edit.filled || m_edit.pixels.size() != layer->pixels.size() ||
        m_edit.alpha.size() != layer->alpha.size() || m_edit.cover.size() != m_cover.size())
        return;
    std::copy(m_edit.pixels.begin(), m_edit.pixels.end(), layer->pixels.begin());
    std::copy(m_edit.alpha.begin(), m_edit.alpha.end(), layer->alpha.begin());
    m_cover = m_edit.cover;
}

void MeasureSet::DropEditSnapshot() {
    m_edit = EditSnapshot{};
}

bool MeasureSet::Select(int index) {
    if (index == m_selected) return index >= 0;
    EndSelectionEdit();
    if (index < 0 || index >= m_objectCount || !m_objects[size_t(index)].valid) return false;
    LayerRecord* layer = BoundLayer();
    if (!layer) return false;
    // Lift the object out: draw it alone to learn its pixels, put the pixels back and
    // give up its share of the coverage; pixels no other figure covers become empty.
    const std::vector<uint8_t> pixels = layer->pixels, alpha = layer->alpha;
    ClearTouch();
    RedrawMeasureObject(index, false);
    for (size_t i = 0; i < m_touch.size(); ++i) {
        if (!m_touch[i]) continue;
        if (m_cover[i] > 0) --m_cover[i];
    }
    std::copy(pixels.begin(), pixels.end(), layer->pixels.begin());
    std::copy(alpha.begin(), alpha.end(), layer->alpha.begin());
    for (size_t i = 0; i < m_touch.size(); ++i)
        if (m_touch[i] && m_cover[i] == 0) layer->alpha[i] = 0;
    TakeEditSnapshot();
    m_previousSelected = m_selected;
    m_selected = index;
    ClearTouch();
    RedrawMeasureObject(index, true);
    return true;
}

void MeasureSet::EndSelectionEdit() {
    if (m_selected < 0) return;
    const int index = m_selected;
    RestoreEditSnapshot();
    m_previousSelected = index;
    m_selected = -1;
    DropEditSnapshot();
    ClearTouch();
    if (RedrawMeasureObject(index, false)) CountTouched();
    Changed();
}

bool MeasureSet::MoveSelectedPoint(int point, MeasurePoint to, MeasurePoint from) {
    if (m_selected < 0) return false;
    MeasureObject& object = m_objects[size_t(m_selected)];
    std::vector<MeasurePoint>& pts = object.points;
    to.x = std::clamp(to.x, 0, std::max(0, PictureWidth() - 1));
    to.y = std::clamp(to.y, 0, std::max(0, PictureHeight() - 1));
    if (point == kTextBoxPoint && object.Kind() == MeasureKind::Text) {
        const int dx = to.x - from.x, dy = to.y - from.y;
        for (MeasurePoint& p : pts) p.x += dx, p.y += dy;
    } else if (object.Kind() == MeasureKind::Rectangle && point >= 0 && point < int(pts.size()) && pts.size() == 4) {
        // A corner takes its two neighbours along, so the figure stays a rectangle.
        const MeasurePoint old = pts[size_t(point)];
        for (MeasurePoint& p : pts) {
            if (p.x == old.x) p.x = to.x;
            if (p.y == old.y) p.y = to.y;
        }
    } else if (point >= 0 && point < int(pts.size())) {
        pts[size_t(point)] = to;
        if (IsCurveKind(object.Kind()) && size_t(point) < object.curvePoints.size())
            object.curvePoints[size_t(point)] = to;
    } else {
        return false;
    }
    RestoreEditSnapshot();
    ClearTouch();
    RedrawMeasureObject(m_selected, true);
    Changed();
    return true;
}

bool MeasureSet::EraseSelected() {
    if (m_selected < 0) {
        CurrentPlatform().ShowMessage(mtexts::kSelectToEraseFirst, MessageKind::Information);
        return false;
    }
    const int index = m_selected;
    RestoreEditSnapshot();  // the object was lifted out when it was selected
    m_objects[size_t(index)].valid = 0;
    m_previousSelected = index;
    m_selected = -1;
    DropEditSnapshot();
    Changed();
    return true;
}

bool MeasureSet::AddVertex(MeasurePoint at) {
    if (m_selected < 0) {
        CurrentPlatform().ShowMessage(mtexts::kSelectTargetFirst, MessageKind::Information);
        return false;
    }
    MeasureObject& object = m_objects[size_t(m_selected)];
    const bool closed = object.Kind() == MeasureKind::Polygon;
    if ((!closed && object.Kind() != MeasureKind::Polyline) || object.points.size() < 2 ||
        object.points.size() >= size_t(kMaxPolyPoints))
        return false;
    std::vector<MeasurePoint>& pts = object.points;
    const int n = int(pts.size());
    int nearest = 0;
    for (int i = 1; i < n; ++i)
        if (SquaredDistance(at.x, at.y, pts[size_t(i)]) < SquaredDistance(at.x, at.y, pts[size_t(nearest)]))
            nearest = i;
    // The nearer of its two neighbours (a polygon's wrap around); the new point goes between.
    const int before = closed ? (nearest + n - 1) % n : nearest - 1;
    const int after = closed ? (nearest + 1) % n : nearest + 1;
    int insertAt;
    if (before < 0) {
        insertAt = 1;
    } else if (after >= n) {
        insertAt = nearest;
    } else {
        const bool afterNearer =
            SquaredDistance(at.x, at.y, pts[size_t(after)]) < SquaredDistance(at.x, at.y, pts[size_t(before)]);
        insertAt = afterNearer ? nearest + 1 : nearest;
        if (closed && !afterNearer && nearest == 0) insertAt = n;  // between the last and the first
    }
    pts.insert(pts.begin() + insertAt, at);
    RestoreEditSnapshot();
    ClearTouch();
    RedrawMeasureObject(m_selected, true);
    Changed();
    return true;
}

bool MeasureSet::RemoveVertex(MeasurePoint at) {
    if (m_selected < 0) {
        CurrentPlatform().ShowMessage(mtexts::kSelectTargetFirst, MessageKind::Information);
        return false;
    }
    MeasureObject& object = m_objects[size_t(m_selected)];
    const MeasureKind kind = object.Kind();
    if (kind != MeasureKind::Polygon && kind != MeasureKind::Polyline) return false;
    std::vector<MeasurePoint>& pts = object.points;
    int nearest = -1;
    for (int i = 0; i < int(pts.size()); ++i)
        if (nearest < 0 || SquaredDistance(at.x, at.y, pts[size_t(i)]) < SquaredDistance(at.x, at.y, pts[size_t(nearest)]))
            nearest = i;
    if (nearest < 0 || SquaredDistance(at.x, at.y, pts[size_t(nearest)]) > kRemoveVertexDistance) return false;
    // A figure keeps the points its kind needs.
    if (pts.size() <= MinimumPoints(kind)) return false;
    pts.erase(pts.begin() + nearest);
    RestoreEditSnapshot();
    ClearTouch();
    RedrawMeasureObject(m_selected, true);
    Changed();
    return true;
}

bool MeasureSet::CanUndo() const {
    for (int i = m_objectCount - 1; i >= 0; --i)
        if (m_objects[size_t(i)].valid) return true;
    return false;
}

bool MeasureSet::Undo() {
    int last = m_objectCount - 1;
    while (last >= 0 && !m_objects[size_t(last)].valid) --last;
    if (last < 0 || !Bound()) return false;
    if (!Select(last)) return false;
    RestoreEditSnapshot();
    m_previousSelected = last;
    m_selected = -1;
    DropEditSnapshot();
    m_objectCount = last;
    Changed();
    return true;
}

bool MeasureSet::Redo() {
    if (!CanRedo() || !Bound()) return false;
    EndSelectionEdit();
    int next = m_objectCount;
    while (next < m_redoLimit && !m_objects[size_t(next)].valid) ++next;
    if (next >= m_redoLimit) {
        m_objectCount = m_redoLimit;
        return false;
    }
    m_objectCount = next + 1;
    ClearTouch();
    RedrawMeasureObject(next, false);
    CountTouched();
    Changed();
    return true;
}

bool MeasureSet::RedrawAll() {
    const int layer = MeasureLayerIndex();
    if (layer < 0) return false;
    Bind(layer);
    LayerRecord* record = BoundLayer();
    if (!record) return false;
    WaitCursor wait;
    m_preview.Clear();  // the cleared opacity takes any preview with it
    std::fill(record->alpha.begin(), record->alpha.end(), uint8_t(0));
    std::fill(m_cover.begin(), m_cover.end(), uint8_t(0));
    DropEditSnapshot();
    m_selected = -1;
    for (int i = 0; i < m_objectCount; ++i) {
        if (!m_objects[size_t(i)].valid) continue;
        ClearTouch();
        if (RedrawMeasureObject(i, false)) CountTouched();
    }
    record->changed = 1;
    Commit();
    return true;
}

void MeasureSet::HistoryMoved() {
    // The layers came back as the history kept them; the figures follow the objects.
    // A layer that was never measured on keeps whatever pixels it holds.
    m_layer = -1;
    if (m_redoLimit > 0 && MeasureLayerIndex() >= 0) RedrawAll();
}

MeasureSet& MeasuresOf(CVandDoc& document) {
    if (auto* set = dynamic_cast<MeasureSet*>(document.Measures())) return *set;
    document.AttachMeasures(std::make_unique<MeasureSet>(document));
    return static_cast<MeasureSet&>(*document.Measures());
}

const MeasureSet* FindMeasures(const CVandDoc& document) {
    return dynamic_cast<const MeasureSet*>(document.Measures());
}

}  // namespace quillory
