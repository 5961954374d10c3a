// quillory-cli fonts: the font families text can be drawn with, one a line.
#include <iostream>

#include "cli/CliPlatform.h"
#include "cli/Commands.h"

namespace quillory::cli {

int RunFonts(const Args& args) {
    if (!args.empty()) {
        std::cerr << "usage: quillory-cli fonts\n";
        return 2;
    }
    CliPlatform platform;
    for (const std::string& family : platform.FontFamilies()) std::cout << family << "\n";
    return 0;
}

}  // namespace quillory::cli
