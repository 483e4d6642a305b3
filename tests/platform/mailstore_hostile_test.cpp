// Stores built to hurt: a message over 4 GiB, a header that never ends,
// folder links that loop, FIFOs where messages should be, files that change
// after listing, unreadable folders, garbage. The store must read what it
// can, refuse the rest with the path and the cause, and never hang.

#include "platform/mailstore/FileAccess.h"
#include "tests/platform/mailstore_Fixtures.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brisk::test {
namespace {

namespace fs = std::filesystem;

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

// A body over 4 GiB is sized and read in 64 bits, a 256 MiB header is
// refused, and the message after either still reads; neither is loaded.
TEST(HostileStore, AHugeBodyIsSizedInSixtyFourBitsAndAHeaderThatNeverEndsIsRefused)
{
    TempDir dir;
    const std::int64_t hole = (std::int64_t{1} << 32) + 4096;
    writeSparseMbox(dir / "Huge", hole);
    writeSparseMbox(dir / "Endless", std::int64_t{256} << 20, true);
    auto huge = openMailStore(dir / "Huge");
    auto endless = openMailStore(dir / "Endless");
    ASSERT_EQ(huge->root().itemCount(), 2);
    ASSERT_EQ(endless->root().itemCount(), 2);
    EXPECT_GT(huge->root().item(1)->size(), hole);
    EXPECT_EQ(huge->root().item(1)->subject(), "Huge");
    EXPECT_EQ(huge->root().item(2)->body(), "Hello\r\n");
    try {
        endless->root().item(1)->subject();
        ADD_FAILURE() << "a 256 MiB header was read";
    } catch (const StoreError& e) {
        EXPECT_EQ(std::string(e.what()), "cannot read " + (dir / "Endless").string()
                                             + " (message at byte 44): its header is longer than 4 MiB");
    }
    for (auto* store : {huge.get(), endless.get()})
        EXPECT_EQ(store->root().item(2)->subject(), "After the hole");
    EXPECT_LT(peakRssMb(), 1024) << "a message or an mbox was held in memory";
}

// Big messages are streamed: an 8 MiB mbox body (twice what is read into
// memory at once) quoted at every kind of line start, and a 6 MiB base64
// attachment that is never decoded.
TEST(HostileStore, BigBodiesAndAttachmentsAreStreamedNotLoaded)
{
    std::string body = ">From here\n>>From there\n>Fromage\nFrom: x\n";
    body += std::string(std::size_t{8} << 20, 'w') + "\n>From the end\n";
    TempDir dir;
    writeFile(dir / "Sent", "From a@example.com Mon Mar  1 10:00:00 2021\n" + message("Big", body));
    auto store = openMailStore(dir / "Sent");
    std::string text;
    store->root().item(1)->readBody([&](std::string_view chunk) { text += chunk; });
    EXPECT_TRUE(text.starts_with("From here\r\n>From there\r\n>Fromage\r\nFrom: x\r\n")) << text.substr(0, 60);
    EXPECT_TRUE(text.ends_with("\r\nFrom the end\r\n"));

    const std::string raw = "Subject: big\nContent-Type: multipart/mixed; boundary=M\n\n"
                            "--M\nContent-Type: text/plain\n\nsmall body\n"
                            "--M\nContent-Type: application/octet-stream; name=big.bin\n"
                            "Content-Transfer-Encoding: base64\n\n" + std::string(6 << 20, 'A') + "\n--M--\n";
    OneMessage one(raw);
    auto item = one.item();
    EXPECT_EQ(item->size(), static_cast<std::int64_t>(raw.size()));
    EXPECT_EQ(item->body(), "small body"); // the line end before a boundary is the boundary's
    EXPECT_EQ(item->attachmentCount(), 1);
}

TEST(HostileStore, LinkedFoldersAreNotFollowedSoLoopsEndAndNothingCountsTwice)
{
    TempDir dir;
    const fs::path root = dir / "store";
    makeMaildir(root / "Sent", {"one", "two"});
    // Thunderbird's Inbox.sbd pointing at its own folder, a loop back to the
    // root, a link to a folder outside the store, a linked message.
    writeFile(root / "Inbox", mboxOf({"inbox"}));
    fs::create_directory_symlink(".", root / "Inbox.sbd");
    fs::create_directory_symlink("..", root / "Sent" / "Loop");
    makeMaildir(dir / "outside", {"stranger"});
    fs::create_directory_symlink(dir / "outside", root / "Elsewhere");
    fs::create_symlink(root / "Sent" / "cur" / "1.eml", root / "Sent" / "cur" / "3.eml");
    EXPECT_EQ(outline(openMailStore(root)->root()), (Lines{"store (0)", "Inbox (1)", "Sent (2)"}));
    // The root itself may be named through a link: that one is followed.
    fs::create_directory_symlink(root, dir / "named");
    EXPECT_EQ(outline(openMailStore(dir / "named")->root()), (Lines{"named (0)", "Inbox (1)", "Sent (2)"}));
    // A directory reached twice has one identity.
    EXPECT_EQ(mailstore::directoryId(root), mailstore::directoryId(dir / "named"));
    EXPECT_NE(mailstore::directoryId(root), mailstore::directoryId(dir.path()));
    EXPECT_THROW(mailstore::directoryId(dir / "missing"), StoreError);
}

// FIFOs are refused at once, as a store or as a message swapped in after
// listing; messages removed or cut short after listing raise StoreError
// naming the file, and the items after them still read.
TEST(HostileStore, FifosAndFilesChangedAfterListingAreRefusedAtOnce)
{
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "store.mbox").c_str(), 0600), 0);
    try {
        openMailStore(dir / "store.mbox");
        ADD_FAILURE() << "a FIFO opened as a store";
    } catch (const StoreError& e) {
        EXPECT_EQ(std::string(e.what()), "cannot read " + (dir / "store.mbox").string() + ": not a regular file");
    }
    makeMaildir(dir / "box", {"one", "two", "three"});
    auto box = openMailStore(dir / "box");
    ASSERT_EQ(box->root().itemCount(), 3);
    fs::remove(dir / "box" / "cur" / "1.eml");
    ASSERT_EQ(::mkfifo((dir / "box" / "cur" / "1.eml").c_str(), 0600), 0);
    fs::remove(dir / "box" / "cur" / "2.eml");
    EXPECT_THROW(box->root().item(1)->typeName(), StoreError);
    EXPECT_THROW(box->root().item(2)->size(), StoreError);
    EXPECT_EQ(box->root().item(3)->subject(), "three");

    const std::string mbox = mboxOf({"one", "two"});
    writeFile(dir / "Sent", mbox);
    auto sent = openMailStore(dir / "Sent");
    ASSERT_EQ(sent->root().itemCount(), 2);
    writeFile(dir / "Sent", mbox.substr(0, mbox.size() / 2));
    EXPECT_EQ(sent->root().item(1)->subject(), "one");
    try {
        sent->root().item(2)->subject();
        ADD_FAILURE() << "no error for a message beyond the end of the file";
    } catch (const StoreError& e) {
        EXPECT_NE(std::string(e.what()).find((dir / "Sent").string()), std::string::npos) << e.what();
    }
    fs::remove(dir / "Sent");
    ASSERT_EQ(::mkfifo((dir / "Sent").c_str(), 0600), 0);
    EXPECT_THROW(sent->root().item(1)->subject(), StoreError);
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
    ASSERT_EQ(store->root().folders().size(), 2u);
    try {
        store->findFolder("Sent")->itemCount();
        ADD_FAILURE() << "an unreadable cur/ was read";
    } catch (const StoreError& e) {
        EXPECT_EQ(std::string(e.what()), "cannot read " + (root / "Sent" / "cur").string() + ": Permission denied");
    }
    EXPECT_THROW(store->findFolder("Locked")->itemCount(), StoreError);
    fs::permissions(root / "Sent" / "cur", fs::perms::owner_all);
    fs::permissions(root / "Locked", fs::perms::owner_all);
}

TEST(HostileStore, GarbageEitherAnswersOrRaisesStoreError)
{
    const std::string cases[] = {
        "",
        std::string("\0\xFF\xFE\x01\n\n\x80\x81", 8),
        "Subject: never ends",
        "Content-Type: multipart/mixed; boundary=Z\n\n--Z\nContent-Type: text/plain\n\nx",
        "Content-Type: multipart/mixed\n\nbody\n",
        "Content-Type: text/plain\nContent-Transfer-Encoding: base64\n\n@@@@\n",
        "Subject: " + std::string(200000, 'x') + "\n\nb\n",
    };
    for (const std::string& raw : cases) {
        OneMessage one(raw);
        ReadTally tally;
        auto store = openMailStore(one.file().parent_path().parent_path());
        readEverything(store->root(), tally);
        EXPECT_EQ(tally.items + tally.failures, 1) << raw.substr(0, 40);
        EXPECT_EQ(one.item()->size(), static_cast<std::int64_t>(raw.size()));
    }
}

} // namespace
} // namespace brisk::test
