#pragma once
// The measurement objects out of the program: the text file "MicroMeasure.txt"
// (one line "\n %s %.2f %.2f %.2f %.2f" per object: kind, length, area, angle,
// radius) and a spreadsheet workbook (.xlsx) with the table at A1 (a header row
// naming the unit, then per object its index, kind, length, area, angle, radius and
// diameter as numbers) and the picture "MicroExcel.jpg" placed at F15. Values are
// those the labels show, in the calibration's unit.
#include <memory>
#include <string>
#include <vector>

namespace quillory {

class CVandDoc;
class MeasureSet;
class NyZazo;

// One row of the exported table.
struct MeasureRow {
    int index = 0;
    std::string kind;
    double length = 0, area = 0, angle = 0, radius = 0, diameter = 0;
};
// The valid live objects in list order, numbered from 0, with calibrated values
// (a polygon's area and an ellipse's radii converted from pixels; -1 uncalibrated).
std::vector<MeasureRow> MeasureRows(const MeasureSet* objects);

// The text export's content.
std::string MeasureText(const std::vector<MeasureRow>& rows);
// Writes "MicroMeasure.txt" into `folder` and tells the user; false (with the
// reason in *error) when it cannot be written.
bool ExportMeasureText(const CVandDoc& document, const std::string& folder, std::string* error = nullptr);

struct WorkbookExport {
    std::string workbookPath;          // the .xlsx to write
    std::string sheetName = "Sheet1";  // the sheet that receives the table
    std::string pictureFolder;         // where "MicroExcel.jpg" is written
    bool askBeforeReplacing = true;    // an existing workbook is replaced only when the user agrees
    bool openAfterwards = true;        // with the desktop's default application
};

// The workbook's sheet names as the export writes them (the chosen sheet).
std::vector<std::string> WorkbookSheets(const WorkbookExport& options);
// Writes the picture and the workbook (never a half-written file: the workbook is
// made aside and renamed over the target), then opens it. False, with the reason
// in *error, when nothing was written (also when the user keeps an existing file).
bool ExportWorkbook(CVandDoc& document, const WorkbookExport& options, std::string* error = nullptr);

// The visible layers flattened into a 24-bit picture of the document's size.
std::unique_ptr<NyZazo> FlatPictureOf(const CVandDoc& document);

}  // namespace quillory
