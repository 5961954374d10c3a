// The save options of `convert`: --quality, --compression and --lossless, each for
// the formats that have it.
#include <charconv>
#include <iostream>
#include <string>

#include "cli/Commands.h"
#include "core/FormatCodes.h"

namespace quillory::cli {

namespace {

bool TakeFlag(Args& args, const std::string& name) {
    for (size_t i = 0; i < args.size(); ++i)
        if (args[i] == name) {
            args.erase(args.begin() + long(i));
            return true;
        }
    return false;
}

bool WholeNumber(const std::string& text, int low, int high, int& value) {
    const char* end = text.data() + text.size();
    auto [ptr, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && ptr == end && value >= low && value <= high;
}

bool Refuse(const std::string& text) {
    std::cerr << text << "\n";
    return false;
}

}  // namespace

bool TakeSaveOptions(Args& args, SaveOptions& options) {
    const std::string quality = TakeOption(args, "--quality");
    const std::string compression = TakeOption(args, "--compression");
    const bool lossless = TakeFlag(args, "--lossless");
    // The options belong to the output, the last file named.
    const int formatType = args.empty() ? kFormatUndetermined : FormatFromExtension(ExtensionOf(args.back()));
    if (!quality.empty()) {
        int value = 0;
        if (formatType != kFormatJpeg && formatType != kFormatWebp)
            return Refuse("--quality is for JPEG and WebP files");
        if (!WholeNumber(quality, 1, 100, value)) return Refuse("--quality takes a whole number from 1 to 100");
        (formatType == kFormatJpeg ? options.jpegQuality : options.webpQuality) = value;
    }
    if (!compression.empty()) {
        if (formatType == kFormatTiff) {
            if (!TiffCompressionFromName(compression, options.tiffCompression))
                return Refuse("--compression for TIFF files is default, lzw, deflate or none");
        } else if (formatType == kFormatPng) {
            if (!WholeNumber(compression, 0, 9, options.pngLevel))
                return Refuse("--compression for PNG files is a level from 0 to 9");
        } else {
            return Refuse("--compression is for TIFF and PNG files");
        }
    }
    if (lossless) {
        if (formatType != kFormatWebp) return Refuse("--lossless is for WebP files");
        options.webpLossless = true;
    }
    return true;
}

}  // namespace quillory::cli
