#pragma once
// Effects that show the picture through something clear: "빗방울" (water drops on a
// pane), "렌즈효과" (a magnifying lens over the middle) and "욕실효과" (the fluted,
// frosted glass of a bathroom window). Each pixel takes the colour of the picture at
// a displaced position; pixels whose alpha byte is 0 are left alone, and only selected
// pixels change.
#include "processing/FilterPlanes.h"

namespace quillory {

// Drops of radius up to 3 + size / 3 pixels at random places, about `frequency` per
// cent of the count that covers a third of the picture. Each drop magnifies the
// picture beneath it (twice at its centre, unchanged at its rim), darkens its rim on
// the lower right and carries a small highlight on the upper left. Size 0 draws none.
bool Raindrops(const LayerPlanesView& source, const LayerPlanes& destination, int size, int frequency,
               const SelectionMap& selection, FilterProgress& progress);

enum class GlassMode { Lens, Bathroom };

// Lens: a spherical bulge over the largest centred circle, magnifying its middle
// about 1.6 times and meeting the picture smoothly at its edge.
// Bathroom: vertical flutes (a sideways wave across the columns), a weaker wave
// down the rows, and a random scatter of up to two pixels that frosts the view.
bool GlassDistortion(const LayerPlanesView& source, const LayerPlanes& destination, GlassMode mode,
                     const SelectionMap& selection, FilterProgress& progress);

}  // namespace quillory
