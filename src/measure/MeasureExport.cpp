#include "measure/MeasureExport.h"

#include <xlsxwriter.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

#include "core/AtomicFile.h"
#include "core/FormatCodes.h"
#include "core/NyZazo.h"
#include "core/Platform.h"
#include "document/CVandDoc.h"
#include "document/Compositor.h"
#include "measure/MeasureSet.h"
#include "measure/MeasureTexts.h"

namespace quillory {

namespace {

bool Fail(std::string* error, const std::string& text) {
    if (error) *error = text;
    return false;
}

std::string Format(const char* format, const std::string& value) {
    char buffer[1024];
    std::snprintf(buffer, sizeof buffer, format, value.c_str());
    return buffer;
}

// A private file in the system's temporary folder, removed with the object.
class ScratchFile {
public:
    ScratchFile() {
        std::error_code ec;
        std::string pattern = (std::filesystem::temp_directory_path(ec) / "quillory-workbook-XXXXXX").string();
        const int fd = mkstemp(pattern.data());
        if (fd >= 0) {
            close(fd);
            m_path = pattern;
        }
    }
    ~ScratchFile() {
        if (!m_path.empty()) std::remove(m_path.c_str());
    }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

std::string Header(const char* format, const char* name, const std::string& unit) {
    if (unit.empty()) return name;
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, format, name, unit.c_str());
    return buffer;
}

bool WriteWorkbookFile(const std::string& path, const std::string& sheetName, const std::string& picture,
                       const std::vector<MeasureRow>& rows, const std::string& unit) {
    lxw_workbook* workbook = workbook_new(path.c_str());
    if (!workbook) return false;
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, sheetName.c_str());
    if (!sheet) {
        workbook_close(workbook);
        return false;
    }
    lxw_format* number = workbook_add_format(workbook);
    format_set_num_format(number, "0.00");
    // The values are in the calibration's unit, which the headers name.
    const std::string headers[7] = {"",
                                    mtexts::kHeaderKind,
                                    Header(mtexts::kHeaderWithUnit, mtexts::kHeaderLength, unit),
                                    Header(mtexts::kHeaderWithSquareUnit, mtexts::kHeaderArea, unit),
                                    mtexts::kHeaderAngle,
                                    Header(mtexts::kHeaderWithUnit, mtexts::kHeaderRadius, unit),
                                    Header(mtexts::kHeaderWithUnit, mtexts::kHeaderDiameter, unit)};
    for (lxw_col_t column = 1; column < 7; ++column)
        worksheet_write_string(sheet, 0, column, headers[column].c_str(), nullptr);
    lxw_row_t row = 1;
    for (const MeasureRow& r : rows) {
        // Numbers stay numbers, so the sheet can compute with them.
        worksheet_write_number(sheet, row, 0, r.index, nullptr);
        worksheet_write_string(sheet, row, 1, r.kind.c_str(), nullptr);
        const double values[5] = {r.length, r.area, r.angle, r.radius, r.diameter};
        for (lxw_col_t column = 0; column < 5; ++column) worksheet_write_number(sheet, row, 2 + column, values[column], number);
        ++row;
    }
    // The picture sits at F15.
    if (!picture.empty()) worksheet_insert_image(sheet, 14, 5, picture.c_str());
    return workbook_close(workbook) == LXW_NO_ERROR;
}

}  // namespace

std::vector<MeasureRow> MeasureRows(const MeasureSet* objects) {
    std::vector<MeasureRow> rows;
    if (!objects) return rows;
    const Calibration calibration(objects->Settings());
    const int w = objects->PictureWidth(), h = objects->PictureHeight();
    for (int i = 0; i < objects->ObjectCount(); ++i) {
        const MeasureObject& o = objects->Object(i);
        if (!o.valid) continue;
        MeasureRow row{int(rows.size()), o.kind, o.length, o.area, o.angle, o.radius, o.diameter};
        // The values the labels show: a polygon keeps whole pixels and an ellipse its
        // radii in pixels, so both are converted here.
        if (o.Kind() == MeasureKind::Polygon) {
            const double whole = calibration.UnitImageArea(w, h);
            row.area = whole < 0 || w <= 0 || h <= 0 ? -1 : whole * double(o.area) / (double(w) * double(h));
        } else if (o.Kind() == MeasureKind::Ellipse && o.points.size() >= 3) {
            const MeasurePoint c = o.points[0], a = o.points[1], b = o.points[2];
            row.diameter = calibration.UnitLength(c.x, c.y, a.x, a.y);
            row.radius = calibration.UnitLength(c.x, c.y, b.x, b.y);
        }
        rows.push_back(row);
    }
    return rows;
}

std::string MeasureText(const std::vector<MeasureRow>& rows) {
    std::string text;
    char line[512];
    for (const MeasureRow& r : rows) {
        std::snprintf(line, sizeof line, mtexts::kMeasureTextLine, r.kind.c_str(), r.length, r.area, r.angle, r.radius);
        text += line;
    }
    return text;
}

bool ExportMeasureText(const CVandDoc& document, const std::string& folder, std::string* error) {
    const std::string path = (std::filesystem::path(folder) / mtexts::kMeasureTextFile).string();
    std::string failure;
    if (!WriteFileAtomically(path, MeasureText(MeasureRows(FindMeasures(document))), &failure))
        return Fail(error, FileFailureText(mtexts::kMeasureFileWriteFailed, failure));
    CurrentPlatform().ShowMessage(mtexts::kMeasureTextSaved, MessageKind::Information);
    return true;
}

std::unique_ptr<NyZazo> FlatPictureOf(const CVandDoc& document) {
    std::vector<uint32_t> flat;
    if (!document.FlattenForSaving(flat)) return nullptr;
    DocumentHeader header;
    header.width = document.Header().width;
    header.height = document.Header().height;
    header.bitsPerPixel = 24;
    header.imageSize = int32_t(header.Stride() * header.height);
    header.pixelCount = header.width * header.height;
    auto picture = std::make_unique<NyZazo>();
    if (!Compositor::BufferToImage(header, flat, *picture) || !picture->bits) return nullptr;
    picture->SetDpiX(document.Header().dpiX);
    picture->SetDpiY(document.Header().dpiY);
    return picture;
}

std::vector<std::string> WorkbookSheets(const WorkbookExport& options) {
    return {options.sheetName.empty() ? std::string(mtexts::kDefaultSheetName) : options.sheetName};
}

bool ExportWorkbook(CVandDoc& document, const WorkbookExport& options, std::string* error) {
    if (options.workbookPath.empty()) return Fail(error, mtexts::kWorkbookWriteFailed);
    std::error_code ec;
    if (options.askBeforeReplacing && std::filesystem::exists(options.workbookPath, ec)) {
        const std::string question = Format(mtexts::kWorkbookExists, options.workbookPath);
        if (CurrentPlatform().ShowMessage(question, MessageKind::Question, MessageButtons::YesNo) != MessageAnswer::Yes)
            return Fail(error, question);
    }
    WaitCursor wait;
    // The picture of the document beside the table.
    const std::string folder =
        options.pictureFolder.empty() ? std::filesystem::path(options.workbookPath).parent_path().string()
                                      : options.pictureFolder;
    const std::string picturePath = (std::filesystem::path(folder) / mtexts::kWorkbookPicture).string();
    std::unique_ptr<NyZazo> picture = FlatPictureOf(document);
    if (!picture || !picture->Save(picturePath, kFormatJpeg)) {
        CurrentPlatform().ShowMessage(mtexts::kWorkbookPictureFailed, MessageKind::Warning);
        return Fail(error, mtexts::kWorkbookPictureFailed);
    }
    // The workbook is made aside, then put in place in one step.
    const MeasureSet* measures = FindMeasures(document);
    ScratchFile scratch;
    if (scratch.Path().empty() ||
        !WriteWorkbookFile(scratch.Path(), WorkbookSheets(options).front(), picturePath, MeasureRows(measures),
                           measures ? measures->Settings().unitName : std::string())) {
        CurrentPlatform().ShowMessage(mtexts::kWorkbookWriteFailed, MessageKind::Warning);
        return Fail(error, mtexts::kWorkbookWriteFailed);
    }
    std::ifstream in(scratch.Path(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string failure;
    if (bytes.empty() || !WriteFileAtomically(options.workbookPath, bytes, &failure)) {
        const std::string text = FileFailureText(mtexts::kWorkbookWriteFailed, failure);
        CurrentPlatform().ShowMessage(text, MessageKind::Warning);
        return Fail(error, text);
    }
    if (options.openAfterwards && !CurrentPlatform().OpenWithDefaultApplication(options.workbookPath))
        CurrentPlatform().ShowMessage(mtexts::kWorkbookOpenFailed, MessageKind::Warning);
    return true;
}

}  // namespace quillory
