#include "measure/MeasureCommands.h"

#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <mutex>

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
bool CalibrationCommand(CVandDoc& d, P p) {
    MeasureSet& set = MeasuresOf(d);
    MeasureSettings& s = set.Settings();
    const double length = p.Real("length", s.refLength);
    const long long dx = p.Number("dx", s.refDx), dy = p.Number("dy", s.refDy);
    if (!p.RefusedKey().empty()) return false;
    s.refDx = int32_t(dx);
    s.refDy = int32_t(dy);
    s.refLength = float(length);
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
                          return p.AllTaken() && ExportMeasureText(d, folder);
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
