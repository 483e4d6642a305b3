// The mail store over the Enron corpus (nested Maildir folders of real mail),
// and the command-line views of a store.

#include "shell/Inspect.h"
#include "tests/platform/mailstore_Fixtures.h"

#include <gtest/gtest.h>

#include <sstream>

namespace brisk::test {
namespace {

namespace fs = std::filesystem;

// Every item of every user parses, each folder counts the files it holds,
// and reading leaves the corpus as it was.
TEST(CorpusStore, EveryEnronItemParsesCountsMatchTheFilesAndNothingChanges)
{
    BRISK_REQUIRE_CORPORA(corpora);
    const auto before = snapshot(corpora / "enron");
    std::map<fs::path, long> files; // the files of each Maildir folder's cur/ and new/
    for (const auto& [path, state] : before)
        if (const auto dir = fs::path(path).parent_path(); dir.filename() == "cur" || dir.filename() == "new")
            files[dir.parent_path()] += fs::is_regular_file(path) ? 1 : 0;
    ReadTally tally;
    for (const auto& user : fs::directory_iterator(corpora / "enron")) {
        if (!user.is_directory())
            continue;
        auto store = openMailStore(user.path());
        eachFolder(store->root(), [&](MailFolder& f) {
            EXPECT_EQ(f.itemCount(), files[user.path() / f.path()]) << user.path() << " " << f.path();
        });
        readEverything(store->root(), tally);
    }
    EXPECT_EQ(tally.items, 9904);
    EXPECT_EQ(tally.failures, 0);
    EXPECT_TRUE(snapshot(corpora / "enron") == before);
}

TEST(InspectViews, ItemShowsEveryValue)
{
    TempDir dir;
    const std::string raw = "From: Alice <a@example.com>\nTo: b@example.com, Carol <c@example.com>\n"
                            "Subject: Hello\nDate: Tue, 2 Mar 2021 08:30:00 +0000\n\nLine one\nLine two\n";
    writeFile(dir / "box/cur/1", raw);
    std::ostringstream out;
    printItem(*openMailStore(dir / "box")->root().item(1), out);
    EXPECT_EQ(out.str(), "Type: MailItem\nReceivedTime: 2021-03-02 08:30:00\nSubject: Hello\nSenderName: Alice\n"
                         "Recipients: 2\n  b@example.com\n  Carol\nSize: "
                             + std::to_string(raw.size()) + "\nAttachments: 0\nBody:\nLine one\r\nLine two\r\n\n");
}

} // namespace
} // namespace brisk::test
