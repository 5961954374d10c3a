#include "shell/QtPlatform.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QProcess>
#include <QTemporaryFile>
#include <QTimer>
#include <cstring>
#include <memory>
#include <new>

#include "core/NyZazo.h"
#include "shell/ClipboardPng.h"
#include "document/ClipboardCommands.h"
#include "shell/ShellTexts.h"

namespace quillory {

QtPlatform::QtPlatform(QObject* parent) : QObject(parent) {}

QtPlatform::~QtPlatform() {
    for (auto& [id, timer] : m_timers) delete timer;
    // An opener still running (the program it started is still open) outlives the editor.
    for (QProcess* opener : findChildren<QProcess*>(Qt::FindDirectChildrenOnly))
        if (opener->state() != QProcess::NotRunning) {
            opener->disconnect();
            opener->setParent(nullptr);
        }
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
    LayerPicture picture;
    if (!UnpackPicture(packedDib.data(), packedDib.size(), picture)) return {};
    const int width = picture.width, height = picture.height;
    QImage image(width, height, QImage::Format_ARGB32);
    if (image.isNull()) return {};
    for (int screenY = 0; screenY < height; ++screenY) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(screenY));
        const uint32_t* src = picture.Row(height - 1 - screenY);
        // Blue, green, red and opacity in the bitmap's byte order are QRgb's value.
        std::memcpy(row, src, size_t(width) * 4);
    }
    return image;
}

std::vector<uint8_t> ImageToPackedDib(const QImage& source) {
    if (source.isNull()) return {};
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    LayerPicture picture;
    picture.width = image.width();
    picture.height = image.height();
    try {
        picture.pixels.resize(size_t(picture.width) * size_t(picture.height));
    } catch (const std::bad_alloc&) {
        return {};
    }
    for (int screenY = 0; screenY < image.height(); ++screenY)
        std::memcpy(picture.Row(image.height() - 1 - screenY), image.constScanLine(screenY), size_t(picture.width) * 4);
    return PackPicture(picture);
}

bool ClipboardHasPicture() {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    return data && (data->hasFormat(kPackedDibMime) || data->hasImage());
}

bool QtPlatform::SetClipboardDib(const std::vector<uint8_t>& packedDib) {
    QImage image = PackedDibToImage(packedDib);
    if (image.isNull()) return false;
    // Our own packed bitmap for Quillory, and the picture in the forms other programs
    // read (Qt offers image/png, image/bmp and the rest from the image).
    auto* data = new QMimeData;
    data->setData(kPackedDibMime, QByteArray(reinterpret_cast<const char*>(packedDib.data()), qsizetype(packedDib.size())));
    data->setImageData(image);
    QApplication::clipboard()->setMimeData(data);
    return true;
}

std::optional<std::vector<uint8_t>> QtPlatform::ClipboardDib() {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (!data) return std::nullopt;
    if (data->hasFormat(kPackedDibMime)) {
        const QByteArray bytes = data->data(kPackedDibMime);
        std::vector<uint8_t> dib(bytes.begin(), bytes.end());
        LayerPicture check;
        if (UnpackPicture(dib.data(), dib.size(), check)) return dib;
    }
    // PNG bytes are read as a PNG file would be, opacity and all.
    QImage image = data->hasFormat("image/png") ? PngBytesToImage(data->data("image/png")) : QImage();
    if (image.isNull() && data->hasImage()) image = qvariant_cast<QImage>(data->imageData());
    // Some programs offer only encoded pictures.
    for (const char* format : {"image/png", "image/bmp", "image/jpeg"}) {
        if (!image.isNull()) break;
        if (data->hasFormat(format)) image.loadFromData(data->data(format));
    }
    if (image.isNull()) return std::nullopt;
    std::vector<uint8_t> dib = ImageToPackedDib(image);
    if (dib.empty()) return std::nullopt;
    return dib;
}

void QtPlatform::SetProgress(int percent) {
    percent = std::clamp(percent, 0, 100);
    // Painted at once: the work that reports it holds the thread. A bar that did not move is not painted again.
    if (m_progress && m_progress->value() != percent) {
        m_progress->setValue(percent);
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

bool QtPlatform::OpenWithDefaultApplication(const std::string& path) {
    if (m_scripted) m_opened.push_back(path);
    if (m_scripted && m_opener.isEmpty()) return true;
    // What the opener says goes to a file, not to a pipe that the program it starts would inherit.
    auto errors = std::make_shared<QTemporaryFile>();
    if (!errors->open()) return false;
    errors->close();
    auto* opener = new QProcess(this);
    opener->setProgram(m_opener.isEmpty() ? QStringLiteral("xdg-open") : m_opener);
    opener->setArguments({QString::fromStdString(path)});
    opener->setStandardInputFile(QProcess::nullDevice());
    opener->setStandardOutputFile(QProcess::nullDevice());
    opener->setStandardErrorFile(errors->fileName());
    const QString file = QString::fromStdString(path);
    // The opener ends at once or when the program it started ends; a failure is shown then.
    connect(opener, &QProcess::finished, this, [this, opener, errors, file](int code, QProcess::ExitStatus status) {
        opener->deleteLater();
        if (status == QProcess::NormalExit && code == 0) return;
        QFile said(errors->fileName());
        const QString detail = said.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(said.readAll()).trimmed() : QString();
        QString text = QString::fromUtf8(shelltexts::kOpenWithFailedFormat).arg(file);
        if (!detail.isEmpty()) text += '\n' + detail;
        ShowMessage(text.toStdString(), MessageKind::Warning, MessageButtons::Ok);
    });
    opener->start();
    if (!opener->waitForStarted()) {
        delete opener;
        return false;
    }
    return true;
}

TextRaster QtPlatform::RasteriseText(const std::string& utf8Text, const TextStyle& style) {
    TextRaster raster;
    QFont font(QString::fromStdString(style.face));
    font.setPixelSize(std::max(1, style.pixelHeight));
    font.setBold(style.bold);
    font.setItalic(style.italic);
    font.setUnderline(style.underline);
    font.setStrikeOut(style.strikeOut);
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
