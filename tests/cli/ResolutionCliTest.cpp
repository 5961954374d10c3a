// quillory-cli keeps a picture's resolution through convert and reports it in info.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <string>

#include "core/FormatCodes.h"
#include "core/NyZazo.h"
#include "support/CliRunner.h"
#include "support/TestFiles.h"

using namespace quillory;
using test::QuotePath;
using test::RunCli;

namespace {

// The history files of this run go below a data directory of its own.
const std::string& kPrivateHome = test::UsePrivateHome();

}  // namespace

TEST(ResolutionCli, ConvertKeepsItAndInfoReportsIt) {
    test::TempDir dir;
    NyZazo picture(8, 6, 24, kFormatBmp);
    picture.SetDpiX(300);
    picture.SetDpiY(150);
    const std::string source = dir.File("a.bmp");
    ASSERT_TRUE(picture.Save(source, kFormatBmp));
    EXPECT_NE(RunCli("info " + QuotePath(source)).out.find("\"dpiX\": 300, \"dpiY\": 150"), std::string::npos);
    for (const char* target : {"b.bmp", "b.tif", "b.jpg", "b.qvx"}) {
        const std::string out = dir.File(target);
        ASSERT_EQ(RunCli("convert " + QuotePath(source) + " " + QuotePath(out)).status, 0) << target;
        const test::CliResult info = RunCli("info " + QuotePath(out));
        EXPECT_NE(info.out.find("\"dpiX\": 300, \"dpiY\": 150"), std::string::npos) << target << ": " << info.out;
    }
    // The native document carries it on to the next picture file.
    ASSERT_EQ(RunCli("convert " + QuotePath(dir.File("b.qvx")) + " " + QuotePath(dir.File("c.bmp"))).status, 0);
    EXPECT_NE(RunCli("info " + QuotePath(dir.File("c.bmp"))).out.find("\"dpiX\": 300, \"dpiY\": 150"),
              std::string::npos);
}
