#include <gtest/gtest.h>

#include <string>

#include "document/CVandDoc.h"
#include "document/UndoHistory.h"
#include "document/Utf16.h"
#include "document/TransformTexts.h"
#include "extras/Calendar.h"
#include "extras/CalendarLayer.h"
#include "extras/ExtrasTexts.h"
#include "ExtrasTestSupport.h"
#include "document/DocumentTestSupport.h"

using namespace quillory;

namespace {

// Weekday of 1 January by counting days from the civil calendar's origin (0 = Sunday).
int ReferenceWeekday(int year, int month) {
    const int y = month <= 2 ? year - 1 : year;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int mp = (month + 9) % 12;
    const int doy = (153 * mp + 2) / 5;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const long days = long(era) * 146097 + doe - 719468;  // days since 1970-01-01, a Thursday
    return int(((days + 4) % 7 + 7) % 7);
}

// The days part of the text: what follows the weekday names.
std::string DaysPart(const std::string& text) {
    const std::string names = texts::kCalendarWeekdayLine;
    return text.substr(text.find(names) + names.size());
}

std::string StepName(CVandDoc& d) { return d.History().Entry(d.History().StepPosition()).name; }

}  // namespace

TEST(Calendar, FebruaryLengthFollowsTheGregorianLeapYears) {
    EXPECT_EQ(MonthLength(2000, 2), 29);
    EXPECT_EQ(MonthLength(1900, 2), 28);
    EXPECT_EQ(MonthLength(2024, 2), 29);
    EXPECT_EQ(MonthLength(2023, 2), 28);
    EXPECT_EQ(MonthLength(2023, 13), 0);
    const std::string leap = CalendarText(2000, 2), plain = CalendarText(1900, 2);
    EXPECT_NE(leap.find(" 29"), std::string::npos);
    EXPECT_EQ(leap.find(" 30"), std::string::npos);
    EXPECT_NE(plain.find(" 28"), std::string::npos);
    EXPECT_EQ(plain.find(" 29"), std::string::npos);
}

TEST(Calendar, NovemberTwoThousandOneStartsOnThursdayAfterFourGaps) {
    CalendarMonth m;
    ASSERT_TRUE(ComputeCalendarMonth(2001, 11, m));
    EXPECT_EQ(m.firstWeekday, 4);
    EXPECT_EQ(m.days, 30);
    const std::string expected =
        "\r\n        2001년 11월 \r\n"
        "\r\n    일 월 화 수 목 금 토\r\n"
        "                1  2  3\r\n"
        "    4  5  6  7  8  9 10\r\n"
        "   11 12 13 14 15 16 17\r\n"
        "   18 19 20 21 22 23 24\r\n"
        "   25 26 27 28 29 30";
    EXPECT_EQ(CalendarText(2001, 11), expected);
}

TEST(Calendar, JanuaryNineteenNinetyFiveStartsOnSundayWithoutGap) {
    EXPECT_EQ(FirstWeekdayOfYear(1995), 0);
    EXPECT_EQ(DaysPart(CalendarText(1995, 1)).substr(0, 23), "    1  2  3  4  5  6  7");
    // A month that ends a week on its last day ends with the next line's indent.
    const std::string feb2015 = CalendarText(2015, 2);  // Sunday the 1st, 28 days
    EXPECT_EQ(feb2015.substr(feb2015.size() - 7), " 28\r\n  ");
}

TEST(Calendar, WeekdaysAgreeWithTheCivilCalendarFromYearOne) {
    for (int year = 1; year <= 3000; ++year) {
        ASSERT_EQ(FirstWeekdayOfYear(year), ReferenceWeekday(year, 1)) << year;
        CalendarMonth m;
        for (int month : {2, 3, 7, 12}) {
            ASSERT_TRUE(ComputeCalendarMonth(year, month, m));
            ASSERT_EQ(m.firstWeekday, ReferenceWeekday(year, month)) << year << "-" << month;
        }
    }
}

TEST(Calendar, RefusesDatesOutsideTheCalendar) {
    CalendarMonth m;
    EXPECT_FALSE(ComputeCalendarMonth(0, 5, m));
    EXPECT_FALSE(ComputeCalendarMonth(10000, 5, m));
    EXPECT_FALSE(ComputeCalendarMonth(2001, 0, m));
    EXPECT_FALSE(ComputeCalendarMonth(2001, 13, m));
    EXPECT_EQ(CalendarText(2001, 0), "");
    EXPECT_EQ(ReadNumberText("abc"), 0);
    EXPECT_EQ(ReadNumberText(""), 0);
    EXPECT_EQ(ReadNumberText(" 2001"), 2001);
}

TEST(Calendar, DialogListsStartWithTheCurrentChoice) {
    const std::vector<int> sizes = CalendarFontSizes(12);
    ASSERT_EQ(sizes.size(), 61u);
    EXPECT_EQ(sizes[0], 12);
    EXPECT_EQ(sizes[1], 2);
    EXPECT_EQ(sizes.back(), 120);
    EXPECT_EQ(FontStyleNames("Bold"), (std::vector<std::string>{"Bold", "Regular", "Bold", "Italic", "Bold Italic"}));
    EXPECT_EQ(FontFaceList("NanumGothic", {"Zeta", "Alpha", "Mono"}),
              (std::vector<std::string>{"NanumGothic", "Alpha", "Mono", "Zeta"}));
    EXPECT_EQ(CalendarFontHeight(12), 20);
    EXPECT_EQ(CalendarFontHeight(2), 10);
    EXPECT_EQ(CalendarFontHeight(1), 10);
}

TEST(CalendarLayer, LaysTheMonthOutInSevenEqualColumns) {
    test::BlockTextPlatform platform;
    TextStyle style;
    style.pixelHeight = 20;
    const TextRaster r = LayOutCalendar(2001, 11, style);
    ASSERT_GT(r.width, 0);
    // Title, weekday names and five weeks.
    const int cell = r.width / 7;
    EXPECT_EQ(r.height % 7, 0);
    // The 1st (a Thursday) sits in the fifth column of the third line; Sunday's column of that line is empty.
    const int line = r.height / 7, y = 2 * line + line / 2;
    auto at = [&](int x) { return r.coverage[size_t(y) * size_t(r.width) + size_t(x)]; };
    EXPECT_EQ(at(4 * cell + cell / 2), 255);
    for (int x = 0; x < 4 * cell; ++x) ASSERT_EQ(at(x), 0) << x;
}

TEST(CalendarLayer, PutsANamedTextLayerAtThePictureCentre) {
    test::BlockTextPlatform platform;
    auto doc = test::MakeDocument(400, 300);
    ASSERT_TRUE(doc);
    const int below = doc->CurrentLayer();
    CalendarRequest request;
    request.year = 2001, request.month = 11, request.size = 12;
    request.look.face = "NanumGothic";
    request.look.colour = RGBQUAD{10, 20, 200, 0};
    ASSERT_TRUE(PutCalendar(*doc, request));
    EXPECT_EQ(doc->Header().width, 400);  // it fits: no growth
    const int slot = doc->CurrentLayer();
    ASSERT_NE(slot, below);
    EXPECT_EQ(doc->Layer(below).next, slot);
    const LayerRecord& layer = doc->Layer(slot);
    EXPECT_EQ(layer.kind, LayerKind::Text);
    EXPECT_EQ(doc->LayerName(slot), " [달력]11월");
    EXPECT_EQ(StepName(*doc), texts::kStepCalendar);
    EXPECT_EQ(Utf16ToUtf8(layer.text), CalendarText(2001, 11));
    EXPECT_EQ(layer.textColour, 200 << 16 | 20 << 8 | 10);
    EXPECT_EQ(platform.requests.back().pixelHeight, 20);  // size 12 + 8
    // Nothing above or left of the centre; the title starts right of it.
    for (int row = 0; row < 150; ++row)
        for (int x = 0; x < 400; ++x) ASSERT_EQ(layer.AlphaRow(layer.height - 1 - row)[x], 0);
    for (int row = 150; row < 300; ++row)
        for (int x = 0; x < 200; ++x) ASSERT_EQ(layer.AlphaRow(layer.height - 1 - row)[x], 0);
}

TEST(CalendarLayer, TheCanvasGrowsWhenTheCalendarDoesNotFitAndUndoGivesItBack) {
    test::BlockTextPlatform platform;
    auto doc = test::MakeDocument(60, 40);
    ASSERT_TRUE(doc);
    CalendarRequest request;
    request.year = 2001, request.month = 11, request.size = 12;
    ASSERT_TRUE(PutCalendar(*doc, request));
    TextStyle style;
    style.pixelHeight = 20;
    const TextRaster r = LayOutCalendar(2001, 11, style);
    EXPECT_EQ(doc->Header().width, 30 + r.width);
    EXPECT_EQ(doc->Header().height, 20 + r.height);
    const LayerRecord& text = doc->Layer(doc->CurrentLayer());
    // The calendar's bottom-right pixel lies at the new canvas's edge.
    EXPECT_EQ(text.textX, 30);
    EXPECT_EQ(text.textY, 20);
    ASSERT_TRUE(doc->History().Undo());
    EXPECT_EQ(StepName(*doc), texts::kStepCanvasSize);
    ASSERT_TRUE(doc->History().Undo());
    EXPECT_EQ(doc->Header().width, 60);
    EXPECT_EQ(doc->Header().height, 40);
    EXPECT_EQ(doc->CountLayers(), 1);
}

TEST(CalendarLayer, ARefusedDateChangesNothing) {
    test::BlockTextPlatform platform;
    auto doc = test::MakeDocument(60, 40);
    ASSERT_TRUE(doc);
    CalendarRequest request;
    request.year = 2001, request.month = 0;
    EXPECT_FALSE(PutCalendar(*doc, request));
    EXPECT_EQ(doc->CountLayers(), 1);
    ASSERT_FALSE(platform.messages.empty());
    EXPECT_EQ(platform.messages.back(), texts::kCalendarBadDate);
}
