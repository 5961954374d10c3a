#include "shell/SliderRow.h"

#include <QGridLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>

namespace quillory {

SliderRow::SliderRow(const QString& label, int minimum, int maximum, int value, SliderSteps steps,
                     const QString& scaleText, QWidget* parent)
    : QWidget(parent) {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    m_label = new QLabel(label, this);
    m_slider = new QSlider(Qt::Horizontal, this);
    m_slider->setRange(minimum, maximum);
    m_slider->setPageStep(steps.page);
    m_slider->setSingleStep(steps.line);
    if (steps.tick > 0) {
        m_slider->setTickInterval(steps.tick);
        m_slider->setTickPosition(QSlider::TicksBelow);
    }
    m_slider->setMinimumWidth(256);
    m_slider->setValue(value);
    m_edit = new QSpinBox(this);
    m_edit->setRange(minimum, maximum);
    m_edit->setValue(value);
    // A typed value counts when it is finished (Enter or leaving the box), not at every key.
    m_edit->setKeyboardTracking(false);
    m_edit->setMinimumWidth(64);
    grid->addWidget(m_label, 0, 0, 1, 2);
    grid->addWidget(m_slider, 1, 0);
    grid->addWidget(m_edit, 1, 1);
    if (!scaleText.isEmpty()) {
        auto* scale = new QLabel(scaleText, this);
        scale->setObjectName("scale");
        grid->addWidget(scale, 2, 0);
    }

    // The slider's value goes to the edit box when the slider is let go; while it is
    // dragged nothing is run.
    connect(m_slider, &QSlider::sliderReleased, this, [this] {
        const QSignalBlocker block(m_edit);
        m_edit->setValue(m_slider->value());
        Q_EMIT valueChosen(m_slider->value());
    });
    connect(m_slider, &QSlider::valueChanged, this, [this](int v) {
        if (m_slider->isSliderDown()) return;
        const QSignalBlocker block(m_edit);
        m_edit->setValue(v);
        Q_EMIT valueChosen(v);
    });
    connect(m_edit, &QSpinBox::valueChanged, this, [this](int v) {
        const QSignalBlocker block(m_slider);
        m_slider->setValue(v);
        Q_EMIT valueChosen(v);
    });
}

int SliderRow::value() const { return m_edit->value(); }

void SliderRow::SetValue(int value) {
    const QSignalBlocker blockSlider(m_slider);
    const QSignalBlocker blockEdit(m_edit);
    m_slider->setValue(value);
    m_edit->setValue(value);
}

void SliderRow::SetRange(int minimum, int maximum) {
    const QSignalBlocker blockSlider(m_slider);
    const QSignalBlocker blockEdit(m_edit);
    m_slider->setRange(minimum, maximum);
    m_edit->setRange(minimum, maximum);
}

void SliderRow::SetLabel(const QString& label) { m_label->setText(label); }

QString SliderRow::label() const { return m_label->text(); }

}  // namespace quillory
