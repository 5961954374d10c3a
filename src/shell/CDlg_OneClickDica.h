#pragma once
// The quick-edit window ("포토 간편 편집 창"): one-click photo fixes on the active
// picture. Each button runs a registered command of the engine with fixed
// parameters, so each click is one undo step; the brightness and contrast button
// opens the usual dialog with its preview for finer steps.
#include <QDialog>
#include <QList>

class QToolButton;

namespace quillory {

class CMainFrame;

struct QuickFix {
    const char* label;
    int command;
    const char* parameter = nullptr;  // one named parameter and its value, or none
    int value = 0;
    bool opensDialog = false;  // runs through the menu's path (dialog and preview)
};

// The fixes in the order the window shows them.
const QList<QuickFix>& QuickFixes();

class CDlg_OneClickDica : public QDialog {
    Q_OBJECT
public:
    explicit CDlg_OneClickDica(CMainFrame* frame);
    // The buttons follow whether a picture is active.
    void RefreshState();
    // The button of a fix, by its label.
    QToolButton* button(const char* label) const;
    // Runs the fix on the active picture; false when there is none or the command refused.
    bool Apply(const QuickFix& fix);

private:
    CMainFrame* m_frame;
    QList<QToolButton*> m_buttons;
};

}  // namespace quillory
