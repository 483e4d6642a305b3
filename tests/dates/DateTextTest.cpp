#include "dates/DateText.h"
#include "tests/dates/DateTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brisk {
namespace {

using test::isoOrRefused;

// One text and what it reads as, day-first and month-first.
struct TextCase {
    std::string text;
    const char* dayFirst;
    const char* monthFirst;
};

void expectReadings(const std::vector<TextCase>& cases)
{
    for (const auto& c : cases) {
        EXPECT_EQ(isoOrRefused(parseDateText(c.text, DateOrder::DayFirst)), c.dayFirst) << '"' << c.text << '"';
        EXPECT_EQ(isoOrRefused(parseDateText(c.text, DateOrder::MonthFirst)), c.monthFirst) << '"' << c.text << '"';
    }
}

TEST(DateText, ReadsWordDatesWithOptionalWeekdayAndTime)
{
    expectReadings({
        {"Monday, September 02, 2002 3:45 PM", "2002-09-02 15:45:00", "2002-09-02 15:45:00"},
        {"Monday, September 02, 2002 3:45 PM\r", "2002-09-02 15:45:00", "2002-09-02 15:45:00"},
        {"  Monday, September 02, 2002 3:45 PM \r\n", "2002-09-02 15:45:00", "2002-09-02 15:45:00"},
        {"September 02, 2002 3:45 PM", "2002-09-02 15:45:00", "2002-09-02 15:45:00"},
        {"September 2 2002", "2002-09-02 00:00:00", "2002-09-02 00:00:00"},
        {"sep 2, 02", "2002-09-02 00:00:00", "2002-09-02 00:00:00"},
        {"mon, SEPTEMBER 02, 2002", "2002-09-02 00:00:00", "2002-09-02 00:00:00"},
        {"22 August 2002 19:58", "2002-08-22 19:58:00", "2002-08-22 19:58:00"},
        {"Thursday 22 August 2002 19:58", "2002-08-22 19:58:00", "2002-08-22 19:58:00"},
        {"9 oct 2001 07:05:09", "2001-10-09 07:05:09", "2001-10-09 07:05:09"},
        {"1 May 1991", "1991-05-01 00:00:00", "1991-05-01 00:00:00"},
        {"TUE 1 jan 1991 0:00", "1991-01-01 00:00:00", "1991-01-01 00:00:00"},
        {"Sunday,22,December,2002", "2002-12-22 00:00:00", "2002-12-22 00:00:00"},
    });
}

TEST(DateText, ReadsNumericDatesInTheGivenOrderFirst)
{
    expectReadings({
        {"Wed 2/6/2002 3:44 PM", "2002-06-02 15:44:00", "2002-02-06 15:44:00"},
        {"02/06/2002", "2002-06-02 00:00:00", "2002-02-06 00:00:00"},
        {"02.06.2002", "2002-06-02 00:00:00", "2002-02-06 00:00:00"},
        {"02-06-2002", "2002-06-02 00:00:00", "2002-02-06 00:00:00"},
        {"01/01/11", "2011-01-01 00:00:00", "2011-01-01 00:00:00"},
        {"31/12/11", "2011-12-31 00:00:00", "2011-12-31 00:00:00"},
        {"12/31/11", "2011-12-31 00:00:00", "2011-12-31 00:00:00"},
        {"09/25/02", "2002-09-25 00:00:00", "2002-09-25 00:00:00"},
        {"25.09.02 08:15", "2002-09-25 08:15:00", "2002-09-25 08:15:00"},
        {"1/2/29", "2029-02-01 00:00:00", "2029-01-02 00:00:00"},
        {"1/2/30", "1930-02-01 00:00:00", "1930-01-02 00:00:00"},
        {"29/2/2004", "2004-02-29 00:00:00", "2004-02-29 00:00:00"},
        {"2002-09-25", "2002-09-25 00:00:00", "2002-09-25 00:00:00"},
        {"2002-9-5 23:59:59", "2002-09-05 23:59:59", "2002-09-05 23:59:59"},
        {"fri 2002-09-27", "2002-09-27 00:00:00", "2002-09-27 00:00:00"},
    });
}

TEST(DateText, ReadsTwelveAndTwentyFourHourClocks)
{
    expectReadings({
        {"2 Sep 2002 3:45 PM", "2002-09-02 15:45:00", "2002-09-02 15:45:00"},
        {"2 Sep 2002 3:45PM", "2002-09-02 15:45:00", "2002-09-02 15:45:00"},
        {"2 Sep 2002 3:45  pm", "2002-09-02 15:45:00", "2002-09-02 15:45:00"},
        {"2 Sep 2002 3:45 am", "2002-09-02 03:45:00", "2002-09-02 03:45:00"},
        {"2 Sep 2002 12:00 AM", "2002-09-02 00:00:00", "2002-09-02 00:00:00"},
        {"2 Sep 2002 12:30 PM", "2002-09-02 12:30:00", "2002-09-02 12:30:00"},
        {"2 Sep 2002 11:59:59 PM", "2002-09-02 23:59:59", "2002-09-02 23:59:59"},
        {"2 Sep 2002 0:00", "2002-09-02 00:00:00", "2002-09-02 00:00:00"},
        {"2 Sep 2002 23:59", "2002-09-02 23:59:00", "2002-09-02 23:59:00"},
        {"2 Sep 2002 07:05", "2002-09-02 07:05:00", "2002-09-02 07:05:00"},
    });
}

TEST(DateText, RefusesImpossibleCalendarDatesAndClockTimes)
{
    expectReadings({
        {"31 February 2002", "refused", "refused"},
        {"29/02/2001", "refused", "refused"},
        {"29/02/1900", "refused", "refused"},
        {"31/04/2002", "refused", "refused"},
        {"13/13/2002", "refused", "refused"},
        {"0/5/2002", "refused", "refused"},
        {"2002-02-30", "refused", "refused"},
        {"2002-13-01", "refused", "refused"},
        {"2 Sep 2002 24:00", "refused", "refused"},
        {"2 Sep 2002 3:60", "refused", "refused"},
        {"2 Sep 2002 3:45:60", "refused", "refused"},
        {"2 Sep 2002 13:00 PM", "refused", "refused"},
        {"2 Sep 2002 0:30 AM", "refused", "refused"},
    });
}

TEST(DateText, RefusesEverythingElse)
{
    expectReadings({
        {"", "refused", "refused"},
        {" \r", "refused", "refused"},
        {"abc", "refused", "refused"},
        {"3:45 PM", "refused", "refused"},
        {"Monday", "refused", "refused"},
        {"Tuesday, February 05, 20022:14 PM", "refused", "refused"},
        {"Tue 10/9/2001 4:48 PM=20", "refused", "refused"},
        {"2/6/2002 3:44 PM extra", "refused", "refused"},
        {"2/6/2002 3:44 PM PM", "refused", "refused"},
        {"2/6/2002 3:44 XM", "refused", "refused"},
        {"2 Sep 002", "refused", "refused"},
        {"2 Sep 2", "refused", "refused"},
        {"2/6/202", "refused", "refused"},
        {"2/6/20021", "refused", "refused"},
        {"2/6-2002", "refused", "refused"},
        {"2 / 6 / 2002", "refused", "refused"},
        {"2:6:2002", "refused", "refused"},
        {"2002/09/25", "refused", "refused"},
        {"002-09-25", "refused", "refused"},
        {"2 Sept 2002", "refused", "refused"},
        {"2 Sep 2002 3:5", "refused", "refused"},
        {"2 Sep 2002 345:00", "refused", "refused"},
        {"2 Sep 20023:45", "refused", "refused"},
        {"2 Sep 2002 3:45 Monday", "refused", "refused"},
        {"Mon Sep 2 15:45:00 2002", "refused", "refused"},
        {"Funday 2 Sep 2002", "refused", "refused"},
        {"Mon2 Sep 2002", "refused", "refused"},
        {"woensdag 12 september 2001 17:52", "refused", "refused"},
        {"2\xC2\xA0Sep 2002", "refused", "refused"},
        {"1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17", "refused", "refused"},
    });
}

TEST(DateText, LocaleOrderIsMonthFirstOnlyForTheUsTerritory)
{
    const auto month = DateOrder::MonthFirst, day = DateOrder::DayFirst;
    const std::vector<std::pair<const char*, DateOrder>> cases = {
        {"en_US.UTF-8", month}, {"es_US.UTF-8", month}, {"en_US", month},  {"en_US@euro", month},
        {"en_GB.UTF-8", day},   {"de_DE.UTF-8", day},   {"C.UTF-8", day},  {"POSIX", day},
        {"", day},
    };
    for (const auto& [name, expected] : cases)
        EXPECT_EQ(dateOrderOfLocale(name), expected) << name;
}

} // namespace
} // namespace brisk
