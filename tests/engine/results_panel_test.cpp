// The results panel's figures and the top lists, from known items.

#include "shell/HeadlessWindow.h"
#include "engine/ResultsPanel.h"
#include "engine/TopLists.h"
#include "engine/UsageLogSink.h"
#include "tests/support/MemoryStore.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace brisk {
namespace {

using test::MemoryFolder;
using test::MemoryItem;
using test::MemoryStore;
using test::RecordingPrompts;

class PanelTest : public ::testing::Test {
protected:
    PanelTest() : window(app, prompts, log, clock) {}
    MemoryFolder& sent() { return store.top().add("Sent Items"); }
    void run(MemoryFolder& folder)
    {
        app.session.oPickedFolder = &folder;
        window.ResetLabels();
        window.controller().StartButton_Click();
    }
    std::string box(PanelBox b) const { return window.panel.boxText(b); }

    MemoryStore store;
    AppState app;
    RecordingPrompts prompts;
    NoUsageLog log;
    test::FakeClock clock{makeDate(2026, 12, 6, 9, 0, 0)};
    HeadlessWindow window;
};

TEST_F(PanelTest, RestStateAfterReset)
{
    MemoryFolder& folder = sent().addItems(7);
    app.session.oPickedFolder = &folder;
    window.ResetLabels();
    EXPECT_EQ(box(PanelBox::ProgressNumLabel), "0");
    EXPECT_EQ(box(PanelBox::ProgressNumMaxLabel), "7");
    EXPECT_EQ(box(PanelBox::NumValidEmailsLabel), "(0 email messages found)");
    EXPECT_EQ(box(PanelBox::PickedFolderLabel), "Sent Items");
    EXPECT_EQ(box(PanelBox::CurtMsgLabel), "<none>");
    EXPECT_EQ(box(PanelBox::MedianResponseHrLabel), "");
    EXPECT_EQ(box(PanelBox::DailyEmailsAvgLabel), "0");
    EXPECT_EQ(window.panel.progress, 0);
    EXPECT_GT(app.analysis.dFirstEmailDate, app.analysis.dLastEmailDate);
}

TEST_F(PanelTest, AveragePerDayCountsCalendarDaysAndRoundsHalfToEven)
{
    auto spread = [&](MemoryFolder& folder, int n) {
        for (int i = 0; i < n; ++i) {
            MemoryItem item;
            // First on day 1 late, last on day 4 early: four calendar days.
            item.receivedTime = i == 0 ? makeDate(2011, 6, 1, 23, 0, 0) : makeDate(2011, 6, 4, 1, i, 0);
            folder.addItem(item);
        }
    };
    MemoryFolder& ten = sent();
    spread(ten, 10);
    run(ten);
    EXPECT_EQ(box(PanelBox::DailyEmailsAvgLabel), "2"); // 2.5 to even
    EXPECT_EQ(box(PanelBox::DailyEmailsMaxLabel), "9");
    MemoryFolder& fourteen = store.top().add("Other");
    spread(fourteen, 14);
    run(fourteen);
    EXPECT_EQ(box(PanelBox::DailyEmailsAvgLabel), "4"); // 3.5 to even
}

TEST_F(PanelTest, MedianResponseTimeInHoursAndMinutes)
{
    MemoryFolder& folder = sent();
    // Received at 12:00, quoted 150, 100, 50 and 20 minutes before.
    for (const char* quoted : {"09:30", "10:20", "11:10", "11:40"}) {
        MemoryItem item;
        item.subject = "RE: x";
        item.receivedTime = makeDate(2011, 6, 15, 12, 0, 0);
        item.body = std::string("Sent: 15 June 2011 ") + quoted + "\r\n";
        folder.addItem(item);
    }
    folder.addItem(MemoryItem{}); // no response time: its -1 must not enter the median
    run(folder);
    EXPECT_EQ(app.analysis.lResponseCount, 4);
    EXPECT_EQ(box(PanelBox::MedianResponseHrLabel), "1");
    EXPECT_EQ(box(PanelBox::MedianResponseMinLabel), "15");
    EXPECT_EQ(box(PanelBox::ReAndFwdPercentLabel), "80");
}

TEST_F(PanelTest, MedianEndingInAHalfRoundsToEvenMinutes)
{
    AnalysisState& s = app.analysis;
    s.lEmailsAnalysed = 2;
    s.lResponseCount = 2;
    s.responseMinutes.insert(119);
    s.responseMinutes.insert(120);
    TextPanel panel;
    MemoryFolder& folder = sent();
    UpdateLabels(s, &folder, panel, prompts);
    EXPECT_EQ(panel.boxText(PanelBox::MedianResponseHrLabel), "1");
    EXPECT_EQ(panel.boxText(PanelBox::MedianResponseMinLabel), "0");
}

TEST_F(PanelTest, NegativeResponseTimesDoNotBringFillValuesIntoTheMedian)
{
    MemoryFolder& folder = sent();
    for (int i = 0; i < 3; ++i) {
        MemoryItem item;
        item.subject = "RE: x";
        item.receivedTime = makeDate(2011, 6, 15, 10, 0, 0);
        item.body = "Sent: 15 June 2011 10:30\r\n"; // 30 minutes after it was received
        folder.addItem(item);
    }
    folder.addItem(MemoryItem{});
    run(folder);
    EXPECT_EQ(medianResponseMinutes(app.analysis), -30);
    EXPECT_EQ(box(PanelBox::MedianResponseMinLabel), "-30");
}

TEST_F(PanelTest, SharesSizesWordsAndProgress)
{
    MemoryFolder& folder = sent();
    MemoryItem a;
    a.body = "one two three four";
    a.size = 3000;
    a.recipients = {"Bob"};
    MemoryItem b = a;
    b.body = "one two";
    b.size = 6000;
    b.recipients = {"Bob", "Carol"};
    MemoryItem meeting;
    meeting.typeName = "MeetingItem";
    folder.addItem(a).addItem(b).addItem(meeting);
    folder.add("Sub").addItem(a);
    run(folder);
    EXPECT_EQ(box(PanelBox::ProgressNumLabel), "4");
    EXPECT_EQ(box(PanelBox::ProgressNumMaxLabel), "3");
    EXPECT_DOUBLE_EQ(window.panel.progress, 4.0 / 3.0); // subfolders take the bar past its end
    EXPECT_EQ(box(PanelBox::NumValidEmailsLabel), "(3 email messages found)");
    EXPECT_EQ(box(PanelBox::EmailLgtWordsLabel), "3");  // 10 / 3
    EXPECT_EQ(box(PanelBox::EmailSizeKBLabel), "4");    // 12 / 3
    EXPECT_EQ(box(PanelBox::OneToOneEmailPCLabel), "67");
    EXPECT_DOUBLE_EQ(app.analysis.vWeekdayPercent(3), 100.0); // 15 June 2011 was a Wednesday
}

TEST_F(PanelTest, ChartFailureIsPassedOnAndOtherErrorsAreReported)
{
    struct FailingChart : TextPanel {
        bool writeChart() override { return false; }
    } panel;
    AnalysisState& s = app.analysis;
    MemoryFolder& folder = sent();
    s.lEmailsAnalysed = 1;
    s.vHourCount(1) = 1;
    s.vWeekdayCount(1) = 1;
    s.vMonthCount(1) = 1;
    EXPECT_FALSE(UpdateLabels(s, &folder, panel, prompts));
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_TRUE(UpdateLabels(s, nullptr, panel, prompts) == false);
    EXPECT_EQ(prompts.texts(), std::vector<std::string>{"BRISK Vezoriv Rizovave: Error in Updatelabels: lEmailsProcessed = 0"});
}

TEST(TopLists, RankByCountThenByNameDescending)
{
    AnalysisState s;
    for (const char* name : {"A", "A", "A", "B", "B", "C", "C"})
        s.names.senders.add(s.names.senders.intern(name));
    s.lEmailsAnalysed = 7;
    TopListTables tables;
    TextTopLists lists;
    RecordingPrompts prompts;
    UpdateSenderReceiverList(s, tables, lists, prompts);
    const std::vector<std::string> expected = {
        "A              |43%",
        "C              |29%",
        "B              |29%",
    };
    EXPECT_EQ(lists.lines[0], expected);
    EXPECT_EQ(lists.texts[0], expected[0]);
    EXPECT_EQ(tables.vTopSenderNames[1], "C");
    EXPECT_EQ(tables.vTopSenderCounts[0], 3);
    EXPECT_DOUBLE_EQ(*tables.vTopSenderShares[0], 0.43);
    EXPECT_EQ(tables.vTopSenderNames[3], "");
    EXPECT_FALSE(tables.vTopSenderCounts[3].has_value());
    EXPECT_TRUE(lists.lines[1].empty());
    EXPECT_TRUE(lists.enabled);
}

TEST(TopLists, LinesAreCutAndPaddedToFifteenCharacters)
{
    EXPECT_EQ(topListLine("abcdefghijklmnopqrst", 0.07), "abcdefghijklmno|7%");
    EXPECT_EQ(topListLine("abc", 0.33), "abc            |33%");
    EXPECT_EQ(topListLine("J\xC3\xBCrgen M\xC3\xBCller-Schmidt", 0.5), "J\xC3\xBCrgen M\xC3\xBCller-S|50%");
}

TEST(TopLists, OnlyTheTenMostFrequentAndSingletonsCount)
{
    AnalysisState s;
    for (int n = 0; n < 12; ++n)
        for (int k = 0; k <= n; ++k)
            s.names.receivers.add(s.names.receivers.intern("name" + std::to_string(n)));
    s.names.receivers.add(s.names.receivers.intern("once"));
    s.lEmailsAnalysed = 79;
    TopListTables tables;
    TextTopLists lists;
    RecordingPrompts prompts;
    UpdateSenderReceiverList(s, tables, lists, prompts);
    EXPECT_EQ(lists.lines[1].size(), 10u);
    EXPECT_EQ(tables.vTopReceiverNames[0], "name11");
    EXPECT_EQ(tables.vTopReceiverNames[9], "name2");
    EXPECT_EQ(tables.vTopReceiverNames[10], "");
    ResetSenderReceiverList(lists);
    EXPECT_TRUE(lists.lines[1].empty());
    EXPECT_EQ(lists.texts[1], "Top Receivers List");
}

TEST(TopLists, NoAnalysedMailLeavesEmptyEnabledLists)
{
    AnalysisState s;
    TopListTables tables;
    tables.vTopSenderNames[0] = "stale";
    TextTopLists lists;
    RecordingPrompts prompts;
    UpdateSenderReceiverList(s, tables, lists, prompts);
    EXPECT_EQ(tables.vTopSenderNames[0], "");
    EXPECT_TRUE(lists.enabled);
    EXPECT_TRUE(lists.lines[0].empty());
}

} // namespace
} // namespace brisk
