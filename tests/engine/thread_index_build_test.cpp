// The Message-ID index built beside the walk by a hand-driven job (nothing
// emitted until the test opens its gate): replies that wait get the figures
// of an index built before the walk, wherever it is sealed.

#include "tests/engine/EngineRun.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace brisk {
namespace {

using test::MemoryFolder;
using test::MemoryItem;
using test::MemoryStore;

struct Gate {
    std::atomic<bool> started{false}, open{false}, sawStop{false};
};

// The store's ids copied when the job is made, emitted once the gate opens.
class HandJob : public ThreadHeaderScan {
public:
    HandJob(MailFolder& root, std::shared_ptr<Gate> gate) : m_gate(std::move(gate)) { collect(root); }

    void run(const MailFolder::ThreadHeaderSink& sink, const std::atomic<bool>& stop) override
    {
        m_gate->started = true;
        while (!m_gate->open.load() && !stop.load())
            std::this_thread::yield();
        m_gate->sawStop = stop.load();
        for (const auto& [id, time] : m_headers)
            if (!stop.load())
                sink(id, time);
    }

private:
    void collect(MailFolder& folder)
    {
        folder.scanThreadHeaders([this](std::string_view id, double time) { m_headers.emplace_back(id, time); });
        for (MailFolder* child : folder.folders())
            collect(*child);
    }

    std::shared_ptr<Gate> m_gate;
    std::vector<std::pair<std::string, double>> m_headers;
};

DateValue at(int day, int hour, int minute = 0) { return makeDate(2024, 3, day, hour, minute, 0); }

MemoryItem reply(std::vector<std::string> inReplyTo, std::string body = "ok\r\n", std::vector<std::string> refs = {})
{
    return {.receivedTime = at(1, 12), .subject = "Re: plan", .body = body, .inReplyTo = inReplyTo,
            .references = refs};
}

// Originals in a folder of the Inbox and in the trash, ten items in Sent
// Items: every rule, and every way for a reply to wait for the index (items
// 2, 4, 5, 6, 7 and 10).
void buildStore(MemoryStore& store)
{
    store.top().add("Inbox").add("Lists").addItem({.receivedTime = at(1, 9), .messageId = "a@x"})
        .addItem({.receivedTime = at(1, 13), .messageId = "late@x"});
    MemoryFolder& trash = store.top().add("Trash").addItem({.receivedTime = at(1, 9, 30), .messageId = "b@x"});
    trash.trash = true;
    const std::string attribution = "mine\r\nOn 1 Mar 2024 at 11:30, Ann wrote:\r\n> hi\r\n";
    store.top().add("Sent Items").addItems(1, "plain")
        .addItem(reply({"a@x"}))                                // threading, 180
        .addItem(reply({"a@x"}, "Sent: 1 March 2024 11:00\r\n")) // the "Sent: " line, 60
        .addItem(reply({}, "ok\r\n", {"x@x", "b@x"}))            // last References entry, 150
        .addItem(reply({"missing@x"}, attribution))             // attribution, 30
        .addItem(reply({"late@x"}, attribution))                // parent later: attribution
        .addItem(reply({"missing@x"}))                          // nothing
        .addItems(1, "plain")
        .addItem(reply({}, attribution))                        // attribution, at once
        .addItem({.receivedTime = at(2, 9), .subject = "Re: plan", .inReplyTo = {"a@x"}}); // 1440
}

constexpr int kItems = 10;

// Opens the gate after item `openAt` (0: at once), pauses after `pauseAt`,
// asks to exit after `exitAt`, and records the replies waiting after each item.
struct IndexedRun : test::StoreFirst<>, test::EngineRun {
    explicit IndexedRun(bool job, std::int32_t pause = -1, std::int32_t open = -1, const char* picked = "Sent Items")
        : test::EngineRun(nullptr, pause), openAt(open)
    {
        buildStore(store);
        if (job)
            store.top().scanJob = std::make_unique<HandJob>(store.top(), gate);
        pick(*store.findFolder(picked));
        onItem = [this] {
            const std::int32_t n = processed();
            waiting.push_back(static_cast<int>(index().waiting()));
            if (n == openAt || (openAt == 0 && n == 1))
                openGate();
            if (n == exitAt)
                app.position.vExitRequested = true;
        };
    }
    ThreadIndexBuild& index() { return window.controller().threadIndex(); }
    void openGate()
    {
        gate->open = true;
        index().waitUntilSealed();
    }

    std::shared_ptr<Gate> gate = std::make_shared<Gate>();
    std::int32_t openAt, exitAt = -1;
    std::vector<int> waiting;
};

// recordResponseTime sets its figures together: these stand for the rest.
auto replies(const AnalysisState& s)
{
    return std::tuple(s.lEmailsAnalysed, s.responseSources, s.items.vItemResponseMinutes, s.items.responded,
                      s.lTotalWords);
}

class ThreadIndexBuildTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        before.click();
        const AnalysisState& s = before.app.analysis;
        ASSERT_EQ(std::tuple(s.lEmailsAnalysed, s.responseSources, test::first(s.items.vItemResponseMinutes, kItems),
                             before.waiting, before.prompts.shown.size()),
                  std::tuple(kItems, std::array<std::int32_t, 3>{1, 3, 3},
                             std::vector<int>{-1, 180, 60, 150, 30, 30, -1, -1, 30, 1440},
                             std::vector<int>(kItems, 0), 0u));
    }

    IndexedRun before{false};
};

// The index sealed after each item: while the walk goes on, while it is
// paused there, or only at the end of a walk paused there.
TEST_F(ThreadIndexBuildTest, RepliesThatWaitGetTheFiguresOfAnIndexBuiltBeforeTheWalk)
{
    const std::vector<int> unsealed = {0, 1, 1, 2, 3, 4, 5, 5, 5, 6};
    enum Pause { None, SealedWhilePaused, SealedAtTheEnd };
    for (std::int32_t n = 0; n <= kItems; ++n) {
        for (const Pause pause : {None, SealedWhilePaused, SealedAtTheEnd}) {
            if (pause != None && (n == 0 || n == kItems))
                continue;
            const std::string where = "item " + std::to_string(n) + ", pause " + std::to_string(pause);
            IndexedRun run(true, pause == None ? -1 : n, pause == SealedWhilePaused ? -1 : pause ? kItems : n);
            run.gate->open = n == 0;
            run.click();
            if (pause != None) {
                ASSERT_EQ(run.window.startCaption(), "Resume") << where;
                EXPECT_TRUE(run.index().active()) << where;
                if (pause == SealedWhilePaused)
                    run.openGate();
                run.click();
            }
            EXPECT_EQ(run.window.startCaption(), "Start") << where;
            EXPECT_EQ(replies(run.app.analysis), replies(before.app.analysis)) << where;
            EXPECT_TRUE(run.prompts.shown.empty()) << where;
            // Waiting grows until the seal and is empty after the next item.
            std::vector<int> waiting(kItems, 0);
            std::copy_n(unsealed.begin(), pause == SealedAtTheEnd ? kItems : n, waiting.begin());
            EXPECT_EQ(run.waiting, waiting) << where;
            EXPECT_FALSE(run.index().active()) << where;
        }
    }
}

TEST_F(ThreadIndexBuildTest, NoScanUntilAReplyNeedsTheIndex)
{
    IndexedRun inbox(true, -1, -1, "Inbox");
    inbox.click();
    EXPECT_EQ(std::tuple(inbox.app.analysis.lEmailsAnalysed, inbox.gate->started.load(), inbox.index().active()),
              std::tuple(2, false, false));

    IndexedRun sent(true, 1);
    sent.click();
    EXPECT_FALSE(sent.gate->started);
    EXPECT_FALSE(sent.index().scanStarted());
    sent.pauseAt = 2; // the first reply that waits starts the scan
    sent.click();
    EXPECT_TRUE(sent.gate->started || sent.index().scanStarted());
    sent.openAt = kItems;
    sent.click();
    EXPECT_EQ(replies(sent.app.analysis), replies(before.app.analysis)) << "scan started by item 2";
}

TEST_F(ThreadIndexBuildTest, AnExportOfAPausedRunTimesTheRepliesThatWait)
{
    IndexedRun run(true, 7);
    run.click();
    EXPECT_EQ(run.index().waiting(), 5u);
    run.gate->open = true;
    run.window.controller().completeReplies();
    EXPECT_EQ(run.index().waiting(), 0u);
    EXPECT_EQ(run.app.analysis.responseSources, (std::array<std::int32_t, 3>{1, 2, 2}));
    run.click();
    EXPECT_EQ(replies(run.app.analysis), replies(before.app.analysis)) << "resumed after the export";
}

TEST_F(ThreadIndexBuildTest, AbandoningARunStopsAndJoinsTheScan)
{
    // Another folder chosen while paused: the scan stops, nothing waits.
    IndexedRun picked(true, 4);
    picked.click();
    picked.window.controller().abandonRun();
    EXPECT_EQ(std::tuple(picked.gate->sawStop.load(), picked.index().active(), picked.index().waiting(),
                         picked.app.analysis.responseSources),
              std::tuple(true, false, 0u, std::array<std::int32_t, 3>{1, 0, 0}));

    IndexedRun closed(true);
    closed.exitAt = 3;
    closed.click();
    EXPECT_EQ(std::tuple(closed.window.controller().terminated(), closed.gate->sawStop.load(), closed.index().active()),
              std::tuple(true, true, false));

    // A paused run dropped with its scan going: the thread is stopped and
    // joined (a thread left joinable would end the process).
    auto dropped = std::make_unique<IndexedRun>(true, 2);
    const std::shared_ptr<Gate> gate = dropped->gate;
    dropped->click();
    EXPECT_FALSE(gate->sawStop);
    dropped.reset();
    EXPECT_TRUE(gate->sawStop);
}

} // namespace
} // namespace brisk
