#include "processing/ColourDepth.h"

#include <algorithm>
#include <cstring>

#include "core/NearestPalette.h"
#include "core/NyZazo.h"
#include "core/RowPixels.h"
#include "core/SizeMath.h"
#include "processing/Quantizer.h"

namespace quillory {

namespace {

bool Usable(const PlaneView& plane) {
    if (!plane.pixels || plane.width <= 0 || plane.height <= 0) return false;
    int d = plane.bitsPerPixel;
    if (d != 1 && d != 4 && d != 8 && d != 24 && d != 32) return false;
    auto row = CheckedRowBytes(plane.width, d);
    return row && plane.stride >= *row;
}

}  // namespace

RGBQUAD PlaneColour(const PlaneView& plane, const uint8_t* row, int x) {
    uint32_t index;
    switch (plane.bitsPerPixel) {
    case 24: return RGBQUAD{row[x * 3], row[x * 3 + 1], row[x * 3 + 2], 0};
    case 32: return RGBQUAD{row[x * 4], row[x * 4 + 1], row[x * 4 + 2], 0};
    case 8: index = row[x]; break;
    case 4: index = (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4); break;
    default: index = (row[x >> 3] >> (7 - (x & 7))) & 1; break;
    }
    if (!plane.palette || index >= plane.colourCount) return RGBQUAD{};
    RGBQUAD c = plane.palette[index];
    c.reserved = 0;
    return c;
}

bool OctreePalette(const PlaneView& plane, RGBQUAD palette[256]) {
    std::fill(palette, palette + 256, RGBQUAD{});
    if (!Usable(plane) || plane.bitsPerPixel == 32) return false;
    BITMAPINFOHEADER description;
    description.biWidth = plane.width;
    description.biHeight = plane.height;
    description.biPlanes = 1;
    description.biBitCount = uint16_t(plane.bitsPerPixel);
    description.biClrUsed = plane.palette ? plane.colourCount : 0;
    CQuantizer quantizer(256, 8);
    if (plane.stride == *CheckedRowBytes(plane.width, plane.bitsPerPixel)) {
        if (!quantizer.ProcessBuffer(description, plane.palette, plane.pixels)) return false;
    } else {
        // The quantizer walks rows padded to 4 bytes; feed a wider plane row by row.
        description.biHeight = 1;
        for (int y = 0; y < plane.height; ++y)
            if (!quantizer.ProcessBuffer(description, plane.palette, plane.pixels + size_t(y) * plane.stride))
                return false;
    }
    quantizer.GetColorTable(palette);
    return true;
}

bool OctreePaletteOfFlat(const uint32_t* pixels, int width, int height, RGBQUAD palette[256]) {
    std::fill(palette, palette + 256, RGBQUAD{});
    if (!pixels || width <= 0 || height <= 0) return false;
    CQuantizer quantizer(256, 8);
    for (int storedY = 0; storedY < height; ++storedY)
        quantizer.ProcessPixels(reinterpret_cast<const uint8_t*>(pixels + size_t(height - 1 - storedY) * size_t(width)),
                                4, width);
    quantizer.GetColorTable(palette);
    return true;
}

bool IndexPlane(const PlaneView& plane, const RGBQUAD* palette, uint32_t count, uint8_t* dest, uint32_t destStride) {
    if (!Usable(plane) || !dest || destStride < uint32_t(plane.width)) return false;
    NearestPalette nearest(palette, count);
    const int depth = plane.bitsPerPixel;
    if (depth >= 24) {
        for (int y = 0; y < plane.height; ++y)
            nearest.MapPixels(plane.pixels + size_t(y) * plane.stride, depth / 8, plane.width,
                              dest + size_t(y) * destStride);
        return true;
    }
    // A palette plane has at most 256 colours: map each index once.
    uint8_t byIndex[256];
    for (uint32_t i = 0; i < 256; ++i)
        byIndex[i] = nearest.Find(plane.palette && i < plane.colourCount ? plane.palette[i] : RGBQUAD{});
    for (int y = 0; y < plane.height; ++y) {
        const uint8_t* row = plane.pixels + size_t(y) * plane.stride;
        uint8_t* out = dest + size_t(y) * destStride;
        for (int x = 0; x < plane.width; ++x) out[x] = byIndex[RowIndex(row, x, depth)];
    }
    return true;
}

bool RgbPlane(const PlaneView& plane, uint8_t* dest, uint32_t destStride) {
    if (!Usable(plane) || !dest || destStride / 3 < uint32_t(plane.width)) return false;
    for (int y = 0; y < plane.height; ++y) {
        const uint8_t* row = plane.pixels + size_t(y) * plane.stride;
        uint8_t* out = dest + size_t(y) * destStride;
        if (plane.bitsPerPixel == 24) {
            std::memcpy(out, row, size_t(plane.width) * 3);
            continue;
        }
        for (int x = 0; x < plane.width; ++x, out += 3) {
            RGBQUAD c = PlaneColour(plane, row, x);
            out[0] = c.blue;
            out[1] = c.green;
            out[2] = c.red;
        }
    }
    return true;
}

PlaneView ViewOf(const NyZazo& image) {
    PlaneView v;
    v.pixels = image.bits;
    v.width = image.Width();
    v.height = image.Height();
    v.bitsPerPixel = image.BitCount();
    v.stride = image.rowBytes;
    v.palette = image.GetPalette();
    v.colourCount = image.header.biClrUsed;
    return v;
}

bool ReduceToEightBits(const NyZazo& source, NyZazo& target) {
    if (!source.dib || source.BitCount() <= 8) return false;
    PlaneView view = ViewOf(source);
    RGBQUAD palette[256];
    if (!OctreePalette(view, palette)) return false;
    NyZazo result;
    result.CopyInfo(source);
    if (!result.Create(source.Width(), source.Height(), 8, source.formatType)) return false;
    result.SetDpiX(source.dpiX);
    result.SetDpiY(source.dpiY);
    result.SetPaletteQuads(palette, 256);
    if (!IndexPlane(view, palette, 256, result.bits, result.rowBytes)) return false;
    target.TakeOver(result);
    return true;
}

bool ExpandToRgb(const NyZazo& source, NyZazo& target) {
    if (!source.dib || source.BitCount() > 24) return false;
    NyZazo result;
    result.CopyInfo(source);
    if (!result.Create(source.Width(), source.Height(), 24, source.formatType)) return false;
    result.SetDpiX(source.dpiX);
    result.SetDpiY(source.dpiY);
    if (!RgbPlane(ViewOf(source), result.bits, result.rowBytes)) return false;
    target.TakeOver(result);
    return true;
}

}  // namespace quillory
