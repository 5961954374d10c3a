// quillory-cli with PNG and WebP files and the save options of convert.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/FormatCodes.h"
#include "core/NyZazo.h"
#include "support/CliRunner.h"
#include "support/PictureCompare.h"
#include "support/TestFiles.h"

using namespace quillory;

using test::QuotePath;
using test::RunCli;

namespace {

size_t FileSize(const std::string& path) { return test::ReadFileBytes(path).size(); }

}  // namespace

TEST(CliSaveOptions, ConvertTakesTheOptionsOfTheOutputsFormat) {
    test::TempDir dir;
    NyZazo picture;
    test::PatternPicture(picture, 80, 60, 24);
    picture.SetDpiX(200);
    picture.SetDpiY(200);
    const std::string in = dir.File("in.bmp");
    ASSERT_TRUE(picture.Save(in, kFormatBmp));

    ASSERT_EQ(RunCli("convert " + QuotePath(in) + " " + QuotePath(dir.File("a.png"))).status, 0);
    NyZazo png;
    ASSERT_TRUE(png.Load(dir.File("a.png"), kFormatPng));
    test::SamePicture(picture, png);
    test::CliResult info = RunCli("info " + QuotePath(dir.File("a.png")));
    EXPECT_NE(info.out.find("\"format\": 9"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("\"dpiX\": 200"), std::string::npos) << info.out;

    ASSERT_EQ(RunCli("convert " + QuotePath(in) + " " + QuotePath(dir.File("q30.jpg")) + " --quality 30").status, 0);
    ASSERT_EQ(RunCli("convert " + QuotePath(in) + " " + QuotePath(dir.File("q100.jpg"))).status, 0);
    EXPECT_LT(FileSize(dir.File("q30.jpg")), FileSize(dir.File("q100.jpg")));

    ASSERT_EQ(RunCli("convert --compression lzw " + QuotePath(in) + " " + QuotePath(dir.File("lzw.tif"))).status, 0);
    NyZazo tiff;
    ASSERT_TRUE(tiff.Load(dir.File("lzw.tif"), kFormatTiff));
    test::SamePicture(picture, tiff);  // LZW is lossless where the default JPEG is not

    ASSERT_EQ(RunCli("convert " + QuotePath(in) + " " + QuotePath(dir.File("exact.webp")) + " --lossless").status, 0);
    NyZazo webp;
    ASSERT_TRUE(webp.Load(dir.File("exact.webp"), kFormatWebp));
    test::SamePicture(picture, webp);
    test::CliResult webpInfo = RunCli("info " + QuotePath(dir.File("exact.webp")));
    EXPECT_NE(webpInfo.out.find("\"format\": 10"), std::string::npos) << webpInfo.out;
}

TEST(CliSaveOptions, OptionsThatDoNotFitTheFormatAreRefused) {
    test::TempDir dir;
    NyZazo picture(8, 8, 24, kFormatBmp);
    const std::string in = dir.File("in.bmp");
    ASSERT_TRUE(picture.Save(in, kFormatBmp));
    struct Case {
        std::string args, text;
    };
    for (const Case& c : {Case{"out.bmp --quality 50", "--quality is for JPEG and WebP"},
                          Case{"out.jpg --quality 0", "from 1 to 100"},
                          Case{"out.tif --compression zip", "default, lzw, deflate or none"},
                          Case{"out.png --compression 10", "level from 0 to 9"},
                          Case{"out.gif --compression 5", "--compression is for TIFF and PNG"},
                          Case{"out.png --lossless", "--lossless is for WebP"}}) {
        SCOPED_TRACE(c.args);
        test::CliResult r = RunCli("convert " + QuotePath(in) + " " + dir.File(c.args), true);
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.out.find(c.text), std::string::npos) << r.out;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("out.png")));
}
