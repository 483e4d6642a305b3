// Whole runs over a tree: Resume finishes the interrupted walk in its own
// order wherever the pause fell, the store's trash is skipped, replies are
// timed from originals in other folders, and the window ends with the run.

#include "shell/HeadlessWindow.h"
#include "engine/UsageLogSink.h"
#include "tests/support/MemoryStore.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace brisk {
namespace {

using test::MemoryFolder;
using test::MemoryItem;
using test::MemoryStore;

struct TreeRun {
    explicit TreeRun(MailFolder& picked, DateValue now = makeDate(2026, 12, 6, 9, 0, 0))
        : clock(now), window(app, prompts, log, clock)
    {
        app.session.oPickedFolder = &picked;
        window.ResetLabels();
        window.onYield = [this] {
            subjects.push_back(window.panel.boxText(PanelBox::CurtMsgLabel));
            if (app.analysis.lEmailsProcessed == pauseAt)
                click();
        };
    }
    void click() { window.controller().StartButton_Click(); }

    AppState app;
    test::RecordingPrompts prompts;
    NoUsageLog log;
    test::FakeClock clock;
    HeadlessWindow window;
    std::vector<std::string> subjects;
    std::int32_t pauseAt = -1;
};

// Sent Items with subfolders three levels deep, an empty one, "Deleted
// Items" and a trash folder; 14 items are walked.
void buildTree(MemoryFolder& sent)
{
    sent.addItems(2, "sent");
    MemoryFolder& a = sent.add("A").addItems(1, "a");
    MemoryFolder& a1 = a.add("A1").addItems(2, "a1");
    a1.add("A1x").addItems(2, "a1x");
    a1.add("A1y").addItems(1, "a1y");
    a.add("A2").addItems(1, "a2");
    sent.add("B").add("B1").addItems(2, "b1");
    sent.add("Deleted Items").addItems(2, "deleted");
    MemoryFolder& trash = sent.add("Trash");
    trash.trash = true;
    trash.addItems(2, "trash").add("Below trash").addItems(1, "below");
    sent.add("C").addItems(3, "c");
}

TEST(ResumeWalk, APauseAfterAnyItemThenResumeWalksWhatAnUninterruptedRunWalks)
{
    MemoryStore store;
    MemoryFolder& sent = store.top().add("Sent Items");
    buildTree(sent);
    TreeRun whole(sent);
    whole.click();
    ASSERT_EQ(whole.subjects.size(), 14u);
    EXPECT_EQ(whole.subjects.back(), "c 3");
    for (std::int32_t k = 1; k <= 14; ++k) {
        TreeRun run(sent);
        run.pauseAt = k;
        run.click();
        EXPECT_EQ(run.window.startCaption(), "Resume") << k;
        run.click();
        EXPECT_EQ(run.window.startCaption(), "Start") << k;
        EXPECT_EQ(run.subjects, whole.subjects) << "paused after item " << k;
        EXPECT_EQ(run.app.analysis.lEmailsAnalysed, 14) << k;
        EXPECT_EQ(run.app.analysis.vHourCount.cells, whole.app.analysis.vHourCount.cells) << k;
    }
}

TEST(ResumeWalk, TwoPausesInDifferentSubtreesLoseNothing)
{
    MemoryStore store;
    MemoryFolder& sent = store.top().add("Sent Items");
    buildTree(sent);
    TreeRun run(sent);
    run.pauseAt = 6; // inside A1x
    run.click();
    run.pauseAt = 11; // inside B1
    run.click();
    EXPECT_EQ(run.window.startCaption(), "Resume");
    run.click();
    EXPECT_EQ(run.window.startCaption(), "Start");
    EXPECT_EQ(run.app.analysis.lEmailsProcessed, 14);
    EXPECT_EQ(run.subjects.back(), "c 3");
}

TEST(ThreadedReplies, OriginalsAnywhereInTheStoreTimeTheReplies)
{
    MemoryStore store;
    MemoryFolder& sent = store.top().add("Sent Items");
    MemoryFolder& inbox = store.top().add("Inbox");
    MemoryFolder& trash = store.top().add("Trash");
    trash.trash = true;
    auto original = [](const char* id, DateValue at) {
        MemoryItem item;
        item.messageId = id;
        item.receivedTime = at;
        return item;
    };
    inbox.add("Lists").addItem(original("list@x", makeDate(2024, 3, 1, 9, 0, 0)));
    trash.addItem(original("gone@x", makeDate(2024, 3, 1, 10, 0, 0)));
    for (const char* parent : {"list@x", "gone@x", "missing@x"}) {
        MemoryItem reply;
        reply.subject = "Re: question";
        reply.receivedTime = makeDate(2024, 3, 1, 12, 0, 0);
        reply.inReplyTo = {parent};
        sent.addItem(reply);
    }
    TreeRun run(sent);
    run.click();
    EXPECT_EQ(run.app.analysis.lEmailsAnalysed, 3);
    EXPECT_EQ(run.app.analysis.lResponseCount, 2);
    EXPECT_EQ(run.app.analysis.responseSources, (std::array<std::int32_t, 3>{0, 2, 0}));
    EXPECT_EQ(run.app.analysis.items.vItemResponseMinutes[0], 180);
    EXPECT_EQ(run.app.analysis.items.vItemResponseMinutes[1], 120);
    EXPECT_EQ(run.app.analysis.items.vItemResponseMinutes[2], -1);
}

TEST(RunWindow, MailOfTheRunDayCountsAndTomorrowsDoesNot)
{
    MemoryStore store;
    MemoryFolder& sent = store.top().add("Sent Items");
    for (DateValue d : {makeDate(2026, 12, 6, 8, 0, 0), makeDate(2026, 12, 7, 0, 0, 1), makeDate(2020, 12, 30)}) {
        MemoryItem item;
        item.receivedTime = d;
        sent.addItem(item);
    }
    TreeRun run(sent, makeDate(2026, 12, 6, 9, 0, 0));
    run.click();
    EXPECT_EQ(run.app.analysis.lEmailsAnalysed, 2);
    EXPECT_EQ(run.app.analysis.vWindowEnd, makeDate(2026, 12, 7));
    EXPECT_EQ(run.app.analysis.vDayCount.back(), 0);
    EXPECT_EQ(run.app.analysis.vDayCount[run.app.analysis.vDayCount.size() - 2], 1);
    EXPECT_TRUE(run.prompts.shown.empty());
}

} // namespace
} // namespace brisk
