#pragma once
// The animated outline of the selection ("marching ants") drawn into the
// rendered part of the view, at the displayed scale.
#include <cstdint>

#include "core/NyZazo.h"
#include "document/SelectionMask.h"

namespace quillory {

inline constexpr uint32_t kAntsDark = 0xFF000000u;
inline constexpr uint32_t kAntsLight = 0xFFFFFFFFu;
inline constexpr int kAntsDash = 4;  // pixels per dash

// True when picture pixel (x, y), rows top-down, is selected. The mask is placed
// like a layer: its column i on picture column i + x, its row r (from the bottom)
// on picture row r - y (from the bottom).
bool IsSelected(const SelectionMask& selection, int pictureHeight, int x, int y);

// Marks the target pixels on the selected side of every border between selected
// and unselected picture pixels; dashes alternate with the phase. Target pixel
// (0, 0) shows the displayed picture's pixel (originX, originY).
void DrawSelectionOutline(TargetBuffer& target, int originX, int originY, float scaleX, float scaleY,
                          const SelectionMask& selection, int pictureWidth, int pictureHeight, uint8_t phase);

}  // namespace quillory
