#include "shell/CDlg_PutCalendar.h"

#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolButton>

#include "extras/Calendar.h"
#include "extras/ExtrasTexts.h"
#include "shell/FontChoiceBoxes.h"
#include "shell/OkCancelButtons.h"
#include "shell/Utf8Text.h"

namespace quillory {

namespace {

// A number box with its up and down buttons.
QHBoxLayout* Spinner(QWidget* parent, QLineEdit* box, const char* unit, std::function<void(int)> step) {
    auto* row = new QHBoxLayout;
    row->addWidget(box);
    for (int delta : {1, -1}) {
        auto* button = new QToolButton(parent);
        button->setArrowType(delta > 0 ? Qt::UpArrow : Qt::DownArrow);
        button->setAutoRepeat(true);
        button->setObjectName(QString("%1%2").arg(delta > 0 ? "up" : "down").arg(unit));
        QObject::connect(button, &QToolButton::clicked, parent, [step, delta] { step(delta); });
        row->addWidget(button);
    }
    row->addWidget(new QLabel(Text(unit), parent));
    return row;
}

}  // namespace

CDlg_PutCalendar::CDlg_PutCalendar(const CalendarDialogStart& start, QWidget* parent)
    : QDialog(parent), m_colour(start.colour) {
    setWindowTitle(Text(texts::kCmdCalendar));
    setObjectName("CDlg_PutCalendar");
    auto* form = new QFormLayout(this);
    m_year = new QLineEdit(QString::number(start.year), this);
    m_month = new QLineEdit(QString::number(start.month), this);
    m_year->setMaximumWidth(70);
    m_month->setMaximumWidth(50);
    auto* date = new QHBoxLayout;
    date->addLayout(Spinner(this, m_year, texts::kCalendarYear, [this](int d) { StepYear(d); }));
    date->addSpacing(12);
    date->addLayout(Spinner(this, m_month, texts::kCalendarMonth, [this](int d) { StepMonth(d); }));
    date->addStretch();
    form->addRow(date);

    m_size = FontSizeBox(this, 12);
    form->addRow(Text(texts::kFontSizeLabel), m_size);
    m_style = FontStyleBox(this, Text(texts::kStyleRegular));
    form->addRow(Text(texts::kFontStyleLabel), m_style);
    m_face = FontFaceBox(this, start.face);
    form->addRow(Text(texts::kFontFaceLabel), m_face);
    m_colourButton = new QToolButton(this);
    m_colourButton->setText(Text(texts::kColourLabel));
    PaintColourButton(m_colourButton, m_colour);
    connect(m_colourButton, &QToolButton::clicked, this, [this] {
        const QColor c = QColorDialog::getColor(m_colour, this, Text(texts::kColourLabel));
        if (!c.isValid()) return;
        m_colour = c;
        PaintColourButton(m_colourButton, c);
    });
    form->addRow(Text(texts::kColourLabel), m_colourButton);

    m_preview = new QPlainTextEdit(this);
    m_preview->setReadOnly(true);
    QFont previewFont(Text(texts::kCalendarPreviewFace));
    previewFont.setStyleHint(QFont::TypeWriter);
    previewFont.setFixedPitch(true);
    previewFont.setPixelSize(12);
    m_preview->setFont(previewFont);
    m_preview->setMinimumSize(260, 150);
    form->addRow(m_preview);
    m_hint = new QLabel(Text(texts::kCalendarHint), this);
    m_hint->setWordWrap(true);
    form->addRow(m_hint);

    QDialogButtonBox* buttons = OkCancelButtons(*this);
    form->addRow(buttons);

    connect(m_year, &QLineEdit::textChanged, this, &CDlg_PutCalendar::UpdatePreview);
    connect(m_month, &QLineEdit::textChanged, this, &CDlg_PutCalendar::UpdatePreview);
    UpdatePreview();
}

void CDlg_PutCalendar::accept() {
    if (m_place && !m_place()) return;
    QDialog::accept();
}

int CDlg_PutCalendar::Year() const { return ReadNumberText(m_year->text().toStdString()); }
int CDlg_PutCalendar::Month() const { return ReadNumberText(m_month->text().toStdString()); }
QString CDlg_PutCalendar::Face() const { return m_face->currentText(); }

void CDlg_PutCalendar::StepYear(int delta) {
    m_year->setText(QString::number(std::max(kCalendarFirstYear, Year() + delta)));
}

void CDlg_PutCalendar::StepMonth(int delta) {
    int month = Month() + delta;
    if (month > 12) month = 1;
    if (month < 1) month = 12;
    m_month->setText(QString::number(month));
}

void CDlg_PutCalendar::UpdatePreview() {
    QString text = QString::fromStdString(CalendarText(Year(), Month()));
    text.replace("\r\n", "\n");
    m_preview->setPlainText(text);
}

CommandParameters CDlg_PutCalendar::Parameters() const {
    CommandParameters p;
    p.Set("year", std::to_string(Year()));
    p.Set("month", std::to_string(Month()));
    p.Set("size", std::to_string(ReadNumberText(m_size->currentText().toStdString())));
    p.Set("style", m_style->currentText().toStdString());
    p.Set("face", m_face->currentText().toStdString());
    p.Set("colour", QString::asprintf("%02x%02x%02x", m_colour.red(), m_colour.green(), m_colour.blue()).toStdString());
    return p;
}

}  // namespace quillory
