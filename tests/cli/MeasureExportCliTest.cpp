// quillory-cli run with hostile calibrations, failing measurement saves and exports,
// and an export killed half-way: what is refused, what the error stream names, and
// what is left on disk. Workbooks that are written are read back by openpyxl.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/AtomicFile.h"
#include "core/CoreTexts.h"
#include "core/FormatCodes.h"
#include "core/NyZazo.h"
#include "measure/MeasureTexts.h"
#include "support/CliRunner.h"
#include "support/HelperPrograms.h"
#include "support/TestFiles.h"

using namespace quillory;
using test::QuotePath;
using test::RunCli;
using test::WriteScript;
namespace fs = std::filesystem;

namespace {

const std::string& kPrivateHome = test::UsePrivateHome();

constexpr const char* kPython = test::kPython3;

// "numbers N" when openpyxl reads the workbook and every value cell of its N object
// rows is a finite number; else what went wrong.
std::string CheckNumbers(const std::string& path) {
    const std::string script =
        "import sys, math, openpyxl\n"
        "ws = openpyxl.load_workbook(sys.argv[1]).worksheets[0]\n"
        "rows = list(ws.iter_rows(min_row=2, max_col=7, values_only=True))\n"
        "bad = [r for r in rows if not all(isinstance(v, (int, float)) and math.isfinite(v) for v in r[2:7])]\n"
        "print('numbers', len(rows)) if not bad else print('not numbers', bad)\n";
    const std::string scriptPath = (fs::temp_directory_path() / "quillory-workbook-numbers.py").string();
    test::WriteFileBytes(scriptPath, std::vector<uint8_t>(script.begin(), script.end()));
    return test::CommandOutput(std::string(kPython) + " " + scriptPath + " '" + path + "' 2>&1");
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The run under a file size limit of `kilobytes` (a full disk for every file it writes).
test::CliResult RunLimited(const std::string& script, int kilobytes) {
    // sh counts the limit in blocks of 512 bytes; SIGXFSZ is ignored, so writes fail with EFBIG.
    const std::string command = "trap '' XFSZ; ulimit -f " + std::to_string(kilobytes * 2) + "; exec " +
                                std::string(QUILLORY_CLI_PATH) + " run " + QuotePath(script) + " 2>&1";
    test::CliResult r;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return r;
    std::array<char, 4096> buffer{};
    size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) r.out.append(buffer.data(), n);
    const int status = pclose(pipe);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

}  // namespace

// A length that is no finite number above 0 (or becomes none as a float) and a vector
// part beyond kMaxReferencePixels are refused with a message naming the value.
TEST(CliMeasureExport, HostileCalibrationsAreRefused) {
    test::TempDir dir;
    struct Case {
        const char* line;
        const char* value;
        const char* text;
    };
    const Case cases[] = {
        {"calibrate 10 0 inf", "inf", mtexts::kBadReferenceLength},
        {"calibrate 10 0 -inf", "-inf", mtexts::kBadReferenceLength},
        {"calibrate 10 0 nan", "nan", mtexts::kBadReferenceLength},
        {"calibrate 10 0 -2.5", "-2.5", mtexts::kBadReferenceLength},
        {"calibrate 10 0 0", "0", mtexts::kBadReferenceLength},
        {"calibrate 10 0 1e39", "1e39", mtexts::kBadReferenceLength},
        {"calibrate 10 0 1e-50", "1e-50", mtexts::kBadReferenceLength},
        {"calibrate 10 0 12mm", "12mm", mtexts::kBadReferenceLength},
        {"calibrate 3000000000 0 5", "3000000000", mtexts::kBadReferenceVector},
        {"calibrate 10 -1000000001 5", "-1000000001", mtexts::kBadReferenceVector},
        {"calibrate 10 x 5", "x", mtexts::kBadReferenceVector},
    };
    for (const Case& c : cases) {
        const std::string script = WriteScript(dir, std::string("new 40 30\n") + c.line + "\n");
        const test::CliResult r = RunCli("run " + QuotePath(script), true);
        EXPECT_EQ(r.status, 1) << c.line << "\n" << r.out;
        char message[512];
        std::snprintf(message, sizeof message, c.text, c.value);
        EXPECT_TRUE(Contains(r.out, message)) << c.line << "\n" << r.out;
    }
    // The edges that stay: the largest float length, the largest vector, a zero vector.
    for (const char* line : {"calibrate 10 0 3.4e38", "calibrate 1000000000 -1000000000 1e-30", "calibrate 0 0 1"}) {
        const std::string script = WriteScript(dir, std::string("new 40 30\n") + line + "\n");
        const test::CliResult r = RunCli("run " + QuotePath(script), true);
        EXPECT_EQ(r.status, 0) << line << "\n" << r.out;
    }
}

// After hostile calibrations the workbook is either refused or readable: numbers in
// every value cell, never INF or NAN. A length of 1e30 is a float, but the areas it
// gives are not: the export refuses them.
TEST(CliMeasureExport, AWorkbookIsReadableOrRefused) {
    test::TempDir dir;
    const std::string book = dir.File("book.xlsx");
    for (const std::string length : {"inf", "nan", "-4", "1e39", "1e30", "2.5"}) {
        fs::remove(book);
        const std::string script = WriteScript(
            dir, "new 120 90\ncalibrate 10 0 2.5\n3484 dx=10 dy=0 length=" + length +
                     "\ntool 3457\npress 20 20\ndrag 50 40\nrelease 80 70\n"
                     "tool 3455\npress 10 10\ndrag 20 20\nrelease 40 50\n"
                     "3445 path=" + book + " folder=" + dir.path().string() + " replace=1 open=0\n");
        const test::CliResult r = RunCli("run " + QuotePath(script), true);
        if (length == "2.5") {
            EXPECT_EQ(r.status, 0) << r.out;
            ASSERT_TRUE(fs::exists(book));
        } else {
            EXPECT_EQ(r.status, 1) << length << "\n" << r.out;
            EXPECT_TRUE(Contains(r.out, length == "1e30" ? "0번 항목의 값이" : "측정기준 길이")) << r.out;
        }
        if (fs::exists(book)) {
            ASSERT_TRUE(test::HavePythonModules({"openpyxl"}));
            EXPECT_EQ(CheckNumbers(book), "numbers 2\n") << length;
        }
    }
}

// Each failure names the file and the reason on the error stream.
TEST(CliMeasureExport, FailuresNameTheFileAndTheReason) {
    test::TempDir dir;
    const std::string missing = dir.File("no-such-folder");
    const std::string measure = "new 60 40\ncalibrate 10 0 1\ntool 3455\npress 5 5\ndrag 10 10\nrelease 30 20\n";

    // The text export into a missing folder.
    std::string script = WriteScript(dir, measure + "3485 folder=" + missing + "\n");
    test::CliResult r = RunCli("run " + QuotePath(script), true);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(Contains(r.out, FileFailureText(mtexts::kMeasureTextWriteFailed,
                                                (fs::path(missing) / mtexts::kMeasureTextFile).string() + ": " +
                                                    texts::kReasonFolderMissing)))
        << r.out;

    // The workbook's picture into a missing folder.
    const std::string book = dir.File("book.xlsx");
    script = WriteScript(dir, measure + "3445 path=" + book + " folder=" + missing + " open=0\n");
    r = RunCli("run " + QuotePath(script), true);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(Contains(r.out, FileFailureText(mtexts::kWorkbookPictureFailed,
                                                (fs::path(missing) / mtexts::kWorkbookPicture).string() + ": " +
                                                    texts::kReasonFolderMissing)))
        << r.out;
    EXPECT_FALSE(fs::exists(book));

    // A full disk: the measurement document (50 KB of planes) and the workbook (made
    // aside, several KB) fail; the picture of a white page (about 1 KB) still fits.
    const std::string sheet = dir.File("sheet.mzr");
    script = WriteScript(dir, measure + "save \"" + sheet + "\"\n");
    r = RunLimited(script, 16);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(Contains(r.out, FileFailureText(mtexts::kMeasureFileWriteFailed,
                                                sheet + ": " + texts::kReasonFileTooLarge)))
        << r.out;
    EXPECT_FALSE(fs::exists(sheet));

    script = WriteScript(dir, "new 16 16\ncalibrate 10 0 1\ntool 3409\nclick 5 5\n3445 path=" + book +
                                  " folder=" + dir.path().string() + " open=0\n");
    r = RunLimited(script, 3);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(Contains(r.out, mtexts::kWorkbookWriteFailed)) << r.out;
    EXPECT_TRUE(Contains(r.out, "quillory-workbook-")) << r.out;
    EXPECT_TRUE(Contains(r.out, texts::kReasonFileTooLarge)) << r.out;
    EXPECT_FALSE(fs::exists(book));
}

// The export makes the workbook in the process's own temporary folder: killed half-way,
// it leaves its scratch file there (never in the system's temporary folder), and the
// next start removes it with the folder.
TEST(CliMeasureExport, AKilledExportLeavesNoScratchFileBehind) {
    test::TempDir dir;
    const std::string home = dir.File("home"), system = dir.File("system-tmp");
    fs::create_directories(home);
    fs::create_directories(system);
    // A noisy picture makes a JPEG of some megabytes, which the workbook packs for a while.
    NyZazo noise(1400, 1400, 24, kFormatBmp);
    uint32_t seed = 99;
    for (uint32_t i = 0; i < noise.header.biSizeImage; ++i) {
        seed = seed * 1103515245u + 12345u;
        noise.bits[i] = uint8_t(seed >> 16);
    }
    const std::string picture = dir.File("noise.bmp");
    ASSERT_TRUE(noise.Save(picture, kFormatBmp));
    const std::string book = dir.File("book.xlsx");
    const std::string script =
        WriteScript(dir, "open \"" + picture + "\"\ncalibrate 10 0 1\ntool 3409\nclick 5 5\n3445 path=" + book +
                             " folder=" + dir.path().string() + " replace=1 open=0\n");

    auto scratchFiles = [&] {
        std::vector<fs::path> found;
        for (const std::string& root : {home, system}) {
            std::error_code ec;
            for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
                 it.increment(ec))
                if (it->path().filename().string().rfind("quillory-workbook-", 0) == 0) found.push_back(it->path());
        }
        return found;
    };
    auto start = [&](const std::string& path) {
        const pid_t child = ::fork();
        if (child == 0) {
            ::setenv("QUILLORY_HOME", home.c_str(), 1);
            ::setenv("TMPDIR", system.c_str(), 1);
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, 1);
            ::dup2(null, 2);
            ::execl(QUILLORY_CLI_PATH, "quillory-cli", "run", path.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        return child;
    };

    std::vector<fs::path> left;
    for (int attempt = 0; attempt < 5 && left.empty(); ++attempt) {
        const pid_t child = start(script);
        ASSERT_GT(child, 0);
        int status = 0;
        while (::waitpid(child, &status, WNOHANG) == 0) {
            if (!scratchFiles().empty()) {
                ::kill(child, SIGKILL);
                ::waitpid(child, &status, 0);
                left = scratchFiles();
                break;
            }
            ::usleep(200);
        }
    }
    ASSERT_FALSE(left.empty()) << "the export never showed its scratch file";
    for (const fs::path& path : left) {
        EXPECT_EQ(path.string().rfind(system, 0), std::string::npos) << path;
        EXPECT_EQ(path.string().rfind(home + "/tmp/", 0), 0u) << path;
    }

    // The next start clears what the killed process left.
    const std::string small = WriteScript(dir, "new 10 10\ntool 3409\nclick 5 5\n3445 path=" + book + " folder=" +
                                                   dir.path().string() + " replace=1 open=0\n",
                                          "small.txt");
    const pid_t next = start(small);
    int status = 0;
    ASSERT_EQ(::waitpid(next, &status, 0), next);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_TRUE(scratchFiles().empty());
    for (const fs::path& path : left) EXPECT_FALSE(fs::exists(path)) << path;
}
