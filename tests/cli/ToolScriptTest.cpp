// quillory-cli run: tool strokes, selections and the clipboard replayed headless.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "core/FormatCodes.h"
#include "core/NyZazo.h"
#include "support/CliRunner.h"
#include "support/TestFiles.h"

using namespace quillory;
using test::QuotePath;
using test::RunCli;
using test::WriteScript;

namespace {

// The history files of this run go below a data directory of its own.
const std::string& kPrivateHome = test::UsePrivateHome();

RGBQUAD PixelOf(const std::string& path, int x, int y) {
    NyZazo picture;
    if (!picture.Load(path, kFormatBmp)) return RGBQUAD{1, 2, 3, 4};
    return picture.GetPixelColour(x, picture.Height() - 1 - y);
}

}  // namespace

TEST(CliTools, StrokesSelectionsAndPasteReplayFromAScript) {
    test::TempDir dir;
    const std::string out = dir.File("out.bmp");
    const std::string script = WriteScript(dir, "new 40 30\n"
                                                "tool 1347 size=1 foreground=ff0000\n"
                                                "press 2 2\n"
                                                "move 20 2\n"
                                                "release 20 2\n"
                                                "tool 1342\n"
                                                "press 10 10\n"
                                                "move 19 19\n"
                                                "release 19 19\n"
                                                "tool 1352 foreground=0000ff\n"
                                                "press 12 12\n"
                                                "release 12 12\n"
                                                "2058\n"
                                                "tool 2097\n"
                                                "press 15 15\n"
                                                "tool 1356\n"
                                                "press 0 29\n"
                                                "release 39 29\n"
                                                "history\n"
                                                "save \"" + out + "\"\n");
    const test::CliResult r = RunCli("run " + QuotePath(script), true);
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("붓그리기"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("채우기"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("선그리기"), std::string::npos) << r.out;
    const RGBQUAD stroke = PixelOf(out, 10, 2), filled = PixelOf(out, 15, 15), outside = PixelOf(out, 25, 15),
                  line = PixelOf(out, 20, 29);
    EXPECT_EQ(stroke.red, 255);
    EXPECT_EQ(stroke.blue, 0);
    EXPECT_EQ(filled.blue, 255);
    EXPECT_EQ(filled.red, 0);  // the fill stayed in the rectangle
    EXPECT_EQ(outside.blue, 255);
    EXPECT_EQ(outside.red, 255);
    EXPECT_EQ(line.blue, 255);
    EXPECT_EQ(line.red, 0);  // drawn with the picked colour
}

TEST(CliTools, BadToolLinesAreRefusedWithTheirLineNumber) {
    test::TempDir dir;
    for (const char* bad : {"tool 99999", "tool 1347 size=0", "press 5 5", "tool 1347\npress 50 5"}) {
        const std::string script = WriteScript(dir, "new 10 10\n" + std::string(bad) + "\n");
        const test::CliResult r = RunCli("run " + QuotePath(script), true);
        EXPECT_EQ(r.status, 1) << bad;
        EXPECT_NE(r.out.find("line "), std::string::npos) << r.out;
    }
}

TEST(CliTools, EachDragOfTheMoveToolIsAStepThatUndoesAlone) {
    test::TempDir dir;
    const std::string script = WriteScript(dir, "new 40 30\n"
                                                "1552\n"
                                                "tool 1347 size=1 foreground=ff0000\n"
                                                "press 2 2\n"
                                                "release 20 2\n"
                                                "tool 1570\n"
                                                "press 5 5\n"
                                                "move 10 8\n"
                                                "release 12 9\n"
                                                "layers\n"
                                                "history\n"
                                                "undo\n"
                                                "layers\n"
                                                "history\n");
    const test::CliResult r = RunCli("run " + QuotePath(script), true);
    ASSERT_EQ(r.status, 0) << r.out;
    const auto count = [&](const std::string& what) {
        int n = 0;
        for (size_t at = r.out.find(what); at != std::string::npos; at = r.out.find(what, at + 1)) ++n;
        return n;
    };
    // The drag moved the layer by (7, 4) and is one step; undo takes back the move
    // alone: the layer is in place again and the stroke before it stays.
    EXPECT_EQ(count("\"x\": 7, \"y\": 4"), 1) << r.out;
    EXPECT_EQ(count("전체영상 위치이동"), 1) << r.out;
    EXPECT_EQ(count("붓그리기"), 2) << r.out;
}
