#include "core/NyZazoGIF.h"

#include "core/CoreTexts.h"

namespace quillory {

bool NyZazoGIF::Decode(ImageStream&) { return Fail(texts::kUnsupportedOperation); }
bool NyZazoGIF::Encode(ImageStream&) { return Fail(texts::kUnsupportedOperation); }

}  // namespace quillory
