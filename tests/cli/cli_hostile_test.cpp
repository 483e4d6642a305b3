// brisk-cli against stores and outputs that fail: the exit status tells
// whether everything was read and written, each error line names the file
// and the cause, and names from the store reach the terminal defused.

#include "tests/cli/CliRun.h"
#include "shell/Inspect.h"
#include "shell/TerminalText.h"
#include "tests/support/MemoryStore.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace brisk::test {
namespace {

namespace fs = std::filesystem;

constexpr auto cli = runCliCaptured;

void makeMaildirWith(const fs::path& dir, const std::vector<std::string>& raws)
{
    for (const char* sub : {"cur", "new", "tmp"})
        fs::create_directories(dir / sub);
    int n = 0;
    for (const std::string& raw : raws)
        writeFile(dir / "cur" / (std::to_string(++n) + ".eml"), raw);
}

const std::string kGood = "From: Ann <ann@example.com>\nTo: bob@example.com\nSubject: fine\n"
                          "Date: Mon, 1 Mar 2010 10:00:00 +0000\n\nHello\n";

TEST(CliHostile, ExitStatusTellsWhetherEveryItemWasRead)
{
    TempDir dir;
    // A header that never ends is an item no reader can take.
    const std::string endless = "Subject: endless\nX-Long: " + std::string(std::size_t{5} << 20, 'x') + "\n";
    makeMaildirWith(dir / "good" / "Sent", {kGood});
    makeMaildirWith(dir / "bad" / "Sent", {kGood, endless});
    makeMaildirWith(dir / "none" / "Sent", {endless});
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    const fs::path badFile = dir / "bad" / "Sent" / "cur" / "2.eml";
    const struct {
        std::string store;
        int status;
        std::string errorLine; // a line standard error must hold, "" for none
    } cases[] = {
        {(dir / "good").string(), 0, ""},
        {(dir / "bad").string(), 1,
         "BRISK Vezoriv Rizovave: Error in ProcessMessage: lEmailsProcessed = 2: cannot read " + badFile.string()
             + ": its header is longer than 4 MiB"},
        // The walk reports the item twice: once analysing it, once showing
        // its subject; the count is of the error lines shown.
        {(dir / "none").string(), 1, "brisk-cli: 2 errors while reading the store; the figures leave out what could not be read"},
        {(dir / "missing").string(), 2, "brisk-cli: cannot read " + (dir / "missing").string() + ": No such file or directory"},
        {(dir / "fifo").string(), 2, "brisk-cli: cannot read " + (dir / "fifo").string() + ": not a regular file"},
    };
    for (const auto& c : cases) {
        const CliRun run = cli({"--json", c.store});
        EXPECT_EQ(run.status, c.status) << c.store << "\n" << run.err;
        if (c.errorLine.empty())
            EXPECT_EQ(run.err, "") << c.store;
        else
            EXPECT_NE(("\n" + run.err).find("\n" + c.errorLine + "\n"), std::string::npos) << run.err;
        // A run that completed still prints its figures.
        EXPECT_EQ(run.out.empty(), c.status == 2) << c.store;
    }
}

// A folder whose items cannot be counted, for the listing without a disk.
class BrokenFolder : public MemoryFolder {
public:
    using MemoryFolder::MemoryFolder;
    long itemCount() override { throw StoreError("cannot read /x/cur: Input/output error"); }
};

// A root whose subfolders are given, so that a broken one can stand beside
// a readable one.
class TreeFolder : public MemoryFolder {
public:
    using MemoryFolder::MemoryFolder;
    const std::vector<MailFolder*>& folders() override { return children; }
    std::vector<MailFolder*> children;
};

class TreeStore : public MemoryStore {
public:
    MailFolder& root() override { return tree; }
    TreeFolder tree{"Mailbox", nullptr};
};

TEST(CliHostile, TheTreeListsEveryFolderAroundABrokenOne)
{
    TreeStore store;
    MemoryFolder a("A", &store.tree);
    a.addItems(2);
    BrokenFolder broken("B\x1b[2J", &store.tree);
    store.tree.children = {&a, &broken};
    std::ostringstream out, err;
    EXPECT_EQ(printFolderTree(store, out, err), 1);
    EXPECT_EQ(out.str(), "Mailbox (0)\n  A (2)\n  B\\x1b[2J (?)\n");
    EXPECT_EQ(err.str(), "brisk-cli: cannot read folder B\\x1b[2J: cannot read /x/cur: Input/output error\n");
}

TEST(CliHostile, OutputThatCannotBeWrittenExitsWith1)
{
    const fs::path brisk = buildDir() / "app" / "brisk-cli";
    TempDir dir;
    makeMaildirWith(dir / "store" / "Sent", {kGood});
    for (const char* args : {"--list-folders", "--json", "--dump 1"}) {
        const std::string command = brisk.string() + " " + args + " " + shellQuote((dir / "store").string())
            + " >/dev/full 2>" + shellQuote((dir / "err").string());
        const int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status)) << args;
        EXPECT_EQ(WEXITSTATUS(status), 1) << args;
        EXPECT_EQ(readFile(dir / "err"), "brisk-cli: cannot write the output: No space left on device\n") << args;
    }
}

TEST(CliHostile, StoreTextReachesTheTerminalDefused)
{
    const struct {
        std::string in, out;
    } cases[] = {
        {"plain caf\xc3\xa9 \xe2\x82\xac", "plain caf\xc3\xa9 \xe2\x82\xac"},
        {"title\x1b]0;owned\x07", "title\\x1b]0;owned\\x07"},
        {"csi \xc2\x9b" "2J and del \x7f", "csi \\xc2\\x9b2J and del \\x7f"},
        {"lines\r\nkept\tand\rbare cr", "lines\r\nkept\tand\\x0dbare cr"},
        {"stray \xff\xc3 bytes \xed\xa0\x80", "stray \\xff\\xc3 bytes \\xed\\xa0\\x80"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(terminalSafe(c.in), c.out) << c.in;

    TempDir dir;
    makeMaildirWith(dir / "store" / "Sent\x1b[31m", {kGood});
    const CliRun run = cli({"--list-folders", (dir / "store").string()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "store (0)\n  Sent\\x1b[31m (1)\n");
}

} // namespace
} // namespace brisk::test
