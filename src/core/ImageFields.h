#pragma once
// Document commands that change only fields of the current image.
#include "core/NyZazo.h"

namespace quillory {

struct ImageFieldCommand {
    int command;
    const char* menuText;
    const char* undoLabel;
};

inline constexpr int kCmdRemoveTransparency = 1430;
inline constexpr int kCmdRemoveAlphaChannel = 1483;
inline constexpr int kCmdInvertAlphaChannel = 1485;
inline constexpr int kCmdToggleAlphaPalette = 1486;
inline constexpr int kCmdStripAlpha = 1490;

const ImageFieldCommand* FindImageFieldCommand(int command);

// Applies the command's change to the picture; false for an unknown command.
bool ApplyImageFieldCommand(int command, NyZazo& picture);

}  // namespace quillory
