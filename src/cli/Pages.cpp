#include "cli/Pages.h"

#include <algorithm>
#include <filesystem>
#include <iostream>

#include "core/FormatCodes.h"
#include "core/NyZazo.h"
#include "document/CVandDoc.h"

namespace quillory::cli {

namespace {

int PagesOf(const NyZazo* picture) { return picture ? std::max(1, int(picture->frameCount)) : 1; }

}  // namespace

bool TakePage(Args& args, int& pageIndex) {
    pageIndex = 0;
    const std::string text = TakeOption(args, "--page");
    if (text.empty()) {
        if (std::find(args.begin(), args.end(), "--page") == args.end()) return true;
        std::cerr << "--page needs a page number\n";
        return false;
    }
    if (text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos || std::stoi(text) < 1) {
        std::cerr << "invalid page: " << text << " (pages count from 1)\n";
        return false;
    }
    pageIndex = std::stoi(text) - 1;
    return true;
}

int CountPages(const std::string& path) {
    NyZazo first;
    if (!first.Load(path, FormatFromExtension(ExtensionOf(path))) || !first.dib) return 0;
    return PagesOf(&first);
}

std::string NoSuchPage(int pageIndex, int pageCount) {
    return "no page " + std::to_string(pageIndex + 1) + ": the file has " + std::to_string(pageCount) +
           (pageCount == 1 ? " page" : " pages");
}

bool OpenPage(CVandDoc& document, const std::string& path, int pageIndex, std::string& pageError) {
    pageError.clear();
    if (document.OpenDocument(path, nullptr, pageIndex)) {
        // Formats of one picture ignore the page asked for.
        const int count = PagesOf(document.State().composite.get());
        if (pageIndex < count) return true;
        pageError = NoSuchPage(pageIndex, count);
        return false;
    }
    if (pageIndex > 0) {
        const int count = CountPages(path);
        if (count > 0 && pageIndex >= count) pageError = NoSuchPage(pageIndex, count);
    }
    return false;
}

std::string OnePageOverItsFile(const CVandDoc& document, const std::string& out) {
    if (PagesOf(document.State().composite.get()) < 2 || document.PathName().empty()) return {};
    std::error_code error;
    if (!std::filesystem::equivalent(document.PathName(), out, error)) return {};
    return "writing one page over " + out + " would drop its other pages: save under another name";
}

void NowOnePage(CVandDoc& document) {
    if (NyZazo* composite = document.State().composite.get()) composite->frameCount = std::min(composite->frameCount, 1);
}

}  // namespace quillory::cli
