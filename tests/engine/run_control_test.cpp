// Whole runs through the run control: walk order, "Deleted Items", pause and
// resume positions, the close request, the refresh schedule of the top lists.

#include "engine/RunControl.h"
#include "engine/UsageLogSink.h"
#include "shell/HeadlessWindow.h"
#include "tests/support/MemoryStore.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace brisk {
namespace {

using test::MemoryFolder;
using test::MemoryStore;
using test::RecordingPrompts;

class RecordingLog : public UsageLog {
public:
    void logEntry(std::string_view action) override { entries.emplace_back(action); }
    std::vector<std::string> entries;
};

// A window that records what the walk showed and can click during a yield.
class RunTest : public ::testing::Test {
protected:
    RunTest() : window(app, prompts, log, clock)
    {
        window.onYield = [this] {
            subjects.push_back(window.panel.boxText(PanelBox::CurtMsgLabel));
            if (onYield)
                onYield();
        };
    }
    void pick(MailFolder& folder)
    {
        app.session.oPickedFolder = &folder;
        window.ResetLabels();
    }
    void click() { window.controller().StartButton_Click(); }

    MemoryStore store;
    AppState app;
    RecordingPrompts prompts;
    RecordingLog log;
    test::FakeClock clock{makeDate(2026, 12, 6, 9, 0, 0)};
    HeadlessWindow window;
    std::vector<std::string> subjects;
    std::function<void()> onYield;
};

TEST_F(RunTest, WalkIsDepthFirstPreOrderAndSkipsDeletedItemsByExactName)
{
    MemoryFolder& sent = store.top().add("Sent Items").addItems(2, "sent");
    MemoryFolder& a = sent.add("A").addItems(1, "a");
    a.add("A1").addItems(1, "a1");
    sent.add("Deleted Items").addItems(3, "deleted").add("Inner").addItems(1, "inner");
    sent.add("deleted items").addItems(1, "lower");
    sent.add("Empty").add("Below empty").addItems(1, "below");
    pick(sent);
    click();
    const std::vector<std::string> expected = {"sent 1", "sent 2", "a 1", "a1 1", "lower 1", "below 1"};
    EXPECT_EQ(subjects, expected);
    EXPECT_EQ(window.startCaption(), "Start");
    EXPECT_EQ(app.analysis.lEmailsAnalysed, 6);
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(RunTest, PickedFolderIsWalkedWhateverItsName)
{
    MemoryFolder& deleted = store.top().add("Deleted Items").addItems(2);
    pick(deleted);
    click();
    EXPECT_EQ(app.analysis.lEmailsAnalysed, 2);
}

TEST_F(RunTest, PauseInTheMiddleAndResumeAnalysesEveryItemOnce)
{
    MemoryFolder& sent = store.top().add("Sent Items").addItems(10);
    MemoryFolder& sub = sent.add("Sub").addItems(3, "sub");
    pick(sent);
    onYield = [&] {
        if (app.analysis.lEmailsProcessed == 4)
            click(); // Pause
    };
    click();
    EXPECT_EQ(window.startCaption(), "Resume");
    EXPECT_EQ(app.analysis.lEmailsProcessed, 4);
    EXPECT_TRUE(window.enabled[static_cast<int>(RunControl::ExportButton)]);
    EXPECT_EQ(app.position.lastMessageIndexAnalysed, 4);
    onYield = nullptr;
    click(); // Resume
    EXPECT_EQ(window.startCaption(), "Start");
    EXPECT_EQ(app.analysis.lEmailsAnalysed, 13);
    for (int reads : sent.reads)
        EXPECT_EQ(reads, 1);
    for (int reads : sub.reads)
        EXPECT_EQ(reads, 1);
    const std::vector<std::string> actions = {"Start", "Pause", "Resume"};
    EXPECT_EQ(log.entries, actions);
}

TEST_F(RunTest, ResumeAfterTheLastItemOfAFolderGoesOnWithItsSubfolders)
{
    MemoryFolder& sent = store.top().add("Sent Items").addItems(3);
    sent.add("Sub").addItems(2, "sub");
    pick(sent);
    onYield = [&] {
        if (app.analysis.lEmailsProcessed == 3)
            click();
    };
    click();
    EXPECT_EQ(app.position.lastMessageIndexAnalysed, 3);
    onYield = nullptr;
    subjects.clear();
    click();
    EXPECT_EQ(subjects, (std::vector<std::string>{"sub 1", "sub 2"}));
    EXPECT_EQ(app.analysis.lEmailsAnalysed, 5);
}

TEST_F(RunTest, InvalidDateRefusesTheRunButLogsTheClick)
{
    MemoryFolder& sent = store.top().add("Sent Items").addItems(3);
    pick(sent);
    window.dates.ToDatePickerText = "31/13/11";
    click();
    EXPECT_EQ(window.startCaption(), "Start");
    EXPECT_EQ(prompts.texts(), std::vector<std::string>{"Invalid date!"});
    EXPECT_EQ(prompts.shown[0].title, "Brisk Vezoriv Rizovave");
    EXPECT_EQ(window.focused, RunControl::ToDatePickerText);
    EXPECT_EQ(app.analysis.lEmailsProcessed, 0);
    EXPECT_EQ(log.entries, std::vector<std::string>{"Start"});
}

TEST_F(RunTest, CloseDuringARunAsksAndYesEndsAfterTheCurrentItem)
{
    MemoryFolder& sent = store.top().add("Sent Items").addItems(10);
    pick(sent);
    prompts.answers = {false, true};
    // Ask on the 2nd item (No), then on the 5th (Yes).
    onYield = [&] {
        if (app.analysis.lEmailsProcessed == 2 || app.analysis.lEmailsProcessed == 5) {
            EXPECT_TRUE(window.controller().Form_QueryUnload());
        }
    };
    click();
    EXPECT_EQ(app.analysis.lEmailsProcessed, 5);
    EXPECT_TRUE(app.position.vExitRequested);
    EXPECT_TRUE(window.controller().terminated());
    EXPECT_EQ(prompts.texts(), (std::vector<std::string>{"Analysis is running. Sure to exit?",
                                                          "Analysis is running. Sure to exit?"}));
}

TEST_F(RunTest, CloseWhilePausedOrIdleAsksNothing)
{
    MemoryFolder& sent = store.top().add("Sent Items").addItems(3);
    pick(sent);
    EXPECT_FALSE(window.controller().Form_QueryUnload());
    onYield = [&] {
        if (app.analysis.lEmailsProcessed == 1)
            click();
    };
    click();
    EXPECT_EQ(window.startCaption(), "Resume");
    EXPECT_FALSE(window.controller().Form_QueryUnload());
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(RunTest, UnreadableItemIsReportedAndTheWalkGoesOn)
{
    MemoryFolder& sent = store.top().add("Sent Items").addItems(3);
    sent.items[1].unreadable = true;
    pick(sent);
    click();
    EXPECT_EQ(prompts.texts(),
              std::vector<std::string>{"BRISK Vezoriv Rizovave: Error in ProcessFolder: lEmailsProcessed = 1"});
    EXPECT_EQ(app.analysis.lEmailsProcessed, 3);
    EXPECT_EQ(app.analysis.lEmailsAnalysed, 2);
}

TEST_F(RunTest, ALostConnectionPausesAndResumeAsksForTheSameItemAgain)
{
    MemoryFolder& sent = store.top().add("Sent Items").addItems(5);
    sent.add("Sub").addItems(2, "sub");
    sent.items[2].disconnected = true;
    pick(sent);
    click();
    EXPECT_EQ(window.startCaption(), "Resume");
    EXPECT_EQ(app.analysis.lEmailsProcessed, 2);
    EXPECT_EQ(prompts.texts(), std::vector<std::string>{"the connection to test was lost. Pausing execution. "
                                                        "Click Resume to go on from the same message."});
    EXPECT_EQ(prompts.shown[0].title, "Brisk Vezoriv Rireviru");
    EXPECT_TRUE(window.enabled[static_cast<int>(RunControl::PickFolderButton)]);
    sent.items[2].disconnected = false; // the server is back
    click();
    EXPECT_EQ(window.startCaption(), "Start");
    EXPECT_EQ(app.analysis.lEmailsAnalysed, 7);
    EXPECT_EQ(sent.reads, (std::vector<int>{1, 1, 2, 1, 1}));
    EXPECT_EQ(log.entries, (std::vector<std::string>{"Start", "Pause", "Resume"}));
}

TEST_F(RunTest, OneItemFolderAndEmptyFolderWithSubfolders)
{
    MemoryFolder& sent = store.top().add("Sent Items");
    sent.add("Only").addItems(1, "only");
    pick(sent);
    click();
    EXPECT_EQ(subjects, std::vector<std::string>{"only 1"});
}

// Top lists are rebuilt after the first item and every P items, P being the
// picked folder's count times 1% rounded half to even, at least 1.
struct CountingWindow : HeadlessWindow {
    using HeadlessWindow::HeadlessWindow;
    void UpdateSenderReceiverList() override
    {
        rebuiltAfter.push_back(processed ? *processed : 0);
        HeadlessWindow::UpdateSenderReceiverList();
    }
    std::vector<std::int32_t> rebuiltAfter;
    const std::int32_t* processed = nullptr;
};

std::vector<std::int32_t> rebuildsFor(int items)
{
    MemoryStore store;
    MemoryFolder& sent = store.top().add("Sent Items").addItems(items);
    AppState app;
    RecordingPrompts prompts;
    NoUsageLog log;
    test::FakeClock clock{makeDate(2026, 12, 6, 9, 0, 0)};
    CountingWindow window(app, prompts, log, clock);
    window.processed = &app.analysis.lEmailsProcessed;
    app.session.oPickedFolder = &sent;
    window.ResetLabels();
    window.controller().StartButton_Click();
    return window.rebuiltAfter;
}

TEST(TopListSchedule, RefreshPeriodFollowsThePickedFolderCount)
{
    const auto r250 = rebuildsFor(250);
    EXPECT_EQ(std::vector<std::int32_t>(r250.begin(), r250.begin() + 4), (std::vector<std::int32_t>{1, 2, 4, 6}));
    EXPECT_EQ(r250.size(), 1u + 125u + 1u); // the 1st, every 2nd up to 250, once after the walk
    const auto r350 = rebuildsFor(350);
    EXPECT_EQ(std::vector<std::int32_t>(r350.begin(), r350.begin() + 3), (std::vector<std::int32_t>{1, 4, 8}));
    EXPECT_EQ(rebuildsFor(40).size(), 40u + 1u);
}

} // namespace
} // namespace brisk
