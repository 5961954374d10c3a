#include "core/SaveOptions.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <fstream>

#include "core/AtomicFile.h"
#include "core/FormatCodes.h"
#include "core/NyZazo.h"

namespace quillory {

namespace {

struct CompressionName {
    int code;
    const char* name;
};
constexpr CompressionName kCompressionNames[] = {{kTiffCompressionByDepth, "default"},
                                                 {kTiffCompressionLzw, "lzw"},
                                                 {kTiffCompressionDeflate, "deflate"},
                                                 {kTiffCompressionNone, "none"}};

bool ParseInt(std::string_view text, int& value) {
    const char* end = text.data() + text.size();
    auto [ptr, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && ptr == end;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

}  // namespace

bool HasSaveOptions(int formatType) {
    return formatType == kFormatJpeg || formatType == kFormatTiff || formatType == kFormatPng ||
           formatType == kFormatWebp;
}

SaveOptions Clamped(SaveOptions options) {
    options.jpegQuality = std::clamp(options.jpegQuality, 1, 100);
    options.webpQuality = std::clamp(options.webpQuality, 1, 100);
    options.pngLevel = std::clamp(options.pngLevel, 0, 9);
    if (!TiffCompressionName(options.tiffCompression)) options.tiffCompression = kTiffCompressionByDepth;
    return options;
}

void ApplySaveOptions(const SaveOptions& chosen, int formatType, NyZazo& picture) {
    const SaveOptions options = Clamped(chosen);
    switch (formatType) {
        case kFormatJpeg: picture.jpegQuality = uint8_t(options.jpegQuality); break;
        case kFormatTiff: picture.tiffCompression = uint16_t(options.tiffCompression); break;
        case kFormatPng: picture.pngLevel = int8_t(options.pngLevel); break;
        case kFormatWebp:
            picture.jpegQuality = uint8_t(options.webpQuality);
            picture.webpLossless = options.webpLossless ? 1 : 0;
            break;
        default: break;
    }
}

bool TiffCompressionFromName(std::string_view name, int& code) {
    for (const CompressionName& entry : kCompressionNames)
        if (name == entry.name) {
            code = entry.code;
            return true;
        }
    return false;
}

const char* TiffCompressionName(int code) {
    for (const CompressionName& entry : kCompressionNames)
        if (entry.code == code) return entry.name;
    return nullptr;
}

std::string FormatSaveOptions(const SaveOptions& chosen) {
    const SaveOptions options = Clamped(chosen);
    std::string text;
    text += "jpegQuality=" + std::to_string(options.jpegQuality) + "\n";
    text += std::string("tiffCompression=") + TiffCompressionName(options.tiffCompression) + "\n";
    text += "pngLevel=" + std::to_string(options.pngLevel) + "\n";
    text += "webpQuality=" + std::to_string(options.webpQuality) + "\n";
    text += std::string("webpLossless=") + (options.webpLossless ? "1" : "0") + "\n";
    return text;
}

SaveOptions ParseSaveOptions(std::string_view text) {
    SaveOptions options;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        const std::string_view key = Trim(line.substr(0, equals)), value = Trim(line.substr(equals + 1));
        int number = 0;
        if (key == "jpegQuality" && ParseInt(value, number)) options.jpegQuality = number;
        else if (key == "tiffCompression") TiffCompressionFromName(value, options.tiffCompression);
        else if (key == "pngLevel" && ParseInt(value, number)) options.pngLevel = number;
        else if (key == "webpQuality" && ParseInt(value, number)) options.webpQuality = number;
        else if (key == "webpLossless" && ParseInt(value, number)) options.webpLossless = number != 0;
    }
    return Clamped(options);
}

SaveOptions LoadSaveOptions(const std::string& folder) {
    std::ifstream in(folder + "/" + kSaveOptionsFileName, std::ios::binary);
    if (!in) return SaveOptions{};
    // A settings file is a few lines; anything past that is not one.
    std::string text;
    text.resize(4096);
    in.read(text.data(), std::streamsize(text.size()));
    text.resize(size_t(in.gcount()));
    return ParseSaveOptions(text);
}

bool StoreSaveOptions(const std::string& folder, const SaveOptions& options, std::string* error) {
    return WriteFileAtomically(folder + "/" + kSaveOptionsFileName, FormatSaveOptions(options), error);
}

}  // namespace quillory
