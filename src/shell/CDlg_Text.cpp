#include "shell/CDlg_Text.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QToolButton>

#include "document/Utf16.h"
#include "extras/Calendar.h"
#include "extras/ExtrasTexts.h"
#include "shell/FontChoiceBoxes.h"
#include "shell/OkCancelButtons.h"
#include "shell/Utf8Text.h"

namespace quillory {

namespace {

constexpr int kPreviewBoxHeight = 120;

}  // namespace

TextLook LookFromEnvironment(const EnvSettings& env) {
    TextLook look;
    look.face = Utf16ToUtf8(env.faceName);
    look.pixelHeight = std::max(kMinTextHeight, int(env.fontSize));
    const std::string style = Utf16ToUtf8(env.secondName);
    look.style = style.empty() ? texts::kStyleRegular : style;
    look.underline = env.fontUnderLine != 0;
    look.strikeOut = env.fontStrikeOut != 0;
    const uint32_t c = uint32_t(env.textColour);
    look.colour = RGBQUAD{uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c), 0};
    return look;
}

void StoreLookInEnvironment(EnvSettings& env, const TextLook& look) {
    env.fontSize = std::max(kMinTextHeight, look.pixelHeight);
    env.faceName = Utf8ToUtf16(look.face).substr(0, kMaxFaceNameLength);
    env.faceNameLength = int32_t(env.faceName.size());
    env.secondName = Utf8ToUtf16(look.style).substr(0, kMaxFaceNameLength);
    env.secondNameLength = int32_t(env.secondName.size());
    env.fontUnderLine = look.underline ? 1 : 0;
    env.fontStrikeOut = look.strikeOut ? 1 : 0;
    env.textColour = int32_t(uint32_t(look.colour.red) | uint32_t(look.colour.green) << 8 | uint32_t(look.colour.blue) << 16);
}

TextDialogResult ResultFromLook(const TextLook& look, const QString& text) {
    TextDialogResult r;
    r.text = text;
    r.size = std::max(1, look.pixelHeight / 2);
    r.face = QString::fromStdString(look.face);
    r.style = QString::fromStdString(look.style);
    r.strikeOut = look.strikeOut;
    r.underline = look.underline;
    r.colour = FromQuad(look.colour);
    return r;
}

TextLook LookFromResult(const TextDialogResult& r) {
    TextLook look;
    look.face = r.face.toStdString();
    look.pixelHeight = std::clamp(r.size * 2, kMinTextHeight, kMaxTextHeight);
    look.style = r.style.toStdString();
    look.strikeOut = r.strikeOut;
    look.underline = r.underline;
    look.colour = ToQuad(r.colour);
    return look;
}

CDlg_Text::CDlg_Text(const TextDialogResult& start, QWidget* parent) : QDialog(parent), m_colour(start.colour) {
    setWindowTitle(Text(texts::kCmdTextInput));
    setObjectName("CDlg_Text");
    auto* form = new QFormLayout(this);
    m_text = new QPlainTextEdit(start.text, this);
    m_text->setMinimumSize(360, 90);
    form->addRow(m_text);

    m_size = FontSizeBox(this, start.size);
    form->addRow(Text(texts::kFontSizeLabel), m_size);
    m_face = FontFaceBox(this, start.face);
    form->addRow(Text(texts::kFontFaceLabel), m_face);
    m_style = FontStyleBox(this, start.style);
    form->addRow(Text(texts::kFontStyleLabel), m_style);

    auto* flags = new QHBoxLayout;
    m_strikeOut = new QCheckBox(Text(texts::kTextStrikeOut), this);
    m_strikeOut->setChecked(start.strikeOut);
    m_underline = new QCheckBox(Text(texts::kTextUnderline), this);
    m_underline->setChecked(start.underline);
    m_colourButton = new QToolButton(this);
    m_colourButton->setText(Text(texts::kColourLabel));
    PaintColourButton(m_colourButton, m_colour);
    flags->addWidget(m_strikeOut);
    flags->addWidget(m_underline);
    flags->addWidget(m_colourButton);
    flags->addStretch();
    form->addRow(flags);

    m_preview = new QLabel(this);
    // A large font is shown cut to the preview's box: it never widens the dialog past the screen.
    m_preview->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    m_preview->setMinimumWidth(360);
    m_preview->setFixedHeight(kPreviewBoxHeight);
    m_preview->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_preview->setFrameShape(QFrame::StyledPanel);
    m_preview->setAutoFillBackground(true);
    m_preview->setBackgroundRole(QPalette::Base);
    form->addRow(Text(texts::kTextPreview), m_preview);

    QDialogButtonBox* buttons = OkCancelButtons(*this);
    form->addRow(buttons);

    connect(m_colourButton, &QToolButton::clicked, this, [this] {
        const QColor c = QColorDialog::getColor(m_colour, this, Text(texts::kColourLabel));
        if (!c.isValid()) return;
        m_colour = c;
        PaintColourButton(m_colourButton, c);
        UpdatePreview();
    });
    connect(m_text, &QPlainTextEdit::textChanged, this, &CDlg_Text::UpdatePreview);
    connect(m_size, &QComboBox::currentTextChanged, this, &CDlg_Text::UpdatePreview);
    connect(m_face, &QComboBox::currentTextChanged, this, &CDlg_Text::UpdatePreview);
    connect(m_style, &QComboBox::currentTextChanged, this, &CDlg_Text::UpdatePreview);
    connect(m_strikeOut, &QCheckBox::toggled, this, &CDlg_Text::UpdatePreview);
    connect(m_underline, &QCheckBox::toggled, this, &CDlg_Text::UpdatePreview);
    UpdatePreview();
    m_text->setFocus();
}

TextDialogResult CDlg_Text::Result() const {
    TextDialogResult r;
    r.text = m_text->toPlainText();
    r.size = std::max(1, ReadNumberText(m_size->currentText().toStdString()));
    r.face = m_face->currentText();
    r.style = m_style->currentText();
    r.strikeOut = m_strikeOut->isChecked();
    r.underline = m_underline->isChecked();
    r.colour = m_colour;
    return r;
}

void CDlg_Text::UpdatePreview() {
    const TextDialogResult r = Result();
    QFont font(r.face);
    font.setPixelSize(PreviewFontHeight(r.size));
    font.setWeight(QFont::Weight(PreviewFontWeight(r.style.toStdString())));
    font.setItalic(StyleIsItalic(r.style.toStdString()));
    font.setUnderline(r.underline);
    font.setStrikeOut(r.strikeOut);
    m_preview->setFont(font);
    QPalette palette = m_preview->palette();
    palette.setColor(QPalette::WindowText, r.colour);
    m_preview->setPalette(palette);
    const QString firstLine = r.text.section('\n', 0, 0);
    m_preview->setText(firstLine.isEmpty() ? r.face : firstLine.left(40));
}

}  // namespace quillory
