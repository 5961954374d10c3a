#include <gtest/gtest.h>

#include "FuzzSupport.h"
#include "core/NyZazo.h"
#include "core/SizeMath.h"

using namespace quillory;

// The fuzz targets' start-up lowers both picture caps, so a hostile header costs
// 64 KiB at most; the caps are put back for the other tests.
TEST(FuzzStartUp, LowersThePictureCaps) {
    const uint64_t bytes = PixelByteLimit(), pixels = PixelCountLimit();
    EXPECT_EQ(LLVMFuzzerInitialize(nullptr, nullptr), 0);
    EXPECT_EQ(PixelByteLimit(), fuzz::kFuzzPixelBytes);
    EXPECT_EQ(PixelCountLimit(), fuzz::kFuzzPixels);
    EXPECT_LT(PixelByteLimit(), kMaxPixelBytes);
    EXPECT_FALSE(FitsPixelCap(2048, 2048, 8));
    EXPECT_FALSE(FitsPixelCap(257, 256, 8));
    EXPECT_TRUE(FitsPixelCap(256, 256, 8));
    PixelByteLimit() = bytes;
    PixelCountLimit() = pixels;
}
