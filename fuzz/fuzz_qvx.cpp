// Feeds arbitrary bytes to the native .qvx reader and to the open dialog's preview reader.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/ImageStream.h"
#include "core/NyZazo.h"
#include "fuzz/FuzzSupport.h"
#include "document/QvxFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace quillory;
    std::string error;
    {
        ImageStream stream(data, uint32_t(size));
        QvxDocument doc;
        if (ReadQvx(stream, doc, error)) {
            // Walk the list the reader accepted and touch the ends of every plane.
            uint32_t sum = 0;
            for (int i = doc.headLayer; i != -1; i = doc.layers[size_t(i)].next) {
                const LayerRecord& r = doc.layers[size_t(i)];
                sum += r.pixels.back() + r.alpha.back() + r.effect.back() + uint32_t(r.text.size());
                sum += r.PixelRow(r.height - 1)[r.stride - 1] + r.AlphaRow(r.height - 1)[r.width - 1];
            }
            volatile uint32_t sink = sum;
            (void)sink;
        }
    }
    {
        ImageStream stream(data, uint32_t(size));
        QvxPreview preview;
        if (ReadQvxPreview(stream, preview, error)) {
            quillory::fuzz::TouchPixels(preview.picture);
        }
    }
    return 0;
}
