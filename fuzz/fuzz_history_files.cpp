// Feeds arbitrary bytes to the undo history's step file reader. The input is a
// 4-byte little-endian length, that many bytes of step file, and the rest as the
// pack file its blocks point into; the file is read with the plane sizes its own
// header claims (when they are small). The store has written a step file of its
// own under that name first, so it knows the file's write number. With the
// length's top bit set, the step file's owner fields (document, slot, write
// number) and its checksum are made right first, so the block decoding is reached.
// A file that reads is read again against its own planes: then no block differs.
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/DibTypes.h"
#include "document/StepFileStore.h"
#include "fuzz/FuzzSupport.h"

namespace {

using quillory::Le32;
using quillory::PutLe32;

uint64_t Le64(const uint8_t* p) { return uint64_t(Le32(p)) | uint64_t(Le32(p + 4)) << 32; }

bool WriteFile(const std::string& path, const uint8_t* data, size_t size) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool ok = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && ok;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace quillory;
    static const std::string folder = [] {
        char name[] = "/tmp/quillory-fuzz-history-XXXXXX";
        return std::string(mkdtemp(name) ? name : "/tmp");
    }();
    if (size < 4) return 0;
    const bool fixChecksum = (data[3] & 0x80) != 0;
    const size_t stepBytes = std::min<size_t>(Le32(data) & 0x7FFFFFFF, size - 4);
    std::vector<uint8_t> stepFile(data + 4, data + 4 + stepBytes);
    StepFileStore store(folder, 1);
    const PlaneSource blank{nullptr, 1, 0, nullptr};
    std::string error;
    if (!store.WriteStep(0, 0, &blank, 1, error)) return 0;
    if (fixChecksum && stepFile.size() >= 32) {
        PutLe32(stepFile.data() + 16, 1);  // the document
        PutLe32(stepFile.data() + 20, 0);  // the slot
        PutLe32(stepFile.data() + 24, store.WriteNumberOf(0, 0));
    }
    if (fixChecksum && stepFile.size() >= 4) {
        const size_t body = stepFile.size() - 4;
        PutLe32(stepFile.data() + body, uint32_t(crc32(0, stepFile.data(), uInt(body))));
    }
    const uint8_t* step = stepFile.data();
    if (!WriteFile(store.StepPath(0, 0), step, stepBytes) ||
        !WriteFile(store.PackPath(1), data + 4 + stepBytes, size - 4 - stepBytes))
        return 0;

    int count = 1;
    uint64_t expected[kMaxPlanes] = {16, 0, 0, 0};
    if (stepBytes >= 32) {
        const uint32_t claimed = Le32(step + 12);
        if (claimed >= 1 && claimed <= uint32_t(kMaxPlanes) && stepBytes >= 32 + 16 * size_t(claimed)) {
            count = int(claimed);
            for (int i = 0; i < count; ++i) expected[i] = std::min<uint64_t>(Le64(step + 32 + 16 * i), 1u << 20);
        }
    }
    std::vector<uint8_t> planes[kMaxPlanes];
    StepFileStore::FileBlocks blocks;
    if (store.ReadStep(0, 0, expected, count, planes, error, &blocks)) {
        uint32_t sum = 0;
        for (int i = 0; i < count; ++i) {
            if (planes[i].size() != expected[i]) __builtin_trap();
            if (!planes[i].empty()) sum += planes[i].front() + planes[i].back();
        }
        volatile uint32_t sink = sum;
        (void)sink;
        store.AdoptBase(0, blocks);
        const uint8_t* current[kMaxPlanes] = {};
        for (int i = 0; i < count; ++i) current[i] = planes[i].data();
        std::vector<uint8_t> again[kMaxPlanes];
        StepFileStore::PlanePatch patches[kMaxPlanes];
        if (!store.ReadStep(0, 0, expected, count, again, error, nullptr, current, patches)) __builtin_trap();
        for (int i = 0; i < count; ++i)
            if (!patches[i].blocks.empty()) __builtin_trap();
    } else if (error.empty()) {
        __builtin_trap();  // a refusal always says why
    }
    return 0;
}
