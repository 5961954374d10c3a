#include "core/NyZazo.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <climits>
#include <cstring>

#include "core/CoreTexts.h"
#include "core/LargeBlocks.h"
#include "core/Platform.h"
#include "core/RowPixels.h"
#include "core/SizeMath.h"

namespace quillory {

namespace {

int SupportedDepth(int bitsPerPixel) {
    if (bitsPerPixel <= 1) return 1;
    if (bitsPerPixel <= 4) return 4;
    if (bitsPerPixel <= 8) return 8;
    if (bitsPerPixel <= 24) return 24;
    return 32;
}

uint8_t* AllocateBlock(size_t bytes) { return static_cast<uint8_t*>(AllocateLarge(bytes)); }

int PelsPerMeterToDpi(int32_t pelsPerMeter) {
    return int(std::floor(double(pelsPerMeter) * 254.0 / 10000.0 + 0.5));
}

uint32_t OpaquePixel(RGBQUAD c) {
    return 0xFF000000u | (uint32_t(c.red) << 16) | (uint32_t(c.green) << 8) | c.blue;
}

}  // namespace

uint64_t PixelCountLimitFrom(const char* value) {
    if (!value || !*value) return kDefaultMaxPixels;
    uint64_t n = 0;
    for (const char* c = value; *c; ++c) {
        if (*c < '0' || *c > '9' || n > (UINT64_MAX - 9) / 10) return kDefaultMaxPixels;
        n = n * 10 + uint64_t(*c - '0');
    }
    return n > 0 ? n : kDefaultMaxPixels;
}

uint64_t& PixelCountLimit() {
    static uint64_t limit = PixelCountLimitFrom(std::getenv(kMaxPixelsVariable));
    return limit;
}

NyZazo::NyZazo(int formatCode) { Init(formatCode); }

NyZazo::NyZazo(int width, int height, int bitsPerPixel, int formatCode) {
    Init(formatCode);
    Create(width, height, bitsPerPixel, formatCode);
}

NyZazo::NyZazo(const NyZazo& source, bool copyWholeBlock) {
    Init(source.formatType);
    Copy(source, copyWholeBlock);
}

NyZazo::NyZazo(const std::string& fileName, int formatCode) {
    Init(formatCode);
    Load(fileName, formatCode);
}

NyZazo::~NyZazo() { Destroy(); }

void NyZazo::Init(int formatCode) {
    dib = nullptr;
    bits = nullptr;
    header = BITMAPINFOHEADER{};
    header.biSize = kInfoHeaderBytes;
    static_cast<NyZazoInfo&>(*this) = NyZazoInfo{};
    formatType = int8_t(formatCode);
    jpegQuality = 150;
    alphaMax = 255;
    transparentIndex = -1;
    drawEnabled = 1;
    SetDpiX(72);
    SetDpiY(72);
}

uint8_t* NyZazo::Allocate(int width, int height, int bitsPerPixel, int formatCode) {
    if (width == 0 || height == 0) return nullptr;
    int depth = SupportedDepth(bitsPerPixel);
    // A negative size or one past the pixel cap is refused before anything changes.
    if (width < 0 || height < 0 || !FitsPixelCap(width, height, depth)) return nullptr;

    if (dib) {
        if (!sharedFrom) std::free(dib);
        dib = nullptr;
        bits = nullptr;
        sharedFrom = nullptr;
    }
    header.biClrUsed = depth == 1 ? 2 : depth == 4 ? 16 : depth == 8 ? 256 : 0;
    colourKind = depth <= 8 ? 1 : 2;
    rowBytes = *CheckedRowBytes(width, depth);
    formatType = int8_t(formatCode);
    header.biSize = kInfoHeaderBytes;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = uint16_t(depth);
    header.biCompression = 0;
    header.biSizeImage = rowBytes * uint32_t(height);
    header.biClrImportant = 0;

    dib = AllocateBlock(GetSize());
    if (!dib) return nullptr;
    std::memset(dib + kInfoHeaderBytes, 0, 4 * header.biClrUsed);
    RefreshDibHeader();
    bits = dib + kInfoHeaderBytes + 4 * header.biClrUsed;
    return dib;
}

uint8_t* NyZazo::Create(int width, int height, int bitsPerPixel, int formatCode) {
    if (!Allocate(width, height, bitsPerPixel, formatCode)) return nullptr;
    std::memset(bits, 0xFF, header.biSizeImage);
    return dib;
}

uint8_t* NyZazo::CreateForWriting(int width, int height, int bitsPerPixel, int formatCode) {
    if (!Allocate(width, height, bitsPerPixel, formatCode)) return nullptr;
    const size_t used = (size_t(width) * BitCount() + 7) / 8;
    if (used < rowBytes)
        for (int y = 0; y < height; ++y) std::memset(Row(y) + used, 0, rowBytes - used);
    return dib;
}

void NyZazo::Destroy() {
    if (dib && !sharedFrom) std::free(dib);
    dib = nullptr;
    bits = nullptr;
}

uint32_t NyZazo::GetSize() const { return header.biSize + 4 * header.biClrUsed + header.biSizeImage; }

void NyZazo::RefreshDibHeader() {
    if (dib) WriteInfoHeader(dib, header);
}

void NyZazo::CopyInfo(const NyZazo& source) {
    if (dib) return;
    static_cast<NyZazoInfo&>(*this) = static_cast<const NyZazoInfo&>(source);
    sharedFrom = nullptr;  // nothing is borrowed until a block is shared
}

void NyZazo::Copy(const NyZazo& source, bool copyWholeBlock) {
    if (&source == this) return;
    NyZazoInfo info = source;
    if (dib && !sharedFrom) std::free(dib);
    dib = nullptr;
    bits = nullptr;
    static_cast<NyZazoInfo&>(*this) = info;
    // The copy owns its block, whatever the source did.
    sharedFrom = nullptr;
    if (!source.dib) return;
    if (!CreateForWriting(source.Width(), source.Height(), source.BitCount(), source.formatType)) return;
    if (copyWholeBlock) {
        std::memcpy(dib, source.dib, std::min(GetSize(), source.GetSize()));
        header = ReadInfoHeader(dib);
    } else {
        SetPaletteQuads(source.GetPalette(), 256);
    }
    std::memcpy(bits, source.bits, std::min(header.biSizeImage, source.header.biSizeImage));
}

bool NyZazo::TakeOver(NyZazo& source) {
    if (&source == this) return true;
    uint8_t* block = source.dib;
    if (block && source.sharedFrom) {
        // A borrowed block stays with its owner: only then is a copy needed.
        block = AllocateBlock(source.GetSize());
        if (block) std::memcpy(block, source.dib, source.GetSize());
    }
    if (dib && !sharedFrom) std::free(dib);
    header = source.header;
    static_cast<NyZazoInfo&>(*this) = static_cast<const NyZazoInfo&>(source);
    sharedFrom = nullptr;
    dib = block;
    bits = dib ? dib + header.biSize + 4 * header.biClrUsed : nullptr;
    const bool kept = dib || !source.dib;
    source.dib = nullptr;
    source.bits = nullptr;
    source.sharedFrom = nullptr;
    return kept;
}

void NyZazo::ShareFrom(const NyZazo& source) {
    if (dib && !sharedFrom) std::free(dib);
    header = source.header;
    static_cast<NyZazoInfo&>(*this) = static_cast<const NyZazoInfo&>(source);
    dib = source.dib;
    bits = dib ? dib + header.biSize + 4 * header.biClrUsed : nullptr;
    sharedFrom = &source;
}

bool NyZazo::IsInside(int x, int y) const { return x >= 0 && y >= 0 && x < Width() && y < Height(); }

// Palette.

RGBQUAD* NyZazo::GetPalette() {
    if (!dib || header.biClrUsed == 0) return nullptr;
    return reinterpret_cast<RGBQUAD*>(dib + header.biSize);
}

const RGBQUAD* NyZazo::GetPalette() const {
    if (!dib || header.biClrUsed == 0) return nullptr;
    return reinterpret_cast<const RGBQUAD*>(dib + header.biSize);
}

RGBQUAD NyZazo::GetPaletteColour(int index) const {
    const RGBQUAD* pal = GetPalette();
    uint32_t i = uint32_t(index) & 0xFF;
    if (!pal || i >= header.biClrUsed) return RGBQUAD{};
    return pal[i];
}

void NyZazo::SetPaletteColour(int index, uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha) {
    SetPaletteEntry(index, MakeQuad(red, green, blue, alpha));
}

void NyZazo::SetPaletteEntry(int index, RGBQUAD colour) {
    RGBQUAD* pal = GetPalette();
    uint32_t i = uint32_t(index) & 0xFF;
    if (!pal || i >= header.biClrUsed) return;
    pal[i] = colour;
}

void NyZazo::SetPalette(uint32_t count, const uint8_t* red, const uint8_t* green, const uint8_t* blue) {
    RGBQUAD* pal = GetPalette();
    if (!red || !pal) return;
    if (!green) green = red;
    if (!blue) blue = green;
    uint32_t n = std::min(count, header.biClrUsed);
    for (uint32_t i = 0; i < n; ++i) {
        pal[i].blue = blue[i];
        pal[i].green = green[i];
        pal[i].red = red[i];
    }
}

void NyZazo::SetPaletteQuads(const RGBQUAD* quads, uint32_t count) {
    RGBQUAD* pal = GetPalette();
    if (!quads || !pal) return;
    std::memcpy(pal, quads, 4 * std::min(count, header.biClrUsed));
}

void NyZazo::SetGreyPalette() {
    RGBQUAD* pal = GetPalette();
    if (!pal || header.biClrUsed < 2) return;
    uint32_t step = 255 / (header.biClrUsed - 1);
    for (uint32_t i = 0; i < header.biClrUsed; ++i) {
        uint8_t v = uint8_t(i * step);
        pal[i].blue = pal[i].green = pal[i].red = v;
    }
}

bool NyZazo::IsGreyScale() const {
    const RGBQUAD* pal = GetPalette();
    if (!pal) return false;
    for (uint32_t i = 0; i < header.biClrUsed; ++i)
        if (pal[i].blue != i || pal[i].green != i || pal[i].red != i) return false;
    return true;
}

uint8_t NearestPaletteIndex(const RGBQUAD* palette, uint32_t count, RGBQUAD c) {
    if (!palette) return 0;
    if (count > 256) count = 256;
    // The search starts at 200000, above the largest possible distance (3 × 255²).
    long best = 200000;
    uint32_t bestIndex = 0;
    for (uint32_t i = 0; i < count; ++i) {
        long db = long(palette[i].blue) - c.blue;
        long dg = long(palette[i].green) - c.green;
        long dr = long(palette[i].red) - c.red;
        long d = db * db + dg * dg + dr * dr;
        if (d == 0) return uint8_t(i);
        if (d < best) {
            best = d;
            bestIndex = i;
        }
    }
    return uint8_t(bestIndex);
}

uint8_t NyZazo::GetNearestIndex(RGBQUAD c) const { return NearestPaletteIndex(GetPalette(), header.biClrUsed, c); }

// Pixels.

uint8_t NyZazo::GetPixelIndex(int x, int y) const {
    if (!dib || header.biClrUsed == 0) return 0;
    if (!IsInside(x, y)) return transparentIndex != -1 ? uint8_t(transparentIndex) : 0;
    return RowIndex(Row(y), x, BitCount());
}

void NyZazo::SetPixelIndex(int x, int y, uint8_t index) {
    if (!dib || header.biClrUsed == 0 || !IsInside(x, y)) return;
    PutRowIndex(Row(y), x, BitCount(), index);
}

RGBQUAD NyZazo::GetPixelColour(int x, int y) const {
    if (dib && IsInside(x, y)) {
        if (header.biClrUsed) return GetPaletteColour(GetPixelIndex(x, y));
        const uint8_t* p = Row(y) + size_t(x) * (BitCount() / 8);
        RGBQUAD c{p[0], p[1], p[2], 0};
        if (BitCount() == 32) c.reserved = p[3];
        return c;
    }
    if (transparentIndex != -1 && BitCount() < 24) return GetPaletteColour(transparentIndex);
    return backColour;
}

void NyZazo::SetPixelColour(int x, int y, RGBQUAD colour, int size) {
    if (!dib || size < 1) return;
    if (unsigned(x + size - 1) >= unsigned(Width()) || unsigned(y + size - 1) >= unsigned(Height())) return;
    if (x < 0 || y < 0) return;
    if (header.biClrUsed) {
        uint8_t index = GetNearestIndex(colour);
        for (int dy = 0; dy < size; ++dy)
            for (int dx = 0; dx < size; ++dx) SetPixelIndex(x + dx, y + dy, index);
        return;
    }
    uint8_t* p = Row(y) + size_t(x) * (BitCount() / 8);
    p[0] = colour.blue;
    p[1] = colour.green;
    p[2] = colour.red;
}

void NyZazo::SwapRedBlue(uint8_t* row, uint32_t length) const {
    if (!row || header.biClrUsed != 0 || colourKind == 1) return;
    uint32_t n = std::min(length, rowBytes);
    // A partial last group counts as whole, but nothing past the row is touched.
    for (uint32_t i = 0; i < n && i + 2 < rowBytes; i += 3) std::swap(row[i], row[i + 2]);
}

RGBQUAD NyZazo::SwapColourOrder(RGBQUAD c) { return RGBQUAD{c.red, c.green, c.blue, 0}; }

namespace {
// Pixels per metre for a resolution, saturated to the 32-bit header field.
int32_t DpiToPelsPerMeter(int dpi) {
    double pels = std::floor(double(dpi) * 10000.0 / 254.0 + 0.5);
    return int32_t(std::clamp(pels, double(INT32_MIN), double(INT32_MAX)));
}
}  // namespace

void NyZazo::SetDpiX(int dpi) {
    dpiX = dpi;
    header.biXPelsPerMeter = DpiToPelsPerMeter(dpi);
}

void NyZazo::SetDpiY(int dpi) {
    dpiY = dpi;
    header.biYPelsPerMeter = DpiToPelsPerMeter(dpi);
}

// Exchange with the platform.

bool NyZazo::CreateFromPackedDib(const uint8_t* data, size_t size, bool checkDisplay, int32_t* outPelsPerMeter) {
    if (!data || size < kInfoHeaderBytes) return false;
    BITMAPINFOHEADER in = ReadInfoHeader(data);
    if (checkDisplay && in.biXPelsPerMeter != -2 && in.biXPelsPerMeter != -3 && in.biBitCount != 24 &&
        in.biBitCount != 32) {
        char text[200];
        std::snprintf(text, sizeof text, texts::kDisplayDepthCheck, int(in.biBitCount));
        CurrentPlatform().ShowMessage(text, MessageKind::Warning);
        return false;
    }
    if (outPelsPerMeter) *outPelsPerMeter = in.biXPelsPerMeter;

    // Packed DIBs from other programs may carry larger headers, bit-field masks or
    // top-down rows; locate palette and pixels from the header instead of assuming 40 bytes.
    bool topDown = in.biHeight < 0;
    int64_t height = topDown ? -int64_t(in.biHeight) : in.biHeight;
    int depth = in.biBitCount;
    bool bitFields = in.biCompression == 3 && (depth == 16 || depth == 32);
    if (in.biSize < kInfoHeaderBytes || in.biSize > size || in.biWidth <= 0 || height <= 0 ||
        (in.biCompression != 0 && !bitFields) ||
        (depth != 1 && depth != 4 && depth != 8 && depth != 24 && depth != 32) ||
        !FitsPixelCap(in.biWidth, height, depth))
        return Fail(texts::kBadPackedDib);
    uint64_t paletteCount = depth <= 8 ? (in.biClrUsed ? in.biClrUsed : (1u << depth)) : in.biClrUsed;
    if (paletteCount > 256 && depth <= 8) return Fail(texts::kBadPackedDib);
    uint64_t offset = in.biSize + (bitFields && in.biSize == kInfoHeaderBytes ? 12 : 0) + 4 * paletteCount;
    uint64_t srcRowBytes = *CheckedRowBytes(in.biWidth, depth);
    if (offset + srcRowBytes * uint64_t(height) > size) return Fail(texts::kBadPackedDib);

    NyZazo fresh(0);
    if (!fresh.Create(in.biWidth, int(height), depth, 0)) return Fail(texts::kCannotAllocate);
    if (in.biXPelsPerMeter > 0) {
        fresh.SetDpiX(PelsPerMeterToDpi(in.biXPelsPerMeter));
        fresh.SetDpiY(PelsPerMeterToDpi(in.biYPelsPerMeter));
    }
    if (depth <= 8) fresh.SetPaletteQuads(reinterpret_cast<const RGBQUAD*>(data + in.biSize), uint32_t(paletteCount));
    const uint8_t* pixels = data + offset;
    for (int64_t y = 0; y < height; ++y) {
        int64_t srcY = topDown ? height - 1 - y : y;
        std::memcpy(fresh.Row(int(y)), pixels + srcY * srcRowBytes, fresh.rowBytes);
    }
    fresh.RefreshDibHeader();
    std::memcpy(fresh.lastError, lastError, sizeof lastError);
    Destroy();
    TakeOver(fresh);
    return true;
}

std::vector<uint8_t> NyZazo::ToPackedDib() const {
    if (!dib) return {};
    std::vector<uint8_t> out(dib, dib + GetSize());
    WriteInfoHeader(out.data(), header);
    return out;
}

void NyZazo::CreateFromBitmap(const PlatformBitmap* bitmap) {
    Destroy();
    if (!bitmap) return;
    if (!Create(bitmap->width, bitmap->height, bitmap->bitsPerPixel, 0)) return;
    uint64_t needed = uint64_t(bitmap->width) * uint64_t(bitmap->height) * 4;
    if (bitmap->pixels.size() < needed) {
        SetLastError(texts::kGetDibitsFailed);
        return;
    }
    if (header.biClrUsed) SetGreyPalette();
    int h = Height();
    for (int y = 0; y < h; ++y) {
        const uint8_t* src = bitmap->pixels.data() + size_t(h - 1 - y) * size_t(Width()) * 4;
        uint8_t* dst = Row(y);
        for (int x = 0; x < Width(); ++x, src += 4) {
            if (BitCount() == 32) {
                std::memcpy(dst + 4 * x, src, 4);
            } else if (BitCount() == 24) {
                std::memcpy(dst + 3 * x, src, 3);
            } else {
                SetPixelColour(x, y, RGBQUAD{src[0], src[1], src[2], 0});
            }
        }
    }
}

bool NyZazo::Draw(TargetBuffer* target, int x, int y, int width, int height) const {
    if (!dib || !target || !target->pixels || width <= 0 || height <= 0) return false;
    const IntRect& clip = target->clip;
    int x0 = std::max({x, clip.left, 0}), x1 = std::min({x + width, clip.right, target->width});
    int y0 = std::max({y, clip.top, 0}), y1 = std::min({y + height, clip.bottom, target->height});
    if (x0 >= x1 || y0 >= y1) return true;
    const int w = Width(), h = Height();
    std::vector<int> sourceX(size_t(x1 - x0));
    for (int tx = x0; tx < x1; ++tx) sourceX[size_t(tx - x0)] = int(int64_t(tx - x) * w / width);
    const RGBQUAD* pal = GetPalette();
    for (int ty = y0; ty < y1; ++ty) {
        // Rows and columns are dropped, not blended: nearest source pixel.
        int screenY = int(int64_t(ty - y) * h / height);
        const uint8_t* row = Row(h - 1 - screenY);
        uint32_t* out = target->pixels + size_t(ty) * target->stride;
        for (int tx = x0; tx < x1; ++tx) {
            int sx = sourceX[size_t(tx - x0)];
            RGBQUAD c;
            switch (BitCount()) {
                case 32:
                case 24: {
                    const uint8_t* p = row + size_t(sx) * (BitCount() / 8);
                    c = RGBQUAD{p[0], p[1], p[2], 0};
                    break;
                }
                case 8: c = pal[std::min<uint32_t>(row[sx], header.biClrUsed - 1)]; break;
                case 4: c = pal[(sx & 1) ? (row[sx >> 1] & 0x0F) : (row[sx >> 1] >> 4)]; break;
                default: c = pal[(row[sx >> 3] >> (7 - (sx & 7))) & 1]; break;
            }
            out[tx] = OpaquePixel(c);
        }
    }
    return true;
}

bool NyZazo::DrawClipped(TargetBuffer* target, int x, int y, int width, int height, const IntRect* clipRect) const {
    if (!dib || !target || width == 0 || height == 0 || !drawEnabled) return false;
    if (width == -1) width = Width();
    if (height == -1) height = Height();
    if (width != Width() || height != Height()) return true;
    IntRect saved = target->clip;
    if (clipRect) {
        target->clip.left = std::max(saved.left, clipRect->left);
        target->clip.top = std::max(saved.top, clipRect->top);
        target->clip.right = std::min(saved.right, clipRect->right);
        target->clip.bottom = std::min(saved.bottom, clipRect->bottom);
    }
    bool ok = Draw(target, x, y, width, height);
    target->clip = saved;
    return ok;
}

bool NyZazo::DrawTiled(TargetBuffer* target, const IntRect* rect) const {
    if (!dib || !target || !rect) return false;
    for (int ty = rect->top; ty < rect->bottom; ty += Height()) {
        for (int tx = rect->left; tx < rect->right; tx += Width()) {
            IntRect part{tx, ty, std::min(tx + Width(), rect->right), std::min(ty + Height(), rect->bottom)};
            DrawClipped(target, tx, ty, -1, -1, &part);
        }
    }
    return true;
}

void NyZazo::SetLastError(const char* text) {
    if (!text) text = "";
    std::snprintf(lastError, sizeof lastError, "%s", text);
}

}  // namespace quillory
