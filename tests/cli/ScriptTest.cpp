// quillory-cli run: scripts of document commands replayed by the real binary.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "support/CliRunner.h"
#include "support/TestFiles.h"

using namespace quillory;
using test::QuotePath;
using test::RunCli;
using test::WriteScript;

namespace {

// The history files of this run go below a data directory of its own, so runs side by side
// (the normal and the sanitizer build) never share one.
const std::string& kPrivateHome = test::UsePrivateHome();

// The layer list of a `layers` line as "slot name" rows, the current layer marked with " *".
std::string LayerRows(const std::string& json) {
    static const std::regex slot("\"slot\": (\\d+), \"name\": \"([^\"]*)\"");
    static const std::regex current("\"currentLayer\": (-?\\d+)");
    std::smatch m;
    std::string currentSlot;
    if (std::regex_search(json, m, current)) currentSlot = m[1];
    std::string rows;
    for (auto it = std::sregex_iterator(json.begin(), json.end(), slot); it != std::sregex_iterator(); ++it)
        rows += (*it)[1].str() + " " + (*it)[2].str() + ((*it)[1].str() == currentSlot ? " *" : "") + "\n";
    return rows;
}

// Every output line that is a JSON object turned into layer rows; other lines unchanged.
std::string Readable(const std::string& out) {
    std::istringstream in(out);
    std::string line, result;
    while (std::getline(in, line)) result += line.rfind('{', 0) == 0 ? LayerRows(line) : line + "\n";
    return result;
}

// The JSON without its format field, which names where the picture came from.
std::string WithoutFormat(const std::string& json) {
    return std::regex_replace(json, std::regex("\"format\": -?\\d+, "), "");
}

}  // namespace

TEST(CliScript, ReplaysEditsWithUndoRedoAndPrintsTheHistoryNewestFirst) {
    test::TempDir dir;
    const std::string out = dir.File("out.qvx");
    const std::string script = WriteScript(dir, "# three layers, one undone and redone\n"
                                                "new 9 5\n"
                                                "\n"
                                                "1552\n"
                                                "레이어추가\n"
                                                "history\n"
                                                "undo\n"
                                                "history\n"
                                                "redo\n"
                                                "1558 size=2 colour=ff0000\n"
                                                "layers\n"
                                                "history\n"
                                                "save \"" + out + "\"\n");
    const test::CliResult r = RunCli("run " + QuotePath(script), true);
    ASSERT_EQ(r.status, 0) << r.out;
    // "%3d %4s %13s" with an empty colour text; Hangul counts two columns.
    const std::string pad(9, ' ');
    const std::string add = pad + "레이어추가\n", opening = "  0" + pad + "(처음영상)\n";
    const std::string expected = "  2" + add + "  1" + add + opening +  //
                                 "  1" + add + opening +                 //
                                 "0 배경영상\n1 레이어 1\n2 레이어 2 *\n" +  //
                                 "  3      레이어효과(그림자)\n" + "  2" + add + "  1" + add + opening;
    EXPECT_EQ(Readable(r.out), expected);
    EXPECT_TRUE(std::filesystem::exists(out));
    // `layers` prints what info prints for the saved document.
    const size_t json = r.out.find('{');
    ASSERT_NE(json, std::string::npos);
    const std::string layers = r.out.substr(json, r.out.find('\n', json) - json + 1);
    const test::CliResult info = RunCli("info " + QuotePath(out));
    EXPECT_EQ(WithoutFormat(layers), WithoutFormat(info.out));
    EXPECT_NE(layers.find("\"headLayer\": 0, \"currentLayer\": 2, \"layers\": [{\"slot\": 0"), std::string::npos)
        << layers;
}

TEST(CliScript, UndoOfADeletionIsSavedWithTheLayerBack) {
    test::TempDir dir;
    const std::string out = dir.File("back.qvx");
    const std::string script = WriteScript(dir, "new 4 4 colour 00ff00\n1552\n1552\nselect 1\n1553\nlayers\nundo\n"
                                                "layers\nsave \"" + out + "\"\n");
    const test::CliResult r = RunCli("run " + QuotePath(script), true);
    ASSERT_EQ(r.status, 0) << r.out;
    // The layer that was current before the deletion becomes current again.
    EXPECT_EQ(Readable(r.out), "0 배경영상\n2 레이어 2 *\n0 배경영상\n1 레이어 1 *\n2 레이어 2\n");
    const test::CliResult info = RunCli("info " + QuotePath(out));
    EXPECT_NE(info.out.find("\"slot\": 1"), std::string::npos) << info.out;
}

TEST(CliScript, TheFirstFailingLineEndsTheRunWithItsNumber) {
    test::TempDir dir;
    struct Case {
        const char* script;
        const char* message;
    };
    const Case cases[] = {
        {"1552\n", "line 1: no document: start with new or open"},
        {"new 3 3\n# fine\nfrobnicate\n", "line 3: unknown command frobnicate"},
        {"new 3 3\n1557\n", "line 2: 아래쪽 레이어로  합치기 failed"},
        {"new 3 3\n1558 size\n", "line 2: parameter without key=value: size"},
        {"new 3 3\n\"레이어추가\n", "line 2: unclosed quote"},
        {"new 0 3\n", "line 1: usage: new W H [white|transparent|colour RRGGBB]"},
        {"open /nonexistent/a.bmp\n", "line 1: "},
        {"new 3 3\n1553\n", "레이어가 1개 밖에 없습니다\nline 2: 레이어삭제 failed"},
    };
    for (const Case& c : cases) {
        const test::CliResult r = RunCli("run " + QuotePath(WriteScript(dir, c.script)), true);
        EXPECT_EQ(r.status, 1) << c.script;
        EXPECT_NE(r.out.find(c.message), std::string::npos) << c.script << " gave " << r.out;
    }
    EXPECT_EQ(RunCli("run " + QuotePath(dir.File("missing.txt"))).status, 1);
    EXPECT_EQ(RunCli("run").status, 2);
}

TEST(CliScript, UndoAndRedoWithNothingToDoAreNoFailure) {
    test::TempDir dir;
    const test::CliResult r = RunCli("run " + QuotePath(WriteScript(dir, "new 2 2\nundo\nredo\nhistory\n")), true);
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out, "  0         (처음영상)\n");
}

TEST(CliScript, ReordersAndFlattensAreUndoneAndRedone) {
    test::TempDir dir;
    const std::string script = WriteScript(dir, "new 6 4\n1552\n1552\nreorder 0 2\nlayers\nundo\nlayers\nredo\n"
                                                "1500\nlayers\nundo\nlayers\nhistory\nreorder 2 9\n");
    const test::CliResult r = RunCli("run " + QuotePath(script), true);
    EXPECT_EQ(r.status, 1);
    const std::string reordered = "2 레이어 2 *\n1 레이어 1\n0 배경영상\n";
    const std::string pad(9, ' ');
    const std::string history = "  3      레이어 위치 이동\n" + ("  2" + pad + "레이어추가\n") + ("  1" + pad + "레이어추가\n") +
                                "  0" + pad + "(처음영상)\n";
    EXPECT_EQ(Readable(r.out), reordered + "0 배경영상\n1 레이어 1\n2 레이어 2 *\n" + "2 레이어 2 *\n" + reordered + history +
                         "line 14: cannot reorder layers 2 and 9\n");
}

TEST(CliScript, SetsALayersLookByNameOrId) {
    test::TempDir dir;
    const std::string out = dir.File("look.qvx");
    const std::string script = WriteScript(dir, "new 4 4\n1552\n혼합모드 mode=차이혼합\n3962 value=77\n"
                                                "보이기 layer=0 visible=0\nsave \"" + out + "\"\n");
    const test::CliResult r = RunCli("run " + QuotePath(script), true);
    ASSERT_EQ(r.status, 0) << r.out;
    const test::CliResult info = RunCli("info " + QuotePath(out));
    EXPECT_NE(info.out.find("\"blendMode\": 6, \"transparency\": 77, \"visible\": 1"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("\"blendMode\": 0, \"transparency\": 0, \"visible\": 0"), std::string::npos) << info.out;
    const std::string bad = WriteScript(dir, "new 4 4\n3962 value=300\n");
    const test::CliResult refused = RunCli("run " + QuotePath(bad), true);
    EXPECT_EQ(refused.status, 1);
}

TEST(CliScript, GeometryChannelAndSelectionCommandsTakeNamedParameters) {
    test::TempDir dir;
    const std::string out = dir.File("turned.bmp");
    const std::string script = WriteScript(dir, "new 40 30 colour 204060\n"
                                                "1431 width=50 height=50 unit=percent\n"
                                                "1432 width=30 height=20 anchor=0\n"
                                                "1491\n"
                                                "4250 x2=24 y2=34 x1=24 y3=34\n"
                                                "3327 x=1 y=1 tolerance=0\n"
                                                "1353 x0=0 y0=0 x1=10 y1=0 colours=1 shape=2\n"
                                                "1443 \"folder=" + dir.File("") + "\" number=7\n"
                                                "history\n"
                                                "save \"" + out + "\"\n");
    const test::CliResult r = RunCli("run " + QuotePath(script), true);
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("캔버스 90 우회전"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("자유변환"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("그라디언트"), std::string::npos) << r.out;
    EXPECT_TRUE(std::filesystem::exists(dir.File("Hue Channel 7 from 이름없음.bmp")));
    const test::CliResult info = RunCli("info " + QuotePath(out), true);
    // 20 × 15, canvas 30 × 20, turned to 20 × 30.
    EXPECT_NE(info.out.find("\"width\": 20"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("\"height\": 30"), std::string::npos) << info.out;

    const std::string bad = WriteScript(dir, "new 4 4\n1432 width=8 height=8 anchor=12\n");
    EXPECT_EQ(RunCli("run " + QuotePath(bad), true).status, 1);
}
