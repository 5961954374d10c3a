#pragma once
// What a document holds besides its layer table: the header with the palette,
// the selection, the composite picture and the flags the stack operations read.
#include <cstdint>
#include <memory>

#include "core/NyZazo.h"
#include "document/DocumentHeader.h"
#include "document/GuidePath.h"
#include "document/SelectionMask.h"

namespace quillory {

struct DocumentState {
    DocumentHeader header;
    SelectionMask selection;
    GuidePath guidePath;
    // The picture as read from a file, later the flat picture written to image files.
    std::unique_ptr<NyZazo> composite;
    uint8_t busy = 0;             // set while layers are inserted or copied
    uint8_t floatingPending = 0;  // a moved selection waits as a floating layer
    bool loading = false;         // a file reader is filling the layer table
};

}  // namespace quillory
