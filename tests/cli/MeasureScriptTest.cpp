// quillory-cli run with the measuring verbs: a measurement scripted from start to
// files, and multi-focus over the documents of a run.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/CliRunner.h"
#include "support/TestFiles.h"

using namespace quillory;
using test::QuotePath;
using test::RunCli;
using test::WriteScript;

namespace {

// The history files of this run go below a data directory of its own.
const std::string& kPrivateHome = test::UsePrivateHome();

}  // namespace

TEST(CliMeasure, AScriptMeasuresSavesAndExports) {
    test::TempDir dir;
    const std::string sheet = dir.File("sheet.mzr"), book = dir.File("book.xlsx");
    const std::string script = WriteScript(
        dir, "new 200 150\n"
             "calibrate 100 0 50 um\n"
             "tool 3455\n"
             "press 10 20\n"
             "drag 30 20\n"
             "release 50 20\n"
             "tool 3462\n"
             "click 10 60\n"
             "click 60 60\n"
             "click 60 100\n"
             "tool 3475\n"
             "click 100 100 \"2 cells\"\n"
             "objects\n"
             "save \"" + sheet + "\"\n"
             "3485 folder=" + dir.path().string() + "\n"
             "3445 path=" + book + " folder=" + dir.path().string() + " open=0\n"
             "open \"" + sheet + "\"\n"
             "objects\n");
    const test::CliResult r = RunCli("run " + QuotePath(script));
    ASSERT_EQ(r.status, 0) << RunCli("run " + QuotePath(script), true).out;
    const std::string objects =
        "0 선분 length=20 area=0 angle=0 radius=0 points=2\n"
        "1 다각형 length=0 area=1000 angle=0 radius=0 points=3\n"
        "2 글자 length=0 area=0 angle=0 radius=0 points=3\n";
    EXPECT_EQ(r.out, objects + objects);
    const std::vector<uint8_t> text = test::ReadFileBytes(dir.File("MicroMeasure.txt"));
    EXPECT_EQ(std::string(text.begin(), text.end()),
              "\n 선분 20.00 0.00 0.00 0.00\n 다각형 0.00 1000.00 0.00 0.00\n 글자 0.00 0.00 0.00 0.00");
    EXPECT_TRUE(std::filesystem::exists(book));
    EXPECT_TRUE(std::filesystem::exists(dir.File("MicroExcel.jpg")));
}

TEST(CliMeasure, WrongMeasuringLinesStopTheScript) {
    test::TempDir dir;
    for (const char* line : {"press 5 5", "tool x", "click 500 5", "calibrate 1 2"}) {
        const std::string script = WriteScript(dir, std::string("new 20 20\n") + (line[0] == 'c' && line[1] == 'l'
                                                                                         ? "tool 3409\n"
                                                                                         : "") +
                                                        line + "\n");
        EXPECT_EQ(RunCli("run " + QuotePath(script)).status, 1) << line;
    }
}

TEST(CliMeasure, MultifocusComposesEveryDocumentOfTheRun) {
    test::TempDir dir;
    const std::string out = dir.File("sharp.bmp");
    const std::string script = WriteScript(dir, "new 64 64\nnew 64 64 colour 808080\nnew 32 32\nnew 64 64\n"
                                                "multifocus\nsave \"" + out + "\"\n");
    const test::CliResult r = RunCli("run " + QuotePath(script), true);
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("(32 x 32 x 24)"), std::string::npos) << r.out;
    EXPECT_TRUE(std::filesystem::exists(out));
}
