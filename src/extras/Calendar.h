#pragma once
// The month calendar as text: weekday of the first day (counted from 1 January
// 1995, a Sunday), month lengths with Gregorian leap years, and the lists of the
// calendar dialog.
#include <string>
#include <string_view>
#include <vector>

namespace quillory {

inline constexpr int kCalendarFirstYear = 1;
inline constexpr int kCalendarLastYear = 9999;

bool IsLeapYear(int year);
// Days of a month 1..12 of a year; 0 for a month outside 1..12.
int MonthLength(int year, int month);
// Weekday (0 Sunday .. 6 Saturday) of 1 January of a year, counted from 1995.
int FirstWeekdayOfYear(int year);

struct CalendarMonth {
    int firstWeekday = 0;  // of the 1st, 0 = Sunday
    int days = 0;
};
// False for a year outside 1..9999 or a month outside 1..12.
bool ComputeCalendarMonth(int year, int month, CalendarMonth& out);

// The calendar text with "\r\n" line breaks: the title, the weekday names, then the
// days in columns of three characters, a line per week. Empty for a date that
// ComputeCalendarMonth refuses.
std::string CalendarText(int year, int month);

// A number typed into a text box; an unreadable text reads as 0.
int ReadNumberText(std::string_view text);

// The font height the calendar is placed with: the size + 8, or 10 below size 2.
int CalendarFontHeight(int size);

// The dialog's lists, each with the current choice first.
std::vector<int> CalendarFontSizes(int current);                       // then 2, 4, ..., 120
std::vector<std::string> FontStyleNames(const std::string& current);    // then the four styles
std::vector<std::string> FontFaceList(const std::string& current, std::vector<std::string> fonts);  // then sorted

}  // namespace quillory
