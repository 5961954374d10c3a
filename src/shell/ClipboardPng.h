#pragma once
// PNG bytes that another program put on the clipboard, read by Quillory's own PNG
// reader as a PNG file is (every depth, opacity, transparent index).
#include <QByteArray>
#include <QImage>

namespace quillory {

// The picture with its opacity; a null image when the bytes are no readable PNG.
QImage PngBytesToImage(const QByteArray& bytes);

}  // namespace quillory
