#pragma once
// The document's measurement objects and the state that edits them: at most 700
// objects with the count of live ones and the redo limit, the selection, the
// scratch lists the tools fill, the point-mark counter, and per pixel of the
// measurement layer how many figures cover it (coverCount) and which pixels the
// figure being drawn touched (touchMask). The object list is the authority: the
// figures on the measurement layer (a layer of kind 4) can always be drawn again
// from it, so one figure can be lifted out of the pixels without disturbing the
// others.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "document/CVandDoc.h"
#include "measure/MeasureCanvas.h"
#include "measure/MeasureFigures.h"
#include "measure/MeasureObject.h"
#include "measure/MeasureSettings.h"

namespace quillory {

inline constexpr int kMeasureSnapshotSlots = 10;  // taken at 5, 10, ..., 50 objects
inline constexpr int kSelectHitDistance = 2500;   // squared pixels: 50 pixels
inline constexpr int kRemoveVertexDistance = 20;  // squared pixels
inline constexpr int kTextBoxPoint = 3;           // the point index of a hit inside a text's box

// What the tools collect before an object is added.
struct MeasureScratch {
    std::vector<MeasurePoint> shape;  // one-shot figures: mark, segment, circle, rectangle, text
    std::vector<MeasurePoint> poly;   // the pending polyline or polygon, at most 300 points
    std::vector<MeasurePoint> three;  // angle and ellipse clicks
    std::vector<MeasurePoint> curvePoints, curveHandles1, curveHandles2;
    int32_t markNumber = 0;
};

// What the measuring tools remember between mouse events.
struct MeasureToolMemory {
    int currentTool = -1;  // the tool a command of the registry last used
    int pendingTool = -1;  // the polyline or polygon tool whose figure waits in scratch.poly
    bool pressed = false;
    MeasurePoint press;
    bool parallelSet = false;  // the parallel-line tool's vector (end - start)
    MeasurePoint parallelDelta;
    bool referenceSet = false;  // the distance tool's reference line
    MeasurePoint referenceStart, referenceEnd;
    int dragPoint = -1;  // the selection tool's point being dragged (kTextBoxPoint: a text's box)
    MeasurePoint dragFrom;
};

// The nearest control point of a hit test; -1 everywhere for none.
struct MeasureHit {
    int64_t distance = -1;  // squared pixels
    int object = -1;
    int point = -1;
    int handle = -1;  // curves: 1 or 2 for a handle
};

// The values AddMeasureObject stores.
struct MeasureValues {
    float length = 0, area = 0, angle = 0, radius = 0, diameter = 0;
};

// A copy of a layer's pixel and opacity planes, kept as runs of equal bytes (a
// measurement layer is mostly empty).
struct PackedPlanes {
    std::vector<uint8_t> pixels, alpha;  // (count, byte) pairs
    size_t pixelBytes = 0, alphaBytes = 0;
    bool filled = false;
    static std::vector<uint8_t> Pack(const std::vector<uint8_t>& bytes);
    static bool Unpack(const std::vector<uint8_t>& packed, size_t bytes, std::vector<uint8_t>& out);
};

class MeasureSet : public DocumentAttachment {
public:
    explicit MeasureSet(CVandDoc& document);

    bool HasContent() const override { return LiveObjects() > 0; }
    void HistoryMoved() override;

    CVandDoc& Document() { return m_document; }
    const MeasureSettings& Settings() const { return m_shared ? *m_shared : m_own; }
    MeasureSettings& Settings() { return m_shared ? *m_shared : m_own; }
    // The process's settings (the main frame's); null gives the set its own.
    void UseSettings(MeasureSettings* shared) { m_shared = shared; }

    int ObjectCount() const { return m_objectCount; }
    int RedoLimit() const { return m_redoLimit; }
    // Valid objects below the object count (an erased one stays in its slot, not valid).
    int LiveObjects() const;
    const MeasureObject& Object(int index) const { return m_objects[size_t(index)]; }
    int Selected() const { return m_selected; }
    int PreviousSelected() const { return m_previousSelected; }

    int32_t markCounter = 1;
    MeasureScratch scratch;
    MeasureToolMemory tool;
    // The reference picked from a drawn segment: its |dx| and |dy|.
    bool pickedReference = false;
    int32_t pickedDx = 0, pickedDy = 0;

    // The layer figures are drawn on: the current layer when it is a measurement
    // layer, else the topmost measurement layer of the stack; -1 when there is none.
    int MeasureLayerIndex() const;
    // Makes a measurement layer current; with `create` a new one is added on top
    // ("벡터측정레이어추가") when the stack has none. False when there is none to use.
    bool ActivateMeasureLayer(bool create);
    // Ties the masks to the measurement layer without making it current; with
    // `create` a layer is added (without an undo step: a file being read) when there is none.
    bool PrepareLayer(bool create);
    // True when the bound measurement layer is usable for drawing.
    bool Bound() const;
    // Forgets every object and all editing state (a document being read anew).
    void Reset();

    // Drawing a figure: clear the touch mask, draw on the canvas, then add the object
    // or count the touched pixels.
    MeasureCanvas Canvas();
    // A canvas whose pixels a preview may take back: RestorePreview puts back every
    // pixel drawn on it that no figure added since covers.
    MeasureCanvas PreviewCanvas();
    void RestorePreview();
    bool HasPreview() const { return !m_preview.Empty(); }
    void ClearTouch();
    void CountTouched();
    const std::vector<uint8_t>& CoverCount() const { return m_cover; }
    const std::vector<uint8_t>& TouchMask() const { return m_touch; }
    // The picture's size (figures are measured in picture pixels).
    int PictureWidth() const { return m_document.Header().width; }
    int PictureHeight() const { return m_document.Header().height; }

    // Adds an object of `kind` with the points of the scratch lists. False (with the
    // message at 700 objects) when it cannot be added.
    bool AddMeasureObject(std::string_view kind, const MeasureValues& values, const std::string& text = {},
                          int32_t textExtra1 = 0, int32_t textExtra2 = 0);
    // Draws object `index` again and stores its recomputed values.
    bool RedrawMeasureObject(int index, bool forceSelected);
    // The nearest control point (only on a measurement layer).
    MeasureHit HitTestMeasure(int x, int y, bool selectedOnly) const;

    // Selecting lifts the object out of the pixels and keeps the rest as the edit
    // snapshot; the object is drawn again in the select colour.
    bool Select(int index);
    // Draws the selected object back in the line colour and counts its pixels again.
    void EndSelectionEdit();
    // Moves one point of the selected object (kTextBoxPoint moves a text entirely) and redraws it.
    bool MoveSelectedPoint(int point, MeasurePoint to, MeasurePoint from);
    bool EraseSelected();
    bool AddVertex(MeasurePoint at);
    bool RemoveVertex(MeasurePoint at);
    // Vector edits (kMeasureEditUndo, kMeasureEditRedo).
    bool Undo();
    bool Redo();
    bool CanUndo() const;
    bool CanRedo() const { return m_redoLimit > m_objectCount; }
    // Every object drawn afresh on the measurement layer (kRedrawMeasure).
    bool RedrawAll();

    bool HasEditSnapshot() const { return m_edit.filled; }
    const PackedPlanes& SnapshotSlotAt(int index) const { return m_slots[size_t(index)]; }

private:
    // Ties the masks to the measurement layer; true when they had to be renewed.
    bool Bind(int layer);
    LayerRecord* BoundLayer();
    void TakeEditSnapshot();
    void RestoreEditSnapshot();
    void DropEditSnapshot();
    void Changed();
    // Saves the bound layer as its committed copy.
    void Commit();

    CVandDoc& m_document;
    MeasureSettings m_own;
    MeasureSettings* m_shared = nullptr;
    std::vector<MeasureObject> m_objects;  // kMaxMeasureObjects slots
    int m_objectCount = 0;
    int m_redoLimit = 0;
    int m_selected = -1;
    int m_previousSelected = -1;
    int m_layer = -1;  // the bound measurement layer
    int32_t m_layerWidth = 0, m_layerHeight = 0;
    std::vector<uint8_t> m_cover, m_touch;
    PixelLog m_preview;
    struct EditSnapshot {
        std::vector<uint8_t> pixels, alpha, cover;
        bool filled = false;
    } m_edit;
    std::array<PackedPlanes, kMeasureSnapshotSlots> m_slots;
};

// The document's measurement objects, attached on first use.
MeasureSet& MeasuresOf(CVandDoc& document);
// Null when the document never measured anything.
const MeasureSet* FindMeasures(const CVandDoc& document);

}  // namespace quillory
