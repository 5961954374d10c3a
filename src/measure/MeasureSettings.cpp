#include "measure/MeasureSettings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "measure/MeasureTexts.h"

namespace quillory {

namespace {

int ParseClamped(const std::string& text, int low, int high, int fallback) {
    int value = fallback;
    const char* begin = text.data();
    auto [ptr, ec] = std::from_chars(begin, begin + text.size(), value);
    if (ec != std::errc() || ptr == begin) value = fallback;
    return std::clamp(value, low, high);
}

std::string Format(const char* format, double value, const std::string& unit) {
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, format, value, unit.c_str());
    return buffer;
}

}  // namespace

const std::array<uint32_t, 16> kMeasureColours = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x000000, 0x000080, 0x0000FF,
                                                  0x008080, 0x00FFFF, 0x008000, 0x00FF00, 0x808000, 0xFFFF00,
                                                  0x800000, 0xFF0000, 0x800080, 0xFF00FF};

int MeasureSettings::LineWidth() const { return ParseClamped(lineWidth, kMinLineWidth, kMaxLineWidth, 1); }

int MeasureSettings::LabelFontSize() const {
    return ParseClamped(labelFontSize, kMinLabelFontSize, kMaxLabelFontSize, 12);
}

int MeasureSettings::LabelPixelHeight() const { return (LabelFontSize() * 96 + 36) / 72; }

double Calibration::ReferencePixels() const {
    return std::sqrt(double(m_dx) * double(m_dx) + double(m_dy) * double(m_dy));
}

double Calibration::UnitLength(int x1, int y1, int x2, int y2) const {
    if (x1 < 0 || y1 < 0 || x2 < 0 || y2 < 0) return -1;
    const double whole = std::trunc(ReferencePixels());
    if (whole <= 0) return -1;
    const double dx = std::abs(double(x2) - x1), dy = std::abs(double(y2) - y1);
    const float pixels = float(std::sqrt(dx * dx + dy * dy));
    return double(pixels) / whole * double(m_length);
}

double Calibration::UnitRectArea(int x1, int y1, int x2, int y2) const {
    if (x1 < 0 || y1 < 0 || x2 < 0 || y2 < 0) return -1;
    const double r = ReferencePixels();
    if (r <= 0) return -1;
    const double l = m_length;
    return (std::abs(double(y2) - y1) / r * l) * (std::abs(double(x2) - x1) / r * l);
}

double Calibration::UnitImageArea(int width, int height) const {
    if (width < 0 || height < 0) return -1;
    const double r = ReferencePixels();
    if (r <= 0) return -1;
    const double l = m_length;
    return (width / r * l) * (height / r * l);
}

double AngleAt(int x1, int y1, int x2, int y2, int x3, int y3) {
    const double ux = double(x2) - x1, uy = double(y2) - y1;
    const double vx = double(x3) - x2, vy = double(y3) - y2;
    const double lengths = std::sqrt(ux * ux + uy * uy) * std::sqrt(vx * vx + vy * vy);
    if (lengths <= 0) return 0;
    const double cosine = std::clamp((ux * vx + uy * vy) / lengths, -1.0, 1.0);
    return 180.0 - std::acos(cosine) * 57.2957795;
}

double RayDirection(double x1, double y1, double x2, double y2) {
    double dy = y1 - y2;
    if (std::abs(dy) < 0.01) dy = 0.1;
    return std::atan2(dy, x1 - x2) / 3.14159 * 180.0 * -1.0;
}

std::string LengthLabel(const MeasureSettings& settings, double value) {
    return Format(settings.decimals == 1 ? mtexts::kValueOneDecimal : mtexts::kValueTwoDecimals, value,
                  settings.unitName);
}

std::string AreaLabel(const MeasureSettings& settings, double value) {
    return Format(settings.decimals == 1 ? mtexts::kAreaOneDecimal : mtexts::kAreaTwoDecimals, value,
                  settings.unitName);
}

std::string OneDecimalLabel(const MeasureSettings& settings, double value) {
    char number[64];
    std::snprintf(number, sizeof number, "%.1f", value);
    return std::string(number) + " " + settings.unitName;
}

std::string AngleLabel(double value) {
    char number[64];
    std::snprintf(number, sizeof number, "%.1f", value);
    return number;
}

std::string ReferenceLine(const MeasureSettings& settings) {
    const int pixels = int(Calibration(settings).ReferencePixels());
    char length[64];
    std::snprintf(length, sizeof length, "%.2f", double(settings.refLength));
    char line[512];
    std::snprintf(line, sizeof line, mtexts::kReferenceLineFormat, settings.unitName.c_str(), pixels, length);
    return line;
}

}  // namespace quillory
