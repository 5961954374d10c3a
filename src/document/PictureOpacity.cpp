#include "document/PictureOpacity.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "core/FormatCodes.h"
#include "core/NyZazoPNG.h"

namespace quillory {

bool KeepsOpacity(int formatType) { return formatType == kFormatPng || formatType == kFormatWebp; }

bool TakePictureOpacity(NyZazo& picture, std::vector<uint8_t>& opacity) {
    if (!picture.dib) return false;
    const int width = picture.Width(), height = picture.Height(), depth = picture.BitCount();
    const bool indexed = depth <= 8 && KeepsOpacity(picture.formatType) && picture.transparentIndex >= 0;
    if (depth != 32 && !indexed) return false;
    const bool carried = indexed || HasOpacity(picture);
    try {
        opacity.assign(size_t(width) * size_t(height), 255);
    } catch (const std::bad_alloc&) {
        return false;
    }
    uint8_t seen = 255;
    for (int y = 0; y < height; ++y) {
        uint8_t* out = opacity.data() + size_t(y) * size_t(width);
        if (indexed) {
            for (int x = 0; x < width; ++x)
                if (picture.GetPixelIndex(x, y) == picture.transparentIndex) out[x] = 0;
        } else {
            const uint8_t* row = picture.Row(y);
            for (int x = 0; x < width; ++x) out[x] = row[4 * x + 3];
        }
        for (int x = 0; x < width; ++x) seen &= out[x];
    }
    if (indexed) {
        if (seen == 255) opacity.clear();
        return seen != 255;
    }
    // A 32-bit picture becomes 24-bit either way.
    NyZazo colour;
    if (!colour.CreateForWriting(width, height, 24, picture.formatType)) return false;
    colour.CopyInfo(picture);
    for (int y = 0; y < height; ++y) {
        const uint8_t* in = picture.Row(y);
        uint8_t* out = colour.Row(y);
        for (int x = 0; x < width; ++x, in += 4, out += 3) out[0] = in[0], out[1] = in[1], out[2] = in[2];
    }
    picture.TakeOver(colour);
    if (seen == 255 || !carried) {
        opacity.clear();
        return false;
    }
    return true;
}

bool FlatPictureWithOpacity(const std::vector<uint32_t>& flat, int width, int height, NyZazo& picture) {
    if (width <= 0 || height <= 0 || flat.size() != size_t(width) * size_t(height)) return false;
    const bool opaque = std::all_of(flat.begin(), flat.end(), [](uint32_t p) { return (p >> 24) == 255; });
    // Made for a format that keeps opacity: a picture transparent everywhere stays so.
    if (opaque || !picture.CreateForWriting(width, height, 32, kFormatPng)) return false;
    for (int top = 0; top < height; ++top) {
        const uint8_t* in = reinterpret_cast<const uint8_t*>(flat.data() + size_t(top) * size_t(width));
        uint8_t* out = picture.Row(height - 1 - top);
        for (int x = 0; x < width; ++x, in += 4, out += 4) {
            const unsigned a = in[3];
            // The blend weighs a colour by its opacity; the file holds it plainly.
            for (int c = 0; c < 3; ++c) out[c] = a == 0 ? 0 : uint8_t(std::min(255u, (in[c] * 255u + a / 2) / a));
            out[3] = uint8_t(a);
        }
    }
    return true;
}

}  // namespace quillory
