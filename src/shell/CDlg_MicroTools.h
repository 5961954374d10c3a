#pragma once
// The measurement tools palette "測定道具": a tool window with two tabs, the
// measuring tools with the measurement settings and the picture-editing commands
// a measurement needs. Every button forwards to its command; the tool buttons
// show which tool is current. Below the tabs: the escape hint, the line about the
// current reference and, while a polyline or polygon waits, how to register it, or
// while the reference is picked, what to draw.
#include <QDialog>
#include <QMap>
#include <functional>

#include "shell/CommandRouter.h"

class QLabel;
class QPushButton;
class QTabWidget;

namespace quillory {

class CDlg_MicroTools : public QDialog {
    Q_OBJECT
public:
    using Dispatch = std::function<void(int id)>;
    using Update = std::function<CommandState(int id)>;
    CDlg_MicroTools(Dispatch dispatch, Update update, QWidget* parent = nullptr);

    // Enables and checks the buttons, sets the reference line, the pending hint and the
    // hint of what to draw while the reference is picked from the picture.
    void Refresh(const QString& referenceLine, bool pending, bool picking);
    QPushButton* Button(int id) const { return m_buttons.value(id, nullptr); }
    QString ReferenceText() const;
    bool PendingHintShown() const;
    QTabWidget* tabs() const { return m_tabs; }

private:
    QWidget* MakePage(const std::vector<std::pair<int, const char*>>& buttons, bool tools);

    Dispatch m_dispatch;
    Update m_update;
    QTabWidget* m_tabs = nullptr;
    QMap<int, QPushButton*> m_buttons;
    QLabel* m_reference = nullptr;
    QLabel* m_pending = nullptr;
    QLabel* m_picking = nullptr;
};

}  // namespace quillory
