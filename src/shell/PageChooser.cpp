#include "shell/PageChooser.h"

#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QSignalBlocker>
#include <QSpinBox>

#include "core/FilePreview.h"
#include "core/FormatCodes.h"
#include "core/NyZazo.h"
#include "core/PictureProbe.h"
#include "core/SizeMath.h"
#include "shell/DesktopTexts.h"

namespace quillory {

namespace {

// Reads one page; false for a file that is not a picture of a size that can be opened.
bool ReadPage(const QString& path, int format, int page, NyZazo& picture) {
    PictureDimensions size;
    const std::string file = path.toStdString();
    // A header claiming a huge picture is not decoded just to be previewed.
    if (ProbePictureFile(file, format, size) && !FitsPixelCap(size.width, size.height, 32)) return false;
    picture.frameIndex = page;
    return picture.Load(file, format) && picture.bits != nullptr;
}

}  // namespace

PageChooser::PageChooser(QLabel* picture, QLabel* caption, QWidget* parent)
    : QWidget(parent), m_picture(picture), m_caption(caption) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel(QString::fromUtf8(shelltexts::kPageLabel), this);
    m_spin = new QSpinBox(this);
    m_spin->setObjectName("pageChooser");
    label->setBuddy(m_spin);
    row->addWidget(label);
    row->addWidget(m_spin, 1);
    connect(m_spin, &QSpinBox::valueChanged, this, [this](int shown) { ShowPage(shown - 1); });
    hide();
}

bool PageChooser::SetFile(const QString& path) {
    const int format = FormatFromExtension(ExtensionOf(path.toStdString()));
    NyZazo first;
    const bool paged = (format == kFormatTiff || format == kFormatGif) && ReadPage(path, format, 0, first) &&
                       first.frameCount > 1;
    if (!paged) {
        m_file.clear();
        m_pageCount = 0;
        hide();
        return false;
    }
    m_file = path;
    m_format = format;
    m_pageCount = first.frameCount;
    {
        const QSignalBlocker quiet(m_spin);
        m_spin->setRange(1, m_pageCount);
        m_spin->setValue(1);
    }
    show();
    ShowPage(0);
    return true;
}

int PageChooser::page() const { return m_file.isEmpty() ? 0 : m_spin->value() - 1; }

void PageChooser::ShowPage(int page) {
    NyZazo picture;
    if (m_file.isEmpty() || !ReadPage(m_file, m_format, page, picture)) {
        m_picture->clear();
        m_caption->clear();
        return;
    }
    const PreviewPicture shown = MakePreviewPicture(picture);
    const QImage image(reinterpret_cast<const uchar*>(shown.pixels.data()), shown.width, shown.height,
                       shown.width * 4, QImage::Format_ARGB32);
    m_picture->setPixmap(QPixmap::fromImage(image.copy()));
    m_caption->setText(QString::fromUtf8(shelltexts::kPageCaption)
                           .arg(picture.Width())
                           .arg(picture.Height())
                           .arg(page + 1)
                           .arg(m_pageCount));
}

}  // namespace quillory
