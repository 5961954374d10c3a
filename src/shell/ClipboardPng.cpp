#include "shell/ClipboardPng.h"

#include <cstring>

#include "core/FormatCodes.h"
#include "core/ImageStream.h"
#include "core/NyZazo.h"

namespace quillory {

QImage PngBytesToImage(const QByteArray& bytes) {
    if (bytes.isEmpty() || bytes.size() > qsizetype(UINT32_MAX)) return {};
    ImageStream stream(bytes.constData(), uint32_t(bytes.size()));
    NyZazo picture;
    if (!picture.Decode(stream, kFormatPng) || !picture.bits) return {};
    const int width = picture.Width(), height = picture.Height();
    QImage image(width, height, QImage::Format_ARGB32);
    if (image.isNull()) return {};
    for (int top = 0; top < height; ++top) {
        const int storedY = height - 1 - top;
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(top));
        if (picture.BitCount() == 32) {
            // Blue, green, red and opacity in memory are QRgb's value.
            std::memcpy(row, picture.Row(storedY), size_t(width) * 4);
            continue;
        }
        for (int x = 0; x < width; ++x) {
            const RGBQUAD c = picture.GetPixelColour(x, storedY);
            const bool clear = picture.BitCount() <= 8 && picture.GetPixelIndex(x, storedY) == picture.transparentIndex;
            row[x] = qRgba(c.red, c.green, c.blue, clear ? 0 : 255);
        }
    }
    return image;
}

}  // namespace quillory
