#pragma once
// Channel views of a layer: the YUV and HSL conversions on a 0..255 scale and
// the split of a layer into three grey pictures of the document's size.
#include <cstdint>

#include "core/DibTypes.h"
#include "core/NyZazo.h"
#include "processing/Planes.h"

namespace quillory {

enum class ChannelModel { Rgb = 0, Yuv = 1, Hsl = 2 };

// Hue, saturation and lightness on 0..255; the hue circle is 255 wide, grey has hue 170.
void RgbToHsl(int red, int green, int blue, uint8_t out[3]);
// The three channel values of a colour in a model (red, green, blue for RGB; Y, U, V
// as the colour adjustments convert them).
void ChannelValues(ChannelModel model, RGBQUAD colour, uint8_t out[3]);

// Where a layer lies on the document (the layer record's x and y) and what shows outside it.
struct LayerPlacement {
    int x = 0;
    int y = 0;
    int documentWidth = 0;
    int documentHeight = 0;
    RGBQUAD outside{255, 255, 255, 0};
};

// Three 8-bit grey pictures of the document's size holding the channels of every
// document pixel (positions outside the layer read as the outside colour). False,
// with the targets untouched, for a bad size or no memory.
[[nodiscard]] bool SplitChannels(const Planes& layer, const PaletteRef& palette, const LayerPlacement& placement,
                                 ChannelModel model, NyZazo* out[3]);

}  // namespace quillory
