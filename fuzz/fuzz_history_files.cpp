// Feeds arbitrary bytes to the undo history's readers: a step file (read with the
// sizes its own header claims, when they are small) and a list file.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "document/StepFileStore.h"
#include "fuzz/FuzzSupport.h"

namespace {

uint64_t Le64(const uint8_t* p) {
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace quillory;
    static const std::string folder = [] {
        char name[] = "/tmp/quillory-fuzz-history-XXXXXX";
        return std::string(mkdtemp(name) ? name : "/tmp");
    }();
    const StepFileStore store(folder, 1);
    const std::string step = store.StepPath(0, 0);
    FILE* file = std::fopen(step.c_str(), "wb");
    if (!file) return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    StepSizes sizes{0, 16, 16, 0};
    if (size >= 96) {
        // The sizes the file claims, so the block decoding is reached.
        const uint64_t claimed[5] = {Le64(data + 16), Le64(data + 32), Le64(data + 48), Le64(data + 64),
                                     Le64(data + 80)};
        if (claimed[0] < (1u << 20) && claimed[1] < (1u << 20) && claimed[1] == claimed[2] &&
            claimed[3] < (1u << 20) && claimed[4] < (1u << 12) && claimed[4] % 2 == 0)
            sizes = StepSizes{claimed[0], claimed[1], claimed[3], claimed[4] / 2};
    }
    std::string error;
    StepPlanes planes;
    if (store.ReadStep(0, 0, sizes, planes, error)) {
        volatile size_t sum = planes.pixels.size() + planes.alpha.size() + planes.effect.size() + planes.mask.size();
        (void)sum;
    }
    auto list = std::make_unique<ListContents>();
    if (StepFileStore::ReadList(step, *list, error)) {
        uint32_t sum = 0;
        for (int slot : list->order) {
            const LayerRecord& r = list->layers[slot];
            sum += r.pixels.back() + r.alpha.back() + r.effect.back();
            sum += r.AlphaRow(r.height - 1)[r.width - 1];
        }
        volatile uint32_t sink = sum;
        (void)sink;
    }
    return 0;
}
