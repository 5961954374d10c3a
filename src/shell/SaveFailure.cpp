#include "shell/SaveFailure.h"

#include <QDir>
#include <QFileInfo>

#include "core/Platform.h"
#include "shell/ShellTexts.h"
#include "shell/Utf8Text.h"

namespace quillory {

void ShowSaveFailure(const QString& path, const std::string& reason) {
    const QString file = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    const QString text = Text(shelltexts::kSaveFailedFormat).arg(file) + '\n' +
                         (reason.empty() ? Text(shelltexts::kSaveFailedReason) : QString::fromStdString(reason));
    CurrentPlatform().ShowMessage(text.toStdString(), MessageKind::Warning);
}

}  // namespace quillory
