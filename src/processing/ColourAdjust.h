#pragma once
// Pointwise colour adjustments of one layer: brightness and contrast, the
// additive red/green/blue shift, inversion and desaturation. Palette pictures
// change their palette entries (desaturation and grey-palette inversion change
// the indices); direct-colour pictures change pixels through 256-entry tables.
#include <cstdint>

#include "processing/ColourPlanes.h"

namespace quillory {

inline constexpr int kBrightnessContrastLimit = 255;  // both values in -255..+255
inline constexpr int kChannelShiftLimit = 99;         // each shift in -99..+99

// What each channel value becomes.
struct ChannelTables {
    uint8_t blue[256];
    uint8_t green[256];
    uint8_t red[256];
    // The straight line the tables were made from, when they were (out ≈ slope × v + offset).
    bool hasLine = false;
    double slope = 0;
    double offset = 0;
};

// out = (v − 128) × (255 + contrast) / 255 + 128 + brightness, truncated toward zero, clamped to 0..255.
ChannelTables BrightnessContrastTables(int brightness, int contrast);
ChannelTables ChannelShiftTables(int dRed, int dGreen, int dBlue);

// Direct colour: every pixel whose opacity is not 0 (and, with honourSelection, whose
// selection byte is not 0) goes through the tables; a fourth byte stays.
// Palette depths: every palette entry goes through them, whatever the opacity or selection.
void ApplyChannelTables(ColourPlanes& planes, const ChannelTables& tables, bool honourSelection);

// False, with nothing changed, for values out of range or planes that cannot be used.
[[nodiscard]] bool BrightnessAndContrast(ColourPlanes& planes, int brightness, int contrast);
[[nodiscard]] bool ShiftChannels(ColourPlanes& planes, int dRed, int dGreen, int dBlue);

// Direct colour: every byte of the colour plane becomes 255 − b (opacity and selection
// are not consulted). A grey palette (entry i the i-th of evenly spaced greys, a full
// palette for the depth): every index is complemented. Other palettes: every entry's
// blue, green and red are complemented and the indices stay.
[[nodiscard]] bool InvertColours(ColourPlanes& planes);
// A grey palette as inversion recognises it.
bool IsGreyPalette(const RGBQUAD* palette, uint32_t count, int bitsPerPixel);

// Every pixel whose opacity is not 0 and whose selection byte is not 0 becomes the grey
// (R + G + B) / 3; a palette pixel takes the entry nearest to that grey.
[[nodiscard]] bool DesaturatePixels(ColourPlanes& planes);
// The grey of a colour kept in a layer's text colour (blue in the low byte).
int32_t DesaturatedTextColour(int32_t textColour);

}  // namespace quillory
