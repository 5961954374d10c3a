#pragma once
// The drawing primitives of measurement figures: pen dots, lines, markers, circles,
// ellipses, arcs and text, drawn into the pixels of one layer at picture
// coordinates (rows top-down). Every pixel written becomes opaque in the layer's
// opacity plane (text by its coverage) and is marked in the touch mask, one byte a
// layer pixel, so the caller knows exactly which pixels a figure covers.
#include <cstdint>
#include <string_view>
#include <vector>

#include "core/Platform.h"
#include "measure/MeasureObject.h"
#include "processing/Planes.h"

namespace quillory {

struct LayerRecord;

struct TextBox {
    int width = 0, height = 0;
};

// What a preview overwrote, so it can be put back: per layer pixel its stored
// value (blue, green, red, or a palette index and two zeros), opacity and the
// coverage count it had then.
struct PixelLog {
    std::vector<uint32_t> indexes;
    std::vector<uint8_t> bytes;  // 5 a pixel
    bool Empty() const { return indexes.empty(); }
    void Clear() {
        indexes.clear();
        bytes.clear();
    }
};

class MeasureCanvas {
public:
    // `documentWidth` and `documentHeight` are the picture's size: the layer's
    // placement (x, y) maps picture pixels onto its planes. The layer has the
    // document's depth; below 24 bits each colour becomes the nearest entry of `palette`.
    MeasureCanvas(LayerRecord& layer, int documentWidth, int documentHeight, std::vector<uint8_t>& touchMask,
                  int bitsPerPixel = 24, PaletteRef palette = {});

    // A layer of 1, 4, 8, 24 or 32 bits with planes of its recorded size and a touch mask to match.
    bool Usable() const { return m_usable; }
    // Every pixel written for the first time since the touch mask was cleared is
    // noted in `log` first, with its coverage count from `cover`.
    void LogInto(PixelLog* log, const std::vector<uint8_t>* cover) {
        m_log = log;
        m_cover = cover;
    }
    int Width() const { return m_documentWidth; }
    int Height() const { return m_documentHeight; }
    // Inside the picture and on the layer.
    bool Contains(int x, int y) const;

    // Positions are 64-bit so a far figure's arithmetic cannot wrap round onto the picture.
    void Plot(int64_t x, int64_t y, uint32_t colour, uint8_t coverage = 255);
    // A pen dot of the given width centred on the point (round from width 3 on).
    void Dot(int64_t x, int64_t y, uint32_t colour, int width);
    // False, drawing nothing, when an end lies outside the picture.
    bool Line(int x0, int y0, int x1, int y1, uint32_t colour, int width);
    // A hollow square of half-size `size` around the point.
    void Marker(int64_t x, int64_t y, int size, uint32_t colour);
    void Circle(int cx, int cy, int radius, uint32_t colour, int width);
    // An ellipse around (cx, cy) whose first axis runs to (cx + ax, cy + ay) and whose
    // second radius, on the perpendicular axis, is `radius2`. Circles and ellipses cost
    // time by the part of them the picture can show, whatever their size.
    void Ellipse(int cx, int cy, int64_t ax, int64_t ay, double radius2, uint32_t colour, int width);
    // An arc of a circle from the direction `fromDegrees` (counter-clockwise as seen,
    // 0 to the right) over `sweepDegrees`.
    void Arc(int cx, int cy, int radius, double fromDegrees, double sweepDegrees, uint32_t colour, int width);
    // Text with its top-left at (x, y), rasterised by the platform; the size of its box.
    TextBox Text(int x, int y, std::string_view utf8, const TextStyle& style, uint32_t colour);
    static TextBox MeasureText(std::string_view utf8, const TextStyle& style);

    // Puts back, newest first, every logged pixel whose coverage count is still the one
    // it had then (no figure added since covers it).
    void PutBack(const PixelLog& log, const std::vector<uint8_t>& cover);

private:
    // The stored value of a layer pixel, and writing one back.
    void ReadStored(int64_t column, int64_t storedY, uint8_t out[3]) const;
    void WriteStored(int64_t column, int64_t storedY, const uint8_t value[3]);
    RGBQUAD ColourOf(const uint8_t stored[3]) const;
    uint8_t NearestIndex(RGBQUAD colour);
    // A line clipped pixel by pixel, walked only within reach of the picture.
    void Stroke(int64_t x0, int64_t y0, int64_t x1, int64_t y1, uint32_t colour, int width);
    // Cuts the segment to the picture grown by the pen; false when nothing is left.
    bool ClipToReach(int64_t& x0, int64_t& y0, int64_t& x1, int64_t& y1, int width) const;
    // No pixel of the ring between the two radii around the centre can fall on the picture.
    bool RingMissesPicture(int64_t cx, int64_t cy, double inner, double outer, int width) const;
    // The layer plane index of a picture pixel, -1 outside.
    int64_t IndexOf(int64_t x, int64_t y) const;
    struct EllipseShape {
        double cx, cy, ux, uy;  // the centre and the first axis's direction
        double r1, r2;          // the radii along the first axis and across it
    };
    // The parts of a large ellipse that reach the picture, as chords within a quarter pixel of it.
    void RingArcs(const EllipseShape& shape, uint32_t colour, int width);

    LayerRecord& m_layer;
    std::vector<uint8_t>& m_touch;
    int m_documentWidth, m_documentHeight;
    int m_bits = 24;
    PaletteRef m_palette;
    uint32_t m_lastKey = 0xFFFFFFFFu;  // the colour whose nearest entry was found last
    uint8_t m_lastIndex = 0;
    bool m_usable = false;
    PixelLog* m_log = nullptr;
    const std::vector<uint8_t>* m_cover = nullptr;
};

// Pixels of the picture (width × height) that the closed polygon through the
// points covers: its outline, stepped from point to point as a drawn selection
// outline is, and everything the outline encloses (4-connected). A 10 × 10
// square from (0, 0) to (10, 10) covers 121 pixels.
int64_t CountPixelsInside(const std::vector<MeasurePoint>& points, int width, int height);

}  // namespace quillory
