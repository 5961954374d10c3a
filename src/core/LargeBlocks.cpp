#include "core/LargeBlocks.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <new>

namespace quillory {

void* AllocateLarge(size_t bytes) {
    if (bytes >= kLargeBlockBytes && bytes <= SIZE_MAX - kHugePageBytes) {
        const size_t rounded = (bytes + kHugePageBytes - 1) & ~(kHugePageBytes - 1);
        if (void* block = std::aligned_alloc(kHugePageBytes, rounded)) {
            (void)::madvise(block, rounded, MADV_HUGEPAGE);
            return block;
        }
    }
    return std::malloc(bytes);
}

}  // namespace quillory

// Small requests are malloc's as before; the default operator delete gives both
// kinds back with free.
#ifndef QUILLORY_KEEP_OPERATOR_NEW
void* operator new(std::size_t bytes) {
    if (bytes == 0) bytes = 1;
    for (;;) {
        if (void* block = bytes >= quillory::kLargeBlockBytes ? quillory::AllocateLarge(bytes) : std::malloc(bytes))
            return block;
        std::new_handler handler = std::get_new_handler();
        if (!handler) throw std::bad_alloc();
        handler();
    }
}
#endif
