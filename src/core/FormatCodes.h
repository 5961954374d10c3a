#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace quillory {

enum FormatCode : int {
    kFormatUndetermined = -1,
    kFormatJpeg = 0,
    kFormatBmp = 1,
    kFormatGif = 2,
    kFormatTiff = 3,
    kFormatPcx = 4,
    kFormatQvx = 5,
    kFormatMzr = 6,
    kFormatPsd = 7,
};

// The extension is the text after the last dot, already lower-cased.
int FormatFromExtension(std::string_view extension);

// Lower-cased text after the last dot of a path's file name ("" when none).
std::string ExtensionOf(std::string_view path);

struct FileTypeRow {
    int formatId;
    bool open;
    bool save;
    const char* name;
    const char* patterns;
};

const std::vector<FileTypeRow>& FileTypeTable();
std::string FileTypePatterns(int formatId);  // "" for an id not in the table
int FileTypeSaveFlag(int formatId);          // 0 for an id not in the table

// Filter list for the open (forSave = false) or save dialog: name, NUL, pattern, NUL per row.
std::string FileTypeFilterList(bool forSave);

}  // namespace quillory
