#pragma once
// The status bar's permanent fields beside the specified status line: the picture
// pixel under the pointer, its colour with alpha, the zoom, and the picture's size
// and depth.
#include <QObject>
#include <QPoint>
#include <QString>

class QLabel;
class QStatusBar;

namespace quillory {

class CVandView;
class DocumentSession;

// The picture pixel under a viewport point, its composite colour and the texts shown for them.
struct PointerReading {
    bool inside = false;
    int x = 0, y = 0;  // picture pixel, rows counted from the top
    uint8_t red = 0, green = 0, blue = 0, alpha = 0;
};
// Reads the picture under a point of the view's viewport (the view's own zoom, scroll and fit mode).
PointerReading ReadPointer(CVandView& view, QPoint viewportPoint);

class StatusFields : public QObject {
    Q_OBJECT
public:
    explicit StatusFields(QStatusBar* bar);

    // The pointer moved over the view's viewport.
    void ShowPointer(CVandView& view, QPoint viewportPoint);
    // The pointer left the picture.
    void ClearPointer();
    // The zoom, size and depth of the active picture (nullptr: no picture).
    void ShowPicture(CVandView* view);

    QLabel* position() const { return m_position; }
    QLabel* colour() const { return m_colour; }
    QLabel* zoom() const { return m_zoom; }
    QLabel* size() const { return m_size; }

private:
    QLabel* m_position;
    QLabel* m_colour;
    QLabel* m_zoom;
    QLabel* m_size;
};

}  // namespace quillory
