#include "shell/CDlg_BrigCont.h"

#include <QVBoxLayout>

#include "processing/AdjustTexts.h"
#include "processing/ColourAdjust.h"
#include "shell/SliderRow.h"

namespace quillory {

namespace {
constexpr SliderSteps kSteps{10, 4, 20};
}

CDlg_BrigCont::CDlg_BrigCont(QWidget* parent) : CAdjustDialog(parent) {
    setObjectName("CDlg_BrigCont");
    setWindowTitle(QString::fromUtf8(texts::kMenuBrightnessContrast));
    auto* layout = new QVBoxLayout(this);
    const QString scale = QString::fromUtf8(texts::kScaleBrightnessContrast);
    const int limit = kBrightnessContrastLimit;
    m_brightness = new SliderRow(QString::fromUtf8(texts::kLabelBrightness), -limit, limit, 0, kSteps, scale, this);
    m_contrast = new SliderRow(QString::fromUtf8(texts::kLabelContrast), -limit, limit, 0, kSteps, scale, this);
    for (SliderRow* row : {m_brightness, m_contrast}) {
        layout->addWidget(row);
        connect(row, &SliderRow::valueChosen, this, [this] { RequestPreview(); });
    }
    AddOkCancel(*this, layout);
}

CommandParameters CDlg_BrigCont::Parameters() const {
    CommandParameters p;
    p.Set("brightness", std::to_string(m_brightness->value()));
    p.Set("contrast", std::to_string(m_contrast->value()));
    return p;
}

}  // namespace quillory
