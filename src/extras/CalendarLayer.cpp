#include "extras/CalendarLayer.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "document/CVandDoc.h"
#include "document/LayerPlanes.h"
#include "document/TransformCommands.h"
#include "document/Utf16.h"
#include "extras/Calendar.h"
#include "extras/ExtrasTexts.h"

namespace quillory {

namespace {

// Copies a raster into a larger one at (x, y), keeping the stronger coverage.
void Blit(TextRaster& into, const TextRaster& piece, int x, int y) {
    for (int row = 0; row < piece.height; ++row) {
        const int ty = y + row;
        if (ty < 0 || ty >= into.height) continue;
        for (int column = 0; column < piece.width; ++column) {
            const int tx = x + column;
            if (tx < 0 || tx >= into.width) continue;
            uint8_t& dst = into.coverage[size_t(ty) * size_t(into.width) + size_t(tx)];
            dst = std::max(dst, piece.coverage[size_t(row) * size_t(piece.width) + size_t(column)]);
        }
    }
}

bool Usable(const TextRaster& r) {
    return r.width > 0 && r.height > 0 && r.coverage.size() >= size_t(r.width) * size_t(r.height);
}

}  // namespace

TextRaster LayOutCalendar(int year, int month, const TextStyle& style) {
    CalendarMonth calendar;
    if (!ComputeCalendarMonth(year, month, calendar)) return {};
    Platform& platform = CurrentPlatform();
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%4d년 %2d월", year, month);
    std::string titleText = buffer;
    titleText.erase(0, titleText.find_first_not_of(' '));
    const TextRaster title = platform.RasteriseText(titleText, style);
    std::vector<TextRaster> names, days;
    for (const char* name : texts::kCalendarWeekdayNames) names.push_back(platform.RasteriseText(name, style));
    for (int day = 1; day <= calendar.days; ++day) days.push_back(platform.RasteriseText(std::to_string(day), style));
    if (!Usable(title)) return {};
    int cellWidth = 0, lineHeight = title.height;
    for (const auto* list : {&names, &days})
        for (const TextRaster& r : *list) {
            if (!Usable(r)) return {};
            cellWidth = std::max(cellWidth, r.width);
            lineHeight = std::max(lineHeight, r.height);
        }
    // A third of the font height between the columns, a quarter between the lines.
    cellWidth += std::max(2, style.pixelHeight / 3);
    lineHeight += std::max(1, style.pixelHeight / 4);
    const int weeks = (calendar.firstWeekday + calendar.days + 6) / 7;
    TextRaster out;
    out.width = std::max(7 * cellWidth, title.width);
    out.height = (2 + weeks) * lineHeight;
    out.coverage.assign(size_t(out.width) * size_t(out.height), 0);
    Blit(out, title, (out.width - title.width) / 2, 0);
    auto centred = [&](const TextRaster& r, int column, int line) {
        Blit(out, r, column * cellWidth + (cellWidth - r.width) / 2, line * lineHeight + (lineHeight - r.height) / 2);
    };
    for (int weekday = 0; weekday < 7; ++weekday) centred(names[size_t(weekday)], weekday, 1);
    for (int day = 1; day <= calendar.days; ++day) {
        const int cell = calendar.firstWeekday + day - 1;
        centred(days[size_t(day - 1)], cell % 7, 2 + cell / 7);
    }
    return out;
}

bool PutCalendar(CVandDoc& document, const CalendarRequest& request) {
    const int below = document.CurrentLayer();
    if (!document.IsLayerInList(below)) return false;
    const std::string text = CalendarText(request.year, request.month);
    if (text.empty()) {
        CurrentPlatform().ShowMessage(texts::kCalendarBadDate, MessageKind::Warning);
        return false;
    }
    TextLook look = request.look;
    look.pixelHeight = CalendarFontHeight(request.size);
    const TextRaster raster = LayOutCalendar(request.year, request.month, MakeTextStyle(look, look.pixelHeight));
    if (!Usable(raster)) {
        CurrentPlatform().ShowMessage(texts::kTextNotRendered, MessageKind::Warning);
        return false;
    }
    const int width = document.Header().width, height = document.Header().height;
    const int left = width / 2, top = height / 2;
    const int neededWidth = std::max(width, left + raster.width), neededHeight = std::max(height, top + raster.height);
    if ((neededWidth != width || neededHeight != height) && !ExpandCanvas(document, neededWidth, neededHeight, 0))
        return false;
    const int current = document.CurrentLayer();
    const int slot = document.InsertLayer(current);
    if (slot < 0) return false;
    LayerPlanesRequest planes = LayerPlanesRequest::LikeDocument(document.Header(), slot);
    planes.kind = LayerKind::Text;
    planes.changed = 1;
    if (!document.CreateLayerPlanes(planes)) {
        document.Stack().DeleteLayer(slot);
        document.Stack().FreeSlot(slot);
        document.SelectLayer(current);
        return false;
    }
    LayerRecord& layer = document.Layer(slot);
    StoreTextLook(layer, look);
    layer.text = Utf8ToUtf16(text);
    layer.textLength = int32_t(layer.text.size());
    layer.textX = left;
    layer.textY = top;
    PlaceCoverage(layer, raster, left, top);
    char name[64];
    std::snprintf(name, sizeof name, texts::kCalendarLayerFormat, request.month);
    document.Stack().SetName(slot, Utf8ToUtf16(name));
    document.RecordStep(texts::kStepCalendar, StepCode::LayerAdded, slot);
    document.NotifyChanged();
    return true;
}

}  // namespace quillory
