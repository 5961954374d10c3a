#pragma once
// The document's two snapshot slots. Slot A, the committed copy, holds every
// layer as of the last recorded step (saved after each step, after loading and
// after undo or redo) and the selection mask of that step; previews are thrown
// away by restoring from it. Slot B holds the last previewed result of a dialog
// and the free-transform tools' starting picture.
//
// A plane whose bytes are all the same (the opacity of an opened picture, an
// empty shadow plane, a full selection) is kept as that one value. Slot A also
// notes which blocks of each plane changed since the history last stored them,
// and tells the history before it changes a plane, so that a step the history
// still keeps only here is stored first.
#include <cstdint>
#include <functional>
#include <vector>

#include "core/DibTypes.h"
#include "document/DocumentHeader.h"
#include "document/LayerRecord.h"
#include "document/SelectionMask.h"
#include "document/StepFileStore.h"

namespace quillory {

class LayerStack;

enum class SnapshotSlot { A = 0, B = 1 };

// A saved copy of one plane.
class SavedPlane {
public:
    uint64_t Length() const { return m_length; }
    // Null when every byte is Value().
    const uint8_t* Data() const { return m_uniform ? nullptr : m_bytes.data(); }
    uint8_t Value() const { return m_value; }
    // Blocks of kStepBlockBytes that changed since ClearChanged.
    const std::vector<bool>& Changed() const { return m_changed; }
    void ClearChanged() { m_changed.assign(m_changed.size(), false); }
    PlaneSource Source() const { return PlaneSource{Data(), m_length, m_value, &m_changed}; }

    // Makes this a copy of `from`; `beforeChange` runs once, before the first byte
    // changes. True when anything changed.
    bool CopyFrom(const std::vector<uint8_t>& from, const std::function<void()>& beforeChange);
    // Writes the copy into `to` (in place when the sizes match).
    void CopyTo(std::vector<uint8_t>& to) const;
    bool SameAs(const std::vector<uint8_t>& other) const;
    void Reset();

private:
    std::vector<uint8_t> m_bytes;
    uint64_t m_length = 0;
    bool m_uniform = true;
    uint8_t m_value = 0;
    std::vector<bool> m_changed;
};

class SnapshotSlots {
public:
    // Copies one layer (record, planes and text) and the picture's size, depth and palette.
    void Save(SnapshotSlot slot, const DocumentHeader& header, const LayerRecord& layer, int index);
    // Copies the saved layer back, keeping the layer's own inUse, prev, next, kind,
    // linkedLayer and transparency, and its visible flag as 0 or 1. False, with the
    // layer unchanged, when nothing was saved for that index.
    bool Restore(SnapshotSlot slot, LayerRecord& layer, int index) const;
    // Only the planes and the text go back into `layer`.
    bool RestorePlanes(SnapshotSlot slot, LayerRecord& layer, int index) const;
    // True when `layer`'s planes and text are those saved.
    bool SamePlanes(SnapshotSlot slot, const LayerRecord& layer, int index) const;
    bool Has(SnapshotSlot slot, int index) const;
    // Changes whenever the saved planes or text of an index change.
    uint64_t Generation(SnapshotSlot slot, int index) const { return AreaOf(slot).layers[index].generation; }
    // The saved record's settings; its planes are kept apart (Plane()).
    const LayerRecord& Saved(SnapshotSlot slot, int index) const { return AreaOf(slot).layers[index].fields; }
    // Plane 0 pixels, 1 opacity, 2 shadow; index kSelectionSlot, plane 0: the selection mask.
    const SavedPlane& Plane(SnapshotSlot slot, int index, int plane) const {
        return AreaOf(slot).layers[index].planes[plane];
    }
    // Saves every layer in use.
    void SaveAll(SnapshotSlot slot, const DocumentHeader& header, const LayerStack& stack);
    void Forget(SnapshotSlot slot, int index);
    // The record's settings only (not its planes): what a step that left the planes
    // as they were changed.
    void KeepSettings(SnapshotSlot slot, int index, const LayerRecord& layer);
    // A layer's new name, blend mode, transparency or visibility, which record no
    // step: the saved copy takes them, so that restoring it does not take them back.
    void KeepLook(SnapshotSlot slot, int index, const LayerRecord& layer);
    void Clear();

    // The selection mask of the last recorded step (slot A only; index kSelectionSlot).
    void SaveSelection(const SelectionMask& selection);
    void RestoreSelectionMask(std::vector<uint8_t>& mask) const;
    // Slot A: the blocks of an index are as the history last stored them.
    void ClearChanged(int index);
    // Slot A: a block of the index changed since ClearChanged.
    bool HasChanges(int index) const;
    // Slot A: called with the index before a saved plane, text or mask of it changes or goes.
    std::function<void(int index)> beforeCommittedChange;

    // Slot A under the names the commands use.
    void SaveCommitted(const DocumentHeader& header, const LayerRecord& layer, int index) {
        Save(SnapshotSlot::A, header, layer, index);
    }
    bool RestoreCommitted(LayerRecord& layer, int index) const { return Restore(SnapshotSlot::A, layer, index); }

    struct PictureValues {
        int32_t width = 0, height = 0, bitsPerPixel = 0, colourCount = 0;
        std::vector<RGBQUAD> palette;
    };
    const PictureValues& Picture(SnapshotSlot slot) const { return AreaOf(slot).picture; }

private:
    struct SavedLayer {
        LayerRecord fields;  // settings and text; no planes
        SavedPlane planes[3];
        bool saved = false;
        uint64_t generation = 0;
    };
    struct Area {
        PictureValues picture;
        SavedLayer layers[kRecordSlots];
    };
    static bool ValidIndex(int index) { return index >= 0 && index < kRecordSlots; }
    std::function<void()> Announcer(SnapshotSlot slot, int index, bool& announced);
    Area& AreaOf(SnapshotSlot slot) { return m_areas[int(slot)]; }
    const Area& AreaOf(SnapshotSlot slot) const { return m_areas[int(slot)]; }
    Area m_areas[2];
};

// The preview protocol of the adjustment dialogs: every preview starts from the
// committed copy (slot A), the last result waits in slot B; OK keeps it and
// records one step, cancel goes back to slot A.
class CVandDoc;
class PreviewSession {
public:
    // Restores the current layer from slot A and copies it into slot B.
    explicit PreviewSession(CVandDoc& document);
    // Restores from slot A, runs the operation on the layer, keeps the result in slot B.
    template <typename Operation>
    void Preview(Operation&& operation) {
        if (m_layer < 0 || m_layer >= kMaxLayers) return;
        Restart();
        operation(CurrentLayer());
        KeepResult();
    }
    // Restores from slot B and records the step.
    void Ok(const char* stepName);
    // Restores from slot A; no step.
    void Cancel();
    int Layer() const { return m_layer; }

private:
    void Restart();
    void KeepResult();
    LayerRecord& CurrentLayer();
    CVandDoc& m_document;
    int m_layer;
};

}  // namespace quillory
