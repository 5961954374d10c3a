#include "document/DocumentBudget.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "document/DocumentTexts.h"
#include "document/LayerRecord.h"

namespace quillory {

namespace {

uint64_t PhysicalMemory() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) return 0;
    return uint64_t(pages) * uint64_t(pageSize);
}

uint64_t Block(int64_t width, int64_t height, int bitsPerPixel) {
    return uint64_t(PlaneStride(bitsPerPixel, int(std::min<int64_t>(width, INT32_MAX)))) * uint64_t(height);
}

double Gib(uint64_t bytes) { return double(bytes) / double(uint64_t(1) << 30); }

}  // namespace

uint64_t DocumentMemoryLimit() {
    if (const char* text = std::getenv(kDocumentMemoryVariable)) {
        char* end = nullptr;
        const unsigned long long mib = std::strtoull(text, &end, 10);
        if (end != text && *end == '\0' && mib > 0 && mib < (uint64_t(1) << 40)) return uint64_t(mib) << 20;
    }
    const uint64_t physical = PhysicalMemory();
    return physical ? std::min(kDefaultDocumentMemoryCap, physical / 2) : kDefaultDocumentMemoryCap;
}

uint64_t EstimateOpenBytes(const PictureDimensions& picture) {
    if (picture.width <= 0 || picture.height <= 0) return 0;
    const uint64_t decoded = Block(picture.width, picture.height, picture.bitsPerPixel);
    const uint64_t pixels = Block(picture.width, picture.height, 24);
    const uint64_t plane = uint64_t(picture.width) * uint64_t(picture.height);
    const uint64_t decoding = 2 * decoded;
    // Layer pixels, opacity, shadow and mask; the committed copy's pixels, opacity and shadow.
    const uint64_t building = decoded + 2 * pixels + 5 * plane;
    return std::max(decoding, building);
}

uint64_t EstimateNativeOpenBytes(uint64_t fileBytes) { return 2 * fileBytes; }

std::string OpenBudgetProblem(int64_t width, int64_t height, uint64_t bytes) {
    const uint64_t limit = DocumentMemoryLimit();
    if (bytes <= limit) return {};
    char text[512];
    if (width > 0 && height > 0)
        std::snprintf(text, sizeof text, texts::kPictureNeedsTooMuchMemory, (long long)width, (long long)height,
                      Gib(bytes), Gib(limit));
    else
        std::snprintf(text, sizeof text, texts::kDocumentNeedsTooMuchMemory, Gib(bytes), Gib(limit));
    return text;
}

}  // namespace quillory
