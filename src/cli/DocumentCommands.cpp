// Sub-commands that go through the document: convert (open, then save by
// extension), new, and the layer list of .qvx files for info.
#include <iostream>
#include <memory>

#include "cli/CliPlatform.h"
#include "cli/Commands.h"
#include "cli/DocumentJson.h"
#include "cli/Json.h"
#include "cli/Pages.h"
#include "core/CoreTexts.h"
#include "core/FormatCodes.h"
#include "document/CVandDoc.h"
#include "document/QvxFormat.h"

namespace quillory::cli {

namespace {

bool ParseColour(const std::string& text, RGBQUAD& colour) {
    // "#rrggbb" or "rrggbb"
    std::string hex = text.rfind('#', 0) == 0 ? text.substr(1) : text;
    if (hex.size() != 6 || hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return false;
    const unsigned long value = std::stoul(hex, nullptr, 16);
    colour = MakeQuad(uint8_t(value >> 16), uint8_t(value >> 8), uint8_t(value));
    return true;
}

bool ParseSize(const std::string& text, int& value) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    value = std::stoi(text);
    return value > 0;
}

}  // namespace

int RunConvert(const Args& input) {
    Args args = input;
    SaveOptions options;
    int pageIndex = 0;
    if (!TakePage(args, pageIndex) || !TakeSaveOptions(args, options)) return 2;
    if (args.size() != 2) {
        std::cerr << "usage: quillory-cli convert IN OUT [--page N] [--quality 1..100] [--compression "
                     "default|lzw|deflate|none or 0..9] [--lossless]\n";
        return 2;
    }
    CliPlatform platform;
    auto document = std::make_unique<CVandDoc>();
    // Nothing is undone in a one-shot conversion: the document keeps no history files.
    document->SetStepSink(nullptr);
    std::string pageError;
    if (!OpenPage(*document, args[0], pageIndex, pageError)) {
        platform.Explain(pageError.empty() ? document->LastError() : pageError, texts::kCannotOpenPicture);
        return 1;
    }
    if (const std::string refused = OnePageOverItsFile(*document, args[1]); !refused.empty()) {
        std::cerr << refused << "\n";
        return 1;
    }
    if (!document->SaveDocument(args[1], options)) {
        platform.Explain(document->LastError(), texts::kCannotWriteFile);
        return 1;
    }
    return 0;
}

int RunNew(const Args& input) {
    Args args = input;
    NewPictureSettings settings;
    const std::string width = TakeOption(args, "--width");
    const std::string height = TakeOption(args, "--height");
    const std::string background = TakeOption(args, "--background", "white");
    const std::string colour = TakeOption(args, "--colour", "ffffff");
    if (args.size() != 1 || !ParseSize(width, settings.width) || !ParseSize(height, settings.height)) {
        std::cerr << "usage: quillory-cli new --width W --height H [--background white|transparent|colour "
                     "[--colour RRGGBB]] OUT\n";
        return 2;
    }
    if (background == "white") {
        settings.background = NewPictureSettings::White;
    } else if (background == "transparent") {
        settings.background = NewPictureSettings::Transparent;
    } else if (background == "colour" || background == "color") {
        settings.background = NewPictureSettings::Colour;
        if (!ParseColour(colour, settings.backgroundColour)) {
            std::cerr << "invalid colour: " << colour << "\n";
            return 2;
        }
    } else {
        std::cerr << "invalid background: " << background << "\n";
        return 2;
    }
    CliPlatform platform;
    auto document = std::make_unique<CVandDoc>();
    if (!document->NewDocument(settings)) {
        std::cerr << "cannot create a picture of that size\n";
        return 1;
    }
    if (!document->SaveDocument(args[0])) {
        std::cerr << (document->LastError().empty() ? std::string(texts::kCannotWriteFile) : document->LastError()) << "\n";
        return 1;
    }
    return 0;
}

int RunQvxInfo(const std::string& path) {
    auto file = std::make_unique<QvxDocument>();
    std::string error;
    if (!LoadQvx(path, *file, error)) {
        std::cout << JsonObject().Add("lastError", error.empty() ? std::string(texts::kCannotOpenPicture) : error).Str()
                  << "\n";
        return 1;
    }
    std::cout << LayeredDocumentJson(kFormatQvx, file->header, file->layers.data(), file->headLayer,
                                     file->fileCurrentLayer)
              << "\n";
    return 0;
}

}  // namespace quillory::cli
