#include "shell/CDlg_SetEnvironment.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>
#include <QToolButton>

#include "measure/MeasureTexts.h"
#include "shell/ShellTexts.h"

namespace quillory {

namespace {

QColor FromPlatform(int32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

void PaintButton(QToolButton* button, int32_t colour) {
    button->setStyleSheet(QString("QToolButton { background: %1; min-width: 40px; }").arg(FromPlatform(colour).name()));
}

}  // namespace

CDlg_SetEnvironment::CDlg_SetEnvironment(const EnvSettings& env, QWidget* parent)
    : QDialog(parent), m_gridColourValue(env.gridColour) {
    setWindowTitle(QString::fromUtf8(shelltexts::kEnvironmentTitle));
    auto* form = new QFormLayout(this);
    m_gridSpacing = new QSpinBox(this);
    m_gridSpacing->setRange(kMinGridSpacingSetting, kMaxGridSpacingSetting);
    m_gridSpacing->setValue(std::clamp(std::abs(env.gridSpacing), kMinGridSpacingSetting, kMaxGridSpacingSetting));
    m_gridColour = new QToolButton(this);
    PaintButton(m_gridColour, m_gridColourValue);
    connect(m_gridColour, &QToolButton::clicked, this, [this] {
        const QColor c = QColorDialog::getColor(FromPlatform(m_gridColourValue), this);
        if (!c.isValid()) return;
        m_gridColourValue = c.red() | c.green() << 8 | c.blue() << 16;
        PaintButton(m_gridColour, m_gridColourValue);
    });
    m_cursor = new QComboBox(this);
    for (const char* name : shelltexts::kCursorNames) m_cursor->addItem(QString::fromUtf8(name));
    m_cursor->setCurrentIndex(env.cursorKind >= 1 && env.cursorKind <= 4 ? env.cursorKind : 0);
    // The choices by what they show: the point marks' glyphs and the hatch behind transparent pixels.
    m_pointStyle = new QComboBox(this);
    for (const char* glyph : mtexts::kMarkGlyphs) m_pointStyle->addItem(QString::fromUtf8(glyph));
    m_pointStyle->setCurrentIndex(std::clamp(env.pointStyle, 0, m_pointStyle->count() - 1));
    m_transparency = new QComboBox(this);
    for (const char* name : mtexts::kTransparencyChoices) m_transparency->addItem(QString::fromUtf8(name));
    m_transparency->setCurrentIndex(std::clamp(env.transparencyDisplay, 0, m_transparency->count() - 1));
    m_openAtStart = new QCheckBox(this);
    m_openAtStart->setChecked(env.openDialogAtStart != 0);
    // The program looks for no updates: the stored choice is kept as it is, shown but not offered.
    m_checkUpdates = new QCheckBox(this);
    m_checkUpdates->setChecked(env.updateFlag != 0);
    m_checkUpdates->setEnabled(false);
    m_checkUpdates->setToolTip(QString::fromUtf8(shelltexts::kEnvNoUpdateCheck));
    form->addRow(QString::fromUtf8(shelltexts::kEnvGridSpacing), m_gridSpacing);
    form->addRow(QString::fromUtf8(shelltexts::kEnvGridColour), m_gridColour);
    form->addRow(QString::fromUtf8(shelltexts::kEnvCursor), m_cursor);
    form->addRow(QString::fromUtf8(shelltexts::kEnvPointStyle), m_pointStyle);
    form->addRow(QString::fromUtf8(shelltexts::kEnvTransparency), m_transparency);
    form->addRow(QString::fromUtf8(shelltexts::kEnvOpenAtStart), m_openAtStart);
    form->addRow(QString::fromUtf8(shelltexts::kEnvCheckUpdates), m_checkUpdates);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

EnvSettings CDlg_SetEnvironment::Apply(EnvSettings env) const {
    env.gridSpacing = env.gridSpacing > 0 ? m_gridSpacing->value() : -m_gridSpacing->value();
    env.gridColour = m_gridColourValue;
    env.cursorKind = m_cursor->currentIndex();
    env.pointStyle = m_pointStyle->currentIndex();
    env.transparencyDisplay = m_transparency->currentIndex();
    env.openDialogAtStart = m_openAtStart->isChecked() ? 1 : 0;
    return env;
}

}  // namespace quillory
