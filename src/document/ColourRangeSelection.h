#pragma once
// The colour-range selection ("색상범위지정 선택"): every opaque pixel of the
// current layer close to a picked colour joins the document's selection.
#include <cstdint>
#include <string>

#include "core/DibTypes.h"

namespace quillory {

class CVandDoc;
class CommandRegistry;

inline constexpr int kDefaultTolerance = 10;
inline constexpr int kMaxTolerance = 255;

struct SimilarResult {
    int64_t count = 0;
    double percent = 0;  // count × 100 / (layer width × height)
};

// The panel's opening: the current layer back to its committed copy (and into
// slot B) and the selection cleared. False with the text-layer message on a text layer.
bool BeginColourRange(CVandDoc& document);

// The colour of the current layer at an image pixel (rows top-down); false outside the layer.
bool LayerColourAt(const CVandDoc& document, int imageX, int imageY, RGBQUAD& colour);

// Replace mode drops the previous selection first (the layer back to its
// committed copy, the map cleared); add mode keeps it. Matching pixels are
// marked 1 and the selection becomes active. False on a text layer.
bool SelectSimilar(CVandDoc& document, RGBQUAD picked, int tolerance, bool add, SimilarResult* result = nullptr);

// "픽셀수 %d   (%.2f)%s           " with the count, the percentage and "%".
std::string PixelCountText(const SimilarResult& result);

void RegisterColourRangeCommands(CommandRegistry& registry);

}  // namespace quillory
