#pragma once
// The canvas size dialog ("캔버스 크기 늘리기"): the present size, the new width and
// height and the nine anchor buttons under "확장방향", the chosen one pressed.
#include <QDialog>

#include "document/CommandRegistry.h"

class QLabel;
class QSpinBox;
class QToolButton;

namespace quillory {

class CDlg_CanvasSize : public QDialog {
    Q_OBJECT
public:
    CDlg_CanvasSize(int width, int height, QWidget* parent = nullptr);
    // width, height and anchor (0..8, row by row from the top left).
    CommandParameters Parameters() const;
    int anchor() const { return m_anchor; }
    QSpinBox* widthBox() const { return m_width; }
    QSpinBox* heightBox() const { return m_height; }
    QToolButton* anchorButton(int index) const { return m_anchors[index]; }
    QLabel* currentLabel() const { return m_current; }

private:
    QLabel* m_current;
    QSpinBox* m_width;
    QSpinBox* m_height;
    QToolButton* m_anchors[9] = {};
    int m_anchor = 4;
};

}  // namespace quillory
