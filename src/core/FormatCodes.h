#pragma once
// The picture formats: one table with a row per format code. The extension
// mapping, the open and save dialogs' filters, automatic detection and the codec
// dispatch all read it; a new format is one codec file and one row.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillory {

class NyZazo;
class ImageStream;

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

// Bytes that automatic detection shows a signature check.
inline constexpr size_t kSignatureBytes = 16;

struct FormatRow {
    int code;
    // Short name in the dialogs' filter lists ("jpg").
    const char* name;
    // Lower-case extensions, the usual one first; nullptr ends the list.
    const char* extensions[4];
    bool canOpen;  // offered by the open dialog
    bool canSave;  // offered by the save dialog
    // True when the first bytes (up to kSignatureBytes; fewer when the file is shorter)
    // can start a file of this format. Null: never detected automatically.
    bool (*signature)(const uint8_t* head, size_t n);
    // Reads a picture on a codec object of its own and hands it to the target; false
    // leaves the target's pixels untouched (the text goes to its lastError when asked).
    // Null: the document reads such files itself (native and measurement documents).
    bool (*decode)(NyZazo& target, ImageStream& stream, bool copyError);
    // Writes the picture; null for read-only formats and documents.
    bool (*encode)(NyZazo& picture, ImageStream& stream);
};

// Every format, in the order of the dialogs and of automatic detection.
const std::vector<FormatRow>& FormatTable();
const FormatRow* FindFormat(int code);
// The row of an extension (any case, without the dot); null when none has it.
const FormatRow* FindFormatByExtension(std::string_view extension);

// The extension is the text after the last dot; upper case matches too.
int FormatFromExtension(std::string_view extension);

// Lower-cased text after the last dot of a path's file name ("" when none).
std::string ExtensionOf(std::string_view path);

// The usual extension of a format ("jpg"); "" for a code without one.
const char* PrimaryExtension(int code);
// True when the save dialog offers the format (a picture or a native document).
bool CanSaveFormat(int code);
bool CanSaveExtension(std::string_view extension);

// Patterns of one format for a file dialog: every extension in lower and upper
// case, separated by `separator` ("*.jpg;*.jpeg;*.JPG;*.JPEG"). "" for an unknown code.
std::string FormatPatterns(int code, char separator = ';');
// Patterns of every format the open dialog offers ("all pictures").
std::string AllPicturesPatterns(char separator = ';');

// The rows the dialogs build their filter lists from: the formats, then "all pictures".
struct FileTypeRow {
    int formatId;
    bool open;
    bool save;
    const char* name;
    const char* patterns;
};
inline constexpr int kAllPicturesId = 8;

const std::vector<FileTypeRow>& FileTypeTable();
std::string FileTypePatterns(int formatId);  // "" for an id not in the table
int FileTypeSaveFlag(int formatId);          // 0 for an id not in the table

// Filter list for the open (forSave = false) or save dialog: name, NUL, pattern, NUL per row.
std::string FileTypeFilterList(bool forSave);

}  // namespace quillory
