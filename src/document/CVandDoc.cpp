#include "document/CVandDoc.h"

#include <new>
#include <utility>
#include <vector>

#include "core/Platform.h"
#include "document/ClipboardCommands.h"
#include "document/DocumentIO.h"
#include "document/DocumentTexts.h"
#include "document/LayerTransfer.h"
#include "document/ShadowEffect.h"
#include "document/SnapshotSlots.h"
#include "document/UndoHistory.h"
#include "document/Utf16.h"

namespace quillory {

namespace {

// Merging and flattening keep what the view shows: a visible layer whose shadow
// is on (and no selection shown) is blended with its shadow laid in. Returns the
// layers as they were, for a failed blend to put back.
std::vector<std::pair<int, LayerRecord>> LayInShadows(LayerStack& stack, const DocumentHeader& header, int first,
                                                      int count, bool selectionActive) {
    std::vector<std::pair<int, LayerRecord>> plain;
    if (selectionActive) return plain;
    int walked = 0;
    for (int i = first; LayerStack::IsValidIndex(i) && walked < kMaxLayers; i = stack.Layer(i).next) {
        if (count > 0 && walked >= count) break;
        ++walked;
        LayerRecord& layer = stack.Layer(i);
        if (layer.visible != 1 || layer.effectOn != 1 || layer.kind == LayerKind::Text) continue;
        plain.emplace_back(i, layer);
        ApplyShadow(layer, header);
    }
    return plain;
}

void PutBack(LayerStack& stack, std::vector<std::pair<int, LayerRecord>>& plain) {
    for (auto& [slot, layer] : plain) stack.Layer(slot) = std::move(layer);
}

}  // namespace

CVandDoc::CVandDoc()
    : m_stack(m_state),
      m_snapshots(std::make_unique<SnapshotSlots>()),
      m_history(std::make_unique<UndoHistory>(*this, *m_snapshots)) {}

CVandDoc::~CVandDoc() = default;

void CVandDoc::RecordStep(std::string_view name, int code, int layer) {
    if (m_stack.currentLayer == -1) return;
    if (name == texts::kStepOpening || name == "initial state") {
        m_steps.clear();
        m_stepsSinceOpening = 0;
    }
    StepRecord step{std::string(name), code, layer == -1 ? m_stack.currentLayer : layer};
    if (m_steps.size() == kMaxStepRecords) m_steps.erase(m_steps.begin());
    m_steps.push_back(step);
    if (++m_stepsSinceOpening > 1) m_modified = true;
    if (m_stepSink) m_stepSink->StepRecorded(*this, step);
    // The deleted layer's content now belongs to the history.
    if (code == StepCode::LayerDeleted && LayerStack::IsValidIndex(step.layer) && !m_stack.Layer(step.layer).inUse)
        m_stack.Layer(step.layer).FreePlanes();
    NotifyChanged();
}

bool CVandDoc::DeleteLayer(int index, bool recordUndo) {
    if (!m_stack.DeleteLayer(index)) return false;
    if (recordUndo && !m_state.floatingPending) RecordStep(texts::kStepDeleteLayer, StepCode::LayerDeleted, index);
    if (m_state.floatingPending) m_state.selection.selectionActive = 1;
    return true;
}

bool CVandDoc::SelectLayer(int index) {
    if (!m_stack.SelectLayer(index)) return false;
    // The layer chosen before a step is current again when that step is undone.
    m_history->UpdateStepCurrentLayer();
    const LayerRecord& layer = m_stack.Layer(index);
    // Choosing the floating layer while its selection is shown drops it into the layer it was lifted from.
    if (m_state.selection.selectionActive && m_state.floatingPending && LayerStack::IsValidIndex(layer.linkedLayer) &&
        layer.prev == layer.linkedLayer)
        MergePair(layer.linkedLayer, index);
    return true;
}

bool CVandDoc::MoveLayer(int dx, int dy, bool record) {
    if (!m_stack.MoveLayer(m_stack.currentLayer, dx, dy)) return false;
    if (record) RecordLayerMove();
    else NotifyChanged();
    return true;
}

void CVandDoc::RecordLayerMove() {
    // Only the position changed: the step keeps no planes, and undoing it puts the layer back.
    RecordStep(texts::kStepMoveLayer, StepCode::Pixels);
}

bool CVandDoc::ReorderLayers(int a, int b) {
    if (!m_stack.SwapLayers(a, b)) return false;
    RecordStep(texts::kStepReorder, StepCode::Reordered);
    return true;
}

void CVandDoc::SetLayerName(int index, std::string_view utf8Name) {
    m_stack.SetName(index, Utf8ToUtf16(utf8Name));
    // A restore of the committed copy must not bring the old name back.
    if (!LayerStack::IsValidIndex(index)) return;
    m_snapshots->KeepLook(SnapshotSlot::A, index, m_stack.Layer(index));
    m_history->UpdateStepLook(index, m_stack.Layer(index));
}

void CVandDoc::LookChanged(int index) {
    m_snapshots->KeepLook(SnapshotSlot::A, index, m_stack.Layer(index));
    m_history->UpdateStepLook(index, m_stack.Layer(index));
    // No step of its own, yet a change the user would lose by closing without saving.
    m_modified = true;
    NotifyChanged();
}

bool CVandDoc::SetLayerVisible(int index, bool visible) {
    if (!m_stack.IsLayerInList(index)) return false;
    m_stack.SetVisible(index, visible);
    LookChanged(index);
    return true;
}

bool CVandDoc::SetLayerTransparency(int index, uint8_t value) {
    if (!m_stack.IsLayerInList(index)) return false;
    m_stack.SetTransparency(index, value);
    LookChanged(index);
    return true;
}

bool CVandDoc::SetLayerBlendMode(int index, uint8_t blendMode) {
    if (!m_stack.IsLayerInList(index)) return false;
    m_stack.SetBlendMode(index, blendMode);
    LookChanged(index);
    return true;
}

std::string CVandDoc::LayerName(int index) const {
    if (!LayerStack::IsValidIndex(index)) return {};
    return Utf16ToUtf8(FixedName(m_stack.Layer(index).name));
}

std::string CVandDoc::PictureName() const { return Utf16ToUtf8(FixedName(m_state.header.name)); }

bool CVandDoc::AddLayer() {
    // A preview left on the current layer is dropped before the stack changes.
    if (LayerStack::IsValidIndex(m_stack.currentLayer))
        m_snapshots->RestoreCommitted(m_stack.Layer(m_stack.currentLayer), m_stack.currentLayer);
    if (m_stack.InsertLayer(m_stack.currentLayer) < 0) return false;
    RecordStep(texts::kStepAddLayer, StepCode::LayerAdded);
    return true;
}

bool CVandDoc::DeleteCurrentLayer() { return DeleteLayer(m_stack.currentLayer, true); }

bool CVandDoc::MergePair(int lower, int upper) {
    if (m_stack.Layer(lower).kind == LayerKind::Text || m_stack.Layer(upper).kind == LayerKind::Text) {
        CurrentPlatform().ShowMessage(texts::kMergeTextLayer, MessageKind::Warning);
        return false;
    }
    auto plain = LayInShadows(m_stack, m_state.header, lower, 2, m_state.selection.selectionActive);
    if (!Compositor::BlendIntoSlot(m_stack, m_state.header, lower, 2)) {
        PutBack(m_stack, plain);
        return false;
    }
    m_stack.DeleteLayer(upper);
    m_stack.FreeSlot(upper);
    if (!m_stack.SelectLayer(lower)) m_stack.currentLayer = lower;
    if (m_state.floatingPending) {
        // The moved pixels land in their layer: one step, and the selection they came from ends.
        m_state.floatingPending = 0;
        m_state.selection.selectionActive = 0;
        m_state.selection.suspended = 0;
        RecordStep(texts::kStepMoveSelection, StepCode::Pixels, lower);
        return true;
    }
    RecordStep(texts::kStepMerge, StepCode::Merged, lower);
    return true;
}

bool CVandDoc::DropFloatingSelection() {
    if (!m_state.floatingPending) return false;
    int floating = -1;
    for (int i = m_stack.headLayer, guard = 0; LayerStack::IsValidIndex(i) && guard < kMaxLayers;
         i = m_stack.Layer(i).next, ++guard)
        if (m_stack.Layer(i).kind == LayerKind::Floating) floating = i;
    if (floating < 0) {
        m_state.floatingPending = 0;
        return false;
    }
    const int lower = m_stack.Layer(floating).linkedLayer;
    if (!m_stack.IsLayerInList(lower) || m_stack.Layer(floating).prev != lower) {
        // The layer it came from is gone or no longer below it: it stays as an ordinary layer.
        m_stack.Layer(floating).kind = LayerKind::Raster;
        m_state.floatingPending = 0;
        return false;
    }
    m_stack.Layer(floating).visible = 1;
    return MergePair(lower, floating);
}

bool CVandDoc::MergeDown() {
    const int current = m_stack.currentLayer;
    if (!m_stack.IsLayerInList(current) || m_stack.Layer(current).next == -1) return false;
    return MergePair(current, m_stack.Layer(current).next);
}

bool CVandDoc::MergeUp() {
    const int current = m_stack.currentLayer;
    if (!m_stack.IsLayerInList(current) || m_stack.Layer(current).prev == -1) return false;
    return MergePair(m_stack.Layer(current).prev, current);
}

bool CVandDoc::Flatten() {
    const int bottom = m_stack.headLayer;
    if (!LayerStack::IsValidIndex(bottom)) return false;
    auto plain = LayInShadows(m_stack, m_state.header, bottom, -1, m_state.selection.selectionActive);
    if (!Compositor::BlendIntoSlot(m_stack, m_state.header, bottom, -1)) {
        PutBack(m_stack, plain);
        return false;
    }
    int next = m_stack.Layer(bottom).next;
    for (int steps = 0; LayerStack::IsValidIndex(next) && steps < kMaxLayers; ++steps) {
        const int above = m_stack.Layer(next).next;
        m_stack.FreeSlot(next);
        m_stack.Layer(next).prev = m_stack.Layer(next).next = -1;
        next = above;
    }
    LayerRecord& layer = m_stack.Layer(bottom);
    layer.next = -1;
    // The result holds every visible layer; a hidden bottom slot must not hide it.
    layer.visible = 1;
    m_stack.currentLayer = bottom;
    // The flattened picture is the step's state: the selection ends before it is recorded.
    m_state.selection.selectionActive = 0;
    m_state.selection.suspended = 0;
    RecordStep(texts::kStepFlatten, StepCode::Flattened, bottom);
    return true;
}

bool CVandDoc::DuplicateLayer() {
    if (m_state.header.colourCount != 0) {
        CurrentPlatform().ShowMessage(texts::kRgbOnly, MessageKind::Warning);
        return false;
    }
    const int source = m_stack.currentLayer;
    if (!m_stack.IsLayerInList(source)) return false;
    // The layer, or its selected part, goes out through the clipboard and comes back as a new layer.
    LayerPicture picture;
    if (!CopyToClipboard(*this) || !PictureFromClipboard(picture)) return false;
    const int slot = PasteLayerPicture(*this, picture);
    if (slot < 0) return false;
    const LayerRecord& from = m_stack.Layer(source);
    if (from.kind == LayerKind::Text) {
        // A text layer's copy is a text layer: its settings, text and coverage instead of the picture.
        LayerPlanesRequest text = LayerPlanesRequest::LikeDocument(m_state.header, slot);
        text.layerWidth = from.width;
        text.layerHeight = from.height;
        text.changed = 1;
        text.kind = LayerKind::Text;
        if (!m_stack.CreateLayerPlanes(text)) {
            m_stack.DeleteLayer(slot);
            m_stack.FreeSlot(slot);
            return false;
        }
        LayerRecord& copy = m_stack.Layer(slot);
        if (copy.alpha.size() == from.alpha.size()) copy.alpha = from.alpha;
        copy.textColour = from.textColour;
        copy.textLength = from.textLength;
        copy.textX = from.textX;
        copy.textY = from.textY;
        copy.textSize = from.textSize;
        std::copy(std::begin(from.textFont), std::end(from.textFont), copy.textFont);
        std::copy(std::begin(from.textSettings), std::end(from.textSettings), copy.textSettings);
        copy.text = from.text;
    }
    if (!m_state.floatingPending) RecordStep(texts::kStepPaste, StepCode::LayerPasted, slot);
    return true;
}

bool CVandDoc::TextToRaster() {
    if (!m_stack.TextToRaster(m_stack.currentLayer)) return false;
    // A pixel change like any other; the step also renews the committed copy,
    // which still held the text layer's planes for the next preview to restore.
    RecordStep(texts::kCmdTextTextToRaster, StepCode::Pixels);
    return true;
}

bool CVandDoc::RenameCurrentLayer(std::string_view utf8Name) { return RenameLayer(m_stack.currentLayer, utf8Name); }

bool CVandDoc::RenameLayer(int index, std::string_view utf8Name) {
    if (!m_stack.IsLayerInList(index)) return false;
    m_stack.SetName(index, Utf8ToUtf16(utf8Name));
    LookChanged(index);
    return true;
}

void CVandDoc::Render(TargetBuffer& target, const RenderMapping& mapping) const {
    // Layers with the shadow effect on are shown with their shadow.
    BlendPassWithEffects(m_state.header, m_stack.Layers(), m_stack.headLayer, -1, m_state.selection.selectionActive,
                         target, mapping);
}

bool CVandDoc::FlattenForSaving(std::vector<uint32_t>& flattenBuffer) const {
    const DocumentHeader& header = m_state.header;
    if (!Compositor::AllocateFlatBuffer(header, flattenBuffer)) return false;
    // The flat picture shows what the view shows, shadows included.
    TargetBuffer target(flattenBuffer.data(), header.width, header.height);
    BlendPassWithEffects(header, m_stack.Layers(), m_stack.headLayer, -1, m_state.selection.selectionActive, target,
                         RenderMapping{});
    return true;
}

bool CVandDoc::NewDocument(const NewPictureSettings& settings) { return DocumentIO::NewDocument(*this, settings); }
bool CVandDoc::OpenDocument(const std::string& path, NyZazo* prereadPsd, int page) {
    return DocumentIO::Open(*this, path, prereadPsd, page);
}
bool CVandDoc::SaveDocument(const std::string& path, const SaveOptions& options) {
    return DocumentIO::Save(*this, path, options);
}
bool CVandDoc::BuildFromImage(NyZazo& picture, std::string_view pictureName, uint8_t alphaFill) {
    return DocumentIO::BuildFromImage(*this, picture, pictureName, alphaFill);
}
void CVandDoc::FinishOpening(int layer) { DocumentIO::FinishOpening(*this, layer); }

}  // namespace quillory
