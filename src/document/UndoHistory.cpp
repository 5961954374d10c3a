#include "document/UndoHistory.h"

#include <algorithm>
#include <cstdio>

#include "core/Platform.h"
#include "document/CommandRegistry.h"
#include "document/ShadowEffect.h"
#include "processing/ColourDepth.h"
#include "document/DocumentIO.h"
#include "document/DocumentTexts.h"
#include "document/HistoryTexts.h"
#include "document/TempFolder.h"
#include "document/Utf16.h"

namespace quillory {

// One layer as an undo or redo will put it back, read completely before anything changes.
struct UndoHistory::Load {
    int slot = -1;
    int step = -1;  // -1: the initial list file
    LayerRecord record;  // settings and planes
    bool text = false;
    // Picture values the layer was recorded with.
    int32_t bitsPerPixel = 0, colourCount = 0, width = 0, height = 0;
    uint8_t formatType = 0;
    std::vector<RGBQUAD> palette;
    // Selection and view of the recording step (step files only).
    bool hasSelection = false;
    SelectionMask selection;
    ViewValues view;
    bool hasView = false;
};

namespace {

bool SameName(const std::string& a, const char* b) { return a == b; }

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

uint64_t Bit(int slot) { return uint64_t(1) << slot; }

std::vector<int> ListOrder(const LayerStack& stack) {
    std::vector<int> order;
    for (int i = stack.headLayer; LayerStack::IsValidIndex(i) && order.size() < size_t(kMaxLayers);
         i = stack.Layer(i).next)
        order.push_back(i);
    return order;
}

std::vector<int> ListOrder(const StepEntry& entry) {
    std::vector<int> order;
    for (int i = entry.headLayer; LayerStack::IsValidIndex(i) && order.size() < size_t(kMaxLayers);
         i = entry.nextOf[size_t(i)])
        order.push_back(i);
    return order;
}

bool Contains(const std::vector<int>& list, int value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

}  // namespace

UndoHistory::UndoHistory(CVandDoc& document, SnapshotSlots& snapshots, std::string folder)
    : m_document(document), m_snapshots(snapshots), m_folder(std::move(folder)), m_entries(kMaxSteps) {
    m_document.SetStepSink(this);
}

UndoHistory::~UndoHistory() {
    // Nobody reads a closed document's steps again; leaving them would only fill the disk.
    if (m_store) m_store->RemoveAll();
}

bool UndoHistory::Fail(const std::string& detail) {
    m_lastError = detail;
    CurrentPlatform().ShowMessage(texts::kUndoReadFailed, MessageKind::Error);
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
    m_documentNumber = m_document.DocumentNumber() > 0 ? m_document.DocumentNumber() : DocumentIO::NextDocumentNumber();
    m_store = std::make_unique<StepFileStore>(folder, m_documentNumber);
    return true;
}

void UndoHistory::SetExtraValues(int32_t frameA, int32_t frameB, int64_t documentValue) {
    m_pendingFrame[0] = frameA;
    m_pendingFrame[1] = frameB;
    m_pendingDocumentValue = documentValue;
}

void UndoHistory::FillEntry(StepEntry& entry, const StepRecord& step) {
    const LayerStack& stack = m_document.Stack();
    const DocumentHeader& header = m_document.Header();
    const DocumentState& state = m_document.State();
    const int slot = step.layer;
    const LayerRecord& layer = stack.Layer(slot);

    entry.name = FirstUnits(step.name, kNameUnits);
    entry.code = uint8_t(step.code);
    entry.layer = uint8_t(slot);
    entry.command = currentCommand ? currentCommand() : -1;

    entry.colourCount = header.colourCount;
    entry.bitsPerPixel = header.bitsPerPixel;
    entry.imageSize = header.imageSize;
    entry.pixelCount = header.pixelCount;
    entry.height = header.height;
    entry.width = header.width;
    entry.originX = header.originX;
    entry.originY = header.originY;
    entry.formatType = header.formatType;
    entry.palette = header.palette;

    entry.pixelSize = layer.pixelSize;
    entry.stride = layer.stride;
    entry.x = layer.x;
    entry.y = layer.y;
    entry.layerWidth = layer.width;
    entry.layerHeight = layer.height;
    entry.prev = layer.prev;
    entry.next = layer.next;
    entry.kind = layer.kind;
    entry.textColour = layer.textColour;
    entry.textLength = layer.textLength;
    entry.textX = layer.textX;
    entry.textY = layer.textY;
    entry.transparency = layer.transparency;

    for (int i = 0; i < kMaxLayers; ++i) {
        const LayerRecord& r = stack.Layer(i);
        StepSlotValues& v = entry.slots[size_t(i)];
        v.x = r.x, v.y = r.y, v.height = r.height, v.width = r.width;
        v.kind = r.kind;
        v.textColour = r.textColour;
        v.textLength = r.textLength;
        v.textX = r.textX, v.textY = r.textY;
        v.transparency = r.transparency;
        v.effectOn = r.effectOn, v.effectSize = r.effectSize;
        v.shadowColour = r.shadowColour, v.shadowOnly = r.shadowOnly;
        v.blendMode = r.blendMode;
        v.visible = r.visible;
        std::copy(std::begin(r.name), std::end(r.name), v.name);
        entry.prevOf[size_t(i)] = r.prev;
        entry.nextOf[size_t(i)] = r.next;
        entry.inUseOf[size_t(i)] = int16_t(r.inUse);
    }
    entry.headLayer = stack.headLayer;

    entry.maskX = state.selection.x;
    entry.maskY = state.selection.y;
    entry.maskWidth = state.selection.width;
    entry.maskHeight = state.selection.height;
    entry.selectionActive = state.selection.selectionActive;

    entry.effectOn = layer.effectOn;
    entry.effectSize = layer.effectSize;
    entry.shadowColour = layer.shadowColour;
    entry.shadowOnly = layer.shadowOnly;

    entry.imageInfo = state.composite ? static_cast<const NyZazoInfo&>(*state.composite) : NyZazoInfo{};
    if (captureView) {
        entry.view = captureView();
    } else {
        const VisibleArea& visible = m_document.Visible();
        entry.view = ViewValues{};
        entry.view.visibleArea[0] = visible.x;
        entry.view.visibleArea[1] = visible.y;
        entry.view.visibleArea[2] = visible.width;
        entry.view.visibleArea[3] = visible.height;
        entry.view.absHeight = std::abs(visible.height);
    }
    entry.frameValues[0] = entry.frameValues[1] = 0;
    entry.documentValue = 0;
    if (step.code == StepCode::Resized) {
        entry.frameValues[0] = m_pendingFrame[0];
        entry.frameValues[1] = m_pendingFrame[1];
    } else if (step.code == StepCode::Flipped) {
        entry.documentValue = m_pendingDocumentValue;
    }
    m_pendingFrame[0] = m_pendingFrame[1] = 0;
    m_pendingDocumentValue = 0;
    entry.recordedSlots = 0;
    for (auto& meta : m_fileMeta[size_t(&entry - m_entries.data())]) meta = FileMeta{};
}

bool UndoHistory::WriteLayer(int step, int slot) {
    StepEntry& entry = m_entries[size_t(step)];
    const DocumentState& state = m_document.State();
    // Marked even when the write fails: an undo that needs this layer must then
    // fail with a message instead of quietly taking an older copy.
    entry.recordedSlots |= Bit(slot);
    FileMeta& meta = m_fileMeta[size_t(step)][size_t(slot)];
    meta.maskX = state.selection.x;
    meta.maskY = state.selection.y;
    meta.maskWidth = state.selection.width;
    meta.maskHeight = state.selection.height;
    meta.selectionActive = state.selection.selectionActive;
    std::string error;
    const bool haveBase = m_baseGeneration[size_t(slot)] != 0 && m_snapshots.Has(SnapshotSlot::A, slot) &&
                          m_snapshots.Generation(SnapshotSlot::A, slot) == m_baseGeneration[size_t(slot)];
    const LayerRecord* base = haveBase ? &m_snapshots.Saved(SnapshotSlot::A, slot) : nullptr;
    if (!m_store->WriteStep(step, slot, m_document.Layer(slot), state.selection, error, base)) {
        m_lastError = error;
        return false;
    }
    m_writtenNow |= Bit(slot);
    return true;
}

void UndoHistory::StepRecorded(CVandDoc& document, const StepRecord& step) {
    (void)document;
    LayerStack& stack = m_document.Stack();
    if (stack.currentLayer == -1 || !LayerStack::IsValidIndex(step.layer)) return;
    if (!EnsureStore()) {
        CurrentPlatform().ShowMessage(texts::kTempFolderFailed, MessageKind::Error);
        return;
    }
    DocumentState& state = m_document.State();
    state.busy = 1;
    const int oldLimit = m_redoLimit;
    if (SameName(step.name, texts::kStepOpening) || SameName(step.name, texts::kStepInitialState)) {
        m_stepPosition = -1;
        m_store->RemoveAll();
        for (auto& entry : m_entries) entry.recordedSlots = 0;
    }
    ++m_stepPosition;
    if (m_stepPosition > 0) m_document.SetModified(true);
    bool written = true;
    if (m_stepPosition == 0) {
        std::string error;
        if (!m_store->WriteList(m_store->InitialListPath(), m_document.Header(), stack.Layers(), stack.headLayer,
                                error)) {
            m_lastError = error;
            written = false;
        }
    }
    if (m_stepPosition == kMaxSteps) RollOff();
    m_redoLimit = m_stepPosition;
    // The undone branch is discarded with its files.
    m_store->RemoveStepAllSlots(m_stepPosition);
    for (int i = m_stepPosition + 1; i <= oldLimit && i < kMaxSteps; ++i) {
        for (int slot = 0; slot < kMaxLayers; ++slot)
            if (m_entries[size_t(i)].Recorded(slot)) m_store->RemoveStep(i, slot);
        m_entries[size_t(i)].recordedSlots = 0;
    }

    StepEntry& entry = m_entries[size_t(m_stepPosition)];
    FillEntry(entry, step);
    m_writtenNow = 0;
    if (step.code == StepCode::Resized || step.code == StepCode::Flipped) {
        for (int i = 0; i < kMaxLayers; ++i)
            if (stack.Layer(i).inUse && i != step.layer) written = WriteLayer(m_stepPosition, i) && written;
    }
    written = WriteLayer(m_stepPosition, step.layer) && written;
    if (!written) CurrentPlatform().ShowMessage(texts::kUndoWriteFailed, MessageKind::Error);

    m_snapshots.SaveAll(SnapshotSlot::A, m_document.Header(), stack);
    for (int slot = 0; slot < kMaxLayers; ++slot)
        if (m_writtenNow & Bit(slot)) m_baseGeneration[size_t(slot)] = m_snapshots.Generation(SnapshotSlot::A, slot);
    state.busy = 0;
    if (changed) changed();
}

void UndoHistory::RollOff() {
    // Step 2 goes. A layer it recorded that step 3 did not record is still needed
    // as that layer's state from step 3 on, so its file stays as the new step 2's.
    const StepEntry& dropped = m_entries[2];
    const StepEntry& kept = m_entries[3];
    uint64_t carried = 0;
    for (int slot = 0; slot < kMaxLayers; ++slot) {
        if (dropped.Recorded(slot) && !kept.Recorded(slot)) {
            carried |= Bit(slot);
            continue;
        }
        m_store->RemoveStep(2, slot);
        if (kept.Recorded(slot)) m_store->RenameStep(3, 2, slot);
    }
    std::array<FileMeta, kMaxLayers> carriedMeta = m_fileMeta[2];
    for (int i = 4; i < kMaxSteps; ++i)
        for (int slot = 0; slot < kMaxLayers; ++slot)
            if (m_entries[size_t(i)].Recorded(slot)) m_store->RenameStep(i, i - 1, slot);
    for (int i = 3; i < kMaxSteps; ++i) {
        m_entries[size_t(i - 1)] = std::move(m_entries[size_t(i)]);
        m_fileMeta[size_t(i - 1)] = m_fileMeta[size_t(i)];
    }
    m_entries[kMaxSteps - 1] = StepEntry{};
    m_fileMeta[kMaxSteps - 1] = {};
    StepEntry& merged = m_entries[2];
    for (int slot = 0; slot < kMaxLayers; ++slot)
        if (carried & Bit(slot)) {
            merged.recordedSlots |= Bit(slot);
            m_fileMeta[2][size_t(slot)] = carriedMeta[size_t(slot)];
        }
    m_stepPosition = kMaxSteps - 1;
}

int UndoHistory::NewestRecording(int slot, int position) const {
    for (int n = std::min(position, kMaxSteps - 1); n >= 0; --n)
        if (m_entries[size_t(n)].Recorded(slot)) return n;
    return -1;
}

bool UndoHistory::PrepareLoad(int slot, int position, const ListContents* initial, Load& load) {
    load.slot = slot;
    const int n = NewestRecording(slot, position);
    if (n < 0) {
        // Never recorded since the history started: the layer is as the first step left it.
        if (!initial || !initial->layers[slot].inUse) return Fail("no recorded copy of layer " + std::to_string(slot));
        const LayerRecord& r = initial->layers[slot];
        load.step = -1;
        load.record = r;
        load.text = r.kind == LayerKind::Text;
        load.bitsPerPixel = initial->header.bitsPerPixel;
        load.colourCount = initial->header.colourCount;
        load.width = initial->header.width;
        load.height = initial->header.height;
        load.formatType = initial->header.formatType;
        load.palette = initial->palette;
        return true;
    }
    const StepEntry& entry = m_entries[size_t(n)];
    const StepSlotValues& v = entry.slots[size_t(slot)];
    const FileMeta& meta = m_fileMeta[size_t(n)][size_t(slot)];
    load.step = n;
    load.text = v.kind == LayerKind::Text;
    if (v.width <= 0 || v.height <= 0) return Fail("bad geometry of layer " + std::to_string(slot));
    const int64_t plane = int64_t(v.width) * v.height;
    StepSizes sizes;
    sizes.plane = uint64_t(plane);
    sizes.pixels = load.text ? 0 : uint64_t(int64_t(v.height) * PlaneStride(entry.bitsPerPixel, v.width));
    sizes.mask = uint64_t(std::max(0, meta.maskWidth)) * uint64_t(std::max(0, meta.maskHeight));
    sizes.textUnits = uint64_t(std::max(0, v.textLength));
    StepPlanes planes;
    std::string error;
    if (!m_store->ReadStep(n, slot, sizes, planes, error)) return Fail(error);

    LayerRecord& r = load.record;
    r.x = v.x, r.y = v.y, r.width = v.width, r.height = v.height;
    r.kind = v.kind;
    r.textColour = v.textColour;
    r.textLength = std::min(v.textLength, kMaxTextLength);
    r.textX = v.textX, r.textY = v.textY;
    r.transparency = v.transparency;
    r.effectOn = v.effectOn, r.effectSize = v.effectSize;
    r.shadowColour = v.shadowColour, r.shadowOnly = v.shadowOnly;
    r.blendMode = v.blendMode;
    r.visible = v.visible;
    std::copy(std::begin(v.name), std::end(v.name), r.name);
    r.pixels = std::move(planes.pixels);
    r.alpha = std::move(planes.alpha);
    r.effect = std::move(planes.effect);
    r.text = std::move(planes.text);
    load.bitsPerPixel = entry.bitsPerPixel;
    load.colourCount = entry.colourCount;
    load.width = entry.width;
    load.height = entry.height;
    load.formatType = entry.formatType;
    load.palette = entry.palette;
    load.hasSelection = true;
    load.selection.mask = std::move(planes.mask);
    load.selection.x = meta.maskX;
    load.selection.y = meta.maskY;
    load.selection.width = meta.maskWidth;
    load.selection.height = meta.maskHeight;
    load.selection.selectionActive = meta.selectionActive;
    load.view = entry.view;
    load.hasView = true;
    return true;
}

bool UndoHistory::InstallLoad(Load& load, bool restoreLook) {
    LayerStack& stack = m_document.Stack();
    DocumentState& state = m_document.State();
    LayerRecord& layer = stack.Layer(load.slot);
    const LayerRecord& r = load.record;
    const int16_t linked = layer.linkedLayer;
    const int32_t changedFlag = layer.changed;
    const DocumentHeader& header = state.header;
    // A layer that keeps its shape only takes the planes; anything else is made anew.
    const bool sameShape = layer.inUse && layer.width == r.width && layer.height == r.height && layer.kind == r.kind &&
                           header.bitsPerPixel == load.bitsPerPixel && header.colourCount == load.colourCount &&
                           header.width == load.width && header.height == load.height &&
                           header.formatType == load.formatType &&
                           layer.alpha.size() == load.record.alpha.size() &&
                           layer.effect.size() == load.record.effect.size() &&
                           (load.text || layer.pixels.size() == load.record.pixels.size());
    LayerPlanesRequest request;
    request.slot = load.slot;
    request.formatType = load.formatType;
    request.bitsPerPixel = load.bitsPerPixel;
    request.colourCount = load.colourCount;
    request.x = r.x;
    request.y = r.y;
    request.layerWidth = r.width;
    request.layerHeight = r.height;
    request.documentWidth = load.width;
    request.documentHeight = load.height;
    request.changed = changedFlag;
    request.kind = r.kind;
    request.linkedLayer = linked;
    if (sameShape) {
        layer.x = r.x;
        layer.y = r.y;
    } else if (!stack.CreateLayerPlanes(request)) {
        m_lastError = "cannot make the planes of layer " + std::to_string(load.slot);
        return false;
    }
    // The planes were read with the sizes these settings give, so they fit exactly.
    if (!load.text && load.record.pixels.size() == layer.pixels.size()) layer.pixels = std::move(load.record.pixels);
    if (load.record.alpha.size() == layer.alpha.size()) layer.alpha = std::move(load.record.alpha);
    if (load.record.effect.size() == layer.effect.size()) layer.effect = std::move(load.record.effect);
    layer.inUse = 1;
    layer.transparency = r.transparency;
    layer.textLength = r.textLength;
    layer.textX = r.textX;
    layer.textY = r.textY;
    layer.textColour = r.textColour;
    layer.text = std::move(load.record.text);
    layer.effectOn = r.effectOn;
    layer.effectSize = r.effectSize;
    layer.shadowColour = r.shadowColour;
    layer.shadowOnly = r.shadowOnly;
    if (load.step < 0) {
        // From the list file: the whole stored record counts.
        layer.textSize = r.textSize;
        std::copy(std::begin(r.textFont), std::end(r.textFont), layer.textFont);
        std::copy(std::begin(r.textSettings), std::end(r.textSettings), layer.textSettings);
    }
    if (restoreLook || load.step < 0) {
        layer.blendMode = r.blendMode;
        layer.visible = r.visible;
        std::copy(std::begin(r.name), std::end(r.name), layer.name);
    }
    if (load.hasSelection) {
        const bool suspended = state.selection.suspended;
        state.selection = std::move(load.selection);
        state.selection.suspended = suspended;
    }
    if (load.colourCount > 0) state.header.palette = load.palette;
    if (load.hasView) {
        VisibleArea& visible = m_document.Visible();
        visible.x = load.view.visibleArea[0];
        visible.y = load.view.visibleArea[1];
        visible.width = load.view.visibleArea[2];
        visible.height = load.view.visibleArea[3];
        if (restoreView) restoreView(load.view);
    }
    m_snapshots.SaveCommitted(state.header, layer, load.slot);
    return true;
}

void UndoHistory::WriteListStructure(const StepEntry& entry) {
    LayerStack& stack = m_document.Stack();
    stack.headLayer = entry.headLayer;
    for (int i = 0; i < kMaxLayers; ++i) {
        LayerRecord& r = stack.Layer(i);
        r.prev = entry.prevOf[size_t(i)];
        r.next = entry.nextOf[size_t(i)];
        r.inUse = entry.inUseOf[size_t(i)];
    }
}

bool UndoHistory::InstallList(ListContents& list) {
    LayerStack& stack = m_document.Stack();
    DocumentHeader& header = m_document.Header();
    // The header's memory-only parts (scratch copies) stay.
    std::vector<uint8_t> scratchPixels = std::move(header.scratchPixels);
    std::vector<uint8_t> scratchAlpha = std::move(header.scratchAlpha);
    header = std::move(list.header);
    header.scratchPixels = std::move(scratchPixels);
    header.scratchAlpha = std::move(scratchAlpha);
    header.palette = std::move(list.palette);
    for (int i = 0; i < kMaxLayers; ++i) {
        if (list.layers[i].inUse) {
            stack.Layer(i) = std::move(list.layers[i]);
        } else {
            stack.FreeSlot(i);
            stack.Layer(i).prev = stack.Layer(i).next = -1;
        }
    }
    stack.headLayer = list.headLayer;
    return true;
}

void UndoHistory::SelectAfter(int preferred) {
    LayerStack& stack = m_document.Stack();
    if (stack.IsLayerInList(preferred)) {
        stack.currentLayer = preferred;
    } else if (!stack.IsLayerInList(stack.currentLayer)) {
        stack.currentLayer = stack.headLayer;
    }
}

void UndoHistory::RestoreImageInfo(const StepEntry& entry) {
    NyZazo* composite = m_document.Composite();
    if (!composite) return;
    const NyZazoInfo& info = entry.imageInfo;
    composite->transparentIndex = info.transparentIndex;
    composite->backColour = info.backColour;
    composite->alphaMax = info.alphaMax;
    composite->alphaPaletteEnabled = info.alphaPaletteEnabled;
    composite->jpegQuality = info.jpegQuality;
    composite->dpiX = info.dpiX;
    composite->dpiY = info.dpiY;
}

void UndoHistory::Finish() {
    LayerStack& stack = m_document.Stack();
    for (int i = 0; i < kMaxLayers; ++i)
        if (!stack.Layer(i).inUse) {
            stack.Layer(i).FreePlanes();
            m_snapshots.Forget(SnapshotSlot::A, i);
        }
    m_snapshots.SaveAll(SnapshotSlot::A, m_document.Header(), stack);
    m_document.State().busy = 0;
    if (changed) changed();
}

bool UndoHistory::Undo() {
    // At step 0 (and without a history) there is nothing to undo.
    if (m_stepPosition <= 0 || !m_store) return false;
    const int P = m_stepPosition - 1;
    LayerStack& stack = m_document.Stack();
    DocumentState& state = m_document.State();
    m_lastError.clear();

    std::unique_ptr<ListContents> initial;
    auto readInitial = [&]() -> bool {
        if (initial) return true;
        initial = std::make_unique<ListContents>();
        std::string error;
        if (!StepFileStore::ReadList(m_store->InitialListPath(), *initial, error)) {
            initial.reset();
            m_lastError = error;
            return false;
        }
        return true;
    };

    if (P == 0) {
        if (!readInitial()) return Fail(m_lastError);
        Load load;
        const int first = m_entries[0].layer;
        if (!PrepareLoad(first, 0, initial.get(), load)) return false;
        state.busy = 1;
        InstallList(*initial);
        // The step file adds the selection and the view to what the list file held.
        InstallLoad(load, true);
        RestoreImageInfo(m_entries[0]);
        SelectAfter(first);
        m_stepPosition = 0;
        Finish();
        return true;
    }

    const StepEntry& target = m_entries[size_t(P)];
    const StepEntry& undone = m_entries[size_t(P + 1)];
    const int E = undone.layer;
    const int code = undone.code;
    const std::vector<int> before = ListOrder(stack);
    const std::vector<int> after = ListOrder(target);

    // Which layers come back from the files.
    std::vector<int> restore;
    switch (code) {
        case StepCode::LayerAdded:
        case StepCode::LayerPasted:
        case StepCode::TextLayerAdded:
            break;
        case StepCode::Reordered:
        case StepCode::Flattened:
        case StepCode::Merged:
            for (int slot : after)
                if (!Contains(before, slot) && slot != E) restore.push_back(slot);
            if (Contains(after, E)) restore.push_back(E);
            break;
        case StepCode::Resized:
        case StepCode::Flipped:
            restore = after;
            break;
        default:
            if (Contains(after, E)) restore.push_back(E);
            break;
    }
    if (code == StepCode::LayerDeleted) {
        const int below = target.prevOf[size_t(E)], above = target.nextOf[size_t(E)];
        if (stack.Layer(E).inUse || (below != -1 && !stack.IsLayerInList(below)) ||
            (above != -1 && !stack.IsLayerInList(above)))
            return Fail("the deleted layer's place is taken");
    }
    if (code == StepCode::LayerAdded || code == StepCode::LayerPasted || code == StepCode::TextLayerAdded) {
        if (!stack.IsLayerInList(E) || stack.CountLayers() <= 1) return Fail("the added layer is gone");
    }

    // Everything is read before the document changes.
    std::vector<Load> loads(restore.size());
    for (size_t k = 0; k < restore.size(); ++k) {
        if (NewestRecording(restore[k], P) < 0 && !readInitial()) return Fail(m_lastError);
        if (!PrepareLoad(restore[k], P, initial.get(), loads[k])) return false;
    }
    if (P == 1) {
        std::string error;
        if (!m_store->WriteList(m_store->SecondListPath(), m_document.Header(), stack.Layers(), stack.headLayer, error))
            ::remove(m_store->SecondListPath().c_str());
    }

    state.busy = 1;
    switch (code) {
        case StepCode::LayerDeleted:
            stack.InsertLayerAt(E, target.prevOf[size_t(E)], target.nextOf[size_t(E)]);
            break;
        case StepCode::LayerAdded:
        case StepCode::LayerPasted:
        case StepCode::TextLayerAdded:
            stack.DeleteLayer(E);
            stack.FreeSlot(E);
            break;
        case StepCode::Reordered:
        case StepCode::Flattened:
        case StepCode::Merged:
        case StepCode::Resized:
        case StepCode::Flipped:
            WriteListStructure(target);
            break;
        default:
            break;
    }
    bool installed = true;
    for (Load& load : loads) installed = InstallLoad(load, !Contains(before, load.slot)) && installed;
    RestoreImageInfo(target);
    SelectAfter(target.layer);
    m_stepPosition = P;
    Finish();
    if (!installed) CurrentPlatform().ShowMessage(texts::kUndoReadFailed, MessageKind::Error);
    return true;
}

bool UndoHistory::Redo() {
    if (!m_store || m_redoLimit < m_stepPosition + 1 || m_stepPosition >= kMaxSteps - 1) return false;
    const int P = m_stepPosition + 1;
    LayerStack& stack = m_document.Stack();
    DocumentState& state = m_document.State();
    const StepEntry& entry = m_entries[size_t(P)];
    const int E = entry.layer;
    const int code = entry.code;
    m_lastError.clear();

    // Redoing step 2 starts from the whole stack as undo left it at step 2.
    std::unique_ptr<ListContents> second;
    if (P == 2) {
        second = std::make_unique<ListContents>();
        std::string error;
        if (!StepFileStore::ReadList(m_store->SecondListPath(), *second, error)) second.reset();
    }
    const std::vector<int> before = second ? second->order : ListOrder(stack);
    const std::vector<int> after = ListOrder(entry);

    std::vector<int> restore;
    if (code == StepCode::Resized || code == StepCode::Flipped) {
        restore = after;
    } else if (code != StepCode::LayerDeleted && Contains(after, E)) {
        restore.push_back(E);
    }
    if (code == StepCode::Reordered || code == StepCode::Flattened || code == StepCode::Merged) {
        for (int slot : after)
            if (!Contains(before, slot) && slot != E) restore.push_back(slot);
    }
    if (!second && (code == StepCode::LayerAdded || code == StepCode::LayerPasted || code == StepCode::TextLayerAdded)) {
        const int below = entry.prevOf[size_t(E)], above = entry.nextOf[size_t(E)];
        if (stack.Layer(E).inUse || (below != -1 && !stack.IsLayerInList(below)) ||
            (above != -1 && !stack.IsLayerInList(above)))
            return Fail("the added layer's place is taken");
    }
    std::unique_ptr<ListContents> initial;
    std::vector<Load> loads(restore.size());
    for (size_t k = 0; k < restore.size(); ++k) {
        if (NewestRecording(restore[k], P) < 0 && !initial) {
            initial = std::make_unique<ListContents>();
            std::string error;
            if (!StepFileStore::ReadList(m_store->InitialListPath(), *initial, error)) return Fail(error);
        }
        if (!PrepareLoad(restore[k], P, initial.get(), loads[k])) return false;
    }

    state.busy = 1;
    if (second) InstallList(*second);
    switch (code) {
        case StepCode::LayerDeleted:
        case StepCode::Reordered:
        case StepCode::Flattened:
        case StepCode::Merged:
        case StepCode::Resized:
        case StepCode::Flipped:
            WriteListStructure(entry);
            break;
        case StepCode::LayerAdded:
        case StepCode::LayerPasted:
        case StepCode::TextLayerAdded:
            if (!second) stack.InsertLayerAt(E, entry.prevOf[size_t(E)], entry.nextOf[size_t(E)]);
            break;
        default:
            break;
    }
    for (int i = 0; i < kMaxLayers; ++i)
        if (stack.Layer(i).inUse) {
            stack.Layer(i).x = entry.slots[size_t(i)].x;
            stack.Layer(i).y = entry.slots[size_t(i)].y;
        }
    bool installed = true;
    for (Load& load : loads) installed = InstallLoad(load, !Contains(before, load.slot)) && installed;
    if (entry.colourCount > 0) state.header.palette = entry.palette;
    RestoreImageInfo(entry);
    if (code == StepCode::LayerDeleted) {
        const StepEntry& previous = m_entries[size_t(P - 1)];
        const int above = previous.nextOf[size_t(E)], below = previous.prevOf[size_t(E)];
        SelectAfter(stack.IsLayerInList(above) ? above : below);
    } else {
        SelectAfter(E);
    }
    m_stepPosition = P;
    Finish();
    if (!installed) CurrentPlatform().ShowMessage(texts::kUndoReadFailed, MessageKind::Error);
    return true;
}

void UndoHistory::UpdateStepPosition(int slot, int32_t x, int32_t y) {
    if (m_stepPosition < 0 || !LayerStack::IsValidIndex(slot)) return;
    StepEntry& entry = m_entries[size_t(m_stepPosition)];
    entry.slots[size_t(slot)].x = x;
    entry.slots[size_t(slot)].y = y;
    if (entry.layer == slot) {
        entry.x = x;
        entry.y = y;
    }
    m_snapshots.MovePosition(SnapshotSlot::A, slot, x, y);
}

void UndoHistory::UpdateStepLook(int slot, const LayerRecord& layer) {
    if (m_stepPosition < 0 || !LayerStack::IsValidIndex(slot)) return;
    StepEntry& entry = m_entries[size_t(m_stepPosition)];
    StepSlotValues& values = entry.slots[size_t(slot)];
    values.blendMode = layer.blendMode;
    values.transparency = layer.transparency;
    values.visible = layer.visible;
    std::copy(std::begin(layer.name), std::end(layer.name), values.name);
    if (entry.layer == slot) entry.transparency = layer.transparency;
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
        rows.push_back(FormatRow(i, m_entries[size_t(i)].colourCount, m_entries[size_t(i)].name));
    return rows;
}

void RegisterHistoryCommands(CommandRegistry& registry) {
    registry.Register(cmd::kEditUndo, texts::kCmdTextUndo,
                      [](CVandDoc& d, const CommandParameters&) { return d.History().Undo(); });
    registry.Register(cmd::kEditRedo, texts::kCmdTextRedo,
                      [](CVandDoc& d, const CommandParameters&) { return d.History().Redo(); });
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
