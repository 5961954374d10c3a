#pragma once
// The commands of the tools and the selection in the editor: choosing a tool
// (which sets the tool sliders and lands a floating selection), deselect,
// cut with the edge spread, paste (then the move tool), the clipboard's state
// for paste, and the guide-point path panel. Offered before the document's
// own commands.
#include <QPointer>

#include "shell/CDlg_AnchorLine.h"
#include "shell/CommandRouter.h"

namespace quillory {

class CMainFrame;
class DocumentSession;

class ToolCommands : public CommandTarget {
public:
    explicit ToolCommands(CMainFrame& frame);

    bool OnCommand(int id) override;
    bool OnUpdateCommand(int id, CommandState& state) override;

    CDlg_AnchorLine* pathPanel() const { return m_pathPanel; }
    // The guide path panel, made hidden at start-up; its command shows it.
    void CreatePathPanel();
    // Lands the floating selection of every open picture.
    void DropFloatingSelections();

private:
    bool ChooseTool(int id);
    void TogglePathPanel(DocumentSession* document);

    CMainFrame& m_frame;
    QPointer<CDlg_AnchorLine> m_pathPanel;
};

}  // namespace quillory
