#pragma once
// The calibration and the drawing settings of measurement figures: one set for
// the whole process (the main frame's), shared by all documents. A reference
// vector in pixels and the length it has in the unit turn pixel measures into
// units; a zero vector calibrates nothing, and every conversion then reports -1.
#include <array>
#include <cstdint>
#include <string>

namespace quillory {

inline constexpr int kMinLineWidth = 1, kMaxLineWidth = 7;
inline constexpr int kMinLabelFontSize = 5, kMaxLabelFontSize = 24;
inline constexpr int kMarkStyles = 6;
// Each part of the reference vector lies within ±this many pixels, so its length
// stays an int.
inline constexpr int32_t kMaxReferencePixels = 1000000000;

struct MeasureSettings {
    std::string unitName = "pixel";
    int32_t refDx = 100, refDy = 0;  // the reference vector in pixels
    float refLength = 100.0f;        // its length in units
    int32_t unitIndex = 0;
    uint8_t referencePending = 0;    // a drawn segment becomes the next reference
    int32_t showLabels = 1;
    int32_t decimals = 2;            // 1: one decimal; any other value: two
    std::string lineWidth = "2";     // "1" to "7"
    std::string labelFontSize = "12";  // "5" to "24"
    std::string labelFontFace = "NanumGothic";
    // Platform colours: red in the low byte.
    uint32_t lineColour = 0x0000FF;
    uint32_t textColour = 0x800000;
    uint32_t selectColour = 0xFF00FF;
    uint8_t markStyle = 0;  // 0..5

    // The parsed numeric texts, clamped to their lists.
    int LineWidth() const;
    int LabelFontSize() const;
    // The label font's pixel height for a point size (at 96 dots per inch).
    int LabelPixelHeight() const;
};

// The sixteen colours the colour choosers offer (0x00BBGGRR), in their order.
extern const std::array<uint32_t, 16> kMeasureColours;

// Pixel measures in units. Each returns -1 when a coordinate is negative or the
// reference vector has length 0.
class Calibration {
public:
    explicit Calibration(const MeasureSettings& settings)
        : m_dx(settings.refDx), m_dy(settings.refDy), m_length(settings.refLength) {}

    // sqrt(rx² + ry²) of the reference vector.
    double ReferencePixels() const;
    bool IsCalibrated() const { return ReferencePixels() > 0; }

    // float(sqrt(dx² + dy²)) / trunc(R) × L: a reference of 10.9 pixels counts as 10.
    double UnitLength(int x1, int y1, int x2, int y2) const;
    // (|y2 - y1| / R × L) × (|x2 - x1| / R × L), R not truncated.
    double UnitRectArea(int x1, int y1, int x2, int y2) const;
    // (w / R × L) × (h / R × L), R not truncated.
    double UnitImageArea(int width, int height) const;

private:
    int32_t m_dx, m_dy;
    float m_length;
};

// The inner angle at p2 in degrees: 180 - acos(u·v / |u||v|) × 57.2957795 with
// u = p2 - p1, v = p3 - p2 (0 when an arm has no length).
double AngleAt(int x1, int y1, int x2, int y2, int x3, int y3);
// Direction of the ray from (x2, y2) towards (x1, y1), in degrees counter-clockwise
// as seen on the screen: atan2(dy', x1 - x2) / 3.14159 × 180 × -1 with dy' = y1 - y2,
// 0.1 when |y1 - y2| < 0.01.
double RayDirection(double x1, double y1, double x2, double y2);

// Labels: "%.1f %s" or "%.2f %s" by the decimals setting (lines, rectangles,
// polygons; squared units for areas), "%s %s" with one decimal (circles, polylines),
// the bare number with one decimal (angles).
std::string LengthLabel(const MeasureSettings& settings, double value);
std::string AreaLabel(const MeasureSettings& settings, double value);
std::string OneDecimalLabel(const MeasureSettings& settings, double value);
std::string AngleLabel(double value);
// The palette's line about the reference: "(측정기준) %s : %d pixels Ⅹ  %s" with the
// unit, the truncated reference length in pixels and the length in units ("%.2f").
std::string ReferenceLine(const MeasureSettings& settings);

}  // namespace quillory
