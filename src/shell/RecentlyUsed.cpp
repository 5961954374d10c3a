#include "shell/RecentlyUsed.h"

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>

namespace quillory {

namespace {

constexpr const char* kBookmarkNs = "http://www.freedesktop.org/standards/desktop-bookmarks";
constexpr const char* kMimeNs = "http://www.freedesktop.org/standards/shared-mime-info";
// A list larger than this is not a list of recent files; it is left alone.
constexpr qint64 kMaxListBytes = 32 * 1024 * 1024;

QString Stamp(const QDateTime& when) { return when.toUTC().toString(Qt::ISODateWithMs); }

QDomElement ChildNamed(const QDomElement& parent, const QString& name) {
    for (QDomElement e = parent.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        if (e.tagName() == name) return e;
    return {};
}

QDomElement EnsureChild(QDomDocument& doc, QDomElement parent, const QString& name) {
    QDomElement child = ChildNamed(parent, name);
    if (child.isNull()) child = parent.appendChild(doc.createElement(name)).toElement();
    return child;
}

QDomDocument EmptyList() {
    QDomDocument doc;
    doc.appendChild(doc.createProcessingInstruction("xml", R"(version="1.0" encoding="UTF-8")"));
    QDomElement root = doc.createElement("xbel");
    root.setAttribute("version", "1.0");
    root.setAttribute("xmlns:bookmark", QString::fromLatin1(kBookmarkNs));
    root.setAttribute("xmlns:mime", QString::fromLatin1(kMimeNs));
    doc.appendChild(root);
    return doc;
}

// The "metadata" element the freedesktop owner writes, where the MIME type and the programs are.
QDomElement Metadata(QDomDocument& doc, QDomElement bookmark) {
    QDomElement info = EnsureChild(doc, bookmark, "info");
    for (QDomElement m = info.firstChildElement("metadata"); !m.isNull(); m = m.nextSiblingElement("metadata"))
        if (m.attribute("owner") == "http://freedesktop.org") return m;
    QDomElement metadata = info.appendChild(doc.createElement("metadata")).toElement();
    metadata.setAttribute("owner", "http://freedesktop.org");
    return metadata;
}

}  // namespace

QString RecentlyUsedPath() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)).filePath("recently-used.xbel");
}

bool AddRecentlyUsed(const QString& listPath, const RecentlyUsedEntry& entry) {
    QDomDocument doc;
    QFile file(listPath);
    if (file.exists()) {
        if (file.size() > kMaxListBytes || !file.open(QIODevice::ReadOnly)) return false;
        // Prefixes stay as written ("bookmark:applications"): other programs look for them so.
        if (!doc.setContent(&file, false) || doc.documentElement().tagName() != "xbel") return false;
        file.close();
    } else {
        doc = EmptyList();
    }
    QDomElement root = doc.documentElement();
    const QString href = QString::fromLatin1(QUrl::fromLocalFile(entry.file).toEncoded());
    const QString now = Stamp(entry.when);

    QDomElement bookmark;
    for (QDomElement b = root.firstChildElement("bookmark"); !b.isNull(); b = b.nextSiblingElement("bookmark"))
        if (b.attribute("href") == href) bookmark = b;
    if (bookmark.isNull()) {
        bookmark = root.appendChild(doc.createElement("bookmark")).toElement();
        bookmark.setAttribute("href", href);
        bookmark.setAttribute("added", now);
    }
    bookmark.setAttribute("modified", now);
    bookmark.setAttribute("visited", now);

    QDomElement metadata = Metadata(doc, bookmark);
    QDomElement mime = EnsureChild(doc, metadata, "mime:mime-type");
    mime.setAttribute("type", entry.mimeType);
    QDomElement apps = EnsureChild(doc, metadata, "bookmark:applications");
    QDomElement app;
    for (QDomElement a = apps.firstChildElement("bookmark:application"); !a.isNull();
         a = a.nextSiblingElement("bookmark:application"))
        if (a.attribute("name") == entry.appName) app = a;
    if (app.isNull()) {
        app = apps.appendChild(doc.createElement("bookmark:application")).toElement();
        app.setAttribute("name", entry.appName);
        app.setAttribute("count", 0);
    }
    app.setAttribute("exec", entry.appExec);
    app.setAttribute("modified", now);
    app.setAttribute("count", app.attribute("count").toInt() + 1);

    QDir().mkpath(QFileInfo(listPath).absolutePath());
    // Written beside the list and renamed over it, so a failed write leaves the old list.
    QSaveFile out(listPath);
    if (!out.open(QIODevice::WriteOnly)) return false;
    out.write(doc.toByteArray(2));
    return out.commit();
}

}  // namespace quillory
