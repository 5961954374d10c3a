#include "shell/SliderRow.h"

#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>

namespace quillory {

namespace {

// A scale text under a slider: its words spread over the width, the first at the
// left end, the last at the right end and the others between, as the text's spaces
// line them up in the font it was laid out for.
class ScaleLabel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::WindowText));
        const QString t = text();
        const QStringList words = t.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (words.size() < 2) {
            painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, t);
            return;
        }
        // A word's place is its centre's share of the text's length.
        const QFontMetrics metrics(font());
        int from = 0;
        for (int i = 0; i < words.size(); ++i) {
            const int at = int(t.indexOf(words[i], from));
            from = at + int(words[i].size());
            const int w = metrics.horizontalAdvance(words[i]);
            int x;
            if (i == 0) {
                x = 0;
            } else if (i == words.size() - 1) {
                x = width() - w;
            } else {
                const double centre = (at + words[i].size() / 2.0) / double(t.size());
                x = int(centre * width() - w / 2.0);
            }
            painter.drawText(QRect(x, 0, w + 1, height()), Qt::AlignVCenter, words[i]);
        }
    }
};

}  // namespace

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
        auto* scale = new ScaleLabel(scaleText, this);
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
