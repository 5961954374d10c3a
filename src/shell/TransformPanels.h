#pragma once
// The modeless panels of the layer transforms: the free rotation panel
// ("자유회전"), the stretch and squeeze panel ("늘리고쭈구리기") and the free
// transform panel (captioned by its mode). They show what the view's tools do
// and pass the user's entries on; OK keeps the result, cancel drops it.
#include <QDialog>

class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace quillory {

class DlgRotate : public QDialog {
    Q_OBJECT
public:
    explicit DlgRotate(QWidget* parent = nullptr);
    void SetAngle(double degrees);  // shown without announcing it
    QDoubleSpinBox* angleBox() const { return m_angle; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

Q_SIGNALS:
    void angleChosen(double degrees);

private:
    QDoubleSpinBox* m_angle;
    QPushButton* m_ok;
    QPushButton* m_cancel;
};

class DlgStretch : public QDialog {
    Q_OBJECT
public:
    explicit DlgStretch(QWidget* parent = nullptr);
    void SetSize(int width, int height);  // shown without announcing it
    QSpinBox* widthBox() const { return m_width; }
    QSpinBox* heightBox() const { return m_height; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

Q_SIGNALS:
    void sizeChosen(int width, int height);

private:
    QSpinBox* m_width;
    QSpinBox* m_height;
    QPushButton* m_ok;
    QPushButton* m_cancel;
};

class DlgFreeTransform : public QDialog {
    Q_OBJECT
public:
    explicit DlgFreeTransform(QWidget* parent = nullptr);
    // The caption of kToolScale, kToolSkew or kToolPerspective.
    void SetMode(int command);
    QPushButton* applyButton() const { return m_apply; }
    QPushButton* cancelButton() const { return m_cancel; }

Q_SIGNALS:
    void applyRequested();

private:
    QLabel* m_caption;
    QPushButton* m_apply;
    QPushButton* m_cancel;
};

}  // namespace quillory
