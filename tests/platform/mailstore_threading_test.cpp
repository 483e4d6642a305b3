// The headers-only scan that the Message-ID index is built from: folder by
// folder, and as one job over the whole tree.

#include "platform/mailstore/OpenStore.h"
#include "tests/platform/mailstore_Fixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

namespace brisk::test {
namespace {

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
    writeFile(dir / "mbox" / "Sent", mbox);
    for (const char* where : {"box", "mbox"}) {
        auto store = openMailStore(dir / where);
        MailFolder& folder = std::string(where) == "box" ? store->root() : *store->findFolder("Sent");
        std::vector<std::pair<std::string, double>> scanned, parsed;
        folder.scanThreadHeaders([&](std::string_view id, double time) { scanned.emplace_back(id, time); });
        for (long i = 1; i <= folder.itemCount(); ++i) {
            auto item = folder.item(i);
            if (!item->messageId().empty())
                parsed.emplace_back(item->messageId(), item->receivedTime());
        }
        std::sort(scanned.begin(), scanned.end());
        std::sort(parsed.begin(), parsed.end());
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
    const std::string date = "Date: Mon, 1 Mar 2021 10:00:00 +0000\n";
    for (const char* folder : {"Mail", "Mail/.Trash"})
        makeMaildir(dir / folder);
    writeFile(dir / "Mail/cur/1.eml", threaded("root@x", date));
    writeFile(dir / "Mail/.Trash/cur/1.eml", threaded("trash@x", date));
    writeFile(dir / "Local/Inbox", mboxEntry(threaded("inbox@x", date)));
    writeFile(dir / "Local/Inbox.sbd/Lists", mboxEntry(threaded("list@x", date)));
    using Scanned = std::vector<std::pair<std::string, double>>;
    for (const char* where : {"Mail", "Local"}) {
        auto store = openMailStore(dir / where);
        Scanned byFolder, byJob;
        eachFolder(store->root(), [&](MailFolder& folder) {
            folder.scanThreadHeaders([&](std::string_view id, double time) { byFolder.emplace_back(id, time); });
        });
        auto job = store->root().threadHeaderScan();
        ASSERT_TRUE(job) << where;
        std::atomic<bool> stop{false};
        job->run([&](std::string_view id, double time) { byJob.emplace_back(id, time); }, stop);
        std::sort(byFolder.begin(), byFolder.end());
        std::sort(byJob.begin(), byJob.end());
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
