// The insights: nearest-rank percentiles and shares of the response times,
// the weekday by hour map in local time, working time and its settings.

#include "engine/Insights.h"
#include "tests/engine/EngineRun.h"

#include <gtest/gtest.h>

namespace brisk {
namespace {

struct Slot {
    std::int32_t minutes;
    bool responded = true;
};

PerItemArrays itemsWith(const std::vector<Slot>& slots)
{
    PerItemArrays items;
    for (const Slot& s : slots) {
        items.vItemResponseMinutes.push_back(s.minutes);
        items.responded.push_back(s.responded);
    }
    return items;
}

TEST(ResponsePercentilesTest, NearestRankOverTheResponseTimesThatExist)
{
    const std::tuple<const char*, std::vector<Slot>, std::optional<ResponsePercentiles>> cases[] = {
        {"n = 1", {{42}}, ResponsePercentiles{42, 42, 42, 42}},
        {"n = 2", {{20}, {10}}, ResponsePercentiles{10, 10, 20, 20}},
        {"n = 4, unsorted", {{40}, {10}, {30}, {20}}, ResponsePercentiles{10, 20, 30, 40}},
        {"negative times sort first", {{-30}, {100}, {-5}, {5}}, ResponsePercentiles{-30, -5, 5, 100}},
        {"n = 10: 90% is rank 9", {{1}, {2}, {3}, {4}, {5}, {6}, {7}, {8}, {9}, {10}}, ResponsePercentiles{3, 5, 8, 9}},
        {"slots without a response time", {{-1, false}, {7}, {-1, false}}, ResponsePercentiles{7, 7, 7, 7}},
        {"a real -1 minute counts", {{-1}, {-1, false}, {3}}, ResponsePercentiles{-1, -1, 3, 3}},
        {"no response time", {{-1, false}}, std::nullopt},
        {"no slots", {}, std::nullopt},
    };
    for (const auto& [what, slots, expected] : cases)
        EXPECT_EQ(responsePercentiles(sortedResponseMinutes(itemsWith(slots))), expected) << what;
}

TEST(AnsweredWithinTest, SharesAtTheHourDayAndWeekBoundaries)
{
    const std::pair<std::vector<Slot>, std::array<double, 3>> cases[] = {
        {{{60}}, {1, 1, 1}},      {{{61}}, {0, 1, 1}},    {{{1440}}, {0, 1, 1}},
        {{{1441}}, {0, 0, 1}},    {{{10080}}, {0, 0, 1}}, {{{10081}}, {0, 0, 0}},
        {{{-5}, {0}}, {1, 1, 1}}, {{{30}, {61}, {1441}, {10081}}, {0.25, 0.5, 0.75}},
        {{{59}, {9000, false}, {20000}}, {0.5, 0.5, 0.5}},
    };
    for (const auto& [slots, shares] : cases) {
        const auto got = answeredWithin(sortedResponseMinutes(itemsWith(slots))).value();
        EXPECT_EQ((std::array{got.hour, got.day, got.week}), shares) << slots.front().minutes;
    }
    EXPECT_FALSE(answeredWithin({}));
}

TEST(WorkingTimeSetting, TextFormsAndTheirErrors)
{
    using Days = std::array<bool, 7>;
    const std::tuple<const char*, Days, const char*> days[] = {
        {"Mon-Fri", Days{1, 1, 1, 1, 1, 0, 0}, "Mon-Fri"},
        {"sun-THU", Days{1, 1, 1, 1, 0, 0, 1}, "Mon-Thu, Sun"},
        {"Mon, Wed ,Fri", Days{1, 0, 1, 0, 1, 0, 0}, "Mon, Wed, Fri"},
        {"Sat-Sat", Days{0, 0, 0, 0, 0, 1, 0}, "Sat"},
        {"Fri-Mon,Wed", Days{1, 0, 1, 0, 1, 1, 1}, "Mon, Wed, Fri-Sun"},
    };
    for (const auto& [text, parsed, shown] : days)
        EXPECT_EQ(std::tuple(parseWorkingDays(text), formatWorkingDays(parsed)),
                  std::tuple(std::optional(parsed), shown)) << text;
    for (const char* refused : {"", "Mon-", "Monday", "Mon-Fri,", "Mon;Tue"})
        EXPECT_FALSE(parseWorkingDays(refused)) << refused;
    const std::pair<const char*, std::array<int, 2>> hours[] = {
        {"09:00-18:00", {9, 18}}, {"0:00-24:00", {0, 24}}, {" 8:00 - 17:00 ", {8, 17}}, {"23:00-24:00", {23, 24}}};
    for (const auto& [text, range] : hours)
        EXPECT_EQ(parseWorkingHours(text), range) << text;
    for (const char* refused :
         {"18:00-09:00", "09:00-09:00", "09:30-18:00", "9-18", "24:00-25:00", "09:00", "0a:00-12:00"})
        EXPECT_FALSE(parseWorkingHours(refused)) << refused;
    EXPECT_EQ(parseWorkingTime("Mon-Fri", "09:00-18:00"), WorkingTime{});
    EXPECT_EQ(formatWorkingHours(WorkingTime{}), "09:00-18:00");
    EXPECT_FALSE(parseWorkingTime("Mon-Fri", "9-18"));
}

// Items analysed by the message analysis, as a run stores them.
class InsightsOfAnalysedItems : public ::testing::Test, public test::Analysed {
protected:
    void feedAt(DateValue at, const char* type = "MailItem") { feed({.typeName = type, .receivedTime = at}); }
    // The local time in `zone` the store gives for a time in UTC.
    DateValue utc(int year, int month, int day, int hour, int minute) const
    {
        const DateValue asUtc = makeDate(year, month, day, hour, minute);
        return fromUnixTime(toSeconds(asUtc) - toSeconds(makeDate(1970, 1, 1)), zone);
    }

    TimeZone zone = TimeZone::utc();
};

TEST_F(InsightsOfAnalysedItems, MapKeysAtMidnightAndAcrossDaylightSavingChanges)
{
    zone = *TimeZone::named("Europe/Berlin");
    feedAt(utc(2011, 3, 26, 23, 0));  // Sunday 00:00 CET, still Saturday in UTC
    feedAt(utc(2011, 3, 27, 0, 59));  // Sunday 01:59 CET
    feedAt(utc(2011, 3, 27, 1, 0));   // Sunday 03:00 CEST: 02:00 to 02:59 never happened
    feedAt(utc(2011, 3, 27, 21, 59)); // Sunday 23:59 CEST
    feedAt(utc(2011, 3, 27, 22, 0));  // Monday 00:00 CEST
    feedAt(utc(2011, 10, 30, 0, 30)); // Sunday 02:30 CEST
    feedAt(utc(2011, 10, 30, 1, 30)); // Sunday 02:30 CET, the hour again
    feedAt(utc(2011, 10, 30, 1, 30), "MeetingItem");
    feedAt(makeDate(2021, 1, 2), "MailItem"); // outside the window
    WeekHourMap expected{};
    for (auto [weekday, hour, count] : {std::array{6, 0, 1}, {6, 1, 1}, {6, 2, 2}, {6, 3, 1}, {6, 23, 1}, {0, 0, 1}})
        expected[static_cast<std::size_t>(weekday)][static_cast<std::size_t>(hour)] = count;
    const Insights in = computeInsights(state, WorkingTime{});
    EXPECT_EQ(in.heatmap, expected);
    // A Sunday and a Monday midnight: no working hours; no reply, no response figures.
    EXPECT_EQ(std::tuple(in.mappedItems, in.workingHoursShare, in.responsePercentiles.has_value(),
                         in.answeredWithin.has_value(), prompts.shown.size()),
              std::tuple(7, std::optional(0.0), false, false, 0u));
}

TEST_F(InsightsOfAnalysedItems, WorkingHoursAtTheirEdges)
{
    // 13 June 2011 is a Monday.
    const std::tuple<const char*, const char*, DateValue, bool> cases[] = {
        {"Mon-Fri", "09:00-18:00", makeDate(2011, 6, 13, 8, 59, 59), false},
        {"Mon-Fri", "09:00-18:00", makeDate(2011, 6, 13, 9, 0, 0), true},
        {"Mon-Fri", "09:00-18:00", makeDate(2011, 6, 17, 17, 59, 59), true},
        {"Mon-Fri", "09:00-18:00", makeDate(2011, 6, 17, 18, 0, 0), false},
        {"Mon-Fri", "09:00-18:00", makeDate(2011, 6, 18, 12, 0, 0), false},
        {"Sun-Thu", "08:00-17:00", makeDate(2011, 6, 19, 8, 0, 0), true},
        {"Sun-Thu", "08:00-17:00", makeDate(2011, 6, 16, 16, 59, 0), true},
        {"Sun-Thu", "08:00-17:00", makeDate(2011, 6, 16, 17, 0, 0), false},
        {"Sun-Thu", "08:00-17:00", makeDate(2011, 6, 17, 10, 0, 0), false},
        {"Mon-Sun", "00:00-24:00", makeDate(2011, 6, 19, 23, 59, 59), true},
        {"Mon-Sun", "00:00-24:00", makeDate(2011, 6, 20, 0, 0, 0), true},
    };
    for (const auto& [days, hours, received, inWorkingTime] : cases) {
        resetStatistics(state);
        PrepareAnalysisArrays(state, 4);
        feedAt(received);
        EXPECT_EQ(computeInsights(state, parseWorkingTime(days, hours).value()).workingHoursShare,
                  inWorkingTime ? 1.0 : 0.0) << days << ' ' << hours << ' ' << formatIsoTimestamp(received);
    }
    // Several items: the share is of all items in the map.
    resetStatistics(state);
    PrepareAnalysisArrays(state, 4);
    EXPECT_FALSE(computeInsights(state, WorkingTime{}).workingHoursShare) << "no item, no share";
    for (int i = 0; i < 5; ++i)
        feedAt(std::get<2>(cases[i]));
    EXPECT_DOUBLE_EQ(*computeInsights(state, WorkingTime{}).workingHoursShare, 2.0 / 5);
}

} // namespace
} // namespace brisk
