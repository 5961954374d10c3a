#pragma once
// Multi-focus composition: pictures of one scene taken at different focus settings
// become one picture in which each of 8 × 8 blocks comes from the picture that is
// sharpest there. Sharpness is measured on the edge picture of each document's
// first layer (the 3 × 3 kernel -1 around 8).
#include <array>
#include <string>
#include <vector>

namespace quillory {

class CVandDoc;
struct LayerRecord;
struct NewPictureSettings;

inline constexpr int kFocusGrid = 8;  // blocks per row and per column
using BlockValues = std::array<float, kFocusGrid * kFocusGrid>;  // row-major from the first stored row

// Per block of the layer (width / 8 by height / 8 pixels, rows in stored order):
// the sum of v / 255 over its pixels whose opacity is not 0 and whose three
// colour components are 50 or more, v being the blue component.
BlockValues BlockSharpness(const LayerRecord& layer);
// The sharpness of a document: the measure above on the edge picture of its first
// layer; the document itself is not changed.
BlockValues BlockSharpness(const CVandDoc& document);

struct MultiFocusResult {
    std::array<int, kFocusGrid * kFocusGrid> source{};  // per block: the index of the document it came from
    std::vector<int> skipped;                            // documents of another size
};

// Composes `documents` (in the order of the document list) into `result`, a new
// document of the last one's size; `settings` take that size and depth. Documents
// of another size or depth (24 or 8 bits) are left out with a message. A new
// picture is made at 24 bits, so blocks of 8-bit documents bring their colours. False when there is nothing to
// compose or the new document cannot be made.
bool ComposeMultiFocus(const std::vector<CVandDoc*>& documents, CVandDoc& result, NewPictureSettings& settings,
                       MultiFocusResult* report = nullptr);

}  // namespace quillory
