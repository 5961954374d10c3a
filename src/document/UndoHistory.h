#pragma once
// The document's undo and redo history: up to 20 named steps. A step keeps in
// memory the whole document apart from its planes: the header and palette, every
// slot's record, the stack's order, the current layer, the selection's geometry,
// the composite picture's information and the view. The planes are kept per
// record slot (40 layers and the selection mask) only where the step changed
// them: undo and redo take each slot's planes from the newest step at or before
// the target that changed it.
//
// The newest planes of a slot are the committed copy (SnapshotSlots, slot A);
// they go to a step file (StepFileStore) only when the committed copy is about
// to change, so opening a picture writes nothing and every later step writes
// the blocks of the planes it replaces. Steps 0 and 1 never roll off; step 2
// rolls off when a 21st step is recorded.
//
// Undo and redo are one move to a recorded step: every file it needs is read
// and checked first, and the document changes only when all of them were read,
// so a missing or damaged file fails the move with a message and leaves the
// document as it was.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/CommandIds.h"
#include "core/NyZazo.h"
#include "document/CVandDoc.h"
#include "document/SnapshotSlots.h"
#include "document/StepFileStore.h"

namespace quillory {

class CommandRegistry;

inline constexpr int kMaxSteps = 20;
inline constexpr int kViewStateValues = 26;

// What the view keeps about a step: the visible area, its height's absolute
// value, one view value, the zoom and scroll state and the document window's
// rectangle (all -1 without a frame).
struct ViewValues {
    int32_t visibleArea[4] = {0, 0, 0, 0};
    int32_t absHeight = 0;
    int32_t viewValue = 0;
    int32_t state[kViewStateValues] = {};
    int32_t windowRect[4] = {-1, -1, -1, -1};
};

// What recording a step of one kind does besides keeping the whole document's
// settings: which layers' planes the step may have changed (only those are
// compared with the committed copy and kept), and which extra values it keeps.
struct StepKind {
    enum class Planes { StepLayer, EveryLayer, None };
    enum class Extra { None, FrameValues, DocumentValue };
    int code;
    Planes planes;
    Extra extra;
};
// The kind of a step code; codes without a row of their own change every layer.
const StepKind& KindOfStep(int code);

struct StepEntry {
    std::string name;  // first 100 characters
    uint8_t code = 0;
    uint8_t layer = 0;  // the slot the step changed
    int32_t command = -1;

    DocumentHeader header;                        // with the palette; no scratch copies
    std::array<LayerRecord, kMaxLayers> slots{};  // every slot's record, without planes
    // Bytes of each record slot's planes (pixels, opacity, shadow, text; the mask for
    // the selection slot), which the slot's step file must give back.
    std::array<std::array<uint64_t, kMaxPlanes>, kRecordSlots> planeBytes{};
    int32_t headLayer = -1;
    int32_t currentLayer = -1;
    SelectionMask selection;  // geometry and flags; the mask is a record slot of its own

    NyZazoInfo imageInfo;
    ViewValues view;

    // Code 7: the new picture size of the resizing command; code 10: one document value.
    int32_t frameValues[2] = {0, 0};
    int64_t documentValue = 0;

    // Record slots whose planes this step changed (bit kSelectionSlot: the selection mask).
    uint64_t recordedSlots = 0;
    bool Recorded(int slot) const { return (recordedSlots >> slot) & 1; }
};

class UndoHistory : public StepSink {
public:
    // Plugs itself into the document's step hook. Files go to `folder` (the
    // process's temporary folder when empty).
    UndoHistory(CVandDoc& document, SnapshotSlots& snapshots, std::string folder = {});
    ~UndoHistory() override;
    UndoHistory(const UndoHistory&) = delete;
    UndoHistory& operator=(const UndoHistory&) = delete;

    void StepRecorded(CVandDoc& document, const StepRecord& step) override;

    // Command kEditUndo and kEditRedo. False when nothing changed (nothing to undo or
    // redo, or a file could not be read: then with a message).
    bool Undo();
    bool Redo();
    bool CanUndo() const { return m_stepPosition > 0; }
    bool CanRedo() const { return m_stepPosition >= 0 && m_stepPosition < m_redoLimit; }

    int StepPosition() const { return m_stepPosition; }
    int RedoLimit() const { return m_redoLimit; }
    const StepEntry& Entry(int index) const { return m_entries[size_t(index)]; }
    const StepFileStore* Store() const { return m_store.get(); }

    // The history list, newest first: one row per step from the current one down to 0.
    std::vector<std::string> HistoryRows() const;
    static std::string FormatRow(int index, int colourCount, const std::string& name);

    // Settings that change without a step of their own belong to the current step,
    // so that undoing the next step gives them back as they were before it: a
    // layer's name, blend mode, transparency and visibility, and the current layer.
    void UpdateStepLook(int slot, const LayerRecord& layer);
    void UpdateStepCurrentLayer();

    // Values a resizing (code 7) or flipping (code 10) command leaves for its step.
    void SetExtraValues(int32_t frameA, int32_t frameB, int64_t documentValue);

    // Hooks of the user interface.
    std::function<int()> currentCommand;              // the main frame's current command id
    std::function<ViewValues()> captureView;          // at recording
    std::function<void(const ViewValues&)> restoreView;  // after undo and redo
    std::function<void()> changed;                    // refresh the history list, palette and views

    const std::string& LastError() const { return m_lastError; }

private:
    struct SlotPlan;
    bool EnsureStore();
    void Restart();
    void DiscardRedoSteps();
    void RollOff();
    void Capture(StepEntry& entry, const StepRecord& step);
    bool KeepChangedPlanes(StepEntry& entry, int position, const StepRecord& step, bool everything);
    void NoteRecorded(StepEntry& entry, int slot, int position);
    bool Persist(int slot);
    int NewestRecording(int slot, int position) const;
    bool GoTo(int position);
    bool Fail(const std::string& detail);

    CVandDoc& m_document;
    SnapshotSlots& m_snapshots;
    std::string m_folder;
    std::unique_ptr<StepFileStore> m_store;
    int m_stepPosition = -1;
    int m_redoLimit = -1;
    std::vector<StepEntry> m_entries;
    // Per record slot: the step whose planes the committed copy holds (-1 none),
    // whether that step's file is still to be written, and the committed copy's
    // generation when it was taken.
    std::array<int, kRecordSlots> m_committedStep{};
    std::array<bool, kRecordSlots> m_heldOnly{};
    std::array<uint64_t, kRecordSlots> m_committedGeneration{};
    bool m_writeFailed = false;
    int32_t m_pendingFrame[2] = {0, 0};
    int64_t m_pendingDocumentValue = 0;
    std::string m_lastError;
};

// Registers undo (kEditUndo), redo (kEditRedo) and the shadow effect (kLayerEffect), and makes
// the colour-depth commands (kEightBitColour, kRgbColour) record their step: they change every
// layer, so the step keeps all of them.
void RegisterHistoryCommands(CommandRegistry& registry);

}  // namespace quillory
