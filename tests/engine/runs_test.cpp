// Whole runs through the run control: the walk's order and what it skips,
// Pause and Resume wherever they fall, the close request, store errors, the
// refresh schedule of the top lists and the window that ends with the run.

#include "tests/engine/EngineRun.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace brisk {
namespace {

using test::MemoryFolder;
using test::MemoryItem;
using test::MemoryStore;

// Records the subjects walked.
struct WalkRun : test::EngineRun {
    explicit WalkRun(MailFolder& picked, std::int32_t pause = -1) : test::EngineRun(&picked, pause)
    {
        onItem = [this] { subjects.push_back(box(PanelBox::CurtMsgLabel)); };
    }
    std::vector<std::string> subjects;
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

void collectReads(MailFolder& folder, std::vector<int>& reads)
{
    const auto& memory = static_cast<MemoryFolder&>(folder);
    reads.insert(reads.end(), memory.reads.begin(), memory.reads.end());
    for (MailFolder* child : folder.folders())
        collectReads(*child, reads);
}

TEST(RunWalk, DepthFirstPreOrderAndAPauseAnywhereResumesToTheSameWalk)
{
    const std::vector<std::string> order = {"sent 1", "sent 2", "a 1",  "a1 1", "a1 2", "a1x 1", "a1x 2", "a1y 1",
                                            "a2 1",   "b1 1",   "b1 2", "lower 1", "c 1", "c 2",  "c 3"};
    const std::vector<int> indexInFolder = {1, 2, 1, 1, 2, 1, 2, 1, 1, 1, 2, 1, 1, 2, 3};
    MemoryStore wholeStore;
    WalkRun whole(buildTree(wholeStore));
    whole.click();
    ASSERT_EQ(whole.subjects, order);
    EXPECT_EQ(whole.log.entries, std::vector<std::string>{"Start"});
    for (std::int32_t k = 1; k <= 15; ++k) {
        MemoryStore store;
        MemoryFolder& sent = buildTree(store);
        WalkRun run(sent, k);
        run.click();
        EXPECT_EQ(std::tuple(run.window.startCaption(), run.app.position.lastMessageIndexAnalysed,
                             run.window.enabled[static_cast<int>(RunControl::ExportButton)]),
                  std::tuple("Resume", indexInFolder[static_cast<std::size_t>(k - 1)], true)) << k;
        run.click();
        EXPECT_EQ(run.window.startCaption(), "Start") << k;
        EXPECT_EQ(run.subjects, order) << "paused after item " << k;
        EXPECT_EQ(run.app.analysis.vHourCount.cells, whole.app.analysis.vHourCount.cells) << k;
        std::vector<int> reads;
        collectReads(sent, reads);
        EXPECT_EQ(std::pair(std::ranges::count(reads, 1), std::ranges::max(reads)), std::pair(15L, 1)) << k;
        EXPECT_EQ(run.log.entries, (std::vector<std::string>{"Start", "Pause", "Resume"})) << k;
    }
    MemoryStore store; // two pauses in different subtrees
    WalkRun twice(buildTree(store), 6);
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
    for (DateValue d : {makeDate(2026, 12, 6, 8, 0, 0), makeDate(2026, 12, 7, 0, 0, 1), makeDate(2020, 12, 30)})
        deleted.addItem({.receivedTime = d});
    test::EngineRun run(&deleted);
    run.window.dates.ToDatePickerText = "31/13/11";
    run.click();
    EXPECT_EQ(std::tuple(run.window.startCaption(), run.prompts.texts(), run.prompts.shown[0].title,
                         run.window.focused, run.processed(), run.log.entries),
              std::tuple("Start", std::vector<std::string>{"Invalid date!"}, "Brisk Vezoriv Rizovave",
                         RunControl::ToDatePickerText, 0, std::vector<std::string>{"Start"}));
    run.window.dates.ToDatePickerText = "31/12/11";
    run.click();
    const AnalysisState& state = run.app.analysis;
    EXPECT_EQ(std::tuple(run.processed(), state.lEmailsAnalysed, state.vWindowEnd, state.vDayCount.end()[-2],
                         run.prompts.shown.size()),
              std::tuple(3, 2, makeDate(2026, 12, 7), 1, 1u));
}

TEST(RunWalk, CloseAsksOnlyDuringARunAndYesEndsAfterTheCurrentItem)
{
    MemoryStore store;
    MemoryFolder& sent = store.top().add("Sent Items").addItems(10);
    WalkRun paused(sent, 1);
    EXPECT_FALSE(paused.window.controller().Form_QueryUnload()) << "idle";
    paused.click();
    EXPECT_FALSE(paused.window.controller().Form_QueryUnload()) << "paused";
    EXPECT_TRUE(paused.prompts.shown.empty());

    test::EngineRun run(&sent);
    run.prompts.answers = {false, true};
    run.onItem = [&] { // asks on the 2nd item (No), then on the 5th (Yes)
        if (run.processed() == 2 || run.processed() == 5) {
            EXPECT_TRUE(run.window.controller().Form_QueryUnload());
        }
    };
    run.click();
    EXPECT_EQ(std::tuple(run.processed(), run.app.position.vExitRequested, run.window.controller().terminated()),
              std::tuple(5, true, true));
    EXPECT_EQ(run.prompts.texts(), std::vector<std::string>(2, "Analysis is running. Sure to exit?"));
}

TEST(RunWalk, AnUnreadableItemIsReportedAndALostConnectionPausesAtThatItem)
{
    MemoryStore store;
    MemoryFolder& sent = store.top().add("Sent Items").addItems(5);
    sent.add("Sub").addItems(2, "sub");
    sent.items[1].unreadable = true;
    sent.items[3].disconnected = true;
    test::EngineRun run(&sent);
    run.click();
    EXPECT_EQ(std::tuple(run.window.startCaption(), run.processed(), run.prompts.shown[1].title,
                         run.window.enabled[static_cast<int>(RunControl::PickFolderButton)]),
              std::tuple("Resume", 3, "Brisk Vezoriv Rireviru", true));
    EXPECT_EQ(run.prompts.texts(),
              (std::vector<std::string>{"BRISK Vezoriv Rizovave: Error in ProcessFolder: lEmailsProcessed = 1",
                                        "the connection to test was lost. Pausing execution. "
                                        "Click Resume to go on from the same message."}));
    sent.items[3].disconnected = false; // the server is back
    run.click();
    EXPECT_EQ(std::tuple(run.window.startCaption(), run.processed(), run.app.analysis.lEmailsAnalysed, sent.reads),
              std::tuple("Start", 7, 6, std::vector<int>{1, 1, 1, 2, 1}));
    EXPECT_EQ(run.log.entries, (std::vector<std::string>{"Start", "Pause", "Resume"}));
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
    test::BasicRun<CountingWindow> run(&store.top().add("Sent Items").addItems(items));
    run.window.processed = &run.app.analysis.lEmailsProcessed;
    run.click();
    return run.window.rebuiltAfter;
}

TEST(TopListSchedule, RefreshPeriodFollowsThePickedFolderCount)
{
    const auto r250 = rebuildsFor(250);
    EXPECT_EQ(test::first(r250, 4), (std::vector<int>{1, 2, 4, 6}));
    EXPECT_EQ(r250.size(), 1u + 125u + 1u); // the 1st, every 2nd up to 250, once after the walk
    EXPECT_EQ(test::first(rebuildsFor(350), 3), (std::vector<int>{1, 4, 8}));
    EXPECT_EQ(rebuildsFor(40).size(), 40u + 1u);
}

} // namespace
} // namespace brisk
