#pragma once
// The filter dialog's change: a filter of the list chosen by name, run on the
// current layer with the slider values p1, p2, p3 and recorded as one step named
// after the filter. The values come as the dialog holds them, so a default below
// its slider's minimum reaches the filter unchanged.
#include <string_view>

#include "document/AdjustmentPreview.h"

namespace quillory {

// p1= p2= p3= (absent values take the filter's defaults).
PreviewableCommand FilterPreviewable(std::string_view filterName);

}  // namespace quillory
