#include "shell/CDlg_Thrs.h"

#include <QComboBox>
#include <QLabel>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

#include "shell/SliderRow.h"

namespace quillory {

CDlg_Thrs::CDlg_Thrs(ThrsSetup setup, QWidget* parent) : CAdjustDialog(parent), m_setup(std::move(setup)) {
    setObjectName("CDlg_Thrs");
    setWindowTitle(m_setup.filterName);
    auto* layout = new QVBoxLayout(this);
    if (!m_setup.methods.isEmpty()) {
        m_methods = new QComboBox(this);
        m_methods->addItems(m_setup.methods);
        m_methods->setCurrentIndex(0);
        layout->addWidget(m_methods);
        connect(m_methods, &QComboBox::currentIndexChanged, this, [this](int method) {
            ShowSliders(m_setup.sliders ? m_setup.sliders(method) : ThrsSliders{});
            RequestPreview();
        });
    }
    for (int i = 0; i < 3; ++i) {
        m_rows[i] = new SliderRow(QString(), 0, 0, 0, SliderSteps{}, {}, this);
        layout->addWidget(m_rows[i]);
        connect(m_rows[i], &SliderRow::valueChosen, this, [this, i] {
            m_moved[size_t(i)] = true;
            RequestPreview();
        });
    }
    ShowSliders(m_setup.sliders ? m_setup.sliders(0) : ThrsSliders{});
    AddOkCancel(*this, layout);
}

QString CDlg_Thrs::SliderLabel(const ThrsSlider& slider) {
    return QString::asprintf("%s(%d\u2025%d)", slider.label.toUtf8().constData(), slider.minimum, slider.maximum);
}

void CDlg_Thrs::ShowSliders(const ThrsSliders& sliders) {
    m_sliders = sliders;
    m_moved = {};
    for (int i = 0; i < 3; ++i) {
        const ThrsSlider& s = sliders[size_t(i)];
        SliderRow* row = m_rows[i];
        row->SetRange(s.minimum, std::max(s.minimum, s.maximum));
        row->SetValue(s.initial);
        row->SetLabel(s.enabled ? SliderLabel(s) : s.label);
        row->slider()->setPageStep(std::max(1, (s.maximum - s.minimum) / 10));
        row->setEnabled(s.enabled);
        // A slider that is off and has no name is not shown at all.
        row->setVisible(s.enabled || !s.label.isEmpty());
    }
}

int CDlg_Thrs::method() const { return m_methods ? m_methods->currentIndex() : 0; }

std::array<int, 3> CDlg_Thrs::values() const {
    std::array<int, 3> v{};
    for (size_t i = 0; i < 3; ++i) v[i] = m_moved[i] ? m_rows[i]->value() : m_sliders[i].initial;
    return v;
}

CommandParameters CDlg_Thrs::Parameters() const {
    return m_setup.parameters ? m_setup.parameters(method(), values()) : CommandParameters{};
}

}  // namespace quillory
