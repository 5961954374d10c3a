#include "document/SnapshotSlots.h"

#include "document/CVandDoc.h"
#include "document/LayerStack.h"
#include "document/QvxFormat.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace quillory {

namespace {

bool Uniform(const uint8_t* p, size_t n) { return n == 0 || std::memcmp(p, p + 1, n - 1) == 0; }
bool AllEqual(const uint8_t* p, size_t n, uint8_t value) { return n == 0 || (p[0] == value && Uniform(p, n)); }
size_t BlockBytes(uint64_t length, uint64_t block) {
    return size_t(std::min<uint64_t>(kStepBlockBytes, length - block * kStepBlockBytes));
}

}  // namespace

bool SavedPlane::CopyFrom(const std::vector<uint8_t>& from, const std::function<void()>& beforeChange) {
    const uint64_t length = from.size();
    const uint64_t blocks = BlocksOf(length);
    if (length != m_length || m_changed.size() != blocks) {
        beforeChange();
        const bool uniform = Uniform(from.data(), from.size());
        if (uniform) {
            std::vector<uint8_t>().swap(m_bytes);
            m_value = length > 0 ? from[0] : 0;
        } else {
            m_bytes = from;
        }
        m_length = length;
        m_uniform = uniform;
        m_changed.assign(size_t(blocks), true);
        return true;
    }
    if (m_uniform) {
        uint64_t first = 0;
        while (first < blocks && AllEqual(from.data() + first * kStepBlockBytes, BlockBytes(length, first), m_value))
            ++first;
        if (first == blocks) return false;
        beforeChange();
        const uint8_t old = m_value;
        if (Uniform(from.data(), from.size())) {
            m_value = from[0];
            m_changed.assign(size_t(blocks), true);
            return true;
        }
        m_bytes = from;
        m_uniform = false;
        for (uint64_t b = first; b < blocks; ++b)
            if (!AllEqual(from.data() + b * kStepBlockBytes, BlockBytes(length, b), old)) m_changed[b] = true;
        return true;
    }
    bool changed = false;
    for (uint64_t b = 0; b < blocks; ++b) {
        const size_t n = BlockBytes(length, b);
        const uint8_t* source = from.data() + b * kStepBlockBytes;
        uint8_t* saved = m_bytes.data() + b * kStepBlockBytes;
        if (std::memcmp(source, saved, n) == 0) continue;
        if (!changed) beforeChange();
        changed = true;
        std::memcpy(saved, source, n);
        m_changed[b] = true;
    }
    return changed;
}

void SavedPlane::CopyTo(std::vector<uint8_t>& to) const {
    if (to.size() != m_length) {
        if (m_uniform) to.assign(size_t(m_length), m_value);
        else to = m_bytes;
        return;
    }
    if (m_uniform) std::memset(to.data(), m_value, to.size());
    else if (!to.empty()) std::memcpy(to.data(), m_bytes.data(), to.size());
}

bool SavedPlane::SameAs(const std::vector<uint8_t>& other) const {
    if (other.size() != m_length) return false;
    if (m_uniform) return AllEqual(other.data(), other.size(), m_value);
    return other.empty() || std::memcmp(other.data(), m_bytes.data(), other.size()) == 0;
}

void SavedPlane::Reset() { *this = SavedPlane{}; }

std::function<void()> SnapshotSlots::Announcer(SnapshotSlot slot, int index, bool& announced) {
    const bool held = slot == SnapshotSlot::A && AreaOf(slot).layers[index].saved && beforeCommittedChange;
    return [this, held, index, &announced] {
        if (!held || announced) return;
        announced = true;
        beforeCommittedChange(index);
    };
}

void SnapshotSlots::Save(SnapshotSlot slot, const DocumentHeader& header, const LayerRecord& layer, int index) {
    if (!LayerStack::IsValidIndex(index)) return;
    Area& area = AreaOf(slot);
    area.picture.width = header.width;
    area.picture.height = header.height;
    area.picture.bitsPerPixel = header.bitsPerPixel;
    area.picture.colourCount = header.colourCount;
    area.picture.palette = header.palette;
    SavedLayer& saved = area.layers[index];
    bool announced = false;
    const std::function<void()> before = Announcer(slot, index, announced);
    try {
        bool changed = !saved.saved;
        if (saved.saved && saved.fields.text != layer.text) {
            before();
            changed = true;
        }
        changed = saved.planes[0].CopyFrom(layer.pixels, before) || changed;
        changed = saved.planes[1].CopyFrom(layer.alpha, before) || changed;
        changed = saved.planes[2].CopyFrom(layer.effect, before) || changed;
        // Every stored field, through the record's stored form.
        uint8_t fields[kLayerRecordFileBytes];
        StoreLayerRecord(layer, fields);
        LoadLayerRecord(fields, kLayerRecordFileBytes, saved.fields);
        saved.fields.text = layer.text;
        if (changed) ++saved.generation;
        saved.saved = true;
    } catch (const std::bad_alloc&) {
        Forget(slot, index);
    }
}

bool SnapshotSlots::Restore(SnapshotSlot slot, LayerRecord& layer, int index) const {
    if (!Has(slot, index) || index == kSelectionSlot) return false;
    const LayerRecord& saved = AreaOf(slot).layers[index].fields;
    const int32_t inUse = layer.inUse;
    const int16_t prev = layer.prev, next = layer.next, linked = layer.linkedLayer;
    const uint8_t kind = layer.kind, transparency = layer.transparency;
    const int32_t visible = layer.visible == 1 ? 1 : 0;
    RestorePlanes(slot, layer, index);
    std::vector<uint8_t> pixels = std::move(layer.pixels), alpha = std::move(layer.alpha),
                         effect = std::move(layer.effect);
    std::u16string text = std::move(layer.text);
    layer = saved;
    layer.pixels = std::move(pixels);
    layer.alpha = std::move(alpha);
    layer.effect = std::move(effect);
    layer.text = std::move(text);
    layer.inUse = inUse;
    layer.prev = prev;
    layer.next = next;
    layer.linkedLayer = linked;
    layer.kind = kind;
    layer.transparency = transparency;
    layer.visible = visible;
    return true;
}

bool SnapshotSlots::RestorePlanes(SnapshotSlot slot, LayerRecord& layer, int index) const {
    if (!Has(slot, index) || index == kSelectionSlot) return false;
    const SavedLayer& saved = AreaOf(slot).layers[index];
    saved.planes[0].CopyTo(layer.pixels);
    saved.planes[1].CopyTo(layer.alpha);
    saved.planes[2].CopyTo(layer.effect);
    layer.text = saved.fields.text;
    return true;
}

bool SnapshotSlots::SamePlanes(SnapshotSlot slot, const LayerRecord& layer, int index) const {
    if (!Has(slot, index) || index == kSelectionSlot) return false;
    const SavedLayer& saved = AreaOf(slot).layers[index];
    return saved.fields.text == layer.text && saved.planes[0].SameAs(layer.pixels) &&
           saved.planes[1].SameAs(layer.alpha) && saved.planes[2].SameAs(layer.effect);
}

bool SnapshotSlots::Has(SnapshotSlot slot, int index) const {
    return ValidIndex(index) && AreaOf(slot).layers[index].saved;
}

void SnapshotSlots::SaveAll(SnapshotSlot slot, const DocumentHeader& header, const LayerStack& stack) {
    for (int i = 0; i < kMaxLayers; ++i)
        if (stack.Layer(i).inUse) Save(slot, header, stack.Layer(i), i);
}

void SnapshotSlots::Forget(SnapshotSlot slot, int index) {
    if (!ValidIndex(index)) return;
    SavedLayer& saved = AreaOf(slot).layers[index];
    if (saved.saved && slot == SnapshotSlot::A && beforeCommittedChange) beforeCommittedChange(index);
    saved.fields = LayerRecord{};
    for (SavedPlane& plane : saved.planes) plane.Reset();
    saved.saved = false;
    ++saved.generation;
}

void SnapshotSlots::KeepSettings(SnapshotSlot slot, int index, const LayerRecord& layer) {
    if (!Has(slot, index) || index == kSelectionSlot) return;
    LayerRecord& saved = AreaOf(slot).layers[index].fields;
    std::u16string text = std::move(saved.text);
    uint8_t fields[kLayerRecordFileBytes];
    StoreLayerRecord(layer, fields);
    LoadLayerRecord(fields, kLayerRecordFileBytes, saved);
    saved.text = std::move(text);
}

void SnapshotSlots::KeepLook(SnapshotSlot slot, int index, const LayerRecord& layer) {
    if (!Has(slot, index)) return;
    LayerRecord& saved = AreaOf(slot).layers[index].fields;
    std::copy(std::begin(layer.name), std::end(layer.name), saved.name);
    saved.blendMode = layer.blendMode;
    saved.transparency = layer.transparency;
    saved.visible = layer.visible;
}

void SnapshotSlots::Clear() {
    for (int s = 0; s < 2; ++s)
        for (int i = 0; i < kRecordSlots; ++i) Forget(SnapshotSlot(s), i);
}

void SnapshotSlots::SaveSelection(const SelectionMask& selection) {
    SavedLayer& saved = AreaOf(SnapshotSlot::A).layers[kSelectionSlot];
    bool announced = false;
    const std::function<void()> before = Announcer(SnapshotSlot::A, kSelectionSlot, announced);
    try {
        const bool changed = saved.planes[0].CopyFrom(selection.mask, before) || !saved.saved;
        if (changed) ++saved.generation;
        saved.saved = true;
    } catch (const std::bad_alloc&) {
        Forget(SnapshotSlot::A, kSelectionSlot);
    }
}

void SnapshotSlots::RestoreSelectionMask(std::vector<uint8_t>& mask) const {
    AreaOf(SnapshotSlot::A).layers[kSelectionSlot].planes[0].CopyTo(mask);
}

bool SnapshotSlots::HasChanges(int index) const {
    if (!ValidIndex(index)) return false;
    for (const SavedPlane& plane : AreaOf(SnapshotSlot::A).layers[index].planes)
        for (bool changed : plane.Changed())
            if (changed) return true;
    return false;
}

void SnapshotSlots::ClearChanged(int index) {
    if (!ValidIndex(index)) return;
    for (SavedPlane& plane : AreaOf(SnapshotSlot::A).layers[index].planes) plane.ClearChanged();
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
