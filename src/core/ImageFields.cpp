#include "core/ImageFields.h"

namespace quillory {

namespace {
constexpr ImageFieldCommand kCommands[] = {
    {cmd::kRemoveTransparency, "Remove Transparency", "Removetransparency"},
    {cmd::kRemoveAlphaChannel, "Remove Alpha Channel", "Removealphachannel"},
    {cmd::kInvertAlphaChannel, "Invert Alpha Channel", "Invetalpha"},
    {cmd::kToggleAlphaPalette, "Toggle Alpha Palette ", "Alphapalettetoggle"},
    {cmd::kStripAlpha, "Strip Alpha", "Alphastrip"},
};
}  // namespace

const ImageFieldCommand* FindImageFieldCommand(int command) {
    for (const auto& c : kCommands)
        if (c.command == command) return &c;
    return nullptr;
}

bool ApplyImageFieldCommand(int command, NyZazo& picture) {
    switch (command) {
        case cmd::kRemoveTransparency: picture.transparentIndex = -1; return true;
        case cmd::kRemoveAlphaChannel: picture.alphaMax = 255; return true;
        case cmd::kInvertAlphaChannel: return true;  // the image keeps no alpha plane to invert
        case cmd::kToggleAlphaPalette: picture.alphaPaletteEnabled = picture.alphaPaletteEnabled ? 0 : 1; return true;
        case cmd::kStripAlpha: picture.backColour = RGBQUAD{255, 255, 255, 0}; return true;
        default: return false;
    }
}

}  // namespace quillory
