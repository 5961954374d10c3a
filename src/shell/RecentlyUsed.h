#pragma once
// The desktop's list of recently used files (the XBEL file that file managers,
// file choosers and launchers share). Other programs' entries are kept as they are.
#include <QDateTime>
#include <QString>

namespace quillory {

// Where the desktop keeps the list: recently-used.xbel in the user's data folder.
QString RecentlyUsedPath();

struct RecentlyUsedEntry {
    QString file;      // absolute path of the used file
    QString mimeType;  // e.g. "image/jpeg"
    QString appName;   // the program that used it
    QString appExec;   // how to start it with the file ("'quillory %u'")
    QDateTime when;
};

// Adds the file to the list (or refreshes its entry and counts one more use by the program).
// A list that cannot be read as XBEL is left alone; false then, and when writing fails.
bool AddRecentlyUsed(const QString& listPath, const RecentlyUsedEntry& entry);

}  // namespace quillory
