#include "measure/MeasureCommands.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>

#include "core/Platform.h"
#include "document/CommandRegistry.h"
#include "document/DocumentIO.h"
#include "document/TempFolder.h"
#include "measure/MeasureExport.h"
#include "measure/MeasureFile.h"
#include "measure/MeasureTexts.h"
#include "measure/MeasureTool.h"
#include "measure/MeasureViewTool.h"

namespace quillory {

namespace {

using P = const CommandParameters&;

// A reference length: a finite number above 0 that stays one as a float (1e39 would
// become infinity, 1e-50 zero).
bool ParseLength(const std::string& text, float& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (!end || *end != '\0' || !std::isfinite(v) || v <= 0) return false;
    const float narrowed = float(v);
    if (!std::isfinite(narrowed) || narrowed <= 0) return false;
    value = narrowed;
    return true;
}

// A reference vector component: a whole number of pixels within kMaxReferencePixels.
bool ParseVectorPart(const std::string& text, int32_t& value) {
    long long v = 0;
    const char* begin = text.data();
    const char* end = begin + text.size();
    auto [ptr, ec] = std::from_chars(begin, end, v);
    if (ec != std::errc() || ptr != end || v < -kMaxReferencePixels || v > kMaxReferencePixels) return false;
    value = int32_t(v);
    return true;
}

bool RefuseCalibration(CVandDoc& d, P p, const std::string& key, const char* format) {
    p.Refuse(key);
    char text[512];
    std::snprintf(text, sizeof text, format, p.Text(key).c_str());
    d.SetLastError(text);
    CurrentPlatform().ShowMessage(text, MessageKind::Warning);
    return false;
}

std::string DefaultFolder() { return TempFolder::UserDataDirectory(); }

// tool=ID action=press|drag|release|click|choose x=X y=Y [text=TEXT]: one mouse event of a
// measuring tool; a tool other than the last one used is chosen first.
bool MouseCommand(CVandDoc& d, P p) {
    const int tool = int(p.Number("tool", -1));
    const std::string action = p.Text("action", "click");
    MeasureSet& set = MeasuresOf(d);
    if (action == "choose" || set.tool.currentTool != tool) {
        ChooseMeasureTool(d, set.tool.currentTool, tool);
        set.tool.currentTool = tool;
        if (action == "choose") return true;
    }
    if (!IsMeasureTool(tool) || !p.Has("x") || !p.Has("y")) return false;
    const MeasurePoint at{int32_t(p.Number("x")), int32_t(p.Number("y"))};
    if (at.x < 0 || at.y < 0 || at.x >= d.Header().width || at.y >= d.Header().height) return false;
    if (action == "press") return MeasurePress(d, tool, at, p.Text("text"));
    if (action == "drag") return MeasureDrag(d, tool, at);
    if (action == "release") return MeasureRelease(d, tool, at);
    if (action == "click") {
        const bool pressed = MeasurePress(d, tool, at, p.Text("text"));
        return MeasureRelease(d, tool, at) || pressed;
    }
    return false;
}

// dx=, dy= (pixels), length= (units), unit=NAME: the calibration; every figure is drawn anew.
// A length that is not a finite number above 0, or a vector part that is no whole number
// within kMaxReferencePixels, is refused with a message and changes nothing.
bool CalibrationCommand(CVandDoc& d, P p) {
    MeasureSet& set = MeasuresOf(d);
    MeasureSettings& s = set.Settings();
    float length = s.refLength;
    int32_t dx = s.refDx, dy = s.refDy;
    if (p.Has("length") && !ParseLength(p.Text("length"), length))
        return RefuseCalibration(d, p, "length", mtexts::kBadReferenceLength);
    if (p.Has("dx") && !ParseVectorPart(p.Text("dx"), dx))
        return RefuseCalibration(d, p, "dx", mtexts::kBadReferenceVector);
    if (p.Has("dy") && !ParseVectorPart(p.Text("dy"), dy))
        return RefuseCalibration(d, p, "dy", mtexts::kBadReferenceVector);
    s.refDx = dx;
    s.refDy = dy;
    s.refLength = length;
    if (p.Has("unit")) s.unitName = p.Text("unit");
    if (set.LiveObjects() > 0 && set.ActivateMeasureLayer(true)) set.RedrawAll();
    return true;
}

bool WorkbookCommand(CVandDoc& d, P p) {
    WorkbookExport options;
    options.workbookPath =
        p.Text("path", (std::filesystem::path(DefaultFolder()) / mtexts::kWorkbookFile).string());
    options.sheetName = p.Text("sheet", mtexts::kDefaultSheetName);
    options.pictureFolder = p.Text("folder", DefaultFolder());
    options.askBeforeReplacing = p.Number("replace", 0) == 0;
    options.openAfterwards = p.Number("open", 1) != 0;
    return p.AllTaken() && ExportWorkbook(d, options);
}

}  // namespace

void RegisterMeasureCommands(CommandRegistry& registry) {
    registry.Register(cmd::kMeasureEditUndo, mtexts::kCmdVectorUndo, [](CVandDoc& d, P) {
        if (!MeasuresOf(d).CanUndo()) d.SetLastError(mtexts::kNoVectorToUndo);
        return MeasuresOf(d).Undo();
    });
    registry.Register(cmd::kMeasureEditRedo, mtexts::kCmdVectorRedo, [](CVandDoc& d, P) {
        if (!MeasuresOf(d).CanRedo()) d.SetLastError(mtexts::kNoVectorToRedo);
        return MeasuresOf(d).Redo();
    });
    registry.Register(cmd::kRedrawMeasure, mtexts::kCmdRedrawAll, [](CVandDoc& d, P) {
        MeasureSet& set = MeasuresOf(d);
        if (set.MeasureLayerIndex() < 0 && set.LiveObjects() == 0) d.SetLastError(mtexts::kNoMeasureLayer);
        return set.ActivateMeasureLayer(set.LiveObjects() > 0) && set.RedrawAll();
    });
    registry.Register(cmd::kMeasureErase, mtexts::kCmdEraseObject, [](CVandDoc& d, P) { return MeasuresOf(d).EraseSelected(); });
    registry.Register(cmd::kMeasureLayerAdd, mtexts::kCmdMeasureLayer,
                      [](CVandDoc& d, P) { return MeasuresOf(d).ActivateMeasureLayer(true); });
    registry.Register(cmd::kMeasureMouse, mtexts::kCmdMeasureMouse, MouseCommand);
    registry.Register(cmd::kCalibrationValues, mtexts::kCmdCalibrationValues, CalibrationCommand);
    registry.Register(cmd::kExportMeasureText, mtexts::kCmdExportText,
                      [](CVandDoc& d, P p) {
                          const std::string folder = p.Text("folder", DefaultFolder());
                          if (!p.AllTaken()) return false;
                          std::string error;
                          if (ExportMeasureText(d, folder, &error)) return true;
                          d.SetLastError(error);
                          return false;
                      });
    registry.Register(cmd::kExportWorkbook, mtexts::kCmdExportWorkbook, WorkbookCommand);
}

void InstallMeasurement() {
    static std::once_flag once;
    std::call_once(once, [] {
        RegisterMeasureCommands(CommandRegistry::Instance());
        RegisterMeasureViewTools(ToolRegistry::Instance());
        DocumentIO::SetMeasureFileFunctions(LoadMeasureDocument, SaveMeasureDocument);
    });
}

}  // namespace quillory
