#include "dates/DateValue.h"
#include "dates/TimeZone.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brisk {
namespace {

TEST(DateValue, CountsDaysFrom30December1899AndSplitsBack)
{
    struct Case {
        DateParts parts;
        double serial;
    } cases[] = {
        {{1899, 12, 29, 0, 0, 0}, -1.0},
        {{1899, 12, 30, 6, 0, 0}, 0.25},
        {{1900, 3, 1, 0, 0, 0}, 61.0},
        {{1991, 1, 1, 9, 8, 59}, 33239.0 + (9 * 3600 + 8 * 60 + 59) / 86400.0},
        {{2000, 2, 29, 12, 0, 0}, 36585.5},
        {{2021, 1, 1, 0, 0, 0}, 44197.0},
    };
    for (const auto& [p, serial] : cases) {
        const DateValue value = makeDate(p.year, p.month, p.day, p.hour, p.minute, p.second);
        EXPECT_NEAR(value, serial, 1e-9) << formatIsoTimestamp(value);
        const DateParts back = splitDate(value);
        EXPECT_EQ(std::vector<int>({back.year, back.month, back.day, back.hour, back.minute, back.second}),
                  std::vector<int>({p.year, p.month, p.day, p.hour, p.minute, p.second}));
    }
    EXPECT_EQ(formatIsoTimestamp(datePart(makeDate(2002, 9, 2, 15, 45, 10))), "2002-09-02 00:00:00");
}

// Every calendar day of the analysis window, at its last second: month
// lengths and leap years (1900 is none, 2000 is one) all take part.
TEST(DateValue, EveryDayOfTheWindowRoundTripsWithItsLastSecond)
{
    int checked = 0;
    for (int year = 1899; year <= 2021; ++year)
        for (int month = 1; month <= 12; ++month)
            for (int day = 1; day <= 31; ++day) {
                if (!isValidDate(year, month, day))
                    continue;
                const DateParts p = splitDate(makeDate(year, month, day, 23, 59, 59));
                ASSERT_TRUE(p.year == year && p.month == month && p.day == day && p.hour == 23 && p.minute == 59 &&
                            p.second == 59)
                    << year << "-" << month << "-" << day;
                ++checked;
            }
    EXPECT_EQ(checked, 365 * 123 + 30); // 123 years, 30 of them leap years
    EXPECT_FALSE(isValidDate(2002, 13, 1) || isValidDate(2002, 0, 1) || isValidDate(2002, 12, 0));
}

TEST(DateValue, WeekdaysAndDifferencesThatCountBoundariesCrossed)
{
    const std::pair<DateValue, int> weekdays[] = {{makeDate(1991, 1, 1), 2},
                                                  {makeDate(1899, 12, 30, 23, 59, 59), 6},
                                                  {makeDate(1899, 12, 29, 12, 0, 0), 5}, // before the epoch
                                                  {makeDate(2004, 2, 29, 7, 0, 0), 7}};
    for (auto [value, weekday] : weekdays)
        EXPECT_EQ(weekdayOf(value), weekday) << formatIsoTimestamp(value);
    struct Case {
        DateValue from, to;
        long long days, hours, minutes;
    } cases[] = {
        {makeDate(2002, 9, 2, 9, 8, 59), makeDate(2002, 9, 2, 9, 9, 1), 0, 0, 1},
        {makeDate(2002, 9, 2, 9, 8, 0), makeDate(2002, 9, 2, 9, 8, 59), 0, 0, 0},
        {makeDate(2002, 9, 2, 9, 59, 59), makeDate(2002, 9, 2, 10, 0, 0), 0, 1, 1},
        {makeDate(2002, 9, 2, 23, 59, 0), makeDate(2002, 9, 3, 0, 1, 0), 1, 1, 2},
        {makeDate(2002, 9, 2, 0, 0, 0), makeDate(2002, 9, 2, 23, 59, 59), 0, 23, 1439},
        {makeDate(1899, 12, 29, 23, 0, 0), makeDate(1899, 12, 30, 1, 0, 0), 1, 2, 120},
    };
    for (const auto& c : cases) {
        const std::string label = formatIsoTimestamp(c.from) + " -> " + formatIsoTimestamp(c.to);
        EXPECT_EQ(std::vector<long long>({daysBetween(c.from, c.to), hoursBetween(c.from, c.to), minutesBetween(c.from, c.to)}),
                  std::vector<long long>({c.days, c.hours, c.minutes})) << label;
        EXPECT_EQ(std::vector<long long>({daysBetween(c.to, c.from), hoursBetween(c.to, c.from), minutesBetween(c.to, c.from)}),
                  std::vector<long long>({-c.days, -c.hours, -c.minutes})) << label;
    }
}

// Several zones live side by side in one process, whatever TZ says.
TEST(DateValue, FromUnixTimeGivesLocalTimeOfTheZone)
{
    struct Case {
        const char* zone;
        long long unixSeconds;
        const char* local;
    } cases[] = {
        {"UTC", 0, "1970-01-01 00:00:00"},
        {"UTC", 1609477199, "2021-01-01 04:59:59"},
        // British Summer Time began on 31 March 2002 at 01:00 UTC.
        {"Europe/London", 1011096000, "2002-01-15 12:00:00"},
        {"Europe/London", 1017536399, "2002-03-31 00:59:59"},
        {"Europe/London", 1017536400, "2002-03-31 02:00:00"},
        {"America/New_York", 1017536400, "2002-03-30 20:00:00"}, // London moved, New York not yet
        {"America/New_York", 1025524800, "2002-07-01 08:00:00"},
        {"America/New_York", 1609477199, "2020-12-31 23:59:59"},
        {"America/New_York", 10413792000, "2299-12-31 19:00:00"}, // beyond the table: the rules
    };
    for (const auto& c : cases) {
        const auto zone = TimeZone::named(c.zone);
        ASSERT_TRUE(zone) << c.zone;
        EXPECT_EQ(formatIsoTimestamp(fromUnixTime(c.unixSeconds, *zone)), c.local) << c.zone << " " << c.unixSeconds;
    }
    EXPECT_FALSE(TimeZone::named("Nowhere/Atlantis"));
}

TEST(DateValue, TimeStampTextsAndTheExactLogFormBack)
{
    struct Case {
        DateValue value;
        const char *log, *file, *shortDate, *iso;
    } cases[] = {
        {makeDate(2002, 9, 2, 15, 4, 5), "02-09-02 15:04:05", "02-09-02 15-04-05", "02/09/02", "2002-09-02 15:04:05"},
        {makeDate(1991, 1, 1), "01-01-91 00:00:00", "01-01-91 00-00-00", "01/01/91", "1991-01-01 00:00:00"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(std::vector<std::string>({formatLogTimestamp(c.value), formatFileTimestamp(c.value),
                                            formatShortDate(c.value), formatIsoTimestamp(c.value)}),
                  std::vector<std::string>({c.log, c.file, c.shortDate, c.iso}));
        EXPECT_EQ(parseLogTimestamp(c.log), c.value);
    }
    // Two-digit years 00-29 are 2000-2029, 30-99 are 1930-1999.
    const std::pair<const char*, const char*> read[] = {{"01-01-29 00:00:00", "2029-01-01 00:00:00"},
                                                        {"01-01-30 00:00:00", "1930-01-01 00:00:00"},
                                                        {"31-12-99 23:59:59", "1999-12-31 23:59:59"},
                                                        {"29-02-00 12:00:00", "2000-02-29 12:00:00"}};
    for (const auto& [text, iso] : read)
        EXPECT_EQ(formatIsoTimestamp(parseLogTimestamp(text).value_or(0)), iso) << text;
    for (const char* text : {"29-02-01 12:00:00", "31-04-02 12:00:00", "00-01-02 12:00:00", "01-13-02 12:00:00",
                             "01-01-02 24:00:00", "01-01-02 12:60:00", "01-01-02 12:00:60", "1-01-02 12:00:00",
                             "01-01-2002 12:00:00", "01-01-02 12-00-00", "01/01/02 12:00:00", "01-01-02 12:00:00 ",
                             "01-01-02", ""})
        EXPECT_FALSE(parseLogTimestamp(text)) << '"' << text << '"';
}

} // namespace
} // namespace brisk
