#pragma once
// What each kind of measurement object measures and how it is drawn: the figure
// in the line colour (the select colour while selected) and its value label in the
// label font and colour. Creation and redrawing share these, so a figure redrawn
// from its object looks exactly as it did when it was measured.
#include <string>

#include "measure/MeasureCanvas.h"
#include "measure/MeasureObject.h"
#include "measure/MeasureSettings.h"

namespace quillory {

inline constexpr int kEndMarkerSize = 3;
inline constexpr int kAngleArcRadius = 15;
inline constexpr int kAngleInnerArcRadius = 10;

struct FigureValues {
    float length = 0, area = 0, angle = 0, radius = 0, diameter = 0;
    // The value the label shows (calibrated; for polygons the calibrated area of the pixel count).
    double shown = 0;
    // False when a conversion reported -1 (negative coordinates or no calibration).
    bool valid = true;
    // The kind needs the calibration (lines, areas, circles).
    bool calibrated = false;
};

// The values of an object of its kind on a picture of the given size.
FigureValues ComputeFigure(const MeasureObject& object, const MeasureSettings& settings, int pictureWidth,
                           int pictureHeight);

struct FigureStyle {
    bool selected = false;
    // Replaces the value label (the reference being picked shows its pixel length).
    const std::string* labelOverride = nullptr;
};

// Draws the figure and, when labels are shown and the value is valid, its label.
// False when the canvas refused the figure (a segment reaching beyond the picture).
bool DrawFigure(MeasureCanvas& canvas, const MeasureSettings& settings, const MeasureObject& object,
                const FigureValues& values, const FigureStyle& style);

// The label font and the point-mark font of the settings.
TextStyle LabelStyle(const MeasureSettings& settings);
TextStyle MarkStyle(const MeasureSettings& settings);

// The corners of a rectangle object: the bounding box of its points.
struct FigureBox {
    int left = 0, top = 0, right = 0, bottom = 0;
};
FigureBox BoundingBox(const std::vector<MeasurePoint>& points);

}  // namespace quillory
