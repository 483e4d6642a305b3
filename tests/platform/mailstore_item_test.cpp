// The values of one item: type, received time, subject, body, size,
// attachments, recipients and sender.

#include "dates/DateValue.h"
#include "tests/platform/mailstore_Fixtures.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace brisk::test {
namespace {

using Lines = std::vector<std::string>;

struct TypeCase {
    const char* name;
    std::string raw;
    std::string expected;
    friend void PrintTo(const TypeCase& c, std::ostream* os) { *os << c.name; }
};

class MailItemType : public ::testing::TestWithParam<TypeCase> {};

TEST_P(MailItemType, FollowsTheMimeStructure)
{
    OneMessage one(GetParam().raw);
    EXPECT_EQ(one.item()->typeName(), GetParam().expected);
}

const std::string reportMessage = "Subject: Undeliverable\nContent-Type: multipart/report; report-type=delivery-status;"
                                  " boundary=B\n\n--B\nContent-Type: text/plain\n\nFailed.\n--B\n"
                                  "Content-Type: message/delivery-status\n\nStatus: 5.0.0\n--B--\n";
const std::string meetingMessage = "Subject: Meet\nContent-Type: multipart/alternative; boundary=B\n\n--B\n"
                                   "Content-Type: text/plain\n\nLet us meet.\n--B\n"
                                   "Content-Type: text/calendar; charset=utf-8; method=REQUEST\n\n"
                                   "BEGIN:VCALENDAR\nEND:VCALENDAR\n--B--\n";
const std::string calendarFileMessage = "Subject: ics\nContent-Type: multipart/mixed; boundary=B\n\n--B\n"
                                        "Content-Type: text/plain\n\nSee file.\n--B\n"
                                        "Content-Type: text/calendar; name=a.ics\n\nBEGIN:VCALENDAR\n--B--\n";

INSTANTIATE_TEST_SUITE_P(Cases, MailItemType, ::testing::Values(
    TypeCase{"plain", message("x"), "MailItem"},
    TypeCase{"report", reportMessage, "ReportItem"},
    TypeCase{"meeting", meetingMessage, "MeetingItem"},
    TypeCase{"calendarWithoutMethod", calendarFileMessage, "MailItem"}),
    [](const auto& info) { return std::string(info.param.name); });

struct TimeCase {
    const char* name;
    std::string headers;
    std::string expected; // ISO local time under TZ=UTC
    friend void PrintTo(const TimeCase& c, std::ostream* os) { *os << c.name; }
};

class MailItemReceivedTime : public ::testing::TestWithParam<TimeCase> {};

TEST_P(MailItemReceivedTime, TopmostReceivedThenDateThenFileTime)
{
    OneMessage one(GetParam().headers + "Subject: t\n\nBody\n");
    // 2001-02-03 04:05:06 UTC as the file's modification time.
    std::filesystem::last_write_time(one.file(), std::filesystem::file_time_type::clock::from_sys(
                                                     std::chrono::sys_seconds(std::chrono::seconds(981173106))));
    EXPECT_EQ(formatIsoTimestamp(one.item()->receivedTime()), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, MailItemReceivedTime, ::testing::Values(
    TimeCase{"topmostReceived",
             "Received: from b by c; Tue, 2 Mar 2021 09:30:00 +0100\n"
             "Received: from a by b; Tue, 2 Mar 2021 08:00:00 +0100\nDate: Mon, 1 Mar 2021 10:00:00 +0000\n",
             "2021-03-02 08:30:00"},
    TimeCase{"receivedWithoutDateFallsToDate",
             "Received: from a by b with SMTP\nDate: Mon, 1 Mar 2021 10:00:00 -0500\n", "2021-03-01 15:00:00"},
    TimeCase{"dateOnly", "Date: Sun, 28 Feb 2021 23:59:59 +0000\n", "2021-02-28 23:59:59"},
    TimeCase{"brokenDateFallsToFileTime", "Date: someday soon\n", "2001-02-03 04:05:06"},
    TimeCase{"noDateAtAll", "From: a@example.com\n", "2001-02-03 04:05:06"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MailItem, ReceivedTimeIsConvertedToTheLocalZone)
{
    OneMessage one("Date: Mon, 1 Mar 2021 10:00:00 -0800\nSubject: t\n\nBody\n");
    EXPECT_EQ(formatIsoTimestamp(one.item(*TimeZone::named("Asia/Tokyo"))->receivedTime()), "2021-03-02 03:00:00");
}

struct SubjectCase {
    const char* name;
    std::string header;
    std::string expected;
    friend void PrintTo(const SubjectCase& c, std::ostream* os) { *os << c.name; }
};

class MailItemSubject : public ::testing::TestWithParam<SubjectCase> {};

TEST_P(MailItemSubject, IsDecodedToUtf8)
{
    OneMessage one("From: a@example.com\nSubject: " + GetParam().header + "\n\nBody\n");
    EXPECT_EQ(one.item()->subject(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, MailItemSubject, ::testing::Values(
    SubjectCase{"plain", "RE: West Position", "RE: West Position"},
    SubjectCase{"qEncodedLatin1", "=?ISO-8859-1?Q?Caf=E9_au_lait?=", "Caf\xC3\xA9 au lait"},
    SubjectCase{"bEncodedUtf8", "=?UTF-8?B?0J/RgNC40LLQtdGC?=", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"},
    SubjectCase{"mixedWords", "Re: =?utf-8?q?Gr=C3=BC=C3=9Fe?= again", "Re: Gr\xC3\xBC\xC3\x9F" "e again"},
    SubjectCase{"raw8BitLatin1", "Caf\xE9", "Caf\xC3\xA9"},
    SubjectCase{"raw8BitUtf8", "Caf\xC3\xA9", "Caf\xC3\xA9"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MailItem, MissingSubjectIsEmpty)
{
    OneMessage one("From: a@example.com\n\nBody\n");
    EXPECT_EQ(one.item()->subject(), "");
}

TEST(MailItem, SizeIsTheStoredFileSize)
{
    const std::string raw = "Subject: s\r\n\r\nBody line\r\n";
    OneMessage one(raw);
    EXPECT_EQ(one.item()->size(), static_cast<std::int64_t>(raw.size()));
}

TEST(MailItem, AttachmentsCountNamedAndAttachedLeavesWithoutDecoding)
{
    const std::string raw =
        "Subject: files\nContent-Type: multipart/mixed; boundary=M\n\n"
        "--M\nContent-Type: multipart/related; boundary=R\n\n"
        "--R\nContent-Type: text/html\n\n<p>See <img src=cid:logo></p>\n"
        "--R\nContent-Type: image/png; name=logo.png\nContent-Disposition: inline\n"
        "Content-Transfer-Encoding: base64\n\niVBORw0KGgo=\n"
        "--R\nContent-Type: image/gif\nContent-ID: <spacer>\n\nGIF89a\n--R--\n"
        "--M\nContent-Type: application/pdf\nContent-Disposition: attachment\n"
        "Content-Transfer-Encoding: base64\n\n!!!not base64!!!\n"
        "--M\nContent-Type: text/plain\nContent-Disposition: inline; filename=notes.txt\n\nnotes\n"
        "--M\nContent-Type: message/rfc822\n\nSubject: inner\n\ninner body\n--M--\n";
    OneMessage one(raw);
    auto item = one.item();
    EXPECT_EQ(item->attachmentCount(), 3);
    EXPECT_EQ(item->body(), "See");
}

} // namespace
} // namespace brisk::test
