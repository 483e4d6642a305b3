// Store kinds, folder names, order and counts, the default folder, the
// store's trash, a store that is only ever read, and the headers-only scan
// that the Message-ID index is built from, folder by folder and as one job
// over the whole tree.

#include "tests/platform/mailstore_Fixtures.h"

#include <gtest/gtest.h>

#include <atomic>

namespace brisk::test {
namespace {

namespace fs = std::filesystem;

// What is opened (below the temporary folder) and what it must give: the
// outline (depth-first, children in byte order, the trash marked), the
// default folder's path ("" for the root), and one folder's subjects.
struct LayoutCase {
    const char* name;
    std::vector<StoreEntry> entries;
    const char* open;
    Lines outline;
    std::string defaultFolder;
    std::string listed;
    Lines subjects;
};

class MailStoreLayout : public ::testing::TestWithParam<LayoutCase> {};

// Each layout is read whole, every value of every item, and must leave every
// byte and every time stamp of the store as it was.
TEST_P(MailStoreLayout, GivesTheTreeTheDefaultFolderAndTheTrashAndChangesNothing)
{
    const LayoutCase& c = GetParam();
    TempDir dir;
    buildStore(dir.path(), c.entries);
    fs::last_write_time(dir / c.open, fs::file_time_type::clock::now() - std::chrono::hours(24 * 400));
    const auto before = snapshot(dir.path());
    auto store = openMailStore(dir / c.open);
    EXPECT_EQ(std::pair(outline(store->root()), store->defaultFolder().path()), std::pair(c.outline, c.defaultFolder));
    MailFolder* listed = store->findFolder(c.listed);
    ASSERT_NE(listed, nullptr) << c.listed;
    Lines subjects;
    for (long i = 1; i <= listed->itemCount(); ++i)
        subjects.push_back(listed->item(i)->subject());
    EXPECT_EQ(subjects, c.subjects);
    ReadTally tally;
    readEverything(store->root(), tally);
    EXPECT_EQ(tally.failures, 0);
    EXPECT_TRUE(snapshot(dir.path()) == before) << "the store was written to";
}

using K = Kind;
INSTANTIATE_TEST_SUITE_P(Cases, MailStoreLayout, ::testing::Values(
    // cur/ and new/ in file-name order; tmp/ and Dovecot's files are no mail.
    LayoutCase{"maildir", {{K::Message, "Box/cur/b:2,S", {"second"}}, {K::Message, "Box/cur/a:2,S", {"first"}},
                           {K::Message, "Box/new/c", {"third"}}, {K::Message, "Box/tmp/d", {"in delivery"}},
                           {K::File, "Box/dovecot-uidlist", {"3 V1 N4\n"}}},
               "Box", {"Box (3)"}, "", "", {"first", "second", "third"}},
    // Maildir++: ".Sent.Archive" nests; ".Lists" exists only as a level of
    // ".Lists.Dev"; ".Trash" is the trash, ".Archive.Trash" the user's own.
    LayoutCase{"maildirPlus", {{K::Maildir, "Mail", {"inbox"}}, {K::Maildir, "Mail/.Sent", {"s1", "s2"}},
                               {K::Maildir, "Mail/.Sent.Archive", {"old"}}, {K::Maildir, "Mail/.Lists.Dev", {"d"}},
                               {K::Maildir, "Mail/.Trash", {"t"}}, {K::Maildir, "Mail/.Archive.Trash", {"kept"}},
                               {K::Dir, "Mail/.cache/x", {}}, {K::File, "Mail/subscriptions", {"Sent\n"}}},
               "Mail", {"Mail (1)", "Archive (0)", "Archive/Trash (1)", "Lists (0)", "Lists/Dev (1)", "Sent (2)",
                        "Sent/Archive (1)", "Trash (1) trash"},
               "Sent", "Sent/Archive", {"old"}},
    // Nested Maildir folders: only directories that hold mail are folders; a
    // plain "Trash" directory is the user's.
    LayoutCase{"nestedMaildir", {{K::Maildir, "user/Inbox", {"i1", "i2"}}, {K::Maildir, "user/Inbox/Lists", {"l1"}},
                                 {K::Maildir, "user/Projects/Alpha", {"a1"}}, {K::Maildir, "user/Trash", {"x"}},
                                 {K::Dir, "user/Empty", {}}, {K::File, "user/scans/page.pdf", {"%PDF-1.4"}},
                                 {K::File, "user/.mh_sequences", {"unseen: 1\n"}}},
               "user", {"user (0)", "Inbox (2)", "Inbox/Lists (1)", "Projects (0)", "Projects/Alpha (1)", "Trash (1)"},
               "", "Inbox/Lists", {"l1"}},
    // Thunderbird: Name.sbd holds Name's subfolders, .msf files are no mail,
    // an empty file beside its .msf is a folder never used; only the
    // account's own "Trash" is the trash.
    LayoutCase{"thunderbird", {{K::Mbox, "Local/Inbox", {"in"}}, {K::File, "Local/Inbox.msf", {"// <!-- <mdb:mork"}},
                               {K::Mbox, "Local/Inbox.sbd/Work", {"w1", "w2"}}, {K::File, "Local/Inbox.sbd/Work.msf", {}},
                               {K::Mbox, "Local/Inbox.sbd/Trash", {"mine"}}, {K::File, "Local/Trash", {}},
                               {K::File, "Local/Trash.msf", {}}, {K::Mbox, "Local/Lists.sbd/Dev", {"d"}},
                               {K::Mbox, "Local/Sent", {"s"}}, {K::File, "Local/notes.txt", {"shopping list\n"}}},
               "Local", {"Local (0)", "Inbox (1)", "Inbox/Trash (1)", "Inbox/Work (2)", "Lists (0)", "Lists/Dev (1)",
                         "Sent (1)", "Trash (0) trash"},
               "Sent", "Inbox/Work", {"w1", "w2"}},
    // Saved .eml files in any case; a directory named like one is no item.
    LayoutCase{"eml", {{K::Message, "saved/b.EML", {"b"}}, {K::Message, "saved/a.eml", {"a"}},
                       {K::File, "saved/readme.txt", {"not mail"}}, {K::Message, "saved/2020/c.eml", {"c"}},
                       {K::Dir, "saved/odd.eml", {}}},
               "saved", {"saved (2)", "2020 (1)"}, "", "", {"a", "b"}},
    // The bundled sample store: Maildir folders beside an mbox file, named
    // with a trailing slash; capitals sort before small letters.
    LayoutCase{"mixed", {{K::Maildir, "store/Sent Items", {"s1", "s2"}}, {K::Maildir, "store/Sent Items/Projects", {"p1"}},
                         {K::Maildir, "store/Sent Items/Deleted Items", {"d1"}},
                         {K::Maildir, "store/Sent Items/deleted items", {"x1"}}, {K::Maildir, "store/Inbox", {"i1"}},
                         {K::Mbox, "store/Archive", {"arch"}}},
               "store/", {"store (0)", "Archive (1)", "Inbox (1)", "Sent Items (2)", "Sent Items/Deleted Items (1)",
                          "Sent Items/Projects (1)", "Sent Items/deleted items (1)"},
               "Sent Items", "Archive", {"arch"}}),
    [](const auto& info) { return std::string(info.param.name); });

// The first folder with a sent-mail name in any case, depth-first and root
// first, else the root.
TEST(MailStoreDefaultFolder, IsTheFirstSentFolderDepthFirstElseTheRoot)
{
    const std::pair<Lines, std::string> cases[] = {
        {{"root/Inbox", "root/SENT"}, "SENT"}, {{"root/sent_mail", "root/sent_items"}, "sent_items"},
        {{"root/a/x/Sent Mail", "root/b/Sent"}, "a/x/Sent Mail"}, {{"root/Sent Messages/_sent_mail"}, "Sent Messages"},
        {{"root/Inbox", "root/Sent-Items", "root/Outbox"}, ""}, {{"Sent", "Sent/Sent Items"}, ""},
    };
    for (const auto& [maildirs, expected] : cases) {
        TempDir dir;
        for (const std::string& path : maildirs)
            makeMaildir(dir / path);
        const auto store = openMailStore(dir / maildirs.front().substr(0, maildirs.front().find('/')));
        EXPECT_EQ(store->defaultFolder().path(), expected) << maildirs.back();
    }
}

// Sizes and bodies end before the blank line that precedes a "From " line.
TEST(MailStoreLayout, MboxSplitsAtFromLinesAndUnquotesThem)
{
    TempDir dir;
    writeFile(dir / "Archive", "From a@x Mon Mar  1 10:00:00 2021\nSubject: one\n\nHi\n>From the start\n"
                               ">>From deeper\n\nFrom b@x Mon Mar  1 11:00:00 2021\nSubject: two\n\nBye");
    auto store = openMailStore(dir / "Archive");
    ASSERT_EQ(store->root().itemCount(), 2);
    auto first = store->root().item(1), second = store->root().item(2);
    EXPECT_EQ(std::tuple(first->size(), first->body(), second->size(), second->body()),
              std::tuple(47, "Hi\r\nFrom the start\r\n>From deeper\r\n", 17, "Bye"));
}

TEST(MailStoreLayout, NoStoreBadIndexAndLateFilesGiveErrorsOrNothing)
{
    TempDir dir;
    fs::create_directories(dir / "empty");
    writeFile(dir / "letter.txt", "Dear Bob\n");
    const auto errorOpening = [&](const char* name) { return errorOf([&] { openMailStore(dir / name); }); };
    EXPECT_EQ(errorOpening("missing"), "cannot read " + (dir / "missing").string() + ": No such file or directory");
    EXPECT_EQ(errorOpening("empty"), "not a mail store: " + (dir / "empty").string());
    EXPECT_EQ(errorOpening("letter.txt"), "not a mail store: " + (dir / "letter.txt").string());

    makeMaildir(dir / "Box", {"only"});
    auto store = openMailStore(dir / "Box");
    EXPECT_THROW(store->root().item(0), StoreError);
    EXPECT_THROW(store->root().item(2), StoreError);
    EXPECT_FALSE(store->currentUser().empty());
    // Listings are read once: what arrives during a run is not counted.
    EXPECT_EQ(outline(store->root()), (Lines{"Box (1)"}));
    writeFile(dir / "Box/cur/2.eml", message("late"));
    makeMaildir(dir / "Box/Late", {"x"});
    EXPECT_EQ(outline(store->root()), (Lines{"Box (1)"}));
}

std::string threaded(const std::string& id, const std::string& extraHeaders, const std::string& body = "Hi\n")
{
    return "From: Ann <ann@example.org>\nTo: bob@example.org\nSubject: Re: x\n" + extraHeaders
        + (id.empty() ? "" : "Message-ID: <" + id + ">\n") + "\n" + body;
}

// What the scan gives for each message equals what the parsed item says,
// whichever header the time comes from, in Maildir and mbox folders alike.
TEST(ThreadingHeaders, HeaderScanAgreesWithTheParsedItems)
{
    const std::string received = "Received: from a by b;\n Tue, 2 Mar 2021 11:00:00 +0100\n";
    const std::string date = "Date: Mon, 1 Mar 2021 10:00:00 +0000\n";
    const std::string longHeader = "X-Long: " + std::string(20000, 'x') + "\n";
    const std::vector<std::string> messages = {
        threaded("a@x", received + date),
        threaded("b@x", date),
        threaded("", date),                          // no id: not indexed
        threaded("c@x", longHeader + received),      // header block past the first read
        threaded("d@x", ""),                         // no date: the file's time
        threaded("e@x", date, "Message-ID: <body@x>\n"), // an id in the body is not the message's
        // Date forms read without GMime, and ones left to it; each must agree.
        threaded("f@x", "Date: 2 Mar 2021 11:00 EST\n"),
        threaded("g@x", "Date: Tue, 02 Mar 2021 23:59:59 -0830 (PST)\n"),
        threaded("h@x", "Date: Tue, 2 Mar 2021 9:05:00 +0000\n"),
        threaded("i@x", "Date: Tue, 31 Feb 2021 10:00:00 +0000\n"),
        threaded("j@x", "Date: Tue, 2 Mar 21 10:00:00 CET\n"),
        // Id forms read in place, and ones left to GMime; each must agree.
        threaded("", date + "message-id:  <k.1+k/=k@x.y> \r\n"),
        threaded("", date + "Message-ID:\n <l@x>\n"),
        threaded("", date + "Message-ID: (c) <\"m n\"@x> (c)\n"),
        threaded("", date + "Message-ID: <o@[10.0.0.1]>\n"),
        threaded("", date + "Message-ID: <p..q@x>\n"),
    };
    TempDir dir;
    makeMaildir(dir / "box");
    std::string mbox;
    for (std::size_t i = 0; i < messages.size(); ++i) {
        writeFile(dir / "box" / "cur" / (std::to_string(i) + ".eml"), messages[i]);
        mbox += mboxEntry(messages[i]);
    }
    writeFile(dir / "Sent", mbox);
    for (const char* where : {"box", "Sent"}) {
        auto store = openMailStore(dir / where);
        MailFolder& folder = store->root();
        const Scanned scanned = scannedBy([&](const auto& sink) { folder.scanThreadHeaders(sink); });
        const Scanned parsed = scannedBy([&](const auto& sink) {
            for (long i = 1; i <= folder.itemCount(); ++i)
                if (auto item = folder.item(i); !item->messageId().empty())
                    sink(item->messageId(), item->receivedTime());
        });
        EXPECT_EQ(scanned.size(), 15u) << where;
        EXPECT_EQ(scanned, parsed) << where;
    }
}

// The job the index is built from beside the walk reads a private copy of
// the tree: every folder, trash and nested mbox included, exactly what the
// folder-by-folder scan reads; it ends at once when asked to stop, and
// Maildir++ levels, listed by their root only, hand out none.
TEST(ThreadingHeaders, TreeScanJobReadsWhatTheFoldersReadAndStops)
{
    TempDir dir;
    buildStore(dir.path(), {{K::Maildir, "Mail", {"root"}}, {K::Maildir, "Mail/.Trash", {"trash"}},
                            {K::Mbox, "Local/Inbox", {"inbox"}}, {K::Mbox, "Local/Inbox.sbd/Lists", {"list"}}});
    for (const char* where : {"Mail", "Local"}) {
        auto store = openMailStore(dir / where);
        const Scanned byFolder = scannedBy([&](const auto& sink) {
            eachFolder(store->root(), [&](MailFolder& folder) { folder.scanThreadHeaders(sink); });
        });
        auto job = store->root().threadHeaderScan();
        ASSERT_TRUE(job) << where;
        std::atomic<bool> stop{false};
        const Scanned byJob = scannedBy([&](const auto& sink) { job->run(sink, stop); });
        EXPECT_EQ(byJob, byFolder) << where;
        EXPECT_EQ(byJob.size(), 2u) << where;
        stop = true;
        bool any = false;
        store->root().threadHeaderScan()->run([&](std::string_view, double) { any = true; }, stop);
        EXPECT_FALSE(any) << where;
    }
    auto maildirPlus = openMailStore(dir / "Mail");
    EXPECT_EQ(maildirPlus->findFolder("Trash")->threadHeaderScan(), nullptr);
}

} // namespace
} // namespace brisk::test
