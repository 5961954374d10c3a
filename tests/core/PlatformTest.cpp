#include <gtest/gtest.h>

#include "core/CoreTexts.h"
#include "core/NyZazo.h"
#include "core/Samples.h"
#include "support/RecordingPlatform.h"

using namespace quillory;

TEST(PackedDibDisplayCheck, AsksForATrueColourDisplay) {
    test::RecordingPlatform platform;
    NyZazo p(2, 2, 8, 1);
    std::vector<uint8_t> dib = p.ToPackedDib();
    NyZazo q;
    EXPECT_FALSE(q.CreateFromPackedDib(dib.data(), dib.size(), true, nullptr));
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0], "디스플레이 설정이 32비트 True Color 인지 확인 (현재 8 비트)");
    // The -2 marker lets any depth through.
    BITMAPINFOHEADER h = ReadInfoHeader(dib.data());
    h.biXPelsPerMeter = -2;
    WriteInfoHeader(dib.data(), h);
    int32_t ppm = 0;
    EXPECT_TRUE(q.CreateFromPackedDib(dib.data(), dib.size(), true, &ppm));
    EXPECT_EQ(ppm, -2);
}

TEST(Resources, MissingResourceSaysFail) {
    test::RecordingPlatform platform;
    NyZazo p;
    EXPECT_FALSE(p.LoadResource("no such resource", 1));
    EXPECT_STREQ(p.lastError, "Unable to load resource!");
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0], "fail");
}

TEST(Samples, EverySampleCommandOpensAPicture) {
    RegisterBuiltInSamples();
    for (int command : {cmd::kLoadJpegSample, cmd::kLoadGifSample, cmd::kLoadTifSample, cmd::kLoadBitmapSample}) {
        NyZazo p;
        EXPECT_TRUE(LoadSample(command, p)) << command << ": " << p.lastError;
        EXPECT_GT(p.Width(), 100);
    }
    EXPECT_EQ(SampleTitle(cmd::kLoadGifSample, 3), "GIF Resource Image 3");
    EXPECT_EQ(SampleTitle(cmd::kLoadBitmapSample, 0), "BITMAP Resource Image 0");
}
