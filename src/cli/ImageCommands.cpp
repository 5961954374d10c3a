#include <algorithm>
#include <iostream>

#include "cli/Commands.h"
#include "cli/Json.h"
#include "cli/Pages.h"
#include "core/CoreTexts.h"
#include "core/FormatCodes.h"
#include "core/NyZazo.h"

namespace quillory::cli {

std::string TakeOption(Args& args, const std::string& name, const std::string& fallback) {
    for (size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] == name) {
            std::string value = args[i + 1];
            args.erase(args.begin() + long(i), args.begin() + long(i) + 2);
            return value;
        }
    }
    return fallback;
}

namespace {

int FailJson(const std::string& text) {
    std::cout << JsonObject().Add("lastError", text).Str() << "\n";
    return 1;
}

}  // namespace

int RunInfo(const Args& input) {
    Args args = input;
    int pageIndex = 0;
    if (!TakePage(args, pageIndex)) return 2;
    const bool pageAsked = pageIndex > 0;
    const bool frameAsked = std::find(args.begin(), args.end(), "--frame") != args.end();
    const std::string frame = TakeOption(args, "--frame", std::to_string(pageIndex));
    if (args.size() != 1 || (frameAsked && std::find(args.begin(), args.end(), "--frame") != args.end())) {
        std::cerr << "usage: quillory-cli info FILE [--page N | --frame N]\n";
        return 2;
    }
    // A frame is a whole number from 0; anything else is a wrong argument, as a bad page is.
    if (frame.empty() || frame.size() > 9 || frame.find_first_not_of("0123456789") != std::string::npos) {
        std::cerr << "invalid frame: " << frame << " (frames count from 0)\n";
        return 2;
    }
    const std::string& path = args[0];
    NyZazo picture;
    picture.frameIndex = std::stoi(frame);
    int code = FormatFromExtension(ExtensionOf(path));
    if (code == kFormatQvx) return pageAsked ? FailJson(NoSuchPage(pageIndex, 1)) : RunQvxInfo(path);
    if (!picture.Load(path, code) || !picture.dib) {
        const int count = pageAsked ? CountPages(path) : 0;
        if (count > 0 && pageIndex >= count) return FailJson(NoSuchPage(pageIndex, count));
        return FailJson(picture.lastError[0] ? picture.lastError : texts::kCannotOpenPicture);
    }
    const int pageCount = std::max(1, int(picture.frameCount));
    // Formats of one picture ignore the page asked for.
    if (pageAsked && pageIndex >= pageCount) return FailJson(NoSuchPage(pageIndex, pageCount));
    JsonObject out;
    out.Add("format", (long long)picture.formatType)
        .Add("width", (long long)picture.Width())
        .Add("height", (long long)picture.Height())
        .Add("bitCount", (long long)picture.BitCount())
        .Add("clrUsed", (long long)picture.header.biClrUsed)
        .Add("dpiX", (long long)picture.dpiX)
        .Add("dpiY", (long long)picture.dpiY)
        .Add("frameIndex", (long long)picture.frameIndex)
        .Add("frameCount", (long long)picture.frameCount)
        .Add("page", (long long)picture.frameIndex + 1)
        .Add("pageCount", (long long)pageCount);
    std::cout << out.Str() << "\n";
    return 0;
}

}  // namespace quillory::cli
