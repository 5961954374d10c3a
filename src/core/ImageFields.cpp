#include "core/ImageFields.h"

namespace quillory {

namespace {
constexpr ImageFieldCommand kCommands[] = {
    {kCmdRemoveTransparency, "Remove Transparency", "Removetransparency"},
    {kCmdRemoveAlphaChannel, "Remove Alpha Channel", "Removealphachannel"},
    {kCmdInvertAlphaChannel, "Invert Alpha Channel", "Invetalpha"},
    {kCmdToggleAlphaPalette, "Toggle Alpha Palette ", "Alphapalettetoggle"},
    {kCmdStripAlpha, "Strip Alpha", "Alphastrip"},
};
}  // namespace

const ImageFieldCommand* FindImageFieldCommand(int command) {
    for (const auto& c : kCommands)
        if (c.command == command) return &c;
    return nullptr;
}

bool ApplyImageFieldCommand(int command, NyZazo& picture) {
    switch (command) {
        case kCmdRemoveTransparency: picture.transparentIndex = -1; return true;
        case kCmdRemoveAlphaChannel: picture.alphaMax = 255; return true;
        case kCmdInvertAlphaChannel: return true;  // the image keeps no alpha plane to invert
        case kCmdToggleAlphaPalette: picture.alphaPaletteEnabled = picture.alphaPaletteEnabled ? 0 : 1; return true;
        case kCmdStripAlpha: picture.backColour = RGBQUAD{255, 255, 255, 0}; return true;
        default: return false;
    }
}

}  // namespace quillory
