// Values and keys of script lines: a value that is no number, or one beyond what any
// coordinate can be, and a key the command does not take stop the script at that
// line, naming the key, before anything is saved. Every script the line fuzzer kept
// runs to a status, never to a crash.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/CliRunner.h"
#include "support/TestFiles.h"

using namespace quillory;
using test::QuotePath;
using test::RunCli;
using test::WriteScript;

namespace {

const std::string& kPrivateHome = test::UsePrivateHome();

struct RefusedLine {
    const char* line;
    const char* key;  // the key the message must name
};

const RefusedLine kRefused[] = {
    {"1450 brightness=abc", "brightness"},
    {"1450 brightness=2O", "brightness"},
    {"1450 brightness=", "brightness"},
    {"1450 brightness=12345678901234567890", "brightness"},
    {"1450 brightness=20 contrast=-0x10", "contrast"},
    {"1450 brightness=+20", "brightness"},
    {"1450 brigthness=200", "brigthness"},
    {"명도·대비 brightness=20 colour=ff0000", "colour"},
    {"1415 angle=nan", "angle"},
    {"1415 angle=inf", "angle"},
    {"1415 angle=-infinity", "angle"},
    {"1415 angle=abc", "angle"},
    {"1415 angle=1e400", "angle"},
    {"1431 width=20 height=10 unit=furlong", "unit"},
    {"1431 width=20 height=10 units=percent", "units"},
    {"1432 width=80 height=60 anchor=middle", "anchor"},
    {"1453 size=four", "size"},
    {"1453 size=4 p1=5", "p1"},
    {"3962 value=77 layer=zero", "layer"},
    {"3327 x=1 y=1 mode=sideways", "mode"},
    {"3327 colour=ff00 tolerance=5", "colour"},
    {"1083 text=hi x=-2147483648 y=-2147483648 size=10", "x"},
    {"1083 text=hi x=5 y=5 size=10 colour=red", "colour"},
    {"1083 text=hi x=5 y=5 size=10 style=Wobbly", "style"},
    {"1353 x0=-2147483648 y0=0 x1=10 y1=10", "x0"},
    {"1353 x0=0 y0=0 x1=10 y1=10 background=fffff", "background"},
    {"1406 left=20 top=10 right=219 bottom=149 width=3", "width"},
    {"4252 x0=40 x1=3000000000", "x1"},
    {"calibrate 10 0 abc", "abc"},
    {"calibrate 10 0 nan um", "nan"},
    {"calibrate 1e3 0 5", "1e3"},
};

}  // namespace

TEST(CliScriptValues, ALineWithABadValueOrAStrangeKeyIsRefusedByNameAndNothingIsSaved) {
    test::TempDir dir;
    for (const RefusedLine& refused : kRefused) {
        const std::string out = dir.File("out.bmp");
        std::filesystem::remove(out);
        const std::string script =
            WriteScript(dir, "new 40 30\n" + std::string(refused.line) + "\nsave " + out + "\n");
        const test::CliResult r = RunCli("run " + QuotePath(script), true);
        EXPECT_EQ(r.status, 1) << refused.line << "\n" << r.out;
        // A message the command showed may come first; the refusal is the last line.
        const size_t at = r.out.rfind("line 2: ");
        ASSERT_NE(at, std::string::npos) << refused.line << "\n" << r.out;
        EXPECT_NE(r.out.find(refused.key, at), std::string::npos) << refused.line << "\n" << r.out;
        EXPECT_FALSE(std::filesystem::exists(out)) << refused.line;
    }
}

TEST(CliScriptValues, FarCoordinatesWithinTheRangeRunAndSave) {
    test::TempDir dir;
    for (const char* line : {"1083 text=hi x=-1000000000 y=-1000000000 size=10",
                             "1083 text=hi x=1000000000 y=1000000000 size=10",
                             "1083 text=hi x=-30 y=-12 size=10",
                             "1353 x0=-1000000000 y0=-1000000000 x1=1000000000 y1=1000000000",
                             "1353 x0=1000000000 y0=5 x1=-1000000000 y1=6 shape=2",
                             "1415 angle=12.5",
                             "1431 width=50 height=50 unit=percent"}) {
        const std::string out = dir.File("far.bmp");
        std::filesystem::remove(out);
        const std::string script = WriteScript(dir, "new 40 30\n" + std::string(line) + "\nsave " + out + "\n");
        const test::CliResult r = RunCli("run " + QuotePath(script), true);
        EXPECT_EQ(r.status, 0) << line << "\n" << r.out;
        EXPECT_TRUE(std::filesystem::exists(out)) << line;
    }
}

TEST(CliScriptValues, InfoWithAFrameThatIsNoNumberIsAWrongArgument) {
    test::TempDir dir;
    const std::string picture = dir.File("p.bmp");
    ASSERT_EQ(RunCli("new --width 4 --height 3 " + QuotePath(picture)).status, 0);
    for (const char* frame : {"abc", "-1", "1x", "", "99999999999"}) {
        const test::CliResult r = RunCli("info " + QuotePath(picture) + " --frame '" + frame + "'", true);
        EXPECT_EQ(r.status, 2) << "--frame '" << frame << "'\n" << r.out;
    }
    EXPECT_EQ(RunCli("info " + QuotePath(picture) + " --frame").status, 2);
    EXPECT_EQ(RunCli("info " + QuotePath(picture) + " --frame 0").status, 0);
}

TEST(CliScriptValues, EveryKeptFuzzScriptEndsWithAStatus) {
    const std::filesystem::path seeds = std::filesystem::path(QUILLORY_SOURCE_DIR) / "fuzz" / "seeds" / "script";
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(seeds)) {
        ++files;
        const test::CliResult r = RunCli("run " + QuotePath(entry.path().string()));
        EXPECT_TRUE(r.status == 0 || r.status == 1) << entry.path() << " ended with " << r.status;
    }
    EXPECT_GE(files, 3);
}
