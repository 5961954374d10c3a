#include "shell/BusyWork.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>

#include "core/Platform.h"

namespace quillory {

namespace {

bool g_dialogClosed = false;

class DialogWatcher : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Hide && watched->isWidgetType()) {
            auto* dialog = qobject_cast<QDialog*>(watched);
            if (dialog && dialog->isWindow()) g_dialogClosed = true;
        }
        return false;
    }
};

}  // namespace

BusyWork::BusyWork() {
    if (g_dialogClosed) {
        g_dialogClosed = false;
        // The window system asks the windows under the closed dialog to paint; they do it now.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    CurrentPlatform().BeginWaitCursor();
}

BusyWork::~BusyWork() {
    CurrentPlatform().EndWaitCursor();
    CurrentPlatform().SetProgress(0);
}

void WatchClosingDialogs() {
    static bool installed = false;
    if (installed || !qApp) return;
    installed = true;
    qApp->installEventFilter(new DialogWatcher(qApp));
}

}  // namespace quillory
