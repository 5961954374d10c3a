#include "extras/AcquiredPictures.h"

#include <cstdio>

#include "document/CVandDoc.h"
#include "extras/ExtrasTexts.h"

namespace quillory {

bool MakeAcquiredDocument(CVandDoc& document, NyZazo& picture, const std::string& title) {
    if (!document.BuildFromImage(picture, title, 255)) return false;
    document.SetFileName(title);
    document.SetPathName({});
    return true;
}

bool AcquiredPictures::Deliver(NyZazo& picture, const char* format) {
    char title[64];
    std::snprintf(title, sizeof title, format, m_nextNumber);
    ++m_nextNumber;
    return m_sink && m_sink(picture, title);
}

void AcquiredPictures::CopyImage(const std::vector<uint8_t>& packedDib, const twain::ImageInfo& info) {
    m_lastWidth = info.width;
    m_lastHeight = info.length;
    NyZazo picture;
    if (packedDib.empty() || !picture.CreateFromPackedDib(packedDib.data(), packedDib.size(), false, nullptr)) return;
    if (picture.Width() < 1 || picture.Height() < 1) return;
    m_lastWidth = picture.Width();
    m_lastHeight = picture.Height();
    Deliver(picture, texts::kScannedPictureFormat);
}

bool AcquiredPictures::AddCapture(PlatformBitmap bitmap) {
    if (bitmap.width < 1 || bitmap.height < 1) return false;
    bitmap.bitsPerPixel = 24;
    NyZazo picture;
    picture.CreateFromBitmap(&bitmap);
    if (!picture.bits || picture.Width() != bitmap.width) return false;
    return Deliver(picture, texts::kCapturedPictureFormat);
}

}  // namespace quillory
