#pragma once
// The measurement mode in the editor: the measuring tools, the measurement tools
// palette, the calibration and analysis settings dialogs, the spreadsheet export
// dialog, the vector undo and redo, ending continuous measurement and the
// multi-focus composition. Holds the one set of measurement settings that every
// picture of the run shares. Offered before the tool and document commands.
#include <QPointer>
#include <functional>
#include <optional>
#include <string>

#include "measure/MeasureSettings.h"
#include "shell/CDlg_MicroTools.h"
#include "shell/CommandRouter.h"

namespace quillory {

class CMainFrame;
class DocumentSession;

class MicroCommands : public CommandTarget {
public:
    explicit MicroCommands(CMainFrame& frame);
    ~MicroCommands() override;

    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, CommandState& state) override;

    MeasureSettings& settings() { return m_settings; }
    CDlg_MicroTools* palette() const { return m_palette; }
    // "벡터 추가시 전체 다시 그리기": every figure drawn anew after each added one.
    bool redrawOnAdd = false;

    // A picture that was just made or is about to be read shares the settings.
    void AttachDocument(DocumentSession& document);
    // The frame's current tool changes from `previous` to `next`: a pending polyline
    // or polygon is registered unless `next` continues it.
    void ToolChanging(int previous, int next);
    // After a mouse event of a measuring tool in a view of `document`.
    void AfterMouse(DocumentSession& document);
    // The measurement mode: the palette is shown or a measuring tool is current.
    bool Measuring() const;
    // The vector edit that the keys of undo or redo (Ctrl+Z, Ctrl+Y) mean on the canvas while
    // the palette is shown, or 0 when they go to the document's history as the menu items do.
    int VectorEditFor(int id) const;
    // Shows or hides the palette (created on first use at the frame's right edge).
    void TogglePalette();
    // The palette's tool buttons, reference line and hints as they are now.
    void RefreshPalette();

    // Hooks for tests: the text of a text object and the colour choosers.
    std::function<bool(std::string& text)> textPrompt;
    std::function<std::optional<uint32_t>(uint32_t current)> colourChooser;

private:
    bool ChooseTool(int id);
    void EndContinuous(DocumentSession* document);
    void OpenCalibration(DocumentSession* document);
    void OpenEnvironment(DocumentSession* document);
    void OpenExport(DocumentSession* document);
    void ComposeFocus();
    void RedrawAll(DocumentSession& document);
    bool AskText(std::string& text);

    CMainFrame& m_frame;
    MeasureSettings m_settings;
    QPointer<CDlg_MicroTools> m_palette;
    bool m_quiet = false;       // the tool change comes from this class itself
    int m_objectsBefore = -1;   // for redrawOnAdd
    // The calibration dialog's entries while the reference is picked from the picture.
    std::optional<MeasureSettings> m_pickEntries;
};

}  // namespace quillory
