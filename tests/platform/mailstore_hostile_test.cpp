// Stores built to hurt: a message over 4 GiB, folder links that loop, FIFOs
// where messages should be, unreadable folders. The store must read what it
// can, refuse the rest with the path and the cause, and never hang.

#include "platform/mailstore/FileAccess.h"
#include "platform/mailstore/MboxIndex.h"
#include "tests/platform/mailstore_Fixtures.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brisk::test {
namespace {

namespace fs = std::filesystem;
using mailstore::FromUnquoter;
using mailstore::unquoteFromLines;

long peakRssMb()
{
    rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

// An mbox whose first message is its header and then `hole` bytes of
// nothing (a sparse file, so it costs no disk), in its body or, with
// `inHeader`, in a header that never ends; then a second, ordinary message.
void writeSparseMbox(const fs::path& file, std::int64_t hole, bool inHeader = false)
{
    const std::string header = message("Huge", "");
    const std::string head = "From a@example.com Mon Mar  1 10:00:00 2021\n"
        + (inHeader ? header.substr(0, header.size() - 1) + "X-Long: " : header);
    const std::string tail = "\n\nFrom b@example.com Mon Mar  1 11:00:00 2021\n" + message("After the hole");
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::pwrite(fd, head.data(), head.size(), 0), static_cast<ssize_t>(head.size()));
    const auto at = static_cast<off_t>(head.size() + static_cast<std::size_t>(hole));
    ASSERT_EQ(::pwrite(fd, tail.data(), tail.size(), at), static_cast<ssize_t>(tail.size()));
    ::close(fd);
}

TEST(HostileStore, AMessageOver4GiBIsSizedAndReadIn64BitsWithoutLoadingIt)
{
    TempDir dir;
    const std::int64_t hole = (std::int64_t{1} << 32) + 4096;
    writeSparseMbox(dir / "Sent", hole);
    auto store = openMailStore(dir / "Sent");
    MailFolder& folder = store->root();
    ASSERT_EQ(folder.itemCount(), 2);
    auto huge = folder.item(1);
    EXPECT_GT(huge->size(), hole);
    EXPECT_EQ(huge->typeName(), "MailItem");
    EXPECT_EQ(huge->subject(), "Huge");
    auto after = folder.item(2);
    EXPECT_EQ(after->subject(), "After the hole");
    EXPECT_EQ(after->body(), "Hello\r\n");
    EXPECT_LT(peakRssMb(), 1024) << "the message or the mbox was held in memory";
}

TEST(HostileStore, AHeaderThatNeverEndsIsRefusedWithoutLoadingIt)
{
    TempDir dir;
    writeSparseMbox(dir / "Sent", std::int64_t{256} << 20, true);
    auto store = openMailStore(dir / "Sent");
    ASSERT_EQ(store->root().itemCount(), 2);
    try {
        store->root().item(1)->subject();
        ADD_FAILURE() << "a 256 MiB header was read";
    } catch (const StoreError& e) {
        EXPECT_EQ(std::string(e.what()), "cannot read " + (dir / "Sent").string()
                                             + " (message at byte 44): its header is longer than 4 MiB");
    }
    EXPECT_EQ(store->root().item(2)->subject(), "After the hole");
    EXPECT_LT(peakRssMb(), 150) << "the header was held in memory";
}

TEST(HostileStore, QuotedFromLinesOfABigMboxMessageAreUnquotedInAStream)
{
    // 8 MiB, twice the size read into memory at once, with quoting at every
    // kind of line start.
    std::string body = ">From here\n>>From there\n>Fromage\nFrom: x\n";
    body += std::string(std::size_t{8} << 20, 'w') + "\n>From the end\n";
    TempDir dir;
    writeFile(dir / "Sent", "From a@example.com Mon Mar  1 10:00:00 2021\n" + message("Big", body));
    auto store = openMailStore(dir / "Sent");
    auto item = store->root().item(1);
    std::string text;
    item->readBody([&](std::string_view chunk) { text += chunk; });
    EXPECT_TRUE(text.starts_with("From here\r\n>From there\r\n>Fromage\r\nFrom: x\r\n")) << text.substr(0, 60);
    EXPECT_TRUE(text.ends_with("\r\nFrom the end\r\n"));
}

TEST(HostileStore, FromUnquoterMatchesTheWholeTextUnquotingInAnyPieces)
{
    const std::string text = ">From a\n>>From b\n>Fro\n>>>F\nFrom c\n x>From d\n>From\n>>>>From ";
    std::string whole = text;
    unquoteFromLines(whole);
    for (std::size_t piece = 1; piece <= 4; ++piece) {
        FromUnquoter unquoter;
        std::string out;
        for (std::size_t at = 0; at < text.size(); at += piece)
            unquoter.feed(std::string_view(text).substr(at, piece), out);
        unquoter.finish(out);
        EXPECT_EQ(out, whole) << "pieces of " << piece;
    }
}

TEST(HostileStore, LinkedFoldersAreNotFollowedSoLoopsEndAndNothingCountsTwice)
{
    TempDir dir;
    const fs::path root = dir / "store";
    makeMaildir(root / "Sent", {"one", "two"});
    // Thunderbird's Sent.sbd pointing at its own folder, a loop back to the
    // root, and a link to a folder outside the store.
    writeFile(root / "Inbox", "From a Mon Mar  1 10:00:00 2021\n" + message("inbox"));
    fs::create_directory_symlink(".", root / "Inbox.sbd");
    fs::create_directory_symlink("..", root / "Sent" / "Loop");
    makeMaildir(dir / "outside", {"stranger"});
    fs::create_directory_symlink(dir / "outside", root / "Elsewhere");
    fs::create_symlink(root / "Sent" / "cur" / "1.eml", root / "Sent" / "cur" / "3.eml");
    auto store = openMailStore(root);
    EXPECT_EQ(outline(store->root()), (std::vector<std::string>{" (0)", "Inbox (1)", "Sent (2)"}));
    // The root itself may be named through a link: that one is followed.
    fs::create_directory_symlink(root, dir / "named");
    EXPECT_EQ(outline(openMailStore(dir / "named")->root()).size(), 3u);
}

TEST(HostileStore, ADirectoryReachedTwiceAddsItsFoldersOnce)
{
    TempDir dir;
    fs::create_directory(dir / "a");
    fs::create_directory_symlink(dir / "a", dir / "b");
    EXPECT_EQ(mailstore::directoryId(dir / "a"), mailstore::directoryId(dir / "b"));
    EXPECT_NE(mailstore::directoryId(dir / "a"), mailstore::directoryId(dir.path()));
    EXPECT_THROW(mailstore::directoryId(dir / "missing"), StoreError);
}

TEST(HostileStore, FifosAreRefusedAtOnceAsUnreadableItems)
{
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "store.mbox").c_str(), 0600), 0);
    try {
        openMailStore(dir / "store.mbox");
        ADD_FAILURE() << "a FIFO opened as a store";
    } catch (const StoreError& e) {
        EXPECT_EQ(std::string(e.what()), "cannot read " + (dir / "store.mbox").string() + ": not a regular file");
    }
    // A message swapped for a FIFO after the folder was listed.
    makeMaildir(dir / "box", {"one", "two"});
    auto store = openMailStore(dir / "box");
    ASSERT_EQ(store->root().itemCount(), 2);
    const fs::path swapped = dir / "box" / "cur" / "1.eml";
    fs::remove(swapped);
    ASSERT_EQ(::mkfifo(swapped.c_str(), 0600), 0);
    auto item = store->root().item(1);
    EXPECT_THROW(item->typeName(), StoreError);
    EXPECT_EQ(store->root().item(2)->subject(), "two");
    // The same for an mbox swapped for a FIFO after it was indexed.
    writeFile(dir / "Sent", "From a Mon Mar  1 10:00:00 2021\n" + message("one"));
    auto mbox = openMailStore(dir / "Sent");
    ASSERT_EQ(mbox->root().itemCount(), 1);
    fs::remove(dir / "Sent");
    ASSERT_EQ(::mkfifo((dir / "Sent").c_str(), 0600), 0);
    EXPECT_THROW(mbox->root().item(1)->subject(), StoreError);
}

TEST(HostileStore, UnreadableFoldersAreShownAndTheirErrorNamesThePathAndCause)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every folder";
    TempDir dir;
    const fs::path root = dir / "store";
    makeMaildir(root / "Sent", {"one"});
    makeMaildir(root / "Locked", {"two"});
    fs::permissions(root / "Sent" / "cur", fs::perms::none);
    fs::permissions(root / "Locked", fs::perms::none);
    auto store = openMailStore(root);
    EXPECT_EQ(childNames(store->root()), (std::vector<std::string>{"Locked", "Sent"}));
    MailFolder* sent = store->findFolder("Sent");
    ASSERT_NE(sent, nullptr);
    try {
        sent->itemCount();
        ADD_FAILURE() << "an unreadable cur/ was read";
    } catch (const StoreError& e) {
        EXPECT_EQ(std::string(e.what()), "cannot read " + (root / "Sent" / "cur").string() + ": Permission denied");
    }
    EXPECT_THROW(store->findFolder("Locked")->itemCount(), StoreError);
    fs::permissions(root / "Sent" / "cur", fs::perms::owner_all);
    fs::permissions(root / "Locked", fs::perms::owner_all);
}

} // namespace
} // namespace brisk::test
