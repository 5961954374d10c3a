#include "support/SecondDecoder.h"

#include <array>
#include <cstdio>
#include <cstdlib>

#include "support/HelperPrograms.h"

namespace quillory::test {

namespace {

std::string Run(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    std::array<char, 256> buffer;
    while (std::fgets(buffer.data(), int(buffer.size()), pipe)) out += buffer.data();
    if (pclose(pipe) != 0) return {};
    return out;
}

}  // namespace

const std::string& PillowPython() {
    static const std::string python = kPython3;
    return python;
}

RgbaImage DecodeWithPillow(const std::string& path, std::string* mode) {
    if (!HavePythonModules({"PIL"})) return {};
    TempDir dir;
    const std::string png = dir.File("pillow.png");
    const std::string script =
        "import sys\nfrom PIL import Image\nim = Image.open(sys.argv[1])\nprint(im.mode)\n"
        "im.convert('RGB').save(sys.argv[2])\n";
    std::string out = Run(PillowPython() + " -c \"" + script + "\" '" + path + "' '" + png + "' 2>/dev/null");
    if (out.empty()) return {};
    if (mode) *mode = out.substr(0, out.find('\n'));
    return LoadPng(png);
}

}  // namespace quillory::test
