#pragma once
// Reading and writing single pixels of a plane as blue, green, red for the
// resampling routines: direct colour by bytes, indices through the palette
// (written back as the nearest entry), text coverage bytes as grey.
#include <algorithm>
#include <cstdint>

#include "core/NyZazo.h"
#include "core/RowPixels.h"
#include "processing/Planes.h"

namespace quillory {

inline void ColourAt(const Planes& p, const PaletteRef& palette, int x, int y, int bgr[3]) {
    const uint8_t* row = p.Row(y);
    if (p.bitsPerPixel >= 24) {
        const uint8_t* q = row + size_t(x) * size_t(p.bitsPerPixel / 8);
        bgr[0] = q[0], bgr[1] = q[1], bgr[2] = q[2];
        return;
    }
    const uint8_t index = RowIndex(row, x, p.bitsPerPixel);
    if (p.packedBytes || !palette.colours) {
        bgr[0] = bgr[1] = bgr[2] = index;
    } else {
        const RGBQUAD c = index < palette.count ? palette.colours[index] : RGBQUAD{};
        bgr[0] = c.blue, bgr[1] = c.green, bgr[2] = c.red;
    }
}

class PixelWriter {
public:
    PixelWriter(const Planes& out, const PaletteRef& palette) : m_out(out), m_palette(palette) {}
    void Put(uint8_t* row, int x, int b, int g, int r) {
        if (m_out.bitsPerPixel >= 24) {
            uint8_t* q = row + size_t(x) * size_t(m_out.bitsPerPixel / 8);
            q[0] = uint8_t(b), q[1] = uint8_t(g), q[2] = uint8_t(r);
            return;
        }
        if (m_out.packedBytes || !m_palette.colours || m_palette.count <= 0) {
            PutRowIndex(row, x, m_out.bitsPerPixel, uint8_t(b));
            return;
        }
        const uint32_t key = uint32_t(b) | uint32_t(g) << 8 | uint32_t(r) << 16;
        if (key != m_lastKey) {
            m_lastIndex = NearestPaletteIndex(m_palette.colours, uint32_t(std::min(m_palette.count, 256)),
                                              RGBQUAD{uint8_t(b), uint8_t(g), uint8_t(r), 0});
            m_lastKey = key;
        }
        PutRowIndex(row, x, m_out.bitsPerPixel, m_lastIndex);
    }

private:
    const Planes& m_out;
    PaletteRef m_palette;
    uint32_t m_lastKey = 0xFFFFFFFFu;
    uint8_t m_lastIndex = 0;
};

}  // namespace quillory
