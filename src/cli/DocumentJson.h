#pragma once
// The JSON that describes a layered document: the picture fields and the layer
// list from the bottom layer up. `info` prints it for .qvx files and a script's
// `layers` line prints it for the document being edited, so programs read both alike.
#include <string>

#include "document/DocumentHeader.h"
#include "document/LayerRecord.h"

namespace quillory::cli {

// `layers` holds kMaxLayers slots; the list runs from headLayer along `next`. `format` is the
// format code of the file (5 for a .qvx file) or of the picture a document was made from.
std::string LayeredDocumentJson(int format, const DocumentHeader& header, const LayerRecord* layers, int headLayer,
                                int currentLayer);

}  // namespace quillory::cli
