// Linked into every fuzz target once: libFuzzer calls LLVMFuzzerInitialize before
// the first input, so every target runs with the small caps.
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    quillory::fuzz::LimitPictureSize();
    return 0;
}
