#pragma once
// One slot of the document's layer table. The first 396 bytes of a record are
// what the native file keeps (written field by field at the offsets below);
// the four planes live in memory only and are owned by the record, so copying a
// record deep-copies its planes.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillory {

inline constexpr int kMaxLayers = 40;            // slots 0..39 of the layer table
inline constexpr int kNameUnits = 100;           // UTF-16 units of layer and picture names
inline constexpr int kMaxTextLength = 700;       // UTF-16 units of a text layer's text
inline constexpr int kFontBlockBytes = 50;       // font face and style block of a text layer
inline constexpr int kLayerRecordFileBytes = 396;

// Layer kinds (`kind`).
namespace LayerKind {
inline constexpr uint8_t Raster = 0;
inline constexpr uint8_t Background = 1;  // the layer a picture was opened or created with
inline constexpr uint8_t Text = 2;
inline constexpr uint8_t Floating = 3;    // a moved selection, pending
inline constexpr uint8_t Measure = 4;
}  // namespace LayerKind

// Blend modes (`blendMode`); 0, 1 and every unlisted value blend normally.
namespace BlendMode {
inline constexpr uint8_t Normal = 0;
inline constexpr uint8_t NormalAlt = 1;
inline constexpr uint8_t Multiply = 2;
inline constexpr uint8_t Screen = 3;
inline constexpr uint8_t Darken = 4;
inline constexpr uint8_t Lighten = 5;
inline constexpr uint8_t Difference = 6;
inline constexpr uint8_t InverseDifference = 7;
inline constexpr uint8_t Exclusion = 8;
inline constexpr uint8_t Overlay = 9;
inline constexpr int Count = 10;
}  // namespace BlendMode

// Byte offsets of the stored part of a record.
namespace LayerRecordOffset {
inline constexpr int inUse = 0;
inline constexpr int changed = 4;
inline constexpr int name = 8;
inline constexpr int kind = 208;
inline constexpr int blendMode = 209;
inline constexpr int prev = 210;
inline constexpr int next = 212;
inline constexpr int linkedLayer = 214;
inline constexpr int effectOn = 216;
inline constexpr int effectSize = 217;
inline constexpr int shadowColour = 218;
inline constexpr int reserved222 = 222;
inline constexpr int shadowOnly = 224;
inline constexpr int textColour = 228;
inline constexpr int transparency = 232;
inline constexpr int reserved233 = 233;
inline constexpr int visible = 236;
inline constexpr int x = 240;
inline constexpr int y = 244;
inline constexpr int height = 248;
inline constexpr int width = 252;
inline constexpr int planeSize = 256;
inline constexpr int pixelSize = 260;
inline constexpr int stride = 264;
inline constexpr int textLength = 268;
inline constexpr int textX = 272;
inline constexpr int textY = 276;
inline constexpr int textSize = 280;
inline constexpr int textFont = 284;
inline constexpr int reserved334 = 334;
inline constexpr int textSettings = 384;  // three int32
inline constexpr int end = 396;
}  // namespace LayerRecordOffset

struct LayerRecord {
    int32_t inUse = 0;
    int32_t changed = 0;
    char16_t name[kNameUnits] = {};  // zero-terminated when shorter than 100 units
    uint8_t kind = LayerKind::Raster;
    uint8_t blendMode = BlendMode::Normal;
    int16_t prev = -1;
    int16_t next = -1;
    int16_t linkedLayer = -1;
    uint8_t effectOn = 0;
    uint8_t effectSize = 0;
    int32_t shadowColour = 0;  // RGBQUAD order in the low three bytes
    uint8_t reserved222[2] = {};
    int32_t shadowOnly = 0;
    int32_t textColour = 0;  // RGBQUAD order: byte 0 blue, 1 green, 2 red
    uint8_t transparency = 0;  // 0 opaque .. 255 invisible
    uint8_t reserved233[3] = {};
    int32_t visible = 0;  // 1 shown; any other value hidden
    int32_t x = 0;
    int32_t y = 0;
    int32_t height = 0;
    int32_t width = 0;
    int32_t planeSize = 0;
    int32_t pixelSize = 0;
    int32_t stride = 0;
    int32_t textLength = 0;
    // Text layers only.
    int32_t textX = 0;
    int32_t textY = 0;
    int32_t textSize = 0;
    uint8_t textFont[kFontBlockBytes] = {};
    uint8_t reserved334[50] = {};
    int32_t textSettings[3] = {10, 100, 0};

    // Memory only. Rows bottom-up; `pixels` at the document's depth with `stride`
    // bytes a row, `alpha` and `effect` one byte a pixel.
    std::vector<uint8_t> pixels;
    std::vector<uint8_t> alpha;
    std::vector<uint8_t> effect;
    std::u16string text;

    uint8_t* PixelRow(int storedY) { return pixels.data() + size_t(storedY) * size_t(stride); }
    const uint8_t* PixelRow(int storedY) const { return pixels.data() + size_t(storedY) * size_t(stride); }
    uint8_t* AlphaRow(int storedY) { return alpha.data() + size_t(storedY) * size_t(width); }
    const uint8_t* AlphaRow(int storedY) const { return alpha.data() + size_t(storedY) * size_t(width); }

    void FreePlanes() {
        std::vector<uint8_t>().swap(pixels);
        std::vector<uint8_t>().swap(alpha);
        std::vector<uint8_t>().swap(effect);
        std::u16string().swap(text);
    }
};

// Fixed name fields: at most 100 units, zero-terminated when shorter.
inline void SetFixedName(char16_t (&field)[kNameUnits], std::u16string_view text) {
    const size_t n = std::min<size_t>(text.size(), kNameUnits);
    std::fill(std::begin(field), std::end(field), u'\0');
    std::copy_n(text.begin(), n, field);
}

inline std::u16string FixedName(const char16_t (&field)[kNameUnits]) {
    const char16_t* end = std::find(std::begin(field), std::end(field), u'\0');
    return std::u16string(std::begin(field), end);
}

// Bytes per pixel row of a plane: 4-byte aligned.
inline int64_t PlaneStride(int bitsPerPixel, int width) {
    return ((int64_t(bitsPerPixel) * width + 31) / 32) * 4;
}

}  // namespace quillory
