#pragma once
// CVandDoc: one open picture. A facade: the layer table lives in LayerStack,
// blending in the Compositor, opening and saving in DocumentIO. Its own code
// checks, changes, records the named step and notifies.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/NyZazo.h"
#include "core/SaveOptions.h"
#include "document/Compositor.h"
#include "document/DocumentState.h"
#include "document/LayerStack.h"

namespace quillory {

// Kinds of recorded steps (what the history must keep to undo them).
namespace StepCode {
inline constexpr int Pixels = 0;
inline constexpr int LayerDeleted = 1;
inline constexpr int LayerAdded = 2;
inline constexpr int LayerPasted = 3;
inline constexpr int TextEdited = 4;
inline constexpr int TextLayerAdded = 5;
inline constexpr int Reordered = 6;
inline constexpr int Resized = 7;
inline constexpr int Flattened = 8;
inline constexpr int Merged = 9;
inline constexpr int Flipped = 10;
}  // namespace StepCode

inline constexpr size_t kMaxStepRecords = 100;

struct StepRecord {
    std::string name;
    int code = 0;
    int layer = -1;  // the slot the step changed
};

// Receives every recorded step after the document has changed; the undo history plugs in here.
class StepSink {
public:
    virtual ~StepSink() = default;
    virtual void StepRecorded(class CVandDoc& document, const StepRecord& step) = 0;
};

// Application-wide new-picture settings (written by the new-picture dialog).
struct NewPictureSettings {
    enum Background : int { White = 0, Transparent = 1, Colour = 2 };
    int width = 450;
    int height = 450;
    std::string name = "이름없음";
    int background = White;
    int bitsPerPixel = 24;
    RGBQUAD backgroundColour{255, 255, 255, 0};
};

struct VisibleArea {
    int32_t x = 0, y = 0, width = 0, height = 0;
};

class SnapshotSlots;
class UndoHistory;

// A part that a library above the document attaches to it (the measurement
// objects). The document owns it and tells it when the history moved its layers.
class DocumentAttachment {
public:
    virtual ~DocumentAttachment() = default;
    // True when the part holds something a save would keep, so closing asks first.
    virtual bool HasContent() const = 0;
    // After undo or redo put back layers.
    virtual void HistoryMoved() {}
};

class CVandDoc {
public:
    CVandDoc();
    ~CVandDoc();
    CVandDoc(const CVandDoc&) = delete;
    CVandDoc& operator=(const CVandDoc&) = delete;

    // The parts.
    DocumentState& State() { return m_state; }
    const DocumentState& State() const { return m_state; }
    LayerStack& Stack() { return m_stack; }
    const LayerStack& Stack() const { return m_stack; }
    DocumentHeader& Header() { return m_state.header; }
    const DocumentHeader& Header() const { return m_state.header; }
    LayerRecord& Layer(int index) { return m_stack.Layer(index); }
    const LayerRecord& Layer(int index) const { return m_stack.Layer(index); }
    int HeadLayer() const { return m_stack.headLayer; }
    int CurrentLayer() const { return m_stack.currentLayer; }
    NyZazo* Composite() { return m_state.composite.get(); }

    // Layer stack.
    bool CreateLayerPlanes(const LayerPlanesRequest& request) { return m_stack.CreateLayerPlanes(request); }
    int InsertLayer(int below) { return m_stack.InsertLayer(below); }
    bool DeleteLayer(int index, bool recordUndo);
    bool SelectLayer(int index);
    int CountLayers() const { return m_stack.CountLayers(); }
    int LayerAtRow(int start, int steps) const { return m_stack.LayerAtRow(start, steps); }
    bool IsLayerInList(int index) const { return m_stack.IsLayerInList(index); }
    int TopLayer() const { return m_stack.TopLayer(); }
    // Moves the current layer (refused when it would leave the canvas entirely); with
    // `record` the move is a step of its own, "전체영상 위치이동". A drag moves unrecorded
    // and records the whole drag once with RecordLayerMove.
    bool MoveLayer(int dx, int dy, bool record);
    void RecordLayerMove();
    bool ReorderLayers(int a, int b);
    void SetLayerName(int index, std::string_view utf8Name);
    std::string LayerName(int index) const;
    // A layer's look (kLayerVisibility, kLayerTransparency, kLayerBlendMode). Not a step of
    // its own: the current step and the committed copy take the new look, so a
    // restored preview or an undone later step keeps it. False for a layer not in the list.
    bool SetLayerVisible(int index, bool visible);
    bool SetLayerTransparency(int index, uint8_t value);
    bool SetLayerBlendMode(int index, uint8_t blendMode);

    // Commands of the stack.
    bool AddLayer();          // kLayerAdd
    bool DeleteCurrentLayer(); // kLayerDelete
    bool MergeDown();         // kLayerMergeDown: the current layer with the one above it
    bool MergeUp();           // kLayerMergeUp: the layer below with the current one
    bool Flatten();           // kLayerFlatten
    bool DuplicateLayer();    // kLayerDuplicate
    bool TextToRaster();      // kLayerToRaster
    bool RenameCurrentLayer(std::string_view utf8Name);  // kLayerRename
    bool RenameLayer(int index, std::string_view utf8Name);
    // Merges a pending floating selection into the layer it was lifted from and
    // records "선택영역 위치이동"; the selection ends. False when none is pending.
    bool DropFloatingSelection();

    // Display: the visible stack blended at the view's zoom and origin.
    void Render(TargetBuffer& target, const RenderMapping& mapping) const;
    // The visible stack at full size, rows top-down; layers unchanged.
    bool FlattenForSaving(std::vector<uint32_t>& flattenBuffer) const;

    // Lifecycle (see DocumentIO).
    bool NewDocument(const NewPictureSettings& settings);
    // `page` picks the page of a multi-page TIFF or the frame of an animated GIF.
    bool OpenDocument(const std::string& path, NyZazo* prereadPsd = nullptr, int page = 0);
    bool SaveDocument(const std::string& path, const SaveOptions& options = {});
    // A one-layer document from a picture; alphaFill is the layer's opacity.
    bool BuildFromImage(NyZazo& picture, std::string_view pictureName, uint8_t alphaFill);
    // After a reader filled the table: number, current layer, 24 bits, kind 1, first step.
    void FinishOpening(int layer);

    std::string PictureName() const;
    const std::string& FileName() const { return m_fileName; }
    void SetFileName(std::string name) { m_fileName = std::move(name); }
    const std::string& PathName() const { return m_pathName; }
    void SetPathName(std::string path) { m_pathName = std::move(path); }
    int32_t DocumentNumber() const { return m_documentNumber; }
    void SetDocumentNumber(int32_t number) { m_documentNumber = number; }
    bool IsModified() const { return m_modified; }
    void SetModified(bool modified) { m_modified = modified; }
    // Why the last open or save failed, when the reason is not a message of its own.
    const std::string& LastError() const { return m_lastError; }
    void SetLastError(std::string text) { m_lastError = std::move(text); }
    VisibleArea& Visible() { return m_visible; }
    const VisibleArea& Visible() const { return m_visible; }

    // The one place a change is recorded: after every change, with its step name,
    // code and slot (-1 = the current layer).
    void RecordStep(std::string_view name, int code, int layer = -1);
    const std::vector<StepRecord>& RecordedSteps() const { return m_steps; }
    void SetStepSink(StepSink* sink) { m_stepSink = sink; }

    // Called after every change that should be shown (views repaint, palettes refresh).
    void SetChangeListener(std::function<void(CVandDoc&)> listener) { m_changeListener = std::move(listener); }
    void NotifyChanged() {
        if (m_changeListener) m_changeListener(*this);
    }
    // The committed copy and preview slots, and the undo history that listens to RecordStep.
    SnapshotSlots& Snapshots() { return *m_snapshots; }
    UndoHistory& History() { return *m_history; }
    // The measurement objects, attached by the measuring side on first use.
    DocumentAttachment* Measures() const { return m_measures.get(); }
    void AttachMeasures(std::unique_ptr<DocumentAttachment> part) { m_measures = std::move(part); }

private:
    bool MergePair(int lower, int upper);
    void LookChanged(int index);

    DocumentState m_state;
    LayerStack m_stack;
    std::string m_fileName;
    std::string m_pathName;
    int32_t m_documentNumber = 0;
    bool m_modified = false;
    VisibleArea m_visible;
    std::string m_lastError;
    std::vector<StepRecord> m_steps;  // the newest kMaxStepRecords steps
    int64_t m_stepsSinceOpening = 0;
    std::function<void(CVandDoc&)> m_changeListener;
    StepSink* m_stepSink = nullptr;
    std::unique_ptr<SnapshotSlots> m_snapshots;
    std::unique_ptr<UndoHistory> m_history;
    std::unique_ptr<DocumentAttachment> m_measures;  // declared last: goes first
};

}  // namespace quillory
