#include "shell/ToolCommands.h"

#include "core/CommandIds.h"
#include "core/Platform.h"
#include "document/ToolTexts.h"
#include "shell/CMainFrame.h"
#include "shell/CVandView.h"
#include "shell/QtPlatform.h"
#include "shell/ToolSettingsBar.h"
#include "view/ViewTool.h"
#include "view/tools/GuidePathTool.h"
#include "view/tools/PaintStroke.h"
#include "view/tools/PaintTools.h"

namespace quillory {

namespace {

bool IsPathTool(int id) {
    return id == cmd::kPathPanel || id == cmd::kPathAddPoints || id == cmd::kPathDragPoint ||
           id == cmd::kPathInsertPoint || id == cmd::kPathDeletePoint || id == cmd::kPathMove;
}

}  // namespace

ToolCommands::ToolCommands(CMainFrame& frame) : m_frame(frame) {}

void ToolCommands::DropFloatingSelections() {
    QList<DocumentSession*> done;
    for (CVandView* view : m_frame.Views()) {
        DocumentSession& doc = view->document();
        if (done.contains(&doc)) continue;
        done.append(&doc);
        if (doc.doc().State().floatingPending && doc.doc().DropFloatingSelection()) m_frame.DocumentChanged(&doc);
    }
}

bool ToolCommands::ChooseTool(int id) {
    if (ReselectDoesNothing(id) && m_frame.currentTool() == id) return true;
    if (id != m_frame.currentTool()) DropFloatingSelections();
    if (ToolSettingsBar* bar = m_frame.toolSettings()) bar->Apply(SlidersFor(id));
    m_frame.SetCurrentTool(id);
    if (m_pathPanel) m_pathPanel->SetCurrentTool(id);
    return true;
}

void ToolCommands::CreatePathPanel() {
    if (m_pathPanel) return;
    m_pathPanel = new CDlg_AnchorLine([this](int id) { m_frame.Dispatch(id); }, &m_frame);
    m_pathPanel->move(m_frame.geometry().left() + 20, m_frame.geometry().top() + 140);
}

void ToolCommands::TogglePathPanel(DocumentSession* document) {
    if (m_frame.currentTool() == cmd::kPathPanel) {
        if (m_pathPanel) m_pathPanel->hide();
        m_frame.SetCurrentTool(cmd::kNone);
        return;
    }
    CreatePathPanel();
    if (document) {
        GuidePath& path = document->doc().State().guidePath;
        if (m_pathPanel->isVisible() && !path.Empty() &&
            CurrentPlatform().ShowMessage(texts::kPathRemoveWork, MessageKind::Question, MessageButtons::YesNo) !=
                MessageAnswer::Yes)
            return;
        path.Clear();
        m_frame.DocumentChanged(document);
    }
    ChooseTool(cmd::kPathPanel);
    m_pathPanel->show();
    m_pathPanel->raise();
}

bool ToolCommands::OnCommand(int id) {
    CVandView* view = m_frame.ActiveView();
    DocumentSession* doc = view ? &view->document() : nullptr;
    switch (id) {
        case cmd::kPathPanel: TogglePathPanel(doc); return true;
        case cmd::kDeselect:
            if (doc && doc->Execute(id)) m_frame.DocumentChanged(doc);
            m_frame.SetCurrentTool(cmd::kNone);
            return true;
        case cmd::kEditCut: {
            if (!doc) return true;
            const int spread = m_frame.toolSettings() ? m_frame.toolSettings()->toolValue2() : 0;
            if (doc->Execute(id, "spread", std::to_string(spread))) m_frame.DocumentChanged(doc);
            return true;
        }
        case cmd::kEditPaste: {
            if (!doc) return true;
            // The picture lands at the top-left of what the window shows.
            const QPoint at = view->VisiblePictureTopLeft();
            if (doc->Execute(id, CommandParameters{{"x", std::to_string(at.x())}, {"y", std::to_string(at.y())}})) {
                m_frame.DocumentChanged(doc);
                // The pasted layer is placed with the move tool.
                ChooseTool(cmd::kToolMove);
            }
            return true;
        }
        case cmd::kPathToSelection:
            if (doc && PathToSelection(doc->doc())) m_frame.DocumentChanged(doc);
            return true;
        case cmd::kPathStroke:
            if (doc) {
                StampStyle style;
                style.size = m_frame.env().brushSize;
                style.soft = m_frame.toolSettings() && m_frame.toolSettings()->softBrush();
                style.colour = ToolColour(uint32_t(m_frame.env().foreground));
                if (StrokePath(doc->doc(), style)) m_frame.DocumentChanged(doc);
            }
            return true;
        default: break;
    }
    if (ToolRegistry::Instance().Has(id) || IsPathTool(id)) return ChooseTool(id);
    return false;
}

bool ToolCommands::OnUpdateCommand(int id, CommandState& state) {
    const bool hasView = m_frame.ActiveView() != nullptr;
    switch (id) {
        case cmd::kEditPaste: state.enabled = hasView && ClipboardHasPicture(); return true;
        case cmd::kDeselect:
        case cmd::kEditCut:
        case cmd::kPathToSelection:
        case cmd::kPathStroke: state.enabled = hasView; return true;
        case cmd::kPathPanel:
            state.enabled = hasView;
            state.checked = m_pathPanel && m_pathPanel->isVisible();
            return true;
        default: break;
    }
    if (ToolRegistry::Instance().Has(id)) {
        state.enabled = hasView;
        state.checked = m_frame.currentTool() == id;
        return true;
    }
    return false;
}

}  // namespace quillory
