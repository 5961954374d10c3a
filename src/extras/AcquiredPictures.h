#pragma once
// Pictures that enter the editor from outside (a scanner, a screen capture) become
// new documents named with one running picture number that both share.
#include <functional>
#include <string>
#include <vector>

#include "core/NyZazo.h"
#include "extras/CTwain.h"

namespace quillory {

class CVandDoc;

// Builds a one-layer document from a picture and names it.
bool MakeAcquiredDocument(CVandDoc& document, NyZazo& picture, const std::string& title);

class AcquiredPictures : public TwainHost {
public:
    // Receives each picture with its title; false when no document could be made.
    using Sink = std::function<bool(NyZazo& picture, const std::string& title)>;
    explicit AcquiredPictures(Sink sink) : m_sink(std::move(sink)) {}

    // A scanned image: ignored below 1 × 1 or when it is no readable bitmap; otherwise
    // "스캔영상_%d" with the next picture number.
    void CopyImage(const std::vector<uint8_t>& packedDib, const twain::ImageInfo& info) override;
    // A captured screen area (four bytes a pixel, blue first, rows top-down) as a 24-bit
    // "Captured Image %d"; false when nothing was made.
    bool AddCapture(PlatformBitmap bitmap);

    // The number the next picture takes.
    int NextNumber() const { return m_nextNumber; }
    // The width and height of the last transferred image.
    int LastWidth() const { return m_lastWidth; }
    int LastHeight() const { return m_lastHeight; }

private:
    bool Deliver(NyZazo& picture, const char* format);

    Sink m_sink;
    int m_nextNumber = 1;
    int m_lastWidth = 0, m_lastHeight = 0;
};

}  // namespace quillory
