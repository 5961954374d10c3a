#pragma once
// The document's two snapshot slots. Slot A, the committed copy, holds every
// layer as of the last recorded step (saved after each step, after loading and
// after undo or redo); previews are thrown away by restoring from it. Slot B
// holds the last previewed result of a dialog and the free-transform tools'
// starting picture.
#include <cstdint>
#include <vector>

#include "core/DibTypes.h"
#include "document/DocumentHeader.h"
#include "document/LayerRecord.h"

namespace quillory {

class LayerStack;

enum class SnapshotSlot { A = 0, B = 1 };

class SnapshotSlots {
public:
    // Copies one layer (record and planes) and the picture's size, depth and palette.
    void Save(SnapshotSlot slot, const DocumentHeader& header, const LayerRecord& layer, int index);
    // Copies the saved layer back, keeping the layer's own inUse, prev, next, kind,
    // linkedLayer and transparency, and its visible flag as 0 or 1. False, with the
    // layer unchanged, when nothing was saved for that index.
    bool Restore(SnapshotSlot slot, LayerRecord& layer, int index) const;
    bool Has(SnapshotSlot slot, int index) const;
    // Changes whenever the saved planes of an index change.
    uint64_t Generation(SnapshotSlot slot, int index) const { return AreaOf(slot).generation[index]; }
    const LayerRecord& Saved(SnapshotSlot slot, int index) const { return AreaOf(slot).layers[index]; }
    // Saves every layer in use.
    void SaveAll(SnapshotSlot slot, const DocumentHeader& header, const LayerStack& stack);
    void Forget(SnapshotSlot slot, int index);
    // A recorded move: the saved copy takes the layer's new position.
    void MovePosition(SnapshotSlot slot, int index, int32_t x, int32_t y);
    // A renamed layer or a new blend mode, which record no step: the saved copy
    // takes them, so that restoring it does not take them back.
    void KeepLook(SnapshotSlot slot, int index, const LayerRecord& layer);
    void Clear();

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
    struct Area {
        PictureValues picture;
        LayerRecord layers[kMaxLayers];
        bool saved[kMaxLayers] = {};
        uint64_t generation[kMaxLayers] = {};
    };
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
