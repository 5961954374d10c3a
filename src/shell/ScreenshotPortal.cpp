#include "shell/ScreenshotPortal.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QRandomGenerator>
#include <QUrl>

namespace quillory {

namespace {

constexpr const char* kService = "org.freedesktop.portal.Desktop";
constexpr const char* kPath = "/org/freedesktop/portal/desktop";
constexpr const char* kScreenshot = "org.freedesktop.portal.Screenshot";
constexpr const char* kRequest = "org.freedesktop.portal.Request";

}  // namespace

bool ScreenshotPortal::Available() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.isConnected() && bus.interface() && bus.interface()->isServiceRegistered(kService).value();
}

bool ScreenshotPortal::Request(Done done) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return false;
    // The answer comes on a request object whose path follows from our bus name and a token;
    // listening before asking means no answer is missed.
    const QString token = QString("quillory%1").arg(QRandomGenerator::global()->generate());
    QString sender = bus.baseService().mid(1);
    sender.replace('.', '_');
    m_requestPath = QString("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
    bus.connect(kService, m_requestPath, kRequest, "Response", this, SLOT(Response(uint, QVariantMap)));
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kScreenshot, "Screenshot");
    QVariantMap options;
    options.insert("handle_token", token);
    options.insert("interactive", false);
    call << QString() << options;
    const QDBusReply<QDBusObjectPath> reply = bus.call(call);
    if (!reply.isValid()) {
        bus.disconnect(kService, m_requestPath, kRequest, "Response", this, SLOT(Response(uint, QVariantMap)));
        return false;
    }
    m_done = std::move(done);
    return true;
}

void ScreenshotPortal::Response(uint response, const QVariantMap& results) {
    QDBusConnection::sessionBus().disconnect(kService, m_requestPath, kRequest, "Response", this,
                                             SLOT(Response(uint, QVariantMap)));
    QImage image;
    if (response == 0) {
        const QUrl uri(results.value("uri").toString());
        if (uri.isLocalFile()) image.load(uri.toLocalFile());
    }
    if (Done done = std::move(m_done)) done(image);
}

}  // namespace quillory
