#include "shell/TransformPanels.h"

#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

#include "core/CommandIds.h"
#include "document/TransformTexts.h"
#include "shell/PanelTexts.h"
#include "shell/Utf8Text.h"

namespace quillory {

namespace {

QHBoxLayout* ButtonRow(QWidget* owner, QPushButton*& first, const char* firstText, QPushButton*& cancel) {
    auto* row = new QHBoxLayout;
    first = new QPushButton(Text(firstText), owner);
    cancel = new QPushButton(Text(shelltexts::kCancel), owner);
    first->setDefault(true);
    row->addStretch();
    row->addWidget(first);
    row->addWidget(cancel);
    return row;
}

void MakeTool(QDialog* d) {
    d->setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    d->setModal(false);
}

}  // namespace

DlgRotate::DlgRotate(QWidget* parent) : QDialog(parent) {
    MakeTool(this);
    setWindowTitle(Text(shelltexts::kRotatePanelTitle));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(Text(shelltexts::kRotateHint), this));
    auto* form = new QFormLayout;
    m_angle = new QDoubleSpinBox(this);
    m_angle->setRange(-360.0, 360.0);
    m_angle->setDecimals(1);
    m_angle->setSingleStep(1.0);
    m_angle->setSuffix(QString::fromUtf8("°"));
    form->addRow(Text(shelltexts::kRotateAngle), m_angle);
    layout->addLayout(form);
    layout->addLayout(ButtonRow(this, m_ok, shelltexts::kOk, m_cancel));
    connect(m_angle, &QDoubleSpinBox::valueChanged, this, [this](double v) { Q_EMIT angleChosen(v); });
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void DlgRotate::SetAngle(double degrees) {
    QSignalBlocker block(m_angle);
    m_angle->setValue(degrees);
}

DlgStretch::DlgStretch(QWidget* parent) : QDialog(parent) {
    MakeTool(this);
    setWindowTitle(Text(shelltexts::kStretchPanelTitle));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(Text(shelltexts::kStretchHint), this));
    auto* form = new QFormLayout;
    m_width = new QSpinBox(this);
    m_height = new QSpinBox(this);
    for (QSpinBox* box : {m_width, m_height}) {
        box->setRange(1, 100000);
        box->setKeyboardTracking(false);
    }
    form->addRow(Text(texts::kImageSizeWidth), m_width);
    form->addRow(Text(texts::kImageSizeHeight), m_height);
    layout->addLayout(form);
    layout->addLayout(ButtonRow(this, m_ok, shelltexts::kOk, m_cancel));
    const auto chosen = [this] { Q_EMIT sizeChosen(m_width->value(), m_height->value()); };
    connect(m_width, &QSpinBox::valueChanged, this, chosen);
    connect(m_height, &QSpinBox::valueChanged, this, chosen);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void DlgStretch::SetSize(int width, int height) {
    QSignalBlocker a(m_width), b(m_height);
    m_width->setValue(width);
    m_height->setValue(height);
}

DlgFreeTransform::DlgFreeTransform(QWidget* parent) : QDialog(parent) {
    MakeTool(this);
    auto* layout = new QVBoxLayout(this);
    // The caption also heads the panel, where it shows without a window frame too.
    m_caption = new QLabel(this);
    QFont bold = m_caption->font();
    bold.setBold(true);
    m_caption->setFont(bold);
    layout->addWidget(m_caption);
    layout->addWidget(new QLabel(Text(shelltexts::kFreeTransformHint), this));
    layout->addLayout(ButtonRow(this, m_apply, shelltexts::kApply, m_cancel));
    connect(m_apply, &QPushButton::clicked, this, [this] { Q_EMIT applyRequested(); });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    SetMode(cmd::kToolScale);
}

void DlgFreeTransform::SetMode(int command) {
    setWindowTitle(Text(command == cmd::kToolPerspective ? texts::kPanelPerspective
                        : command == cmd::kToolSkew    ? texts::kPanelDistort
                                                       : texts::kPanelScale));
    m_caption->setText(windowTitle());
}

}  // namespace quillory
