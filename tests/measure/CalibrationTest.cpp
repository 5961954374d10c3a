// The calibration conversions, the angle and ray formulas and the label texts.
#include <gtest/gtest.h>

#include <cmath>

#include "measure/MeasureSettings.h"

using namespace quillory;

namespace {

MeasureSettings Settings(int dx, int dy, float length, const char* unit = "um") {
    MeasureSettings s;
    s.refDx = dx;
    s.refDy = dy;
    s.refLength = length;
    s.unitName = unit;
    return s;
}

}  // namespace

TEST(Calibration, LengthDividesByTheTruncatedReferenceAreasByTheWholeOne) {
    // sqrt(10² + 4²) = 10.77 pixels: a length counts it as 10, an area does not.
    const Calibration c(Settings(10, 4, 1.0f));
    EXPECT_DOUBLE_EQ(c.UnitLength(0, 0, 10, 0), 1.0);
    EXPECT_DOUBLE_EQ(c.UnitLength(5, 5, 5, 15), 1.0);
    const double r = std::sqrt(116.0);
    EXPECT_NEAR(c.UnitRectArea(0, 0, 10, 10), (10 / r) * (10 / r), 1e-9);
    EXPECT_NEAR(c.UnitRectArea(10, 10, 0, 0), (10 / r) * (10 / r), 1e-9);
    EXPECT_NEAR(c.UnitImageArea(20, 10), (20 / r) * (10 / r), 1e-9);
}

TEST(Calibration, HundredPixelsForFiftyUnits) {
    const MeasureSettings s = Settings(100, 0, 50.0f);
    const Calibration c(s);
    EXPECT_DOUBLE_EQ(c.UnitLength(10, 20, 50, 20), 20.0);
    EXPECT_EQ(ReferenceLine(s), "(측정기준) um : 100 pixels Ⅹ  50.00");
}

TEST(Calibration, AZeroReferenceOrNegativeCoordinatesGiveMinusOne) {
    const Calibration zero(Settings(0, 0, 1.0f));
    EXPECT_FALSE(zero.IsCalibrated());
    EXPECT_EQ(zero.UnitLength(0, 0, 10, 0), -1);
    EXPECT_EQ(zero.UnitRectArea(0, 0, 10, 10), -1);
    EXPECT_EQ(zero.UnitImageArea(10, 10), -1);
    const Calibration c(Settings(10, 0, 1.0f));
    EXPECT_EQ(c.UnitLength(-1, 0, 10, 0), -1);
    EXPECT_EQ(c.UnitRectArea(0, 0, 10, -3), -1);
    EXPECT_EQ(c.UnitImageArea(-1, 10), -1);
    EXPECT_EQ(c.UnitLength(3, 3, 3, 3), 0);
}

TEST(Calibration, AnglesAreInnerAnglesAtTheMiddlePoint) {
    EXPECT_NEAR(AngleAt(0, 0, 10, 0, 10, 10), 90.0, 1e-6);
    EXPECT_NEAR(AngleAt(0, 0, 10, 0, 20, 0), 180.0, 1e-6);
    EXPECT_NEAR(AngleAt(0, 0, 10, 0, 0, 0), 0.0, 1e-4);
    EXPECT_NEAR(AngleAt(0, 10, 0, 0, 10, 0), 90.0, 1e-6);
    EXPECT_NEAR(AngleAt(0, 0, 10, 0, 20, 10), 135.0, 1e-6);
    EXPECT_EQ(AngleAt(5, 5, 5, 5, 9, 9), 0);  // an arm without length
}

TEST(Calibration, RayDirectionsTurnCounterClockwiseAsSeen) {
    EXPECT_NEAR(RayDirection(10, 0, 0, 0), -std::atan2(0.1, 10) / 3.14159 * 180, 1e-9);  // flat: dy' is 0.1
    EXPECT_NEAR(RayDirection(0, -10, 0, 0), 90.0, 1e-3);  // up the screen
    EXPECT_NEAR(RayDirection(0, 10, 0, 0), -90.0, 1e-3);
    EXPECT_NEAR(RayDirection(-10, -10, 0, 0), 135.0, 1e-3);
}

TEST(Calibration, LabelsFollowTheDecimalsSetting) {
    MeasureSettings s = Settings(10, 0, 1.0f);
    s.decimals = 1;
    EXPECT_EQ(LengthLabel(s, 2.345), "2.3 um");
    EXPECT_EQ(AreaLabel(s, 2.345), "2.3 um²");
    s.decimals = 2;
    EXPECT_EQ(LengthLabel(s, 2.345), "2.35 um");
    EXPECT_EQ(AreaLabel(s, 2.0), "2.00 um²");
    s.decimals = 7;  // any value but 1 gives two decimals
    EXPECT_EQ(LengthLabel(s, 1), "1.00 um");
    EXPECT_EQ(OneDecimalLabel(s, 3.26), "3.3 um");
    EXPECT_EQ(AngleLabel(90), "90.0");
}

TEST(Calibration, NumericSettingsStayInTheirLists) {
    MeasureSettings s;
    s.lineWidth = "9";
    s.labelFontSize = "x";
    EXPECT_EQ(s.LineWidth(), 7);
    EXPECT_EQ(s.LabelFontSize(), 12);
    s.labelFontSize = "3";
    EXPECT_EQ(s.LabelFontSize(), 5);
    EXPECT_EQ(kMeasureColours.size(), 16u);
    EXPECT_EQ(kMeasureColours[5], 0x0000FFu);
    EXPECT_EQ(kMeasureColours[15], 0xFF00FFu);
}
