// Store kinds, folder names, order and counts, and the default folder.

#include "tests/platform/mailstore_Fixtures.h"

#include <gtest/gtest.h>

namespace brisk::test {
namespace {

using Lines = std::vector<std::string>;

TEST(MailStoreLayout, MaildirFolderCountsCurAndNewInFileNameOrder)
{
    TempDir dir;
    makeMaildir(dir / "Box");
    writeFile(dir / "Box/cur/b:2,S", message("second"));
    writeFile(dir / "Box/cur/a:2,S", message("first"));
    writeFile(dir / "Box/new/c", message("third"));
    writeFile(dir / "Box/tmp/d", message("in delivery"));
    writeFile(dir / "Box/dovecot-uidlist", "3 V1 N4\n");
    auto store = openMailStore(dir / "Box");
    EXPECT_EQ(store->root().name(), "Box");
    EXPECT_EQ(store->root().path(), "");
    EXPECT_EQ(store->root().parent(), nullptr);
    EXPECT_EQ(subjects(store->root()), (Lines{"first", "second", "third"}));
    EXPECT_TRUE(store->root().folders().empty());
}

TEST(MailStoreLayout, MaildirPlusDotNamesNestIntoSubfolders)
{
    TempDir dir;
    makeMaildir(dir / "Mail", {"inbox"});
    makeMaildir(dir / "Mail/.Sent", {"s1", "s2"});
    makeMaildir(dir / "Mail/.Sent.Archive", {"old"});
    makeMaildir(dir / "Mail/.Drafts");
    makeMaildir(dir / "Mail/.Trash.Old", {"t"}); // ".Trash" itself is missing
    std::filesystem::create_directories(dir / "Mail/.cache/x");
    writeFile(dir / "Mail/subscriptions", "Sent\n");
    auto store = openMailStore(dir / "Mail");
    EXPECT_EQ(outline(store->root()),
              (Lines{" (1)", "Drafts (0)", "Sent (2)", "Sent/Archive (1)", "Trash (0)", "Trash/Old (1)"}));
    EXPECT_EQ(store->findFolder("Sent/Archive")->name(), "Archive");
    EXPECT_EQ(subjects(*store->findFolder("Sent/Archive")), (Lines{"old"}));
}

TEST(MailStoreLayout, NestedMaildirTreeKeepsOnlyDirectoriesHoldingMail)
{
    TempDir dir;
    makeMaildir(dir / "user/Inbox", {"i1", "i2"});
    makeMaildir(dir / "user/Inbox/Lists", {"l1"});
    makeMaildir(dir / "user/Projects/Alpha", {"a1"}); // Projects has no cur/ or new/
    std::filesystem::create_directories(dir / "user/Empty");
    writeFile(dir / "user/scans/page.pdf", "%PDF-1.4");
    writeFile(dir / "user/.mh_sequences", "unseen: 1\n");
    auto store = openMailStore(dir / "user");
    EXPECT_EQ(outline(store->root()),
              (Lines{" (0)", "Inbox (2)", "Inbox/Lists (1)", "Projects (0)", "Projects/Alpha (1)"}));
    EXPECT_EQ(store->findFolder("Inbox/Lists")->parent()->name(), "Inbox");
}

TEST(MailStoreLayout, MboxFileWithQuotedFromLinesAndNoFinalNewline)
{
    TempDir dir;
    const std::string first = "Subject: one\n\nHi\n>From the start\n>>From deeper\n";
    const std::string second = "Subject: two\n\nBye";
    writeFile(dir / "Archive", "From a@x Mon Mar  1 10:00:00 2021\n" + first + "\n"
                                   + "From b@x Mon Mar  1 11:00:00 2021\n" + second);
    auto store = openMailStore(dir / "Archive");
    MailFolder& root = store->root();
    EXPECT_EQ(root.name(), "Archive");
    ASSERT_EQ(root.itemCount(), 2);
    auto one = root.item(1);
    EXPECT_EQ(one->subject(), "one");
    EXPECT_EQ(one->size(), static_cast<std::int64_t>(first.size()));
    EXPECT_EQ(one->body(), "Hi\r\nFrom the start\r\n>From deeper\r\n");
    auto two = root.item(2);
    EXPECT_EQ(two->size(), static_cast<std::int64_t>(second.size()));
    EXPECT_EQ(two->body(), "Bye");
}

TEST(MailStoreLayout, ThunderbirdTreeUsesSbdDirectoriesAndIgnoresMsf)
{
    TempDir dir;
    writeFile(dir / "Local/Inbox", "From - Mon Mar  1 10:00:00 2021\n" + message("in") + "\n");
    writeFile(dir / "Local/Inbox.msf", "// <!-- <mdb:mork:z v=\"1.4\"/> -->");
    writeFile(dir / "Local/Inbox.sbd/Work", "From - Mon Mar  1 10:00:00 2021\n" + message("w1") + "\n"
                                                + "From - Mon Mar  1 10:00:00 2021\n" + message("w2"));
    writeFile(dir / "Local/Inbox.sbd/Work.msf", "");
    writeFile(dir / "Local/Trash", ""); // a folder never used yet
    writeFile(dir / "Local/Trash.msf", "");
    writeFile(dir / "Local/Lists.sbd/Dev", "From - Mon Mar  1 10:00:00 2021\n" + message("d"));
    writeFile(dir / "Local/notes.txt", "shopping list\n");
    auto store = openMailStore(dir / "Local");
    EXPECT_EQ(outline(store->root()),
              (Lines{" (0)", "Inbox (1)", "Inbox/Work (2)", "Lists (0)", "Lists/Dev (1)", "Trash (0)"}));
    EXPECT_EQ(subjects(*store->findFolder("Inbox/Work")), (Lines{"w1", "w2"}));
}

TEST(MailStoreLayout, EmlDirectoryWithSubdirectories)
{
    TempDir dir;
    writeFile(dir / "saved/b.EML", message("b"));
    writeFile(dir / "saved/a.eml", message("a"));
    writeFile(dir / "saved/readme.txt", "not mail");
    writeFile(dir / "saved/2020/c.eml", message("c"));
    auto store = openMailStore(dir / "saved");
    EXPECT_EQ(subjects(store->root()), (Lines{"a", "b"}));
    EXPECT_EQ(outline(store->root()), (Lines{" (2)", "2020 (1)"}));
}

// The layout of the bundled sample store: Maildir folders beside an mbox file.
void makeMixedStore(const std::filesystem::path& root)
{
    makeMaildir(root / "Sent Items", {"s1", "s2"});
    makeMaildir(root / "Sent Items/Projects", {"p1"});
    makeMaildir(root / "Sent Items/Deleted Items", {"d1"});
    makeMaildir(root / "Sent Items/deleted items", {"x1"});
    makeMaildir(root / "Inbox", {"i1"});
    makeMaildir(root / "Inbox/Lists", {"l1", "l2"});
    writeFile(root / "Archive", "From x Mon Mar  1 10:00:00 2021\n" + message("arch") + "\n");
}

TEST(MailStoreLayout, MixedTreeSortsFoldersByByteOrder)
{
    TempDir dir;
    makeMixedStore(dir / "store");
    auto store = openMailStore(dir / "store/");
    EXPECT_EQ(store->root().name(), "store");
    EXPECT_EQ(outline(store->root()),
              (Lines{" (0)", "Archive (1)", "Inbox (1)", "Inbox/Lists (2)", "Sent Items (2)",
                     "Sent Items/Deleted Items (1)", "Sent Items/Projects (1)", "Sent Items/deleted items (1)"}));
    EXPECT_EQ(&store->defaultFolder(), store->findFolder("Sent Items"));
    EXPECT_EQ(store->location(), (dir / "store/").string());
}

struct DefaultCase {
    std::vector<std::string> maildirs; // relative to the root "root"
    std::string expected;              // path of the default folder
    friend void PrintTo(const DefaultCase& c, std::ostream* os) { *os << "default " << c.expected; }
};

class MailStoreDefaultFolder : public ::testing::TestWithParam<DefaultCase> {};

TEST_P(MailStoreDefaultFolder, IsFirstSentFolderDepthFirstElseRoot)
{
    TempDir dir;
    std::filesystem::create_directories(dir / "root");
    for (const std::string& sub : GetParam().maildirs)
        makeMaildir(dir / "root" / sub);
    auto store = openMailStore(dir / "root");
    EXPECT_EQ(store->defaultFolder().path(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, MailStoreDefaultFolder, ::testing::Values(
    DefaultCase{{"Inbox", "Sent Items"}, "Sent Items"},
    DefaultCase{{"Inbox", "SENT"}, "SENT"},
    DefaultCase{{"sent_mail", "sent_items"}, "sent_items"},
    DefaultCase{{"a/x/Sent Mail", "b/Sent"}, "a/x/Sent Mail"},
    DefaultCase{{"Sent Messages/_sent_mail"}, "Sent Messages"},
    DefaultCase{{"Inbox", "Sent-Items", "Outbox"}, ""},
    DefaultCase{{"inbox/_SENT_MAIL", "Sent Items"}, "Sent Items"}));

TEST(MailStoreLayout, RootItselfCanBeTheSentFolder)
{
    TempDir dir;
    makeMaildir(dir / "Sent", {"s"});
    makeMaildir(dir / "Sent/Sent Items", {"t"});
    auto store = openMailStore(dir / "Sent");
    EXPECT_EQ(&store->defaultFolder(), &store->root());
}

TEST(MailStoreLayout, PathsThatAreNoStoreGiveOneLineErrors)
{
    TempDir dir;
    std::filesystem::create_directories(dir / "empty");
    writeFile(dir / "letter.txt", "Dear Bob\n");
    const auto messageOf = [](const std::filesystem::path& path) {
        try {
            openMailStore(path);
        } catch (const StoreError& e) {
            return std::string(e.what());
        }
        return std::string("opened");
    };
    EXPECT_EQ(messageOf(dir / "missing"), "cannot read " + (dir / "missing").string() + ": No such file or directory");
    EXPECT_EQ(messageOf(dir / "empty"), "not a mail store: " + (dir / "empty").string());
    EXPECT_EQ(messageOf(dir / "letter.txt"), "not a mail store: " + (dir / "letter.txt").string());
}

TEST(MailStoreLayout, ItemIndexOutsideTheFolderIsAnError)
{
    TempDir dir;
    makeMaildir(dir / "Box", {"only"});
    auto store = openMailStore(dir / "Box");
    EXPECT_THROW(store->root().item(0), StoreError);
    EXPECT_THROW(store->root().item(2), StoreError);
    EXPECT_NO_THROW(store->root().item(1));
}

TEST(MailStoreLayout, ListingsAreReadOnceAndCached)
{
    TempDir dir;
    makeMaildir(dir / "Box", {"a"});
    auto store = openMailStore(dir / "Box");
    EXPECT_EQ(store->root().itemCount(), 1);
    EXPECT_TRUE(store->root().folders().empty());
    writeFile(dir / "Box/cur/2.eml", message("late"));
    makeMaildir(dir / "Box/Late", {"x"});
    EXPECT_EQ(store->root().itemCount(), 1);
    EXPECT_TRUE(store->root().folders().empty());
}

TEST(MailStoreLayout, CurrentUserIsNeverEmpty)
{
    TempDir dir;
    makeMaildir(dir / "Box");
    auto store = openMailStore(dir / "Box");
    EXPECT_FALSE(store->currentUser().empty());
    EXPECT_EQ(store->currentUser(), accountDisplayName());
}

} // namespace
} // namespace brisk::test
