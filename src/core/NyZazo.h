#pragma once
// NyZazo: the in-memory picture, held as one packed device-independent bitmap
// (40-byte info header, palette, rows padded to 4 bytes and stored bottom-up),
// with an information block that is copied as a unit.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/DibTypes.h"

namespace quillory {

class NyZazo;
class ImageStream;

// Receives the progress (0..100) of long operations; the shell feeds its progress bar.
class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    virtual void SetPosition(int percent) = 0;
};

// The information block. CopyInfo, Copy, ShareFrom and TakeOver copy it as a whole.
struct NyZazoInfo {
    uint32_t rowBytes = 0;
    const NyZazo* sharedFrom = nullptr;
    int8_t formatType = 0;
    uint8_t colourKind = 0;  // 1 palette, 2 direct colour
    char lastError[256] = {};
    int32_t progress = 0;
    int32_t transparentIndex = 0;
    RGBQUAD backColour{};
    uint8_t jpegQuality = 0;
    int32_t frameIndex = 0;
    int32_t frameCount = 0;
    int32_t frameDelay = 0;
    int32_t dpiX = 0;
    int32_t dpiY = 0;
    uint8_t alphaMax = 0;
    // Set by a decoder whose file ended before the picture did; the missing part is made up.
    uint8_t incomplete = 0;
    uint8_t alphaPaletteEnabled = 0;
    uint8_t drawEnabled = 0;
    int32_t offsetX = 0;
    int32_t offsetY = 0;
    // How a save compresses (a user's choice; the defaults write as always):
    // TIFF compression code (0: by depth), zlib level of PNG (-1: the writer's default, 3),
    // and lossless WebP for pictures without opacity.
    uint16_t tiffCompression = 0;
    int8_t pngLevel = -1;
    uint8_t webpLossless = 0;
};

struct IntRect {
    int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
    bool IsEmpty() const { return right <= left || bottom <= top; }
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

// A 32-bit target (blue, green, red, alpha bytes; the layout of Qt's ARGB32 on
// little-endian machines), rows top-down. The clip rectangle limits every draw.
struct TargetBuffer {
    uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;  // in pixels
    IntRect clip{0, 0, 0, 0};

    TargetBuffer() = default;
    TargetBuffer(uint32_t* p, int w, int h, int strideInPixels = 0)
        : pixels(p), width(w), height(h), stride(strideInPixels ? strideInPixels : w), clip{0, 0, w, h} {}
};

// A device-dependent bitmap handed over by the platform: rows top-down, 4 bytes
// a pixel (blue, green, red, x), reported with its device depth.
struct PlatformBitmap {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 32;
    std::vector<uint8_t> pixels;
};

// Largest pixel block any decoder or Create will allocate.
inline constexpr uint64_t kMaxPixelBytes = uint64_t(1) << 30;
// The cap in force: kMaxPixelBytes, lowered only by fuzz targets to keep runs fast.
inline uint64_t& PixelByteLimit() {
    static uint64_t limit = kMaxPixelBytes;
    return limit;
}
// Most pixels a picture may have unless the environment variable QUILLORY_MAX_PIXELS
// sets another number: a few header bytes must not make a decoder take gigabytes.
inline constexpr uint64_t kDefaultMaxPixels = uint64_t(1) << 28;
inline constexpr const char* kMaxPixelsVariable = "QUILLORY_MAX_PIXELS";
// The pixel count cap in force (read from the environment on first use).
uint64_t& PixelCountLimit();
// The cap a value of QUILLORY_MAX_PIXELS gives: a positive whole number, else the default.
uint64_t PixelCountLimitFrom(const char* value);

// Nearest palette entry by squared distance (at most 256 entries): the first index
// wins ties and an exact match ends the search.
uint8_t NearestPaletteIndex(const RGBQUAD* palette, uint32_t count, RGBQUAD colour);

class NyZazo : public NyZazoInfo {
public:
    BITMAPINFOHEADER header;
    uint8_t* bits = nullptr;
    uint8_t* dib = nullptr;

    explicit NyZazo(int formatCode = -1);
    NyZazo(int width, int height, int bitsPerPixel, int formatCode);
    NyZazo(const NyZazo& source, bool copyWholeBlock);
    NyZazo(const std::string& fileName, int formatCode);
    virtual ~NyZazo();

    NyZazo(const NyZazo&) = delete;
    NyZazo& operator=(const NyZazo&) = delete;

    void Init(int formatCode);

    // Pixel block.
    uint8_t* Create(int width, int height, int bitsPerPixel, int formatCode);
    // Create for decoders that write every pixel byte of every row themselves: the
    // pixels are not filled first (only the row padding is cleared, so no stale
    // bytes reach a file or the clipboard).
    uint8_t* CreateForWriting(int width, int height, int bitsPerPixel, int formatCode);
    void Destroy();
    uint32_t GetSize() const;
    void CopyInfo(const NyZazo& source);
    void Copy(const NyZazo& source, bool copyWholeBlock);
    // Moves the source's pixel block and fields into this image, leaving the source
    // empty. False when this image ends without the pixels the source held (a
    // borrowed block that could not be copied).
    bool TakeOver(NyZazo& source);
    void ShareFrom(const NyZazo& source);
    bool IsInside(int x, int y) const;

    int Width() const { return header.biWidth; }
    int Height() const { return header.biHeight; }
    int BitCount() const { return header.biBitCount; }
    bool HasPalette() const { return dib && header.biClrUsed != 0; }
    // Stored row y (row 0 is the bottom row of the picture as shown).
    uint8_t* Row(int storedY) { return bits + size_t(storedY) * rowBytes; }
    const uint8_t* Row(int storedY) const { return bits + size_t(storedY) * rowBytes; }

    // Palette.
    RGBQUAD* GetPalette();
    const RGBQUAD* GetPalette() const;
    RGBQUAD GetPaletteColour(int index) const;
    void SetPaletteColour(int index, uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha = 0);
    void SetPaletteEntry(int index, RGBQUAD colour);
    void SetPalette(uint32_t count, const uint8_t* red, const uint8_t* green = nullptr,
                    const uint8_t* blue = nullptr);
    void SetPaletteQuads(const RGBQUAD* quads, uint32_t count);
    void SetGreyPalette();
    bool IsGreyScale() const;
    uint8_t GetNearestIndex(RGBQUAD colour) const;

    // Pixels (y in stored order).
    uint8_t GetPixelIndex(int x, int y) const;
    void SetPixelIndex(int x, int y, uint8_t index);
    RGBQUAD GetPixelColour(int x, int y) const;
    void SetPixelColour(int x, int y, RGBQUAD colour, int size = 1);
    void SwapRedBlue(uint8_t* row, uint32_t length) const;
    static RGBQUAD SwapColourOrder(RGBQUAD colour);

    // Resolution.
    void SetDpiX(int dpi);
    void SetDpiY(int dpi);

    // Exchange with the platform.
    bool CreateFromPackedDib(const uint8_t* data, size_t size, bool checkDisplay, int32_t* outPelsPerMeter);
    std::vector<uint8_t> ToPackedDib() const;
    void CreateFromBitmap(const PlatformBitmap* bitmap);
    bool Draw(TargetBuffer* target, int x, int y, int width, int height) const;
    bool DrawClipped(TargetBuffer* target, int x, int y, int width, int height, const IntRect* clipRect) const;
    bool DrawTiled(TargetBuffer* target, const IntRect* rect) const;

    // Files and streams (format dispatch).
    bool Encode(ImageStream& stream, int formatCode);
    bool Decode(ImageStream& stream, int formatCode);
    bool Save(const std::string& fileName, int formatCode);
    bool Load(const std::string& fileName, int formatCode);
    bool LoadResource(const std::string& resource, int formatCode);

    // Failure helpers: copies at most 255 characters into lastError.
    void SetLastError(const char* text);
    void SetLastError(const std::string& text) { SetLastError(text.c_str()); }
    [[nodiscard]] bool Fail(const char* text) {
        SetLastError(text);
        return false;
    }

protected:
    void RefreshDibHeader();

private:
    uint8_t* Allocate(int width, int height, int bitsPerPixel, int formatCode);
};

}  // namespace quillory
