#include "shell/EllipseOverlay.h"

#include <QPainter>

namespace quillory {

void PaintEllipseBox(QPainter& painter, const EllipseBox& box, const CanvasRect& layer, const PictureMapping& mapping) {
    const EllipseBox b = box.Normalized();
    const HandlePoint topLeft = BoxHandleWindowPoint(b, layer, mapping, 0);
    const HandlePoint bottomRight = BoxHandleWindowPoint(b, layer, mapping, 2);
    const QRectF frame(QPointF(topLeft.x, topLeft.y), QPointF(bottomRight.x, bottomRight.y));
    painter.save();
    painter.setBrush(Qt::NoBrush);
    // White under black dashes shows on any picture.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(Qt::white, 1));
    painter.drawRect(frame);
    painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
    painter.drawRect(frame);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(Qt::white, 2));
    painter.drawEllipse(frame);
    painter.setPen(QPen(QColor(0, 90, 220), 1, Qt::DashLine));
    painter.drawEllipse(frame);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::white);
    for (int k = 0; k < kBoxHandleCount; ++k) {
        const HandlePoint h = BoxHandleWindowPoint(b, layer, mapping, k);
        painter.drawRect(QRectF(h.x - 4, h.y - 4, 8, 8));
    }
    painter.restore();
}

}  // namespace quillory
