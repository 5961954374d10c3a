#include "shell/ToolSettingsBar.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>

#include "core/CommandIds.h"
#include "document/ToolTexts.h"

namespace quillory {

ToolSettingsBar::ToolSettingsBar(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 0);
    m_soft = new QCheckBox(QString::fromUtf8(texts::kSoftBrush), this);
    m_soft->setObjectName("softBrush");
    layout->addWidget(m_soft);
    m_first = MakeRow("toolValue1");
    m_second = MakeRow("toolValue2");
    for (Row* row : {&m_first, &m_second}) {
        layout->addSpacing(8);
        layout->addWidget(row->label);
        layout->addWidget(row->slider);
        layout->addWidget(row->value);
    }
    // Before any tool is chosen the sliders show the fill's settings, disabled.
    ApplyRow(m_first, SlidersFor(cmd::kToolFill).first);
    ApplyRow(m_second, SlidersFor(cmd::kToolFill).second);
    Apply(ToolSliders{});
}

ToolSettingsBar::Row ToolSettingsBar::MakeRow(const char* objectName) {
    Row row;
    row.label = new QLabel(this);
    row.slider = new QSlider(Qt::Horizontal, this);
    row.slider->setObjectName(objectName);
    row.slider->setFixedWidth(110);
    row.value = new QLabel(this);
    row.value->setMinimumWidth(22);
    QLabel* value = row.value;
    connect(row.slider, &QSlider::valueChanged, value, [value](int v) { value->setNum(v); });
    connect(row.slider, &QSlider::sliderReleased, this, &ToolSettingsBar::valuesChanged);
    return row;
}

void ToolSettingsBar::ApplyRow(Row& row, const SliderSetup& setup) {
    row.slider->setEnabled(setup.enabled);
    row.label->setEnabled(setup.enabled);
    row.value->setEnabled(setup.enabled);
    if (!setup.enabled) return;
    row.label->setText(QString::fromUtf8(setup.label));
    const int keep = row.slider->value();
    row.slider->setRange(setup.minimum, setup.maximum);
    row.slider->setValue(setup.keepValue ? keep : setup.start);
    row.value->setNum(row.slider->value());
}

void ToolSettingsBar::Apply(const ToolSliders& sliders) {
    ApplyRow(m_first, sliders.first);
    ApplyRow(m_second, sliders.second);
}

int ToolSettingsBar::toolValue1() const { return m_first.slider->value(); }
int ToolSettingsBar::toolValue2() const { return m_second.slider->value(); }
int ToolSettingsBar::softBrush() const { return m_soft->isChecked() ? 1 : 0; }

}  // namespace quillory
