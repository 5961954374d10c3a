#include "extras/Calendar.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "extras/ExtrasTexts.h"

namespace quillory {

namespace {

constexpr int kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
constexpr int kReferenceYear = 1995;  // 1 January 1995 was a Sunday

}  // namespace

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int MonthLength(int year, int month) {
    if (month < 1 || month > 12) return 0;
    return kMonthDays[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

int FirstWeekdayOfYear(int year) {
    int weekday = 0;
    if (year >= kReferenceYear) {
        // A year moves the weekday on by one, a leap year before it by one more.
        weekday = -1;
        for (int y = kReferenceYear; y <= year; ++y) {
            weekday += 1;
            if (y > kReferenceYear && IsLeapYear(y - 1)) weekday += 1;
        }
    } else {
        for (int y = kReferenceYear - 1; y >= year; --y) {
            weekday -= 1 + (IsLeapYear(y) ? 1 : 0);
            if (weekday < 0) weekday += 7;
        }
    }
    return weekday % 7;
}

bool ComputeCalendarMonth(int year, int month, CalendarMonth& out) {
    if (year < kCalendarFirstYear || year > kCalendarLastYear || month < 1 || month > 12) return false;
    int weekday = FirstWeekdayOfYear(year);
    for (int m = 1; m < month; ++m) weekday += MonthLength(year, m);
    out.firstWeekday = weekday % 7;
    out.days = MonthLength(year, month);
    return true;
}

std::string CalendarText(int year, int month) {
    CalendarMonth calendar;
    if (!ComputeCalendarMonth(year, month, calendar)) return {};
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, texts::kCalendarTitleFormat, year, month);
    std::string text = buffer;
    text += texts::kCalendarWeekdayLine;
    text += "  ";
    for (int gap = 0; gap < calendar.firstWeekday; ++gap) text += "   ";
    int column = calendar.firstWeekday;
    for (int day = 1; day <= calendar.days; ++day) {
        std::snprintf(buffer, sizeof buffer, "%3d", day);
        text += buffer;
        if (++column % 7 == 0) text += "\r\n  ";
    }
    return text;
}

int ReadNumberText(std::string_view text) {
    size_t start = text.find_first_not_of(" \t");
    if (start == std::string_view::npos) return 0;
    int value = 0;
    const char* begin = text.data() + start;
    const auto [end, error] = std::from_chars(begin, text.data() + text.size(), value);
    (void)end;
    return error == std::errc() ? value : 0;
}

int CalendarFontHeight(int size) { return size >= 2 ? size + 8 : 10; }

std::vector<int> CalendarFontSizes(int current) {
    std::vector<int> sizes{current};
    for (int size = 2; size <= 120; size += 2) sizes.push_back(size);
    return sizes;
}

std::vector<std::string> FontStyleNames(const std::string& current) {
    return {current, texts::kStyleRegular, texts::kStyleBold, texts::kStyleItalic, texts::kStyleBoldItalic};
}

std::vector<std::string> FontFaceList(const std::string& current, std::vector<std::string> fonts) {
    std::sort(fonts.begin(), fonts.end());
    fonts.insert(fonts.begin(), current);
    return fonts;
}

}  // namespace quillory
