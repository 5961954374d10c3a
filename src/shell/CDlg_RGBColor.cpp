#include "shell/CDlg_RGBColor.h"

#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

#include "processing/AdjustTexts.h"
#include "processing/ColourAdjust.h"
#include "shell/SliderRow.h"

namespace quillory {

namespace {
constexpr SliderSteps kSteps{5, 4, 10};
}

CDlg_RGBColor::CDlg_RGBColor(QWidget* parent) : CAdjustDialog(parent) {
    setObjectName("CDlg_RGBColor");
    setWindowTitle(QString::fromUtf8(texts::kMenuRgbAdjust));
    auto* layout = new QVBoxLayout(this);
    auto* choices = new QHBoxLayout;
    m_rgb = new QRadioButton(QString::fromUtf8(texts::kRadioRgbAdjust), this);
    m_hsl = new QRadioButton(QString::fromUtf8(texts::kRadioHslAdjust), this);
    m_rgb->setChecked(true);
    choices->addWidget(m_rgb);
    choices->addWidget(m_hsl);
    choices->addStretch();
    layout->addLayout(choices);
    const QString scale = QString::fromUtf8(texts::kScaleChannelShift);
    const char* labels[3] = {texts::kLabelRed, texts::kLabelGreen, texts::kLabelBlue};
    for (int i = 0; i < 3; ++i) {
        m_channels[i] = new SliderRow(QString::fromUtf8(labels[i]), -kChannelShiftLimit, kChannelShiftLimit, 0, kSteps,
                                      scale, this);
        layout->addWidget(m_channels[i]);
        connect(m_channels[i], &SliderRow::valueChosen, this, [this] { RequestPreview(); });
    }
    AddOkCancel(*this, layout);
}

CommandParameters CDlg_RGBColor::Parameters() const {
    CommandParameters p;
    p.Set("red", std::to_string(m_channels[0]->value()));
    p.Set("green", std::to_string(m_channels[1]->value()));
    p.Set("blue", std::to_string(m_channels[2]->value()));
    return p;
}

}  // namespace quillory
