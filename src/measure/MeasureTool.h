#pragma once
// The measuring tools: what a press, a drag (a move with the button held) and a
// release at a picture point do for each measuring tool id. The tools keep no
// state of their own; what they remember lives in the document's MeasureSet, so
// the view, the command line and the tests drive the same code.
#include <string>

#include "measure/MeasureSet.h"

namespace quillory {

class MeasureTool {
public:
    virtual ~MeasureTool() = default;
    // Each returns true when the layer changed.
    virtual bool Press(MeasureSet&, MeasurePoint) { return false; }
    virtual bool Drag(MeasureSet&, MeasurePoint) { return false; }
    virtual bool Release(MeasureSet&, MeasurePoint) { return false; }
    // The text tool receives the entered text with its press.
    virtual bool PressText(MeasureSet& set, MeasurePoint at, const std::string&) { return Press(set, at); }
};

// The tool of an id; null for ids that are no measuring tool.
MeasureTool* FindMeasureTool(int id);
inline bool IsMeasureTool(int id) { return FindMeasureTool(id) != nullptr; }
// The tools that need no measurement figure of their own (selecting and editing).
bool IsEditTool(int id);

// Mouse events of the measurement mode on a document with the current tool `tool`.
bool MeasurePress(CVandDoc& document, int tool, MeasurePoint at, const std::string& text = {});
bool MeasureDrag(CVandDoc& document, int tool, MeasurePoint at);
bool MeasureRelease(CVandDoc& document, int tool, MeasurePoint at);

// The current tool changes from `previous` to `next` (any tool, measuring or not):
// a pending polyline or polygon is registered unless `next` continues it, the
// selection is dropped when the selection tool comes from another figure tool, and
// the distance and parallel tools forget their reference. True when the layer changed.
bool ChooseMeasureTool(CVandDoc& document, int previous, int next);
// kMeasureContinuousOff: the pending figure and any preview are discarded. Returns
// the tool that stays current (the distance tool stays, forgetting its reference; else none).
int EndContinuousMeasure(CVandDoc& document, int current);
// The reference picked from a drawn segment is taken (or given up): the drawn line
// goes and the pick ends.
void FinishReferencePick(CVandDoc& document);
// True while a polyline or polygon waits for registration.
bool HasPendingFigure(const CVandDoc& document);

// Shared steps of the figure tools.
namespace measuring {
// Ends a selection edit and makes the measurement layer current; with
// `needsCalibration` refuses, telling the user, while the reference has length 0.
bool BeginFigure(MeasureSet& set, bool needsCalibration);
// Draws a figure of `kind` through `points` and adds it as an object. False when
// its value is not valid, the canvas refused it (a segment beyond the picture: the
// message) or the object could not be added.
bool CreateFigure(MeasureSet& set, MeasureKind kind, const std::vector<MeasurePoint>& points,
                  const std::string& text = {});
// A thin line drawn as a preview (taken back by RestorePreview).
void PreviewLine(MeasureSet& set, MeasurePoint a, MeasurePoint b);
// Registers the pending polyline or polygon (or drops it when it has too few points).
bool RegisterPending(MeasureSet& set);
}  // namespace measuring

}  // namespace quillory
