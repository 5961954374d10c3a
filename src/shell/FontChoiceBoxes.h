#pragma once
// The font lists the calendar and the text dialogs share (size, face and style, each
// with the current choice first) and their colour buttons painted in the colour.
#include <QColor>
#include <QString>

#include "core/DibTypes.h"

class QComboBox;
class QToolButton;
class QWidget;

namespace quillory {

QComboBox* FontSizeBox(QWidget* parent, int current);
QComboBox* FontFaceBox(QWidget* parent, const QString& current);
QComboBox* FontStyleBox(QWidget* parent, const QString& current);
void PaintColourButton(QToolButton* button, const QColor& colour);

inline QColor FromQuad(RGBQUAD c) { return QColor(c.red, c.green, c.blue); }
inline RGBQUAD ToQuad(const QColor& c) { return RGBQUAD{uint8_t(c.blue()), uint8_t(c.green()), uint8_t(c.red()), 0}; }

}  // namespace quillory
