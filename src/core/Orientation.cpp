#include "core/Orientation.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace quillory {

namespace {

// Palette indices inside a row of 1, 4 or 8 bits (the first pixel in the high bits).
inline uint8_t IndexAt(const uint8_t* row, int x, int depth) {
    if (depth == 8) return row[x];
    if (depth == 4) return (x & 1) ? uint8_t(row[x >> 1] & 0x0F) : uint8_t(row[x >> 1] >> 4);
    return uint8_t((row[x >> 3] >> (7 - (x & 7))) & 1);
}

inline void PutIndexAt(uint8_t* row, int x, int depth, uint8_t index) {
    if (depth == 8) {
        row[x] = index;
    } else if (depth == 4) {
        uint8_t& b = row[x >> 1];
        b = (x & 1) ? uint8_t((b & 0xF0) | (index & 0x0F)) : uint8_t((b & 0x0F) | (index << 4));
    } else {
        uint8_t& b = row[x >> 3];
        const uint8_t bit = uint8_t(0x80 >> (x & 7));
        b = (index & 1) ? uint8_t(b | bit) : uint8_t(b & ~bit);
    }
}

// Builds the turned picture. sourceColumn maps a new stored row to the source column
// it comes from; sourceRow maps a new x to the source stored row.
template <typename ColumnOf, typename RowOf>
bool Turn(NyZazo& picture, ColumnOf sourceColumn, RowOf sourceRow) {
    if (!picture.dib) return true;
    const int width = picture.Width(), height = picture.Height(), depth = picture.BitCount();
    NyZazo turned(picture.formatType);
    turned.CopyInfo(picture);
    turned.header.biXPelsPerMeter = picture.header.biYPelsPerMeter;
    turned.header.biYPelsPerMeter = picture.header.biXPelsPerMeter;
    if (!turned.Create(height, width, depth, picture.formatType)) return false;
    turned.header.biClrImportant = picture.header.biClrImportant;
    turned.dpiX = picture.dpiY;
    turned.dpiY = picture.dpiX;
    if (picture.header.biClrUsed) turned.SetPaletteQuads(picture.GetPalette(), picture.header.biClrUsed);

    std::vector<const uint8_t*> rows(size_t(height), nullptr);
    for (int x = 0; x < height; ++x) rows[size_t(x)] = picture.Row(sourceRow(x));
    const int bytes = depth / 8;
    for (int y = 0; y < width; ++y) {
        uint8_t* out = turned.Row(y);
        const int column = sourceColumn(y);
        if (bytes) {
            const size_t offset = size_t(column) * size_t(bytes);
            for (int x = 0; x < height; ++x) std::memcpy(out + size_t(x) * bytes, rows[size_t(x)] + offset, size_t(bytes));
        } else {
            for (int x = 0; x < height; ++x) PutIndexAt(out, x, depth, IndexAt(rows[size_t(x)], column, depth));
        }
    }
    // Hand the new block over without another copy; the old block leaves with `turned`.
    std::swap(picture.header, turned.header);
    std::swap(static_cast<NyZazoInfo&>(picture), static_cast<NyZazoInfo&>(turned));
    std::swap(picture.dib, turned.dib);
    std::swap(picture.bits, turned.bits);
    return true;
}

}  // namespace

void MirrorLeftRight(NyZazo& picture) {
    if (!picture.dib) return;
    const int width = picture.Width(), depth = picture.BitCount();
    if (depth >= 8) {
        const size_t bytes = size_t(depth / 8);
        for (int y = 0; y < picture.Height(); ++y) {
            uint8_t* row = picture.Row(y);
            for (int left = 0, right = width - 1; left < right; ++left, --right)
                std::swap_ranges(row + size_t(left) * bytes, row + size_t(left + 1) * bytes, row + size_t(right) * bytes);
        }
        return;
    }
    std::vector<uint8_t> line(picture.rowBytes);
    for (int y = 0; y < picture.Height(); ++y) {
        uint8_t* row = picture.Row(y);
        std::memcpy(line.data(), row, line.size());
        for (int x = 0; x < width; ++x) PutIndexAt(row, x, depth, IndexAt(line.data(), width - 1 - x, depth));
    }
}

void FlipTopBottom(NyZazo& picture) {
    if (!picture.dib) return;
    for (int low = 0, high = picture.Height() - 1; low < high; ++low, --high)
        std::swap_ranges(picture.Row(low), picture.Row(low) + picture.rowBytes, picture.Row(high));
}

bool RotateClockwise(NyZazo& picture) {
    const int width = picture.Width();
    // The top of the turned picture is the old left column; the old bottom row becomes its left column.
    return Turn(picture, [width](int y) { return width - 1 - y; }, [](int x) { return x; });
}

bool RotateCounterClockwise(NyZazo& picture) {
    const int height = picture.Height();
    return Turn(picture, [](int y) { return y; }, [height](int x) { return height - 1 - x; });
}

bool ApplyTiffOrientation(NyZazo& picture, int orientation) {
    switch (orientation) {
        case 2: MirrorLeftRight(picture); return true;
        case 3:
            FlipTopBottom(picture);
            MirrorLeftRight(picture);
            return true;
        case 4: FlipTopBottom(picture); return true;
        case 5:
            if (!RotateClockwise(picture)) return false;
            MirrorLeftRight(picture);
            return true;
        case 6: return RotateClockwise(picture);
        case 7:
            if (!RotateCounterClockwise(picture)) return false;
            MirrorLeftRight(picture);
            return true;
        case 8: return RotateCounterClockwise(picture);
        default: return true;
    }
}

}  // namespace quillory
