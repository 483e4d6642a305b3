// The body a mail client shows, and the names of recipients and sender.

#include "tests/platform/mailstore_Fixtures.h"

#include <gtest/gtest.h>

namespace brisk::test {
namespace {

using Lines = std::vector<std::string>;

struct BodyCase {
    const char* name;
    std::string raw;
    std::string expected;
    friend void PrintTo(const BodyCase& c, std::ostream* os) { *os << c.name; }
};

class MailItemBody : public ::testing::TestWithParam<BodyCase> {};

TEST_P(MailItemBody, IsThePlainTextAClientShows)
{
    OneMessage one(GetParam().raw);
    EXPECT_EQ(one.item()->body(), GetParam().expected);
}

const std::string alternative = "Subject: a\nContent-Type: multipart/alternative; boundary=A\n\n"
                                "--A\nContent-Type: text/html\n\n<p>html</p>\n"
                                "--A\nContent-Type: TEXT/Plain; charset=us-ascii\n\nplain text\n--A--\n";
const std::string htmlOnly = "Subject: h\nContent-Type: text/html; charset=utf-8\n\n"
                             "<html><head><title>T</title><style>p{}</style></head><body>"
                             "<h1>Title</h1><p>One &amp; two&nbsp;three</p><div>Line<br>break</div>"
                             "<script>alert(1)</script><ul><li>a</li><li>b</li></ul>"
                             "<table><tr><td>x</td><td>y</td></tr></table></body></html>\n";
const std::string attachmentOnly = "Subject: f\nContent-Type: multipart/mixed; boundary=M\n\n"
                                   "--M\nContent-Type: text/plain\nContent-Disposition: attachment\n\nfile text\n"
                                   "--M\nContent-Type: text/html; name=page.html\n\n<p>page</p>\n--M--\n";
const std::string quotedPrintable = "Subject: q\nContent-Type: text/plain; charset=ISO-8859-1\n"
                                    "Content-Transfer-Encoding: quoted-printable\n\nCaf=E9 cr=\n=E8me\n";
const std::string base64Utf8 = "Subject: b\nContent-Type: text/plain; charset=utf-8\n"
                               "Content-Transfer-Encoding: base64\n\nR3LDvMOfZQ==\n";

INSTANTIATE_TEST_SUITE_P(Cases, MailItemBody, ::testing::Values(
    BodyCase{"plainBeforeHtml", alternative, "plain text"},
    BodyCase{"htmlOnly", htmlOnly, "Title\r\nOne & two\xC2\xA0three\r\nLine\r\nbreak\r\na\r\nb\r\nx y"},
    BodyCase{"attachmentOnly", attachmentOnly, ""},
    BodyCase{"quotedPrintableLatin1", quotedPrintable, "Caf\xC3\xA9 cr\xC3\xA8me\r\n"},
    BodyCase{"base64Utf8", base64Utf8, "Gr\xC3\xBC\xC3\x9F" "e"},
    BodyCase{"unknownCharsetLatin1", "Subject: u\nContent-Type: text/plain; charset=x-unknown\n\nna\xEFve\n",
             "na\xC3\xAFve\r\n"},
    BodyCase{"wrongCharsetUtf8", "Subject: w\nContent-Type: text/plain; charset=GB2312_CHARSET\n\nna\xC3\xAFve\n",
             "na\xC3\xAFve\r\n"},
    BodyCase{"noCharset8Bit", "Subject: n\n\n\x93quoted\x94\n", "\xE2\x80\x9Cquoted\xE2\x80\x9D\r\n"},
    BodyCase{"undefinedWindows1252Byte", "Subject: n\n\nA\x81Z\n", "A\xEF\xBF\xBDZ\r\n"},
    BodyCase{"lineEndsMadeCrLf", "Subject: l\r\n\r\none\ntwo\rthree\r\nfour\n", "one\r\ntwo\r\nthree\r\nfour\r\n"},
    BodyCase{"noBodyAtAll", "Subject: e\n\n", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MailItemBody, LargeMessageIsReadFromTheFileWithoutLoadingAttachments)
{
    const std::string attachment(6 << 20, 'A'); // valid base64 text, never decoded
    const std::string raw = "Subject: big\nContent-Type: multipart/mixed; boundary=M\n\n"
                            "--M\nContent-Type: text/plain\n\nsmall body\n"
                            "--M\nContent-Type: application/octet-stream; name=big.bin\n"
                            "Content-Transfer-Encoding: base64\n\n" + attachment + "\n--M--\n";
    OneMessage one(raw);
    auto item = one.item();
    EXPECT_EQ(item->size(), static_cast<std::int64_t>(raw.size()));
    EXPECT_EQ(item->body(), "small body"); // the CRLF before a boundary is the boundary's
    EXPECT_EQ(item->attachmentCount(), 1);
}

struct AddressCase {
    const char* name;
    std::string headers;
    Lines recipients;
    std::string sender;
    friend void PrintTo(const AddressCase& c, std::ostream* os) { *os << c.name; }
};

class MailItemAddresses : public ::testing::TestWithParam<AddressCase> {};

TEST_P(MailItemAddresses, GiveDisplayNamesInToCcBccOrder)
{
    OneMessage one(GetParam().headers + "Subject: r\n\nBody\n");
    auto item = one.item();
    EXPECT_EQ(item->recipients(), GetParam().recipients);
    EXPECT_EQ(item->senderName(), GetParam().sender);
}

INSTANTIATE_TEST_SUITE_P(Cases, MailItemAddresses, ::testing::Values(
    AddressCase{"namesElseAddresses",
                "From: \"Dunton, Heather\" <heather.dunton@enron.com>\n"
                "Bcc: hidden@example.com\nCc: Carol <carol@example.com>\nTo: bob@example.com, \"Dan D.\" <dan@example.com>\n",
                {"bob@example.com", "Dan D.", "Carol", "hidden@example.com"}, "Dunton, Heather"},
    AddressCase{"groupsExpanded", "From: a@example.com\nTo: Team: x@example.com, Yves <y@example.com>;, z@example.com\n"
                                  "Cc: undisclosed-recipients:;\n",
                {"x@example.com", "Yves", "z@example.com"}, "a@example.com"},
    AddressCase{"emptyAddressNotCounted", "From: <>\nTo: <>, real@example.com\n", {"real@example.com"}, ""},
    AddressCase{"encodedNames", "From: =?ISO-8859-1?Q?Andr=E9?= <andre@example.com>\nTo: =?UTF-8?B?w4lsaXNl?= <e@example.com>\n",
                {"\xC3\x89lise"}, "Andr\xC3\xA9"},
    AddressCase{"doubleDotLocalPartsKept", "From: l..eisenstein@enron.com\nTo: k..allen@enron.com, Bob <bob@example.com>\n",
                {"k..allen@enron.com", "Bob"}, "l..eisenstein@enron.com"},
    AddressCase{"doubleDotWithName", "From: \"Eisenstein, L\" <l..eisenstein@enron.com>\nTo: \"Allen, K\" <k..allen@enron.com>\n",
                {"Allen, K"}, "Eisenstein, L"},
    AddressCase{"noFromNoTo", "Subject-Prefix: none\n", {}, ""}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace brisk::test
