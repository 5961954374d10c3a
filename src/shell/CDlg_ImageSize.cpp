#include "shell/CDlg_ImageSize.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QSpinBox>

#include "document/TransformTexts.h"
#include "shell/OkCancelButtons.h"
#include "shell/PanelTexts.h"

namespace quillory {

namespace {
constexpr int kLargestSide = 100000;
}

CDlg_ImageSize::CDlg_ImageSize(int width, int height, QWidget* parent)
    : QDialog(parent), m_startW(width), m_startH(height) {
    setWindowTitle(QString::fromUtf8(shelltexts::kImageSizeTitle));
    auto* form = new QFormLayout(this);
    m_width = new QSpinBox(this);
    m_height = new QSpinBox(this);
    m_pixels = new QRadioButton(QString::fromUtf8(texts::kImageSizePixels), this);
    m_percent = new QRadioButton(QString::fromUtf8(texts::kImageSizePercent), this);
    auto* units = new QButtonGroup(this);
    units->addButton(m_pixels);
    units->addButton(m_percent);
    auto* unitRow = new QHBoxLayout;
    unitRow->addWidget(m_pixels);
    unitRow->addWidget(m_percent);
    form->addRow(QString::fromUtf8(texts::kImageSizeWidth), m_width);
    form->addRow(QString::fromUtf8(texts::kImageSizeHeight), m_height);
    form->addRow(unitRow);
    QDialogButtonBox* buttons = OkCancelButtons(*this);
    form->addRow(buttons);
    m_pixels->setChecked(true);
    ShowUnit(false);
    connect(m_percent, &QRadioButton::toggled, this, [this](bool on) { ShowUnit(on); });
}

void CDlg_ImageSize::ShowUnit(bool percent) {
    // Switching the unit shows the same size in the other unit.
    const int w = m_width->value(), h = m_height->value();
    const bool wasPercent = m_width->suffix() == "%";
    m_width->setSuffix(percent ? "%" : "");
    m_height->setSuffix(percent ? "%" : "");
    m_width->setRange(1, percent ? 1000 : kLargestSide);
    m_height->setRange(1, percent ? 1000 : kLargestSide);
    if (percent && !wasPercent) {
        m_width->setValue(w > 1 ? int(w * 100.0 / m_startW + 0.5) : 100);
        m_height->setValue(h > 1 ? int(h * 100.0 / m_startH + 0.5) : 100);
    } else if (!percent) {
        m_width->setValue(wasPercent ? int(m_startW * w / 100.0 + 0.5) : m_startW);
        m_height->setValue(wasPercent ? int(m_startH * h / 100.0 + 0.5) : m_startH);
    }
}

CommandParameters CDlg_ImageSize::Parameters() const {
    CommandParameters p;
    p.Set("width", std::to_string(m_width->value()));
    p.Set("height", std::to_string(m_height->value()));
    p.Set("unit", m_percent->isChecked() ? "percent" : "pixel");
    return p;
}

}  // namespace quillory
