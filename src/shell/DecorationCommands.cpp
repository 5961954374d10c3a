#include "shell/DecorationCommands.h"

#include <QDate>

#include "core/CommandIds.h"
#include "document/Utf16.h"
#include "extras/ExtrasCommands.h"
#include "extras/PictureFrame.h"
#include "extras/TextTool.h"
#include "shell/CDlg_ImgFrame.h"
#include "shell/CDlg_PutCalendar.h"
#include "shell/CDlg_Text.h"
#include "shell/CMainFrame.h"
#include "shell/CVandView.h"
#include "view/ViewTool.h"

namespace quillory {

namespace {

QColor FromPlatformColour(int32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }
int32_t ToPlatformColour(const QColor& c) { return c.red() | c.green() << 8 | c.blue() << 16; }

}  // namespace

DecorationCommands::DecorationCommands(CMainFrame& frame) : m_frame(frame) {
    RegisterExtrasCommands(CommandRegistry::Instance());
    RegisterTextTool(ToolRegistry::Instance(), [&frame] { return LookFromEnvironment(frame.env()); });
}

void DecorationCommands::PutCalendar() {
    CVandView* view = m_frame.ActiveView();
    if (!view) return;
    m_frame.SetCurrentTool(cmd::kCalendar);
    CalendarDialogStart start;
    const QDate today = QDate::currentDate();
    start.year = today.year();
    start.month = today.month();
    start.face = QString::fromStdU16String(m_frame.env().faceName);
    start.colour = FromPlatformColour(m_frame.env().textColour);
    CDlg_PutCalendar dialog(start, &m_frame);
    DocumentSession& doc = view->document();
    dialog.SetPlacer([&] {
        if (!doc.Execute(cmd::kCalendar, dialog.Parameters())) return false;
        // The calendar's face and colour become the text font's.
        m_frame.env().faceName = dialog.Face().toStdU16String().substr(0, kMaxFaceNameLength);
        m_frame.env().faceNameLength = int32_t(m_frame.env().faceName.size());
        m_frame.env().textColour = ToPlatformColour(dialog.Colour());
        m_frame.DocumentChanged(&doc);
        return true;
    });
    dialog.exec();
    m_frame.SetCurrentTool(cmd::kNone);
}

void DecorationCommands::PutPictureFrame() {
    CVandView* view = m_frame.ActiveView();
    if (!view) return;
    DocumentSession& doc = view->document();
    m_frame.SetCurrentTool(cmd::kPictureFrame);
    {
        FrameSession session(doc.doc());
        if (session.Valid()) {
            m_frame.RefreshLayerWindow();
            CDlg_ImgFrame dialog(FromPlatformColour(m_frame.env().foreground), FromPlatformColour(m_frame.env().background),
                                 [&](const FrameChoice& choice) {
                                     // Each change shows at once in the picture behind the dialog.
                                     if (session.Draw(choice)) m_frame.DocumentChanged(&doc);
                                 }, &m_frame);
            if (dialog.exec() == QDialog::Accepted) session.Commit();
            else session.Cancel();
        }
    }
    m_frame.DocumentChanged(&doc);
    m_frame.SetCurrentTool(cmd::kNone);
}

bool DecorationCommands::OnCommand(int id) {
    switch (id) {
        case cmd::kCalendar: PutCalendar(); return true;
        case cmd::kPictureFrame: PutPictureFrame(); return true;
        default: return false;
    }
}

bool DecorationCommands::OnUpdateCommand(int id, CommandState& state) {
    if (id != cmd::kCalendar && id != cmd::kPictureFrame) return false;
    state.enabled = m_frame.ActiveView() != nullptr;
    return true;
}

}  // namespace quillory
