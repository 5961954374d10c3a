#include "shell/CDlg_NewImage.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QFormLayout>
#include <QLineEdit>
#include <QSpinBox>

#include "core/NyZazo.h"
#include "core/Platform.h"
#include "document/DocumentTexts.h"
#include "shell/ShellTexts.h"

namespace quillory {

namespace {
constexpr int kMaxNewSize = 5000;
}

CDlg_NewImage::CDlg_NewImage(const NewPictureSettings& initial, QWidget* parent) : QDialog(parent), m_initial(initial) {
    setWindowTitle(QString::fromUtf8(texts::kNewPictureTitle));
    auto* form = new QFormLayout(this);
    m_width = new QSpinBox(this);
    m_height = new QSpinBox(this);
    for (QSpinBox* box : {m_width, m_height}) box->setRange(1, kMaxNewSize);
    m_width->setValue(450);
    m_height->setValue(450);
    // A picture on the clipboard presets the size.
    if (auto dib = CurrentPlatform().ClipboardDib()) {
        NyZazo picture;
        if (picture.CreateFromPackedDib(dib->data(), dib->size(), false, nullptr)) {
            m_width->setValue(std::clamp(picture.Width(), 1, kMaxNewSize));
            m_height->setValue(std::clamp(picture.Height(), 1, kMaxNewSize));
        }
    }
    m_name = new QLineEdit(QString::fromUtf8(texts::kUntitledPicture), this);
    m_background = new QComboBox(this);
    m_background->addItems({QString::fromUtf8(texts::kBackgroundWhite), QString::fromUtf8(texts::kBackgroundTransparent),
                            QString::fromUtf8(texts::kBackgroundColour)});
    m_background->setCurrentIndex(0);
    m_type = new QComboBox(this);
    m_type->addItem(QString::fromUtf8(texts::kPictureTypeRgb));
    form->addRow(QString::fromUtf8(shelltexts::kNewImageWidth), m_width);
    form->addRow(QString::fromUtf8(shelltexts::kNewImageHeight), m_height);
    form->addRow(QString::fromUtf8(shelltexts::kNewImageName), m_name);
    form->addRow(QString::fromUtf8(texts::kBackgroundLabel), m_background);
    form->addRow(QString::fromUtf8(texts::kPictureTypeLabel), m_type);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

NewPictureSettings CDlg_NewImage::settings() const {
    NewPictureSettings s = m_initial;
    s.width = m_width->value();
    s.height = m_height->value();
    s.name = m_name->text().toStdString();
    s.background = m_background->currentIndex();
    s.bitsPerPixel = m_type->currentIndex() == 1 ? 8 : 24;
    s.backgroundColour = m_initial.backgroundColour;
    return s;
}

}  // namespace quillory
