// The results panel's figures and the top lists, from known items; the
// insights: nearest-rank percentiles and shares of the response times, the
// weekday by hour map in local time, working time and its settings.

#include "engine/Insights.h"
#include "tests/engine/EngineRun.h"

#include <gtest/gtest.h>

namespace brisk {
namespace {

using test::MemoryFolder;

// Ten mails over four calendar days (12 to 15 June 2011), four of them
// replies quoted 150, 100, 50 and 20 minutes before they were sent (median
// 75), one of them in a subfolder, and a meeting item: 10 mails a day on
// average over 4 days (2.5 to even), 34 words and 25 KB over 10 mails.
TEST(Panel, AKnownRunShowsEveryFigure)
{
    test::MemoryStore store;
    MemoryFolder& sent = store.top().add("Sent Items");
    sent.addItem(
        {.receivedTime = makeDate(2011, 6, 12, 23), .body = "one two three four", .size = 3000});
    for (const std::string quoted : {"09:30", "10:20", "11:10", "11:40"}) // five words each
        sent.addItem({.receivedTime = makeDate(2011, 6, 15, 12), .subject = "RE: x",
                      .body = "Sent: 15 June 2011 " + quoted + "\r\n"});
    sent.addItem({.typeName = "MeetingItem"});
    for (int i = 0; i < 4; ++i)
        sent.addItem({.receivedTime = makeDate(2011, 6, 13, 9, i, 0)});
    sent.add("Sub").addItem({.receivedTime = makeDate(2011, 6, 14, 10), .body = "one two",
                             .size = 6000, .recipients = {"Bob", "Bob"}});
    test::EngineRun run(&sent);
    using Boxes = std::vector<std::string>;
    EXPECT_EQ(run.boxes(),
              (Boxes{"0", "10", "0", "0", "0", "0", "0", "0", "", "", "(0 email messages found)",
                     "Sent Items", "<none>", "<none>"}));
    run.click();
    EXPECT_EQ(run.boxes(),
              (Boxes{"11", "10", "2", "4", "3", "2", "40", "90", "1", "15",
                     "(10 email messages found)", "Sent Items", "Sub", "Hello"}));
    // Subfolders take the bar past its end; 15 June 2011 was a Wednesday.
    EXPECT_EQ(std::tuple(run.window.panel.progress, run.app.analysis.vWeekdayPercent(3),
                         run.app.analysis.vWeekdayPercent(1), run.prompts.shown.size()),
              std::tuple(1.1, 40.0, 40.0, 0u));
}

TEST(Panel, MediansRoundHalfToEvenAndErrorsAreReported)
{
    MemoryFolder folder("Sent Items", nullptr);
    test::RecordingPrompts prompts;
    AnalysisState s;
    s.lEmailsAnalysed = s.lResponseCount = 2;
    s.responseMinutes.insert(120);
    s.responseMinutes.insert(121);
    TextPanel panel;
    EXPECT_TRUE(UpdateLabels(s, &folder, panel, prompts));
    EXPECT_EQ(panel.boxText(PanelBox::MedianResponseHrLabel), "2");
    EXPECT_EQ(panel.boxText(PanelBox::MedianResponseMinLabel), "0"); // 120.5 to 120
    s.responseMinutes.clear();
    for (int i = 0; i < 3; ++i)
        s.responseMinutes.insert(-30); // quoted times after the reply
    UpdateLabels(s, &folder, panel, prompts);
    EXPECT_EQ(panel.boxText(PanelBox::MedianResponseMinLabel), "-30");

    struct FailingChart : TextPanel {
        bool writeChart() override { return false; }
    } failing;
    EXPECT_FALSE(UpdateLabels(s, &folder, failing, prompts)); // passed on, not reported
    EXPECT_TRUE(prompts.shown.empty());
    UpdateLabels(s, nullptr, panel, prompts);
    EXPECT_EQ(prompts.texts(), std::vector<std::string>{"BRISK Vezoriv Rizovave: Error in Updatelabels: lEmailsProcessed = 0"});
}

TEST(TopLists, TenMostFrequentByCountThenNameDescendingCutAndPadded)
{
    AnalysisState s;
    auto count = [&](RankedCounter& counter, const std::string& name, int times) {
        for (int k = 0; k < times; ++k)
            counter.add(counter.intern(name));
    };
    for (const auto& [name, times] : {std::pair{"A", 3}, {"B", 2}, {"C", 2}})
        count(s.names.senders, name, times);
    for (int n = 0; n < 12; ++n)
        count(s.names.receivers, "name" + std::to_string(n), n + 1);
    count(s.names.receivers, "J\xC3\xBCrgen M\xC3\xBCller-Schmidt", 5); // ties with name4
    s.lEmailsAnalysed = 7;
    TopListTables tables;
    tables.vTopSenderNames[5] = "stale";
    TextTopLists lists;
    test::RecordingPrompts prompts;
    UpdateSenderReceiverList(s, tables, lists, prompts);
    EXPECT_EQ(lists.lines[0], (std::vector<std::string>{"A              |43%", "C              |29%", "B              |29%"}));
    EXPECT_EQ(std::tuple(lists.texts[0], tables.vTopSenderCounts[0], tables.vTopSenderShares[0],
                         tables.vTopSenderNames[5], tables.vTopSenderCounts[3], lists.enabled),
              std::tuple("A              |43%", 3, 0.43, "", std::nullopt, true));
    ASSERT_EQ(lists.lines[1].size(), 10u);
    EXPECT_EQ(lists.lines[1][8], "J\xC3\xBCrgen M\xC3\xBCller-S|71%");
    const auto& receivers = tables.vTopReceiverNames;
    EXPECT_EQ((std::array{receivers[0], receivers[7], receivers[9], receivers[10]}),
              (std::array<std::string, 4>{"name11", "name4", "name3", ""}));
    EXPECT_EQ(topListLine("abcdefghijklmnopqrst", 0.07), "abcdefghijklmno|7%");

    ResetSenderReceiverList(lists);
    EXPECT_TRUE(lists.lines[1].empty());
    EXPECT_EQ(lists.texts[1], "Top Receivers List");
    UpdateSenderReceiverList(AnalysisState{}, tables, lists, prompts); // nothing analysed
    EXPECT_EQ(tables.vTopSenderNames[0], "");
    EXPECT_TRUE(lists.lines[0].empty());
    EXPECT_TRUE(prompts.shown.empty());
}

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

TEST(ResponseTimes, NearestRankPercentilesAndSharesAnsweredWithinAnHourADayAndAWeek)
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
    const std::pair<std::vector<Slot>, std::array<double, 3>> shares[] = {
        {{{60}}, {1, 1, 1}},      {{{61}}, {0, 1, 1}},    {{{1440}}, {0, 1, 1}},
        {{{1441}}, {0, 0, 1}},    {{{10080}}, {0, 0, 1}}, {{{10081}}, {0, 0, 0}},
        {{{-5}, {0}}, {1, 1, 1}}, {{{30}, {61}, {1441}, {10081}}, {0.25, 0.5, 0.75}},
        {{{59}, {9000, false}, {20000}}, {0.5, 0.5, 0.5}},
    };
    for (const auto& [slots, within] : shares) {
        const auto got = answeredWithin(sortedResponseMinutes(itemsWith(slots))).value();
        EXPECT_EQ((std::array{got.hour, got.day, got.week}), within) << slots.front().minutes;
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
    resetStatistics(state);
    PrepareAnalysisArrays(state, 4);
    EXPECT_FALSE(computeInsights(state, WorkingTime{}).workingHoursShare) << "no item, no share";
    for (int i = 0; i < 5; ++i)
        feedAt(std::get<2>(cases[i]));
    EXPECT_DOUBLE_EQ(*computeInsights(state, WorkingTime{}).workingHoursShare, 2.0 / 5);
}

} // namespace
} // namespace brisk
