#include "shell/CanvasNavigation.h"

#include <QApplication>
#include <QGestureEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QPinchGesture>
#include <QScrollBar>
#include <QWheelEvent>
#include <cmath>

#include "shell/CVandView.h"

namespace quillory {

void CanvasNavigation::Wheel(QWheelEvent* event) {
    event->accept();
    const QPoint at = event->position().toPoint();
    if (event->modifiers() & Qt::ControlModifier) {
        const QPoint angle = event->angleDelta();
        m_zoomDelta += angle.y() != 0 ? angle.y() : angle.x();
        // A fine-grained wheel gathers its small steps into whole notches.
        while (m_zoomDelta >= kWheelNotch) {
            m_zoomDelta -= kWheelNotch;
            m_view.ZoomStepAt(true, at);
        }
        while (m_zoomDelta <= -kWheelNotch) {
            m_zoomDelta += kWheelNotch;
            m_view.ZoomStepAt(false, at);
        }
        return;
    }
    m_zoomDelta = 0;
    int dx = 0, dy = 0;
    if (!event->pixelDelta().isNull()) {
        // A touchpad says how far it moved in pixels.
        dx = event->pixelDelta().x();
        dy = event->pixelDelta().y();
    } else {
        const int notchPixels = QApplication::wheelScrollLines() * kPixelsPerWheelLine;
        dx = event->angleDelta().x() * notchPixels / kWheelNotch;
        dy = event->angleDelta().y() * notchPixels / kWheelNotch;
    }
    if ((event->modifiers() & Qt::ShiftModifier) && dx == 0) std::swap(dx, dy);
    QScrollBar* h = m_view.horizontalScrollBar();
    QScrollBar* v = m_view.verticalScrollBar();
    if (dx) h->setValue(h->value() - dx);
    if (dy) v->setValue(v->value() - dy);
}

bool CanvasNavigation::MousePress(QMouseEvent* event) {
    const bool middle = event->button() == Qt::MiddleButton;
    const bool spaceDrag = event->button() == Qt::LeftButton && m_spaceHeld;
    if (!middle && !spaceDrag) return m_panning;
    if (!m_panning) {
        m_panning = true;
        m_panFrom = event->position().toPoint();
        m_scrollFrom = QPoint(m_view.horizontalScrollBar()->value(), m_view.verticalScrollBar()->value());
        if (!m_spaceHeld) m_cursorBefore = m_view.viewport()->cursor();
        m_view.viewport()->setCursor(Qt::ClosedHandCursor);
    }
    event->accept();
    return true;
}

bool CanvasNavigation::MouseMove(QMouseEvent* event) {
    if (!m_panning) return false;
    const QPoint moved = event->position().toPoint() - m_panFrom;
    m_view.horizontalScrollBar()->setValue(m_scrollFrom.x() - moved.x());
    m_view.verticalScrollBar()->setValue(m_scrollFrom.y() - moved.y());
    event->accept();
    return true;
}

bool CanvasNavigation::MouseRelease(QMouseEvent* event) {
    if (!m_panning) return false;
    // The pan ends when the last of its buttons is let go.
    if (!(event->buttons() & (Qt::MiddleButton | Qt::LeftButton))) EndPan();
    event->accept();
    return true;
}

void CanvasNavigation::EndPan() {
    m_panning = false;
    m_view.viewport()->setCursor(m_spaceHeld ? QCursor(Qt::OpenHandCursor) : m_cursorBefore);
}

bool CanvasNavigation::KeyPress(QKeyEvent* event) {
    if (event->key() != Qt::Key_Space || event->modifiers() != Qt::NoModifier) return false;
    if (!event->isAutoRepeat() && !m_spaceHeld) {
        m_spaceHeld = true;
        if (!m_panning) m_cursorBefore = m_view.viewport()->cursor();
        m_view.viewport()->setCursor(m_panning ? Qt::ClosedHandCursor : Qt::OpenHandCursor);
    }
    event->accept();
    return true;
}

bool CanvasNavigation::KeyRelease(QKeyEvent* event) {
    if (event->key() != Qt::Key_Space || !m_spaceHeld) return false;
    // Holding the key repeats press and release; only the real release ends it.
    if (event->isAutoRepeat()) return true;
    m_spaceHeld = false;
    if (!m_panning) m_view.viewport()->setCursor(m_cursorBefore);
    return true;
}

bool CanvasNavigation::Gesture(QEvent* event) {
    if (event->type() == QEvent::NativeGesture) {
        auto* gesture = static_cast<QNativeGestureEvent*>(event);
        switch (gesture->gestureType()) {
            case Qt::BeginNativeGesture: StartPinch(); return true;
            case Qt::ZoomNativeGesture:
                // The value is the growth since the last event: 0.1 for ten percent.
                Pinch(1.0 + gesture->value(), gesture->position().toPoint());
                return true;
            case Qt::EndNativeGesture: StartPinch(); return true;
            default: return false;
        }
    }
    if (event->type() == QEvent::Gesture) {
        auto* gestures = static_cast<QGestureEvent*>(event);
        auto* pinch = static_cast<QPinchGesture*>(gestures->gesture(Qt::PinchGesture));
        if (!pinch) return false;
        if (pinch->state() == Qt::GestureStarted) StartPinch();
        if (pinch->changeFlags() & QPinchGesture::ScaleFactorChanged)
            Pinch(pinch->scaleFactor(), m_view.viewport()->mapFromGlobal(pinch->centerPoint().toPoint()));
        gestures->accept(pinch);
        return true;
    }
    return false;
}

void CanvasNavigation::Pinch(double factor, QPoint at) {
    if (!(factor > 0)) return;
    m_pinchLog += std::log2(factor);
    // The zoom moves in powers of two: the pinch takes the step nearest to how far it has grown.
    const int target = int(std::lround(m_pinchLog));
    while (m_pinchSteps < target) {
        if (!m_view.ZoomStepAt(true, at)) {
            m_pinchSteps = target;  // at the limit: pinching back starts from here
            break;
        }
        ++m_pinchSteps;
    }
    while (m_pinchSteps > target) {
        if (!m_view.ZoomStepAt(false, at)) {
            m_pinchSteps = target;
            break;
        }
        --m_pinchSteps;
    }
}

void CanvasNavigation::StartPinch() {
    m_pinchLog = 0.0;
    m_pinchSteps = 0;
}

}  // namespace quillory
