// Whole runs through the run control: the walk's order and what it skips,
// Pause and Resume wherever they fall, the close request, store errors, the
// refresh schedule of the top lists and the window that ends with the run.
// Reading ahead on worker threads, or in parser processes, changes nothing
// the run shows: on real stores every figure, every error and every pause
// position is the one the walk gives when it reads each item itself.

#include "platform/mailstore/OpenStore.h"
#include "platform/system/ParseProcess.h"
#include "shell/Cli.h"
#include "shell/CliAnalysis.h"
#include "tests/cli/CliRun.h"
#include "tests/engine/EngineRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <set>
#include <sstream>

namespace brisk {
namespace {

using test::MemoryFolder;
using test::MemoryStore;

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

namespace fs = std::filesystem;

// The stores compared: the sample store, the threading corpus, every Enron
// mailbox when the shared corpora are there, and a store of broken files.
std::vector<fs::path> storesToCompare(const fs::path& broken)
{
    std::vector<fs::path> stores = {test::sampleStoreDir(), test::sourceDir() / "tests/corpora/threads", broken};
    if (const auto corpora = test::corporaDir()) {
        for (const auto& user : fs::directory_iterator(*corpora / "enron"))
            if (user.is_directory())
                stores.push_back(user.path());
    }
    return stores;
}

// Good mail between files that fail in each way a file can: empty, a header
// that never ends within the in-memory limit, bytes that are no message.
fs::path writeBrokenStore(const fs::path& root)
{
    const fs::path cur = root / "Sent Items" / "cur";
    int n = 0;
    auto add = [&](const std::string& bytes) { test::writeFile(cur / (std::to_string(100 + n++) + ".eml"), bytes); };
    for (const auto& entry : fs::directory_iterator(test::sourceDir() / "tests/corpora/threads/Sent/cur"))
        add(test::readFile(entry.path()));
    add("");
    add("Subject: RE: long\r\nX-Pad: " + std::string(5 << 20, 'x'));
    add(std::string("\0\xff\xfe\x01 garbage", 12));
    for (const auto& entry : fs::directory_iterator(test::sourceDir() / "tests/corpora/threads/Inbox/cur"))
        add(test::readFile(entry.path()));
    return root;
}

class ParseAheadTest : public ::testing::Test {
protected:
    test::TempDir dir;
    const fs::path broken = writeBrokenStore(dir / "broken");
};

const std::string kParser = (test::buildDir() / "app" / "brisk-parse").string();

TEST_F(ParseAheadTest, EveryStoreGivesTheSameFiguresAndErrorsWithAndWithoutWorkers)
{
    const std::vector<std::vector<std::string>> workers = {
        {"--threads", "1", "--parser", "none"},
        {"--threads", "3", "--parser", "none"},
        {"--threads", "1", "--parser", kParser},
        {"--threads", "2", "--parser", kParser},
    };
    for (const fs::path& store : storesToCompare(broken)) {
        const auto run = [&](std::vector<std::string> args) {
            args.insert(args.end(), {"--json", store.string()});
            return test::runCliCaptured(args);
        };
        const test::CliRun alone = run({"--threads", "0"});
        ASSERT_NE(alone.out.find("\"lEmailsAnalysed\":"), std::string::npos) << store << alone.err;
        for (const auto& ahead : workers) {
            const test::CliRun run_ = run(ahead);
            EXPECT_EQ(std::tie(run_.status, run_.out, run_.err), std::tie(alone.status, alone.out, alone.err))
                << store << " " << ahead[1] << " " << ahead[3];
        }
        if (store == broken) { // it did report its files, at the same items both ways
            EXPECT_EQ(alone.status, 1);
            EXPECT_NE(alone.out.find("Error in ProcessMessage: lEmailsProcessed = "), std::string::npos) << alone.out;
        }
    }
}

struct PausedRun : test::StoreFirst<std::unique_ptr<MailStore>>, test::EngineRun {
    PausedRun(const fs::path& storePath, unsigned threads, std::int32_t pauseAt, ParseChannelFactory processes = {},
              bool walkHelps = true)
        : StoreFirst{openMailStore(storePath)}, test::EngineRun(nullptr, pauseAt)
    {
        window.controller().setParseThreads(threads);
        window.controller().setParseProcesses(std::move(processes));
        window.controller().parseAhead().setWalkHelps(walkHelps);
        pick(store->defaultFolder());
        onItem = [this] { maxHeld = std::max(maxHeld, window.controller().parseAhead().held()); };
        click();
        if (pauseAt < 0)
            return;
        paused = position();
        heldWhilePaused = window.controller().parseAhead().held();
        click();
    }
    std::string position() const
    {
        const RunPosition& p = app.position;
        std::string text = p.lastFolderAnalysed ? p.lastFolderAnalysed->path() : "none";
        text += " #" + std::to_string(p.lastMessageIndexAnalysed) + " at";
        for (std::size_t i : p.folderPath)
            text += " " + std::to_string(i);
        return text + " caption " + window.startCaption();
    }
    std::string figures() const
    {
        std::ostringstream out;
        printJsonResults(app, window, prompts.texts(), out);
        const PerItemArrays& items = app.analysis.items;
        for (std::size_t i = 0; i < items.vItemWords.size(); ++i)
            out << ' ' << int(items.vItemHour[i]) << '/' << items.vItemWords[i] << '/' << items.vItemSizeKB[i] << '/'
                << items.vItemResponseMinutes[i] << '/' << items.vItemSender[i] << '/' << items.vItemReceiver[i];
        return out.str();
    }

    std::string paused;
    std::size_t maxHeld = 0;
    std::size_t heldWhilePaused = 0;
};

TEST_F(ParseAheadTest, PausesFallOnTheSameItemsAndResumeEndsWithTheSameFigures)
{
    for (const fs::path& store : {test::sampleStoreDir(), broken}) {
        for (const std::int32_t pauseAt : {1, 2, 9, 14, 15, 40, 333}) {
            const PausedRun alone(store, 0, pauseAt);
            const PausedRun threads(store, 3, pauseAt);
            const PausedRun processes(store, 2, pauseAt, parseProcesses(kParser));
            for (const PausedRun* ahead : {&threads, &processes}) {
                EXPECT_EQ(std::tuple(ahead->paused, ahead->position(), ahead->figures()),
                          std::tuple(alone.paused, alone.position(), alone.figures()))
                    << store << " pause after " << pauseAt;
                EXPECT_EQ(ahead->heldWhilePaused, 0u);
                EXPECT_GT(ahead->maxHeld, 0u) << "nothing was read ahead of " << store;
            }
            EXPECT_LE(threads.maxHeld, 3 * ParseAhead::kDepthPerThread);
            EXPECT_LE(processes.maxHeld, 2 * ParseAhead::kProcessDepth);
            EXPECT_EQ(alone.maxHeld, 0u);
        }
    }
}

// Parser "processes" served in this one, read as brisk-parse reads: one ends
// (as by a signal) on every item whose file name holds "crash", and on one
// holding "once" the first time any reads it. `startable` of them start.
struct FakeParsers {
    class Channel : public ParseChannel {
    public:
        explicit Channel(FakeParsers& parsers) : m_parsers(parsers) {}
        bool send(std::string_view request) override
        {
            m_pending.emplace_back(request);
            return !m_dead;
        }
        std::optional<std::string> receive() override
        {
            if (m_dead || m_pending.empty())
                return std::nullopt;
            const std::string request = std::move(m_pending.front());
            m_pending.pop_front();
            const bool once = request.find("once") != std::string::npos;
            m_dead = request.find("crash") != std::string::npos || (once && m_parsers.endedOnce.insert(request).second);
            if (m_dead)
                return std::nullopt;
            return answerParseRequest(request);
        }
        std::string whyGone() override { return "it was ended by signal 11"; }

    private:
        FakeParsers& m_parsers;
        std::deque<std::string> m_pending;
        bool m_dead = false;
    };

    ParseChannelFactory factory()
    {
        return [this]() -> std::unique_ptr<ParseChannel> {
            if (started == startable)
                return nullptr;
            ++started;
            return std::make_unique<Channel>(*this);
        };
    }

    int startable = 100;
    int started = 0;
    std::set<std::string> endedOnce;
};

TEST_F(ParseAheadTest, AnEndedParserIsReplacedAndOnlyAnItemThatEndsTwoIsGivenUp)
{
    const fs::path cur = dir / "ends" / "Sent Items" / "cur";
    const std::string mail = test::readFile(*fs::directory_iterator(test::sourceDir() / "tests/corpora/threads/Sent/cur"));
    for (const char* name : {"10", "11-once", "12", "13-crash", "14", "15-once", "16"})
        test::writeFile(cur / (std::string(name) + ".eml"), mail);
    {
        // One process a worker is started when they are set, before any
        // item; the workers then take those (the counts below).
        FakeParsers parsers;
        ParseAhead ahead(2);
        ahead.setProcesses(parsers.factory());
        EXPECT_EQ(parsers.started, 2);
    }
    const PausedRun alone(dir / "ends", 0, -1);
    ASSERT_EQ(alone.app.analysis.lEmailsAnalysed, 7);
    ASSERT_TRUE(alone.prompts.causes.empty());
    const std::string stopped = "the mail parser process stopped on this message: it was ended by signal 11";
    // Ends: "11-once" the first process; "13-crash" the next two (or the
    // second, when no third starts: it is then parsed on the worker's thread).
    struct Case {
        int startable;
        int started;       // processes started in all
        bool crashGivenUp; // "13-crash" an error of its item
    };
    for (const Case c : {Case{100, 5, true}, Case{2, 2, false}, Case{1, 1, false}}) {
        FakeParsers parsers;
        parsers.startable = c.startable;
        const PausedRun ends(dir / "ends", 1, -1, parsers.factory(), false);
        EXPECT_EQ(parsers.started, c.started) << c.startable;
        EXPECT_EQ(ends.app.analysis.lEmailsProcessed, 7);
        EXPECT_EQ(ends.app.analysis.lEmailsAnalysed, c.crashGivenUp ? 6 : 7) << c.startable;
        EXPECT_EQ(ends.prompts.causes, c.crashGivenUp ? std::vector<std::string>{stopped} : std::vector<std::string>{});
        if (!c.crashGivenUp) {
            EXPECT_EQ(ends.figures(), alone.figures());
        }
    }
}

TEST(ParseProcess, AProcessThatEndsOrAnnouncesAnOverlongFrameSaysWhyAndAMissingProgramStartsNone)
{
    // A process that announces a frame over the limit is not waited for:
    // it is killed, and says so.
    test::TempDir dir;
    const fs::path liar = dir / "liar";
    test::writeFile(liar, "#!/bin/sh\nprintf '\\377\\377\\377\\377'\nexec sleep 600\n");
    fs::permissions(liar, fs::perms::owner_all);
    const std::unique_ptr<ParseChannel> lying = parseProcesses(liar)();
    ASSERT_NE(lying, nullptr);
    EXPECT_TRUE(lying->send("anything"));
    EXPECT_EQ(lying->receive(), std::nullopt);
    EXPECT_EQ(lying->whyGone(), "it was ended by signal 9 (Killed)");

    const ParseChannelFactory start = parseProcesses(kParser);
    const std::unique_ptr<ParseChannel> channel = start();
    ASSERT_NE(channel, nullptr);
    EXPECT_TRUE(channel->send("no request"));
    EXPECT_EQ(channel->receive(), std::nullopt);
    EXPECT_EQ(channel->whyGone(), "it exited with status 1");
    EXPECT_FALSE(channel->send(encodeRequest({"0 - 0 UTC\n/x", DateOrder::DayFirst, "UTC"})));
    EXPECT_EQ(parseProcesses("/nonexistent/brisk-parse")(), nullptr);
    EXPECT_EQ(parseProcesses({}), nullptr);
}

} // namespace
} // namespace brisk
