#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "core/LargeBlocks.h"

using namespace quillory;

TEST(LargeBlocksTest, LargePlanesAreWholeAndSmallOnesUnchanged) {
    // A plane of several huge pages with an odd length: every byte is usable and
    // a vector grown past the threshold keeps its contents.
    std::vector<uint8_t> plane(kLargeBlockBytes * 3 + 4001, 7);
    EXPECT_EQ(plane.front(), 7);
    EXPECT_EQ(plane.back(), 7);
    plane.back() = 9;
    std::vector<uint8_t> grown(100, 3);
    grown.resize(kLargeBlockBytes + 1, 5);
    EXPECT_EQ(grown[99], 3);
    EXPECT_EQ(grown[100], 5);
    EXPECT_EQ(grown.back(), 5);

    if (kLargeVectorsOnHugePages) {
        EXPECT_EQ(reinterpret_cast<uintptr_t>(plane.data()) % kHugePageBytes, 0u);
    }

    void* large = AllocateLarge(kLargeBlockBytes);
    ASSERT_NE(large, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(large) % kHugePageBytes, 0u);
    std::memset(large, 1, kLargeBlockBytes);
    std::free(large);
    void* small = AllocateLarge(10);
    ASSERT_NE(small, nullptr);
    std::free(small);
}

TEST(LargeBlocksTest, ImpossibleSizesFailCleanly) {
    // The address sanitizer stops the program at such a request instead.
    if (!kLargeVectorsOnHugePages) GTEST_SKIP() << "the sanitizer's allocator is in use";
    // Sizes that would wrap when rounded to whole huge pages.
    EXPECT_EQ(AllocateLarge(SIZE_MAX), nullptr);
    EXPECT_EQ(AllocateLarge(SIZE_MAX - kHugePageBytes / 2), nullptr);
    volatile size_t absurd = SIZE_MAX - 16;
    EXPECT_EQ(new (std::nothrow) uint8_t[absurd], nullptr);
    EXPECT_THROW((void)std::vector<uint8_t>(size_t(1) << 62), std::bad_alloc);
}
