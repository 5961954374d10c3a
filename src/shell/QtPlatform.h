#pragma once
// The engine's platform on Qt: message boxes, the clipboard of packed DIBs, the
// wait cursor, timers, the font list and text rasterising.
#include <QImage>
#include <QObject>
#include <QProgressBar>
#include <QPointer>
#include <map>

#include "core/Platform.h"

class QTimer;

namespace quillory {

class QtPlatform : public QObject, public Platform {
    Q_OBJECT
public:
    explicit QtPlatform(QObject* parent = nullptr);
    ~QtPlatform() override;

    MessageAnswer ShowMessage(const std::string& text, MessageKind kind, MessageButtons buttons) override;
    bool SetClipboardDib(const std::vector<uint8_t>& packedDib) override;
    std::optional<std::vector<uint8_t>> ClipboardDib() override;
    void SetProgress(int percent) override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    int StartTimer(int milliseconds, std::function<void()> callback) override;
    void StopTimer(int timerId) override;
    std::vector<std::string> FontFamilies() override;
    TextRaster RasteriseText(const std::string& utf8Text, const TextStyle& style) override;
    // xdg-open; a failure it reports afterwards is shown in a box with what it said.
    // With scripted answers the file is only recorded, unless a test named another opener.
    bool OpenWithDefaultApplication(const std::string& path) override;
    void SetOpener(const QString& program) { m_opener = program; }

    void SetProgressBar(QProgressBar* bar) { m_progress = bar; }

    // Tests answer message boxes without showing them: each question takes the next
    // answer (Cancel, Yes, No, Ok); the texts are recorded.
    void SetScriptedAnswers(std::vector<MessageAnswer> answers) {
        m_scripted = true;
        m_answers = std::move(answers);
    }
    const std::vector<std::string>& shownMessages() const { return m_messages; }
    const std::vector<std::string>& openedFiles() const { return m_opened; }

private:
    QPointer<QProgressBar> m_progress;
    std::map<int, QTimer*> m_timers;
    int m_nextTimer = 1;
    int m_waitDepth = 0;
    bool m_scripted = false;
    std::vector<MessageAnswer> m_answers;
    std::vector<std::string> m_messages;
    std::vector<std::string> m_opened;
    QString m_opener;
};

// Packed DIB (info header, palette, bottom-up rows) to a Qt image and back.

// A packed bitmap as a picture with its opacity, and back (32 bits a pixel).
QImage PackedDibToImage(const std::vector<uint8_t>& packedDib);
std::vector<uint8_t> ImageToPackedDib(const QImage& image);
// The clipboard form Quillory reads back unchanged: the packed bitmap itself.
inline constexpr const char* kPackedDibMime = "application/x-quillory-dib";
// True while the clipboard holds a picture ours or another program's.
bool ClipboardHasPicture();

}  // namespace quillory
