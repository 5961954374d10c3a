// quillory-cli run with the measuring verbs: a measurement scripted from start to
// files, and multi-focus over the documents of a run.
#include <gtest/gtest.h>

#include <filesystem>
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
        "1 다각형 length=0 area=1071 angle=0 radius=0 points=3\n"
        "2 글자 length=0 area=0 angle=0 radius=0 points=3\n";
    EXPECT_EQ(r.out, objects + objects);
    const std::vector<uint8_t> text = test::ReadFileBytes(dir.File("MicroMeasure.txt"));
    EXPECT_EQ(std::string(text.begin(), text.end()),
              "\n 선분 20.00 0.00 0.00 0.00\n 다각형 0.00 267.75 0.00 0.00\n 글자 0.00 0.00 0.00 0.00");
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

namespace {

// A white picture of the given depth with a black band across its bottom rows, so
// every palette it gets holds black and white. 32-bit pixels are opaque.
void WriteBandedPicture(const std::string& path, int bits) {
    const int w = 120, h = 90;
    NyZazo p(w, h, bits, kFormatBmp);
    if (bits <= 8) {
        for (int i = 0; i < (1 << bits); ++i) p.SetPaletteColour(i, 0, 0, 0);
        p.SetPaletteColour(1, 255, 255, 255);
        if (bits >= 4) p.SetPaletteColour(2, 0, 128, 255);
    }
    for (int storedY = 0; storedY < h; ++storedY)
        for (int x = 0; x < w; ++x) {
            const bool band = storedY < 6;
            if (bits <= 8) p.SetPixelIndex(x, storedY, band ? 0 : 1);
            else p.SetPixelColour(x, storedY, band ? RGBQUAD{0, 0, 0, 255} : RGBQUAD{255, 255, 255, 255});
        }
    ASSERT_TRUE(p.Save(path, kFormatBmp));
}

// Pixels of row y between x0 and x1 (inclusive) whose colour differs in the two pictures.
int ChangedAlong(const NyZazo& a, const NyZazo& b, int y, int x0, int x1) {
    int changed = 0;
    for (int x = x0; x <= x1; ++x) {
        const RGBQUAD p = a.GetPixelColour(x, a.Height() - 1 - y), q = b.GetPixelColour(x, b.Height() - 1 - y);
        changed += p.red != q.red || p.green != q.green || p.blue != q.blue;
    }
    return changed;
}

}  // namespace

TEST(CliMeasure, EveryDepthMeasuresAndKeepsItsObjectsInTheMeasurementFile) {
    const std::string objects =
        "0 점표시 length=0 area=0 angle=0 radius=0 points=1\n"
        "1 선분 length=4 area=0 angle=0 radius=0 points=2\n"
        "2 사각형 length=0 area=8 angle=0 radius=0 points=4\n"
        "3 다각형 length=0 area=231 angle=0 radius=0 points=4\n";
    for (const int bits : {1, 4, 8, 24, 32})
        for (const bool eightBitDocument : {false, true}) {
            SCOPED_TRACE(std::to_string(bits) + (eightBitDocument ? " bits, then 2016" : " bits"));
            test::TempDir dir;
            const std::string picture = dir.File("picture.bmp"), sheet = dir.File("sheet.mzr"),
                              flat = dir.File("flat.bmp"), original = dir.File("original.bmp"),
                              reopened = dir.File("reopened.bmp");
            WriteBandedPicture(picture, bits);
            const std::string script = WriteScript(
                dir, "open \"" + picture + "\"\n" + (eightBitDocument ? "2016\n" : "") +
                         "save \"" + original + "\"\n"
                         "calibrate 10 0 1 um\n"
                         "tool 3409\nclick 20 20\n"
                         "tool 3455\npress 10 40\nrelease 50 40\n"
                         "tool 3457\npress 60 10\nrelease 100 30\n"
                         "tool 3462\nclick 60 50\nclick 80 50\nclick 80 60\nclick 60 60\n"
                         "tool 3416\nobjects\n"
                         "save \"" + flat + "\"\n"
                         "save \"" + sheet + "\"\n"
                         "open \"" + sheet + "\"\nobjects\n"
                         "save \"" + reopened + "\"\n");
            const test::CliResult r = RunCli("run " + QuotePath(script), true);
            ASSERT_EQ(r.status, 0) << r.out;
            // No refusal on the error stream: the objects, measured and read back.
            EXPECT_EQ(r.out, objects + objects);
            // The segment and the rectangle's top edge are drawn into the picture.
            NyZazo before, after;
            ASSERT_TRUE(before.Load(original, kFormatBmp));
            ASSERT_TRUE(after.Load(flat, kFormatBmp));
            EXPECT_GE(ChangedAlong(before, after, 40, 15, 45), 31);
            EXPECT_GE(ChangedAlong(before, after, 10, 65, 95), 31);
            // The measurement file keeps the picture's colours away from the figures.
            NyZazo back;
            ASSERT_TRUE(back.Load(reopened, kFormatBmp));
            for (const int y : {70, 87})
                EXPECT_EQ(ChangedAlong(before, back, y, 0, 119), 0) << "row " << y;
        }
}

TEST(CliMeasure, MultifocusComposesEightBitDocumentsOfOneSize) {
    test::TempDir dir;
    const std::string plain = dir.File("plain.bmp"), checker = dir.File("checker.bmp"), out = dir.File("sharp.bmp");
    NyZazo flat(64, 64, 24, kFormatBmp), sharp(64, 64, 24, kFormatBmp);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            flat.SetPixelColour(x, y, RGBQUAD{128, 128, 128, 0});
            const uint8_t v = ((x / 4 + y / 4) % 2) ? 255 : 0;
            sharp.SetPixelColour(x, y, RGBQUAD{v, v, v, 0});
        }
    ASSERT_TRUE(flat.Save(plain, kFormatBmp));
    ASSERT_TRUE(sharp.Save(checker, kFormatBmp));
    // Both pictures become 8-bit documents; the composed picture takes their colours.
    const std::string script = WriteScript(dir, "open \"" + plain + "\"\n2016\nopen \"" + checker +
                                                    "\"\n2016\nmultifocus\nsave \"" + out + "\"\n");
    const test::CliResult r = RunCli("run " + QuotePath(script), true);
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out.find("제외"), std::string::npos) << r.out;
    NyZazo composed;
    ASSERT_TRUE(composed.Load(out, kFormatBmp));
    int differing = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const RGBQUAD a = composed.GetPixelColour(x, y), b = sharp.GetPixelColour(x, y);
            differing += a.red != b.red || a.green != b.green || a.blue != b.blue;
        }
    EXPECT_EQ(differing, 0);
}
