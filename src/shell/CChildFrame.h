#pragma once
// The document's child frame in the main frame's MDI area. Closing the last
// window of a modified picture asks whether to save it first.
#include <QMdiSubWindow>

namespace quillory {

class CMainFrame;

class CChildFrame : public QMdiSubWindow {
    Q_OBJECT
public:
    explicit CChildFrame(CMainFrame* frame);
    // The closing sequence already asked about this window's picture.
    void SetAnswered() { m_answered = true; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    CMainFrame* m_frame;
    bool m_answered = false;
};

}  // namespace quillory
