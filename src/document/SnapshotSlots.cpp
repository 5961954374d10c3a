#include "document/SnapshotSlots.h"

#include "document/CVandDoc.h"
#include "document/LayerStack.h"
#include "document/QvxFormat.h"

#include <algorithm>
#include <cstring>

namespace quillory {

namespace {

// Copies a plane into a saved plane of the same size chunk by chunk, writing only
// the chunks that differ: after a step most of a large layer is unchanged, and
// comparing costs less than rewriting the copy.
bool CopyChanged(const std::vector<uint8_t>& from, std::vector<uint8_t>& to) {
    if (from.size() != to.size()) {
        to = from;
        return true;
    }
    constexpr size_t kChunk = 1 << 14;
    bool changed = false;
    for (size_t at = 0; at < from.size(); at += kChunk) {
        const size_t n = std::min(kChunk, from.size() - at);
        if (std::memcmp(from.data() + at, to.data() + at, n) != 0) {
            std::memcpy(to.data() + at, from.data() + at, n);
            changed = true;
        }
    }
    return changed;
}

// Every stored field (through the record's stored form), then the planes.
// True when a plane changed.
bool CopyLayer(const LayerRecord& from, LayerRecord& to) {
    uint8_t fields[kLayerRecordFileBytes];
    StoreLayerRecord(from, fields);
    LoadLayerRecord(fields, kLayerRecordFileBytes, to);
    bool changed = CopyChanged(from.pixels, to.pixels);
    changed = CopyChanged(from.alpha, to.alpha) || changed;
    changed = CopyChanged(from.effect, to.effect) || changed;
    to.text = from.text;
    return changed;
}

}  // namespace

void SnapshotSlots::Save(SnapshotSlot slot, const DocumentHeader& header, const LayerRecord& layer, int index) {
    if (!LayerStack::IsValidIndex(index)) return;
    Area& area = AreaOf(slot);
    area.picture.width = header.width;
    area.picture.height = header.height;
    area.picture.bitsPerPixel = header.bitsPerPixel;
    area.picture.colourCount = header.colourCount;
    area.picture.palette = header.palette;
    if (CopyLayer(layer, area.layers[index]) || !area.saved[index]) ++area.generation[index];
    area.saved[index] = true;
}

bool SnapshotSlots::Restore(SnapshotSlot slot, LayerRecord& layer, int index) const {
    if (!Has(slot, index)) return false;
    const LayerRecord& saved = AreaOf(slot).layers[index];
    const int32_t inUse = layer.inUse;
    const int16_t prev = layer.prev, next = layer.next, linked = layer.linkedLayer;
    const uint8_t kind = layer.kind, transparency = layer.transparency;
    const int32_t visible = layer.visible == 1 ? 1 : 0;
    layer = saved;
    layer.inUse = inUse;
    layer.prev = prev;
    layer.next = next;
    layer.linkedLayer = linked;
    layer.kind = kind;
    layer.transparency = transparency;
    layer.visible = visible;
    return true;
}

bool SnapshotSlots::Has(SnapshotSlot slot, int index) const {
    return LayerStack::IsValidIndex(index) && AreaOf(slot).saved[index];
}

void SnapshotSlots::SaveAll(SnapshotSlot slot, const DocumentHeader& header, const LayerStack& stack) {
    for (int i = 0; i < kMaxLayers; ++i)
        if (stack.Layer(i).inUse) Save(slot, header, stack.Layer(i), i);
}

void SnapshotSlots::Forget(SnapshotSlot slot, int index) {
    if (!LayerStack::IsValidIndex(index)) return;
    Area& area = AreaOf(slot);
    area.layers[index] = LayerRecord{};
    area.saved[index] = false;
    ++area.generation[index];
}

void SnapshotSlots::MovePosition(SnapshotSlot slot, int index, int32_t x, int32_t y) {
    if (!Has(slot, index)) return;
    AreaOf(slot).layers[index].x = x;
    AreaOf(slot).layers[index].y = y;
}

void SnapshotSlots::KeepLook(SnapshotSlot slot, int index, const LayerRecord& layer) {
    if (!Has(slot, index)) return;
    LayerRecord& saved = AreaOf(slot).layers[index];
    std::copy(std::begin(layer.name), std::end(layer.name), saved.name);
    saved.blendMode = layer.blendMode;
    saved.transparency = layer.transparency;
    saved.visible = layer.visible;
}

void SnapshotSlots::Clear() {
    for (int s = 0; s < 2; ++s)
        for (int i = 0; i < kMaxLayers; ++i) Forget(SnapshotSlot(s), i);
}

PreviewSession::PreviewSession(CVandDoc& document) : m_document(document), m_layer(document.CurrentLayer()) {
    Restart();
    KeepResult();
}

LayerRecord& PreviewSession::CurrentLayer() { return m_document.Layer(m_layer); }

void PreviewSession::Restart() {
    if (LayerStack::IsValidIndex(m_layer)) m_document.Snapshots().Restore(SnapshotSlot::A, CurrentLayer(), m_layer);
}

void PreviewSession::KeepResult() {
    if (LayerStack::IsValidIndex(m_layer))
        m_document.Snapshots().Save(SnapshotSlot::B, m_document.Header(), CurrentLayer(), m_layer);
}

void PreviewSession::Ok(const char* stepName) {
    if (!LayerStack::IsValidIndex(m_layer)) return;
    m_document.Snapshots().Restore(SnapshotSlot::B, CurrentLayer(), m_layer);
    m_document.RecordStep(stepName, StepCode::Pixels, m_layer);
}

void PreviewSession::Cancel() { Restart(); }

}  // namespace quillory
