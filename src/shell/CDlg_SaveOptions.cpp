#include "shell/CDlg_SaveOptions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QSpinBox>

#include "core/FormatCodes.h"
#include "shell/SaveOptionsTexts.h"
#include "shell/OkCancelButtons.h"
#include "shell/PanelTexts.h"

namespace quillory {

namespace {

struct TiffChoice {
    int code;
    const char* label;
};
constexpr TiffChoice kTiffChoices[] = {{kTiffCompressionByDepth, shelltexts::kTiffByDepth},
                                       {kTiffCompressionLzw, shelltexts::kTiffLzw},
                                       {kTiffCompressionDeflate, shelltexts::kTiffDeflate},
                                       {kTiffCompressionNone, shelltexts::kTiffNone}};

// The format's own name in the title, as users know it (the file dialogs list extensions).
const char* FormatTitleName(int formatType) {
    switch (formatType) {
        case kFormatJpeg: return "JPEG";
        case kFormatTiff: return "TIFF";
        case kFormatPng: return "PNG";
        case kFormatWebp: return "WebP";
        default: return "";
    }
}

}  // namespace

CDlg_SaveOptions::CDlg_SaveOptions(int formatType, const SaveOptions& start, QWidget* parent)
    : QDialog(parent), m_format(formatType), m_start(Clamped(start)) {
    setWindowTitle(QString::asprintf(shelltexts::kSaveOptionsTitleFormat, FormatTitleName(formatType)));
    auto* form = new QFormLayout(this);
    // A few rows that never need more room: the window keeps its size.
    form->setSizeConstraint(QLayout::SetFixedSize);
    switch (formatType) {
        case kFormatJpeg:
            m_quality = AddNumberRow(form, shelltexts::kSaveQuality, shelltexts::kSaveQualityHint, 1, 100,
                                     m_start.jpegQuality, &m_qualitySlider);
            break;
        case kFormatWebp:
            m_quality = AddNumberRow(form, shelltexts::kSaveQuality, shelltexts::kSaveQualityHint, 1, 100,
                                     m_start.webpQuality, &m_qualitySlider);
            m_lossless = new QCheckBox(QString::fromUtf8(shelltexts::kWebpLossless), this);
            m_lossless->setChecked(m_start.webpLossless);
            form->addRow(m_lossless);
            // Quality means nothing to lossless coding.
            connect(m_lossless, &QCheckBox::toggled, this, [this](bool on) {
                m_quality->setEnabled(!on);
                m_qualitySlider->setEnabled(!on);
            });
            m_quality->setEnabled(!m_start.webpLossless);
            m_qualitySlider->setEnabled(!m_start.webpLossless);
            form->addRow(new QLabel(QString::fromUtf8(shelltexts::kWebpOpacityNote), this));
            break;
        case kFormatTiff:
            m_compression = new QComboBox(this);
            for (const TiffChoice& choice : kTiffChoices) {
                m_compression->addItem(QString::fromUtf8(choice.label), choice.code);
                if (choice.code == m_start.tiffCompression) m_compression->setCurrentIndex(m_compression->count() - 1);
            }
            form->addRow(QString::fromUtf8(shelltexts::kSaveCompression), m_compression);
            break;
        case kFormatPng:
            m_level = AddNumberRow(form, shelltexts::kPngLevel, shelltexts::kPngLevelHint, 0, 9, m_start.pngLevel,
                                   nullptr);
            break;
        default: break;
    }
    QDialogButtonBox* buttons = OkCancelButtons(*this);
    form->addRow(buttons);
}

QSpinBox* CDlg_SaveOptions::AddNumberRow(QFormLayout* form, const char* label, const char* hint, int low, int high,
                                         int value, QSlider** slider) {
    auto* box = new QSpinBox(this);
    box->setRange(low, high);
    box->setValue(value);
    auto* line = new QHBoxLayout;
    auto* bar = new QSlider(Qt::Horizontal, this);
    bar->setRange(low, high);
    bar->setValue(value);
    bar->setMinimumWidth(160);
    connect(bar, &QSlider::valueChanged, box, &QSpinBox::setValue);
    connect(box, &QSpinBox::valueChanged, bar, &QSlider::setValue);
    line->addWidget(bar);
    line->addWidget(box);
    form->addRow(QString::fromUtf8(label), line);
    auto* note = new QLabel(QString::fromUtf8(hint), this);
    note->setEnabled(false);
    form->addRow(QString(), note);
    if (slider) *slider = bar;
    return box;
}

SaveOptions CDlg_SaveOptions::Options() const {
    SaveOptions options = m_start;
    switch (m_format) {
        case kFormatJpeg: options.jpegQuality = m_quality->value(); break;
        case kFormatWebp:
            options.webpQuality = m_quality->value();
            options.webpLossless = m_lossless->isChecked();
            break;
        case kFormatTiff: options.tiffCompression = m_compression->currentData().toInt(); break;
        case kFormatPng: options.pngLevel = m_level->value(); break;
        default: break;
    }
    return options;
}

bool CDlg_SaveOptions::Ask(QWidget* parent, int formatType, SaveOptions& options) {
    if (!HasSaveOptions(formatType)) return true;
    CDlg_SaveOptions dialog(formatType, options, parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    options = dialog.Options();
    return true;
}

}  // namespace quillory
