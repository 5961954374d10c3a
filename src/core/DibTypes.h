#pragma once
// The Windows device-independent-bitmap records that the image object keeps in
// memory exactly as a packed DIB. They are serialised field by field (never
// memcpy'd as structs) so the byte layout does not depend on the compiler.
#include <cstdint>

namespace quillory {

struct RGBQUAD {
    uint8_t blue = 0;
    uint8_t green = 0;
    uint8_t red = 0;
    uint8_t reserved = 0;

    friend bool operator==(const RGBQUAD&, const RGBQUAD&) = default;
};

inline RGBQUAD MakeQuad(uint8_t red, uint8_t green, uint8_t blue, uint8_t reserved = 0) {
    return RGBQUAD{blue, green, red, reserved};
}

struct BITMAPINFOHEADER {
    uint32_t biSize = 40;
    int32_t biWidth = 0;
    int32_t biHeight = 0;
    uint16_t biPlanes = 0;
    uint16_t biBitCount = 0;
    uint32_t biCompression = 0;
    uint32_t biSizeImage = 0;
    int32_t biXPelsPerMeter = 0;
    int32_t biYPelsPerMeter = 0;
    uint32_t biClrUsed = 0;
    uint32_t biClrImportant = 0;
};

inline constexpr uint32_t kInfoHeaderBytes = 40;

// Little-endian helpers over raw byte buffers.
inline uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t Le32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline void PutLe16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
inline void PutLe32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

inline void WriteInfoHeader(uint8_t* out, const BITMAPINFOHEADER& h) {
    PutLe32(out + 0, h.biSize);
    PutLe32(out + 4, uint32_t(h.biWidth));
    PutLe32(out + 8, uint32_t(h.biHeight));
    PutLe16(out + 12, h.biPlanes);
    PutLe16(out + 14, h.biBitCount);
    PutLe32(out + 16, h.biCompression);
    PutLe32(out + 20, h.biSizeImage);
    PutLe32(out + 24, uint32_t(h.biXPelsPerMeter));
    PutLe32(out + 28, uint32_t(h.biYPelsPerMeter));
    PutLe32(out + 32, h.biClrUsed);
    PutLe32(out + 36, h.biClrImportant);
}

inline BITMAPINFOHEADER ReadInfoHeader(const uint8_t* in) {
    BITMAPINFOHEADER h;
    h.biSize = Le32(in + 0);
    h.biWidth = int32_t(Le32(in + 4));
    h.biHeight = int32_t(Le32(in + 8));
    h.biPlanes = Le16(in + 12);
    h.biBitCount = Le16(in + 14);
    h.biCompression = Le32(in + 16);
    h.biSizeImage = Le32(in + 20);
    h.biXPelsPerMeter = int32_t(Le32(in + 24));
    h.biYPelsPerMeter = int32_t(Le32(in + 28));
    h.biClrUsed = Le32(in + 32);
    h.biClrImportant = Le32(in + 36);
    return h;
}

}  // namespace quillory
