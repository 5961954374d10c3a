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
    const LayerRecord& Saved(SnapshotSlot slot, int index) const { return AreaOf(slot).layers[index]; }
    // Saves every layer in use.
    void SaveAll(SnapshotSlot slot, const DocumentHeader& header, const LayerStack& stack);
    void Forget(SnapshotSlot slot, int index);
    // A recorded move: the saved copy takes the layer's new position.
    void MovePosition(SnapshotSlot slot, int index, int32_t x, int32_t y);
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
    };
    Area& AreaOf(SnapshotSlot slot) { return m_areas[int(slot)]; }
    const Area& AreaOf(SnapshotSlot slot) const { return m_areas[int(slot)]; }
    Area m_areas[2];
};

}  // namespace quillory
