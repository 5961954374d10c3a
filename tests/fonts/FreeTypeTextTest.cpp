// Text drawn with fontconfig and FreeType: the box, the fallback to Korean
// fonts, line spacing, made-up bold and italic, underline and strike-out.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "fonts/FontChoice.h"
#include "fonts/FreeTypeText.h"

using namespace quillory;

namespace {

struct Ink {
    int left = 0, top = 0, right = -1, bottom = -1;  // inclusive; right < 0 when nothing is drawn
    long long sum = 0;
};

Ink InkOf(const TextRaster& r, int fromRow = 0, int toRow = -1) {
    Ink ink;
    ink.left = r.width, ink.top = r.height;
    if (toRow < 0) toRow = r.height;
    for (int y = fromRow; y < toRow; ++y)
        for (int x = 0; x < r.width; ++x) {
            const uint8_t v = r.coverage[size_t(y) * size_t(r.width) + size_t(x)];
            if (!v) continue;
            ink.sum += v;
            ink.left = std::min(ink.left, x), ink.right = std::max(ink.right, x);
            ink.top = std::min(ink.top, y), ink.bottom = std::max(ink.bottom, y);
        }
    return ink;
}

// The drawn part of rows [fromRow, toRow), cut to its ink box.
std::vector<uint8_t> InkPicture(const TextRaster& r, int fromRow, int toRow) {
    const Ink ink = InkOf(r, fromRow, toRow);
    std::vector<uint8_t> out;
    for (int y = ink.top; y <= ink.bottom; ++y)
        for (int x = ink.left; x <= ink.right; ++x) out.push_back(r.coverage[size_t(y) * size_t(r.width) + size_t(x)]);
    out.push_back(uint8_t(ink.right - ink.left));
    return out;
}

TextStyle Style(const char* face, int pixelHeight) {
    TextStyle style;
    style.face = face;
    style.pixelHeight = pixelHeight;
    return style;
}

bool Valid(const TextRaster& r) {
    return r.width > 0 && r.height > 0 && r.coverage.size() == size_t(r.width) * size_t(r.height);
}

// A text drawn plain and then with each of two style flags alone.
struct Variants {
    TextRaster plain, first, second;
    bool Valid() const { return ::Valid(plain) && ::Valid(first) && ::Valid(second); }
};

Variants DrawVariants(const char* utf8, const TextStyle& style, bool TextStyle::*first, bool TextStyle::*second) {
    FreeTypeText text;
    TextStyle with = style;
    Variants v;
    v.plain = text.Rasterise(utf8, with);
    with.*first = true;
    v.first = text.Rasterise(utf8, with);
    with = style;
    with.*second = true;
    v.second = text.Rasterise(utf8, with);
    return v;
}

}  // namespace

TEST(FontChoice, FindsTheKoreanFontsAndFallsBackToThemForHangul) {
    const FontConfiguration fonts;
    const std::vector<std::string> families = InstalledFontFamilies(fonts);
    EXPECT_TRUE(std::is_sorted(families.begin(), families.end()));
    EXPECT_NE(std::find(families.begin(), families.end(), "NanumGothic"), families.end());
    const FontChoice latin(fonts, "DejaVu Sans", false, false);
    ASSERT_FALSE(latin.Empty());
    EXPECT_NE(latin.Primary().path.find("DejaVuSans"), std::string::npos) << latin.Primary().path;
    EXPECT_EQ(latin.For(U'A')->path, latin.Primary().path);
    EXPECT_NE(latin.For(U'한')->path.find("Nanum"), std::string::npos) << latin.For(U'한')->path;
    // A face by its Korean name is the same face.
    const FontChoice korean(fonts, "나눔고딕", false, false);
    ASSERT_FALSE(korean.Empty());
    EXPECT_NE(korean.Primary().path.find("NanumGothic"), std::string::npos) << korean.Primary().path;
}

TEST(FontChoice, MakesUpOnlyTheStyleAFaceLacks) {
    const FontConfiguration fonts;
    const FontChoice realBold(fonts, "DejaVu Sans", true, false);
    ASSERT_FALSE(realBold.Empty());
    EXPECT_NE(realBold.Primary().path.find("Bold"), std::string::npos);
    EXPECT_FALSE(realBold.Primary().embolden);
    EXPECT_FALSE(realBold.Primary().oblique);
    // The fallback face has no italic of its own.
    const FontChoice onlyRegular(fonts, "Droid Sans Fallback", true, true);
    ASSERT_FALSE(onlyRegular.Empty());
    EXPECT_TRUE(onlyRegular.Primary().embolden);
    EXPECT_TRUE(onlyRegular.Primary().oblique);
}

TEST(FreeTypeText, BoxIsTheLineAndInkIsAntiAliasedInsideIt) {
    FreeTypeText text;
    const TextRaster r = text.Rasterise("Hello", Style("DejaVu Sans", 20));
    ASSERT_TRUE(Valid(r));
    // DejaVu Sans at 20 pixels: ascent 19, descent 5.
    EXPECT_NEAR(r.height, 24, 1);
    EXPECT_GT(r.width, 40);
    EXPECT_LT(r.width, 60);
    const Ink ink = InkOf(r);
    ASSERT_GE(ink.right, 0);
    EXPECT_LE(ink.left, 2);
    EXPECT_GE(ink.right, r.width - 3);
    // Capitals reach from about the cap height to the baseline.
    EXPECT_NEAR(ink.top, 4, 2);
    EXPECT_NEAR(ink.bottom, 18, 1);
    const auto partial =
        std::count_if(r.coverage.begin(), r.coverage.end(), [](uint8_t v) { return v > 0 && v < 255; });
    EXPECT_GT(partial, 20);
}

TEST(FreeTypeText, HangulInALatinFaceIsDrawnWithTheKoreanFont) {
    FreeTypeText text;
    const TextRaster latin = text.Rasterise("한글", Style("DejaVu Sans", 24));
    const TextRaster nanum = text.Rasterise("한글", Style("NanumGothic", 24));
    ASSERT_TRUE(Valid(latin));
    ASSERT_TRUE(Valid(nanum));
    EXPECT_EQ(InkPicture(latin, 0, latin.height), InkPicture(nanum, 0, nanum.height));
    // Glyphs, not two equal missing-glyph boxes.
    const TextRaster han = text.Rasterise("한", Style("NanumGothic", 24));
    const TextRaster geul = text.Rasterise("글", Style("NanumGothic", 24));
    EXPECT_NE(InkPicture(han, 0, han.height), InkPicture(geul, 0, geul.height));
    EXPECT_GT(InkOf(han).sum, 255 * 30);
}

TEST(FreeTypeText, LinesFollowByTheLineSpacing) {
    FreeTypeText text;
    const TextRaster one = text.Rasterise("Ag", Style("DejaVu Sans", 20));
    const TextRaster two = text.Rasterise("Ag\nAg", Style("DejaVu Sans", 20));
    ASSERT_TRUE(Valid(one));
    ASSERT_TRUE(Valid(two));
    EXPECT_EQ(two.width, one.width);
    // Lines are the face's line spacing apart: its height and a line gap of about a pixel.
    EXPECT_GE(two.height, 2 * one.height - 1);
    EXPECT_LE(two.height, 2 * one.height + 3);
    const int spacing = InkOf(two, one.height - 1, two.height).top - InkOf(one).top;
    EXPECT_GE(spacing, one.height - 1);
    EXPECT_LE(spacing, one.height + 2);
    EXPECT_EQ(InkPicture(two, 0, spacing), InkPicture(one, 0, one.height));
    EXPECT_EQ(InkPicture(two, spacing, two.height), InkPicture(one, 0, one.height));
    // An empty line still takes its place.
    const TextRaster gap = text.Rasterise("Ag\n\nAg", Style("DejaVu Sans", 20));
    EXPECT_NEAR(gap.height, two.height + spacing, 1);
}

TEST(FreeTypeText, MadeUpBoldIsHeavierAndItalicLeansRight) {
    const Variants v = DrawVariants("Illl", Style("Droid Sans Fallback", 40), &TextStyle::bold, &TextStyle::italic);
    ASSERT_TRUE(v.Valid());
    const TextRaster &regular = v.plain, &bold = v.first, &italic = v.second;
    EXPECT_GT(InkOf(bold).sum, InkOf(regular).sum * 5 / 4);
    // The stems' tops move right of their feet.
    const Ink plain = InkOf(regular), slanted = InkOf(italic);
    const int third = (plain.bottom - plain.top) / 3;
    const Ink plainTop = InkOf(regular, plain.top, plain.top + third);
    const Ink plainFoot = InkOf(regular, plain.bottom - third, plain.bottom + 1);
    const Ink slantedTop = InkOf(italic, slanted.top, slanted.top + third);
    const Ink slantedFoot = InkOf(italic, slanted.bottom - third, slanted.bottom + 1);
    EXPECT_NEAR(plainTop.left, plainFoot.left, 1);
    EXPECT_GE(slantedTop.left - slantedFoot.left, 4);
    // The slanted last stem is not cut off: the box grows to hold it.
    EXPECT_LT(slanted.right, italic.width);
    EXPECT_GE(italic.width, regular.width);
}

TEST(FreeTypeText, UnderlineAndStrikeOutSpanTheLine) {
    const Variants v = DrawVariants("a  a", Style("DejaVu Sans", 30), &TextStyle::underline, &TextStyle::strikeOut);
    ASSERT_TRUE(v.Valid());
    const TextRaster &plain = v.plain, &underlined = v.first, &struck = v.second;
    auto fullRows = [](const TextRaster& r, int from, int to) {
        int rows = 0;
        for (int y = from; y < to; ++y) {
            const uint8_t* row = r.coverage.data() + size_t(y) * size_t(r.width);
            if (std::all_of(row + 1, row + r.width - 1, [](uint8_t v) { return v == 255; })) ++rows;
        }
        return rows;
    };
    const int baseline = InkOf(plain).bottom + 1;  // "a" sits on the baseline
    EXPECT_EQ(fullRows(plain, 0, plain.height), 0);
    EXPECT_GE(fullRows(underlined, baseline, underlined.height), 1);
    EXPECT_EQ(fullRows(underlined, 0, baseline), 0);
    // The strike-out goes through the middle of the lower-case letters.
    const Ink letters = InkOf(plain);
    EXPECT_GE(fullRows(struck, letters.top, baseline), 1);
    EXPECT_EQ(fullRows(struck, baseline, struck.height), 0);
}

TEST(FreeTypeText, KerningPullsPairsTogether) {
    FreeTypeText text;
    const TextStyle style = Style("DejaVu Sans", 40);
    const TextRaster a = text.Rasterise("A", style), v = text.Rasterise("V", style), av = text.Rasterise("AV", style);
    ASSERT_TRUE(Valid(a) && Valid(v) && Valid(av));
    EXPECT_LT(av.width, a.width + v.width - 1);
}

TEST(FreeTypeText, NothingToDrawAndOddInputGiveNoCrash) {
    FreeTypeText text;
    EXPECT_FALSE(Valid(text.Rasterise("", Style("DejaVu Sans", 20))));
    EXPECT_FALSE(Valid(text.Rasterise("\n\n", Style("DejaVu Sans", 20))));
    // Broken UTF-8 shows replacement characters; tabs and carriage returns show as spaces.
    const TextRaster broken = text.Rasterise("a\xC3\x28\xF0\x9F\x98", Style("DejaVu Sans", 20));
    EXPECT_TRUE(Valid(broken));
    EXPECT_GT(InkOf(broken).right, InkOf(text.Rasterise("a", Style("DejaVu Sans", 20))).right + 5);
    EXPECT_EQ(text.Rasterise("a\tb", Style("DejaVu Sans", 20)).width,
              text.Rasterise("a b", Style("DejaVu Sans", 20)).width);
    // A face nobody has falls back to an installed one; absurd sizes are held to what can be drawn.
    EXPECT_TRUE(Valid(text.Rasterise("x", Style("No Such Face 12345", 20))));
    EXPECT_TRUE(Valid(text.Rasterise("x", Style("DejaVu Sans", 0))));
    EXPECT_TRUE(Valid(text.Rasterise("x", Style("DejaVu Sans", -5))));
}
