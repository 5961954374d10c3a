#pragma once
// How a person moves around the canvas on this desktop: the wheel scrolls
// (sideways with Shift), Ctrl + wheel and a touchpad pinch zoom around the
// pointer in the zoom commands' steps, and the middle button or Space + drag pans.
// Zooming and scrolling go through the view's own zoom update and scroll bars.
#include <QCursor>
#include <QPoint>

class QEvent;
class QKeyEvent;
class QMouseEvent;
class QWheelEvent;

namespace quillory {

class CVandView;

class CanvasNavigation {
public:
    explicit CanvasNavigation(CVandView& view) : m_view(view) {}

    // Pixels one notch of the wheel scrolls for each line of the desktop's wheel setting.
    static constexpr int kPixelsPerWheelLine = 20;
    // A standard wheel notch.
    static constexpr int kWheelNotch = 120;

    void Wheel(QWheelEvent* event);
    // True when the event belongs to a pan (the tools never see it).
    bool MousePress(QMouseEvent* event);
    bool MouseMove(QMouseEvent* event);
    bool MouseRelease(QMouseEvent* event);
    // Space held down readies the pan; true when the key was taken.
    bool KeyPress(QKeyEvent* event);
    bool KeyRelease(QKeyEvent* event);
    // Touchpad and touch-screen pinches; true when the event was one.
    bool Gesture(QEvent* event);

    bool panning() const { return m_panning; }
    bool spaceHeld() const { return m_spaceHeld; }

private:
    // The pinch grew by the factor since its last event.
    void Pinch(double factor, QPoint at);
    void StartPinch();
    void EndPan();

    CVandView& m_view;
    bool m_panning = false;
    bool m_spaceHeld = false;
    QPoint m_panFrom;
    QPoint m_scrollFrom;
    QCursor m_cursorBefore;
    int m_zoomDelta = 0;     // wheel angle gathered towards a zoom step
    double m_pinchLog = 0.0;  // log2 of the pinch's growth since it began
    int m_pinchSteps = 0;     // zoom steps the pinch has taken (out counts negative)
};

}  // namespace quillory
