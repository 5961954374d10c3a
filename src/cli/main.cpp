// quillory-cli: the engine without a window, for scripts and batch work.
#include <iostream>
#include <map>
#include <string>

#include "cli/Commands.h"
#include "core/Samples.h"
#include "measure/MeasureCommands.h"

using namespace quillory::cli;

namespace {

void Usage() {
    std::cerr << "usage: quillory-cli COMMAND ...\n"
                 "  info FILE [--page N]    describe a picture as JSON (page N from 1; --frame N from 0)\n"
                 "  convert IN OUT          open IN as a document and save it by OUT's extension\n"
                 "          [--page N]      page N (from 1) of a multi-page TIFF or animated GIF\n"
                 "          [--quality N]   JPEG or WebP quality 1..100\n"
                 "          [--compression C]  TIFF: default, lzw, deflate, none; PNG: level 0..9\n"
                 "          [--lossless]    lossless WebP\n"
                 "  new --width W --height H [--background white|transparent|colour [--colour RRGGBB]] OUT\n"
                 "                          create a new one-layer picture and save it\n"
                 "  run SCRIPT [--page N]   replay document commands, one a line (new, open, save, command\n"
                 "                          id or name with key=value parameters, select, layers, undo,\n"
                 "                          redo, history; measuring: tool, press, drag, release, click,\n"
                 "                          end, calibrate, objects, multifocus)\n"
                 "  fonts                   list the font families text can be drawn with\n";
}

}  // namespace

int main(int argc, char** argv) {
    quillory::RegisterBuiltInSamples();
    quillory::InstallMeasurement();
    if (argc < 2) {
        Usage();
        return 2;
    }
    const std::map<std::string, int (*)(const Args&)> commands = {
        {"info", RunInfo},
        {"convert", RunConvert},
        {"new", RunNew},
        {"run", RunScript},
        {"fonts", RunFonts},
    };
    auto it = commands.find(argv[1]);
    if (it == commands.end()) {
        Usage();
        return 2;
    }
    Args args(argv + 2, argv + argc);
    return it->second(args);
}
