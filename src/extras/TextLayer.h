#pragma once
// Text layers: the font choices of the text dialog, how a layer keeps them in its
// record, and the layer's coverage drawn through the platform's text rasteriser.
// A text layer holds its glyph coverage in `alpha` and takes its colour from
// `textColour`; its text and font stay with it so it can be edited again.
#include <cstdint>
#include <string>
#include <string_view>

#include "core/DibTypes.h"
#include "core/Platform.h"

namespace quillory {

class CVandDoc;
struct DocumentHeader;
struct LayerRecord;

inline constexpr int kMinTextHeight = 2;
inline constexpr int kMaxTextHeight = 2000;

// What the text dialog chooses; the text tools draw with it.
struct TextLook {
    std::string face;
    int pixelHeight = 20;  // the dialog's size × 2
    std::string style = "Regular";  // "Regular", "Bold", "Italic" or "Bold Italic"
    bool underline = false;
    bool strikeOut = false;
    RGBQUAD colour{0, 0, 0, 0};
};

bool StyleIsBold(std::string_view style);
bool StyleIsItalic(std::string_view style);
// The rasteriser's style of a look at a pixel height.
TextStyle MakeTextStyle(const TextLook& look, int pixelHeight);
// The height of the text dialog's preview font for a size: twice the size, at least 34, at most 1000.
int PreviewFontHeight(int size);
// The weight of the preview font: 700 for the bold styles, else 400.
int PreviewFontWeight(std::string_view style);

// Line breaks as the rasteriser takes them: "\r\n" and "\r" become "\n".
std::string PlainLineBreaks(std::string_view text);

// The look kept in a text layer's record (face, size, style flags, colour).
void StoreTextLook(LayerRecord& layer, const TextLook& look);
TextLook LoadTextLook(const LayerRecord& layer);

// Copies a raster's coverage into a layer's opacity plane with its top-left pixel at
// layer column x, row y (rows from the top); parts outside the layer are cut off.
// Coverage already there stays where it is stronger.
void PlaceCoverage(LayerRecord& layer, const TextRaster& raster, int x, int y);

// What a text command puts into a picture: the text with its top-left at a picture
// pixel (rows from the top) in a look.
struct TextPlacement {
    std::string text;  // UTF-8, at most 700 UTF-16 units
    int x = 0, y = 0;
    TextLook look;
};

// A new text layer above the current one ("글자입력"). Returns its slot, or -1 with a
// message (nothing changed) for an empty or too long text, a text the platform
// cannot draw, or a full layer table.
int PutTextLayer(CVandDoc& document, const TextPlacement& placement);
// A text layer's text and look replaced, its place kept ("글자수정"). False with a
// message (nothing changed) as PutTextLayer, or for a slot that is no text layer.
bool EditTextLayer(CVandDoc& document, int slot, const std::string& text, const TextLook& look);

// The text layer whose drawn text covers a picture pixel (the current layer first,
// then from the top of the stack down); -1 when none.
int TextLayerAt(const CVandDoc& document, int pictureX, int pictureY);
// A layer's stored text position as a picture pixel (rows from the top).
void TextPositionInPicture(const CVandDoc& document, int slot, int& pictureX, int& pictureY);

}  // namespace quillory
