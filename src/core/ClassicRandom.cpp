#include "core/ClassicRandom.h"

namespace quillory {

ClassicRandom& EngineRandom() {
    static ClassicRandom generator;
    return generator;
}

}  // namespace quillory
