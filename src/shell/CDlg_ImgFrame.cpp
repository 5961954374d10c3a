#include "shell/CDlg_ImgFrame.h"

#include <QButtonGroup>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include "extras/ExtrasTexts.h"
#include "shell/FontChoiceBoxes.h"
#include "shell/OkCancelButtons.h"
#include "shell/Utf8Text.h"

namespace quillory {

namespace {

// A small picture of a frame style in the chosen colours, on a light ground.
QIcon FrameIcon(int style, const QColor& main, const QColor& second) {
    constexpr int kSide = 48;
    QImage image(kSide, kSide, QImage::Format_RGB32);
    image.fill(QColor(235, 238, 242));
    FrameChoice choice;
    choice.style = style;
    choice.thickness = 10;
    choice.main = ToQuad(main);
    choice.second = ToQuad(second);
    DrawFrameStyle(kSide, kSide, choice,
                   [&](int x, int y, RGBQUAD c) { image.setPixel(x, y, qRgb(c.red, c.green, c.blue)); });
    return QIcon(QPixmap::fromImage(image));
}

}  // namespace

CDlg_ImgFrame::CDlg_ImgFrame(QColor main, QColor second, Redraw redraw, QWidget* parent)
    : QDialog(parent), m_redraw(std::move(redraw)), m_main(main), m_second(second) {
    setWindowTitle(Text(texts::kCmdPictureFrame));
    setObjectName("CDlg_ImgFrame");
    auto* layout = new QVBoxLayout(this);
    auto* frames = new QHBoxLayout;
    auto* group = new QButtonGroup(this);
    group->setExclusive(true);
    for (int style = 0; style < kFrameStyles; ++style) {
        auto* button = new QToolButton(this);
        button->setCheckable(true);
        button->setIconSize(QSize(48, 48));
        button->setToolTip(Text(texts::kFrameButtons[style]));
        button->setText(Text(texts::kFrameButtons[style]));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setObjectName(QString("frame%1").arg(style));
        group->addButton(button, style);
        frames->addWidget(button);
        m_frames[style] = button;
    }
    connect(group, &QButtonGroup::idClicked, this, [this](int style) { ChooseStyle(style); });
    layout->addLayout(frames);
    m_hint = new QLabel(Text(texts::kFrameChooseFirst), this);
    layout->addWidget(m_hint);

    auto* settings = new QHBoxLayout;
    m_mainButton = new QToolButton(this);
    m_mainButton->setText(Text(texts::kFrameMainColour));
    m_secondButton = new QToolButton(this);
    m_secondButton->setText(Text(texts::kFrameSecondColour));
    for (QToolButton* button : {m_mainButton, m_secondButton}) {
        connect(button, &QToolButton::clicked, this, [this, button] {
            QColor& colour = button == m_mainButton ? m_main : m_second;
            const QColor c = QColorDialog::getColor(colour, this, button->text());
            if (!c.isValid()) return;
            colour = c;
            PaintButtons();
            Changed();
        });
        settings->addWidget(button);
    }
    settings->addSpacing(12);
    settings->addWidget(new QLabel(Text(texts::kFrameThickness), this));
    m_thickness = new QSpinBox(this);
    m_thickness->setRange(kMinFrameThickness, 1000);
    m_thickness->setSingleStep(1);
    m_thickness->setValue(kMinFrameThickness + 5);
    connect(m_thickness, &QSpinBox::valueChanged, this, [this] { Changed(); });
    settings->addWidget(m_thickness);
    settings->addStretch();
    layout->addLayout(settings);

    QDialogButtonBox* buttons = OkCancelButtons(*this);
    layout->addWidget(buttons);
    PaintButtons();
}

void CDlg_ImgFrame::PaintButtons() {
    for (int style = 0; style < kFrameStyles; ++style) m_frames[style]->setIcon(FrameIcon(style, m_main, m_second));
    PaintColourButton(m_mainButton, m_main);
    PaintColourButton(m_secondButton, m_second);
}

void CDlg_ImgFrame::SetColours(QColor main, QColor second) {
    m_main = main;
    m_second = second;
    PaintButtons();
    Changed();
}

void CDlg_ImgFrame::ChooseStyle(int style) {
    if (style < 0 || style >= kFrameStyles) return;
    m_style = style;
    m_frames[style]->setChecked(true);
    m_hint->setText(Text(texts::kFrameButtons[style]));
    Changed();
}

FrameChoice CDlg_ImgFrame::Choice() const {
    FrameChoice choice;
    choice.main = ToQuad(m_main);
    choice.second = ToQuad(m_second);
    choice.style = m_style;
    choice.thickness = m_thickness->value();
    return choice;
}

void CDlg_ImgFrame::Changed() {
    if (m_style >= 0 && m_redraw) m_redraw(Choice());
}

}  // namespace quillory
