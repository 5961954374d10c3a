#include "shell/CChildFrame.h"

#include <QCloseEvent>

#include "shell/CMainFrame.h"
#include "shell/CVandView.h"

namespace quillory {

CChildFrame::CChildFrame(CMainFrame* frame) : QMdiSubWindow(nullptr), m_frame(frame) {}

void CChildFrame::closeEvent(QCloseEvent* event) {
    auto* view = qobject_cast<CVandView*>(widget());
    if (view && !m_answered && !m_frame->AskBeforeClosingWindow(view)) {
        event->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(event);
    if (event->isAccepted()) m_frame->ChildClosed();
}

}  // namespace quillory
