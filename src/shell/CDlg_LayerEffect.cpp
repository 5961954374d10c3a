#include "shell/CDlg_LayerEffect.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include "document/HistoryTexts.h"
#include "shell/ShellTexts.h"

namespace quillory {

QColor QuadToColour(int32_t quad) { return QColor((quad >> 16) & 0xFF, (quad >> 8) & 0xFF, quad & 0xFF); }

int32_t ColourToQuad(const QColor& colour) { return colour.blue() | colour.green() << 8 | colour.red() << 16; }

CDlg_LayerEffect::CDlg_LayerEffect(const ShadowSettings& initial, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8(texts::kCmdTextLayerEffect));
    auto* grid = new QGridLayout;

    m_size = new QSpinBox(this);
    m_size->setRange(0, kMaxEffectSize);
    m_size->setValue(std::clamp(initial.size, 0, kMaxEffectSize));
    m_slider = new QSlider(Qt::Horizontal, this);
    m_slider->setRange(0, kMaxEffectSize);
    m_slider->setValue(m_size->value());
    m_slider->setTickPosition(QSlider::TicksBelow);
    m_slider->setTickInterval(2);
    connect(m_slider, &QSlider::valueChanged, m_size, &QSpinBox::setValue);
    connect(m_size, &QSpinBox::valueChanged, m_slider, &QSlider::setValue);
    grid->addWidget(new QLabel(QString::fromUtf8(shelltexts::kEffectSize), this), 0, 0);
    grid->addWidget(m_size, 0, 1);
    grid->addWidget(m_slider, 1, 0, 1, 2);
    // The marks under the slider, spread along it.
    auto* scale = new QWidget(this);
    scale->setObjectName("sliderScale");
    auto* marks = new QHBoxLayout(scale);
    marks->setContentsMargins(0, 0, 0, 0);
    const QStringList numbers = QString::fromUtf8(shelltexts::kEffectSliderScale).split(' ');
    for (int i = 0; i < numbers.size(); ++i) {
        if (i > 0) marks->addStretch();
        marks->addWidget(new QLabel(numbers[i], scale));
    }
    grid->addWidget(scale, 2, 0, 1, 2);

    m_swatch = new QToolButton(this);
    m_swatch->setFixedSize(48, 22);
    SetColour(QuadToColour(initial.colour));
    connect(m_swatch, &QToolButton::clicked, this, [this] {
        const QColor c = QColorDialog::getColor(m_colour, this, QString::fromUtf8(shelltexts::kEffectColour));
        if (c.isValid()) SetColour(c);
    });
    grid->addWidget(new QLabel(QString::fromUtf8(shelltexts::kEffectColour), this), 3, 0);
    grid->addWidget(m_swatch, 3, 1);

    m_shadowOnly = new QCheckBox(QString::fromUtf8(texts::kShadowOnlyLabel), this);
    m_shadowOnly->setChecked(initial.shadowOnly);
    m_remove = new QCheckBox(QString::fromUtf8(texts::kRemoveEffectLabel), this);
    m_remove->setChecked(initial.remove);
    grid->addWidget(m_shadowOnly, 4, 0, 1, 2);
    grid->addWidget(m_remove, 5, 0, 1, 2);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* column = new QVBoxLayout(this);
    column->addLayout(grid);
    column->addWidget(buttons);
}

void CDlg_LayerEffect::SetColour(const QColor& colour) {
    m_colour = colour;
    m_swatch->setStyleSheet(QString("QToolButton { background: %1; border: 1px solid #555; }").arg(colour.name()));
}

ShadowSettings CDlg_LayerEffect::settings() const {
    ShadowSettings s;
    s.size = m_size->value();
    s.colour = ColourToQuad(m_colour);
    s.shadowOnly = m_shadowOnly->isChecked();
    s.remove = m_remove->isChecked();
    return s;
}

}  // namespace quillory
