#pragma once
// Large blocks (pictures, layer planes, history copies) on huge pages.
#include <cstddef>

namespace quillory {

// Blocks of this size and more are placed on 2 MiB boundaries and asked for huge
// pages: a fresh 36 MB plane then costs a few page faults instead of nine thousand,
// and giving it back unmaps a few pages instead of nine thousand.
inline constexpr size_t kHugePageBytes = size_t(2) << 20;
inline constexpr size_t kLargeBlockBytes = 2 * kHugePageBytes;

// The engine's operator new hands out AllocateLarge's blocks for large requests,
// so every vector plane lies on huge pages. Under the address sanitizer its own
// operator new, which checks more, is kept.
#if defined(__SANITIZE_ADDRESS__)
#define QUILLORY_KEEP_OPERATOR_NEW 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUILLORY_KEEP_OPERATOR_NEW 1
#endif
#endif
#ifdef QUILLORY_KEEP_OPERATOR_NEW
inline constexpr bool kLargeVectorsOnHugePages = false;
#else
inline constexpr bool kLargeVectorsOnHugePages = true;
#endif

// malloc's memory: always released with std::free. Null when there is none.
void* AllocateLarge(size_t bytes);

}  // namespace quillory
