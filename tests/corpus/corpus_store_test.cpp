// The mail store over the Enron corpus (nested Maildir folders of real mail),
// and the command-line views of a store.

#include "platform/mailstore/OpenStore.h"
#include "shell/Inspect.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

namespace brisk::test {
namespace {

long filesIn(const std::filesystem::path& maildir)
{
    long count = 0;
    for (const char* sub : {"cur", "new"}) {
        if (!std::filesystem::is_directory(maildir / sub))
            continue;
        for (const auto& entry : std::filesystem::directory_iterator(maildir / sub))
            count += entry.is_regular_file() ? 1 : 0;
    }
    return count;
}

// Reads every value of every item below `folder`; returns the number of items.
long readAll(MailFolder& folder, const std::filesystem::path& storeDir)
{
    EXPECT_EQ(folder.itemCount(), filesIn(storeDir / folder.path())) << folder.path();
    long items = 0;
    for (long i = 1; i <= folder.itemCount(); ++i) {
        auto item = folder.item(i);
        EXPECT_NO_THROW({
            item->typeName();
            item->receivedTime();
            item->subject();
            item->body();
            item->recipients();
            item->senderName();
            item->attachmentCount();
        }) << folder.path() << " item " << i;
        ++items;
    }
    for (MailFolder* child : folder.folders())
        items += readAll(*child, storeDir);
    return items;
}

TEST(CorpusStore, EveryEnronItemParsesAndCountsMatchTheFiles)
{
    BRISK_REQUIRE_CORPORA(corpora);
    long total = 0;
    for (const auto& user : std::filesystem::directory_iterator(corpora / "enron")) {
        if (!user.is_directory())
            continue;
        auto store = openMailStore(user.path());
        total += readAll(store->root(), user.path());
    }
    EXPECT_EQ(total, 9904);
}

TEST(CorpusStore, EnronFolderTreeAndDefaultFolder)
{
    BRISK_REQUIRE_CORPORA(corpora);
    auto store = openMailStore(corpora / "enron/buy-r");
    std::ostringstream tree;
    std::ostringstream errors;
    EXPECT_EQ(printFolderTree(*store, tree, errors), 0);
    EXPECT_NE(tree.str().find("\n  personal (0)\n    home_buy (1)\n"), std::string::npos) << tree.str();
    EXPECT_EQ(tree.str().rfind("buy-r (0)\n  _sent_mail (165)\n", 0), 0u) << tree.str();
    // "_sent_mail" sorts before "sent_items" in byte order.
    EXPECT_EQ(store->defaultFolder().name(), "_sent_mail");
}

TEST(CorpusStore, EnronAddressesWithDoubleDotsKeepTheirNames)
{
    BRISK_REQUIRE_CORPORA(corpora);
    auto store = openMailStore(corpora / "enron/allen-p");
    MailFolder* inbox = store->findFolder("inbox");
    ASSERT_NE(inbox, nullptr);
    long withRecipients = 0;
    for (long i = 1; i <= inbox->itemCount(); ++i) {
        auto item = inbox->item(i);
        EXPECT_FALSE(item->senderName().empty()) << "inbox item " << i;
        withRecipients += item->recipients().empty() ? 0 : 1;
    }
    EXPECT_GT(withRecipients, inbox->itemCount() * 9 / 10);
}

std::map<std::string, std::pair<std::string, std::filesystem::file_time_type>> snapshot(
    const std::filesystem::path& root)
{
    std::map<std::string, std::pair<std::string, std::filesystem::file_time_type>> state;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
        state[entry.path().string()] = {entry.is_regular_file() ? readFile(entry.path()) : "",
                                        entry.last_write_time()};
    return state;
}

TEST(CorpusStore, ReadingAUserLeavesTheCorpusUnchanged)
{
    BRISK_REQUIRE_CORPORA(corpora);
    const auto user = corpora / "enron/grigsby-m";
    const auto before = snapshot(user);
    auto store = openMailStore(user);
    readAll(store->root(), user);
    EXPECT_TRUE(snapshot(user) == before);
}

TEST(InspectViews, FolderTreeIndentsTwoSpacesPerLevel)
{
    TempDir dir;
    for (const char* sub : {"Inbox/cur", "Inbox/Lists/cur", "Sent/new"})
        std::filesystem::create_directories(dir / "store" / sub);
    writeFile(dir / "store/Inbox/cur/1", "Subject: a\n\nx\n");
    writeFile(dir / "store/Inbox/Lists/cur/1", "Subject: b\n\nx\n");
    writeFile(dir / "store/Inbox/Lists/cur/2", "Subject: c\n\nx\n");
    auto store = openMailStore(dir / "store");
    std::ostringstream out;
    std::ostringstream errors;
    EXPECT_EQ(printFolderTree(*store, out, errors), 0);
    EXPECT_EQ(out.str(), "store (0)\n  Inbox (1)\n    Lists (2)\n  Sent (0)\n");
}

TEST(InspectViews, ItemShowsEveryValueThenTheBody)
{
    TempDir dir;
    const std::string raw = "From: Alice <a@example.com>\nTo: b@example.com, Carol <c@example.com>\n"
                            "Subject: Hello\nDate: Tue, 2 Mar 2021 08:30:00 +0000\n\nLine one\nLine two\n";
    writeFile(dir / "box/cur/1", raw);
    auto store = openMailStore(dir / "box");
    std::ostringstream out;
    printItem(*store->root().item(1), out);
    EXPECT_EQ(out.str(), "Type: MailItem\nReceivedTime: 2021-03-02 08:30:00\nSubject: Hello\nSenderName: Alice\n"
                         "Recipients: 2\n  b@example.com\n  Carol\nSize: "
                             + std::to_string(raw.size())
                             + "\nAttachments: 0\nBody:\nLine one\r\nLine two\r\n\n");
}

} // namespace
} // namespace brisk::test
