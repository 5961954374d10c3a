#pragma once
// Document commands that change only fields of the current image.
#include "core/CommandIds.h"
#include "core/NyZazo.h"

namespace quillory {

struct ImageFieldCommand {
    int command;
    const char* menuText;
    const char* undoLabel;
};


const ImageFieldCommand* FindImageFieldCommand(int command);

// Applies the command's change to the picture; false for an unknown command.
bool ApplyImageFieldCommand(int command, NyZazo& picture);

}  // namespace quillory
