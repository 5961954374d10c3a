#include "core/FormatCodes.h"

#include <cctype>

namespace quillory {

int FormatFromExtension(std::string_view ext) {
    struct Mapping {
        const char* ext;
        int code;
    };
    static constexpr Mapping kMappings[] = {
        {"qvx", kFormatQvx}, {"mzr", kFormatMzr}, {"bmp", kFormatBmp},   {"jpg", kFormatJpeg},
        {"jpeg", kFormatJpeg}, {"gif", kFormatGif}, {"tiff", kFormatTiff}, {"tif", kFormatTiff},
        {"pcx", kFormatPcx}, {"psd", kFormatPsd},
    };
    if (ext.empty()) return kFormatUndetermined;
    for (const auto& m : kMappings)
        if (ext == m.ext) return m.code;
    return kFormatUndetermined;
}

std::string ExtensionOf(std::string_view path) {
    size_t slash = path.find_last_of("/\\");
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    size_t dot = name.find_last_of('.');
    if (dot == std::string_view::npos) return {};
    std::string ext(name.substr(dot + 1));
    for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

const std::vector<FileTypeRow>& FileTypeTable() {
    static const std::vector<FileTypeRow> kTable = {
        {0, true, true, "jpg", "*.jpg;*.jpeg"},
        {1, true, true, "bmp", "*.bmp"},
        {2, true, true, "gif", "*.gif"},
        {3, true, true, "tif", "*.tif;*.tiff"},
        {4, true, false, "pcx", "*.pcx"},
        {5, true, true, "qvx", "*.qvx"},
        {7, true, false, "psd", "*.psd"},
        {8, true, true, "모든그림형식", "*.bmp;*.gif;*.jpg;*.tif;*.pcx;*.qvx;*.psd"},
    };
    return kTable;
}

std::string FileTypePatterns(int formatId) {
    for (const auto& row : FileTypeTable())
        if (row.formatId == formatId) return row.patterns;
    return {};
}

int FileTypeSaveFlag(int formatId) {
    for (const auto& row : FileTypeTable())
        if (row.formatId == formatId) return row.save ? 1 : 0;
    return 0;
}

std::string FileTypeFilterList(bool forSave) {
    std::string out;
    for (const auto& row : FileTypeTable()) {
        if (!(forSave ? row.save : row.open)) continue;
        out += row.name;
        out += '\0';
        out += row.patterns;
        out += '\0';
    }
    return out;
}

}  // namespace quillory
