// Feeds arbitrary bytes to the measurement document reader and, for a file it
// accepts, opens it as the editor does: the layers installed and every figure
// drawn again from its points (labels and marks through a platform whose text is a
// solid block, so their placement is reached too).
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "core/ImageStream.h"
#include "document/CVandDoc.h"
#include "fuzz/FuzzSupport.h"
#include "measure/MeasureCommands.h"
#include "measure/MeasureFile.h"
#include "measure/MeasureSet.h"

namespace {

class BlockTextPlatform : public quillory::HeadlessPlatform {
public:
    quillory::TextRaster RasteriseText(const std::string& text, const quillory::TextStyle& style) override {
        quillory::TextRaster raster;
        raster.width = int(std::min<size_t>(text.size(), 64)) * 4;
        raster.height = std::clamp(style.pixelHeight, 1, 64);
        raster.coverage.assign(size_t(raster.width) * size_t(raster.height), 255);
        return raster;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace quillory;
    static BlockTextPlatform platform;
    static const std::string path = [] {
        InstallPlatform(&platform);
        InstallMeasurement();
        return "/tmp/quillory-fuzz-mzr-" + std::to_string(getpid()) + ".mzr";
    }();
    {
        ImageStream stream(data, uint32_t(size));
        MeasureDocumentFile file;
        std::string error;
        if (!ReadMeasureDocument(stream, file, error)) {
            if (error.empty()) __builtin_trap();  // a refusal always says why
            return 0;
        }
    }
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return 0;
    const bool written = std::fwrite(data, 1, size, out) == size;
    if (std::fclose(out) != 0 || !written) return 0;
    CVandDoc document;
    if (LoadMeasureDocument(document, path)) {
        const MeasureSet& set = MeasuresOf(document);
        volatile int live = set.LiveObjects();
        (void)live;
    }
    std::remove(path.c_str());
    return 0;
}
