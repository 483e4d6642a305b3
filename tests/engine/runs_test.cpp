// Whole runs through the run control: the walk's order and what it skips,
// Pause and Resume wherever they fall, the close request, store errors, the
// refresh schedule of the top lists and the window that ends with the run.

#include "engine/RunControl.h"
#include "engine/UsageLogSink.h"
#include "shell/HeadlessWindow.h"
#include "tests/support/MemoryStore.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace brisk {
namespace {

using test::MemoryFolder;
using test::MemoryItem;
using test::MemoryStore;

class RecordingLog : public UsageLog {
public:
    void logEntry(std::string_view action) override { entries.emplace_back(action); }
    std::vector<std::string> entries;
};

// A run of the picked folder that records the subjects walked, clicks the
// Start button after item `pauseAt`, and calls `hook` after every item.
struct WholeRun {
    explicit WholeRun(MailFolder& picked) : window(app, prompts, log, clock)
    {
        app.session.oPickedFolder = &picked;
        window.ResetLabels();
        window.onYield = [this] {
            subjects.push_back(window.panel.boxText(PanelBox::CurtMsgLabel));
            if (app.analysis.lEmailsProcessed == pauseAt)
                click();
            if (hook)
                hook();
        };
    }
    void click() { window.controller().StartButton_Click(); }
    std::int32_t processed() const { return app.analysis.lEmailsProcessed; }

    AppState app;
    test::RecordingPrompts prompts;
    RecordingLog log;
    test::FakeClock clock{makeDate(2026, 12, 6, 9, 0, 0)};
    HeadlessWindow window;
    std::vector<std::string> subjects;
    std::int32_t pauseAt = -1;
    std::function<void()> hook;
};

// Sent Items three levels deep, with an empty folder, "Deleted Items" (only
// that exact name is skipped) and the store's trash folder.
MemoryFolder& buildTree(MemoryStore& store)
{
    MemoryFolder& sent = store.top().add("Sent Items").addItems(2, "sent");
    MemoryFolder& a = sent.add("A").addItems(1, "a");
    MemoryFolder& a1 = a.add("A1").addItems(2, "a1");
    a1.add("A1x").addItems(2, "a1x");
    a1.add("A1y").addItems(1, "a1y");
    a.add("A2").addItems(1, "a2");
    sent.add("B").add("B1").addItems(2, "b1");
    sent.add("Deleted Items").addItems(2, "deleted").add("Inner").addItems(1, "inner");
    sent.add("deleted items").addItems(1, "lower");
    MemoryFolder& trash = sent.add("Trash");
    trash.trash = true;
    trash.addItems(2, "trash").add("Below trash").addItems(1, "below");
    sent.add("C").addItems(3, "c");
    return sent;
}

int totalReads(const MailFolder& folder, int& most)
{
    const auto& memory = static_cast<const MemoryFolder&>(folder);
    int sum = 0;
    for (int reads : memory.reads) {
        sum += reads;
        most = std::max(most, reads);
    }
    for (MailFolder* child : const_cast<MemoryFolder&>(memory).folders())
        sum += totalReads(*child, most);
    return sum;
}

TEST(RunWalk, DepthFirstPreOrderAndAPauseAnywhereResumesToTheSameWalk)
{
    const std::vector<std::string> order = {"sent 1", "sent 2", "a 1",  "a1 1", "a1 2", "a1x 1", "a1x 2", "a1y 1",
                                            "a2 1",   "b1 1",   "b1 2", "lower 1", "c 1", "c 2",  "c 3"};
    const std::vector<int> indexInFolder = {1, 2, 1, 1, 2, 1, 2, 1, 1, 1, 2, 1, 1, 2, 3};
    MemoryStore wholeStore;
    WholeRun whole(buildTree(wholeStore));
    whole.click();
    ASSERT_EQ(whole.subjects, order);
    EXPECT_EQ(whole.log.entries, std::vector<std::string>{"Start"});
    for (std::int32_t k = 1; k <= 15; ++k) {
        MemoryStore store;
        MemoryFolder& sent = buildTree(store);
        WholeRun run(sent);
        run.pauseAt = k;
        run.click();
        EXPECT_EQ(run.window.startCaption(), "Resume") << k;
        EXPECT_EQ(run.app.position.lastMessageIndexAnalysed, indexInFolder[static_cast<std::size_t>(k - 1)]) << k;
        EXPECT_TRUE(run.window.enabled[static_cast<int>(RunControl::ExportButton)]) << k;
        run.click();
        EXPECT_EQ(run.window.startCaption(), "Start") << k;
        EXPECT_EQ(run.subjects, order) << "paused after item " << k;
        EXPECT_EQ(run.app.analysis.vHourCount.cells, whole.app.analysis.vHourCount.cells) << k;
        int most = 0;
        EXPECT_EQ(totalReads(sent, most), 15) << k;
        EXPECT_EQ(most, 1) << k;
        EXPECT_EQ(run.log.entries, (std::vector<std::string>{"Start", "Pause", "Resume"})) << k;
    }
    MemoryStore store; // two pauses in different subtrees
    WholeRun twice(buildTree(store));
    twice.pauseAt = 6;
    twice.click();
    twice.pauseAt = 11;
    twice.click();
    twice.click();
    EXPECT_EQ(twice.subjects, order);
}

TEST(RunWalk, AnInvalidDateRefusesTheRunAndAPickedFolderIsWalkedWhateverItsNameUpToMidnightAfterToday)
{
    MemoryStore store;
    MemoryFolder& deleted = store.top().add("Deleted Items");
    for (DateValue d : {makeDate(2026, 12, 6, 8, 0, 0), makeDate(2026, 12, 7, 0, 0, 1), makeDate(2020, 12, 30)}) {
        MemoryItem item;
        item.receivedTime = d;
        deleted.addItem(item);
    }
    WholeRun run(deleted);
    run.window.dates.ToDatePickerText = "31/13/11";
    run.click();
    EXPECT_EQ(run.window.startCaption(), "Start");
    EXPECT_EQ(run.prompts.texts(), std::vector<std::string>{"Invalid date!"});
    EXPECT_EQ(run.prompts.shown[0].title, "Brisk Vezoriv Rizovave");
    EXPECT_EQ(run.window.focused, RunControl::ToDatePickerText);
    EXPECT_EQ(run.processed(), 0);
    EXPECT_EQ(run.log.entries, std::vector<std::string>{"Start"});

    run.window.dates.ToDatePickerText = "31/12/11";
    run.click();
    EXPECT_EQ(run.processed(), 3);
    EXPECT_EQ(run.app.analysis.lEmailsAnalysed, 2);
    EXPECT_EQ(run.app.analysis.vWindowEnd, makeDate(2026, 12, 7));
    EXPECT_EQ(run.app.analysis.vDayCount[run.app.analysis.vDayCount.size() - 2], 1);
    EXPECT_EQ(run.prompts.shown.size(), 1u);
}

TEST(RunWalk, CloseAsksOnlyDuringARunAndYesEndsAfterTheCurrentItem)
{
    MemoryStore store;
    MemoryFolder& sent = store.top().add("Sent Items").addItems(10);
    WholeRun paused(sent);
    EXPECT_FALSE(paused.window.controller().Form_QueryUnload()) << "idle";
    paused.pauseAt = 1;
    paused.click();
    EXPECT_FALSE(paused.window.controller().Form_QueryUnload()) << "paused";
    EXPECT_TRUE(paused.prompts.shown.empty());

    WholeRun run(sent);
    run.prompts.answers = {false, true};
    run.hook = [&] { // asks on the 2nd item (No), then on the 5th (Yes)
        if (run.processed() == 2 || run.processed() == 5) {
            EXPECT_TRUE(run.window.controller().Form_QueryUnload());
        }
    };
    run.click();
    EXPECT_EQ(run.processed(), 5);
    EXPECT_TRUE(run.app.position.vExitRequested);
    EXPECT_TRUE(run.window.controller().terminated());
    EXPECT_EQ(run.prompts.texts(), std::vector<std::string>(2, "Analysis is running. Sure to exit?"));
}

TEST(RunWalk, AnUnreadableItemIsReportedAndALostConnectionPausesAtThatItem)
{
    MemoryStore store;
    MemoryFolder& sent = store.top().add("Sent Items").addItems(5);
    sent.add("Sub").addItems(2, "sub");
    sent.items[1].unreadable = true;
    sent.items[3].disconnected = true;
    WholeRun run(sent);
    run.click();
    EXPECT_EQ(run.window.startCaption(), "Resume");
    EXPECT_EQ(run.processed(), 3);
    EXPECT_EQ(run.prompts.texts(),
              (std::vector<std::string>{"BRISK Vezoriv Rizovave: Error in ProcessFolder: lEmailsProcessed = 1",
                                        "the connection to test was lost. Pausing execution. "
                                        "Click Resume to go on from the same message."}));
    EXPECT_EQ(run.prompts.shown[1].title, "Brisk Vezoriv Rireviru");
    EXPECT_TRUE(run.window.enabled[static_cast<int>(RunControl::PickFolderButton)]);
    sent.items[3].disconnected = false; // the server is back
    run.click();
    EXPECT_EQ(run.window.startCaption(), "Start");
    EXPECT_EQ(run.processed(), 7);
    EXPECT_EQ(run.app.analysis.lEmailsAnalysed, 6);
    EXPECT_EQ(sent.reads, (std::vector<int>{1, 1, 1, 2, 1}));
    EXPECT_EQ(run.log.entries, (std::vector<std::string>{"Start", "Pause", "Resume"}));
}

TEST(RunWalk, RepliesAreTimedFromOriginalsAnywhereInTheStore)
{
    MemoryStore store;
    MemoryFolder& sent = store.top().add("Sent Items");
    MemoryFolder& trash = store.top().add("Trash");
    trash.trash = true;
    auto original = [](const char* id, DateValue at) {
        MemoryItem item;
        item.messageId = id;
        item.receivedTime = at;
        return item;
    };
    store.top().add("Inbox").add("Lists").addItem(original("list@x", makeDate(2024, 3, 1, 9, 0, 0)));
    trash.addItem(original("gone@x", makeDate(2024, 3, 1, 10, 0, 0)));
    for (const char* parent : {"list@x", "gone@x", "missing@x"}) {
        MemoryItem reply;
        reply.subject = "Re: question";
        reply.receivedTime = makeDate(2024, 3, 1, 12, 0, 0);
        reply.inReplyTo = {parent};
        sent.addItem(reply);
    }
    WholeRun run(sent);
    run.click();
    const AnalysisState& s = run.app.analysis;
    EXPECT_EQ(s.responseSources, (std::array<std::int32_t, 3>{0, 2, 0}));
    EXPECT_EQ(std::vector<int>(s.items.vItemResponseMinutes.begin(), s.items.vItemResponseMinutes.begin() + 3),
              (std::vector<int>{180, 120, -1}));
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
    AppState app;
    test::RecordingPrompts prompts;
    NoUsageLog log;
    test::FakeClock clock{makeDate(2026, 12, 6, 9, 0, 0)};
    CountingWindow window(app, prompts, log, clock);
    window.processed = &app.analysis.lEmailsProcessed;
    app.session.oPickedFolder = &store.top().add("Sent Items").addItems(items);
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
