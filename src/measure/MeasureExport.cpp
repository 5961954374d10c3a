#include "measure/MeasureExport.h"

#include <fcntl.h>
#include <strings.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "core/AtomicFile.h"
#include "core/FormatCodes.h"
#include "core/NyZazo.h"
#include "core/Platform.h"
#include "document/CVandDoc.h"
#include "document/Compositor.h"
#include "document/TempFolder.h"
#include "document/Utf16.h"
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

// A private file in the process's own temporary folder, removed with the object;
// one that a killed export leaves goes with the folder at the next start.
class ScratchFile {
public:
    ScratchFile() {
        std::string why;
        TempFolder* folder = TempFolder::ForProcess(&why);
        if (!folder) {
            m_error = why;
            return;
        }
        std::string pattern = folder->Path() + "/quillory-workbook-XXXXXX";
        const int fd = mkostemp(pattern.data(), O_CLOEXEC);
        if (fd < 0) {
            m_error = WriteFailureDetail(pattern, errno);
            return;
        }
        close(fd);
        m_path = pattern;
    }
    ~ScratchFile() {
        if (!m_path.empty()) std::remove(m_path.c_str());
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    const std::string& Path() const { return m_path; }
    // Why there is no file: "<path>: <reason>".
    const std::string& Error() const { return m_error; }

private:
    std::string m_path;
    std::string m_error;
};

// "<path>: <reason>" of a failed library call: the system's reason when there is one.
std::string LibraryFailure(const std::string& path, lxw_error error, int errorNumber) {
    return path + ": " + (errorNumber != 0 ? FileErrorReason(errorNumber) : lxw_strerror(error));
}

std::string Header(const char* format, const char* name, const std::string& unit) {
    if (unit.empty()) return name;
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, format, name, unit.c_str());
    return buffer;
}

// Writes the workbook; false with "<file>: <reason>" in `detail`.
bool WriteWorkbookFile(const std::string& path, const std::string& sheetName, const std::string& picture,
                       const std::vector<MeasureRow>& rows, const std::string& unit, std::string& detail) {
    errno = 0;
    lxw_workbook* workbook = workbook_new(path.c_str());
    if (!workbook) {
        detail = WriteFailureDetail(path, errno ? errno : EIO);
        return false;
    }
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, sheetName.c_str());
    if (!sheet) {
        detail = path + ": " + lxw_strerror(workbook_validate_sheet_name(workbook, sheetName.c_str()));
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
    if (!picture.empty()) {
        errno = 0;
        const lxw_error inserted = worksheet_insert_image(sheet, 14, 5, picture.c_str());
        if (inserted != LXW_NO_ERROR) {
            const int why = errno;
            workbook_close(workbook);
            detail = LibraryFailure(picture, inserted, why);
            return false;
        }
    }
    errno = 0;
    const lxw_error closed = workbook_close(workbook);
    if (closed == LXW_NO_ERROR) return true;
    detail = LibraryFailure(path, closed, errno);
    return false;
}

// Copies the made workbook over the target through the atomic writer.
bool PutInPlace(const std::string& from, const std::string& to, std::string& detail) {
    FILE* in = std::fopen(from.c_str(), "rb");
    if (!in) {
        detail = from + ": " + FileErrorReason(errno);
        return false;
    }
    AtomicFileWriter writer(to);
    if (!writer.Open()) {
        std::fclose(in);
        detail = writer.Error();
        return false;
    }
    std::vector<char> buffer(size_t(1) << 16);
    size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), in)) > 0)
        if (writer.Stream().Write(buffer.data(), 1, n) != n) break;
    const int readError = std::ferror(in) ? (errno ? errno : EIO) : 0;
    std::fclose(in);
    if (readError != 0) {
        writer.Discard();
        detail = from + ": " + FileErrorReason(readError);
        return false;
    }
    if (!writer.Commit()) {
        detail = writer.Error();
        return false;
    }
    return true;
}

// Writes the picture as JPEG through the atomic writer; false with "<file>: <reason>".
bool WritePicture(NyZazo& picture, const std::string& path, std::string& detail) {
    AtomicFileWriter writer(path);
    if (!writer.Open()) {
        detail = writer.Error();
        return false;
    }
    if (!picture.Encode(writer.Stream(), kFormatJpeg)) {
        const int why = writer.Stream().ErrorNumber();
        detail = why != 0 ? WriteFailureDetail(path, why) : path + ": " + picture.lastError;
        return false;
    }
    if (!writer.Commit()) {
        detail = writer.Error();
        return false;
    }
    return true;
}

std::string Numbered(const char* format, int value) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
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
        return Fail(error, FileFailureText(mtexts::kMeasureTextWriteFailed, failure));
    // Where the file went, on the next line.
    CurrentPlatform().ShowMessage(std::string(mtexts::kMeasureTextSaved) + "\n" + path, MessageKind::Information);
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

std::string SheetNameProblem(const std::string& name) {
    // Valid UTF-8 comes back unchanged from UTF-16; a broken byte comes back as U+FFFD.
    const std::u16string units = Utf8ToUtf16(name);
    if (Utf16ToUtf8(units) != name) return mtexts::kSheetNameNotUtf8;
    if (units.size() > kMaxSheetNameUnits) return mtexts::kSheetNameTooLong;
    for (const char16_t c : units)
        if (c < 0x20 || c == 0x7F || c == 0xFFFE || c == 0xFFFF || std::u16string_view(u":\\/?*[]").find(c) != std::u16string_view::npos)
            return mtexts::kSheetNameBadCharacter;
    if (!name.empty() && (name.front() == '\'' || name.back() == '\'')) return mtexts::kSheetNameApostrophe;
    if (strcasecmp(name.c_str(), "History") == 0) return mtexts::kSheetNameReserved;
    return {};
}

bool ExportWorkbook(CVandDoc& document, const WorkbookExport& options, std::string* error) {
    auto refuse = [&](const std::string& detail) {
        const std::string text = FileFailureText(mtexts::kWorkbookWriteFailed, detail);
        CurrentPlatform().ShowMessage(text, MessageKind::Warning);
        return Fail(error, text);
    };
    if (options.workbookPath.empty()) return refuse(mtexts::kWorkbookNoPath);
    // What the workbook cannot hold is refused before anything is written.
    const std::string sheetName = WorkbookSheets(options).front();
    if (const std::string problem = SheetNameProblem(sheetName); !problem.empty())
        return refuse(options.workbookPath + ": " + problem);
    const MeasureSet* measures = FindMeasures(document);
    const std::vector<MeasureRow> rows = MeasureRows(measures);
    for (const MeasureRow& r : rows)
        for (const double value : {r.length, r.area, r.angle, r.radius, r.diameter})
            if (!std::isfinite(value))
                return refuse(options.workbookPath + ": " + Numbered(mtexts::kWorkbookValueNotFinite, r.index));
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
    std::string detail;
    if (!picture) detail = picturePath + ": " + FileErrorReason(ENOMEM);
    if (!picture || !WritePicture(*picture, picturePath, detail)) {
        const std::string text = FileFailureText(mtexts::kWorkbookPictureFailed, detail);
        CurrentPlatform().ShowMessage(text, MessageKind::Warning);
        return Fail(error, text);
    }
    // The workbook is made aside, then put in place in one step.
    ScratchFile scratch;
    if (scratch.Path().empty()) return refuse(scratch.Error());
    if (!WriteWorkbookFile(scratch.Path(), sheetName, picturePath, rows,
                           measures ? measures->Settings().unitName : std::string(), detail) ||
        !PutInPlace(scratch.Path(), options.workbookPath, detail))
        return refuse(detail);
    if (options.openAfterwards && !CurrentPlatform().OpenWithDefaultApplication(options.workbookPath))
        CurrentPlatform().ShowMessage(mtexts::kWorkbookOpenFailed, MessageKind::Warning);
    return true;
}

}  // namespace quillory
