// The Outlook data files of ../shared/corpora/pst read through the store
// interface: folder trees with the files' own names, the Sent Items and
// Deleted Items markers, item values checked by hand against pffexport and
// pypff, and damaged files that must give a clear message and no crash.

#include "dates/DateValue.h"
#include "tests/platform/mailstore_Fixtures.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace brisk;
using brisk::test::Lines;

namespace {

// The files of ../shared/corpora/pst, opened by their path below it.
class PstCorpus : public ::testing::Test {
protected:
    void SetUp() override
    {
        BRISK_REQUIRE_CORPORA(corpora);
        if (!fs::is_directory(pst = corpora / "pst"))
            GTEST_SKIP() << "../shared/corpora/pst is absent; the PST tests need it beside the repository";
    }
    std::unique_ptr<MailStore> open(const std::string& file) const { return openMailStore(pst / file); }
    static MailFolder& folderAt(MailStore& store, const std::string& path)
    {
        MailFolder* folder = store.findFolder(path);
        return folder ? *folder : throw std::runtime_error("no folder " + path + " in " + store.location());
    }
    fs::path pst;
};

// The first lines of the outline ("path (items)", depth-first, the root by
// name, the trash marked; no later line is) and the path of defaultFolder().
TEST_F(PstCorpus, FolderTreesSentItemsAndTrashAreTheStoresOwn)
{
    const std::tuple<const char*, Lines, const char*> cases[] = {
        // Sent Items and Deleted Items by the message store's entry ids.
        {"aspose-net/Outlook.pst",
         {"Top of Personal Folders (0)", "Deleted Items (0) trash", "Inbox (8)", "Inbox/SubInbox (0)", "Outbox (0)",
          "Sent Items (6)", "Calendar (1)", "Contacts (1)", "Journal (0)", "Notes (0)", "Tasks (0)", "Drafts (0)",
          "RSS Feeds (0)", "Junk E-mail (0)", "Custom Folder 1 (0)", "Custom Folder 2 (0)"}, "Sent Items"},
        // An OST: Exchange entry ids name no node; the mailbox subtree and
        // Sent Items are found by name, and no folder is marked as trash.
        {"aspose-net/SampleOstFile.ost",
         {"IPM_SUBTREE (0)", "Deleted Items (10)", "Inbox (12)", "Inbox/sub1 (25)", "Inbox/sub2 (29)", "Outbox (0)",
          "Sent Items (6)"}, "Sent Items"},
        // No sent-mail marker: Sent Items by name.
        {"hughbe-PstReader/backup.pst",
         {"Top of Outlook data file (0)", "Deleted Items (0) trash", "Inbox (1)", "Outbox (0)", "Sent Items (1)"},
         "Sent Items"},
        // French names; the trash is found by its marker whatever its name.
        {"tika/testPST.pst", {"Début du fichier de données Outlook (7)", "Éléments supprimés (0) trash"},
         ""},
        {"aspose-net/passwordprotectedPST.pst",
         {"Top of Personal Folders (0)", "Deleted Items (14) trash", "Inbox (4)"}, ""},
        {"aspose-net/Chunks_Test_part1.pst",
         {"Top of Personal Folders (0)", "Deleted Items (0) trash", "Deleted Items/SubInbox (0)",
          "Deleted Items/SubInbox (0)", "Inbox (0)", "Outbox (0)", "Sent Items (31)"}, "Sent Items"},
        // ANSI (97-2002) and Unicode (2003+) files of the same content.
        {"pstsdk/test_ansi.pst", {"Top of Personal Folders (0)", "Deleted Items (0) trash", "Folder (1)"}, ""},
        {"pstsdk/test_unicode.pst", {"Top of Personal Folders (1)", "Deleted Items (0) trash", "Folder (1)"}, ""},
        {"ruby-msg/msgInMsg.pst", {"Outlook データ ファイルのトップ (1)", "削除済みアイテム (0) trash"},
         ""},
    };
    for (const auto& [file, outline, sent] : cases) {
        SCOPED_TRACE(file);
        const std::unique_ptr<MailStore> store = open(file);
        Lines lines = test::outline(store->root());
        ASSERT_GE(lines.size(), outline.size());
        const auto trash = [](const std::string& line) { return line.ends_with(" trash"); };
        EXPECT_EQ(std::count_if(lines.begin() + long(outline.size()), lines.end(), trash), 0);
        lines.resize(outline.size());
        EXPECT_EQ(std::pair(lines, store->defaultFolder().path()), std::pair(outline, std::string(sent)));
    }
}

// The received time is the local time with TZ=UTC; the body, how it starts.
struct ItemCase {
    const char *file, *folder;
    long index;
    const char *received, *subject, *sender;
    std::vector<std::string> recipients;
    std::int64_t size;
    int attachments;
    const char *body, *messageId;
    std::vector<std::string> inReplyTo;
};

TEST_F(PstCorpus, ItemValuesMatchWhatPffexportShows)
{
    const std::vector<std::string> none;
    const ItemCase cases[] = {
        // Delivery time, transport headers with In-Reply-To and References.
        {"tika/testPST.pst", "", 1, "2014-02-26 07:51:02", "Re: Feature Generators", "Jörn Kottmann",
         {"users@opennlp.apache.org"}, 22688, 0, "Hello,\r\n\r\nthe PreviousMapFeatureGenerator",
         "530D9CAC.5080901@gmail.com", {"CAJ+FrY6C_Hp_b-Pzx2VqUqnonx9Dei8kcXDV7j1wPT99mNKsuA@mail.gmail.com"}},
        {"tika/testPST.pst", "", 7, "2020-11-26 22:18:00", "FW: First email", "Luis Filipe da Cruz Nassif",
         {"'lfcnassif@gmail.com'"}, 30227, 1, "Forwarding mail", "2915856a7d3449e68529f3e61b8d26bc@pf.gov.br",
         {"3148510c2360443396a78d35e0888de9@pf.gov.br"}},
        {"aspose-net/Outlook.pst", "Sent Items", 1, "2011-06-21 23:46:00", "message 1", "Saqib Razzaq",
         {"'saqib.razzaq@xp.local'"}, 4303, 0, "This is first message", "", none},
        // To, then Cc, then Bcc.
        {"aspose-net/passwordprotectedPST.pst", "Inbox", 3, "2006-03-06 00:00:00",
         "test mail(Aspose.Email Evaluation)", "sender@sender.com",
         {"receiver1@receiver.com", "receiver2@receiver.com", "receiver3@receiver.com"}, 32318, 1,
         "This is an evaluation copy of Aspose.Email for .NET.", "", none},
        // HTML body only; HTML encapsulated in RTF; plain RTF with pictures.
        {"aspose-net/SampleOstFile.ost", "Inbox", 1, "2011-04-28 11:39:28", "first email to saqib", "Saqib Razzaq",
         {"Saqib Razzaq"}, 8440, 0, "test", "6AA62D7A1B3AC5449D53431FBEA2940219825C42@ex2010.ex2010.local", none},
        {"aspose-net/SampleOstFile.ost", "Inbox", 8, "2011-06-20 15:02:06", "Bonusspelet", "Rolf Petersson",
         {"Svenska Spel Kundservice"}, 6858, 0, "Hej!bonusspelet.\r\nJag har koder.\r\nKundnummer; 213570739\r\n",
         "DBDADA6ED0044419868CED5A2DC8C219@userDator", none},
        {"aspose-net/SampleOstFile.ost", "Inbox", 12, "2011-09-20 10:29:16", "RTF newsletter copy", "Saqib Razzaq",
         {"Saqib Razzaq"}, 554493, 6, "\r\n\r\nFrom: Saqib Razzaq \r\nSent: Tuesday, September 20, 2011 3:27 PM",
         "6AA62D7A1B3AC5449D53431FBEA2940278577FD3@ex2010.ex2010.local", none},
        // A sent item without transport headers: its Message-ID property.
        {"hughbe-PstReader/backup.pst", "Sent Items", 1, "2020-09-16 09:12:00", "Success", "Hugh Bellamy",
         {"pstreadertests@outlook.com"}, 14294, 0, "",
         "LNXP123MB38205C0D30CA6F5FE2B6FE92CB210@LNXP123MB3820.GBRP123.PROD.OUTLOOK.COM", none},
    };
    for (const ItemCase& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " " + c.folder + " #" + std::to_string(c.index));
        const std::unique_ptr<MailStore> store = open(c.file);
        const std::unique_ptr<MailItem> item = folderAt(*store, c.folder).item(c.index);
        EXPECT_EQ(std::tuple(item->typeName(), formatIsoTimestamp(item->receivedTime()), item->subject(),
                             item->senderName(), item->size(), item->attachmentCount(), item->messageId()),
                  std::tuple("MailItem", c.received, c.subject, c.sender, c.size, c.attachments, c.messageId));
        EXPECT_EQ(item->recipients(), c.recipients);
        std::string body = item->body();
        EXPECT_TRUE(body.starts_with(c.body)) << body.substr(0, 80);
        for (auto at = body.find("\r\n"); at != std::string::npos; at = body.find("\r\n", at))
            body.erase(at, 2);
        EXPECT_EQ(body.find_first_of("\r\n"), std::string::npos) << "a line end other than CRLF";
        EXPECT_EQ(std::pair(item->inReplyTo(), item->references()), std::pair(c.inReplyTo, c.inReplyTo));
    }
}

TEST_F(PstCorpus, LongRecipientListsAndNonMailItemsKeepTheirValues)
{
    const std::unique_ptr<MailStore> many = open("ruby-msg/200 recipients.pst");
    const std::unique_ptr<MailItem> item = many->root().item(1);
    const std::vector<std::string> to = item->recipients();
    ASSERT_EQ(to.size(), 200u);
    EXPECT_EQ(std::tuple(to.front(), to.back(), item->size()),
              std::tuple("xmailuser1@xmailserver.test", "xmailuser200@xmailserver.test", 180468));

    // Appointments and contacts are items of their own type; the walk
    // counts them but never analyses them.
    const std::unique_ptr<MailStore> outlook = open("aspose-net/Outlook.pst");
    EXPECT_EQ(folderAt(*outlook, "Calendar").item(1)->typeName(), "AppointmentItem");
    EXPECT_EQ(folderAt(*outlook, "Contacts").item(1)->typeName(), "ContactItem");
}

// Damaged files: what libpff refuses gives the reason; what it opens but
// cannot read gives per-folder errors while the rest still comes out.
TEST_F(PstCorpus, DamagedFilesGiveAClearMessage)
{
    const struct {
        const char* file;
        const char* message;
    } refused[] = {
        {"aspose-net/bad/AddingBulkMessagesWithImprovedPerformance.pst", "mismatch in file header checksum"},
        {"aspose-net/bad/SMTP_Outlook_is_mbox.pst", "not a readable Outlook data file (invalid file signature)"},
        {"aspose-net/bad/CSharp_Outlook_Data_Outlook.pst", "has no folder tree"},
        {"aspose-net/no-such-file.pst", "No such file or directory"},
    };
    for (const auto& c : refused) {
        const std::string error = test::errorOf([&] { open(c.file); });
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
        EXPECT_NE(error.find(c.file), std::string::npos) << error;
    }
    const std::unique_ptr<MailStore> split = open("aspose-net/bad/Chunks-Split_Outlook_part1.pst");
    EXPECT_EQ(folderAt(*split, "Sent Items").itemCount(), 5);
    EXPECT_EQ(folderAt(*split, "Inbox").itemCount(), 6);
    EXPECT_THROW(folderAt(*split, "Inbox/SubInbox").itemCount(), StoreError);
}

// Truncated copies and copies with bytes overwritten: each either opens and
// reads with per-item errors, or fails with a message naming the file.
TEST_F(PstCorpus, TruncatedAndCorruptedCopiesNeverCrash)
{
    const std::string pstBytes = test::readFile(pst / "tika/testPST.pst"),
                      ostBytes = test::readFile(pst / "aspose-net/SampleOstFile.ost");
    test::TempDir dir;
    // Name, original, bytes kept from the start, where 64 bytes are overwritten (0: none).
    const std::tuple<const char*, const std::string&, std::size_t, std::size_t> damages[] = {
        {"half.pst", pstBytes, pstBytes.size() / 2, 0},
        {"header-only.pst", pstBytes, 600, 0},
        {"tiny.pst", pstBytes, 3, 0},
        {"btree.pst", pstBytes, pstBytes.size(), 0x11000},
        {"blocks.pst", pstBytes, pstBytes.size(), pstBytes.size() / 3},
        {"tail.pst", pstBytes, pstBytes.size(), pstBytes.size() - 4096},
        {"header.pst", pstBytes, pstBytes.size(), 0x40},
        // The root's subfolder index is cut off: finding Sent Items must not throw.
        {"cut.ost", ostBytes, 2778855, 0},
    };
    for (const auto& [name, original, keep, corruptAt] : damages) {
        SCOPED_TRACE(name);
        std::string bytes = original.substr(0, keep);
        if (corruptAt)
            bytes.replace(corruptAt, 64, std::string(64, '\xA5'));
        test::writeFile(dir / name, bytes);
        test::ReadTally tally;
        const std::string error = test::errorOf([&] {
            const std::unique_ptr<MailStore> store = openMailStore(dir / name);
            EXPECT_NO_THROW(store->defaultFolder());
            test::readEverything(store->root(), tally);
        });
        EXPECT_TRUE(error == "no error" ? tally.items <= 81 : error.find(name) != std::string::npos) << error;
    }
}

} // namespace
