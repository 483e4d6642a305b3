#include "dates/DateValue.h"
#include "dates/TimeZone.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <tuple>

namespace brisk {
namespace {

DateValue at(const char* iso)
{
    int p[6] = {};
    std::sscanf(iso, "%d-%d-%d %d:%d:%d", &p[0], &p[1], &p[2], &p[3], &p[4], &p[5]);
    return makeDate(p[0], p[1], p[2], p[3], p[4], p[5]);
}

TEST(DateValue, CountsDaysFrom30December1899AndSplitsBack)
{
    const std::pair<const char*, double> cases[] = {
        {"1899-12-29 00:00:00", -1.0},   {"1899-12-30 06:00:00", 0.25}, {"1900-03-01 00:00:00", 61.0},
        {"2000-02-29 12:00:00", 36585.5}, {"2021-01-01 00:00:00", 44197.0},
        {"1991-01-01 09:08:59", 33239.0 + (9 * 3600 + 8 * 60 + 59) / 86400.0},
    };
    for (const auto& [iso, serial] : cases) {
        EXPECT_NEAR(at(iso), serial, 1e-9) << iso;
        EXPECT_EQ(formatIsoTimestamp(serial), iso);
    }
    EXPECT_EQ(formatIsoTimestamp(datePart(at("2002-09-02 15:45:10"))), "2002-09-02 00:00:00");
}

// Every calendar day of the analysis window, at its last second: month
// lengths and leap years (1900 is none, 2000 is one) all take part.
TEST(DateValue, EveryDayOfTheWindowRoundTripsWithItsLastSecond)
{
    int checked = 0;
    for (int year = 1899; year <= 2021; ++year)
        for (int month = 1; month <= 12; ++month)
            for (int day = 1; isValidDate(year, month, day); ++day, ++checked) {
                const DateParts p = splitDate(makeDate(year, month, day, 23, 59, 59));
                ASSERT_EQ(std::tie(p.year, p.month, p.day, p.hour, p.minute, p.second),
                          std::tuple(year, month, day, 23, 59, 59));
            }
    EXPECT_EQ(checked, 365 * 123 + 30); // 123 years, 30 of them leap years
    EXPECT_FALSE(isValidDate(2002, 13, 1) || isValidDate(2002, 0, 1) || isValidDate(2002, 12, 0));
}

TEST(DateValue, WeekdaysAndDifferencesThatCountBoundariesCrossed)
{
    // The second to last is before the epoch.
    const std::pair<const char*, int> weekdays[] = {{"1991-01-01 00:00:00", 2}, {"1899-12-30 23:59:59", 6},
                                                    {"1899-12-29 12:00:00", 5}, {"2004-02-29 07:00:00", 7}};
    for (auto [iso, weekday] : weekdays)
        EXPECT_EQ(weekdayOf(at(iso)), weekday) << iso;
    const auto spans = [](const char* from, const char* to) {
        return std::array<long long, 3>{daysBetween(at(from), at(to)), hoursBetween(at(from), at(to)),
                                        minutesBetween(at(from), at(to))};
    };
    const std::tuple<const char*, const char*, long long, long long, long long> cases[] = {
        {"2002-09-02 09:08:59", "2002-09-02 09:09:01", 0, 0, 1},
        {"2002-09-02 09:08:00", "2002-09-02 09:08:59", 0, 0, 0},
        {"2002-09-02 09:59:59", "2002-09-02 10:00:00", 0, 1, 1},
        {"2002-09-02 23:59:00", "2002-09-03 00:01:00", 1, 1, 2},
        {"2002-09-02 00:00:00", "2002-09-02 23:59:59", 0, 23, 1439},
        {"1899-12-29 23:00:00", "1899-12-30 01:00:00", 1, 2, 120},
    };
    for (const auto& [from, to, days, hours, minutes] : cases) {
        EXPECT_EQ(spans(from, to), (std::array<long long, 3>{days, hours, minutes})) << from << " -> " << to;
        EXPECT_EQ(spans(to, from), (std::array<long long, 3>{-days, -hours, -minutes})) << to << " -> " << from;
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
    const DateValue value = at("2002-09-02 15:04:05");
    EXPECT_EQ((std::array{formatLogTimestamp(value), formatFileTimestamp(value), formatShortDate(value)}),
              (std::array<std::string, 3>{"02-09-02 15:04:05", "02-09-02 15-04-05", "02/09/02"}));
    EXPECT_EQ(formatLogTimestamp(at("1991-01-01 00:00:00")), "01-01-91 00:00:00");
    // Two-digit years 00-29 are 2000-2029, 30-99 are 1930-1999.
    const std::pair<const char*, const char*> read[] = {
        {"02-09-02 15:04:05", "2002-09-02 15:04:05"}, {"01-01-29 00:00:00", "2029-01-01 00:00:00"},
        {"01-01-30 00:00:00", "1930-01-01 00:00:00"}, {"31-12-99 23:59:59", "1999-12-31 23:59:59"},
        {"29-02-00 12:00:00", "2000-02-29 12:00:00"},
    };
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
