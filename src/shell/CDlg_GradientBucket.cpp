#include "shell/CDlg_GradientBucket.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "document/TransformTexts.h"
#include "processing/Gradient.h"

namespace quillory {

CDlg_GradientBucket::CDlg_GradientBucket(QWidget* parent) : QDialog(parent) {
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(false);
    setWindowTitle(QString::fromUtf8(texts::kCmdGradient));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QString::fromUtf8(texts::kGradientHint), this));
    const auto pair = [this, layout](const char* a, const char* b, QRadioButton*& first, QRadioButton*& second) {
        auto* box = new QGroupBox(this);
        auto* row = new QHBoxLayout(box);
        first = new QRadioButton(QString::fromUtf8(a), box);
        second = new QRadioButton(QString::fromUtf8(b), box);
        auto* group = new QButtonGroup(box);
        group->addButton(first);
        group->addButton(second);
        row->addWidget(first);
        row->addWidget(second);
        layout->addWidget(box);
        for (QRadioButton* r : {first, second})
            connect(r, &QRadioButton::toggled, this, [this](bool on) {
                if (on) Q_EMIT choicesChanged(colourMode(), shape());
            });
    };
    pair(texts::kGradientForeground, texts::kGradientForegroundBackground, m_foreground, m_both);
    pair(texts::kGradientLinear, texts::kGradientMirrored, m_linear, m_mirrored);
    SetChoices(GradientSettings::ForegroundAndBackground, GradientSettings::Linear);
}

void CDlg_GradientBucket::SetChoices(int colourMode, int shape) {
    (colourMode == GradientSettings::ForegroundOnly ? m_foreground : m_both)->setChecked(true);
    (shape == GradientSettings::Mirrored ? m_mirrored : m_linear)->setChecked(true);
}

int CDlg_GradientBucket::colourMode() const {
    return m_foreground->isChecked() ? GradientSettings::ForegroundOnly : GradientSettings::ForegroundAndBackground;
}

int CDlg_GradientBucket::shape() const {
    return m_mirrored->isChecked() ? GradientSettings::Mirrored : GradientSettings::Linear;
}

}  // namespace quillory
