#include "extras/TextLayer.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "document/CVandDoc.h"
#include "document/LayerPlanes.h"
#include "document/Utf16.h"
#include "extras/ExtrasTexts.h"

namespace quillory {

namespace {

// textSettings: the dialog's size, a spacing kept at 100 and the style flags.
constexpr int kSettingSize = 0;
constexpr int kSettingFlags = 2;
constexpr int32_t kFlagBold = 1, kFlagItalic = 2, kFlagUnderline = 4, kFlagStrikeOut = 8;
constexpr size_t kFaceUnits = kFontBlockBytes / 2;

int32_t PackColour(RGBQUAD c) { return int32_t(uint32_t(c.blue) | uint32_t(c.green) << 8 | uint32_t(c.red) << 16); }
RGBQUAD UnpackColour(int32_t v) {
    const uint32_t u = uint32_t(v);
    return RGBQUAD{uint8_t(u), uint8_t(u >> 8), uint8_t(u >> 16), 0};
}

void Warn(const char* text) { CurrentPlatform().ShowMessage(text, MessageKind::Warning); }

// The text checked and drawn, or false with a message.
bool RasteriseChecked(const std::string& text, const TextLook& look, std::u16string& units, TextRaster& raster) {
    units = Utf8ToUtf16(text);
    if (units.empty()) return false;
    if (units.size() > size_t(kMaxTextLength)) {
        Warn(texts::kTextTooLong);
        return false;
    }
    const int height = std::clamp(look.pixelHeight, kMinTextHeight, kMaxTextHeight);
    raster = CurrentPlatform().RasteriseText(PlainLineBreaks(text), MakeTextStyle(look, height));
    if (raster.width <= 0 || raster.height <= 0 ||
        raster.coverage.size() < size_t(raster.width) * size_t(raster.height)) {
        Warn(texts::kTextNotRendered);
        return false;
    }
    return true;
}

// The first line of a text, as a layer name.
std::u16string NameOfText(const std::u16string& units) {
    std::u16string name = units.substr(0, units.find_first_of(u"\r\n"));
    return name.substr(0, kNameUnits);
}

void FillTextLayer(LayerRecord& layer, const std::u16string& units, const TextLook& look, const TextRaster& raster) {
    StoreTextLook(layer, look);
    layer.text = units;
    layer.textLength = int32_t(units.size());
    std::fill(layer.alpha.begin(), layer.alpha.end(), uint8_t(0));
    PlaceCoverage(layer, raster, layer.textX, layer.textY);
    layer.changed = 1;
}

}  // namespace

bool StyleIsBold(std::string_view style) { return style.find("Bold") != std::string_view::npos; }
bool StyleIsItalic(std::string_view style) { return style.find("Italic") != std::string_view::npos; }

TextStyle MakeTextStyle(const TextLook& look, int pixelHeight) {
    TextStyle style;
    style.face = look.face;
    style.pixelHeight = pixelHeight;
    style.bold = StyleIsBold(look.style);
    style.italic = StyleIsItalic(look.style);
    style.underline = look.underline;
    style.strikeOut = look.strikeOut;
    return style;
}

int PreviewFontHeight(int size) {
    int height = size * 2;
    if (height < 33) height = 34;
    if (height > 998) height = 1000;
    return height;
}

int PreviewFontWeight(std::string_view style) { return StyleIsBold(style) ? 700 : 400; }

std::string PlainLineBreaks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

void StoreTextLook(LayerRecord& layer, const TextLook& look) {
    const std::u16string face = Utf8ToUtf16(look.face).substr(0, kFaceUnits);
    std::memset(layer.textFont, 0, sizeof layer.textFont);
    for (size_t i = 0; i < face.size(); ++i) {
        layer.textFont[2 * i] = uint8_t(face[i] & 0xFF);
        layer.textFont[2 * i + 1] = uint8_t(face[i] >> 8);
    }
    layer.textSize = look.pixelHeight;
    layer.textSettings[kSettingSize] = look.pixelHeight / 2;
    layer.textSettings[kSettingFlags] = (StyleIsBold(look.style) ? kFlagBold : 0) |
                                        (StyleIsItalic(look.style) ? kFlagItalic : 0) |
                                        (look.underline ? kFlagUnderline : 0) | (look.strikeOut ? kFlagStrikeOut : 0);
    layer.textColour = PackColour(look.colour);
}

TextLook LoadTextLook(const LayerRecord& layer) {
    TextLook look;
    std::u16string face;
    for (size_t i = 0; i < kFaceUnits; ++i) {
        const char16_t unit = char16_t(layer.textFont[2 * i] | layer.textFont[2 * i + 1] << 8);
        if (unit == 0) break;
        face += unit;
    }
    look.face = Utf16ToUtf8(face);
    look.pixelHeight = std::clamp(int(layer.textSize), kMinTextHeight, kMaxTextHeight);
    const int32_t flags = layer.textSettings[kSettingFlags];
    const bool bold = flags & kFlagBold, italic = flags & kFlagItalic;
    look.style = bold && italic ? texts::kStyleBoldItalic
                 : bold         ? texts::kStyleBold
                 : italic       ? texts::kStyleItalic
                                : texts::kStyleRegular;
    look.underline = flags & kFlagUnderline;
    look.strikeOut = flags & kFlagStrikeOut;
    look.colour = UnpackColour(layer.textColour);
    return look;
}

void PlaceCoverage(LayerRecord& layer, const TextRaster& raster, int x, int y) {
    if (layer.alpha.size() < size_t(layer.width) * size_t(layer.height)) return;
    // In 64 bits: the place comes from a script or a file and may lie anywhere.
    const int64_t fromX = std::max<int64_t>(0, -int64_t(x)), toX = std::min<int64_t>(raster.width, int64_t(layer.width) - x);
    const int64_t fromY = std::max<int64_t>(0, -int64_t(y)), toY = std::min<int64_t>(raster.height, int64_t(layer.height) - y);
    for (int64_t row = fromY; row < toY; ++row) {
        const uint8_t* src = raster.coverage.data() + size_t(row) * size_t(raster.width);
        uint8_t* dst = layer.AlphaRow(int(layer.height - 1 - (y + row)));
        for (int64_t column = fromX; column < toX; ++column)
            dst[x + column] = std::max(dst[x + column], src[column]);
    }
}

int PutTextLayer(CVandDoc& document, const TextPlacement& placement) {
    const int below = document.CurrentLayer();
    if (!document.IsLayerInList(below)) return -1;
    std::u16string units;
    TextRaster raster;
    if (!RasteriseChecked(placement.text, placement.look, units, raster)) return -1;
    const int slot = document.InsertLayer(below);
    if (slot < 0) return -1;
    LayerPlanesRequest request = LayerPlanesRequest::LikeDocument(document.Header(), slot);
    request.kind = LayerKind::Text;
    request.changed = 1;
    if (!document.CreateLayerPlanes(request)) {
        document.Stack().DeleteLayer(slot);
        document.Stack().FreeSlot(slot);
        document.SelectLayer(below);
        return -1;
    }
    LayerRecord& layer = document.Layer(slot);
    const CanvasRect rect = LayerCanvasRect(layer, document.Header());
    layer.textX = placement.x - rect.left;
    layer.textY = placement.y - rect.top;
    FillTextLayer(layer, units, placement.look, raster);
    document.Stack().SetName(slot, NameOfText(units));
    document.RecordStep(texts::kStepTextInput, StepCode::TextLayerAdded, slot);
    document.NotifyChanged();
    return slot;
}

bool EditTextLayer(CVandDoc& document, int slot, const std::string& text, const TextLook& look) {
    if (!document.IsLayerInList(slot) || document.Layer(slot).kind != LayerKind::Text) return false;
    std::u16string units;
    TextRaster raster;
    if (!RasteriseChecked(text, look, units, raster)) return false;
    LayerRecord& layer = document.Layer(slot);
    FillTextLayer(layer, units, look, raster);
    document.Stack().SetName(slot, NameOfText(units));
    document.RecordStep(texts::kStepTextEdit, StepCode::TextEdited, slot);
    document.NotifyChanged();
    return true;
}

namespace {

// The box of a text layer's drawn coverage in picture pixels; false when it has none.
bool CoverageBox(const CVandDoc& document, int slot, int& left, int& top, int& right, int& bottom) {
    const LayerRecord& layer = document.Layer(slot);
    if (layer.alpha.size() < size_t(layer.width) * size_t(layer.height)) return false;
    left = layer.width, top = layer.height, right = -1, bottom = -1;
    for (int row = 0; row < layer.height; ++row) {
        const uint8_t* a = layer.AlphaRow(layer.height - 1 - row);
        for (int x = 0; x < layer.width; ++x) {
            if (!a[x]) continue;
            left = std::min(left, x), right = std::max(right, x);
            top = std::min(top, row), bottom = std::max(bottom, row);
        }
    }
    if (right < 0) return false;
    const CanvasRect rect = LayerCanvasRect(layer, document.Header());
    left += rect.left, right += rect.left, top += rect.top, bottom += rect.top;
    return true;
}

}  // namespace

int TextLayerAt(const CVandDoc& document, int pictureX, int pictureY) {
    constexpr int kMargin = 3;
    auto hits = [&](int slot) {
        if (!document.IsLayerInList(slot)) return false;
        const LayerRecord& layer = document.Layer(slot);
        if (layer.kind != LayerKind::Text || layer.visible != 1) return false;
        int left, top, right, bottom;
        return CoverageBox(document, slot, left, top, right, bottom) && pictureX >= left - kMargin &&
               pictureX <= right + kMargin && pictureY >= top - kMargin && pictureY <= bottom + kMargin;
    };
    if (hits(document.CurrentLayer())) return document.CurrentLayer();
    std::vector<int> order;
    for (int i = document.HeadLayer(); LayerStack::IsValidIndex(i) && order.size() < size_t(kMaxLayers);
         i = document.Layer(i).next)
        order.push_back(i);
    for (auto it = order.rbegin(); it != order.rend(); ++it)
        if (hits(*it)) return *it;
    return -1;
}

void TextPositionInPicture(const CVandDoc& document, int slot, int& pictureX, int& pictureY) {
    const LayerRecord& layer = document.Layer(slot);
    const CanvasRect rect = LayerCanvasRect(layer, document.Header());
    pictureX = layer.textX + rect.left;
    pictureY = layer.textY + rect.top;
}

}  // namespace quillory
