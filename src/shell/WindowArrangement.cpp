#include "shell/WindowArrangement.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStyle>

#include <algorithm>

#include "shell/CVandView.h"
#include "document/DocumentState.h"
#include "shell/DocumentSession.h"

namespace quillory {

void CascadePictureWindows(QMdiArea& area) {
    QMdiSubWindow* active = area.activeSubWindow();
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* child : area.subWindowList(QMdiArea::CreationOrder))
        if (child->isVisible() && child != active) windows.append(child);
    if (active && active->isVisible()) windows.append(active);
    if (windows.isEmpty()) return;

    const QSize room = area.viewport()->size();
    const int step = std::max(16, area.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, windows.first()) + 4);
    QPoint place(0, 0);
    for (QMdiSubWindow* child : windows) {
        if (child->isMinimized() || child->isMaximized()) child->showNormal();
        // Past the room's lower right quarter the cascade starts again at the top left.
        if (place.x() > room.width() / 2 || place.y() > room.height() / 2) place = QPoint(0, 0);
        child->move(place);
        auto* view = qobject_cast<CVandView*>(child->widget());
        if (view && view->document().view().fitToWindow) {
            child->resize(std::max(child->minimumWidth(), room.width() * 2 / 3),
                          std::max(child->minimumHeight(), room.height() * 2 / 3));
        } else if (view) {
            // Fitted to its picture from the room right and below its new place.
            child->resize(room.width() - place.x(), room.height() - place.y());
            view->FitChildFrame();
        }
        child->raise();
        place += QPoint(step, step);
    }
    if (active) area.setActiveSubWindow(active);
}

}  // namespace quillory
