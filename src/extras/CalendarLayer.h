#pragma once
// The calendar placed into a picture: a new text layer " [달력]%2d월" with the
// month's calendar drawn at the picture centre, the canvas grown when it does not fit.
#include "core/Platform.h"
#include "extras/TextLayer.h"

namespace quillory {

class CVandDoc;

struct CalendarRequest {
    int year = 0, month = 0;
    int size = 12;  // the dialog's font size; the font height follows CalendarFontHeight
    TextLook look;  // face, style and colour (its height is not used)
};

// The month drawn in cells of one width: the title centred over the seven columns,
// the weekday names, then a row per week with each day centred in its weekday's
// column. Empty when the date is refused or the platform draws no text.
TextRaster LayOutCalendar(int year, int month, const TextStyle& style);

// Adds the calendar layer above the current one and records "[달력]". When the
// calendar does not fit right and below the centre, the canvas first grows to the
// right and down (its own step "캔버스크기조정"). False with a message, nothing
// changed, for a refused date or a text the platform cannot draw.
bool PutCalendar(CVandDoc& document, const CalendarRequest& request);

}  // namespace quillory
