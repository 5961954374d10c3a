#include "extras/ExtrasCommands.h"

#include <ctime>

#include "core/CommandIds.h"
#include "core/Platform.h"
#include "document/CVandDoc.h"
#include "document/CommandRegistry.h"
#include "document/ParameterValues.h"
#include "document/Utf16.h"
#include "extras/CalendarLayer.h"
#include "document/DocumentTexts.h"
#include "extras/ExtrasTexts.h"
#include "extras/PictureFrame.h"
#include "extras/TextLayer.h"

namespace quillory {

namespace {

bool ColourParameter(const CommandParameters& p, const std::string& key, RGBQUAD& colour) {
    return !p.Has(key) || ParseHexColour(p.Text(key), colour) || p.Refuse(key);
}

bool FlagParameter(const CommandParameters& p, const std::string& key, bool& flag) {
    if (!p.Has(key)) return true;
    const long long v = p.Number(key, -1);
    if (v != 0 && v != 1) return p.Refuse(key);
    flag = v == 1;
    return true;
}

bool StyleParameter(const CommandParameters& p, std::string& style) {
    if (!p.Has("style")) return true;
    const std::string s = p.Text("style");
    for (const char* known : {texts::kStyleRegular, texts::kStyleBold, texts::kStyleItalic, texts::kStyleBoldItalic})
        if (s == known) {
            style = s;
            return true;
        }
    return p.Refuse("style");
}

// The font parameters over a starting look; false for a value that is not allowed.
bool LookParameters(const CommandParameters& p, TextLook& look) {
    if (p.Has("size")) {
        const long long size = p.Number("size", 0);
        if (size < 1 || size > kMaxTextHeight / 2) return false;
        look.pixelHeight = int(size * 2);
    }
    if (p.Has("face")) look.face = p.Text("face");
    return StyleParameter(p, look.style) && ColourParameter(p, "colour", look.colour) &&
           FlagParameter(p, "underline", look.underline) && FlagParameter(p, "strikeout", look.strikeOut);
}

// A script writes a line break inside a text as the two characters \n.
std::string TextParameter(const CommandParameters& p) {
    const std::string given = PlainLineBreaks(p.Text("text"));
    std::string text;
    for (size_t i = 0; i < given.size(); ++i) {
        const bool escape = given[i] == '\\' && i + 1 < given.size() && given[i + 1] == 'n';
        text += escape ? '\n' : given[i];
        if (escape) ++i;
    }
    return text;
}

// The largest calendar font size the dialog takes.
constexpr int kMaxCalendarSize = 500;

bool CalendarCommand(CVandDoc& d, const CommandParameters& p) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    CalendarRequest request;
    request.year = int(p.Number("year", local.tm_year + 1900));
    request.month = int(p.Number("month", local.tm_mon + 1));
    request.size = int(p.Number("size", 12));
    if (request.size < 0 || request.size > kMaxCalendarSize) {
        CurrentPlatform().ShowMessage(texts::kCalendarBadSize, MessageKind::Warning);
        return false;
    }
    if (p.Has("face")) request.look.face = p.Text("face");
    return StyleParameter(p, request.look.style) && ColourParameter(p, "colour", request.look.colour) &&
           PutCalendar(d, request);
}

bool FrameCommand(CVandDoc& d, const CommandParameters& p) {
    FrameChoice choice;
    choice.style = int(p.Number("style", 0));
    choice.thickness = int(p.Number("thickness", kMinFrameThickness));
    if (choice.style < 0 || choice.style >= kFrameStyles || choice.thickness > 100000) return false;
    return ColourParameter(p, "main", choice.main) && ColourParameter(p, "second", choice.second) &&
           PutPictureFrame(d, choice);
}

bool PutTextCommand(CVandDoc& d, const CommandParameters& p) {
    TextPlacement placement;
    placement.text = TextParameter(p);
    placement.x = int(p.Number("x", 0));
    placement.y = int(p.Number("y", 0));
    return LookParameters(p, placement.look) && PutTextLayer(d, placement) >= 0;
}

bool EditTextCommand(CVandDoc& d, const CommandParameters& p) {
    const long long slot = p.Number("layer", d.CurrentLayer());
    if (slot < 0 || slot >= kMaxLayers || !d.IsLayerInList(int(slot))) {
        d.SetLastError(texts::kNoSuchLayer);
        return false;
    }
    if (d.Layer(int(slot)).kind != LayerKind::Text) {
        d.SetLastError(texts::kNotTextLayer);
        return false;
    }
    TextLook look = LoadTextLook(d.Layer(int(slot)));
    if (!LookParameters(p, look)) return false;
    const std::string text = p.Has("text") ? TextParameter(p) : Utf16ToUtf8(d.Layer(int(slot)).text);
    return EditTextLayer(d, int(slot), text, look);
}

}  // namespace

void RegisterExtrasCommands(CommandRegistry& registry) {
    registry.Register(cmd::kCalendar, texts::kCmdCalendar, CalendarCommand);
    registry.Register(cmd::kPictureFrame, texts::kCmdPictureFrame, FrameCommand);
    registry.Register(cmd::kPutText, texts::kCmdTextInput, PutTextCommand);
    registry.Register(cmd::kEditText, texts::kStepTextEdit, EditTextCommand);
}

}  // namespace quillory
