// Every registered command and every tool, run by the real quillory-cli on every kind
// of document: pictures of 1, 4, 8, 24 and 32 bits, two layers with an active
// selection, a suspended selection, a text layer and a measurement layer current.
// Each run either records its step or refuses with its message, as the table below
// says; nothing crashes, hangs, fails without a message or quietly does nothing.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/CommandIds.h"
#include "core/FormatCodes.h"
#include "core/NyZazo.h"
#include "document/CommandRegistry.h"
#include "document/DocumentTexts.h"
#include "document/HistoryTexts.h"
#include "document/ToolTexts.h"
#include "document/TransformTexts.h"
#include "extras/ExtrasCommands.h"
#include "extras/ExtrasTexts.h"
#include "measure/MeasureCommands.h"
#include "measure/MeasureTexts.h"
#include "processing/AdjustTexts.h"
#include "processing/FilterTexts.h"
#include "support/CliRunner.h"
#include "support/PictureCompare.h"
#include "support/TestFiles.h"
#include "view/ViewTool.h"
#include "view/tools/GuidePathTool.h"

using namespace quillory;

namespace {

const std::string& kPrivateHome = test::UsePrivateHome();

enum Kind { kBits1, kBits4, kBits8, kBits24, kBits32, kLayersSelected, kSuspended, kTextLayer, kMeasureLayer, kKinds };

const char* const kKindNames[kKinds] = {"1 bit",        "4 bits",   "8 bits",     "24 bits",          "32 bits",
                                        "two layers, selection", "suspended selection", "text layer", "measurement layer"};

// Script lines that make each kind of document afresh.
std::vector<std::string> Prelude(Kind kind, const std::string& dir) {
    const std::string picture24 = "open \"" + dir + "/depth24.bmp\"";
    const std::vector<std::string> rectangle = {"tool 1342", "press 8 6", "move 40 30", "release 40 30"};
    switch (kind) {
        case kBits1: return {"open \"" + dir + "/depth1.bmp\""};
        case kBits4: return {"open \"" + dir + "/depth4.bmp\""};
        // A palette document: pictures open at 24 bits, the colour-depth command makes 8.
        case kBits8: return {"open \"" + dir + "/depth8.bmp\"", "2016"};
        case kBits24: return {picture24};
        case kBits32: return {"open \"" + dir + "/depth32.png\""};
        case kLayersSelected: {
            std::vector<std::string> lines = {picture24, "1552", "tool 1347 size=7 foreground=ff0000", "press 5 40",
                                              "move 50 10", "release 50 10"};
            lines.insert(lines.end(), rectangle.begin(), rectangle.end());
            return lines;
        }
        case kSuspended: {
            std::vector<std::string> lines = {picture24};
            lines.insert(lines.end(), rectangle.begin(), rectangle.end());
            lines.push_back("focus out");
            return lines;
        }
        case kTextLayer: return {picture24, "1083 text=Sweep x=4 y=4 size=12 colour=0000ff \"face=DejaVu Sans\""};
        case kMeasureLayer:
            return {picture24, "calibrate 100 0 50 um", "tool 3455", "press 10 20", "drag 30 20", "release 50 20",
                    "tool 3409", "press 20 30", "release 20 30"};
        default: return {};
    }
}

// One run: the lines after the document is made, and what it should give.
struct SweepRun {
    std::string label;
    std::vector<std::string> lines;
};

struct Outcome {
    std::string text;   // "step NAME", "refused: MESSAGE", "quiet", "message: MESSAGE", ...
    bool fault = false;  // a crash, a hang, a failure without a message, a broken prelude
};

std::string Trim(const std::string& s) {
    const size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
}

// The history's newest row: its position and its name.
bool ParseRow(const std::string& row, int& index, std::string& name) {
    static const std::regex pattern(R"(^\s*(-?\d+)\s+(?:\d+ 칼라\s+)?(.*)$)");
    std::smatch m;
    if (!std::regex_match(row, m, pattern)) return false;
    index = std::stoi(m[1]);
    name = Trim(m[2]);
    return true;
}

std::string Join(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& l : lines) out += (out.empty() ? "" : " / ") + l;
    return out;
}

struct ProcessResult {
    int exitCode = -1;  // -1 when killed by a signal
    int signal = 0;
    std::vector<std::string> lines;  // standard output and error, in order
};

ProcessResult RunScript(const std::string& dir, const std::string& script) {
    // A hang is killed after two minutes (runs take a second or two, and longer only under sanitizers).
    const std::string command = "cd '" + dir + "' && exec timeout -s KILL 120 " + std::string(QUILLORY_CLI_PATH) +
                                " run '" + script + "' 2>&1";
    ProcessResult r;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return r;
    std::string out;
    std::array<char, 4096> buffer{};
    size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) out.append(buffer.data(), n);
    const int status = pclose(pipe);
    if (WIFEXITED(status)) r.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) r.signal = WTERMSIG(status);
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) {
        // Messages break their lines with "\n\r" or "\r\n".
        line.erase(std::remove(line.begin(), line.end(), '\r'), line.end());
        r.lines.push_back(line);
    }
    return r;
}

bool IsJson(const std::string& line) { return line.rfind("{\"", 0) == 0; }

// Runs every run on a fresh document of the kind: as many runs as possible in one
// process, a new process after each refusal (a refusal ends a script).
std::vector<Outcome> Sweep(Kind kind, const std::string& dir, const std::vector<SweepRun>& runs) {
    const std::vector<std::string> prelude = Prelude(kind, dir);
    // The history of the fresh document, for comparison.
    int baseIndex = 0;
    std::string baseName;
    {
        std::string text;
        for (const std::string& l : prelude) text += l + "\n";
        text += "history\n";
        std::ofstream(dir + "/base.txt", std::ios::binary) << text;
        const ProcessResult r = RunScript(dir, dir + "/base.txt");
        EXPECT_EQ(r.exitCode, 0) << kKindNames[kind] << ": " << Join(r.lines);
        if (r.exitCode != 0 || r.lines.empty() || !ParseRow(r.lines[0], baseIndex, baseName))
            return std::vector<Outcome>(runs.size(), Outcome{"the document could not be made", true});
    }
    std::vector<Outcome> outcomes(runs.size());
    size_t next = 0;
    while (next < runs.size()) {
        // The script, with the first line number of each run's own lines and of its end.
        std::string text;
        int line = 0;
        std::vector<int> actionFirst, actionEnd;
        auto add = [&](const std::string& l) {
            text += l + "\n";
            ++line;
        };
        for (size_t i = next; i < runs.size(); ++i) {
            for (const std::string& l : prelude) add(l);
            add("layers");
            actionFirst.push_back(line + 1);
            for (const std::string& l : runs[i].lines) add(l);
            actionEnd.push_back(line + 1);
            add("layers");
            add("history");
        }
        std::ofstream(dir + "/sweep.txt", std::ios::binary) << text;
        const ProcessResult r = RunScript(dir, dir + "/sweep.txt");

        // Cut the output at the JSON lines: before, during and after each run.
        std::vector<std::vector<std::string>> segments(1);
        std::vector<std::string> layers;  // the JSON lines: before and after each run
        for (const std::string& l : r.lines) {
            if (IsJson(l)) segments.emplace_back(), layers.push_back(l);
            else segments.back().push_back(l);
        }
        const size_t finished = (segments.size() - 1) / 2;  // runs whose closing JSON came
        for (size_t k = 0; k < finished && next + k < runs.size(); ++k) {
            const std::vector<std::string>& during = segments[2 * k + 1];
            const std::vector<std::string>& after = segments[2 * k + 2];
            Outcome& o = outcomes[next + k];
            int index = 0;
            std::string name;
            if (after.empty() || !ParseRow(after[0], index, name)) {
                o = {"no history printed", true};
                continue;
            }
            if (index == baseIndex + 1) o.text = "step " + name;
            else if (index > baseIndex + 1) o.text = std::to_string(index - baseIndex) + " steps, the last " + name;
            else if (index == baseIndex && name == baseName)
                o.text = layers[2 * k] == layers[2 * k + 1] ? "quiet" : "layers changed without a step";
            else o.text = "history at " + std::to_string(index) + " " + name;
            // A message shown by a run that went on: alone when nothing was recorded.
            if (!during.empty()) o.text = (o.text == "quiet" ? "" : o.text + " + ") + "message: " + Join(during);
        }
        size_t stopped = next + finished;
        if (stopped >= runs.size()) break;
        // The process ended inside run `stopped`: refused, crashed or hung.
        Outcome& o = outcomes[stopped];
        std::vector<std::string> during = segments.size() % 2 == 0 ? segments.back() : std::vector<std::string>{};
        static const std::regex failing(R"(^line (\d+): (.*)$)");
        std::smatch m;
        const bool reported = !r.lines.empty() && std::regex_match(r.lines.back(), m, failing);
        if (r.exitCode == 1 && reported) {
            const int at = std::stoi(m[1]);
            const size_t k = stopped - next;
            if (at < actionFirst[k] || at >= actionEnd[k]) {
                o = {"the document could not be made: " + Join(r.lines), true};
            } else {
                during.pop_back();
                // The runner's own line carries the reason a handler left in the document.
                const std::string line = m[2];
                const size_t reason = line.find(" failed: ");
                if (reason != std::string::npos) during.push_back(line.substr(reason + 9));
                if (during.empty()) o = {"failed without a message: " + line, true};
                else o = {"refused: " + Join(during), false};
            }
        } else if (r.signal == SIGKILL || r.exitCode == 124 || r.exitCode == 137) {
            o = {"hang", true};
        } else {
            std::string tail;
            for (size_t i = r.lines.size() > 8 ? r.lines.size() - 8 : 0; i < r.lines.size(); ++i) tail += r.lines[i] + "\n";
            o = {"crash (exit " + std::to_string(r.exitCode) + ", signal " + std::to_string(r.signal) + "): " + tail, true};
        }
        next = stopped + 1;
    }
    return outcomes;
}

// ---------------------------------------------------------------------------
// What each command should do. A command takes its dialog's starting values for
// what it is not given; the parameters here are the ones without a starting value.

struct Expected {
    std::string all;                 // on every kind, unless
    std::map<int, std::string> per = {};  // this kind says otherwise
};

// An outcome with one of the system's messages, as the output shows it.
std::string With(const std::string& outcome, const std::string& message) {
    std::string lines;
    for (char c : message) {
        if (c == '\r') continue;
        lines += c == '\n' ? std::string(" / ") : std::string(1, c);
    }
    return outcome + ": " + lines;
}
std::string Refused(const std::string& message) { return With("refused", message); }
std::string Message(const std::string& message) { return With("message", message); }
std::string Step(const std::string& name) { return "step " + name; }
const std::string kQuiet = "quiet";
const std::string kNoStep = "layers changed without a step";

std::string ExpectedOn(const Expected& e, Kind kind) {
    const auto found = e.per.find(kind);
    return found != e.per.end() ? found->second : e.all;
}

}  // namespace

namespace {

// The lines a command runs with, where it needs more than its id ($DIR: a folder of the run).
const std::map<int, std::vector<std::string>> kCommandLines = {
    {1083, {"1083 text=Quill x=6 y=20 size=10 colour=00ff00 \"face=DejaVu Sans\""}},
    {1084, {"1084 text=Edited"}},
    {1353, {"1353 x0=0 y0=0 x1=60 y1=40"}},
    {1406, {"1406 left=4 top=4 right=50 bottom=40"}},
    {1415, {"1415 angle=30"}},
    {1431, {"1431 width=40 height=30"}},
    {1432, {"1432 width=80 height=60"}},
    {1441, {"1441 folder=$DIR"}},
    {1442, {"1442 folder=$DIR"}},
    {1443, {"1443 folder=$DIR"}},
    {3327, {"3327 x=20 y=20"}},
    {3339, {"3339 width=30 height=20"}},
    {3445, {"3445 path=$DIR/sweep.xlsx folder=$DIR open=0 replace=1"}},
    {3483, {"3483 tool=3455 action=click x=12 y=12"}},
    {3485, {"3485 folder=$DIR"}},
    {3961, {"3961 mode=1"}},
    {3962, {"3962 value=100"}},
    {3963, {"3963 visible=0"}},
    {3964, {"3964 layer=0 with=1"}},
    {3994, {"3994 name=Renamed"}},
    {57637, {"57634", "57637"}},
};
const std::map<int, std::vector<std::string>> kToolLines = {
    {1345, {"doubleclick 10 40"}},
    {1357, {"press 40 40", "release 40 40"}},
    {1570, {"key enter"}},
};
// The outcome of each command and tool per kind of document: the step it records,
// the message it refuses with, or nothing recorded where it changes only the
// selection, the clipboard, files, or a layer's look.
const std::map<std::string, Expected> kCommandTable = {
    {"1083", {Step(texts::kStepTextInput)}},
    {"1084", {Refused(texts::kNotTextLayer), {{kTextLayer, Step(texts::kStepTextEdit)}}}},
    {"1353", {Step(texts::kStepGradient), {{kTextLayer, Refused(texts::kTextLayerIsCurrent)}}}},
    {"1406", {Step(texts::kStepEllipse), {{kTextLayer, Refused(texts::kLayerIsTextLayer)}}}},
    {"1407", {kNoStep, {{kBits8, "history at 0 (처음영상)"}, {kLayersSelected, "history at 0 (처음영상)"}, {kTextLayer, "history at 0 (처음영상)"}, {kMeasureLayer, "history at 0 (처음영상)"}}}},
    {"1408", {Step(texts::kStepMirror)}},
    {"1410", {Step(texts::kStepCanvasFlipLeftRight)}},
    {"1411", {Step(texts::kStepCanvasFlipTopBottom)}},
    {"1413", {Step(texts::kStepInvert), {{kTextLayer, Refused(texts::kTextLayerIsCurrent)}}}},
    {"1414", {Step(texts::kStepGreyScale)}},
    {"1415", {Step(texts::kStepFreeRotate), {{kTextLayer, Refused(texts::kLayerIsTextLayer)}}}},
    {"1416", {kNoStep, {{kBits8, "history at 0 (처음영상)"}, {kLayersSelected, "history at 0 (처음영상)"}, {kTextLayer, "history at 0 (처음영상)"}, {kMeasureLayer, "history at 0 (처음영상)"}}}},
    {"1417", {kNoStep, {{kBits8, "history at 0 (처음영상)"}, {kLayersSelected, "history at 0 (처음영상)"}, {kTextLayer, "history at 0 (처음영상)"}, {kMeasureLayer, "history at 0 (처음영상)"}}}},
    {"1425", {kNoStep, {{kBits8, "history at 0 (처음영상)"}, {kLayersSelected, "history at 0 (처음영상)"}, {kTextLayer, "history at 0 (처음영상)"}, {kMeasureLayer, "history at 0 (처음영상)"}}}},
    {"1430", {Step("Removetransparency")}},
    {"1431", {Step(texts::kStepImageSize)}},
    {"1432", {Step(texts::kStepCanvasSize)}},
    {"1441", {kQuiet}},
    {"1442", {kQuiet}},
    {"1443", {kQuiet}},
    {"1447", {Step(texts::kFilterSharpen), {{kTextLayer, Refused(texts::kTextLayerIsCurrent)}}}},
    {"1450", {Step(texts::kStepBrightnessContrast), {{kTextLayer, Refused(texts::kTextLayerIsCurrent)}}}},
    {"1452", {Step(texts::kFilterEmboss), {{kTextLayer, Refused(texts::kTextLayerIsCurrent)}}}},
    {"1453", {Step(texts::kFilterBlur), {{kTextLayer, Refused(texts::kTextLayerIsCurrent)}}}},
    {"1454", {Step(texts::kFilterSoften), {{kTextLayer, Refused(texts::kTextLayerIsCurrent)}}}},
    {"1455", {Step(texts::kFilterEdgeEnhance), {{kTextLayer, Refused(texts::kTextLayerIsCurrent)}}}},
    {"1456", {Step(texts::kFilterContour), {{kTextLayer, Refused(texts::kTextLayerIsCurrent)}}}},
    {"1457", {Step(texts::kFilterShrink), {{kTextLayer, Refused(texts::kTextLayerIsCurrent)}}}},
    {"1460", {Step(texts::kFilterExpand), {{kTextLayer, Refused(texts::kTextLayerIsCurrent)}}}},
    {"1461", {Step(texts::kFilterStamp), {{kTextLayer, Refused(texts::kTextLayerIsCurrent)}}}},
    {"1462", {Step(texts::kFilterConfetti), {{kTextLayer, Refused(texts::kTextLayerIsCurrent)}}}},
    {"1463", {Step(texts::kFilterLineColouring), {{kTextLayer, Refused(texts::kTextLayerIsCurrent)}}}},
    {"1465", {Step(texts::kFilterWatercolour), {{kTextLayer, Refused(texts::kTextLayerIsCurrent)}}}},
    {"1466", {Step(texts::kFilterPaper), {{kTextLayer, Refused(texts::kTextLayerIsCurrent)}}}},
    {"1467", {Step(texts::kFilterRaindrops), {{kTextLayer, Refused(texts::kTextLayerIsCurrent)}}}},
    {"1468", {Step(texts::kFilterFrostedGlass), {{kTextLayer, Refused(texts::kTextLayerIsCurrent)}}}},
    {"1469", {Step(texts::kFilterDenoise), {{kTextLayer, Refused(texts::kTextLayerIsCurrent)}}}},
    {"1470", {Step(texts::kFilterEdgeEnhance), {{kTextLayer, Refused(texts::kTextLayerIsCurrent)}}}},
    {"1471", {Step(texts::kFilterBubbles), {{kTextLayer, Refused(texts::kTextLayerIsCurrent)}}}},
    {"1472", {Step(texts::kFilterOilPaint), {{kTextLayer, Refused(texts::kTextLayerIsCurrent)}}}},
    {"1473", {Step(texts::kFilterAreaExpand), {{kTextLayer, Refused(texts::kTextLayerIsCurrent)}}}},
    {"1483", {Step("Removealphachannel")}},
    {"1485", {Step("Invetalpha")}},
    {"1486", {Step("Alphapalettetoggle")}},
    {"1490", {Step("Alphastrip")}},
    {"1491", {Step(texts::kStepCanvasRotateRight), {{kTextLayer, Refused(texts::kCanvasHasTextLayer)}}}},
    {"1492", {Step(texts::kStepCanvasRotateLeft), {{kTextLayer, Refused(texts::kCanvasHasTextLayer)}}}},
    {"1500", {Step(texts::kStepFlatten)}},
    {"1503", {Step(texts::kStepColourAdjust), {{kTextLayer, Refused(texts::kTextLayerIsCurrent)}}}},
    {"1545", {Refused(texts::kNotTextLayer), {{kTextLayer, Step(texts::kCmdTextTextToRaster)}}}},
    {"1552", {Step(texts::kStepAddLayer)}},
    {"1553", {Refused(texts::kOnlyOneLayer), {{kLayersSelected, Step(texts::kStepDeleteLayer)}, {kTextLayer, Step(texts::kStepDeleteLayer)}, {kMeasureLayer, Step(texts::kStepDeleteLayer)}}}},
    {"1555", {Refused(texts::kNoLayerBelow), {{kLayersSelected, Step(texts::kStepMerge)}, {kTextLayer, Refused(texts::kMergeTextLayer)}, {kMeasureLayer, Step(texts::kStepMerge)}}}},
    {"1557", {Refused(texts::kNoLayerAbove)}},
    {"1558", {Step(texts::kStepLayerEffect), {{kTextLayer, Refused(texts::kTextLayerIsCurrent)}}}},
    {"2016", {Step("8 비트 컬러 표현"), {{kBits8, Refused(texts::kAlreadyPalette)}}}},
    {"2055", {Refused(texts::kNoSelection), {{kLayersSelected, kQuiet}, {kSuspended, kQuiet}}}},
    {"2056", {kQuiet}},
    {"2058", {kQuiet}},
    {"2076", {Step(texts::kStepAutoColour), {{kTextLayer, Refused(texts::kTextLayerIsCurrent)}}}},
    {"2093", {kQuiet, {{kBits8, Step("RGB컬러 표현")}}}},
    {"2106", {Step(texts::kFilterDalmatian), {{kTextLayer, Refused(texts::kTextLayerIsCurrent)}}}},
    {"2113", {Step(texts::kStepBinary), {{kTextLayer, Refused(texts::kTextLayerIsCurrent)}}}},
    {"2533", {Step(texts::kStepColourAdjust), {{kTextLayer, Refused(texts::kTextLayerIsCurrent)}}}},
    {"3165", {Refused(mtexts::kNoVectorToUndo), {{kMeasureLayer, kQuiet}}}},
    {"3166", {Refused(mtexts::kNoVectorToRedo)}},
    {"3318", {Refused(mtexts::kNoMeasureLayer), {{kMeasureLayer, kQuiet}}}},
    {"3327", {kQuiet, {{kTextLayer, Refused(texts::kTextLayerIsCurrent)}}}},
    {"3339", {Step(texts::kStepStretch), {{kTextLayer, Refused(texts::kLayerIsTextLayer)}}}},
    {"3379", {"2 steps, the last [달력]"}},
    {"3392", {Step(texts::kStepPictureFrame)}},
    {"3445", {kQuiet}},
    {"3477", {Step(texts::kFilterBathroom), {{kTextLayer, Refused(texts::kTextLayerIsCurrent)}}}},
    {"3479", {Step(texts::kFilterLens), {{kTextLayer, Refused(texts::kTextLayerIsCurrent)}}}},
    {"3481", {Step(mtexts::kStepAddMeasureLayer), {{kMeasureLayer, kQuiet}}}},
    {"3482", {Refused(mtexts::kSelectToEraseFirst)}},
    {"3483", {Step(mtexts::kStepAddMeasureLayer), {{kMeasureLayer, kQuiet}}}},
    {"3484", {kQuiet}},
    {"3485", {Message(std::string(mtexts::kMeasureTextSaved) + "\n$DIR/" + mtexts::kMeasureTextFile)}},
    // The sweep's pictures are darker than the rule allows (a mean grey of 129 or less).
    {"3304", {Refused("Too Dark Image. (Current Gray 127)"),
              {{kBits1, Refused("Too Dark Image. (Current Gray 93)")},
               {kBits4, Refused("Too Dark Image. (Current Gray 116)")},
               {kBits8, Refused("Too Dark Image. (Current Gray 121)")}}}},
    {"3500", {Step(texts::kStepPaste), {{kBits8, Refused(texts::kRgbOnly)}, {kMeasureLayer, Refused(texts::kOnlyRasterCopied)}}}},
    {"3961", {kNoStep}},
    {"3962", {kNoStep}},
    {"3963", {kNoStep}},
    {"3964", {Refused(texts::kNoSuchLayer), {{kLayersSelected, Step(texts::kStepReorder)}, {kTextLayer, Step(texts::kStepReorder)}, {kMeasureLayer, Step(texts::kStepReorder)}}}},
    {"3994", {kNoStep}},
    {"4210", {Step(texts::kStepLayerRotateRight), {{kTextLayer, Refused(texts::kLayerIsTextLayer)}}}},
    {"4214", {Step(texts::kStepLayerRotateLeft), {{kTextLayer, Refused(texts::kLayerIsTextLayer)}}}},
    {"4219", {Step(texts::kStepLayerFlipTopBottom)}},
    {"4220", {Step(texts::kStepLayerFlipLeftRight)}},
    {"4221", {Step(texts::kStepLayerRotate180), {{kTextLayer, Refused(texts::kLayerIsTextLayer)}}}},
    {"4222", {Step(texts::kStepCanvasRotate180), {{kTextLayer, Refused(texts::kCanvasHasTextLayer)}}}},
    {"4224", {Step(texts::kStepDesaturateLayer)}},
    {"4250", {Step(texts::kStepFreeTransform), {{kTextLayer, Refused(texts::kLayerIsTextLayer)}}}},
    {"4251", {Step(texts::kStepFreeTransform), {{kTextLayer, Refused(texts::kLayerIsTextLayer)}}}},
    {"4252", {Step(texts::kStepFreeTransformPerspective), {{kTextLayer, Refused(texts::kLayerIsTextLayer)}}}},
    {"5623", {Refused(texts::kPathNeedsMorePoints)}},
    {"5625", {Refused(texts::kPathNeedsMorePoints)}},
    {"57634", {kQuiet, {{kMeasureLayer, Refused(texts::kOnlyRasterCopied)}}}},
    {"57635", {Step(texts::kStepCut), {{kTextLayer, Refused(texts::kTextLayerIsCurrent)}, {kMeasureLayer, Refused(texts::kOnlyRasterCopied)}}}},
    {"57637", {Step(texts::kStepPaste), {{kMeasureLayer, Refused(texts::kOnlyRasterCopied)}}}},
    {"57643", {Refused(texts::kNothingToUndo), {{kBits8, "history at 0 (처음영상)"}, {kLayersSelected, "history at 1 레이어추가"}, {kTextLayer, "history at 0 (처음영상)"}, {kMeasureLayer, "history at 0 (처음영상)"}}}},
    {"57644", {Refused(texts::kNothingToRedo)}},
};
const std::map<std::string, Expected> kToolTable = {
    {"tool 1342", {kQuiet}},
    {"tool 1343", {kQuiet}},
    {"tool 1344", {kQuiet, {{kTextLayer, Message(texts::kTextLayerIsCurrent)}}}},
    {"tool 1345", {kQuiet}},
    {"tool 1346", {Step(texts::kStepSpray), {{kTextLayer, Message(texts::kTextLayerIsCurrent)}}}},
    {"tool 1347", {Step(texts::kStepBrush), {{kTextLayer, Message(texts::kTextLayerIsCurrent)}}}},
    {"tool 1350", {Step(texts::kStepDot), {{kTextLayer, Message(texts::kTextLayerIsCurrent)}}}},
    {"tool 1352", {Step(texts::kStepFill), {{kTextLayer, Message(texts::kTextLayerIsCurrent)}}}},
    {"tool 1353", {Step(texts::kStepGradient), {{kTextLayer, Message(texts::kTextLayerIsCurrent)}}}},
    {"tool 1354", {Step(texts::kStepDrop), {{kTextLayer, Message(texts::kTextLayerIsCurrent)}}}},
    {"tool 1355", {Step(texts::kStepErase), {{kTextLayer, Message(texts::kTextLayerIsCurrent)}}}},
    {"tool 1356", {Step(texts::kStepLine), {{kTextLayer, Message(texts::kTextLayerIsCurrent)}}}},
    {"tool 1357", {Step(texts::kStepPolyline), {{kTextLayer, Message(texts::kTextLayerIsCurrent)}}}},
    {"tool 1380", {Step(texts::kStepCircle), {{kTextLayer, Message(texts::kTextLayerIsCurrent)}}}},
    {"tool 1406", {kQuiet}},
    {"tool 1415", {kQuiet}},
    {"tool 1509", {kQuiet, {{kTextLayer, Message(texts::kPathNotOnText)}}}},
    {"tool 1570", {Step(texts::kStepMoveLayer), {{kLayersSelected, Step(texts::kStepMoveSelection)}}}},
    {"tool 2097", {kQuiet}},
    {"tool 3327", {kQuiet}},
    {"tool 3339", {kQuiet}},
    {"tool 3344", {kQuiet}},
    {"tool 3409", {Step(mtexts::kStepAddMeasureLayer), {{kMeasureLayer, kQuiet}}}},
    {"tool 3416", {kQuiet}},
    {"tool 3419", {Message("[선택/수정] 버튼으로 대상을 정하고 실행하십시요 / 먼저 수정할 대상을 선택하십시요")}},
    {"tool 3427", {Message("[선택/수정] 버튼으로 대상을 정하고 실행하십시요 / 먼저 수정할 대상을 선택하십시요")}},
    {"tool 3455", {Step(mtexts::kStepAddMeasureLayer), {{kMeasureLayer, kQuiet}}}},
    {"tool 3457", {Step(mtexts::kStepAddMeasureLayer), {{kMeasureLayer, kQuiet}}}},
    {"tool 3462", {Step(mtexts::kStepAddMeasureLayer), {{kMeasureLayer, kQuiet}}}},
    {"tool 3463", {Step(mtexts::kStepAddMeasureLayer), {{kMeasureLayer, kQuiet}}}},
    {"tool 3466", {Step(mtexts::kStepAddMeasureLayer), {{kMeasureLayer, kQuiet}}}},
    {"tool 3467", {Step(mtexts::kStepAddMeasureLayer), {{kMeasureLayer, kQuiet}}}},
    {"tool 3470", {Step(mtexts::kStepAddMeasureLayer), {{kMeasureLayer, kQuiet}}}},
    {"tool 3471", {Step(mtexts::kStepAddMeasureLayer), {{kMeasureLayer, kQuiet}}}},
    {"tool 3472", {Step(mtexts::kStepAddMeasureLayer), {{kMeasureLayer, kQuiet}}}},
    {"tool 3475", {kQuiet}},
    {"tool 4250", {kQuiet}},
    {"tool 4251", {kQuiet}},
    {"tool 4252", {kQuiet}},
    {"tool 5615", {kQuiet, {{kTextLayer, Message(texts::kPathNotOnText)}}}},
    {"tool 5616", {kQuiet, {{kTextLayer, Message(texts::kPathNotOnText)}}}},
    {"tool 5620", {kQuiet, {{kTextLayer, Message(texts::kPathNotOnText)}}}},
    {"tool 5621", {kQuiet, {{kTextLayer, Message(texts::kPathNotOnText)}}}},
    {"tool 5622", {kQuiet, {{kTextLayer, Message(texts::kPathNotOnText)}}}},
};

// Cells left out of the comparison while their right outcome (the table's) is restored elsewhere.
const std::set<std::pair<std::string, int>> kSkipped = {};

}  // namespace

namespace {

void WritePictures(const std::string& dir) {
    for (int depth : {1, 4, 8, 24, 32}) {
        NyZazo picture;
        test::PatternPicture(picture, 64, 48, depth);
        const std::string name = dir + "/depth" + std::to_string(depth) + (depth == 32 ? ".png" : ".bmp");
        ASSERT_TRUE(picture.Save(name, depth == 32 ? kFormatPng : kFormatBmp)) << picture.lastError;
    }
}

// Every command id the script runner knows.
std::vector<int> CommandIds() {
    InstallMeasurement();
    CommandRegistry& registry = CommandRegistry::Instance();
    RegisterPathCommands(registry);
    RegisterExtrasCommands(registry);
    return registry.Ids();
}

std::vector<int> ToolIds() {
    InstallMeasurement();
    std::vector<int> ids;
    const ToolRegistry& registry = ToolRegistry::Instance();
    for (int id = 0; id < 70000; ++id)
        if (registry.Has(id)) ids.push_back(id);
    return ids;
}

struct Tally {
    int runs = 0, steps = 0, refused = 0, quiet = 0, faults = 0, skipped = 0;
};

void Check(const std::string& what, const std::vector<SweepRun>& runs, const std::map<std::string, Expected>& table,
           const std::string& dir, Tally& tally, std::string& observedTable) {
    for (int k = 0; k < kKinds; ++k) {
        const Kind kind = Kind(k);
        const std::vector<Outcome> outcomes = Sweep(kind, dir, runs);
        for (size_t i = 0; i < runs.size(); ++i) {
            Outcome o = outcomes[i];
            // The run's folder, as the table writes it.
            for (size_t at; (at = o.text.find(dir)) != std::string::npos;) o.text.replace(at, dir.size(), "$DIR");
            ++tally.runs;
            if (o.fault && !kSkipped.count({runs[i].label, kind})) ++tally.faults;
            else if (o.text.rfind("step ", 0) == 0) ++tally.steps;
            else if (o.text.rfind("refused: ", 0) == 0 || o.text.rfind("message: ", 0) == 0) ++tally.refused;
            else ++tally.quiet;
            observedTable += runs[i].label + "\t" + kKindNames[kind] + "\t" + o.text + "\n";
            const auto expected = table.find(runs[i].label);
            if (expected == table.end()) {
                ADD_FAILURE() << what << " " << runs[i].label << " has no row in the table";
                continue;
            }
            if (kSkipped.count({runs[i].label, kind})) {
                ++tally.skipped;
                continue;
            }
            EXPECT_FALSE(o.fault) << what << " " << runs[i].label << " on " << kKindNames[kind] << ": " << o.text;
            EXPECT_EQ(o.text, ExpectedOn(expected->second, kind))
                << what << " " << runs[i].label << " on " << kKindNames[kind];
        }
    }
}

}  // namespace

TEST(CommandSweep, EveryCommandOnEveryKindOfDocumentRecordsItsStepOrRefusesWithItsMessage) {
    test::TempDir dir;
    WritePictures(dir.path().string());
    std::vector<SweepRun> runs;
    for (int id : CommandIds()) {
        const auto lines = kCommandLines.find(id);
        std::vector<std::string> own;
        if (lines != kCommandLines.end()) {
            for (const std::string& l : lines->second) {
                std::string filled = l;
                for (size_t at; (at = filled.find("$DIR")) != std::string::npos;) filled.replace(at, 4, dir.path().string());
                own.push_back(filled);
            }
        } else {
            own.push_back(std::to_string(id));
        }
        runs.push_back({std::to_string(id), own});
    }
    Tally tally;
    std::string observed;
    Check("command", runs, kCommandTable, dir.path().string(), tally, observed);
    std::printf("commands: %d runs, %d steps, %d refused, %d without a step, %d crashes, hangs or silent failures, "
                "%d skipped\n", tally.runs, tally.steps, tally.refused, tally.quiet, tally.faults, tally.skipped);
    if (const char* path = std::getenv("QUILLORY_SWEEP_OBSERVED")) std::ofstream(std::string(path) + ".commands") << observed;
    for (const auto& row : kCommandTable) {
        const std::string& label = row.first;
        EXPECT_NE(std::find_if(runs.begin(), runs.end(), [&](const SweepRun& r) { return r.label == label; }), runs.end())
            << "the table's command " << label << " is not registered";
    }
}

TEST(CommandSweep, EveryToolOnEveryKindOfDocumentRecordsItsStepOrRefusesWithItsMessage) {
    test::TempDir dir;
    WritePictures(dir.path().string());
    std::vector<SweepRun> runs;
    for (int id : ToolIds()) {
        std::vector<std::string> lines = {"tool " + std::to_string(id), "press 10 10", "move 30 20", "release 30 20"};
        const auto extra = kToolLines.find(id);
        if (extra != kToolLines.end()) lines.insert(lines.end(), extra->second.begin(), extra->second.end());
        runs.push_back({"tool " + std::to_string(id), lines});
    }
    Tally tally;
    std::string observed;
    Check("the", runs, kToolTable, dir.path().string(), tally, observed);
    std::printf("tools: %d runs, %d steps, %d refused, %d without a step, %d crashes, hangs or silent failures, "
                "%d skipped\n", tally.runs, tally.steps, tally.refused, tally.quiet, tally.faults, tally.skipped);
    if (const char* path = std::getenv("QUILLORY_SWEEP_OBSERVED")) std::ofstream(std::string(path) + ".tools") << observed;
}
