#pragma once
// The guide-point path panel: buttons that choose the path tools (add, drag,
// insert, delete points, move the path) and turn the path into a selection or
// stroke it with the brush. Each button dispatches its command.
#include <QDialog>
#include <functional>

class QToolButton;

namespace quillory {

class CDlg_AnchorLine : public QDialog {
    Q_OBJECT
public:
    CDlg_AnchorLine(std::function<void(int)> dispatch, QWidget* parent = nullptr);
    // Shows which path tool is current.
    void SetCurrentTool(int id);

private:
    std::function<void(int)> m_dispatch;
    QList<QToolButton*> m_tools;
};

}  // namespace quillory
