#include "shell/CInitDlg.h"

#include <QImage>
#include <QPainter>
#include <QTimer>

#include "core/NyZazo.h"
#include "core/Samples.h"
#include "shell/ShellTexts.h"

namespace quillory {

CInitDlg::CInitDlg(QWidget* parent) : QDialog(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    constexpr int kWidth = 400, kHeight = 260;
    setFixedSize(kWidth, kHeight);
    NyZazo scene(kWidth, kHeight, 24, 1);
    DrawSampleScene(scene, kWidth, kHeight);
    m_picture = QImage(kWidth, kHeight, QImage::Format_RGB32);
    for (int screenY = 0; screenY < kHeight; ++screenY) {
        auto* row = reinterpret_cast<QRgb*>(m_picture.scanLine(screenY));
        const uint8_t* src = scene.bits ? scene.Row(kHeight - 1 - screenY) : nullptr;
        for (int x = 0; x < kWidth; ++x) row[x] = src ? qRgb(src[3 * x + 2], src[3 * x + 1], src[3 * x]) : qRgb(80, 80, 80);
    }
    QTimer::singleShot(kStartupPictureMs, this, &QDialog::accept);
}

void CInitDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, m_picture);
    QFont font = painter.font();
    font.setPixelSize(32);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(rect().adjusted(0, 0, 0, -20), Qt::AlignHCenter | Qt::AlignBottom, QString::fromUtf8(shelltexts::kAppTitle));
}

}  // namespace quillory
