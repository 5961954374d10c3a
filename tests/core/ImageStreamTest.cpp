#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "core/ImageStream.h"
#include "support/TestFiles.h"

using namespace quillory;

TEST(MemoryStream, GrowsInWholeStepsOf4096) {
    ImageStream s(ImageStream::kMemory);
    EXPECT_EQ(s.capacity(), 0u);
    EXPECT_EQ(s.PutByte(0x41), 0x41);
    EXPECT_EQ(s.capacity(), 4096u);
    std::vector<uint8_t> block(5000, 7);
    EXPECT_EQ(s.Write(block.data(), 1, block.size()), block.size());
    EXPECT_EQ(s.capacity(), 8192u);
    EXPECT_EQ(s.Size(), 5001);
    std::vector<uint8_t> big(10000, 1);
    EXPECT_EQ(s.Write(big.data(), 2, 5000), 5000u);
    EXPECT_EQ(s.capacity(), 16384u);  // 15001 needed: two more steps
    EXPECT_EQ(s.Tell(), 15001);
    EXPECT_FALSE(s.HasError());
}

TEST(MemoryStream, ReadCountsWholeElementsAndStopsAtTheEnd) {
    const uint8_t data[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    ImageStream s(data, 10);
    EXPECT_TRUE(s.borrowed());
    uint8_t out[16];
    EXPECT_EQ(s.Read(out, 4, 2), 2u);
    EXPECT_EQ(s.Read(out, 4, 2), 0u);  // 2 bytes left: no whole element
    EXPECT_EQ(s.Tell(), 10);
    EXPECT_TRUE(s.AtEnd());
    EXPECT_EQ(s.Read(nullptr, 1, 1), 0u);
    EXPECT_EQ(s.Read(out, 1, 0), 0u);
}

TEST(MemoryStream, SeekRules) {
    const uint8_t data[10] = {};
    ImageStream s(data, 10);
    EXPECT_EQ(s.Seek(4, SEEK_SET), 0);
    EXPECT_EQ(s.Seek(-2, SEEK_CUR), 0);
    EXPECT_EQ(s.Tell(), 2);
    EXPECT_EQ(s.Seek(-3, SEEK_CUR), -1);
    EXPECT_EQ(s.Seek(0, 7), -1);
    EXPECT_EQ(s.Seek(5, SEEK_END), 0);  // beyond the end is accepted
    EXPECT_EQ(s.Tell(), 15);
    uint8_t b;
    EXPECT_EQ(s.Read(&b, 1, 1), 0u);
}

TEST(MemoryStream, WritingABorrowedBlockLeavesTheOwnerIntact) {
    uint8_t data[4] = {1, 2, 3, 4};
    ImageStream s(data, 4);
    EXPECT_EQ(s.Seek(4, SEEK_SET), 0);
    const uint8_t more[2] = {5, 6};
    EXPECT_EQ(s.Write(more, 1, 2), 2u);
    EXPECT_EQ(s.Size(), 6);
    EXPECT_EQ(s.data()[0], 1);
    EXPECT_EQ(s.data()[5], 6);
    EXPECT_EQ(data[3], 4);
}

TEST(StreamWithoutHandle, ReturnsErrorValues) {
    ImageStream s(ImageStream::kFile);
    uint8_t b = 0;
    EXPECT_EQ(s.Read(&b, 1, 1), 0u);
    EXPECT_EQ(s.Write(&b, 1, 1), 0u);
    EXPECT_EQ(s.PutByte(1), -1);
    EXPECT_EQ(s.Seek(0, SEEK_SET), -1);
    EXPECT_EQ(s.Tell(), -1);
    EXPECT_EQ(s.Size(), -1);
    ImageStream m(ImageStream::kMemory);
    EXPECT_EQ(m.Read(&b, 1, 1), 0u);
    EXPECT_EQ(m.Seek(0, SEEK_SET), -1);
}

TEST(FileStream, WritesReadsAndMeasures) {
    test::TempDir dir;
    ImageStream w(ImageStream::kFile);
    ASSERT_TRUE(w.OpenFile(dir.File("a.bin"), "wb"));
    EXPECT_EQ(w.Write("hello", 1, 5), 5u);
    EXPECT_EQ(w.PutByte('!'), '!');
    w.Close();
    ImageStream r(ImageStream::kFile);
    ASSERT_TRUE(r.OpenFile(dir.File("a.bin"), "rb"));
    EXPECT_EQ(r.Size(), 6);
    EXPECT_EQ(r.Tell(), 0);
    char text[7] = {};
    EXPECT_EQ(r.Read(text, 1, 6), 6u);
    EXPECT_STREQ(text, "hello!");
    // A borrowed file is left open by Close.
    FILE* f = std::fopen(dir.File("a.bin").c_str(), "rb");
    {
        ImageStream borrowed(f);
        borrowed.Close();
    }
    EXPECT_EQ(std::fgetc(f), 'h');
    std::fclose(f);
}
