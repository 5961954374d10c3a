#include "processing/SimilarArea.h"

#include "processing/PixelAccess.h"

namespace quillory {

int64_t MarkSimilarPixels(const Planes& layer, const PaletteRef& palette, RGBQUAD picked, int tolerance,
                          uint8_t* mask, ProgressSink* progress) {
    if (!layer.IsValid() || !mask) return 0;
    RowReporter report(progress, layer.height);
    int64_t count = 0;
    for (int y = 0; y < layer.height; ++y) {
        report.Row(y);
        const uint8_t* alphaRow = layer.AlphaRow(y);
        uint8_t* maskRow = mask + size_t(y) * size_t(layer.width);
        if (layer.bitsPerPixel == 24) {
            const uint8_t* p = layer.Row(y);
            for (int x = 0; x < layer.width; ++x, p += 3) {
                if (!alphaRow[x]) continue;
                const int d = ColourDistance(RGBQUAD{p[0], p[1], p[2], 0}, picked);
                if (d <= tolerance) maskRow[x] = 1, ++count;
            }
            continue;
        }
        for (int x = 0; x < layer.width; ++x) {
            if (!alphaRow[x]) continue;
            int c[3];
            ColourAt(layer, palette, x, y, c);
            if (ColourDistance(RGBQUAD{uint8_t(c[0]), uint8_t(c[1]), uint8_t(c[2]), 0}, picked) <= tolerance)
                maskRow[x] = 1, ++count;
        }
    }
    report.Done();
    return count;
}

}  // namespace quillory
