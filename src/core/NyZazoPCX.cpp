#include "core/NyZazoPCX.h"

#include "core/CoreTexts.h"

namespace quillory {

bool NyZazoPCX::Decode(ImageStream&) { return Fail(texts::kUnsupportedOperation); }
bool NyZazoPCX::Encode(ImageStream&) { return Fail(texts::kUnsupportedOperation); }

}  // namespace quillory
