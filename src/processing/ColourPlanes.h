#pragma once
// One layer as the colour adjustments see it: colour rows stored bottom-up at the
// picture's depth (1, 4, 8 bits with the picture's palette, or 24 and 32 bits of
// blue, green, red and a fourth byte), one opacity byte a pixel, and the
// selection map that limits where some adjustments write.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/DibTypes.h"
#include "core/NyZazo.h"

namespace quillory {

struct ColourPlanes {
    uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int bitsPerPixel = 24;
    size_t stride = 0;
    const uint8_t* alpha = nullptr;      // width bytes a row, rows as the pixels
    const uint8_t* selection = nullptr;  // the same layout; 0 = not selected; null = all selected
    RGBQUAD* palette = nullptr;          // palette depths only
    uint32_t colourCount = 0;
    ProgressSink* progress = nullptr;    // row × 100 / height while a loop runs

    bool IsPalette() const { return bitsPerPixel <= 8; }
    int BytesPerPixel() const { return bitsPerPixel / 8; }
    uint8_t* Row(int storedY) const { return pixels + size_t(storedY) * stride; }
    const uint8_t* AlphaRow(int storedY) const { return alpha + size_t(storedY) * size_t(width); }
    const uint8_t* SelectionRow(int storedY) const {
        return selection ? selection + size_t(storedY) * size_t(width) : nullptr;
    }
    // Sizes that the routines can trust: a known depth, rows long enough, and a palette for palette depths.
    bool IsUsable() const {
        if (!pixels || !alpha || width <= 0 || height <= 0) return false;
        const int d = bitsPerPixel;
        if (d != 1 && d != 4 && d != 8 && d != 24 && d != 32) return false;
        if (stride < (size_t(width) * size_t(d) + 7) / 8) return false;
        return d > 8 || (palette && colourCount > 0 && colourCount <= 256);
    }
};

// Grey as image processing uses it: the integer mean of red, green and blue.
inline int GreyOf(int blue, int green, int red) { return (blue + green + red) / 3; }

// The position of a row loop for a progress sink, sent only when the percentage changes.
class RowProgress {
public:
    RowProgress(ProgressSink* sink, int rows) : m_sink(sink), m_rows(rows > 0 ? rows : 1) {}
    void Row(int row) {
        if (!m_sink) return;
        const int percent = int(int64_t(row) * 100 / m_rows);
        if (percent != m_last) m_sink->SetPosition(m_last = percent);
    }

private:
    ProgressSink* m_sink;
    int m_rows;
    int m_last = -1;
};

// True when every pixel of a row may be written: none transparent, none unselected.
inline bool WholeRowWritable(const uint8_t* alphaRow, const uint8_t* selectionRow, int width) {
    const size_t n = size_t(unsigned(width));
    return !std::memchr(alphaRow, 0, n) && (!selectionRow || !std::memchr(selectionRow, 0, n));
}

// Calls visit(row, x, storedY) for every pixel whose opacity is not 0 and, with
// honourSelection, whose selection byte is not 0; the row loop reports its progress.
// A row in which every pixel may be written goes to whole(row) first, which does it
// all when it returns true.
template <typename Whole, typename Visit>
void ForEachWritableRow(const ColourPlanes& planes, bool honourSelection, Whole whole, Visit visit) {
    RowProgress progress(planes.progress, planes.height);
    for (int y = 0; y < planes.height; ++y) {
        progress.Row(y);
        uint8_t* row = planes.Row(y);
        const uint8_t* alpha = planes.AlphaRow(y);
        const uint8_t* selection = honourSelection ? planes.SelectionRow(y) : nullptr;
        if (WholeRowWritable(alpha, selection, planes.width) && whole(row)) continue;
        for (int x = 0; x < planes.width; ++x)
            if (alpha[x] != 0 && (!selection || selection[x] != 0)) visit(row, x, y);
    }
}

template <typename Visit>
void ForEachWritablePixel(const ColourPlanes& planes, bool honourSelection, Visit visit) {
    ForEachWritableRow(planes, honourSelection, [](uint8_t*) { return false; }, visit);
}

}  // namespace quillory
