// Feeds arbitrary text to quillory-cli's script runner as the lines of a script on a
// small new picture: document commands with their parameters, tools and the pointer,
// the measuring verbs. Lines that reach outside the process (open, save, new
// pictures, commands that write files or start programs) are left out, so the
// target only edits documents in memory, and so are size changes beyond 1000.
#include <stdlib.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iostream>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "cli/CliPlatform.h"
#include "cli/Commands.h"
#include "core/CommandIds.h"
#include "document/CommandRegistry.h"
#include "fuzz/FuzzSupport.h"
#include "measure/MeasureCommands.h"

namespace {

// The first token of a line as the script reader splits it, a command id without
// its leading zeros.
std::string FirstWord(const std::string& line) {
    const size_t from = line.find_first_not_of(" \t\r");
    if (from == std::string::npos) return {};
    std::string word;
    if (line[from] == '"') {
        const size_t end = line.find('"', from + 1);
        word = line.substr(from + 1, end == std::string::npos ? std::string::npos : end - from - 1);
    } else {
        const size_t to = line.find_first_of(" \t\r", from);
        word = line.substr(from, to == std::string::npos ? std::string::npos : to - from);
    }
    if (!word.empty() && word.size() <= 9 && word.find_first_not_of("0123456789") == std::string::npos)
        word = std::to_string(std::stoll(word));
    return word;
}

class NullBuffer : public std::streambuf {
protected:
    int overflow(int c) override { return c; }
};

std::vector<std::string> NamesOf(std::initializer_list<int> ids) {
    std::vector<std::string> names;
    const quillory::CommandRegistry& registry = quillory::CommandRegistry::Instance();
    for (int id : ids) {
        names.push_back(std::to_string(id));
        if (const quillory::CommandEntry* entry = registry.Find(id)) names.push_back(entry->name);
    }
    return names;
}

bool ReachesOutside(const std::string& word) {
    using namespace quillory;
    for (const char* verb : {"open", "save", "new", "multifocus"})
        if (word == verb) return true;
    static const std::vector<std::string> outside = NamesOf(
        {cmd::kRgbChannels, cmd::kYuvSplit, cmd::kHslSplit, cmd::kExportMeasureText, cmd::kExportWorkbook});
    return std::find(outside.begin(), outside.end(), word) != outside.end();
}

// Commands that make the picture as large as asked: the engine lets them reach
// gigabytes, which only slows the run down; they get sizes up to 1000 here.
bool GrowsLarge(const std::string& word, const std::string& line) {
    using namespace quillory;
    static const std::vector<std::string> growing =
        NamesOf({cmd::kResizePicture, cmd::kStretchSquash, cmd::kCanvasSize, cmd::kToolScale, cmd::kToolSkew,
                 cmd::kToolPerspective, cmd::kEllipseTransform, cmd::kCalendar, cmd::kPictureFrame});
    if (std::find(growing.begin(), growing.end(), word) == growing.end()) return false;
    long long value = 0;
    for (char c : line) {
        if (c >= '0' && c <= '9') {
            value = std::min(value * 10 + (c - '0'), 1000000LL);
            if (value > 1000) return true;
        } else {
            value = 0;
        }
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace quillory;
    static const bool ready = [] {
        // Undo steps go to files below a data directory of this run's own.
        char home[] = "/tmp/quillory-fuzz-script-XXXXXX";
        if (mkdtemp(home)) setenv("QUILLORY_HOME", home, 1);
        InstallMeasurement();
        // The script's own output and its refusals would only slow the run; the
        // streams keep the sink to the end.
        NullBuffer* sink = new NullBuffer;
        std::cout.rdbuf(sink);
        std::cerr.rdbuf(sink);
        return true;
    }();
    // Ended at exit, so the font library lets go of what it holds before the leak check.
    static cli::CliPlatform platform;
    (void)ready;
    std::string script = "new 40 30\n";
    std::istringstream input(std::string(reinterpret_cast<const char*>(data), size));
    std::string line;
    for (int lines = 0; std::getline(input, line) && lines < 64; ++lines)
        if (const std::string word = FirstWord(line); !ReachesOutside(word) && !GrowsLarge(word, line))
            script += line + "\n";
    std::istringstream in(script);
    (void)cli::RunScriptLines(in);
    return 0;
}
