#include "shell/Dlg_Calibration.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>
#include <cmath>

#include "measure/MeasureTexts.h"
#include "shell/Utf8Text.h"

namespace quillory {

Dlg_Calibration::Dlg_Calibration(const MeasureSettings& settings, QWidget* parent) : QDialog(parent) {
    setObjectName("Dlg_Calibration");
    setWindowTitle(Text(mtexts::kCalibrationTitle));
    auto* form = new QFormLayout;
    m_unitList = new QComboBox(this);
    for (const char* unit : mtexts::kUnitChoices) m_unitList->addItem(Text(unit));
    // The list stands at the current unit when it offers it, else at the last selection.
    const int named = m_unitList->findText(QString::fromStdString(settings.unitName));
    if (named >= 0) m_unitList->setCurrentIndex(named);
    else if (settings.unitIndex >= 0 && settings.unitIndex < m_unitList->count()) m_unitList->setCurrentIndex(settings.unitIndex);
    m_unitName = new QComboBox(this);
    m_unitName->setEditable(true);
    for (const char* unit : mtexts::kUnitChoices) m_unitName->addItem(Text(unit));
    m_unitName->setCurrentText(QString::fromStdString(settings.unitName));
    m_dx = new QLineEdit(QString::number(settings.refDx), this);
    m_dy = new QLineEdit(QString::number(settings.refDy), this);
    m_third = new QLineEdit("1", this);
    m_length = new QLineEdit(QString::number(double(settings.refLength), 'g', 7), this);
    form->addRow(Text(mtexts::kUnitListLabel), m_unitList);
    form->addRow(Text(mtexts::kUnitNameLabel), m_unitName);
    form->addRow(Text(mtexts::kReferenceXLabel), m_dx);
    form->addRow(Text(mtexts::kReferenceYLabel), m_dy);
    form->addRow(Text(mtexts::kThirdFieldLabel), m_third);
    form->addRow(Text(mtexts::kReferenceLengthLabel), m_length);
    // Choosing a unit from the list names it.
    connect(m_unitList, &QComboBox::activated, this, [this](int) { m_unitName->setCurrentText(m_unitList->currentText()); });

    m_reset = new QPushButton(Text(mtexts::kNewUnit), this);
    m_pick = new QPushButton(Text(mtexts::kPickFromPicture), this);
    m_reset->setAutoDefault(false);
    m_pick->setAutoDefault(false);
    connect(m_reset, &QPushButton::clicked, this, &Dlg_Calibration::Reset);
    connect(m_pick, &QPushButton::clicked, this, [this] { done(kPickReference); });
    auto* extra = new QHBoxLayout;
    extra->addWidget(m_reset);
    extra->addWidget(m_pick);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(extra);
    layout->addWidget(buttons);
}

void Dlg_Calibration::Reset() {
    m_unitList->setEditable(true);
    m_unitList->setCurrentText(Text(mtexts::kNewUnit));
    m_dx->setText("0");
    m_dy->setText("0");
    m_unitName->setCurrentText(Text(mtexts::kDefaultUnitAfterReset));
    m_length->setText(Text(mtexts::kResetLength));
}

void Dlg_Calibration::SetPickedVector(int dx, int dy) {
    m_dx->setText(QString::number(dx));
    m_dy->setText(QString::number(dy));
}

int Dlg_Calibration::WholeOf(const QString& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value)) return 0;
    // "100.5" pixels is a number: its whole part counts, as for any integer entry.
    return int(std::clamp(std::trunc(value), double(INT_MIN), double(INT_MAX)));
}

float Dlg_Calibration::FloatOf(const QString& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    return ok ? float(value) : 0.0f;
}

void Dlg_Calibration::Apply(MeasureSettings& settings) const {
    settings.refDx = WholeOf(m_dx->text());
    settings.refDy = WholeOf(m_dy->text());
    settings.unitName = m_unitName->currentText().toStdString();
    settings.refLength = FloatOf(m_length->text());
    settings.unitIndex = m_unitList->currentIndex();
}

}  // namespace quillory
