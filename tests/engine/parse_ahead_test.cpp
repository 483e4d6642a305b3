// Reading ahead on worker threads changes nothing the run shows: on real
// stores every figure, every error and every pause position is the one the
// walk gives when it reads each item itself.

#include "platform/mailstore/OpenStore.h"
#include "shell/Cli.h"
#include "shell/CliAnalysis.h"
#include "tests/cli/CliRun.h"
#include "tests/engine/EngineRun.h"

#include <gtest/gtest.h>

#include <sstream>

namespace brisk {
namespace {

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
    } else {
        std::cout << "../shared/corpora is absent: the Enron mailboxes are not compared\n";
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

TEST_F(ParseAheadTest, EveryStoreGivesTheSameFiguresAndErrorsWithAndWithoutWorkers)
{
    for (const fs::path& store : storesToCompare(broken)) {
        const auto run = [&](const char* threads) {
            return test::runCliCaptured({"--json", "--threads", threads, store.string()});
        };
        const test::CliRun alone = run("0");
        ASSERT_NE(alone.out.find("\"lEmailsAnalysed\":"), std::string::npos) << store << alone.err;
        for (const char* threads : {"1", "3"}) {
            const test::CliRun ahead = run(threads);
            EXPECT_EQ(std::tie(ahead.status, ahead.out, ahead.err), std::tie(alone.status, alone.out, alone.err))
                << store << " threads " << threads;
        }
        if (store == broken) { // it did report its files, at the same items both ways
            EXPECT_EQ(alone.status, 1);
            EXPECT_NE(alone.out.find("Error in ProcessMessage: lEmailsProcessed = "), std::string::npos) << alone.out;
        }
    }
}

// One run of a store's default folder, paused after item `pauseAt` and
// resumed, on `threads` workers.
struct PausedRun : test::StoreFirst<std::unique_ptr<MailStore>>, test::EngineRun {
    PausedRun(const fs::path& storePath, unsigned threads, std::int32_t pauseAt)
        : StoreFirst{openMailStore(storePath)}, test::EngineRun(nullptr, pauseAt)
    {
        window.controller().setParseThreads(threads);
        pick(store->defaultFolder());
        onItem = [this] { maxHeld = std::max(maxHeld, window.controller().parseAhead().held()); };
        click();
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
            const PausedRun ahead(store, 3, pauseAt);
            EXPECT_EQ(std::tuple(ahead.paused, ahead.position(), ahead.figures()),
                      std::tuple(alone.paused, alone.position(), alone.figures()))
                << store << " pause after " << pauseAt;
            // Nothing read ahead survives the pause; the walk never held more
            // than the workers' depth.
            EXPECT_EQ(ahead.heldWhilePaused, 0u);
            EXPECT_LE(ahead.maxHeld, 3 * ParseAhead::kDepthPerThread);
            EXPECT_GT(ahead.maxHeld, 0u) << "nothing was read ahead of " << store;
            EXPECT_EQ(alone.maxHeld, 0u);
        }
    }
}

} // namespace
} // namespace brisk
