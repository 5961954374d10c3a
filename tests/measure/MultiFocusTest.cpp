// Multi-focus composition on synthetic stacks: one sharp picture, blurred in
// different blocks in each document.
#include <gtest/gtest.h>

#include <cstring>

#include "measure/MeasureTestSupport.h"
#include "measure/MeasureTexts.h"
#include "measure/MultiFocus.h"

using namespace quillory;
using namespace quillory::test;

namespace {

// A picture with fine detail everywhere: a high-contrast checkerboard of 2-pixel cells.
void PaintSharp(LayerRecord& layer) {
    for (int storedY = 0; storedY < layer.height; ++storedY) {
        uint8_t* row = layer.PixelRow(storedY);
        for (int x = 0; x < layer.width; ++x) {
            const uint8_t v = ((x / 2 + storedY / 2) % 2) ? 230 : 20;
            row[3 * x] = v, row[3 * x + 1] = uint8_t(v / 2 + 60), row[3 * x + 2] = uint8_t(255 - v);
        }
    }
}

// The block (in stored order) flattened to its mean colour: no detail left.
void BlurBlock(LayerRecord& layer, int bx, int by) {
    const int bw = layer.width / kFocusGrid, bh = layer.height / kFocusGrid;
    long sum[3] = {0, 0, 0};
    for (int y = by * bh; y < (by + 1) * bh; ++y)
        for (int x = bx * bw; x < (bx + 1) * bw; ++x)
            for (int c = 0; c < 3; ++c) sum[c] += layer.PixelRow(y)[3 * x + c];
    for (int y = by * bh; y < (by + 1) * bh; ++y)
        for (int x = bx * bw; x < (bx + 1) * bw; ++x)
            for (int c = 0; c < 3; ++c) layer.PixelRow(y)[3 * x + c] = uint8_t(sum[c] / (bw * bh));
}

bool SameBlock(const LayerRecord& a, const LayerRecord& b, int bx, int by) {
    const int bw = a.width / kFocusGrid, bh = a.height / kFocusGrid;
    for (int y = by * bh; y < (by + 1) * bh; ++y)
        if (std::memcmp(a.PixelRow(y) + 3 * bx * bw, b.PixelRow(y) + 3 * bx * bw, size_t(3 * bw)) != 0) return false;
    return true;
}

}  // namespace

TEST(MultiFocus, EachBlockComesFromTheDocumentThatIsSharpThere) {
    TextBlockPlatform platform;
    auto sharp = MakePicture(96, 64);
    PaintSharp(sharp->Layer(0));
    // Document d keeps blocks with (bx + by) % 3 == d sharp and blurs the others.
    std::vector<std::unique_ptr<CVandDoc>> stack;
    for (int d = 0; d < 3; ++d) {
        stack.push_back(MakePicture(96, 64));
        PaintSharp(stack.back()->Layer(0));
        for (int by = 0; by < kFocusGrid; ++by)
            for (int bx = 0; bx < kFocusGrid; ++bx)
                if ((bx + by) % 3 != d) BlurBlock(stack.back()->Layer(0), bx, by);
    }
    std::vector<CVandDoc*> documents;
    for (auto& d : stack) documents.push_back(d.get());
    CVandDoc result;
    NewPictureSettings settings;
    MultiFocusResult report;
    ASSERT_TRUE(ComposeMultiFocus(documents, result, settings, &report));
    EXPECT_EQ(settings.width, 96);
    EXPECT_EQ(settings.height, 64);
    for (int by = 0; by < kFocusGrid; ++by)
        for (int bx = 0; bx < kFocusGrid; ++bx) {
            EXPECT_EQ(report.source[size_t(by * kFocusGrid + bx)], (bx + by) % 3) << bx << "," << by;
            EXPECT_TRUE(SameBlock(result.Layer(0), sharp->Layer(0), bx, by)) << bx << "," << by;
        }
    EXPECT_TRUE(report.skipped.empty());
    EXPECT_EQ(std::count(result.Layer(0).alpha.begin(), result.Layer(0).alpha.end(), 255), 96 * 64);
    // The sources are left as they were.
    EXPECT_FALSE(SameBlock(stack[0]->Layer(0), sharp->Layer(0), 1, 0));
}

TEST(MultiFocus, OneDocumentIsCopiedWithinItsBlockArea) {
    TextBlockPlatform platform;
    auto doc = MakePicture(100, 20);  // blocks 12 pixels wide: the 4 right-most columns are in none
    PaintSharp(doc->Layer(0));
    CVandDoc result;
    NewPictureSettings settings;
    ASSERT_TRUE(ComposeMultiFocus({doc.get()}, result, settings));
    const LayerRecord& out = result.Layer(0);
    for (int storedY = 0; storedY < 16; ++storedY)
        EXPECT_EQ(std::memcmp(out.PixelRow(storedY), doc->Layer(0).PixelRow(storedY), 96 * 3), 0) << storedY;
    for (int storedY = 0; storedY < 20; ++storedY)
        for (int x = 96; x < 100; ++x) EXPECT_EQ(out.PixelRow(storedY)[3 * x], 255) << x;  // still white
    for (int storedY = 16; storedY < 20; ++storedY) EXPECT_EQ(out.PixelRow(storedY)[0], 255);
}

TEST(MultiFocus, DarkBlocksMeasureNothingAndComeFromTheFirstDocument) {
    TextBlockPlatform platform;
    auto first = MakePicture(32, 32);
    auto second = MakePicture(32, 32);
    for (CVandDoc* d : {first.get(), second.get()}) {
        LayerRecord& layer = d->Layer(0);
        std::fill(layer.pixels.begin(), layer.pixels.end(), uint8_t(d == first.get() ? 10 : 49));
    }
    EXPECT_EQ(BlockSharpness(*second)[0], 0.0f);
    CVandDoc result;
    NewPictureSettings settings;
    MultiFocusResult report;
    ASSERT_TRUE(ComposeMultiFocus({first.get(), second.get()}, result, settings, &report));
    for (int source : report.source) EXPECT_EQ(source, 0);
    EXPECT_EQ(result.Layer(0).PixelRow(5)[5], 10);
}

TEST(MultiFocus, DocumentsOfAnotherSizeAreLeftOutWithAMessage) {
    TextBlockPlatform platform;
    auto small = MakePicture(16, 16);
    SetFixedName(small->Header().name, u"small");
    auto big = MakePicture(64, 48);
    PaintSharp(big->Layer(0));
    CVandDoc result;
    NewPictureSettings settings;
    MultiFocusResult report;
    ASSERT_TRUE(ComposeMultiFocus({small.get(), big.get()}, result, settings, &report));
    EXPECT_EQ(report.skipped, std::vector<int>{0});
    EXPECT_EQ(platform.messages, std::vector<std::string>{"[small] 영상은 크기(16 x 16 x 24)가 달라 제외합니다."});
    EXPECT_EQ(result.Header().width, 64);
    for (int source : report.source) EXPECT_EQ(source, 1);
}

TEST(MultiFocus, SharpnessSumsBlueOverBrightOpaquePixels) {
    LayerRecord layer;
    layer.width = 16;
    layer.height = 16;
    layer.stride = int32_t(PlaneStride(24, 16));
    layer.pixels.assign(size_t(layer.stride) * 16, 0);
    layer.alpha.assign(256, 255);
    // In block (0, 0): one pixel (51, 50, 50) counts 51/255; (255, 49, 255) does not; a transparent one does not.
    layer.PixelRow(0)[0] = 51, layer.PixelRow(0)[1] = 50, layer.PixelRow(0)[2] = 50;
    layer.PixelRow(1)[0] = 255, layer.PixelRow(1)[1] = 49, layer.PixelRow(1)[2] = 255;
    layer.PixelRow(0)[3] = 200, layer.PixelRow(0)[4] = 200, layer.PixelRow(0)[5] = 200;
    layer.alpha[1] = 0;
    // In block (1, 0) (stored rows 0..1, columns 2..3): a full-white pixel.
    std::memset(layer.PixelRow(1) + 3 * 3, 255, 3);
    const BlockValues values = BlockSharpness(layer);
    EXPECT_FLOAT_EQ(values[0], 51.0f / 255.0f);
    EXPECT_FLOAT_EQ(values[1], 1.0f);
    for (size_t b = 2; b < values.size(); ++b) EXPECT_EQ(values[b], 0.0f);
}
