#pragma once
// The picture frame dialog ("사진틀 넣기"): four frame buttons, the main and the
// secondary colour and the thickness (never below 5). Every change redraws the
// frame in the picture at once.
#include <QColor>
#include <QDialog>
#include <functional>

#include "extras/FrameStyles.h"

class QLabel;
class QSpinBox;
class QToolButton;

namespace quillory {

class CDlg_ImgFrame : public QDialog {
    Q_OBJECT
public:
    using Redraw = std::function<void(const FrameChoice&)>;
    CDlg_ImgFrame(QColor main, QColor second, Redraw redraw, QWidget* parent = nullptr);

    FrameChoice Choice() const;
    // -1 until a frame button was pressed.
    int Style() const { return m_style; }
    void ChooseStyle(int style);

    QToolButton* frameButton(int style) const { return m_frames[style]; }
    QToolButton* mainColourButton() const { return m_mainButton; }
    QToolButton* secondColourButton() const { return m_secondButton; }
    QSpinBox* thicknessBox() const { return m_thickness; }
    QLabel* hint() const { return m_hint; }
    void SetColours(QColor main, QColor second);

private:
    void Changed();
    void PaintButtons();

    Redraw m_redraw;
    QColor m_main, m_second;
    int m_style = -1;
    QToolButton* m_frames[kFrameStyles] = {};
    QToolButton* m_mainButton;
    QToolButton* m_secondButton;
    QSpinBox* m_thickness;
    QLabel* m_hint;
};

}  // namespace quillory
