#pragma once
// The document's selection state as the layer stack needs it: the mask (one
// byte a pixel, 1 = selected) with its geometry and the active and suspended flags.
// The selection tools own its editing.
#include <cstdint>
#include <vector>

namespace quillory {

struct SelectionMask {
    std::vector<uint8_t> mask;
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    uint8_t selectionActive = 0;
    uint8_t suspended = 0;  // hidden while the view has lost the keyboard focus
    uint8_t filled = 1;     // 0 while a drawn outline (value 2) waits to have its interior filled

    bool ActiveOrSuspended() const { return selectionActive != 0 || suspended != 0; }
};

}  // namespace quillory
