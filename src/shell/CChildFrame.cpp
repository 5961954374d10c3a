#include "shell/CChildFrame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPointer>
#include <QProxyStyle>

#include "shell/CMainFrame.h"
#include "shell/CVandView.h"

namespace quillory {

namespace {

// A maximised window keeps its own title bar inside the frame instead of moving its
// buttons into the menu bar and its name into the frame's title, which the frame writes itself.
class ChildFrameStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_Workspace_FillSpaceOnMaximize) return 1;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

QStyle* SharedChildFrameStyle() {
    // Owned by the application, so it outlives every window that uses it.
    static QPointer<QStyle> style;
    if (!style) {
        style = new ChildFrameStyle;
        style->setParent(qApp);
    }
    return style;
}

}  // namespace

CChildFrame::CChildFrame(CMainFrame* frame) : QMdiSubWindow(nullptr), m_frame(frame) { setStyle(SharedChildFrameStyle()); }

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
