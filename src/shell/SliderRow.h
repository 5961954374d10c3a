#pragma once
// One parameter of an adjustment dialog: a label, a slider with its ticks, an edit
// box with the value and an optional scale text under the slider. A value counts as
// chosen when the slider is released, moved by a key or a page click, or typed into
// the edit box; each edit shows in the other.
#include <QWidget>

class QLabel;
class QSlider;
class QSpinBox;

namespace quillory {

struct SliderSteps {
    int page = 10;
    int line = 1;
    int tick = 0;  // 0: no ticks
};

class SliderRow : public QWidget {
    Q_OBJECT
public:
    SliderRow(const QString& label, int minimum, int maximum, int value, SliderSteps steps,
              const QString& scaleText = {}, QWidget* parent = nullptr);

    int value() const;
    // Sets the value shown in both without announcing it.
    void SetValue(int value);
    void SetRange(int minimum, int maximum);
    void SetLabel(const QString& label);
    QString label() const;
    QSlider* slider() const { return m_slider; }
    QSpinBox* edit() const { return m_edit; }

Q_SIGNALS:
    void valueChosen(int value);

private:
    QLabel* m_label;
    QSlider* m_slider;
    QSpinBox* m_edit;
};

}  // namespace quillory
