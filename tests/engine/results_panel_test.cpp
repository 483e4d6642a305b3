// The results panel's figures and the top lists, from known items.

#include "tests/engine/EngineRun.h"

#include <gtest/gtest.h>

namespace brisk {
namespace {

using test::MemoryFolder;
using test::MemoryItem;

// Ten mails over four calendar days (12 to 15 June 2011), four of them
// replies quoted 150, 100, 50 and 20 minutes before they were sent, one of
// them in a subfolder, and a meeting item.
TEST(Panel, AKnownRunShowsEveryFigure)
{
    test::MemoryStore store;
    MemoryFolder& sent = store.top().add("Sent Items");
    sent.addItem(test::mail(makeDate(2011, 6, 12, 23), "one two three four"));
    sent.items[0].size = 3000;
    for (const std::string quoted : {"09:30", "10:20", "11:10", "11:40"}) // five words each
        sent.addItem(test::mail(makeDate(2011, 6, 15, 12), "Sent: 15 June 2011 " + quoted + "\r\n", "RE: x"));
    MemoryItem meeting;
    meeting.typeName = "MeetingItem";
    sent.addItem(meeting);
    for (int i = 0; i < 4; ++i)
        sent.addItem(test::mail(makeDate(2011, 6, 13, 9, i, 0)));
    MemoryItem wide = test::mail(makeDate(2011, 6, 14, 10, 0, 0), "one two");
    wide.recipients = {"Bob", "Bob"};
    wide.size = 6000;
    sent.add("Sub").addItem(wide);
    test::EngineRun run(&sent);
    EXPECT_EQ(run.box(PanelBox::ProgressNumMaxLabel), "10");
    EXPECT_EQ(run.box(PanelBox::NumValidEmailsLabel), "(0 email messages found)");
    EXPECT_EQ(run.box(PanelBox::PickedFolderLabel), "Sent Items");
    EXPECT_EQ(run.box(PanelBox::CurtMsgLabel), "<none>");
    EXPECT_EQ(run.box(PanelBox::MedianResponseHrLabel), "");
    EXPECT_EQ(run.box(PanelBox::DailyEmailsAvgLabel), "0");
    run.click();

    EXPECT_EQ(run.box(PanelBox::ProgressNumLabel), "11");
    EXPECT_DOUBLE_EQ(run.window.panel.progress, 1.1); // subfolders take the bar past its end
    EXPECT_EQ(run.box(PanelBox::NumValidEmailsLabel), "(10 email messages found)");
    EXPECT_EQ(run.box(PanelBox::DailyEmailsAvgLabel), "2"); // 10 / 4 days, 2.5 to even
    EXPECT_EQ(run.box(PanelBox::DailyEmailsMaxLabel), "4");
    EXPECT_EQ(run.box(PanelBox::MedianResponseHrLabel), "1"); // median of 150, 100, 50, 20: 75
    EXPECT_EQ(run.box(PanelBox::MedianResponseMinLabel), "15");
    EXPECT_EQ(run.box(PanelBox::ReAndFwdPercentLabel), "40");
    EXPECT_EQ(run.box(PanelBox::EmailLgtWordsLabel), "3"); // 34 / 10
    EXPECT_EQ(run.box(PanelBox::EmailSizeKBLabel), "2");   // 25 / 10, 2.5 to even
    EXPECT_EQ(run.box(PanelBox::OneToOneEmailPCLabel), "90");
    EXPECT_DOUBLE_EQ(run.app.analysis.vWeekdayPercent(3), 40.0); // 15 June 2011 was a Wednesday
    EXPECT_DOUBLE_EQ(run.app.analysis.vWeekdayPercent(1), 40.0);
    EXPECT_TRUE(run.prompts.shown.empty());
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
    EXPECT_EQ(lists.texts[0], "A              |43%");
    EXPECT_EQ(tables.vTopSenderCounts[0], 3);
    EXPECT_DOUBLE_EQ(*tables.vTopSenderShares[0], 0.43);
    EXPECT_EQ(tables.vTopSenderNames[5], "");
    EXPECT_FALSE(tables.vTopSenderCounts[3].has_value());
    ASSERT_EQ(lists.lines[1].size(), 10u);
    EXPECT_EQ(tables.vTopReceiverNames[0], "name11");
    EXPECT_EQ(tables.vTopReceiverNames[7], "name4");
    EXPECT_EQ(lists.lines[1][8], "J\xC3\xBCrgen M\xC3\xBCller-S|71%");
    EXPECT_EQ(tables.vTopReceiverNames[9], "name3");
    EXPECT_EQ(tables.vTopReceiverNames[10], "");
    EXPECT_TRUE(lists.enabled);
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
