#pragma once
// The text tool's typing in a canvas view: keys and the input method's events go
// to the running text entry, which the view draws over the picture in its font,
// the composition underlined at the caret. A double click opens the text dialog.
#include <QVariant>

class QInputMethodEvent;
class QKeyEvent;
class QPainter;
class QPoint;
class QRect;

namespace quillory {

class CMainFrame;
class CVandView;
class TextTool;

class TextEntryView {
public:
    TextEntryView(CVandView& view, CMainFrame* frame) : m_view(view), m_frame(frame) {}

    // The view's text tool while it is the current tool, else null.
    TextTool* Tool() const;
    bool Active() const;

    // Each returns true when it took the event.
    bool KeyPress(QKeyEvent* event);
    // True for a key the running entry types or edits itself (plain keys, Ctrl+A),
    // so that the main window's shortcuts (Del, Ctrl+A) leave it to the entry.
    bool TakesShortcut(const QKeyEvent* event) const;
    bool InputMethod(QInputMethodEvent* event);
    bool DoubleClick();
    // A press on the running entry's box keeps the entry (its double click opens the
    // text dialog); true when it took the press.
    bool PressOnEntry(const QPoint& windowPoint) const;
    QVariant Query(Qt::InputMethodQuery query) const;

    // Draws the running entry and its caret.
    void Paint(QPainter& painter) const;
    // Puts a running entry into the picture (before another tool or command acts).
    void CommitPending();
    // After a press: the input method follows whether an entry runs.
    void Sync();

private:
    struct EntryOnScreen;
    // Where the running entry stands in window points, in its font at the zoom; false when none runs.
    bool PlaceEntry(EntryOnScreen& placed) const;
    QRect CaretRect() const;
    // The frame drawn around the running entry, in window points.
    QRect EntryBox() const;
    void Changed(bool documentChanged);

    CVandView& m_view;
    CMainFrame* m_frame;
};

}  // namespace quillory
