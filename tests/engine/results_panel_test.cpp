// The results panel's figures and the top lists, from known items.

#include "tests/engine/EngineRun.h"

#include <gtest/gtest.h>

namespace brisk {
namespace {

using test::MemoryFolder;
using test::MemoryItem;

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

} // namespace
} // namespace brisk
