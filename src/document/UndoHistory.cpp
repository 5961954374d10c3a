#include "document/UndoHistory.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "core/AtomicFile.h"
#include "core/Platform.h"
#include "document/CommandRegistry.h"
#include "document/DocumentIO.h"
#include "document/DocumentTexts.h"
#include "document/HistoryTexts.h"
#include "document/QvxFormat.h"
#include "document/ShadowEffect.h"
#include "document/TempFolder.h"
#include "document/Utf16.h"

namespace quillory {

namespace {

using Planes = StepKind::Planes;
using Extra = StepKind::Extra;

constexpr StepKind kStepKinds[] = {
    {StepCode::Pixels, Planes::StepLayer, Extra::None},
    // The deleted layer leaves the stack; its planes stay as its last step kept them.
    {StepCode::LayerDeleted, Planes::None, Extra::None},
    {StepCode::LayerAdded, Planes::StepLayer, Extra::None},
    {StepCode::LayerPasted, Planes::StepLayer, Extra::None},
    {StepCode::TextEdited, Planes::StepLayer, Extra::None},
    {StepCode::TextLayerAdded, Planes::StepLayer, Extra::None},
    {StepCode::Reordered, Planes::None, Extra::None},
    {StepCode::Resized, Planes::EveryLayer, Extra::FrameValues},
    // Flattening and merging blend into the step's layer; the others leave the stack.
    {StepCode::Flattened, Planes::StepLayer, Extra::None},
    {StepCode::Merged, Planes::StepLayer, Extra::None},
    {StepCode::Flipped, Planes::EveryLayer, Extra::DocumentValue},
};
constexpr StepKind kOtherStep{-1, Planes::EveryLayer, Extra::None};

uint64_t Bit(int slot) { return uint64_t(1) << slot; }

std::string FirstUnits(const std::string& utf8, size_t units) {
    std::u16string wide = Utf8ToUtf16(utf8);
    if (wide.size() <= units) return utf8;
    wide.resize(units);
    return Utf16ToUtf8(wide);
}

// Columns a text takes in the history list: Hangul and other non-ASCII characters
// are double width, as in the list's Korean code page.
int DisplayWidth(const std::string& utf8) {
    int width = 0;
    for (char16_t unit : Utf8ToUtf16(utf8)) {
        if (unit >= 0xDC00 && unit <= 0xDFFF) continue;  // second half of a pair
        width += unit < 0x80 ? 1 : 2;
    }
    return width;
}

std::string PadLeft(const std::string& text, int width) {
    const int have = DisplayWidth(text);
    return have >= width ? text : std::string(size_t(width - have), ' ') + text;
}

// Every stored field of a record (not its planes), through the record's stored form.
void CopyFields(const LayerRecord& from, LayerRecord& to) {
    uint8_t fields[kLayerRecordFileBytes];
    StoreLayerRecord(from, fields);
    LoadLayerRecord(fields, kLayerRecordFileBytes, to);
}

// The header's stored fields and palette, without the scratch copies.
DocumentHeader HeaderValues(const DocumentHeader& header) {
    uint8_t fields[kDocumentHeaderFileBytes];
    StoreDocumentHeader(header, fields);
    DocumentHeader values;
    LoadDocumentHeader(fields, values);
    values.palette = header.palette;
    return values;
}

std::vector<uint8_t> TextBytes(const std::u16string& text) {
    std::vector<uint8_t> bytes(text.size() * 2);
    for (size_t i = 0; i < text.size(); ++i) {
        bytes[2 * i] = uint8_t(text[i]);
        bytes[2 * i + 1] = uint8_t(text[i] >> 8);
    }
    return bytes;
}

std::u16string TextOf(const std::vector<uint8_t>& bytes) {
    std::u16string text(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < text.size(); ++i) text[i] = char16_t(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    return text;
}

void ApplyPatch(const StepFileStore::PlanePatch& patch, std::vector<uint8_t>& plane) {
    const uint8_t* from = patch.bytes.data();
    for (uint64_t block : patch.blocks) {
        const uint64_t at = block * kStepBlockBytes;
        const size_t n = size_t(std::min<uint64_t>(kStepBlockBytes, plane.size() - at));
        std::memcpy(plane.data() + at, from, n);
        from += n;
    }
}

}  // namespace

const StepKind& KindOfStep(int code) {
    for (const StepKind& kind : kStepKinds)
        if (kind.code == code) return kind;
    return kOtherStep;
}

// One record slot as a move to another step puts it back, prepared before anything changes.
struct UndoHistory::SlotPlan {
    bool used = false;       // in use at the target step
    int step = -1;           // the step whose planes it takes
    bool committed = false;  // those planes are the committed copy
    bool prepared = false;   // `planes` hold them (read from the file or copied)
    bool patched = false;    // `patches` hold the blocks that differ from the live planes; the text is in `planes`
    std::vector<uint8_t> planes[kMaxPlanes];
    StepFileStore::PlanePatch patches[kMaxPlanes];
    StepFileStore::FileBlocks blocks;  // where the file keeps them
};

UndoHistory::UndoHistory(CVandDoc& document, SnapshotSlots& snapshots, std::string folder)
    : m_document(document), m_snapshots(snapshots), m_folder(std::move(folder)), m_entries(kMaxSteps) {
    m_committedStep.fill(-1);
    m_heldOnly.fill(false);
    m_committedGeneration.fill(0);
    m_document.SetStepSink(this);
    // Planes of a step that live only in the committed copy are stored before it changes.
    // When that write fails the step's planes are lost with the change: a later
    // move that needs them says so.
    m_snapshots.beforeCommittedChange = [this](int slot) {
        if (m_heldOnly[size_t(slot)]) Persist(slot);
        m_heldOnly[size_t(slot)] = false;
    };
}

UndoHistory::~UndoHistory() {
    m_snapshots.beforeCommittedChange = nullptr;
    // Nobody reads a closed document's steps again; leaving them would only fill the disk.
    if (m_store) m_store->RemoveAll();
}

bool UndoHistory::Fail(const std::string& detail) {
    m_lastError = detail;
    CurrentPlatform().ShowMessage(FileFailureText(texts::kUndoReadFailed, detail), MessageKind::Error);
    return false;
}

bool UndoHistory::EnsureStore() {
    if (m_store) return true;
    std::string folder = m_folder;
    if (folder.empty()) {
        std::string error;
        TempFolder* process = TempFolder::ForProcess(&error);
        if (!process) {
            m_lastError = error;
            return false;
        }
        folder = process->Path();
    }
    const int32_t number =
        m_document.DocumentNumber() > 0 ? m_document.DocumentNumber() : DocumentIO::NextDocumentNumber();
    m_store = std::make_unique<StepFileStore>(folder, number);
    return true;
}

void UndoHistory::SetExtraValues(int32_t frameA, int32_t frameB, int64_t documentValue) {
    m_pendingFrame[0] = frameA;
    m_pendingFrame[1] = frameB;
    m_pendingDocumentValue = documentValue;
}

void UndoHistory::Restart() {
    m_heldOnly.fill(false);
    m_committedStep.fill(-1);
    if (m_store) m_store->RemoveAll();
    for (StepEntry& entry : m_entries) entry = StepEntry{};
    m_stepPosition = m_redoLimit = -1;
}

void UndoHistory::DiscardRedoSteps() {
    for (int i = m_stepPosition + 1; i <= m_redoLimit && i < kMaxSteps; ++i) {
        for (int slot = 0; slot < kRecordSlots; ++slot) {
            if (!m_entries[size_t(i)].Recorded(slot)) continue;
            if (m_committedStep[size_t(slot)] == i) {
                m_committedStep[size_t(slot)] = -1;
                m_heldOnly[size_t(slot)] = false;
            }
            m_store->RemoveStep(i, slot);
        }
        m_entries[size_t(i)] = StepEntry{};
    }
    m_redoLimit = m_stepPosition;
}

void UndoHistory::RollOff() {
    // Step 2 goes. A slot it recorded that step 3 did not record still needs those
    // planes from step 3 on, so they stay as the new step 2's.
    const StepEntry& dropped = m_entries[2];
    const StepEntry& kept = m_entries[3];
    uint64_t carried = 0;
    for (int slot = 0; slot < kRecordSlots; ++slot) {
        if (!dropped.Recorded(slot)) continue;
        if (kept.Recorded(slot)) m_store->RemoveStep(2, slot);
        else carried |= Bit(slot);
    }
    for (int i = 3; i < kMaxSteps; ++i)
        for (int slot = 0; slot < kRecordSlots; ++slot)
            if (m_entries[size_t(i)].Recorded(slot) &&
                !(m_heldOnly[size_t(slot)] && m_committedStep[size_t(slot)] == i))
                m_store->RenameStep(i, i - 1, slot);
    for (int& step : m_committedStep)
        if (step >= 3) --step;
    for (int i = 3; i < kMaxSteps; ++i) m_entries[size_t(i - 1)] = std::move(m_entries[size_t(i)]);
    m_entries[kMaxSteps - 1] = StepEntry{};
    m_entries[2].recordedSlots |= carried;
}

void UndoHistory::Capture(StepEntry& entry, const StepRecord& step) {
    const LayerStack& stack = m_document.Stack();
    const DocumentState& state = m_document.State();
    entry = StepEntry{};
    entry.name = FirstUnits(step.name, kNameUnits);
    entry.code = uint8_t(step.code);
    entry.layer = uint8_t(step.layer);
    entry.command = currentCommand ? currentCommand() : -1;
    entry.header = HeaderValues(state.header);
    for (int i = 0; i < kMaxLayers; ++i) {
        const LayerRecord& layer = stack.Layer(i);
        CopyFields(layer, entry.slots[size_t(i)]);
        if (layer.inUse)
            entry.planeBytes[size_t(i)] = {layer.pixels.size(), layer.alpha.size(), layer.effect.size(),
                                           layer.text.size() * 2};
    }
    entry.planeBytes[kSelectionSlot] = {state.selection.mask.size(), 0, 0, 0};
    entry.headLayer = stack.headLayer;
    entry.currentLayer = stack.currentLayer;
    entry.selection.x = state.selection.x;
    entry.selection.y = state.selection.y;
    entry.selection.width = state.selection.width;
    entry.selection.height = state.selection.height;
    entry.selection.selectionActive = state.selection.selectionActive;

    entry.imageInfo = state.composite ? static_cast<const NyZazoInfo&>(*state.composite) : NyZazoInfo{};
    if (captureView) {
        entry.view = captureView();
    } else {
        const VisibleArea& visible = m_document.Visible();
        entry.view.visibleArea[0] = visible.x;
        entry.view.visibleArea[1] = visible.y;
        entry.view.visibleArea[2] = visible.width;
        entry.view.visibleArea[3] = visible.height;
        entry.view.absHeight = std::abs(visible.height);
    }
    const StepKind& kind = KindOfStep(step.code);
    if (kind.extra == Extra::FrameValues) {
        entry.frameValues[0] = m_pendingFrame[0];
        entry.frameValues[1] = m_pendingFrame[1];
    } else if (kind.extra == Extra::DocumentValue) {
        entry.documentValue = m_pendingDocumentValue;
    }
    m_pendingFrame[0] = m_pendingFrame[1] = 0;
    m_pendingDocumentValue = 0;
}

void UndoHistory::NoteRecorded(StepEntry& entry, int slot, int position) {
    entry.recordedSlots |= Bit(slot);
    m_committedStep[size_t(slot)] = position;
    m_heldOnly[size_t(slot)] = true;
    m_committedGeneration[size_t(slot)] = m_snapshots.Generation(SnapshotSlot::A, slot);
}

bool UndoHistory::KeepChangedPlanes(StepEntry& entry, int position, const StepRecord& step, bool everything) {
    const LayerStack& stack = m_document.Stack();
    const DocumentState& state = m_document.State();
    const StepKind& kind = KindOfStep(step.code);
    for (int slot = 0; slot < kMaxLayers; ++slot) {
        const LayerRecord& layer = stack.Layer(slot);
        if (!layer.inUse) {
            // A layer that left the stack: its planes are kept by the steps that recorded them.
            if (m_snapshots.Has(SnapshotSlot::A, slot)) m_snapshots.Forget(SnapshotSlot::A, slot);
            m_committedStep[size_t(slot)] = -1;
            m_heldOnly[size_t(slot)] = false;
            continue;
        }
        const bool known = m_committedStep[size_t(slot)] >= 0 && m_snapshots.Has(SnapshotSlot::A, slot);
        const bool compare = everything || !known || kind.planes == Planes::EveryLayer ||
                             (kind.planes == Planes::StepLayer && slot == step.layer);
        if (compare) m_snapshots.Save(SnapshotSlot::A, state.header, layer, slot);
        else m_snapshots.KeepSettings(SnapshotSlot::A, slot, layer);
        // A committed copy that changed since its step (here, or saved by the command
        // itself) holds this step's planes.
        if (everything || !known ||
            m_snapshots.Generation(SnapshotSlot::A, slot) != m_committedGeneration[size_t(slot)])
            NoteRecorded(entry, slot, position);
    }
    const bool knownMask = m_committedStep[kSelectionSlot] >= 0 && m_snapshots.Has(SnapshotSlot::A, kSelectionSlot);
    m_snapshots.SaveSelection(state.selection);
    if (everything || !knownMask ||
        m_snapshots.Generation(SnapshotSlot::A, kSelectionSlot) != m_committedGeneration[kSelectionSlot])
        NoteRecorded(entry, kSelectionSlot, position);
    return !m_writeFailed;
}

bool UndoHistory::Persist(int slot) {
    const size_t s = size_t(slot);
    if (!m_heldOnly[s] || m_committedStep[s] < 0 || !m_store || !m_snapshots.Has(SnapshotSlot::A, slot)) {
        m_heldOnly[s] = false;
        return true;
    }
    PlaneSource planes[kMaxPlanes];
    int count = 1;
    std::vector<uint8_t> text;
    if (slot == kSelectionSlot) {
        planes[0] = m_snapshots.Plane(SnapshotSlot::A, slot, 0).Source();
    } else {
        for (int i = 0; i < 3; ++i) planes[i] = m_snapshots.Plane(SnapshotSlot::A, slot, i).Source();
        text = TextBytes(m_snapshots.Saved(SnapshotSlot::A, slot).text);
        planes[3] = PlaneSource{text.data(), text.size(), 0, nullptr};
        count = 4;
    }
    std::string error;
    if (!m_store->WriteStep(m_committedStep[s], slot, planes, count, error)) {
        m_lastError = error;
        m_writeFailed = true;
        return false;
    }
    m_heldOnly[s] = false;
    m_snapshots.ClearChanged(slot);
    return true;
}

void UndoHistory::StepRecorded(CVandDoc& document, const StepRecord& step) {
    (void)document;
    LayerStack& stack = m_document.Stack();
    if (stack.currentLayer == -1 || !LayerStack::IsValidIndex(step.layer)) return;
    if (!EnsureStore()) {
        CurrentPlatform().ShowMessage(FileFailureText(texts::kTempFolderFailed, m_lastError), MessageKind::Error);
        return;
    }
    DocumentState& state = m_document.State();
    state.busy = 1;
    const bool restart =
        step.name == texts::kStepOpening || step.name == texts::kStepInitialState || m_stepPosition < 0;
    if (restart) Restart();
    else DiscardRedoSteps();
    int position = m_stepPosition + 1;
    if (position == kMaxSteps) {
        RollOff();
        position = kMaxSteps - 1;
    }
    m_stepPosition = m_redoLimit = position;
    if (position > 0) m_document.SetModified(true);
    StepEntry& entry = m_entries[size_t(position)];
    Capture(entry, step);
    KeepChangedPlanes(entry, position, step, restart);
    if (m_writeFailed) {
        m_writeFailed = false;
        CurrentPlatform().ShowMessage(FileFailureText(texts::kUndoWriteFailed, m_lastError), MessageKind::Error);
    }
    state.busy = 0;
    if (changed) changed();
}

int UndoHistory::NewestRecording(int slot, int position) const {
    for (int n = std::min(position, kMaxSteps - 1); n >= 0; --n)
        if (m_entries[size_t(n)].Recorded(slot)) return n;
    return -1;
}

bool UndoHistory::GoTo(int position) {
    m_lastError.clear();
    const StepEntry& target = m_entries[size_t(position)];
    LayerStack& stack = m_document.Stack();
    DocumentState& state = m_document.State();
    std::vector<SlotPlan> plans(kRecordSlots);
    DocumentHeader header;
    const int current = stack.currentLayer;

    // 1. Which planes each slot of the target takes.
    for (int slot = 0; slot < kRecordSlots; ++slot) {
        SlotPlan& plan = plans[size_t(slot)];
        plan.used = slot == kSelectionSlot || target.slots[size_t(slot)].inUse;
        if (!plan.used) continue;
        plan.step = NewestRecording(slot, position);
        if (plan.step < 0) return Fail("no step keeps the planes of slot " + std::to_string(slot));
        plan.committed = m_committedStep[size_t(slot)] == plan.step && m_snapshots.Has(SnapshotSlot::A, slot);
    }
    // 2. Planes that live only in a committed copy about to change are stored first.
    for (int slot = 0; slot < kRecordSlots; ++slot) {
        const SlotPlan& plan = plans[size_t(slot)];
        const bool goes = plan.used ? !plan.committed : m_snapshots.Has(SnapshotSlot::A, slot);
        if (goes && m_heldOnly[size_t(slot)] && !Persist(slot)) {
            m_writeFailed = false;
            return Fail(m_lastError);
        }
    }
    // 3. Every file is read and checked, and everything the document takes is
    // allocated, before the document changes.
    try {
        header = target.header;
        for (int slot = 0; slot < kRecordSlots; ++slot) {
            SlotPlan& plan = plans[size_t(slot)];
            if (!plan.used) continue;
            const auto& bytes = target.planeBytes[size_t(slot)];
            const int count = slot == kSelectionSlot ? 1 : kMaxPlanes;
            if (!plan.committed) {
                // Where the live planes are the committed copy as its file stores them,
                // only the blocks that differ are read.
                const uint8_t* live[kMaxPlanes] = {};
                if (slot == kSelectionSlot) {
                    live[0] = state.selection.mask.size() == bytes[0] ? state.selection.mask.data() : nullptr;
                } else {
                    const LayerRecord& layer = stack.Layer(slot);
                    if (layer.pixels.size() == bytes[0] && layer.alpha.size() == bytes[1] &&
                        layer.effect.size() == bytes[2]) {
                        live[0] = layer.pixels.data();
                        live[1] = layer.alpha.data();
                        live[2] = layer.effect.data();
                    }
                }
                plan.patched = live[0] && m_committedStep[size_t(slot)] >= 0 &&
                               m_snapshots.Has(SnapshotSlot::A, slot) && !m_snapshots.HasChanges(slot) &&
                               m_store->HasBaseOf(slot, bytes.data(), count) &&
                               (slot == kSelectionSlot || slot != current ||
                                m_snapshots.SamePlanes(SnapshotSlot::A, stack.Layer(slot), slot));
                std::string error;
                if (!m_store->ReadStep(plan.step, slot, bytes.data(), count, plan.planes, error, &plan.blocks,
                                       plan.patched ? live : nullptr, plan.patched ? plan.patches : nullptr))
                    return Fail(error);
                plan.prepared = !plan.patched;
                continue;
            }
            // The committed copy is taken as it is, except where the live planes may
            // differ: a preview left on the current layer, or other sizes.
            if (slot == kSelectionSlot) {
                if (state.selection.mask.size() != bytes[0]) {
                    m_snapshots.RestoreSelectionMask(plan.planes[0]);
                    plan.prepared = true;
                }
                continue;
            }
            const LayerRecord& live = stack.Layer(slot);
            const bool sameSizes = live.pixels.size() == bytes[0] && live.alpha.size() == bytes[1] &&
                                   live.effect.size() == bytes[2];
            if (!sameSizes || (slot == current && !m_snapshots.SamePlanes(SnapshotSlot::A, live, slot))) {
                LayerRecord copy;
                m_snapshots.RestorePlanes(SnapshotSlot::A, copy, slot);
                plan.planes[0] = std::move(copy.pixels);
                plan.planes[1] = std::move(copy.alpha);
                plan.planes[2] = std::move(copy.effect);
                plan.planes[3] = TextBytes(copy.text);
                plan.prepared = true;
            }
        }
    } catch (const std::bad_alloc&) {
        return Fail("out of memory");
    }

    // 4. The document takes the step (nothing below fails).
    state.busy = 1;
    std::vector<uint8_t> scratchPixels = std::move(state.header.scratchPixels);
    std::vector<uint8_t> scratchAlpha = std::move(state.header.scratchAlpha);
    state.header = std::move(header);
    state.header.scratchPixels = std::move(scratchPixels);
    state.header.scratchAlpha = std::move(scratchAlpha);
    for (int slot = 0; slot < kMaxLayers; ++slot) {
        LayerRecord& layer = stack.Layer(slot);
        SlotPlan& plan = plans[size_t(slot)];
        CopyFields(target.slots[size_t(slot)], layer);
        if (!plan.used) {
            layer.FreePlanes();
        } else if (plan.patched) {
            std::vector<uint8_t>* planes[3] = {&layer.pixels, &layer.alpha, &layer.effect};
            for (int i = 0; i < 3; ++i) ApplyPatch(plan.patches[i], *planes[i]);
            layer.text = TextOf(plan.planes[3]);
        } else if (plan.prepared) {
            layer.pixels = std::move(plan.planes[0]);
            layer.alpha = std::move(plan.planes[1]);
            layer.effect = std::move(plan.planes[2]);
            layer.text = TextOf(plan.planes[3]);
        }
    }
    stack.headLayer = target.headLayer;
    stack.currentLayer = target.currentLayer;
    SelectionMask& selection = state.selection;
    if (plans[kSelectionSlot].patched) ApplyPatch(plans[kSelectionSlot].patches[0], selection.mask);
    else if (plans[kSelectionSlot].prepared) selection.mask = std::move(plans[kSelectionSlot].planes[0]);
    selection.x = target.selection.x;
    selection.y = target.selection.y;
    selection.width = target.selection.width;
    selection.height = target.selection.height;
    selection.selectionActive = target.selection.selectionActive;
    if (NyZazo* composite = m_document.Composite()) {
        const NyZazoInfo& info = target.imageInfo;
        composite->transparentIndex = info.transparentIndex;
        composite->backColour = info.backColour;
        composite->alphaMax = info.alphaMax;
        composite->alphaPaletteEnabled = info.alphaPaletteEnabled;
        composite->jpegQuality = info.jpegQuality;
        composite->dpiX = info.dpiX;
        composite->dpiY = info.dpiY;
    }
    VisibleArea& visible = m_document.Visible();
    visible = VisibleArea{target.view.visibleArea[0], target.view.visibleArea[1], target.view.visibleArea[2],
                          target.view.visibleArea[3]};

    // 5. The committed copies follow; a slot read from a file reuses that file's blocks.
    for (int slot = 0; slot < kRecordSlots; ++slot) {
        SlotPlan& plan = plans[size_t(slot)];
        const size_t s = size_t(slot);
        if (!plan.used) {
            if (m_snapshots.Has(SnapshotSlot::A, slot)) m_snapshots.Forget(SnapshotSlot::A, slot);
            m_committedStep[s] = -1;
            m_heldOnly[s] = false;
            continue;
        }
        if (slot == kSelectionSlot) m_snapshots.SaveSelection(selection);
        else if (!plan.committed) m_snapshots.Save(SnapshotSlot::A, state.header, stack.Layer(slot), slot);
        else m_snapshots.KeepSettings(SnapshotSlot::A, slot, stack.Layer(slot));
        if (!plan.committed) {
            m_heldOnly[s] = false;
            m_committedStep[s] = m_snapshots.Has(SnapshotSlot::A, slot) ? plan.step : -1;
            if (m_committedStep[s] >= 0) {
                m_store->AdoptBase(slot, plan.blocks);
                m_snapshots.ClearChanged(slot);
            }
        }
        m_committedGeneration[s] = m_snapshots.Generation(SnapshotSlot::A, slot);
    }
    m_stepPosition = position;
    state.busy = 0;
    // Figures on measurement layers are drawn from their objects, which the history does not keep.
    if (DocumentAttachment* measures = m_document.Measures()) measures->HistoryMoved();
    if (restoreView) restoreView(target.view);
    if (changed) changed();
    return true;
}

bool UndoHistory::Undo() {
    // At step 0 (and without a history) there is nothing to undo.
    if (!CanUndo() || !m_store) return false;
    return GoTo(m_stepPosition - 1);
}

bool UndoHistory::Redo() {
    if (!CanRedo() || !m_store || m_stepPosition >= kMaxSteps - 1) return false;
    return GoTo(m_stepPosition + 1);
}

void UndoHistory::UpdateStepLook(int slot, const LayerRecord& layer) {
    if (m_stepPosition < 0 || !LayerStack::IsValidIndex(slot)) return;
    LayerRecord& kept = m_entries[size_t(m_stepPosition)].slots[size_t(slot)];
    if (!kept.inUse) return;
    std::copy(std::begin(layer.name), std::end(layer.name), kept.name);
    kept.blendMode = layer.blendMode;
    kept.transparency = layer.transparency;
    kept.visible = layer.visible;
}

void UndoHistory::UpdateStepCurrentLayer() {
    if (m_stepPosition < 0) return;
    const LayerStack& stack = m_document.Stack();
    if (stack.IsLayerInList(stack.currentLayer)) m_entries[size_t(m_stepPosition)].currentLayer = stack.currentLayer;
}

std::string UndoHistory::FormatRow(int index, int colourCount, const std::string& name) {
    char number[16];
    std::snprintf(number, sizeof number, "%3d", index);
    std::string colours;
    if (colourCount != 0) {
        char text[32];
        std::snprintf(text, sizeof text, texts::kHistoryColourFormat, colourCount);
        colours = text;
    }
    const std::string shown = name == texts::kStepOpening ? std::string(texts::kHistoryOpeningName) : name;
    return std::string(number) + " " + PadLeft(colours, 4) + " " + PadLeft(shown, 13);
}

std::vector<std::string> UndoHistory::HistoryRows() const {
    if (m_stepPosition < 0) return {texts::kHistoryEmptyRow};
    std::vector<std::string> rows;
    for (int i = m_stepPosition; i >= 0; --i)
        rows.push_back(FormatRow(i, m_entries[size_t(i)].header.colourCount, m_entries[size_t(i)].name));
    return rows;
}

void RegisterHistoryCommands(CommandRegistry& registry) {
    registry.Register(cmd::kEditUndo, texts::kCmdTextUndo, [](CVandDoc& d, const CommandParameters&) {
        if (!d.History().CanUndo()) d.SetLastError(texts::kNothingToUndo);
        return d.History().Undo();
    });
    registry.Register(cmd::kEditRedo, texts::kCmdTextRedo, [](CVandDoc& d, const CommandParameters&) {
        if (!d.History().CanRedo()) d.SetLastError(texts::kNothingToRedo);
        return d.History().Redo();
    });
    RegisterShadowCommand(registry);
    for (int command : {cmd::kEightBitColour, cmd::kRgbColour}) {
        const CommandEntry* entry = registry.Find(command);
        if (!entry || !entry->handler) continue;
        CommandHandler change = entry->handler;
        const std::string name = entry->name;
        registry.Register(command, name, [change, name](CVandDoc& d, const CommandParameters& p) {
            const int depth = d.Header().bitsPerPixel;
            if (!change(d, p)) return false;
            if (d.Header().bitsPerPixel != depth) d.RecordStep(name, StepCode::Resized);
            return true;
        });
    }
}

}  // namespace quillory
