#include "dates/DateValue.h"
#include "dates/TimeZone.h"
#include "tests/dates/DateTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace brisk {
namespace {

using test::isoOrRefused;

struct SerialCase {
    DateParts parts;
    double serial;
};

TEST(DateValue, MakeDateCountsDaysFrom30December1899AndSplitsBack)
{
    const std::vector<SerialCase> cases = {
        {{1899, 12, 30, 0, 0, 0}, 0.0},
        {{1899, 12, 29, 0, 0, 0}, -1.0},
        {{1899, 12, 30, 6, 0, 0}, 0.25},
        {{1900, 1, 1, 0, 0, 0}, 2.0},
        {{1900, 3, 1, 0, 0, 0}, 61.0},
        {{1991, 1, 1, 0, 0, 0}, 33239.0},
        {{1991, 1, 1, 9, 8, 59}, 33239.0 + (9 * 3600 + 8 * 60 + 59) / 86400.0},
        {{2000, 2, 29, 12, 0, 0}, 36585.5},
        {{2004, 2, 29, 23, 59, 59}, 38046.0 + 86399 / 86400.0},
        {{2020, 12, 25, 0, 0, 0}, 44190.0},
        {{2021, 1, 1, 0, 0, 0}, 44197.0},
    };
    for (const auto& c : cases) {
        const auto& p = c.parts;
        const DateValue value = makeDate(p.year, p.month, p.day, p.hour, p.minute, p.second);
        EXPECT_NEAR(value, c.serial, 1e-9) << formatIsoTimestamp(value);
        const DateParts back = splitDate(value);
        EXPECT_EQ(std::vector<int>({back.year, back.month, back.day, back.hour, back.minute, back.second}),
                  std::vector<int>({p.year, p.month, p.day, p.hour, p.minute, p.second}));
    }
}

TEST(DateValue, EveryDayOfTheWindowRoundTripsWithItsLastSecond)
{
    int checked = 0;
    for (int year = 1899; year <= 2021; ++year)
        for (int month = 1; month <= 12; ++month)
            for (int day = 1; day <= 31; ++day) {
                if (!isValidDate(year, month, day))
                    continue;
                const DateParts p = splitDate(makeDate(year, month, day, 23, 59, 59));
                ASSERT_TRUE(p.year == year && p.month == month && p.day == day && p.hour == 23 &&
                            p.minute == 59 && p.second == 59)
                    << year << "-" << month << "-" << day;
                ++checked;
            }
    EXPECT_EQ(checked, 365 * 123 + 30);  // 123 years, 30 of them leap years
}

TEST(DateValue, IsValidDateKnowsMonthLengthsAndLeapYears)
{
    struct Case {
        int year, month, day;
        bool valid;
    };
    const std::vector<Case> cases = {
        {2002, 1, 31, true},  {2002, 4, 31, false}, {2002, 2, 28, true},  {2002, 2, 29, false},
        {2004, 2, 29, true},  {2000, 2, 29, true},  {1900, 2, 29, false}, {2002, 0, 1, false},
        {2002, 13, 1, false}, {2002, 12, 0, false}, {2002, 12, 31, true}, {2002, 11, 31, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isValidDate(c.year, c.month, c.day), c.valid) << c.year << "-" << c.month << "-" << c.day;
}

TEST(DateValue, WeekdayHourAndMonthOfADate)
{
    struct Case {
        DateValue value;
        int weekday, hour, month;
    };
    const std::vector<Case> cases = {
        {makeDate(1991, 1, 1, 0, 0, 0), 2, 0, 1},     // a Tuesday
        {makeDate(1899, 12, 30, 23, 59, 59), 6, 23, 12},
        {makeDate(1899, 12, 29, 12, 0, 0), 5, 12, 12},  // before the epoch
        {makeDate(2002, 9, 2, 15, 45, 0), 1, 15, 9},   // a Monday
        {makeDate(2004, 2, 29, 7, 0, 0), 7, 7, 2},     // a Sunday
        {makeDate(2020, 12, 25, 9, 30, 0), 5, 9, 12},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(weekdayOf(c.value), c.weekday) << formatIsoTimestamp(c.value);
        EXPECT_EQ(splitDate(c.value).hour, c.hour) << formatIsoTimestamp(c.value);
        EXPECT_EQ(splitDate(c.value).month, c.month) << formatIsoTimestamp(c.value);
    }
    EXPECT_EQ(formatIsoTimestamp(datePart(makeDate(2002, 9, 2, 15, 45, 10))), "2002-09-02 00:00:00");
}

TEST(DateValue, DifferencesCountBoundariesCrossed)
{
    struct Case {
        DateValue from, to;
        long long days, hours, minutes;
    };
    const std::vector<Case> cases = {
        {makeDate(2002, 9, 2, 9, 8, 59), makeDate(2002, 9, 2, 9, 9, 1), 0, 0, 1},
        {makeDate(2002, 9, 2, 9, 8, 0), makeDate(2002, 9, 2, 9, 8, 59), 0, 0, 0},
        {makeDate(2002, 9, 2, 9, 59, 59), makeDate(2002, 9, 2, 10, 0, 0), 0, 1, 1},
        {makeDate(2002, 9, 2, 23, 59, 0), makeDate(2002, 9, 3, 0, 1, 0), 1, 1, 2},
        {makeDate(2002, 9, 2, 0, 0, 0), makeDate(2002, 9, 2, 23, 59, 59), 0, 23, 1439},
        {makeDate(2000, 2, 28, 12, 0, 0), makeDate(2000, 3, 1, 12, 0, 0), 2, 48, 2880},
        {makeDate(1899, 12, 29, 23, 0, 0), makeDate(1899, 12, 30, 1, 0, 0), 1, 2, 120},
    };
    for (const auto& c : cases) {
        const std::string label = formatIsoTimestamp(c.from) + " -> " + formatIsoTimestamp(c.to);
        EXPECT_EQ(daysBetween(c.from, c.to), c.days) << label;
        EXPECT_EQ(hoursBetween(c.from, c.to), c.hours) << label;
        EXPECT_EQ(minutesBetween(c.from, c.to), c.minutes) << label;
        EXPECT_EQ(daysBetween(c.to, c.from), -c.days) << label;
        EXPECT_EQ(hoursBetween(c.to, c.from), -c.hours) << label;
        EXPECT_EQ(minutesBetween(c.to, c.from), -c.minutes) << label;
    }
}

struct UnixCase {
    long long unixSeconds;
    const char* local;
};

void expectLocalTimes(const char* zone, const std::vector<UnixCase>& cases)
{
    const auto tz = TimeZone::named(zone);
    ASSERT_TRUE(tz) << zone;
    for (const auto& c : cases)
        EXPECT_EQ(formatIsoTimestamp(fromUnixTime(c.unixSeconds, *tz)), c.local) << zone << " " << c.unixSeconds;
}

// Several zones live side by side in one process, whatever TZ says.
TEST(DateValue, FromUnixTimeGivesLocalTimeOfTheZone)
{
    expectLocalTimes("UTC", {{0, "1970-01-01 00:00:00"},
                             {662688000, "1991-01-01 00:00:00"},
                             {1025524800, "2002-07-01 12:00:00"},
                             {1609477199, "2021-01-01 04:59:59"}});
    // British Summer Time began on 31 March 2002 at 01:00 UTC.
    expectLocalTimes("Europe/London", {{1011096000, "2002-01-15 12:00:00"},
                                       {1025524800, "2002-07-01 13:00:00"},
                                       {1017536399, "2002-03-31 00:59:59"},
                                       {1017536400, "2002-03-31 02:00:00"}});
    expectLocalTimes("America/New_York", {{1011096000, "2002-01-15 07:00:00"},
                                          {1025524800, "2002-07-01 08:00:00"},
                                          {1609477199, "2020-12-31 23:59:59"},
                                          {1017536400, "2002-03-30 20:00:00"},     // London moved, New York not yet
                                          {10413792000, "2299-12-31 19:00:00"}}); // beyond the table: the rules
    EXPECT_FALSE(TimeZone::named("Nowhere/Atlantis"));
}

TEST(DateValue, TimeStampTextsUseTwoDigitFields)
{
    struct Case {
        DateValue value;
        const char *log, *file, *shortDate, *iso;
    };
    const std::vector<Case> cases = {
        {makeDate(2002, 9, 2, 15, 4, 5), "02-09-02 15:04:05", "02-09-02 15-04-05", "02/09/02", "2002-09-02 15:04:05"},
        {makeDate(1991, 1, 1), "01-01-91 00:00:00", "01-01-91 00-00-00", "01/01/91", "1991-01-01 00:00:00"},
        {makeDate(2020, 12, 31, 23, 59, 59), "31-12-20 23:59:59", "31-12-20 23-59-59", "31/12/20",
         "2020-12-31 23:59:59"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(formatLogTimestamp(c.value), c.log);
        EXPECT_EQ(formatFileTimestamp(c.value), c.file);
        EXPECT_EQ(formatShortDate(c.value), c.shortDate);
        EXPECT_EQ(formatIsoTimestamp(c.value), c.iso);
    }
}

TEST(DateValue, ParseLogTimestampReadsOnlyTheExactForm)
{
    struct Case {
        const char* text;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"02-09-02 15:04:05", "2002-09-02 15:04:05"},
        {"01-01-29 00:00:00", "2029-01-01 00:00:00"},
        {"01-01-30 00:00:00", "1930-01-01 00:00:00"},
        {"31-12-99 23:59:59", "1999-12-31 23:59:59"},
        {"29-02-00 12:00:00", "2000-02-29 12:00:00"},
        {"29-02-01 12:00:00", "refused"},
        {"31-04-02 12:00:00", "refused"},
        {"00-01-02 12:00:00", "refused"},
        {"01-13-02 12:00:00", "refused"},
        {"01-01-02 24:00:00", "refused"},
        {"01-01-02 12:60:00", "refused"},
        {"01-01-02 12:00:60", "refused"},
        {"1-01-02 12:00:00", "refused"},
        {"01-01-2002 12:00:00", "refused"},
        {"01-01-02 12-00-00", "refused"},
        {"01/01/02 12:00:00", "refused"},
        {"01-01-02 12:00:00 ", "refused"},
        {"01-01-02", "refused"},
        {"", "refused"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isoOrRefused(parseLogTimestamp(c.text)), c.expected) << '"' << c.text << '"';

    const DateValue value = makeDate(2011, 6, 30, 9, 0, 1);
    EXPECT_EQ(parseLogTimestamp(formatLogTimestamp(value)), value);
}

TEST(DateValue, TwoDigitYearsPivotAt2029)
{
    const std::vector<std::pair<int, int>> cases = {{0, 2000}, {2, 2002}, {29, 2029}, {30, 1930}, {91, 1991}, {99, 1999}};
    for (const auto& [twoDigits, year] : cases)
        EXPECT_EQ(expandTwoDigitYear(twoDigits), year) << twoDigits;
}

} // namespace
} // namespace brisk
