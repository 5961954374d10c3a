#pragma once
// The gradient panel: the hint to drag, the colour mode ("전경", "전경+배경") and
// the shape ("선형변화", "정규변화").
#include <QDialog>

class QRadioButton;

namespace quillory {

class CDlg_GradientBucket : public QDialog {
    Q_OBJECT
public:
    explicit CDlg_GradientBucket(QWidget* parent = nullptr);
    void SetChoices(int colourMode, int shape);
    int colourMode() const;
    int shape() const;
    QRadioButton* foregroundOnly() const { return m_foreground; }
    QRadioButton* foregroundAndBackground() const { return m_both; }
    QRadioButton* linear() const { return m_linear; }
    QRadioButton* mirrored() const { return m_mirrored; }

Q_SIGNALS:
    void choicesChanged(int colourMode, int shape);

private:
    QRadioButton* m_foreground;
    QRadioButton* m_both;
    QRadioButton* m_linear;
    QRadioButton* m_mirrored;
};

}  // namespace quillory
