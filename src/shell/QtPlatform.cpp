#include "shell/QtPlatform.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QTimer>

#include "core/NyZazo.h"
#include "shell/ShellTexts.h"

namespace quillory {

QtPlatform::QtPlatform(QObject* parent) : QObject(parent) {}

QtPlatform::~QtPlatform() {
    for (auto& [id, timer] : m_timers) delete timer;
}

MessageAnswer QtPlatform::ShowMessage(const std::string& text, MessageKind kind, MessageButtons buttons) {
    m_messages.push_back(text);
    auto fallback = [&] {
        switch (buttons) {
            case MessageButtons::Ok: return MessageAnswer::Ok;
            case MessageButtons::OkCancel: return MessageAnswer::Ok;
            case MessageButtons::YesNo:
            case MessageButtons::YesNoCancel: return MessageAnswer::Yes;
        }
        return MessageAnswer::Ok;
    };
    if (m_scripted) {
        if (m_answers.empty()) return fallback();
        MessageAnswer a = m_answers.front();
        m_answers.erase(m_answers.begin());
        return a;
    }
    QMessageBox::StandardButtons qtButtons = QMessageBox::Ok;
    switch (buttons) {
        case MessageButtons::Ok: qtButtons = QMessageBox::Ok; break;
        case MessageButtons::OkCancel: qtButtons = QMessageBox::Ok | QMessageBox::Cancel; break;
        case MessageButtons::YesNo: qtButtons = QMessageBox::Yes | QMessageBox::No; break;
        case MessageButtons::YesNoCancel: qtButtons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel; break;
    }
    QMessageBox::Icon icon = QMessageBox::Information;
    if (kind == MessageKind::Warning) icon = QMessageBox::Warning;
    if (kind == MessageKind::Error) icon = QMessageBox::Critical;
    if (kind == MessageKind::Question) icon = QMessageBox::Question;
    QMessageBox box(icon, QString::fromUtf8(shelltexts::kAppTitle), QString::fromStdString(text), qtButtons,
                    QApplication::activeWindow());
    switch (box.exec()) {
        case QMessageBox::Cancel: return MessageAnswer::Cancel;
        case QMessageBox::Yes: return MessageAnswer::Yes;
        case QMessageBox::No: return MessageAnswer::No;
        default: return MessageAnswer::Ok;
    }
}

QImage PackedDibToImage(const std::vector<uint8_t>& packedDib) {
    NyZazo picture;
    if (!picture.CreateFromPackedDib(packedDib.data(), packedDib.size(), false, nullptr) || !picture.bits)
        return {};
    const int width = picture.Width(), height = picture.Height();
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull()) return {};
    for (int screenY = 0; screenY < height; ++screenY) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(screenY));
        const int storedY = height - 1 - screenY;
        if (picture.BitCount() == 24 || picture.BitCount() == 32) {
            const uint8_t* src = picture.Row(storedY);
            const int step = picture.BitCount() / 8;
            for (int x = 0; x < width; ++x, src += step) row[x] = qRgb(src[2], src[1], src[0]);
        } else {
            for (int x = 0; x < width; ++x) {
                RGBQUAD c = picture.GetPixelColour(x, storedY);
                row[x] = qRgb(c.red, c.green, c.blue);
            }
        }
    }
    return image;
}

std::vector<uint8_t> ImageToPackedDib(const QImage& source) {
    if (source.isNull()) return {};
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    NyZazo picture(image.width(), image.height(), 24, 1);
    if (!picture.bits) return {};
    for (int screenY = 0; screenY < image.height(); ++screenY) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(screenY));
        uint8_t* dst = picture.Row(image.height() - 1 - screenY);
        for (int x = 0; x < image.width(); ++x, dst += 3) {
            dst[0] = uint8_t(qBlue(row[x]));
            dst[1] = uint8_t(qGreen(row[x]));
            dst[2] = uint8_t(qRed(row[x]));
        }
    }
    return picture.ToPackedDib();
}

bool QtPlatform::SetClipboardDib(const std::vector<uint8_t>& packedDib) {
    QImage image = PackedDibToImage(packedDib);
    if (image.isNull()) return false;
    QApplication::clipboard()->setImage(image);
    return true;
}

std::optional<std::vector<uint8_t>> QtPlatform::ClipboardDib() {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (!data || !data->hasImage()) return std::nullopt;
    QImage image = QApplication::clipboard()->image();
    if (image.isNull()) return std::nullopt;
    std::vector<uint8_t> dib = ImageToPackedDib(image);
    if (dib.empty()) return std::nullopt;
    return dib;
}

void QtPlatform::SetProgress(int percent) {
    if (m_progress) {
        m_progress->setValue(std::clamp(percent, 0, 100));
        m_progress->repaint();
    }
}

void QtPlatform::BeginWaitCursor() {
    if (m_waitDepth++ == 0) QApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtPlatform::EndWaitCursor() {
    if (m_waitDepth > 0 && --m_waitDepth == 0) QApplication::restoreOverrideCursor();
}

int QtPlatform::StartTimer(int milliseconds, std::function<void()> callback) {
    const int id = m_nextTimer++;
    auto* timer = new QTimer(this);
    timer->setInterval(milliseconds);
    connect(timer, &QTimer::timeout, this, [callback = std::move(callback)] { callback(); });
    m_timers[id] = timer;
    timer->start();
    return id;
}

void QtPlatform::StopTimer(int timerId) {
    auto it = m_timers.find(timerId);
    if (it == m_timers.end()) return;
    it->second->stop();
    it->second->deleteLater();
    m_timers.erase(it);
}

std::vector<std::string> QtPlatform::FontFamilies() {
    std::vector<std::string> names;
    for (const QString& family : QFontDatabase::families()) names.push_back(family.toStdString());
    return names;
}

TextRaster QtPlatform::RasteriseText(const std::string& utf8Text, const TextStyle& style) {
    TextRaster raster;
    QFont font(QString::fromStdString(style.face));
    font.setPixelSize(std::max(1, style.pixelHeight));
    font.setBold(style.bold);
    font.setItalic(style.italic);
    font.setUnderline(style.underline);
    const QString text = QString::fromStdString(utf8Text);
    const QFontMetrics metrics(font);
    const QRect bounds = metrics.boundingRect(QRect(0, 0, 100000, 100000), Qt::AlignLeft | Qt::AlignTop, text);
    if (bounds.isEmpty()) return raster;
    QImage image(bounds.size(), QImage::Format_Grayscale8);
    image.fill(0);
    {
        QPainter painter(&image);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(QRect(QPoint(0, 0), bounds.size()), Qt::AlignLeft | Qt::AlignTop, text);
    }
    raster.width = image.width();
    raster.height = image.height();
    raster.coverage.resize(size_t(raster.width) * raster.height);
    for (int y = 0; y < raster.height; ++y)
        std::copy_n(image.constScanLine(y), raster.width, raster.coverage.data() + size_t(y) * raster.width);
    return raster;
}

}  // namespace quillory
