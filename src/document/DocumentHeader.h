#pragma once
// The document's header: the size, depth and palette that every layer shares.
// The first 256 bytes are what the native file keeps (written field by field at
// the offsets below); the scratch copies and the palette live in memory only.
#include <cstdint>
#include <vector>

#include "core/DibTypes.h"
#include "document/LayerRecord.h"

namespace quillory {

inline constexpr int kDocumentHeaderFileBytes = 256;
inline constexpr char kResolutionTag[4] = {'Q', 'd', 'p', 'i'};
inline constexpr int32_t kDefaultDpi = 72;  // the image object's default resolution

namespace DocumentHeaderOffset {
inline constexpr int name = 0;
inline constexpr int height = 200;
inline constexpr int width = 204;
inline constexpr int originX = 208;
inline constexpr int originY = 212;
inline constexpr int formatType = 216;
inline constexpr int reserved217 = 217;
inline constexpr int colourCount = 220;
inline constexpr int bitsPerPixel = 224;
inline constexpr int imageSize = 228;
inline constexpr int pixelCount = 232;
inline constexpr int scratchSize = 236;
inline constexpr int scratchPixelsPointer = 240;  // stored as 0, or dpiX (below)
inline constexpr int scratchAlphaPointer = 244;   // stored as 0, or dpiY (below)
inline constexpr int backgroundChanged = 248;
inline constexpr int reserved252 = 252;
// The picture's resolution lives in the two pointer places, which mean nothing in a
// file; the reserved bytes then carry a tag, so files whose pointer places hold
// leftover memory values are never read as a resolution.
inline constexpr int dpiX = scratchPixelsPointer;
inline constexpr int dpiY = scratchAlphaPointer;
inline constexpr int resolutionTag = reserved252;
inline constexpr int end = 256;
}  // namespace DocumentHeaderOffset

struct DocumentHeader {
    char16_t name[kNameUnits] = {};  // picture name, first 100 units
    int32_t height = 0;
    int32_t width = 0;
    int32_t originX = 0;  // `x` of the first layer of a one-layer document
    int32_t originY = 0;
    uint8_t formatType = 0;  // image format code the picture came from
    uint8_t reserved217[3] = {};
    int32_t colourCount = 0;  // palette entries; 0 = direct colour
    int32_t bitsPerPixel = 0;  // 1, 4, 8 or 24
    int32_t imageSize = 0;     // height * document stride
    int32_t pixelCount = 0;    // width * height
    int32_t scratchSize = 0;
    int32_t backgroundChanged = 0;  // a pixel of a background layer was written
    uint8_t reserved252[4] = {};
    // Resolution of the picture the document was opened from, in dots per inch.
    int32_t dpiX = kDefaultDpi;
    int32_t dpiY = kDefaultDpi;

    // Memory only: scratch copies of one layer's pixels and alpha (work buffers that an
    // operation sizes when it uses them; empty otherwise), and the palette.
    std::vector<uint8_t> scratchPixels;
    std::vector<uint8_t> scratchAlpha;
    std::vector<RGBQUAD> palette;

    int64_t Stride() const { return PlaneStride(bitsPerPixel, width); }
};

}  // namespace quillory
