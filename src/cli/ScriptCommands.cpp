// quillory-cli run SCRIPT: replays a series of document edits headless, one
// command a line:
//   new W H [white|transparent|colour RRGGBB]   open PATH   save PATH
//   ID-or-NAME [key=value ...]                  a registered document command
//   select SLOT   reorder SLOT SLOT   layers (JSON as info gives)   undo   redo   history
//   tool ID [size=N soft=0|1 value1=N value2=N foreground=RRGGBB background=RRGGBB]
//   press X Y [shift]   move X Y   release X Y   doubleclick X Y   key enter   focus out|in
// With a measuring tool: press X Y [TEXT]   move X Y (or drag X Y)   release X Y
//   click X Y [TEXT]   end;   and with any tool:   calibrate DX DY LENGTH [UNIT]
//   objects   multifocus
// Every document of a run shares one measurement calibration; multifocus composes
// all documents opened or made so far into a new one.
// Blank lines and lines starting with "#" are skipped; a token may be quoted
// with "..." to hold spaces. `open PATH --page N` opens page N (from 1) of a
// multi-page TIFF or frame N of an animated GIF; `run SCRIPT --page N` does so for
// every open line that names no page.
// The first failing line ends the run with status 1.
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/CliPlatform.h"
#include "cli/Commands.h"
#include "cli/DocumentJson.h"
#include "cli/Pages.h"
#include "core/DibTypes.h"
#include "document/CVandDoc.h"
#include "document/CommandRegistry.h"
#include "document/SelectionEditing.h"
#include "document/UndoHistory.h"
#include "measure/MeasureSet.h"
#include "measure/MeasureTool.h"
#include "measure/MultiFocus.h"
#include "extras/ExtrasCommands.h"
#include "view/ViewTool.h"
#include "view/tools/GuidePathTool.h"
#include "view/tools/PaintTools.h"

namespace quillory::cli {

namespace {

bool SplitLine(const std::string& line, std::vector<std::string>& tokens) {
    tokens.clear();
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
        if (i >= line.size()) break;
        std::string token;
        if (line[i] == '"') {
            const size_t end = line.find('"', i + 1);
            if (end == std::string::npos) return false;
            token = line.substr(i + 1, end - i - 1);
            i = end + 1;
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') token += line[i++];
        }
        tokens.push_back(token);
    }
    return true;
}

bool ParseWhole(const std::string& text, long long& value) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    value = std::stoll(text);
    return true;
}

bool ParseHex(const std::string& text, RGBQUAD& colour) {
    const std::string hex = text.rfind('#', 0) == 0 ? text.substr(1) : text;
    if (hex.size() != 6 || hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return false;
    const unsigned long value = std::stoul(hex, nullptr, 16);
    colour = RGBQUAD{uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), 0};
    return true;
}

const CommandEntry* FindCommand(const CommandRegistry& registry, const std::string& token) {
    long long id = 0;
    if (ParseWhole(token, id)) return registry.Find(int(id));
    for (int candidate : registry.Ids()) {
        const CommandEntry* entry = registry.Find(candidate);
        if (entry && entry->name == token) return entry;
    }
    return nullptr;
}

class ScriptRunner {
public:
    explicit ScriptRunner(int defaultPage) : m_defaultPage(defaultPage) {}

    // An empty text when the line ran, else what went wrong.
    std::string Run(const std::vector<std::string>& t) {
        const std::string& verb = t[0];
        if (verb == "new") return New(t);
        if (verb == "open") {
            Args args(t.begin() + 1, t.end());
            int pageIndex = m_defaultPage;
            if (std::find(args.begin(), args.end(), "--page") != args.end() && !TakePage(args, pageIndex))
                return "usage: open PATH [--page N]";
            if (args.size() != 1) return "usage: open PATH [--page N]";
            auto document = NewDocumentObject();
            std::string pageError;
            if (!OpenPage(*document, args[0], pageIndex, pageError)) {
                if (!pageError.empty()) return pageError;
                return document->LastError().empty() ? "cannot open " + args[0] : document->LastError();
            }
            Keep(std::move(document));
            return {};
        }
        if (!m_document) return "no document: start with new or open";
        if (const std::optional<std::string> measured = Measure(t)) return *measured;
        if (verb == "save") {
            if (t.size() != 2) return "usage: save PATH";
            if (std::string refused = OnePageOverItsFile(*m_document, t[1]); !refused.empty()) return refused;
            if (!m_document->SaveDocument(t[1]))
                return m_document->LastError().empty() ? "cannot write " + t[1] : m_document->LastError();
            NowOnePage(*m_document);
            return {};
        }
        if (verb == "undo" || verb == "redo") {
            if (t.size() != 1) return "usage: " + verb;
            UndoHistory& history = m_document->History();
            // Nothing to undo or redo is no failure; an undo that could not read its files is.
            const bool possible = verb == "undo" ? history.CanUndo() : history.CanRedo();
            const bool done = verb == "undo" ? history.Undo() : history.Redo();
            return possible && !done ? verb + " failed: " + history.LastError() : std::string();
        }
        if (verb == "history") {
            for (const std::string& row : m_document->History().HistoryRows()) std::cout << row << "\n";
            return {};
        }
        if (verb == "layers") {
            if (t.size() != 1) return "usage: layers";
            const CVandDoc& doc = *m_document;
            std::cout << LayeredDocumentJson(doc.Header().formatType, doc.Header(), doc.Stack().Layers(), doc.HeadLayer(),
                                             doc.CurrentLayer())
                      << "\n";
            return {};
        }
        if (verb == "select") {
            long long slot = 0;
            if (t.size() != 2 || !ParseWhole(t[1], slot)) return "usage: select SLOT";
            if (!m_document->IsLayerInList(int(slot)) || !m_document->SelectLayer(int(slot)))
                return "cannot select layer " + t[1];
            return {};
        }
        if (verb == "reorder") {
            // The layers palette's drag of one row onto another: the two layers swap places.
            long long a = 0, b = 0;
            if (t.size() != 3 || !ParseWhole(t[1], a) || !ParseWhole(t[2], b)) return "usage: reorder SLOT SLOT";
            if (!m_document->IsLayerInList(int(a)) || !m_document->IsLayerInList(int(b)) ||
                !m_document->ReorderLayers(int(a), int(b)))
                return "cannot reorder layers " + t[1] + " and " + t[2];
            return {};
        }
        if (verb == "focus") {
            // The view loses or regains the keyboard focus: an active selection is
            // suspended until the focus comes back.
            if (t.size() != 2 || (t[1] != "out" && t[1] != "in")) return "usage: focus out|in";
            SelectionMask& selection = m_document->State().selection;
            if (t[1] == "out" && selection.selectionActive) selection.selectionActive = 0, selection.suspended = 1;
            if (t[1] == "in" && selection.suspended) selection.selectionActive = 1, selection.suspended = 0;
            return {};
        }
        if (verb == "tool") return ChooseTool(t);
        if (verb == "press" || verb == "move" || verb == "release" || verb == "doubleclick") return Pointer(t);
        if (verb == "key") {
            if (t.size() != 2 || t[1] != "enter") return "usage: key enter";
            if (!m_tool) return "no tool: choose one with tool ID";
            ToolContext context = Context();
            m_tool->Key(context, '\r');
            return {};
        }
        const CommandRegistry& registry = CommandRegistry::Instance();
        const CommandEntry* entry = FindCommand(registry, verb);
        if (!entry) return "unknown command " + verb;
        CommandParameters parameters;
        for (size_t k = 1; k < t.size(); ++k) {
            const size_t eq = t[k].find('=');
            if (eq == std::string::npos || eq == 0) return "parameter without key=value: " + t[k];
            parameters.Set(t[k].substr(0, eq), t[k].substr(eq + 1));
        }
        // A handler that cannot say so in a message box leaves its reason in the document.
        m_document->SetLastError({});
        const bool done = registry.Execute(entry->id, *m_document, parameters);
        return Refusal(*entry, parameters, done, m_document->LastError());
    }

private:
    // A value the command could not take, or a key it does not take, fails the line
    // even when the command ran: the script stops before anything is saved.
    static std::string Refusal(const CommandEntry& entry, const CommandParameters& parameters, bool done,
                               const std::string& reason) {
        if (const std::string& key = parameters.RefusedKey(); !key.empty()) {
            const std::string value = parameters.Text(key);
            const bool spelled = !value.empty() && value.find_first_not_of("0123456789-.eE") == std::string::npos;
            char* end = nullptr;
            const double number = std::strtod(value.c_str(), &end);
            if (spelled && end && *end == '\0' && !(std::fabs(number) <= double(kMaxNumberParameter)))
                return entry.name + ": " + key + "=" + value + " is out of range (" + std::to_string(-kMaxNumberParameter) +
                       ".." + std::to_string(kMaxNumberParameter) + ")";
            return entry.name + ": " + key + "=" + value + " is not a value " + key + " takes";
        }
        const std::vector<std::string> unread = parameters.UnreadKeys();
        if (!unread.empty())
            return entry.name + (done ? "" : " failed;") + ": " + unread.front() + " is not a parameter it takes here";
        if (done) return {};
        return entry.name + " failed" + (reason.empty() ? std::string() : ": " + reason);
    }

    // The settings the main frame's bars would hold.
    struct ToolSettings {
        uint32_t foreground = 0x000000, background = 0xFFFFFF;  // red in the low byte
        int brushSize = 5, softBrush = 0, value1 = 0, value2 = 0;
    };

    ToolContext Context() {
        ToolContext context{*m_document, m_view, m_toolId, m_settings.foreground, m_settings.background,
                            m_settings.brushSize};
        context.softBrush = m_settings.softBrush;
        context.toolValue1 = m_settings.value1;
        context.toolValue2 = m_settings.value2;
        return context;
    }

    std::string ChooseTool(const std::vector<std::string>& t) {
        long long id = 0;
        if (t.size() < 2 || !ParseWhole(t[1], id) || !ToolRegistry::Instance().Has(int(id)))
            return "usage: tool ID [size=N soft=0|1 value1=N value2=N foreground=RRGGBB background=RRGGBB]";
        // Choosing another tool lands a floating selection and registers a pending measured figure.
        ChooseMeasureTool(*m_document, m_toolId, int(id));
        MeasuresOf(*m_document).tool.currentTool = int(id);
        if (int(id) != m_toolId && m_document->State().floatingPending) m_document->DropFloatingSelection();
        const ToolSliders sliders = SlidersFor(int(id));
        if (sliders.first.enabled && !sliders.first.keepValue) m_settings.value1 = sliders.first.start;
        if (sliders.second.enabled && !sliders.second.keepValue) m_settings.value2 = sliders.second.start;
        for (size_t k = 2; k < t.size(); ++k) {
            const size_t eq = t[k].find('=');
            const std::string key = eq == std::string::npos ? t[k] : t[k].substr(0, eq);
            const std::string value = eq == std::string::npos ? std::string() : t[k].substr(eq + 1);
            long long number = 0;
            RGBQUAD colour{};
            if ((key == "foreground" || key == "background") && ParseHex(value, colour)) {
                const uint32_t platform = uint32_t(colour.red) | uint32_t(colour.green) << 8 | uint32_t(colour.blue) << 16;
                (key == "foreground" ? m_settings.foreground : m_settings.background) = platform;
            } else if (key == "size" && ParseWhole(value, number) && number >= 1 && number <= 100) {
                m_settings.brushSize = int(number);
            } else if (key == "soft" && (value == "0" || value == "1")) {
                m_settings.softBrush = value == "1";
            } else if (key == "value1" && ParseWhole(value, number) && number <= 255) {
                m_settings.value1 = int(number);
            } else if (key == "value2" && ParseWhole(value, number) && number <= 255) {
                m_settings.value2 = int(number);
            } else {
                return "bad tool setting " + t[k];
            }
        }
        m_toolId = int(id);
        m_tool = ToolRegistry::Instance().Create(m_toolId);
        return {};
    }

    std::string Pointer(const std::vector<std::string>& t) {
        long long x = 0, y = 0;
        const bool shift = t.size() == 4 && t[3] == "shift";
        if ((t.size() != 3 && !shift) || !ParseWhole(t[1], x) || !ParseWhole(t[2], y))
            return "usage: " + t[0] + " X Y" + (t[0] == "press" ? " [shift]" : "");
        if (!m_tool) return "no tool: choose one with tool ID";
        if (x >= m_document->Header().width || y >= m_document->Header().height)
            return "point outside the picture: " + t[1] + " " + t[2];
        ToolEvent event;
        event.pictureX = event.zoomedX = event.windowX = int(x);
        event.pictureY = event.zoomedY = event.windowY = int(y);
        event.shift = shift;
        ToolContext context = Context();
        if (t[0] == "press") m_tool->Press(context, event);
        else if (t[0] == "move") m_tool->Move(context, event);
        else if (t[0] == "release") m_tool->Release(context, event);
        else m_tool->DoubleClick(context, event);
        if (context.foregroundPicked) m_settings.foreground = context.foreground;
        // A drawn outline fills as at the animation's first tick.
        if (t[0] == "release" || t[0] == "doubleclick") SettleSelection(*m_document);
        return {};
    }

    std::string New(const std::vector<std::string>& t) {
        NewPictureSettings settings;
        long long w = 0, h = 0;
        if (t.size() < 3 || t.size() > 5 || !ParseWhole(t[1], w) || !ParseWhole(t[2], h) || w <= 0 || h <= 0)
            return "usage: new W H [white|transparent|colour RRGGBB]";
        settings.width = int(w);
        settings.height = int(h);
        const std::string background = t.size() > 3 ? t[3] : "white";
        if (background == "white" && t.size() <= 4) {
            settings.background = NewPictureSettings::White;
        } else if (background == "transparent" && t.size() <= 4) {
            settings.background = NewPictureSettings::Transparent;
        } else if ((background == "colour" || background == "color") && t.size() == 5 &&
                   ParseHex(t[4], settings.backgroundColour)) {
            settings.background = NewPictureSettings::Colour;
        } else {
            return "usage: new W H [white|transparent|colour RRGGBB]";
        }
        auto document = NewDocumentObject();
        if (!document->NewDocument(settings)) return "cannot create a picture of that size";
        Keep(std::move(document));
        return {};
    }

    // The measuring verbs, and the pointer verbs while a measuring tool is current;
    // nothing for any other line.
    std::optional<std::string> Measure(const std::vector<std::string>& t) {
        const std::string& verb = t[0];
        CVandDoc& doc = *m_document;
        const bool measuring = IsMeasureTool(m_toolId);
        if (verb == "drag" || verb == "click" || (measuring && (verb == "press" || verb == "move" || verb == "release"))) {
            long long x = 0, y = 0;
            const bool withText = verb == "press" || verb == "click";
            if (t.size() < 3 || t.size() > (withText ? 4u : 3u) || !ParseWhole(t[1], x) || !ParseWhole(t[2], y))
                return "usage: " + verb + " X Y" + (withText ? " [TEXT]" : "");
            if (!measuring) return "no measuring tool: choose one with tool ID";
            if (x >= doc.Header().width || y >= doc.Header().height)
                return "point outside the picture: " + t[1] + " " + t[2];
            const MeasurePoint at{int32_t(x), int32_t(y)};
            const std::string text = t.size() == 4 ? t[3] : std::string();
            if (verb == "press" || verb == "click") MeasurePress(doc, m_toolId, at, text);
            if (verb == "move" || verb == "drag") MeasureDrag(doc, m_toolId, at);
            if (verb == "release" || verb == "click") MeasureRelease(doc, m_toolId, at);
            return std::string();
        }
        if (verb == "end") {
            if (t.size() != 1) return "usage: end";
            const int stays = EndContinuousMeasure(doc, m_toolId);
            if (stays != m_toolId) {
                m_toolId = stays;
                m_tool.reset();
                MeasuresOf(doc).tool.currentTool = stays;
            }
            return std::string();
        }
        if (verb == "calibrate") {
            if (t.size() < 4 || t.size() > 5) return "usage: calibrate DX DY LENGTH [UNIT]";
            CommandParameters parameters{{"dx", t[1]}, {"dy", t[2]}, {"length", t[3]}};
            if (t.size() == 5) parameters.Set("unit", t[4]);
            if (CommandRegistry::Instance().Execute(cmd::kCalibrationValues, doc, parameters)) return std::string();
            const std::string& key = parameters.RefusedKey();
            return key.empty() ? "calibrate failed" : "calibrate: " + key + " " + parameters.Text(key) + " is no number";
        }
        if (verb == "objects") {
            // A pending polyline or polygon counts once the tool changes.
            const MeasureSet& set = MeasuresOf(doc);
            for (int i = 0; i < set.ObjectCount(); ++i) {
                const MeasureObject& o = set.Object(i);
                if (!o.valid) continue;
                std::cout << i << " " << o.kind << " length=" << o.length << " area=" << o.area
                          << " angle=" << o.angle << " radius=" << o.radius << " points=" << o.points.size() << "\n";
            }
            return std::string();
        }
        if (verb == "multifocus") {
            std::vector<CVandDoc*> documents;
            for (auto& d : m_documents) documents.push_back(d.get());
            auto result = NewDocumentObject();
            NewPictureSettings settings;
            if (!ComposeMultiFocus(documents, *result, settings)) return "multifocus failed";
            Keep(std::move(result));
            return std::string();
        }
        return std::nullopt;
    }

    std::unique_ptr<CVandDoc> NewDocumentObject() {
        auto document = std::make_unique<CVandDoc>();
        MeasuresOf(*document).UseSettings(&m_measureSettings);
        return document;
    }

    // The newest document becomes current; the earlier ones stay for multifocus.
    // A measuring tool starts afresh on it.
    void Keep(std::unique_ptr<CVandDoc> document) {
        m_document = document.get();
        m_documents.push_back(std::move(document));
        if (IsMeasureTool(m_toolId)) {
            m_toolId = -1;
            m_tool.reset();
        }
    }

    int m_defaultPage = 0;  // for open lines without a page of their own
    std::vector<std::unique_ptr<CVandDoc>> m_documents;
    CVandDoc* m_document = nullptr;
    MeasureSettings m_measureSettings;
    ViewState m_view;
    ToolSettings m_settings;
    std::unique_ptr<ViewTool> m_tool;
    int m_toolId = -1;
};

}  // namespace

int RunScript(const Args& input) {
    Args args = input;
    int pageIndex = 0;
    if (!TakePage(args, pageIndex)) return 2;
    if (args.size() != 1) {
        std::cerr << "usage: quillory-cli run SCRIPT [--page N]\n";
        return 2;
    }
    std::ifstream in(args[0], std::ios::binary);
    if (!in) {
        std::cerr << "cannot read " << args[0] << "\n";
        return 1;
    }
    CliPlatform platform;
    return RunScriptLines(in, pageIndex);
}

int RunScriptLines(std::istream& in, int pageIndex) {
    ToolRegistry::Instance();
    RegisterPathCommands(CommandRegistry::Instance());
    RegisterExtrasCommands(CommandRegistry::Instance());
    ScriptRunner runner(pageIndex);
    std::string line;
    std::vector<std::string> tokens;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!SplitLine(line, tokens)) {
            std::cerr << "line " << number << ": unclosed quote\n";
            return 1;
        }
        if (tokens.empty() || tokens[0].rfind('#', 0) == 0) continue;
        const std::string problem = runner.Run(tokens);
        // What a line printed comes before the messages of the next, also through one pipe.
        std::cout.flush();
        if (!problem.empty()) {
            std::cerr << "line " << number << ": " << problem << "\n";
            return 1;
        }
    }
    std::cout.flush();
    return 0;
}

}  // namespace quillory::cli
