#pragma once
// The desktop's screenshot service (the XDG desktop portal) for Wayland sessions,
// where a program may not read the screen itself: asks for a screenshot and hands
// the picture over when the service answers.
#include <QImage>
#include <QObject>
#include <functional>

namespace quillory {

class ScreenshotPortal : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(const QImage&)>;
    explicit ScreenshotPortal(QObject* parent = nullptr) : QObject(parent) {}

    // True when the session bus offers the screenshot service.
    static bool Available();
    // Starts a request; `done` gets the picture (null when refused or failed). False
    // when the request could not be sent.
    bool Request(Done done);

private Q_SLOTS:
    void Response(uint response, const QVariantMap& results);

private:
    Done m_done;
    QString m_requestPath;
};

}  // namespace quillory
