#pragma once
// What a user may choose when saving a picture: JPEG quality, TIFF compression,
// PNG compression level, WebP quality and lossless coding. The defaults write every
// file as the program always has; the settings file keeps the last choice.
#include <string>
#include <string_view>

namespace quillory {

class NyZazo;

// TIFF compression codes as the files name them; 0 chooses by depth (fax for 1 bit,
// PackBits for 8, JPEG for colour, none for 4).
inline constexpr int kTiffCompressionByDepth = 0;
inline constexpr int kTiffCompressionNone = 1;
inline constexpr int kTiffCompressionLzw = 5;
inline constexpr int kTiffCompressionDeflate = 8;

struct SaveOptions {
    int jpegQuality = 100;  // 1..100; 100 is what a picture's quality gives unchanged
    int tiffCompression = kTiffCompressionByDepth;
    int pngLevel = 3;        // zlib level 0 (none, fastest) .. 9 (smallest); colour up to 3: run lengths only
    int webpQuality = 100;   // 1..100 for lossy coding
    bool webpLossless = false;

    bool operator==(const SaveOptions&) const = default;
};

// True for the formats whose saves take options (JPEG, TIFF, PNG, WebP).
bool HasSaveOptions(int formatType);

// Puts the options of the format into the picture about to be written; other
// formats' options are left out, so a TIFF keeps its own JPEG quality.
void ApplySaveOptions(const SaveOptions& options, int formatType, NyZazo& picture);

// Values brought into their ranges (an unknown TIFF compression becomes "by depth").
SaveOptions Clamped(SaveOptions options);

// The TIFF compression names of the command line and the settings file:
// "default", "lzw", "deflate", "none". False for any other name.
bool TiffCompressionFromName(std::string_view name, int& code);
const char* TiffCompressionName(int code);

// The settings file of the last choice: "key=value" lines. Reading keeps the default
// of every line that is missing or does not parse, and clamps the rest.
inline constexpr const char* kSaveOptionsFileName = "SaveOptions.ini";
std::string FormatSaveOptions(const SaveOptions& options);
SaveOptions ParseSaveOptions(std::string_view text);
// The file in a folder: a missing or unreadable file gives the defaults; writing goes
// through the atomic writer (false with "<path>: <reason>" in *error).
SaveOptions LoadSaveOptions(const std::string& folder);
bool StoreSaveOptions(const std::string& folder, const SaveOptions& options, std::string* error = nullptr);

}  // namespace quillory
