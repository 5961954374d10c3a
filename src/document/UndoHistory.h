#pragma once
// The document's undo and redo history: up to 20 named steps. A step keeps in
// memory the layer structure and every layer's settings at that moment; the
// planes of the layers it changed go to step files (StepFileStore). Steps 0 and
// 1 never roll off; step 2 rolls off when a 21st step is recorded.
//
// Undo and redo first read every file they need into memory and change the
// document only when all of them were read, so a missing or damaged file fails
// the undo with a message and leaves the document as it was.
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

// Settings of one slot at a step.
struct StepSlotValues {
    int32_t x = 0, y = 0, height = 0, width = 0;
    uint8_t kind = 0;
    int32_t textColour = 0;
    int32_t textLength = 0;
    int32_t textX = 0, textY = 0;
    uint8_t transparency = 0;
    // Kept so that a layer brought back by undo or redo is whole again.
    uint8_t effectOn = 0, effectSize = 0;
    int32_t shadowColour = 0, shadowOnly = 0;
    uint8_t blendMode = 0;
    int32_t visible = 1;
    char16_t name[kNameUnits] = {};
};

struct StepEntry {
    std::string name;  // first 100 characters
    uint8_t code = 0;
    uint8_t layer = 0;  // the slot the step changed
    int32_t command = -1;

    // Picture values.
    int32_t colourCount = 0, bitsPerPixel = 0, imageSize = 0, pixelCount = 0, height = 0, width = 0;
    int32_t originX = 0, originY = 0;
    uint8_t formatType = 0;
    std::vector<RGBQUAD> palette;

    // The changed layer.
    int32_t pixelSize = 0, stride = 0, x = 0, y = 0, layerWidth = 0, layerHeight = 0;
    int16_t prev = -1, next = -1;
    uint8_t kind = 0;
    int32_t textColour = 0, textLength = 0, textX = 0, textY = 0;
    uint8_t transparency = 0;

    std::array<StepSlotValues, kMaxLayers> slots{};

    // List structure.
    int32_t headLayer = -1;
    std::array<int16_t, kMaxLayers> prevOf{}, nextOf{}, inUseOf{};

    // Selection.
    int32_t maskX = 0, maskY = 0, maskWidth = 0, maskHeight = 0;
    uint8_t selectionActive = 0;

    // Effect of the changed layer.
    uint8_t effectOn = 0, effectSize = 0;
    int32_t shadowColour = 0, shadowOnly = 0;

    NyZazoInfo imageInfo;
    ViewValues view;

    // Code 7: the new picture size of the resizing command; code 10: one document value.
    int32_t frameValues[2] = {0, 0};
    int64_t documentValue = 0;

    // Slots whose planes this step's files hold.
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

    // A recorded move of a layer: the current step keeps the layer's new position.
    void UpdateStepPosition(int slot, int32_t x, int32_t y);
    // A layer's name, blend mode, transparency or visibility changed without a step:
    // the current step keeps the new look.
    void UpdateStepLook(int slot, const LayerRecord& layer);

    // Values a resizing (code 7) or flipping (code 10) command leaves for its step.
    void SetExtraValues(int32_t frameA, int32_t frameB, int64_t documentValue);

    // Hooks of the user interface.
    std::function<int()> currentCommand;              // the main frame's current command id
    std::function<ViewValues()> captureView;          // at recording
    std::function<void(const ViewValues&)> restoreView;  // after undo and redo
    std::function<void()> changed;                    // refresh the history list, palette and views

    const std::string& LastError() const { return m_lastError; }

private:
    struct Load;  // one layer's planes read for an undo or redo
    // The selection a step file was written with (its mask is in the file).
    struct FileMeta {
        int32_t maskX = 0, maskY = 0, maskWidth = 0, maskHeight = 0;
        uint8_t selectionActive = 0;
    };
    bool EnsureStore();
    void FillEntry(StepEntry& entry, const StepRecord& step);
    bool WriteLayer(int step, int slot);
    void RollOff();
    int NewestRecording(int slot, int position) const;
    bool PrepareLoad(int slot, int position, const ListContents* initial, Load& load);
    bool InstallLoad(Load& load, bool restoreLook);
    bool InstallList(ListContents& list);
    void WriteListStructure(const StepEntry& entry);
    void SelectAfter(int preferred);
    void RestoreImageInfo(const StepEntry& entry);
    void Finish();
    bool Fail(const std::string& detail);

    CVandDoc& m_document;
    SnapshotSlots& m_snapshots;
    std::string m_folder;
    std::unique_ptr<StepFileStore> m_store;
    int32_t m_documentNumber = 0;
    int m_stepPosition = -1;
    int m_redoLimit = -1;
    std::vector<StepEntry> m_entries;
    std::array<std::array<FileMeta, kMaxLayers>, kMaxSteps> m_fileMeta{};
    // The committed copy's generation of each slot right after its last step file
    // was written: while it stays, that copy is the base of the slot's next file.
    std::array<uint64_t, kMaxLayers> m_baseGeneration{};
    uint64_t m_writtenNow = 0;  // slots written by the step being recorded
    int32_t m_pendingFrame[2] = {0, 0};
    int64_t m_pendingDocumentValue = 0;
    std::string m_lastError;
};

// Registers undo (kEditUndo), redo (kEditRedo) and the shadow effect (kLayerEffect), and makes
// the colour-depth commands (kEightBitColour, kRgbColour) record their step: they change every
// layer, so the step keeps all of them.
void RegisterHistoryCommands(CommandRegistry& registry);

}  // namespace quillory
