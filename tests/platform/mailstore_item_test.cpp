// The values of one stored message: type, received time, subject, the body a
// mail client shows, attachments, sender and recipients, threading ids.

#include "dates/DateValue.h"
#include "platform/mailstore/MessageItem.h"
#include "tests/platform/mailstore_Fixtures.h"

#include <gtest/gtest.h>

namespace brisk::test {
namespace {

using Field = std::string (*)(MailItem&);

std::string joined(const Lines& lines)
{
    std::string out;
    for (const std::string& line : lines)
        out += (out.empty() ? "" : "|") + line;
    return out;
}

const Field type = [](MailItem& i) { return i.typeName(); };
const Field received = [](MailItem& i) { return formatIsoTimestamp(i.receivedTime()); };
const Field subject = [](MailItem& i) { return i.subject(); };
const Field body = [](MailItem& i) { return i.body(); };
const Field attachments = [](MailItem& i) { return std::to_string(i.attachmentCount()) + " " + i.body(); };
const Field names = [](MailItem& i) { return i.senderName() + " > " + joined(i.recipients()); };
const Field ids = [](MailItem& i) {
    return i.messageId() + ">" + joined(i.inReplyTo()) + ">" + joined(i.references());
};

struct ItemCase {
    const char* name;
    std::string raw;
    Field field;
    std::string expected;
};

class MailItemValue : public ::testing::TestWithParam<ItemCase> {};

TEST_P(MailItemValue, IsWhatAMailClientShows)
{
    OneMessage one(GetParam().raw);
    // 2001-02-03 04:05:06 UTC as the file's time, for messages without a date.
    std::filesystem::last_write_time(one.file(), std::filesystem::file_time_type::clock::from_sys(
                                                     std::chrono::sys_seconds(std::chrono::seconds(981173106))));
    EXPECT_EQ(GetParam().field(*one.item()), GetParam().expected);
}

const std::string report = "Content-Type: multipart/report; report-type=delivery-status; boundary=B\n\n"
                           "--B\nContent-Type: text/plain\n\nFailed.\n--B\n"
                           "Content-Type: message/delivery-status\n\nStatus: 5.0.0\n--B--\n";
const std::string calendar = "Content-Type: multipart/alternative; boundary=B\n\n--B\nContent-Type: text/plain\n\nMeet.\n"
                             "--B\nContent-Type: text/calendar; charset=utf-8; ";
const std::string htmlOnly = "Content-Type: text/html; charset=utf-8\n\n<html><head><title>T</title></head><body>"
                             "<p>One &amp; two&nbsp;three</p><div>Line<br>break</div></body></html>\n";
const std::string alternative = "Content-Type: multipart/alternative; boundary=A\n\n"
                                "--A\nContent-Type: text/html\n\n<p>html</p>\n"
                                "--A\nContent-Type: TEXT/Plain; charset=us-ascii\n\nplain text\n--A--\n";
const std::string attachmentOnly = "Content-Type: multipart/mixed; boundary=M\n\n"
                                   "--M\nContent-Type: text/plain\nContent-Disposition: attachment\n\nfile text\n"
                                   "--M\nContent-Type: text/html; name=page.html\n\n<p>page</p>\n--M--\n";
// Named and attached leaves count, an inline image without a name does
// not; a broken base64 attachment is never decoded.
const std::string files = "Content-Type: multipart/mixed; boundary=M\n\n"
                          "--M\nContent-Type: multipart/related; boundary=R\n\n"
                          "--R\nContent-Type: text/html\n\n<p>See <img src=cid:logo></p>\n"
                          "--R\nContent-Type: image/png; name=logo.png\nContent-Disposition: inline\n"
                          "Content-Transfer-Encoding: base64\n\niVBORw0KGgo=\n"
                          "--R\nContent-Type: image/gif\nContent-ID: <spacer>\n\nGIF89a\n--R--\n"
                          "--M\nContent-Type: application/pdf\nContent-Disposition: attachment\n"
                          "Content-Transfer-Encoding: base64\n\n!!!not base64!!!\n"
                          "--M\nContent-Type: text/plain\nContent-Disposition: inline; filename=notes.txt\n\nnotes\n"
                          "--M\nContent-Type: message/rfc822\n\nSubject: inner\n\ninner body\n--M--\n";

INSTANTIATE_TEST_SUITE_P(Cases, MailItemValue, ::testing::Values(
    ItemCase{"report", report, type, "ReportItem"},
    ItemCase{"meeting", calendar + "method=REQUEST\n\nBEGIN:VCALENDAR\n--B--\n", type, "MeetingItem"},
    ItemCase{"calendarFileIsMail", calendar + "name=a.ics\n\nBEGIN:VCALENDAR\n--B--\n", type, "MailItem"},
    // RFC 5322 section 3.6.7: the topmost Received is the last hop.
    ItemCase{"topmostReceived", "Received: from b by c; Tue, 2 Mar 2021 09:30:00 +0100\n"
                                "Received: from a by b; Tue, 2 Mar 2021 08:00:00 +0100\n"
                                "Date: Mon, 1 Mar 2021 10:00:00 +0000\n\nx\n", received, "2021-03-02 08:30:00"},
    ItemCase{"receivedWithoutDate", "Received: from a by b with SMTP\nDate: Mon, 1 Mar 2021 10:00:00 -0500\n\nx\n",
             received, "2021-03-01 15:00:00"},
    ItemCase{"brokenDateGivesFileTime", "Date: someday soon\n\nx\n", received, "2001-02-03 04:05:06"},
    ItemCase{"qEncodedLatin1", "Subject: =?ISO-8859-1?Q?Caf=E9_au_lait?=\n\nx\n", subject, "Caf\xC3\xA9 au lait"},
    ItemCase{"mixedWords", "Subject: Re: =?utf-8?b?R3LDvMOfZQ==?= again\n\nx\n", subject,
             "Re: Gr\xC3\xBC\xC3\x9F" "e again"},
    ItemCase{"raw8BitLatin1", "Subject: Caf\xE9\n\nx\n", subject, "Caf\xC3\xA9"},
    ItemCase{"raw8BitUtf8", "Subject: Caf\xC3\xA9\n\nx\n", subject, "Caf\xC3\xA9"},
    ItemCase{"noSubject", "From: a@example.com\n\nx\n", subject, ""},
    ItemCase{"plainBeforeHtml", alternative, body, "plain text"},
    ItemCase{"htmlOnly", htmlOnly, body, "One & two\xC2\xA0three\r\nLine\r\nbreak"},
    ItemCase{"attachmentOnly", attachmentOnly, body, ""},
    ItemCase{"quotedPrintableLatin1", "Content-Type: text/plain; charset=ISO-8859-1\n"
                                      "Content-Transfer-Encoding: quoted-printable\n\nCaf=E9 cr=\n=E8me\n",
             body, "Caf\xC3\xA9 cr\xC3\xA8me\r\n"},
    ItemCase{"base64Utf8", "Content-Type: text/plain; charset=utf-8\nContent-Transfer-Encoding: base64\n\nR3LDvMOfZQ==\n",
             body, "Gr\xC3\xBC\xC3\x9F" "e"},
    ItemCase{"wrongCharsetKeepsUtf8", "Content-Type: text/plain; charset=GB2312_CHARSET\n\nna\xC3\xAFve\n", body,
             "na\xC3\xAFve\r\n"},
    ItemCase{"noCharsetIsWindows1252", "Subject: n\n\n\x93quoted\x94\n", body, "\xE2\x80\x9Cquoted\xE2\x80\x9D\r\n"},
    ItemCase{"namedAndAttachedLeaves", files, attachments, "3 See"},
    // Display names else addresses, in To, Cc, Bcc order; groups expanded.
    ItemCase{"namesInToCcBccOrder", "From: \"Dunton, Heather\" <heather.dunton@enron.com>\nBcc: hidden@example.com\n"
                                    "Cc: Carol <carol@example.com>\nTo: bob@example.com, \"Dan D.\" <dan@example.com>\n\nx\n",
             names, "Dunton, Heather > bob@example.com|Dan D.|Carol|hidden@example.com"},
    ItemCase{"groupsExpanded", "From: <>\nTo: Team: x@example.com, Yves <y@example.com>;, <>, z@example.com\n"
                               "Cc: undisclosed-recipients:;\n\nx\n", names, " > x@example.com|Yves|z@example.com"},
    ItemCase{"encodedNames", "From: =?ISO-8859-1?Q?Andr=E9?= <andre@example.com>\nTo: =?UTF-8?B?w4lsaXNl?= <e@x.com>\n\nx\n",
             names, "Andr\xC3\xA9 > \xC3\x89lise"},
    // Local parts with two dots, which GMime drops, are read leniently.
    ItemCase{"doubleDotLocalParts", "From: l..eisenstein@enron.com\nTo: k..allen@enron.com, \"Allen, K\" "
                                    "<k..allen@enron.com>, Bob <bob@example.com>\n\nx\n",
             names, "l..eisenstein@enron.com > k..allen@enron.com|Allen, K|Bob"},
    ItemCase{"threadingIds", "Message-ID: <r1@example.org>\nIn-Reply-To: <p1@example.org>\n"
                             "References: <p0@example.org>\n <p1@example.org>\n\nx\n",
             ids, "r1@example.org>p1@example.org>p0@example.org|p1@example.org"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MailItem, ReceivedTimeIsConvertedToTheLocalZone)
{
    OneMessage one("Date: Mon, 1 Mar 2021 10:00:00 -0800\n\nBody\n");
    EXPECT_EQ(formatIsoTimestamp(one.item(*TimeZone::named("Asia/Tokyo"))->receivedTime()), "2021-03-02 03:00:00");
}

// A parser process rebuilds an item from its recipe: every message of an
// mbox (with ">From " lines to unquote) and of a Maildir whose path holds a
// blank and a line end gives the same values, in the store's zone.
TEST(MailItem, ARecipeGivesTheSameItemAndAMalformedOneNone)
{
    TempDir dir;
    const std::string quoted = "Subject: quoted\n\n>From here\n";
    writeFile(dir / "store" / "Sent", mboxEntry(quoted) + mboxEntry(message("second")));
    makeMaildir(dir / "store" / "a b\nc", {"maildir"});
    const TimeZone tokyo = *TimeZone::named("Asia/Tokyo");
    const std::unique_ptr<MailStore> store = openMailStore((dir / "store").string(), tokyo);
    int compared = 0;
    eachFolder(store->root(), [&](MailFolder& folder) {
        for (long i = 1; i <= folder.itemCount(); ++i, ++compared) {
            const std::unique_ptr<MailItem> item = folder.item(i);
            const std::unique_ptr<MailItem> rebuilt = mailstore::MessageItem::fromRecipe(item->recipe());
            for (const Field field : {subject, body, received, names, ids})
                EXPECT_EQ(field(*rebuilt), field(*item)) << folder.path() << " #" << i;
            EXPECT_EQ(rebuilt->size(), item->size());
        }
    });
    EXPECT_EQ(compared, 3);
    for (const char* bad : {"", "0 - 0 UTC", "0 - 0 UTC\n", "-1 - 0 UTC\n/x", "0 -5 0 UTC\n/x", "0 5x 0 UTC\n/x",
                            "0 - 2 UTC\n/x", "0 - 0 Mars/Olympus\n/x", "x - 0 UTC\n/x"})
        EXPECT_THROW(mailstore::MessageItem::fromRecipe(bad), StoreError) << bad;
}

} // namespace
} // namespace brisk::test
