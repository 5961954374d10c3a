#include <gtest/gtest.h>

#include <vector>

#include "GeometryTestSupport.h"
#include "core/NyZazo.h"
#include "processing/ChannelSplit.h"
#include "processing/Gradient.h"
#include "processing/SimilarArea.h"

using namespace quillory;

namespace {

std::vector<uint8_t> Hsl(int r, int g, int b) {
    uint8_t out[3];
    RgbToHsl(r, g, b, out);
    return {out[0], out[1], out[2]};
}

Planes Pixels(int w, int h, const std::vector<RGBQUAD>& colours) {
    Planes p;
    EXPECT_TRUE(MakePlanes(w, h, PlaneLayout{24, false}, 0, 255, p));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const RGBQUAD c = colours[size_t(y * w + x) % colours.size()];
            uint8_t* q = p.Row(y) + 3 * x;
            q[0] = c.blue, q[1] = c.green, q[2] = c.red;
        }
    return p;
}

}  // namespace

TEST(Channels, GreyHasNeutralChromaAndTheHueOfGrey) {
    for (int v : {0, 37, 128, 200, 255}) {
        uint8_t yuv[3];
        ChannelValues(ChannelModel::Yuv, MakeQuad(uint8_t(v), uint8_t(v), uint8_t(v)), yuv);
        EXPECT_NEAR(yuv[0], v, 1);
        EXPECT_EQ(yuv[1], 128);
        EXPECT_EQ(yuv[2], 128);
        const auto hsl = Hsl(v, v, v);
        EXPECT_EQ(hsl[0], 170);
        EXPECT_EQ(hsl[1], 0);
        EXPECT_EQ(hsl[2], (v * 2 * 255 + 255) / 510);
    }
}

TEST(Channels, PrimaryHuesSaturationsAndLightness) {
    EXPECT_EQ(Hsl(255, 0, 0), (std::vector<uint8_t>{0, 255, 128}));
    EXPECT_EQ(Hsl(0, 255, 0)[0], 85);
    EXPECT_EQ(Hsl(0, 0, 255)[0], 170);
    // Just past red towards magenta: the hue wraps below 0 to the top of the byte.
    EXPECT_EQ(Hsl(255, 0, 40)[0], uint8_t(-7 & 0xFF));
}

TEST(Channels, SplitCoversTheDocumentAndReadsOutsideAsTheBackground) {
    const Planes layer = Pixels(2, 2, {MakeQuad(255, 0, 0)});
    NyZazo a, b, c;
    NyZazo* out[3] = {&a, &b, &c};
    // The layer sits one column right of the document's left edge.
    const LayerPlacement place{1, 0, 3, 2, MakeQuad(255, 255, 255)};
    ASSERT_TRUE(SplitChannels(layer, {}, place, ChannelModel::Hsl, out));
    ASSERT_EQ(a.Width(), 3);
    ASSERT_EQ(a.BitCount(), 8);
    EXPECT_TRUE(a.IsGreyScale());
    EXPECT_EQ(a.GetPixelIndex(0, 0), 170);  // white outside: grey hue
    EXPECT_EQ(c.GetPixelIndex(0, 0), 255);
    EXPECT_EQ(a.GetPixelIndex(1, 0), 0);    // red inside
    EXPECT_EQ(b.GetPixelIndex(2, 1), 255);
}

TEST(SimilarArea, ToleranceZeroSelectsExactlyThePickedColour) {
    const RGBQUAD red = MakeQuad(200, 10, 10), near = MakeQuad(201, 10, 10), blue = MakeQuad(0, 0, 255);
    Planes p = Pixels(6, 4, {red, near, blue, red});
    p.AlphaRow(0)[0] = 0;  // a transparent red pixel never counts
    std::vector<uint8_t> mask(24, 0);
    EXPECT_EQ(MarkSimilarPixels(p, {}, red, 0, mask.data()), 11);
    EXPECT_EQ(mask[0], 0);
    EXPECT_EQ(mask[1], 0);  // the near colour
    EXPECT_EQ(mask[3], 1);
    std::vector<uint8_t> wider(24, 0);
    EXPECT_EQ(MarkSimilarPixels(p, {}, red, 1, wider.data()), 17);
}

TEST(SimilarArea, ToleranceIsASummedChannelDistanceNotEverything) {
    const Planes p = Pixels(3, 1, {MakeQuad(0, 0, 0), MakeQuad(128, 128, 128), MakeQuad(255, 255, 255)});
    std::vector<uint8_t> mask(3, 0);
    // Mid grey to black is 384 and to white 381: beyond 255 both.
    EXPECT_EQ(MarkSimilarPixels(p, {}, MakeQuad(128, 128, 128), 255, mask.data()), 1);
    EXPECT_EQ(mask, (std::vector<uint8_t>{0, 1, 0}));
}

TEST(Gradient, RampsRunFromTheSecondColourAtTheStart) {
    EXPECT_DOUBLE_EQ(GradientRamp(GradientSettings::Linear, 10, 0), 1.0);
    EXPECT_DOUBLE_EQ(GradientRamp(GradientSettings::Linear, 10, 10), 0.0);
    EXPECT_DOUBLE_EQ(GradientRamp(GradientSettings::Linear, 10, -5), 1.0);
    EXPECT_DOUBLE_EQ(GradientRamp(GradientSettings::Linear, 10, 15), 0.0);
    EXPECT_DOUBLE_EQ(GradientRamp(GradientSettings::Mirrored, 10, 5), 0.0);
    EXPECT_DOUBLE_EQ(GradientRamp(GradientSettings::Mirrored, 10, 0), 1.0);
    EXPECT_DOUBLE_EQ(GradientRamp(GradientSettings::Mirrored, 11, 10), 1.0);  // H = 5

    GradientSettings g;
    g.first = MakeQuad(255, 255, 255);
    g.second = MakeQuad(200, 0, 0);
    EXPECT_EQ(GradientColour(g, 0.5), MakeQuad(227, 127, 127));
    g.colourMode = GradientSettings::ForegroundOnly;
    EXPECT_EQ(GradientColour(g, 0.5), MakeQuad(100, 0, 0));
}

TEST(Gradient, PaintsLinesAcrossTheDragHonouringTheMask) {
    Planes p;
    ASSERT_TRUE(MakePlanes(5, 3, PlaneLayout{24, false}, 9, 0, p));
    GradientSettings g;
    g.first = MakeQuad(0, 0, 0);
    g.second = MakeQuad(200, 200, 200);
    std::vector<uint8_t> mask(15, 1);
    mask[0] = 0;  // bottom-left pixel (stored row 0) stays
    ASSERT_TRUE(PaintGradient(p, {}, g, 0, 0, 4, 0, mask.data()));
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(p.Row(y)[3 * 4], 0);  // the end: first colour
        if (y > 0) {
            EXPECT_EQ(p.Row(y)[0], 200);
        }
        EXPECT_EQ(p.Row(y)[3 * 2], 100);
        EXPECT_EQ(p.AlphaRow(y)[3], 255);
    }
    EXPECT_EQ(p.Row(0)[0], 9);
    EXPECT_EQ(p.AlphaRow(0)[0], 0);
    EXPECT_FALSE(PaintGradient(p, {}, g, 2, 2, 2, 2));
}
