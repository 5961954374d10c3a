#pragma once
// The box a failed save or export shows: the file's full path, then the reason.
#include <QString>
#include <string>

namespace quillory {

void ShowSaveFailure(const QString& path, const std::string& reason);

}  // namespace quillory
