#pragma once
// The capture dialog ("Capture..."): "Desktop" first, then the windows that can be
// captured, each by its title.
#include <QDialog>
#include <vector>

#include "extras/ScreenCapture.h"

class QListWidget;

namespace quillory {

class DlgCapture : public QDialog {
    Q_OBJECT
public:
    DlgCapture(std::vector<ScreenWindow> windows, QWidget* parent = nullptr);
    // Null for the desktop.
    const ScreenWindow* Chosen() const;
    QListWidget* list() const { return m_list; }

private:
    std::vector<ScreenWindow> m_windows;
    QListWidget* m_list;
};

}  // namespace quillory
