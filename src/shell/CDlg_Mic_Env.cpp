#include "shell/CDlg_Mic_Env.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>

#include "core/Platform.h"
#include "measure/MeasureTexts.h"
#include "shell/ShellTexts.h"
#include "shell/Utf8Text.h"

namespace quillory {

namespace {

QColor FromPlatform(uint32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

void PaintButton(QToolButton* button, uint32_t colour) {
    const QColor c = FromPlatform(colour);
    button->setStyleSheet(QString("QToolButton { background: %1; color: %2; min-width: 60px; }")
                              .arg(c.name(), c.lightness() > 128 ? "black" : "white"));
}

// A row of exclusive round buttons; the checked one is `checked` when it exists.
QButtonGroup* Choices(QWidget* parent, QBoxLayout* layout, const QStringList& labels, int checked) {
    auto* group = new QButtonGroup(parent);
    for (int i = 0; i < labels.size(); ++i) {
        auto* button = new QRadioButton(labels[i], parent);
        group->addButton(button, i);
        layout->addWidget(button);
    }
    if (QAbstractButton* button = group->button(checked)) button->setChecked(true);
    return group;
}

}  // namespace

QStringList CDlg_Mic_Env::SortedFaces(const std::vector<std::string>& names) {
    std::vector<std::string> sorted = names;
    std::stable_sort(sorted.begin(), sorted.end());
    QStringList list;
    for (const std::string& name : sorted) list << QString::fromStdString(name);
    return list;
}

CDlg_Mic_Env::CDlg_Mic_Env(const MeasureSettings& measure, const EnvSettings& env, bool redrawOnAdd,
                           ColourChooser chooser, QWidget* parent)
    : QDialog(parent), m_chooser(std::move(chooser)) {
    setObjectName("CDlg_Mic_Env");
    setWindowTitle(Text(mtexts::kEnvTitle));
    m_colours[0] = measure.lineColour;
    m_colours[1] = measure.selectColour;
    m_colours[2] = measure.textColour;
    m_gridColour = uint32_t(env.gridColour);
    m_tabs = new QTabWidget(this);
    m_tabs->addTab(ToolsPage(measure), Text(mtexts::kEnvTabTools));
    m_tabs->addTab(GridPage(env), Text(mtexts::kEnvTabGrid));
    m_tabs->addTab(TransparencyPage(env), Text(mtexts::kEnvTabTransparency));
    m_tabs->addTab(CursorPage(env, redrawOnAdd), Text(mtexts::kEnvTabCursor));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons);
}

QToolButton* CDlg_Mic_Env::ColourButton(uint32_t& value, const char* label, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setText(Text(label));
    PaintButton(button, value);
    uint32_t* target = &value;
    connect(button, &QToolButton::clicked, this, [this, button, target] {
        if (!m_chooser) return;
        if (const std::optional<uint32_t> chosen = m_chooser(*target)) {
            *target = *chosen;
            PaintButton(button, *target);
        }
    });
    return button;
}

QWidget* CDlg_Mic_Env::ToolsPage(const MeasureSettings& measure) {
    auto* page = new QWidget(this);
    auto* form = new QFormLayout(page);
    auto* colours = new QHBoxLayout;
    const char* labels[3] = {mtexts::kLineColourButton, mtexts::kSelectColourButton, mtexts::kTextColourButton};
    for (int i = 0; i < 3; ++i) {
        m_colourButtons[i] = ColourButton(m_colours[i], labels[i], page);
        colours->addWidget(m_colourButtons[i]);
    }
    form->addRow(colours);
    m_lineWidth = new QComboBox(page);
    for (int w = kMinLineWidth; w <= kMaxLineWidth; ++w) m_lineWidth->addItem(QString::asprintf("%d", w));
    m_lineWidth->setCurrentText(QString::fromStdString(measure.lineWidth));
    form->addRow(Text(mtexts::kLineWidthLabel), m_lineWidth);
    m_fontSize = new QComboBox(page);
    for (int s = kMinLabelFontSize; s <= kMaxLabelFontSize; ++s) m_fontSize->addItem(QString::asprintf("%d", s));
    m_fontSize->setCurrentText(QString::fromStdString(measure.labelFontSize));
    form->addRow(Text(mtexts::kFontSizeLabel), m_fontSize);
    m_face = new QComboBox(page);
    m_face->addItems(SortedFaces(CurrentPlatform().FontFamilies()));
    const QString face = QString::fromStdString(measure.labelFontFace);
    if (m_face->findText(face) < 0) m_face->insertItem(0, face);
    m_face->setCurrentText(face);
    form->addRow(Text(mtexts::kFontFaceLabel), m_face);
    auto* decimals = new QHBoxLayout;
    m_decimals = Choices(page, decimals, {Text(mtexts::kOneDecimal), Text(mtexts::kTwoDecimals)},
                         measure.decimals == 1 ? 0 : 1);
    form->addRow(decimals);
    m_showLabels = new QCheckBox(Text(mtexts::kShowLabels), page);
    m_showLabels->setChecked(measure.showLabels != 0);
    form->addRow(m_showLabels);
    auto* marks = new QHBoxLayout;
    QStringList glyphs;
    for (const char* glyph : mtexts::kMarkGlyphs) glyphs << Text(glyph);
    m_markStyle = Choices(page, marks, glyphs, measure.markStyle);
    form->addRow(Text(mtexts::kMarkStyleLabel), marks);
    return page;
}

QWidget* CDlg_Mic_Env::GridPage(const EnvSettings& env) {
    auto* page = new QWidget(this);
    auto* form = new QFormLayout(page);
    m_gridSpacing = new QSpinBox(page);
    m_gridSpacing->setRange(kMinGridSpacingSetting, kMaxGridSpacingSetting);
    m_gridSpacing->setValue(std::clamp(std::abs(env.gridSpacing), kMinGridSpacingSetting, kMaxGridSpacingSetting));
    form->addRow(Text(mtexts::kGridSpacingLabel), m_gridSpacing);
    form->addRow(ColourButton(m_gridColour, mtexts::kGridColourButton, page));
    return page;
}

QWidget* CDlg_Mic_Env::TransparencyPage(const EnvSettings& env) {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    QStringList labels;
    for (const char* label : mtexts::kTransparencyChoices) labels << Text(label);
    m_transparency = Choices(page, layout, labels, std::clamp(env.transparencyDisplay, 0, 5));
    layout->addStretch(1);
    return page;
}

QWidget* CDlg_Mic_Env::CursorPage(const EnvSettings& env, bool redrawOnAdd) {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    auto* box = new QGroupBox(Text(mtexts::kCursorLabel), page);
    auto* cursors = new QVBoxLayout(box);
    QStringList labels;
    for (const char* label : shelltexts::kCursorNames) labels << Text(label);
    m_cursor = Choices(box, cursors, labels, std::clamp(env.cursorKind, 0, 4));
    layout->addWidget(box);
    m_selectionTone = new QCheckBox(Text(mtexts::kDistinguishSelection), page);
    m_selectionTone->setChecked(env.fog != 0);
    m_redrawOnAdd = new QCheckBox(Text(mtexts::kRedrawOnAdd), page);
    m_redrawOnAdd->setChecked(redrawOnAdd);
    layout->addWidget(m_selectionTone);
    layout->addWidget(m_redrawOnAdd);
    layout->addStretch(1);
    return page;
}

void CDlg_Mic_Env::Apply(MeasureSettings& measure, EnvSettings& env, bool& redrawOnAdd) const {
    measure.lineColour = m_colours[0];
    measure.selectColour = m_colours[1];
    measure.textColour = m_colours[2];
    measure.lineWidth = m_lineWidth->currentText().toStdString();
    measure.labelFontSize = m_fontSize->currentText().toStdString();
    measure.labelFontFace = m_face->currentText().toStdString();
    measure.decimals = m_decimals->checkedId() == 0 ? 1 : 2;
    measure.showLabels = m_showLabels->isChecked() ? 1 : 0;
    measure.markStyle = uint8_t(std::max(0, m_markStyle->checkedId()));
    env.pointStyle = measure.markStyle;
    // The spacing keeps its sign: negative while the grid is hidden.
    env.gridSpacing = env.gridSpacing < 0 ? -m_gridSpacing->value() : m_gridSpacing->value();
    env.gridColour = int32_t(m_gridColour);
    env.transparencyDisplay = std::max(0, m_transparency->checkedId());
    env.cursorKind = std::max(0, m_cursor->checkedId());
    env.fog = m_selectionTone->isChecked() ? 1 : 0;
    redrawOnAdd = m_redrawOnAdd->isChecked();
}

}  // namespace quillory
