#pragma once
// The text tables hold UTF-8 literals; widgets take QString.
#include <QString>

namespace quillory {

inline QString Text(const char* utf8) { return QString::fromUtf8(utf8); }

}  // namespace quillory
