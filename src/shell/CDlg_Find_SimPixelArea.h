#pragma once
// The colour-range panel (" 색상범위 영역지정"), modeless: the tolerance slider, the
// pixel count of the last run, the picked colour and the two modes "색상추출"
// (replace) and "색상추출더하기" (add).
#include <QDialog>

#include "core/DibTypes.h"

class QLabel;
class QPushButton;

namespace quillory {

class SliderRow;

class CDlg_Find_SimPixelArea : public QDialog {
    Q_OBJECT
public:
    explicit CDlg_Find_SimPixelArea(QWidget* parent = nullptr);
    void SetTolerance(int value);  // shown without announcing it
    void SetAddMode(bool add);
    void ShowResult(const QString& countText, bool picked, RGBQUAD colour);
    SliderRow* tolerance() const { return m_tolerance; }
    QLabel* countLabel() const { return m_count; }
    QPushButton* replaceButton() const { return m_replace; }
    QPushButton* addButton() const { return m_add; }

Q_SIGNALS:
    void toleranceChosen(int value);
    void modeChosen(bool add);

private:
    SliderRow* m_tolerance;
    QLabel* m_count;
    QLabel* m_shown;
    QLabel* m_picked;
    QPushButton* m_replace;
    QPushButton* m_add;
};

}  // namespace quillory
