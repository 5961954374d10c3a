#include "processing/ColourAdjust.h"

#include <algorithm>
#include <cmath>
#include <cstring>


#include "core/RowPixels.h"
#include "processing/ByteMap.h"
#include "processing/GreyRows.h"

namespace quillory {

namespace {

uint8_t Clamp(int v) { return uint8_t(std::clamp(v, 0, 255)); }

bool InRange(int v, int limit) { return v >= -limit && v <= limit; }

void MapPixel(uint8_t* p, const ChannelTables& t) {
    p[0] = t.blue[p[0]];
    p[1] = t.green[p[1]];
    p[2] = t.red[p[2]];
}


bool SameTables(const ChannelTables& t) {
    return std::memcmp(t.blue, t.green, 256) == 0 && std::memcmp(t.blue, t.red, 256) == 0;
}

}  // namespace

ChannelTables BrightnessContrastTables(int brightness, int contrast) {
    ChannelTables t;
    const double factor = (255.0 + contrast) / 255.0;
    for (int v = 0; v < 256; ++v) {
        const double out = (v - 128) * factor + 128 + brightness;
        t.blue[v] = Clamp(int(std::trunc(out)));
    }
    t.hasLine = true;
    t.slope = factor;
    t.offset = 128 + brightness - 128 * factor;
    std::memcpy(t.green, t.blue, 256);
    std::memcpy(t.red, t.blue, 256);
    return t;
}

ChannelTables ChannelShiftTables(int dRed, int dGreen, int dBlue) {
    ChannelTables t;
    for (int v = 0; v < 256; ++v) {
        t.blue[v] = Clamp(v + dBlue);
        t.green[v] = Clamp(v + dGreen);
        t.red[v] = Clamp(v + dRed);
    }
    return t;
}

void ApplyChannelTables(ColourPlanes& planes, const ChannelTables& tables, bool honourSelection) {
    if (planes.IsPalette()) {
        for (uint32_t i = 0; i < planes.colourCount; ++i) {
            RGBQUAD& e = planes.palette[i];
            e.blue = tables.blue[e.blue];
            e.green = tables.green[e.green];
            e.red = tables.red[e.red];
        }
        return;
    }
    const size_t bytes = size_t(planes.BytesPerPixel());
    const bool uniform = bytes == 3 && SameTables(tables);
    const ByteMap map(tables.blue, tables.slope, tables.offset, tables.hasLine);
    ForEachWritableRow(
        planes, honourSelection,
        [&](uint8_t* row) {
            if (uniform) map.Apply(row, size_t(planes.width) * 3);
            return uniform;
        },
        [&](uint8_t* row, int x, int) { MapPixel(row + size_t(x) * bytes, tables); });
}

bool BrightnessAndContrast(ColourPlanes& planes, int brightness, int contrast) {
    if (!planes.IsUsable() || !InRange(brightness, kBrightnessContrastLimit) ||
        !InRange(contrast, kBrightnessContrastLimit))
        return false;
    ApplyChannelTables(planes, BrightnessContrastTables(brightness, contrast), true);
    return true;
}

bool ShiftChannels(ColourPlanes& planes, int dRed, int dGreen, int dBlue) {
    if (!planes.IsUsable() || !InRange(dRed, kChannelShiftLimit) || !InRange(dGreen, kChannelShiftLimit) ||
        !InRange(dBlue, kChannelShiftLimit))
        return false;
    ApplyChannelTables(planes, ChannelShiftTables(dRed, dGreen, dBlue), true);
    return true;
}

bool IsGreyPalette(const RGBQUAD* palette, uint32_t count, int bitsPerPixel) {
    if (!palette || bitsPerPixel < 1 || bitsPerPixel > 8 || count != (1u << bitsPerPixel)) return false;
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t grey = i * 255 / (count - 1);
        if (palette[i].blue != grey || palette[i].green != grey || palette[i].red != grey) return false;
    }
    return true;
}

bool InvertColours(ColourPlanes& planes) {
    if (!planes.IsUsable()) return false;
    if (planes.IsPalette() && !IsGreyPalette(planes.palette, planes.colourCount, planes.bitsPerPixel)) {
        for (uint32_t i = 0; i < planes.colourCount; ++i) {
            RGBQUAD& e = planes.palette[i];
            e.blue = uint8_t(255 - e.blue);
            e.green = uint8_t(255 - e.green);
            e.red = uint8_t(255 - e.red);
        }
        return true;
    }
    // Complementing a byte complements every index packed into it, and every colour byte;
    // eight bytes at a time.
    uint8_t* p = planes.pixels;
    const size_t n = planes.stride * size_t(planes.height);
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t word;
        std::memcpy(&word, p + i, 8);
        word = ~word;
        std::memcpy(p + i, &word, 8);
    }
    for (; i < n; ++i) p[i] = uint8_t(~p[i]);
    return true;
}

bool DesaturatePixels(ColourPlanes& planes) {
    if (!planes.IsUsable()) return false;
    if (planes.IsPalette()) {
        // Each index always becomes the same index: the entry nearest to its grey.
        uint8_t greyIndex[256] = {};
        for (uint32_t i = 0; i < planes.colourCount; ++i) {
            const RGBQUAD& e = planes.palette[i];
            const uint8_t g = uint8_t(GreyOf(e.blue, e.green, e.red));
            greyIndex[i] = NearestPaletteIndex(planes.palette, planes.colourCount, RGBQUAD{g, g, g, 0});
        }
        const int bits = planes.bitsPerPixel;
        ForEachWritablePixel(planes, true,
                             [&](uint8_t* row, int x, int) { PutRowIndex(row, x, bits, greyIndex[RowIndex(row, x, bits)]); });
        return true;
    }
    const size_t bytes = size_t(planes.BytesPerPixel());
    ForEachWritableRow(
        planes, true,
        [&](uint8_t* row) {
            if (bytes == 3) GreyRowInPlace(row, planes.width);
            return bytes == 3;
        },
        [&](uint8_t* row, int x, int) {
            uint8_t* p = row + size_t(x) * bytes;
            p[0] = p[1] = p[2] = uint8_t(GreyOf(p[0], p[1], p[2]));
        });
    return true;
}

int32_t DesaturatedTextColour(int32_t textColour) {
    const uint32_t c = uint32_t(textColour);
    const uint32_t g = uint32_t(GreyOf(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)));
    return int32_t((c & 0xFF000000u) | (g << 16) | (g << 8) | g);
}

}  // namespace quillory
