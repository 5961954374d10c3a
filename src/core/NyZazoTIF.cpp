#include "core/NyZazoTIF.h"

#include "core/CoreTexts.h"

namespace quillory {

bool NyZazoTIF::Decode(ImageStream&) { return Fail(texts::kUnsupportedOperation); }
bool NyZazoTIF::Encode(ImageStream&) { return Fail(texts::kUnsupportedOperation); }

}  // namespace quillory
