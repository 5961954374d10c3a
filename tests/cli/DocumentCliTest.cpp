// The document side of quillory-cli: new, convert through the document, and the
// layer list that info gives for .qvx files.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/FormatCodes.h"
#include "core/NyZazo.h"
#include "document/CVandDoc.h"
#include "document/DocumentTexts.h"
#include "support/CliRunner.h"
#include "support/TestFiles.h"

using namespace quillory;

using test::QuotePath;
using test::RunCli;

TEST(CliNew, ThreeBackgrounds) {
    test::TempDir dir;
    ASSERT_EQ(RunCli("new --width 5 --height 3 " + QuotePath(dir.File("white.bmp"))).status, 0);
    ASSERT_EQ(RunCli("new --width 5 --height 3 --background colour --colour 102030 " + QuotePath(dir.File("c.bmp"))).status, 0);
    ASSERT_EQ(RunCli("new --width 4 --height 2 --background transparent " + QuotePath(dir.File("t.qvx"))).status, 0);
    NyZazo white, coloured;
    ASSERT_TRUE(white.Load(dir.File("white.bmp"), kFormatBmp));
    EXPECT_EQ(white.Width(), 5);
    EXPECT_EQ(white.Height(), 3);
    EXPECT_EQ(white.GetPixelColour(4, 2), MakeQuad(255, 255, 255));
    ASSERT_TRUE(coloured.Load(dir.File("c.bmp"), kFormatBmp));
    EXPECT_EQ(coloured.GetPixelColour(2, 1), MakeQuad(0x10, 0x20, 0x30));
    CVandDoc clear;
    ASSERT_TRUE(clear.OpenDocument(dir.File("t.qvx")));
    for (uint8_t a : clear.Layer(0).alpha) EXPECT_EQ(a, 0);

    EXPECT_EQ(RunCli("new --width 0 --height 3 " + QuotePath(dir.File("z.bmp"))).status, 2);
    EXPECT_EQ(RunCli("new --width 3 --height 3 --background plaid " + QuotePath(dir.File("z.bmp"))).status, 2);
    EXPECT_EQ(RunCli("new --width 3 --height 3 " + QuotePath(dir.File("z.pcx"))).status, 1);
    EXPECT_FALSE(std::filesystem::exists(dir.File("z.bmp")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("z.pcx")));
}

TEST(CliConvert, GoesThroughTheDocument) {
    test::TempDir dir;
    // A palette picture comes out at 24 bits, as a user's open and save would give.
    NyZazo p(7, 3, 4, kFormatBmp);
    p.SetPaletteColour(3, 200, 100, 50);
    p.SetPixelIndex(2, 1, 3);
    ASSERT_TRUE(p.Save(dir.File("pal.bmp"), kFormatBmp));
    ASSERT_EQ(RunCli("convert " + QuotePath(dir.File("pal.bmp")) + " " + QuotePath(dir.File("rgb.bmp"))).status, 0);
    NyZazo q;
    ASSERT_TRUE(q.Load(dir.File("rgb.bmp"), kFormatBmp));
    EXPECT_EQ(q.BitCount(), 24);
    EXPECT_EQ(q.GetPixelColour(2, 1), MakeQuad(200, 100, 50));
    // Through the native format and back.
    ASSERT_EQ(RunCli("convert " + QuotePath(dir.File("rgb.bmp")) + " " + QuotePath(dir.File("doc.qvx"))).status, 0);
    ASSERT_EQ(RunCli("convert " + QuotePath(dir.File("doc.qvx")) + " " + QuotePath(dir.File("back.bmp"))).status, 0);
    EXPECT_EQ(test::ReadFileBytes(dir.File("back.bmp")), test::ReadFileBytes(dir.File("rgb.bmp")));
    // The document's own messages reach the error stream.
    test::CliResult missing =
        RunCli("convert " + QuotePath(dir.File("none.bmp")) + " " + QuotePath(dir.File("x.bmp")), true);
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.out.find(texts::kCannotOpenFile), std::string::npos) << missing.out;
}

TEST(CliInfo, QvxLayersBottomFirst) {
    test::TempDir dir;
    CVandDoc doc;
    NewPictureSettings settings;
    settings.width = 6;
    settings.height = 4;
    ASSERT_TRUE(doc.NewDocument(settings));
    const int top = doc.InsertLayer(0);
    doc.SetLayerName(top, "글 \"따옴표\"");
    doc.Layer(top).blendMode = 3;
    doc.Layer(top).transparency = 9;
    doc.Layer(top).visible = 0;
    doc.Layer(top).x = -2;
    doc.Layer(top).y = 1;
    const int bottom = doc.InsertLayer(-1);  // slot 2 at the bottom
    ASSERT_TRUE(doc.SelectLayer(top));
    ASSERT_TRUE(doc.SaveDocument(dir.File("l.qvx")));
    test::CliResult r = RunCli("info " + QuotePath(dir.File("l.qvx")));
    ASSERT_EQ(r.status, 0) << r.out;
    const std::string expected =
        "{\"format\": 5, \"width\": 6, \"height\": 4, \"bitCount\": 24, \"clrUsed\": 0, \"dpiX\": 72, \"dpiY\": 72, "
        "\"frameIndex\": 0, \"frameCount\": 1, \"headLayer\": 2, \"currentLayer\": 1, \"layers\": ["
        "{\"slot\": 2, \"name\": \"레이어 2\", \"kind\": 0, \"blendMode\": 0, \"transparency\": 0, \"visible\": 1, "
        "\"x\": 0, \"y\": 0, \"width\": 6, \"height\": 4}, "
        "{\"slot\": 0, \"name\": \"배경영상\", \"kind\": 1, \"blendMode\": 0, \"transparency\": 0, \"visible\": 1, "
        "\"x\": 0, \"y\": 0, \"width\": 6, \"height\": 4}, "
        "{\"slot\": 1, \"name\": \"글 \\\"따옴표\\\"\", \"kind\": 0, \"blendMode\": 3, \"transparency\": 9, "
        "\"visible\": 0, \"x\": -2, \"y\": 1, \"width\": 6, \"height\": 4}]}\n";
    EXPECT_EQ(bottom, 2);
    EXPECT_EQ(r.out, expected);

    test::WriteFileBytes(dir.File("bad.qvx"), {'\n', '9', ' ', '0', ' ', '0'});
    test::CliResult bad = RunCli("info " + QuotePath(dir.File("bad.qvx")));
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.out.rfind("{\"lastError\": \"", 0), 0u) << bad.out;
}

TEST(DocumentCli, ConvertRefusesAPictureTooLargeForMemoryAtOnce) {
    test::TempDir dir;
    // A GIF header claiming 26762 x 24101 pixels, with a frame of that size and nothing else.
    std::vector<uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a', 0x8A, 0x68, 0x25, 0x5E, 0, 0, 0,
                                0x2C, 0, 0, 0, 0, 0x8A, 0x68, 0x25, 0x5E, 0, 2, 0, 0x3B};
    const std::string in = dir.File("claim.gif");
    ASSERT_TRUE(test::WriteFileBytes(in, gif));
    const test::CliResult r = RunCli("convert " + QuotePath(in) + " " + QuotePath(dir.File("out.bmp")), true);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("그림이 너무 커서 열 수 없습니다: 26762 × 24101"), std::string::npos) << r.out;
    EXPECT_FALSE(std::filesystem::exists(dir.File("out.bmp")));
}
