#include "measure/MeasureCanvas.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <string>

#include "core/NyZazo.h"
#include "core/RowPixels.h"
#include "document/LayerRecord.h"
#include "document/SelectionEditing.h"
#include "processing/LineStepping.h"

namespace quillory {

namespace {

constexpr double kPi = 3.14159265358979323846;

}  // namespace

MeasureCanvas::MeasureCanvas(LayerRecord& layer, int documentWidth, int documentHeight,
                             std::vector<uint8_t>& touchMask, int bitsPerPixel, PaletteRef palette)
    : m_layer(layer),
      m_touch(touchMask),
      m_documentWidth(documentWidth),
      m_documentHeight(documentHeight),
      m_bits(bitsPerPixel),
      m_palette(palette) {
    const size_t plane = size_t(std::max(0, layer.width)) * size_t(std::max(0, layer.height));
    const bool depth = m_bits == 1 || m_bits == 4 || m_bits == 8 || m_bits == 24 || m_bits == 32;
    m_usable = depth && layer.kind != LayerKind::Text && layer.width > 0 && layer.height > 0 && documentWidth > 0 &&
               documentHeight > 0 && layer.stride >= PlaneStride(m_bits, layer.width) &&
               layer.pixels.size() >= size_t(layer.stride) * size_t(layer.height) && layer.alpha.size() >= plane &&
               m_touch.size() == plane;
}

int64_t MeasureCanvas::IndexOf(int64_t x, int64_t y) const {
    if (!m_usable || x < 0 || y < 0 || x >= m_documentWidth || y >= m_documentHeight) return -1;
    const int64_t column = x - m_layer.x;
    // Layer rows count from the bottom; layer row r lands on picture row r - y from the bottom.
    const int64_t storedY = int64_t(m_documentHeight - 1) - y + m_layer.y;
    if (column < 0 || column >= m_layer.width || storedY < 0 || storedY >= m_layer.height) return -1;
    return storedY * m_layer.width + column;
}

bool MeasureCanvas::Contains(int x, int y) const { return IndexOf(x, y) >= 0; }

void MeasureCanvas::ReadStored(int64_t column, int64_t storedY, uint8_t out[3]) const {
    const uint8_t* row = m_layer.pixels.data() + storedY * m_layer.stride;
    if (m_bits >= 24) {
        const uint8_t* p = row + column * (m_bits / 8);
        out[0] = p[0], out[1] = p[1], out[2] = p[2];
    } else {
        out[0] = RowIndex(row, int(column), m_bits), out[1] = out[2] = 0;
    }
}

void MeasureCanvas::WriteStored(int64_t column, int64_t storedY, const uint8_t value[3]) {
    uint8_t* row = m_layer.pixels.data() + storedY * m_layer.stride;
    if (m_bits >= 24) {
        uint8_t* p = row + column * (m_bits / 8);
        p[0] = value[0], p[1] = value[1], p[2] = value[2];
    } else {
        PutRowIndex(row, int(column), m_bits, value[0]);
    }
}

RGBQUAD MeasureCanvas::ColourOf(const uint8_t stored[3]) const {
    if (m_bits >= 24) return RGBQUAD{stored[0], stored[1], stored[2], 0};
    if (m_palette.colours && stored[0] < m_palette.count) return m_palette.colours[stored[0]];
    return RGBQUAD{stored[0], stored[0], stored[0], 0};
}

uint8_t MeasureCanvas::NearestIndex(RGBQUAD colour) {
    const uint32_t key = uint32_t(colour.blue) | uint32_t(colour.green) << 8 | uint32_t(colour.red) << 16;
    if (key == m_lastKey) return m_lastIndex;
    m_lastKey = key;
    const int entries = std::min(m_palette.count, 1 << m_bits);
    if (!m_palette.colours || entries <= 0) {
        // No palette: the index is the grey level.
        const int grey = (colour.blue + colour.green + colour.red) / 3;
        return m_lastIndex = uint8_t(grey * ((1 << m_bits) - 1) / 255);
    }
    return m_lastIndex = NearestPaletteIndex(m_palette.colours, uint32_t(entries), colour);
}

void MeasureCanvas::Plot(int64_t x, int64_t y, uint32_t colour, uint8_t coverage) {
    const int64_t index = IndexOf(x, y);
    if (index < 0 || coverage == 0) return;
    const int64_t column = index % m_layer.width, storedY = index / m_layer.width;
    uint8_t stored[3];
    ReadStored(column, storedY, stored);
    const uint8_t blue = uint8_t(colour >> 16), green = uint8_t(colour >> 8), red = uint8_t(colour);
    uint8_t& alpha = m_layer.alpha[size_t(index)];
    if (m_log && !m_touch[size_t(index)]) {
        m_log->indexes.push_back(uint32_t(index));
        const uint8_t cover = m_cover && size_t(index) < m_cover->size() ? (*m_cover)[size_t(index)] : 0;
        m_log->bytes.insert(m_log->bytes.end(), {stored[0], stored[1], stored[2], alpha, cover});
    }
    RGBQUAD put{blue, green, red, 0};
    if (coverage == 255 || alpha < 255) {
        // On a transparent measurement layer the coverage becomes the opacity, so edges stay smooth.
        alpha = std::max(alpha, coverage);
    } else {
        const RGBQUAD was = ColourOf(stored);
        const int c = coverage;
        put.blue = uint8_t((blue * c + was.blue * (255 - c)) / 255);
        put.green = uint8_t((green * c + was.green * (255 - c)) / 255);
        put.red = uint8_t((red * c + was.red * (255 - c)) / 255);
    }
    if (m_bits >= 24) {
        const uint8_t value[3] = {put.blue, put.green, put.red};
        WriteStored(column, storedY, value);
    } else {
        const uint8_t value[3] = {NearestIndex(put), 0, 0};
        WriteStored(column, storedY, value);
    }
    m_touch[size_t(index)] = 1;
    m_layer.changed = 1;
}

void MeasureCanvas::PutBack(const PixelLog& log, const std::vector<uint8_t>& cover) {
    if (!m_usable) return;
    // Newest first, so a pixel drawn twice ends with its oldest value.
    for (size_t k = log.indexes.size(); k-- > 0;) {
        const size_t index = log.indexes[k];
        const uint8_t* old = &log.bytes[k * 5];
        if (index >= m_layer.alpha.size() || index >= cover.size() || cover[index] != old[4]) continue;
        WriteStored(int64_t(index % size_t(m_layer.width)), int64_t(index / size_t(m_layer.width)), old);
        m_layer.alpha[index] = old[3];
    }
}

void MeasureCanvas::Dot(int64_t x, int64_t y, uint32_t colour, int width) {
    if (width <= 1) {
        Plot(x, y, colour);
        return;
    }
    const int low = -(width - 1) / 2, high = width / 2;
    const double r = width / 2.0;
    for (int dy = low; dy <= high; ++dy)
        for (int dx = low; dx <= high; ++dx)
            if (width <= 2 || dx * dx + dy * dy <= r * r + 0.5) Plot(x + dx, y + dy, colour);
}

bool MeasureCanvas::Line(int x0, int y0, int x1, int y1, uint32_t colour, int width) {
    if (!m_usable || x0 < 0 || y0 < 0 || x1 < 0 || y1 < 0 || x0 >= m_documentWidth || x1 >= m_documentWidth ||
        y0 >= m_documentHeight || y1 >= m_documentHeight)
        return false;
    Stroke(x0, y0, x1, y1, colour, width);
    return true;
}

bool MeasureCanvas::ClipToReach(int64_t& x0, int64_t& y0, int64_t& x1, int64_t& y1, int width) const {
    // The picture grown by the pen, so a dot centred just outside still leaves its part.
    const double margin = std::max(1, width);
    const double left = -margin, top = -margin;
    const double right = m_documentWidth - 1 + margin, bottom = m_documentHeight - 1 + margin;
    auto inside = [&](int64_t x, int64_t y) { return x >= left && x <= right && y >= top && y <= bottom; };
    if (inside(x0, y0) && inside(x1, y1)) return true;
    // Liang-Barsky: the part of the segment within the rectangle, as parameters t0..t1.
    const double dx = double(x1) - double(x0), dy = double(y1) - double(y0);
    double t0 = 0, t1 = 1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {double(x0) - left, right - double(x0), double(y0) - top, bottom - double(y0)};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0) t0 = std::max(t0, t);
        else t1 = std::min(t1, t);
        if (t0 > t1) return false;
    }
    const double fx0 = double(x0), fy0 = double(y0);
    x0 = std::llround(fx0 + t0 * dx), y0 = std::llround(fy0 + t0 * dy);
    x1 = std::llround(fx0 + t1 * dx), y1 = std::llround(fy0 + t1 * dy);
    return true;
}

void MeasureCanvas::Stroke(int64_t x0, int64_t y0, int64_t x1, int64_t y1, uint32_t colour, int width) {
    // Only the reach of the picture is walked, so a far end costs nothing.
    if (!ClipToReach(x0, y0, x1, y1, width)) return;
    const int64_t dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int64_t error = dx + dy;
    for (;;) {
        Dot(x0, y0, colour, width);
        if (x0 == x1 && y0 == y1) break;
        const int64_t e2 = 2 * error;
        if (e2 >= dy) error += dy, x0 += sx;
        if (e2 <= dx) error += dx, y0 += sy;
    }
}

void MeasureCanvas::Marker(int64_t x, int64_t y, int size, uint32_t colour) {
    for (int d = -size; d <= size; ++d) {
        Plot(x + d, y - size, colour);
        Plot(x + d, y + size, colour);
        Plot(x - size, y + d, colour);
        Plot(x + size, y + d, colour);
    }
}

bool MeasureCanvas::RingMissesPicture(int64_t cx, int64_t cy, double inner, double outer, int width) const {
    // The nearest and farthest picture points from the centre; a ring between radii
    // outside that band, widened by the pen, leaves no pixel on the picture.
    const double nearX = std::clamp<double>(double(cx), 0, m_documentWidth - 1) - double(cx);
    const double nearY = std::clamp<double>(double(cy), 0, m_documentHeight - 1) - double(cy);
    const double farX = std::max(std::fabs(double(cx)), std::fabs(double(m_documentWidth - 1) - double(cx)));
    const double farY = std::max(std::fabs(double(cy)), std::fabs(double(m_documentHeight - 1) - double(cy)));
    const double slack = width + 2;
    return outer + slack < std::hypot(nearX, nearY) || inner - slack > std::hypot(farX, farY);
}

void MeasureCanvas::Circle(int cx, int cy, int radius, uint32_t colour, int width) {
    if (radius <= 0) {
        Dot(cx, cy, colour, width);
        return;
    }
    if (RingMissesPicture(cx, cy, radius, radius, width)) return;
    if (radius > 2 * (int64_t(m_documentWidth) + m_documentHeight)) {
        // Far larger than the picture: only the arcs it can show are walked.
        RingArcs(EllipseShape{double(cx), double(cy), 1, 0, double(radius), double(radius)}, colour, width);
        return;
    }
    // Midpoint circle: one octant mirrored eight ways.
    int64_t x = radius, y = 0, error = 1 - int64_t(radius);
    while (x >= y) {
        const int64_t points[8][2] = {{x, y}, {y, x}, {-y, x}, {-x, y}, {-x, -y}, {-y, -x}, {y, -x}, {x, -y}};
        for (const auto& p : points) Dot(cx + p[0], cy + p[1], colour, width);
        ++y;
        if (error < 0) {
            error += 2 * y + 1;
        } else {
            --x;
            error += 2 * (y - x) + 1;
        }
    }
}

void MeasureCanvas::Ellipse(int cx, int cy, int64_t ax, int64_t ay, double radius2, uint32_t colour, int width) {
    const double r1 = std::hypot(double(ax), double(ay));
    // Points of 32-bit coordinates are never farther apart than this.
    constexpr double kMaxRadius = 1e12;
    if (!std::isfinite(radius2) || radius2 < 0 || radius2 > kMaxRadius || r1 > kMaxRadius) return;
    if (r1 <= 0) {
        if (radius2 <= double(INT32_MAX)) Circle(cx, cy, int(radius2), colour, width);
        return;
    }
    if (RingMissesPicture(cx, cy, std::min(r1, radius2), std::max(r1, radius2), width)) return;
    // The first axis; the second is perpendicular.
    const EllipseShape shape{double(cx), double(cy), double(ax) / r1, double(ay) / r1, r1, radius2};
    // Four steps a pixel of radius while that stays within the picture's own size;
    // a larger ellipse is walked only where the picture shows it.
    const double steps = std::max(16.0, (r1 + radius2) * 4);
    if (steps > 8.0 * (double(m_documentWidth) + double(m_documentHeight)) + 16) {
        RingArcs(shape, colour, width);
        return;
    }
    const int count = int(steps);
    int64_t lastX = 0, lastY = 0;
    for (int i = 0; i <= count; ++i) {
        const double t = 2 * kPi * i / count;
        const double a = r1 * std::cos(t), b = radius2 * std::sin(t);
        const int64_t x = std::llround(cx + a * shape.ux - b * shape.uy);
        const int64_t y = std::llround(cy + a * shape.uy + b * shape.ux);
        if (i == 0)
            Dot(x, y, colour, width);
        else if (x != lastX || y != lastY)
            Stroke(lastX, lastY, x, y, colour, width);
        lastX = x, lastY = y;
    }
}

void MeasureCanvas::RingArcs(const EllipseShape& shape, uint32_t colour, int width) {
    auto at = [&](double t, double& x, double& y) {
        const double a = shape.r1 * std::cos(t), b = shape.r2 * std::sin(t);
        x = shape.cx + a * shape.ux - b * shape.uy;
        y = shape.cy + a * shape.uy + b * shape.ux;
    };
    const double reach = std::max(1, width) + 1.0;
    const double radius = std::max(shape.r1, shape.r2);
    // Halves the parameter range until a piece lies off the picture (skipped) or is so
    // short that its chord stays within a quarter pixel of the curve (drawn).
    struct Piece {
        double t0, t1;
        int depth;
    };
    std::vector<Piece> pieces{{0, 2 * kPi, 0}};
    while (!pieces.empty()) {
        const Piece piece = pieces.back();
        pieces.pop_back();
        double x0, y0, x1, y1;
        at(piece.t0, x0, y0);
        at(piece.t1, x1, y1);
        const double span = piece.t1 - piece.t0;
        const double around = radius * span;  // no point of the piece is farther from its start
        if (std::max(x0, x1) + around < -reach || std::min(x0, x1) - around > m_documentWidth - 1 + reach ||
            std::max(y0, y1) + around < -reach || std::min(y0, y1) - around > m_documentHeight - 1 + reach)
            continue;
        if (radius * span * span / 8 <= 0.25 || piece.depth >= 60) {
            Stroke(std::llround(x0), std::llround(y0), std::llround(x1), std::llround(y1), colour, width);
            continue;
        }
        const double middle = piece.t0 + span / 2;
        pieces.push_back({middle, piece.t1, piece.depth + 1});
        pieces.push_back({piece.t0, middle, piece.depth + 1});
    }
}

void MeasureCanvas::Arc(int cx, int cy, int radius, double fromDegrees, double sweepDegrees, uint32_t colour,
                        int width) {
    const int steps = std::max(4, int(std::abs(sweepDegrees) * radius / 30.0) + 4);
    int lastX = 0, lastY = 0;
    for (int i = 0; i <= steps; ++i) {
        const double a = (fromDegrees + sweepDegrees * i / steps) * kPi / 180.0;
        // Angles turn counter-clockwise as seen, and picture rows grow downwards.
        const int x = int(std::lround(cx + radius * std::cos(a))), y = int(std::lround(cy - radius * std::sin(a)));
        if (i == 0)
            Dot(x, y, colour, width);
        else
            Stroke(lastX, lastY, x, y, colour, width);
        lastX = x, lastY = y;
    }
}

TextBox MeasureCanvas::Text(int x, int y, std::string_view utf8, const TextStyle& style, uint32_t colour) {
    if (utf8.empty()) return {};
    const TextRaster raster = CurrentPlatform().RasteriseText(std::string(utf8), style);
    if (raster.width <= 0 || raster.height <= 0 ||
        raster.coverage.size() < size_t(raster.width) * size_t(raster.height))
        return {};
    for (int row = 0; row < raster.height; ++row) {
        const uint8_t* coverage = raster.coverage.data() + size_t(row) * raster.width;
        for (int column = 0; column < raster.width; ++column)
            if (coverage[column]) Plot(int64_t(x) + column, int64_t(y) + row, colour, coverage[column]);
    }
    return TextBox{raster.width, raster.height};
}

TextBox MeasureCanvas::MeasureText(std::string_view utf8, const TextStyle& style) {
    if (utf8.empty()) return {};
    const TextRaster raster = CurrentPlatform().RasteriseText(std::string(utf8), style);
    return TextBox{std::max(0, raster.width), std::max(0, raster.height)};
}

int64_t CountPixelsInside(const std::vector<MeasurePoint>& points, int width, int height) {
    if (points.size() < 3 || width <= 0 || height <= 0) return 0;
    // The outline is laid into a mask over the polygon's box (points held inside the
    // picture), as a selection outline would be, and its interior filled.
    std::vector<MeasurePoint> held;
    held.reserve(points.size());
    for (const MeasurePoint& p : points) held.push_back({std::clamp(p.x, 0, width - 1), std::clamp(p.y, 0, height - 1)});
    int left = held[0].x, right = held[0].x, top = held[0].y, bottom = held[0].y;
    for (const MeasurePoint& p : held) {
        left = std::min(left, p.x), right = std::max(right, p.x);
        top = std::min(top, p.y), bottom = std::max(bottom, p.y);
    }
    SelectionMask box;
    box.width = right - left + 1;
    box.height = bottom - top + 1;
    try {
        box.mask.assign(size_t(box.width) * size_t(box.height), MaskValue::Outside);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    for (size_t i = 0; i < held.size(); ++i) {
        const MeasurePoint a = held[i], b = held[(i + 1) % held.size()];
        StepLine(a.x - left, a.y - top, b.x - left, b.y - top, [&](int x, int y) {
            box.mask[size_t(y) * size_t(box.width) + size_t(x)] = MaskValue::Outline;
        });
    }
    FillClosedOutline(box);
    return std::count(box.mask.begin(), box.mask.end(), MaskValue::Inside);
}

}  // namespace quillory
