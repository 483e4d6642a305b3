// Stores built to hurt: a message over 4 GiB, a header that never ends,
// folder links that loop, FIFOs where messages should be, files that change
// after listing, unreadable folders, garbage. The store must read what it
// can, refuse the rest with the path and the cause, and never hang.

#include "platform/mailstore/FileAccess.h"
#include "tests/platform/mailstore_Fixtures.h"

#include <gtest/gtest.h>

#include <fstream>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brisk::test {
namespace {

namespace fs = std::filesystem;

// An mbox whose first message is its header and then `hole` bytes of
// nothing (a sparse file, so it costs no disk), in its body or, with
// `inHeader`, in a header that never ends; then a second, ordinary message.
void writeSparseMbox(const fs::path& file, std::int64_t hole, bool inHeader = false)
{
    const std::string header = message("Huge", "");
    const std::string head = "From a@example.com Mon Mar  1 10:00:00 2021\n"
        + (inHeader ? header.substr(0, header.size() - 1) + "X-Long: " : header);
    writeFile(file, head);
    fs::resize_file(file, head.size() + static_cast<std::uintmax_t>(hole));
    std::ofstream(file, std::ios::app) << "\n\nFrom b@x Mon Mar  1 11:00:00 2021\n" + message("After the hole");
}

// A body over 4 GiB is sized and read in 64 bits, a 256 MiB header is
// refused, and the message after either still reads; neither is loaded.
TEST(HostileStore, AHugeBodyIsSizedInSixtyFourBitsAndAHeaderThatNeverEndsIsRefused)
{
    TempDir dir;
    const std::int64_t hole = (std::int64_t{1} << 32) + 4096;
    writeSparseMbox(dir / "Huge", hole);
    writeSparseMbox(dir / "Endless", std::int64_t{256} << 20, true);
    auto huge = openMailStore(dir / "Huge"), endless = openMailStore(dir / "Endless");
    ASSERT_EQ(std::pair(huge->root().itemCount(), endless->root().itemCount()), std::pair(2L, 2L));
    EXPECT_GT(huge->root().item(1)->size(), hole);
    EXPECT_EQ(std::tuple(huge->root().item(1)->subject(), huge->root().item(2)->body()),
              std::tuple("Huge", "Hello\r\n"));
    EXPECT_EQ(errorOf([&] { endless->root().item(1)->subject(); }),
              "cannot read " + (dir / "Endless").string() + " (message at byte 44): its header is longer than 4 MiB");
    for (auto* store : {huge.get(), endless.get()})
        EXPECT_EQ(store->root().item(2)->subject(), "After the hole");
    rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    EXPECT_LT(usage.ru_maxrss, 1024 * 1024) << "a message or an mbox was held in memory";
}

// Big messages are streamed: an 8 MiB mbox body (twice what is read into
// memory at once) quoted at every kind of line start, and a 6 MiB base64
// attachment that is never decoded.
TEST(HostileStore, BigBodiesAndAttachmentsAreStreamedNotLoaded)
{
    std::string body = ">From here\n>>From there\n>Fromage\nFrom: x\n";
    body += std::string(std::size_t{8} << 20, 'w') + "\n>From the end\n";
    TempDir dir;
    writeFile(dir / "Sent", mboxEntry(message("Big", body)));
    std::string text;
    openMailStore(dir / "Sent")->root().item(1)->readBody([&](std::string_view chunk) { text += chunk; });
    EXPECT_TRUE(text.starts_with("From here\r\n>From there\r\n>Fromage\r\nFrom: x\r\n")) << text.substr(0, 60);
    EXPECT_TRUE(text.ends_with("\r\nFrom the end\r\n"));

    const std::string raw = "Subject: big\nContent-Type: multipart/mixed; boundary=M\n\n"
                            "--M\nContent-Type: text/plain\n\nsmall body\n"
                            "--M\nContent-Type: application/octet-stream; name=big.bin\n"
                            "Content-Transfer-Encoding: base64\n\n" + std::string(6 << 20, 'A') + "\n--M--\n";
    OneMessage one(raw);
    auto item = one.item();
    // The line end before a boundary is the boundary's.
    EXPECT_EQ(std::tuple(item->size(), item->body(), item->attachmentCount()),
              std::tuple(static_cast<std::int64_t>(raw.size()), "small body", 1));
}

// Thunderbird's Inbox.sbd pointing at its own folder, a loop back to the
// root, a link to a folder outside the store and a linked message are not
// followed; the root itself may be named through a link, and a directory
// reached twice has one identity.
TEST(HostileStore, LinkedFoldersAreNotFollowedSoLoopsEndAndNothingCountsTwice)
{
    TempDir dir;
    const fs::path root = dir / "store";
    buildStore(dir.path(), {{Kind::Maildir, "store/Sent", {"one", "two"}}, {Kind::Mbox, "store/Inbox", {"inbox"}},
                            {Kind::Maildir, "outside", {"stranger"}}});
    fs::create_directory_symlink(".", root / "Inbox.sbd");
    fs::create_directory_symlink("..", root / "Sent" / "Loop");
    fs::create_directory_symlink(dir / "outside", root / "Elsewhere");
    fs::create_symlink(root / "Sent" / "cur" / "1.eml", root / "Sent" / "cur" / "3.eml");
    EXPECT_EQ(outline(openMailStore(root)->root()), (Lines{"store (0)", "Inbox (1)", "Sent (2)"}));
    fs::create_directory_symlink(root, dir / "named");
    EXPECT_EQ(outline(openMailStore(dir / "named")->root()), (Lines{"named (0)", "Inbox (1)", "Sent (2)"}));
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
    EXPECT_EQ(errorOf([&] { openMailStore(dir / "store.mbox"); }),
              "cannot read " + (dir / "store.mbox").string() + ": not a regular file");
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
    EXPECT_NE(errorOf([&] { sent->root().item(2)->subject(); }).find((dir / "Sent").string()), std::string::npos);
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
    buildStore(root, {{Kind::Maildir, "Sent", {"one"}}, {Kind::Maildir, "Locked", {"two"}}});
    fs::permissions(root / "Sent" / "cur", fs::perms::none);
    fs::permissions(root / "Locked", fs::perms::none);
    auto store = openMailStore(root);
    ASSERT_EQ(store->root().folders().size(), 2u);
    EXPECT_EQ(errorOf([&] { store->findFolder("Sent")->itemCount(); }),
              "cannot read " + (root / "Sent" / "cur").string() + ": Permission denied");
    EXPECT_THROW(store->findFolder("Locked")->itemCount(), StoreError);
    fs::permissions(root / "Sent" / "cur", fs::perms::owner_all);
    fs::permissions(root / "Locked", fs::perms::owner_all);
}

TEST(HostileStore, GarbageEitherAnswersOrRaisesStoreError)
{
    for (const std::string& raw : {std::string(), std::string("\0\xFF\xFE\x01\n\n\x80\x81", 8),
                                   std::string("Subject: never ends"),
                                   std::string("Content-Type: multipart/mixed; boundary=Z\n\n--Z\n\nx"),
                                   std::string("Content-Type: multipart/mixed\n\nbody\n"),
                                   std::string("Content-Transfer-Encoding: base64\n\n@@@@\n"),
                                   "Subject: " + std::string(200000, 'x') + "\n\nb\n"}) {
        OneMessage one(raw);
        ReadTally tally;
        readEverything(openMailStore(one.file().parent_path().parent_path())->root(), tally);
        EXPECT_EQ(tally.items + tally.failures, 1) << raw.substr(0, 40);
        EXPECT_EQ(one.item()->size(), static_cast<std::int64_t>(raw.size()));
    }
}

} // namespace
} // namespace brisk::test
