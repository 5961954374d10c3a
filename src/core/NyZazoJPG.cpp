#include "core/NyZazoJPG.h"

#include "core/CoreTexts.h"

namespace quillory {

bool NyZazoJPG::Decode(ImageStream&) { return Fail(texts::kUnsupportedOperation); }
bool NyZazoJPG::Encode(ImageStream&) { return Fail(texts::kUnsupportedOperation); }

}  // namespace quillory
