// The text export and the workbook export, the workbook read back by a second
// reader (Python's openpyxl, when it is installed).
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "core/AtomicFile.h"
#include "core/CoreTexts.h"
#include "core/NyZazo.h"
#include "measure/MeasureExport.h"
#include "measure/MeasureTestSupport.h"
#include "measure/MeasureTexts.h"
#include "support/HelperPrograms.h"
#include "support/TestFiles.h"

using namespace quillory;
using namespace quillory::test;

namespace {

constexpr const char* kPython = kPython3;

// The sheets, every cell of the table with its type, and where the pictures sit.
std::string DescribeWorkbook(const std::string& path) {
    const std::string script =
        "import sys, openpyxl\n"
        "wb = openpyxl.load_workbook(sys.argv[1])\n"
        "print('sheets', wb.sheetnames)\n"
        "ws = wb[wb.sheetnames[0]]\n"
        "for row in ws.iter_rows(min_row=1, max_row=ws.max_row, max_col=7, values_only=True):\n"
        "    print([(type(v).__name__, v) for v in row])\n"
        "for image in ws._images:\n"
        "    print('picture', image.anchor._from.col, image.anchor._from.row)\n";
    const std::string scriptPath = (std::filesystem::temp_directory_path() / "quillory-describe-workbook.py").string();
    WriteFileBytes(scriptPath, std::vector<uint8_t>(script.begin(), script.end()));
    return CommandOutput(std::string(kPython) + " " + scriptPath + " '" + path + "' 2>&1");
}

std::unique_ptr<CVandDoc> MeasuredPicture() {
    auto doc = MakePicture(120, 90);
    Calibrate(*doc, 10, 0, 1.0f);
    Drag(*doc, cmd::kToolMeasureSegment, {10, 10}, {40, 50});
    Click(*doc, cmd::kToolPointMark, {60, 60});
    Drag(*doc, cmd::kToolMeasureCircle, {80, 40}, {80, 60});
    return doc;
}

}  // namespace

TEST(MeasureExport, TheTextFileHasOneLinePerObject) {
    TextBlockPlatform platform;
    TempDir dir;
    auto doc = MeasuredPicture();
    ASSERT_TRUE(ExportMeasureText(*doc, dir.path().string()));
    const std::vector<uint8_t> bytes = ReadFileBytes(dir.File(mtexts::kMeasureTextFile));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()),
              "\n 선분 5.00 0.00 0.00 0.00"
              "\n 점표시 0.00 0.00 0.00 0.00"
              "\n 원 0.00 0.00 0.00 2.00");
    EXPECT_EQ(platform.messages.back(), std::string(mtexts::kMeasureTextSaved) + "\n" + dir.File(mtexts::kMeasureTextFile));

    // No objects: an empty file.
    auto empty = MakePicture(10, 10);
    ASSERT_TRUE(ExportMeasureText(*empty, dir.path().string()));
    EXPECT_TRUE(ReadFileBytes(dir.File(mtexts::kMeasureTextFile)).empty());
    EXPECT_FALSE(ExportMeasureText(*empty, dir.File("no-such-folder")));
}

TEST(MeasureExport, TheWorkbookHoldsTheTableAsNumbersAndThePictureAtF15) {
    TextBlockPlatform platform;
    TempDir dir;
    auto doc = MeasuredPicture();
    WorkbookExport options;
    options.workbookPath = dir.File("Micro.xlsx");
    options.pictureFolder = dir.path().string();
    options.sheetName = "측정";
    ASSERT_TRUE(ExportWorkbook(*doc, options));
    EXPECT_EQ(platform.openedFiles, std::vector<std::string>{options.workbookPath});
    // The picture of the document, as a JPEG file.
    NyZazo picture;
    ASSERT_TRUE(picture.Load(dir.File(mtexts::kWorkbookPicture), 0));
    EXPECT_EQ(picture.Width(), 120);
    EXPECT_EQ(picture.Height(), 90);
    // No temporary file is left beside the workbook.
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) files += entry.is_regular_file();
    EXPECT_EQ(files, 2);

    ASSERT_TRUE(HavePythonModules({"openpyxl"}));
    EXPECT_EQ(DescribeWorkbook(options.workbookPath),
              "sheets ['측정']\n"
              "[('NoneType', None), ('str', '항목'), ('str', '길이 (um)'), ('str', '면적 (um²)'), ('str', '각도'), "
              "('str', '반지름 (um)'), ('str', '지름 (um)')]\n"
              // Whole numbers read back as int: numbers, not texts, in every cell.
              "[('int', 0), ('str', '선분'), ('int', 5), ('int', 0), ('int', 0), ('int', 0), ('int', 0)]\n"
              "[('int', 1), ('str', '점표시'), ('int', 0), ('int', 0), ('int', 0), ('int', 0), ('int', 0)]\n"
              "[('int', 2), ('str', '원'), ('int', 0), ('int', 0), ('int', 0), ('int', 2), ('int', 4)]\n"
              "picture 5 14\n");
}

TEST(MeasureExport, AnExistingWorkbookIsReplacedOnlyWhenTheUserAgrees) {
    TextBlockPlatform platform;
    TempDir dir;
    auto doc = MeasuredPicture();
    WorkbookExport options;
    options.workbookPath = dir.File("Micro.xlsx");
    options.pictureFolder = dir.path().string();
    options.openAfterwards = false;
    WriteFileBytes(options.workbookPath, {'o', 'l', 'd'});
    platform.answers = {MessageAnswer::No};
    EXPECT_FALSE(ExportWorkbook(*doc, options));
    EXPECT_EQ(ReadFileBytes(options.workbookPath), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_NE(platform.messages.back().find("Micro.xlsx"), std::string::npos);
    platform.answers = {MessageAnswer::Yes};
    EXPECT_TRUE(ExportWorkbook(*doc, options));
    const std::vector<uint8_t> written = ReadFileBytes(options.workbookPath);
    ASSERT_GT(written.size(), 4u);
    EXPECT_EQ(std::string(written.begin(), written.begin() + 2), "PK");  // a zip container
    EXPECT_TRUE(platform.openedFiles.empty());

    // A sheet name the spreadsheet refuses writes nothing, and the message says which file and why.
    options.sheetName = "bad/name[]";
    options.askBeforeReplacing = false;
    EXPECT_FALSE(ExportWorkbook(*doc, options));
    EXPECT_EQ(ReadFileBytes(options.workbookPath), written);
    EXPECT_EQ(platform.messages.back(), FileFailureText(mtexts::kWorkbookWriteFailed,
                                                        options.workbookPath + ": " + mtexts::kSheetNameBadCharacter));
}

// Sheet names a spreadsheet cannot hold are refused before anything is written (a name
// that is not UTF-8 would make the workbook's XML unreadable); every other name is kept
// as it is, and the workbook reads back.
TEST(MeasureExport, SheetNamesTheSpreadsheetCannotHoldAreRefused) {
    TextBlockPlatform platform;
    TempDir dir;
    auto doc = MeasuredPicture();
    WorkbookExport options;
    options.workbookPath = dir.File("Micro.xlsx");
    options.pictureFolder = dir.path().string();
    options.askBeforeReplacing = false;
    options.openAfterwards = false;
    WriteFileBytes(options.workbookPath, {'o', 'l', 'd'});
    std::string hangul32;
    for (int i = 0; i < 32; ++i) hangul32 += "측";
    const std::pair<std::string, const char*> refused[] = {
        {"\xff\xfe", mtexts::kSheetNameNotUtf8},
        {"측정\xed\xa0\x80", mtexts::kSheetNameNotUtf8},  // an encoded surrogate
        {"abc\xc3", mtexts::kSheetNameNotUtf8},            // cut in the middle of a character
        {"\xc0\xaf", mtexts::kSheetNameNotUtf8},           // an overlong "/"
        {hangul32, mtexts::kSheetNameTooLong},
        {"a:b", mtexts::kSheetNameBadCharacter},
        {"a\\b", mtexts::kSheetNameBadCharacter},
        {"what?", mtexts::kSheetNameBadCharacter},
        {"*", mtexts::kSheetNameBadCharacter},
        {"[1]", mtexts::kSheetNameBadCharacter},
        {"tab\there", mtexts::kSheetNameBadCharacter},
        {"bell\x07", mtexts::kSheetNameBadCharacter},
        {"'quoted'", mtexts::kSheetNameApostrophe},
        {"end'", mtexts::kSheetNameApostrophe},
        {"history", mtexts::kSheetNameReserved},
    };
    for (const auto& [name, reason] : refused) {
        options.sheetName = name;
        platform.messages.clear();
        EXPECT_FALSE(ExportWorkbook(*doc, options)) << name;
        EXPECT_EQ(ReadFileBytes(options.workbookPath), (std::vector<uint8_t>{'o', 'l', 'd'})) << name;
        ASSERT_EQ(platform.messages.size(), 1u) << name;
        EXPECT_EQ(platform.messages[0],
                  FileFailureText(mtexts::kWorkbookWriteFailed, options.workbookPath + ": " + reason));
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File(mtexts::kWorkbookPicture)));

    const std::string hangul31 = hangul32.substr(0, hangul32.size() - std::string("측").size());
    const std::vector<std::string> kept = {"측정 결과", hangul31, "it's", "Histories", "\xf0\x9f\x93\x90 자"};
    std::string books, expected;
    for (size_t i = 0; i < kept.size(); ++i) {
        options.sheetName = kept[i];
        options.workbookPath = dir.File("kept" + std::to_string(i) + ".xlsx");
        ASSERT_TRUE(ExportWorkbook(*doc, options)) << kept[i];
        books += " '" + options.workbookPath + "'";
        // Python quotes a text with an apostrophe in double quotes.
        const char quote = kept[i].find('\'') == std::string::npos ? '\'' : '"';
        expected += "[" + (quote + kept[i] + quote) + "]\n";
    }
    ASSERT_TRUE(HavePythonModules({"openpyxl"}));
    EXPECT_EQ(CommandOutput(std::string(kPython) +
                  " -c 'import sys, openpyxl\nfor p in sys.argv[1:]: print(openpyxl.load_workbook(p).sheetnames)'" +
                  books + " 2>&1"),
              expected);
}

// A value no number cell can hold (a length calibrated so large that an area overflows)
// is refused with the object's row: a spreadsheet refuses a workbook with INF in it.
TEST(MeasureExport, ValuesNoNumberCellCanHoldAreRefused) {
    TextBlockPlatform platform;
    TempDir dir;
    auto doc = MakePicture(120, 90);
    Calibrate(*doc, 10, 0, 1.0f);
    Drag(*doc, cmd::kToolMeasureSegment, {10, 10}, {40, 50});
    Calibrate(*doc, 10, 0, 1e30f);
    Drag(*doc, cmd::kToolMeasureRectangle, {20, 20}, {80, 70});
    ASSERT_EQ(MeasureRows(FindMeasures(*doc)).size(), 2u);
    ASSERT_FALSE(std::isfinite(MeasureRows(FindMeasures(*doc))[1].area));
    WorkbookExport options;
    options.workbookPath = dir.File("Micro.xlsx");
    options.pictureFolder = dir.path().string();
    options.openAfterwards = false;
    std::string error;
    EXPECT_FALSE(ExportWorkbook(*doc, options, &error));
    EXPECT_FALSE(std::filesystem::exists(options.workbookPath));
    char row[256];
    std::snprintf(row, sizeof row, mtexts::kWorkbookValueNotFinite, 1);
    EXPECT_EQ(error, FileFailureText(mtexts::kWorkbookWriteFailed, options.workbookPath + ": " + row));
    EXPECT_EQ(platform.messages.back(), error);
}

// Each step that fails says which file and why.
TEST(MeasureExport, FailuresNameTheFileAndTheReason) {
    TextBlockPlatform platform;
    TempDir dir;
    auto doc = MeasuredPicture();
    // The text export into a folder that is not there.
    const std::string missing = dir.File("no-such-folder");
    std::string error;
    EXPECT_FALSE(ExportMeasureText(*doc, missing, &error));
    const std::string textFile = (std::filesystem::path(missing) / mtexts::kMeasureTextFile).string();
    EXPECT_EQ(error, FileFailureText(mtexts::kMeasureTextWriteFailed, textFile + ": " + texts::kReasonFolderMissing));
    // The caller shows it: the editor in a box, the command line on its error stream.
    EXPECT_TRUE(platform.messages.empty());

    // The workbook's picture, then the workbook itself.
    WorkbookExport options;
    options.workbookPath = dir.File("Micro.xlsx");
    options.pictureFolder = missing;
    options.openAfterwards = false;
    EXPECT_FALSE(ExportWorkbook(*doc, options, &error));
    const std::string picture = (std::filesystem::path(missing) / mtexts::kWorkbookPicture).string();
    EXPECT_EQ(error, FileFailureText(mtexts::kWorkbookPictureFailed, picture + ": " + texts::kReasonFolderMissing));
    EXPECT_EQ(platform.messages.back(), error);
    options.pictureFolder = dir.path().string();
    options.workbookPath = (std::filesystem::path(missing) / "Micro.xlsx").string();
    EXPECT_FALSE(ExportWorkbook(*doc, options, &error));
    EXPECT_EQ(error, FileFailureText(mtexts::kWorkbookWriteFailed,
                                     options.workbookPath + ": " + texts::kReasonFolderMissing));
    options.workbookPath.clear();
    EXPECT_FALSE(ExportWorkbook(*doc, options, &error));
    EXPECT_EQ(error, FileFailureText(mtexts::kWorkbookWriteFailed, mtexts::kWorkbookNoPath));
}

TEST(MeasureExport, AWorkbookWithoutObjectsHasOnlyTheHeaderRow) {
    TextBlockPlatform platform;
    TempDir dir;
    auto doc = MakePicture(40, 30);
    WorkbookExport options;
    options.workbookPath = dir.File("empty.xlsx");
    options.pictureFolder = dir.path().string();
    ASSERT_TRUE(ExportWorkbook(*doc, options));
    ASSERT_TRUE(HavePythonModules({"openpyxl"}));
    const std::string described = DescribeWorkbook(options.workbookPath);
    EXPECT_EQ(described.substr(0, described.find("picture")),
              "sheets ['Sheet1']\n"
              "[('NoneType', None), ('str', '항목'), ('str', '길이'), ('str', '면적'), ('str', '각도'), "
              "('str', '반지름'), ('str', '지름')]\n");
}

TEST(MeasureExport, APolygonGoesOutWithTheCalibratedAreaItsLabelShows) {
    TextBlockPlatform platform;
    TempDir dir;
    auto doc = MakePicture(200, 100);
    Calibrate(*doc, 10, 0, 1.0f);  // a pixel is 0.01 um²
    for (MeasurePoint p : {MeasurePoint{0, 0}, MeasurePoint{10, 0}, MeasurePoint{10, 10}, MeasurePoint{0, 10}})
        Click(*doc, cmd::kToolMeasurePolygon, p);
    ChooseMeasureTool(*doc, cmd::kToolMeasurePolygon, cmd::kToolMeasureSelect);
    ASSERT_EQ(FindMeasures(*doc)->ObjectCount(), 1);
    // The object keeps whole pixels: the outline and what it encloses.
    EXPECT_EQ(FindMeasures(*doc)->Object(0).area, 121.0f);
    EXPECT_EQ(platform.texts.back(), "1.21 um²");
    ASSERT_TRUE(ExportMeasureText(*doc, dir.path().string()));
    const std::vector<uint8_t> bytes = ReadFileBytes(dir.File(mtexts::kMeasureTextFile));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "\n 다각형 0.00 1.21 0.00 0.00");

    WorkbookExport options;
    options.workbookPath = dir.File("Micro.xlsx");
    options.pictureFolder = dir.path().string();
    options.openAfterwards = false;
    ASSERT_TRUE(ExportWorkbook(*doc, options));
    ASSERT_TRUE(HavePythonModules({"openpyxl"}));
    const std::string described = DescribeWorkbook(options.workbookPath);
    EXPECT_NE(described.find("('str', '면적 (um²)')"), std::string::npos) << described;
    EXPECT_NE(described.find("('float', 1.21)"), std::string::npos) << described;
}
