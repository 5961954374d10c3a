#include "shell/CDlg_CHANNEL.h"

#include <QButtonGroup>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QRadioButton>
#include <QVBoxLayout>

#include "document/CVandDoc.h"
#include "document/ChannelCommands.h"
#include "document/TransformTexts.h"
#include "shell/PanelTexts.h"

namespace quillory {

namespace {

constexpr int kThumbSide = 180;

QImage ToImage(const NyZazo& picture) {
    const int w = picture.Width(), h = picture.Height();
    QImage image(w, h, QImage::Format_RGB32);
    for (int screenY = 0; screenY < h; ++screenY) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(screenY));
        for (int x = 0; x < w; ++x) {
            const RGBQUAD c = picture.GetPixelColour(x, h - 1 - screenY);
            row[x] = qRgb(c.red, c.green, c.blue);
        }
    }
    return image;
}

QPixmap Thumb(const QImage& image) {
    return QPixmap::fromImage(image.scaled(kThumbSide, kThumbSide, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

}  // namespace

CDlg_CHANNEL::CDlg_CHANNEL(const CVandDoc& document, QWidget* parent) : QDialog(parent), m_document(document) {
    setWindowTitle(QString::fromUtf8(texts::kChannelViewerTitle));
    auto* grid = new QGridLayout(this);
    // The picture itself at the top left, the mode choice beside it.
    auto* picture = new QLabel(this);
    std::vector<uint32_t> flat;
    if (document.FlattenForSaving(flat) && !flat.empty()) {
        QImage image(reinterpret_cast<const uchar*>(flat.data()), document.Header().width, document.Header().height,
                     QImage::Format_RGB32);
        picture->setPixmap(Thumb(image.copy()));
    }
    grid->addWidget(picture, 0, 0);
    auto* modes = new QVBoxLayout;
    m_heading = new QLabel(this);
    QFont bold = m_heading->font();
    bold.setBold(true);
    m_heading->setFont(bold);
    modes->addWidget(m_heading);
    auto* group = new QButtonGroup(this);
    const char* names[3] = {shelltexts::kChannelModeRgb, shelltexts::kChannelModeYuv, shelltexts::kChannelModeHsl};
    for (int i = 0; i < 3; ++i) {
        m_modes[i] = new QRadioButton(QString::fromUtf8(names[i]), this);
        group->addButton(m_modes[i], i);
        modes->addWidget(m_modes[i]);
    }
    modes->addStretch();
    grid->addLayout(modes, 0, 1);
    for (int row = 0; row < 3; ++row) {
        m_frames[row] = new QFrame(this);
        m_frames[row]->installEventFilter(this);
        auto* inside = new QHBoxLayout(m_frames[row]);
        m_labels[row] = new QLabel(m_frames[row]);
        m_labels[row]->setMinimumWidth(70);
        m_pictures[row] = new QLabel(m_frames[row]);
        inside->addWidget(m_labels[row]);
        inside->addWidget(m_pictures[row]);
        grid->addWidget(m_frames[row], row + 1, 0, 1, 2);
    }
    m_modes[0]->setChecked(true);
    connect(group, &QButtonGroup::idClicked, this, [this](int id) { SetMode(ChannelModel(id)); });
    Refresh();
}

void CDlg_CHANNEL::SetMode(ChannelModel model) {
    m_mode = model;
    m_modes[int(model)]->setChecked(true);
    Refresh();
}

void CDlg_CHANNEL::SelectRow(int row) {
    m_selected = std::clamp(row, 0, 2);
    for (int i = 0; i < 3; ++i)
        m_frames[i]->setStyleSheet(QString("QFrame#%1 { border: 2px solid %2; }")
                                       .arg(m_frames[i]->objectName())
                                       .arg(i == m_selected ? "black" : "gray"));
}

bool CDlg_CHANNEL::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress)
        for (int i = 0; i < 3; ++i)
            if (watched == m_frames[i]) SelectRow(i);
    return QDialog::eventFilter(watched, event);
}

void CDlg_CHANNEL::Refresh() {
    m_heading->setText(QString::fromUtf8(ChannelHeading(m_mode)));
    const char* const* labels = ChannelLabels(m_mode);
    NyZazo tints[3];
    NyZazo* out[3] = {&tints[0], &tints[1], &tints[2]};
    const bool made = ChannelTints(m_document, m_mode, out);
    for (int i = 0; i < 3; ++i) {
        m_frames[i]->setObjectName(QString("channelRow%1").arg(i));
        m_labels[i]->setText(QString::fromUtf8(labels[i]));
        if (made) m_pictures[i]->setPixmap(Thumb(ToImage(tints[i])));
    }
    SelectRow(m_selected);
}

}  // namespace quillory
