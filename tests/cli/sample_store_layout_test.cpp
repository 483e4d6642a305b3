// The bundled sample store that the build generates: its folder layout, the
// number of messages per folder, the Maildir naming and time stamps, the mbox
// archive's framing, and that each kind of mail the analysis must meet is in it.
// The files are read directly, byte for byte; no mail parser is involved.

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct FolderCount {
    const char* folder;
    std::size_t messages;
};

// Maildir folders of the store and how many messages each holds (cur + new).
const FolderCount kMaildirFolders[] = {
    {"Sent Items", 1800},
    {"Sent Items/Projects", 300},
    {"Sent Items/Deleted Items", 100},
    {"Sent Items/deleted items", 50},
    {"Inbox", 500},
    {"Inbox/Lists", 150},
};

struct StoredMessage {
    std::string folder;
    std::string name;
    bool unread = false;
    long long mtime = 0;
    std::string bytes;
};

fs::path storeDir() { return brisk::test::sampleStoreDir(); }

long long mtimeOf(const fs::path& file)
{
    const auto t = fs::last_write_time(file);
    const auto sys = std::chrono::file_clock::to_sys(t);
    return std::chrono::duration_cast<std::chrono::seconds>(sys.time_since_epoch()).count();
}

// Every Maildir message of the store, read once for all tests.
const std::vector<StoredMessage>& maildirMessages()
{
    static const std::vector<StoredMessage> all = [] {
        std::vector<StoredMessage> out;
        for (const auto& [folder, count] : kMaildirFolders) {
            for (const char* sub : {"cur", "new"}) {
                const fs::path dir = storeDir() / folder / sub;
                if (!fs::is_directory(dir))
                    continue;
                for (const auto& entry : fs::directory_iterator(dir))
                    out.push_back({folder, entry.path().filename().string(), std::string(sub) == "new",
                                   mtimeOf(entry.path()), brisk::test::readFile(entry.path())});
            }
        }
        return out;
    }();
    return all;
}

std::string headerBlock(const std::string& message)
{
    return message.substr(0, message.find("\r\n\r\n") + 2);
}

bool hasHeader(const std::string& headers, const std::string& name)
{
    return headers.rfind(name + ":", 0) == 0 || headers.find("\r\n" + name + ":") != std::string::npos;
}

std::string headerValue(const std::string& headers, const std::string& name)
{
    const auto at = headers.rfind(name + ":", 0) == 0 ? 0 : headers.find("\r\n" + name + ":") + 2;
    const auto start = at + name.size() + 2;
    return headers.substr(start, headers.find("\r\n", start) - start);
}

class SampleStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fs::exists(storeDir() / ".complete"))
            << "the sample store is missing at " << storeDir() << "; build the sample_store target";
    }
};

TEST_F(SampleStore, EachMaildirFolderHasCurNewTmpAndItsMessageCount)
{
    std::map<std::string, std::size_t> counted;
    for (const auto& m : maildirMessages())
        ++counted[m.folder];
    for (const auto& [folder, expected] : kMaildirFolders) {
        for (const char* sub : {"cur", "new", "tmp"})
            EXPECT_TRUE(fs::is_directory(storeDir() / folder / sub)) << folder << "/" << sub;
        EXPECT_TRUE(fs::is_empty(storeDir() / folder / "tmp")) << folder;
        EXPECT_EQ(counted[folder], expected) << folder;
    }
}

TEST_F(SampleStore, MaildirNamesSortInTimeOrderAndFilesCarryTheMessageTime)
{
    const std::regex seen(R"(^(\d{10})\.\d{5}_\d+\.brisk-sample:2,S$)");
    const std::regex unread(R"(^(\d{10})\.\d{5}_\d+\.brisk-sample$)");
    std::map<std::string, std::map<std::string, long long>> byFolder;  // name order per folder
    std::size_t unreadCount = 0;
    for (const auto& m : maildirMessages()) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(m.name, match, m.unread ? unread : seen)) << m.folder << "/" << m.name;
        const long long stamp = std::stoll(match[1]);
        EXPECT_EQ(m.mtime, stamp) << m.name;
        byFolder[m.folder][m.name] = stamp;
        unreadCount += m.unread;
    }
    EXPECT_GE(unreadCount, 3u);
    for (const auto& [folder, names] : byFolder) {
        long long previous = 0;
        for (const auto& [name, stamp] : names) {
            EXPECT_LE(previous, stamp) << folder << "/" << name;
            previous = stamp;
        }
    }
}

TEST_F(SampleStore, EveryMessageHasTheCoreHeadersCrLfLinesAndA2019Or2020Date)
{
    const std::regex dateLine(R"(^[A-Z][a-z]{2}, \d{1,2} [A-Z][a-z]{2} (2019|2020) \d\d:\d\d:\d\d [+-]\d{4}$)");
    for (const auto& m : maildirMessages()) {
        const std::string headers = headerBlock(m.bytes);
        for (const char* name : {"Date", "From", "To", "Subject", "Message-ID", "MIME-Version"})
            EXPECT_TRUE(hasHeader(headers, name)) << m.name << " lacks " << name;
        EXPECT_TRUE(std::regex_match(headerValue(headers, "Date"), dateLine)) << m.name;
        for (std::size_t at = m.bytes.find('\n'); at != std::string::npos; at = m.bytes.find('\n', at + 1))
            ASSERT_TRUE(at > 0 && m.bytes[at - 1] == '\r') << m.name << ": bare LF at byte " << at;
    }
}

TEST_F(SampleStore, EverythingInSentItemsIsSentByTheOwner)
{
    for (const auto& m : maildirMessages()) {
        if (m.folder.rfind("Sent Items", 0) != 0)
            continue;
        EXPECT_EQ(headerValue(headerBlock(m.bytes), "From"), "Alex Morgan <alex.morgan@example.com>")
            << m.folder << "/" << m.name;
    }
}

TEST_F(SampleStore, ArchiveIsAnMboxOf2019MailWithQuotedFromLinesAndNoFinalNewline)
{
    const std::string mbox = brisk::test::readFile(storeDir() / "Archive");
    ASSERT_FALSE(mbox.empty());
    EXPECT_EQ(mbox.rfind("From ", 0), 0u);
    EXPECT_NE(mbox.back(), '\n');
    std::size_t separators = 1;
    for (std::size_t at = mbox.find("\nFrom "); at != std::string::npos; at = mbox.find("\nFrom ", at + 1))
        ++separators;
    EXPECT_EQ(separators, 100u);
    EXPECT_NE(mbox.find("\n>From "), std::string::npos);
    for (std::size_t at = mbox.find("\nDate: "); at != std::string::npos; at = mbox.find("\nDate: ", at + 1))
        EXPECT_NE(mbox.substr(at, mbox.find('\r', at) - at).find(" 2019 "), std::string::npos);
}

struct KindCase {
    const char* what;
    const char* marker;
    std::size_t atLeast;
};

// Each kind of message the analysis has to handle, found by a byte marker.
const KindCase kKinds[] = {
    {"Outlook quote block", "\r\n-----Original Message-----\r\nFrom: ", 300},
    {"quote with TAB after Sent:", "\r\nSent:\t", 20},
    {"reply RE:", "\r\nSubject: RE: ", 100},
    {"reply Re:", "\r\nSubject: Re: ", 100},
    {"forward FW:", "\r\nSubject: FW: ", 50},
    {"forward Fwd:", "\r\nSubject: Fwd: ", 20},
    {"meeting request", "text/calendar; method=REQUEST", 10},
    {"delivery report", "multipart/report; report-type=delivery-status", 5},
    {"alternative text and html", "multipart/alternative", 100},
    {"PDF attachment", "Content-Type: application/pdf; name=", 50},
    {"inline PNG", "Content-Disposition: inline; filename=", 20},
    {"RFC 2047 UTF-8 name", "=?UTF-8?", 50},
    {"RFC 2047 ISO-8859-1 name", "=?ISO-8859-1?", 20},
    {"ISO-8859-1 body", "charset=\"iso-8859-1\"", 20},
    {"windows-1252 body", "charset=\"windows-1252\"", 20},
    {"group address list", "\r\nTo: Project Team: ", 1},
    {"damaged quoted date", "Octember", 3},
};

TEST_F(SampleStore, EachKindOfMailAppearsSeveralTimes)
{
    for (const auto& kind : kKinds) {
        const auto found = std::count_if(maildirMessages().begin(), maildirMessages().end(),
                                         [&](const StoredMessage& m) { return m.bytes.find(kind.marker) != std::string::npos; });
        EXPECT_GE(static_cast<std::size_t>(found), kind.atLeast) << kind.what;
    }
}

TEST_F(SampleStore, QuotedSentLinesComeInTheUsAndUkForms)
{
    const std::regex us(R"(^Sent: [A-Z][a-z]+day, [A-Z][a-z]+ \d\d, \d{4} \d{1,2}:\d\d [AP]M\r$)");
    const std::regex uk(R"(^Sent: \d\d [A-Z][a-z]+ \d{4} \d\d:\d\d\r$)");
    std::size_t usCount = 0, ukCount = 0;
    for (const auto& m : maildirMessages()) {
        const auto at = m.bytes.find("\nSent: ");
        if (at == std::string::npos)
            continue;
        const std::string line = m.bytes.substr(at + 1, m.bytes.find('\n', at + 1) - at - 1);
        usCount += std::regex_match(line, us);
        ukCount += std::regex_match(line, uk);
    }
    EXPECT_GE(usCount, 300u);
    EXPECT_GE(ukCount, 100u);
}

} // namespace
