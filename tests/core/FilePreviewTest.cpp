#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/CoreTexts.h"
#include "core/FilePreview.h"
#include "core/FormatCodes.h"
#include "core/PsdReader.h"
#include "support/TestFiles.h"

using namespace quillory;

namespace {

// A raw 8-bit RGB PSD whose top row is red and the rest blue.
std::vector<uint8_t> TwoColourPsd(uint32_t width, uint32_t height) {
    std::vector<uint8_t> out{'8', 'B', 'P', 'S', 0, 1, 0, 0, 0, 0, 0, 0, 0, 3};
    auto be32 = [&](uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
    };
    be32(height);
    be32(width);
    out.insert(out.end(), {0, 8, 0, 3});
    be32(0);  // mode data
    be32(0);  // resources
    be32(0);  // layers
    out.insert(out.end(), {0, 0});
    for (int channel = 0; channel < 3; ++channel)
        for (uint32_t y = 0; y < height; ++y)
            for (uint32_t x = 0; x < width; ++x) out.push_back(channel == (y == 0 ? 0 : 2) ? 255 : 0);
    return out;
}

constexpr uint32_t kRed = 0xFFFF0000u, kBlue = 0xFF0000FFu;

}  // namespace

TEST(FilePreviewRules, OnlyNativeDocumentsAndPsdFilesArePreviewed) {
    EXPECT_EQ(PreviewKindOf("/pictures/Plan.QVX"), PreviewKind::kQvx);
    EXPECT_EQ(PreviewKindOf("scan.psd"), PreviewKind::kPsd);
    EXPECT_EQ(PreviewKindOf("/old.psd/photo.jpg"), PreviewKind::kNone);
    EXPECT_EQ(PreviewKindOf("/pictures/psd"), PreviewKind::kNone);
    EXPECT_EQ(PreviewKindOf("measure.mzr"), PreviewKind::kNone);
}

TEST(FilePreviewRules, LargePicturesAreReducedIntoTheAreaKeepingProportions) {
    struct Case {
        int w, h, fitW, fitH;
    };
    const Case cases[] = {
        {100, 50, 100, 50},  {225, 180, 225, 180},  {450, 180, 225, 90}, {226, 181, 224, 180},
        {300, 240, 225, 180}, {10000, 1, 225, 1},   {1, 10000, 1, 180},  {181, 400, 81, 180},
    };
    for (const Case& c : cases) {
        PreviewSize s = FitPreview(c.w, c.h);
        EXPECT_EQ(s.width, c.fitW) << c.w << "x" << c.h;
        EXPECT_EQ(s.height, c.fitH) << c.w << "x" << c.h;
    }
    EXPECT_EQ(FitPreview(0, 10).width, 0);
}

TEST(FilePreviewRules, ChangingTheFileTypeReplacesTheTypedExtension) {
    EXPECT_EQ(PatternExtension("*.tif;*.tiff"), "tif");
    EXPECT_EQ(PatternExtension("*.bmp"), "bmp");
    EXPECT_EQ(PatternExtension("*.*"), "");
    // Everything from the first dot of the name goes.
    EXPECT_EQ(ReplaceTypedExtension("holiday.2024.jpg", "gif"), "holiday.gif");
    EXPECT_EQ(ReplaceTypedExtension("holiday", "bmp"), "holiday.bmp");
    EXPECT_EQ(ReplaceTypedExtension("/home/a.b/shot.png", "tif"), "/home/a.b/shot.tif");
    EXPECT_EQ(ReplaceTypedExtension("holiday.jpg", PatternExtension("*.*")), "holiday.jpg");
}

TEST(FilePreviewPicture, ReducesByDroppingRowsAndKeepsTheTopRowOnTop) {
    NyZazo picture(450, 360, 24, kFormatBmp);
    // Stored row 359 is the top row as shown.
    for (int x = 0; x < 450; ++x) {
        picture.SetPixelColour(x, 359, MakeQuad(255, 0, 0));
        picture.SetPixelColour(x, 358, MakeQuad(255, 0, 0));
    }
    PreviewPicture p = MakePreviewPicture(picture);
    ASSERT_EQ(p.width, 225);
    ASSERT_EQ(p.height, 180);
    EXPECT_EQ(p.sourceWidth, 450);
    EXPECT_EQ(p.pixels[0], kRed);
    EXPECT_EQ(p.pixels[224], kRed);
    EXPECT_EQ(p.pixels[225], 0xFFFFFFFFu);
    EXPECT_EQ(p.pixels.back(), 0xFFFFFFFFu);

    NyZazo small(3, 2, 8, kFormatBmp);
    small.SetGreyPalette();
    EXPECT_EQ(MakePreviewPicture(small).width, 3);
    EXPECT_FALSE(MakePreviewPicture(NyZazo()).Valid());
}

TEST(FilePreviewSelection, PsdPreviewIsKeptForOpeningThatFileOnly) {
    test::TempDir dir;
    ASSERT_TRUE(test::WriteFileBytes(dir.File("scan.psd"), TwoColourPsd(300, 20)));
    const std::string folder = dir.path().string();
    const std::string path = dir.File("scan.psd");

    FilePreview preview;
    ASSERT_EQ(preview.SelectionChanged(folder, "scan.psd"), FilePreview::Outcome::kShown);
    EXPECT_EQ(preview.lastPath(), path);
    EXPECT_EQ(preview.picture().width, 225);
    EXPECT_EQ(preview.picture().height, 15);
    EXPECT_EQ(preview.picture().pixels[0], kRed);
    EXPECT_EQ(preview.picture().pixels.back(), kBlue);
    EXPECT_TRUE(preview.picture().caption.empty());
    EXPECT_EQ(preview.SelectionChanged(folder, "scan.psd"), FilePreview::Outcome::kUnchanged);

    NyZazo opened;
    EXPECT_FALSE(preview.TakePsdPicture(dir.File("other.psd"), opened));
    ASSERT_TRUE(preview.TakePsdPicture(path, opened));
    EXPECT_EQ(opened.Width(), 300);
    EXPECT_EQ(opened.formatType, kFormatPsd);
    EXPECT_EQ(opened.GetPixelColour(0, 19), MakeQuad(255, 0, 0));
    EXPECT_FALSE(preview.TakePsdPicture(path, opened));  // handed over once

    // Moving to another file drops the picture that was read.
    ASSERT_EQ(preview.SelectionChanged(folder, "scan.psd"), FilePreview::Outcome::kUnchanged);
    preview.Clear();
    ASSERT_EQ(preview.SelectionChanged(folder, "scan.psd"), FilePreview::Outcome::kShown);
    EXPECT_EQ(preview.SelectionChanged(folder, "photo.jpg"), FilePreview::Outcome::kNoPreview);
    EXPECT_FALSE(preview.picture().Valid());
    EXPECT_FALSE(preview.TakePsdPicture(path, opened));
}

TEST(FilePreviewSelection, UnreadablePsdShowsNothingAndHoldsNothing) {
    test::TempDir dir;
    std::vector<uint8_t> bytes = TwoColourPsd(4, 4);
    bytes[5] = 2;  // version 2
    ASSERT_TRUE(test::WriteFileBytes(dir.File("big.psd"), bytes));
    FilePreview preview;
    EXPECT_EQ(preview.SelectionChanged(dir.path().string(), "big.psd"), FilePreview::Outcome::kFailed);
    EXPECT_EQ(preview.psdResult(), psd::kNotPsd);
    EXPECT_STREQ(preview.lastError(), texts::kPsdNotPsd);
    EXPECT_FALSE(preview.picture().Valid());
    NyZazo opened;
    EXPECT_FALSE(preview.TakePsdPicture(dir.File("big.psd"), opened));
    EXPECT_EQ(preview.SelectionChanged(dir.path().string(), "gone.psd"), FilePreview::Outcome::kFailed);
    EXPECT_EQ(preview.psdResult(), psd::kCannotOpen);
}

TEST(FilePreviewSelection, NativeDocumentsAreShownThroughTheRegisteredReader) {
    FilePreview preview;
    EXPECT_EQ(preview.SelectionChanged("/docs", "plan.qvx"), FilePreview::Outcome::kFailed);

    std::string asked;
    preview.SetQvxReader([&](const std::string& path, NyZazo& flat) {
        asked = path;
        if (path.find("old") != std::string::npos) return false;  // a version without preview
        flat.Create(300, 200, 24, kFormatQvx);
        return true;
    });
    ASSERT_EQ(preview.SelectionChanged("/docs", "plan2.qvx"), FilePreview::Outcome::kShown);
    EXPECT_EQ(asked, "/docs/plan2.qvx");
    EXPECT_EQ(preview.picture().caption, "(QVX형식) :폭 300   너비 200");
    EXPECT_EQ(preview.picture().width, 225);
    EXPECT_EQ(preview.picture().height, 150);
    EXPECT_EQ(preview.SelectionChanged("/docs", "old.qvx"), FilePreview::Outcome::kFailed);
    EXPECT_FALSE(preview.picture().Valid());
}
