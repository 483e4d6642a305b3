// The store is only read, and messages that cannot be read raise StoreError.

#include "tests/platform/mailstore_Fixtures.h"

#include <gtest/gtest.h>

#include <map>

namespace brisk::test {
namespace {

struct Snapshot {
    std::string bytes;
    std::filesystem::file_time_type mtime;
    bool operator==(const Snapshot&) const = default;
};

// Every file's bytes and every entry's modification time below `root`.
std::map<std::string, Snapshot> snapshot(const std::filesystem::path& root)
{
    std::map<std::string, Snapshot> state;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        Snapshot s{entry.is_regular_file() ? readFile(entry.path()) : std::string(), entry.last_write_time()};
        state.emplace(entry.path().string(), std::move(s));
    }
    return state;
}

void readEverything(MailFolder& folder, long& items)
{
    for (long i = 1; i <= folder.itemCount(); ++i) {
        auto item = folder.item(i);
        item->typeName();
        item->receivedTime();
        item->subject();
        item->body();
        item->size();
        item->attachmentCount();
        item->recipients();
        item->senderName();
        ++items;
    }
    for (MailFolder* child : folder.folders())
        readEverything(*child, items);
}

TEST(MailStoreReadOnly, ReadingEveryItemLeavesBytesAndTimesUnchanged)
{
    TempDir dir;
    const auto root = dir / "store";
    makeMaildir(root / "Sent Items", {"s1", "s2"});
    writeFile(root / "Sent Items/new/3", message("unseen")); // a reader would move it to cur/
    makeMaildir(root / ".Drafts", {"d"});
    writeFile(root / "Archive", "From x Mon Mar  1 10:00:00 2021\n" + message("a", ">From here\n") + "\n");
    writeFile(root / "Local/Inbox", "From x Mon Mar  1 10:00:00 2021\n" + message("i"));
    writeFile(root / "Local/Inbox.msf", "");
    writeFile(root / "saved/x.eml", message("x"));
    std::filesystem::last_write_time(root / "Archive", std::filesystem::file_time_type::clock::now()
                                                          - std::chrono::hours(24 * 400));
    const auto before = snapshot(root);

    auto store = openMailStore(root);
    long items = 0;
    readEverything(store->root(), items);
    store->defaultFolder();

    EXPECT_EQ(items, 6);
    EXPECT_TRUE(snapshot(root) == before);
}

TEST(MailStoreBroken, MessageRemovedAfterListingRaisesStoreError)
{
    TempDir dir;
    makeMaildir(dir / "Box", {"a", "b"});
    auto store = openMailStore(dir / "Box");
    ASSERT_EQ(store->root().itemCount(), 2);
    std::filesystem::remove(dir / "Box/cur/1.eml");
    auto gone = store->root().item(1);
    EXPECT_THROW(gone->subject(), StoreError);
    EXPECT_THROW(gone->body(), StoreError);
    EXPECT_THROW(gone->size(), StoreError);
    EXPECT_EQ(store->root().item(2)->subject(), "b");
}

TEST(MailStoreBroken, MboxShortenedAfterIndexingRaisesStoreError)
{
    TempDir dir;
    const std::string mbox = "From a\n" + message("one") + "\nFrom b\n" + message("two");
    writeFile(dir / "box", mbox);
    auto store = openMailStore(dir / "box");
    ASSERT_EQ(store->root().itemCount(), 2);
    writeFile(dir / "box", mbox.substr(0, mbox.size() / 2));
    EXPECT_EQ(store->root().item(1)->subject(), "one");
    try {
        store->root().item(2)->subject();
        FAIL() << "no error for a message beyond the end of the file";
    } catch (const StoreError& e) {
        EXPECT_NE(std::string(e.what()).find((dir / "box").string()), std::string::npos) << e.what();
    }
}

TEST(MailStoreBroken, DirectoryNamedLikeAMessageIsNoItem)
{
    TempDir dir;
    std::filesystem::create_directories(dir / "Eml/odd.eml");
    writeFile(dir / "Eml/real.eml", message("real"));
    auto store = openMailStore(dir / "Eml");
    EXPECT_EQ(store->root().itemCount(), 1); // the directory named odd.eml is no item
    EXPECT_EQ(store->root().item(1)->subject(), "real");
}

struct GarbageCase {
    const char* name;
    std::string raw;
    friend void PrintTo(const GarbageCase& c, std::ostream* os) { *os << c.name; }
};

class MailStoreGarbage : public ::testing::TestWithParam<GarbageCase> {};

TEST_P(MailStoreGarbage, EveryAccessorEitherAnswersOrRaisesStoreError)
{
    OneMessage one(GetParam().raw);
    auto item = one.item();
    try {
        item->typeName();
        item->receivedTime();
        item->subject();
        item->body();
        item->attachmentCount();
        item->recipients();
        item->senderName();
        EXPECT_EQ(item->size(), static_cast<std::int64_t>(GetParam().raw.size()));
    } catch (const StoreError&) {
        SUCCEED();
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, MailStoreGarbage, ::testing::Values(
    GarbageCase{"empty", ""},
    GarbageCase{"binary", std::string("\0\xFF\xFE\x01\n\n\x80\x81", 8)},
    GarbageCase{"noHeaderEnd", "Subject: never ends"},
    GarbageCase{"unterminatedMultipart", "Content-Type: multipart/mixed; boundary=Z\n\n--Z\nContent-Type: text/plain\n\nx"},
    GarbageCase{"boundaryMissing", "Content-Type: multipart/mixed\n\nbody\n"},
    GarbageCase{"badBase64", "Content-Type: text/plain\nContent-Transfer-Encoding: base64\n\n@@@@\n"},
    GarbageCase{"hugeHeaderLine", "Subject: " + std::string(200000, 'x') + "\n\nb\n"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace brisk::test
