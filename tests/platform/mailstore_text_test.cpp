// Charset conversion, HTML to text, line ends, mbox indexing and the loose
// address reading, as tables of input and expected output.

#include "platform/mailstore/AddressList.h"
#include "platform/mailstore/MboxIndex.h"
#include "platform/mailstore/TextConvert.h"

#include <gtest/gtest.h>

namespace brisk::mailstore {
namespace {

TEST(MailText, ToUtf8)
{
    struct Case {
        std::string bytes, charset, expected;
    };
    const Case cases[] = {
        {"plain", "", "plain"},
        {"caf\xE9", "iso-8859-1", "caf\xC3\xA9"},
        {"caf\xE9", "latin1", "caf\xC3\xA9"},
        {"\x80 and \x9C", "windows-1252", "\xE2\x82\xAC and \xC5\x93"},
        {"caf\xC3\xA9", "utf-8", "caf\xC3\xA9"},
        {"caf\xE9", "utf-8", "caf\xC3\xA9"},          // label wrong: windows-1252 fallback
        {"caf\xC3\xA9", "unknown-8bit", "caf\xC3\xA9"}, // unknown label: valid UTF-8 kept
        {"\xE9t\xE9", "", "\xC3\xA9t\xC3\xA9"},
        {"a\x81" "b", "", "a\xEF\xBF\xBD" "b"},          // undefined in windows-1252
        {"\xC4\xE3\xBA\xC3", "gb2312", "\xE4\xBD\xA0\xE5\xA5\xBD"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(toUtf8(c.bytes, c.charset), c.expected) << c.bytes << " as " << c.charset;
}

TEST(MailText, HtmlToText)
{
    struct Case {
        std::string html, expected;
    };
    const Case cases[] = {
        {"", ""},
        {"<p>a</p><p>b</p>", "a\nb"},
        {"x<br>y<br><br>z", "x\ny\n\nz"},
        {"<div>  spaced \n  out  </div>", "spaced out"},
        {"<b>bold</b> and <i>it</i>", "bold and it"},
        {"&lt;tag&gt; &eacute; &#8364;", "<tag> \xC3\xA9 \xE2\x82\xAC"},
        {"<style>p{color:red}</style><script>var a;</script>text", "text"},
        {"<h2>Head</h2>tail", "Head\ntail"},
        {"<p>unclosed <div>nested", "unclosed\nnested"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(htmlToText(c.html), c.expected) << c.html;
}

TEST(MailText, ToCrLf)
{
    const std::pair<std::string, std::string> cases[] = {
        {"", ""}, {"a\nb", "a\r\nb"}, {"a\rb", "a\r\nb"}, {"a\r\nb", "a\r\nb"},
        {"\n\n", "\r\n\r\n"}, {"a\r\r\nb", "a\r\n\r\nb"}, {"a\n\rb", "a\r\n\r\nb"}, {"end\r", "end\r\n"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(toCrLf(in), out);
}

TEST(MailText, MboxIndex)
{
    struct Case {
        std::string mbox;
        std::vector<std::pair<std::int64_t, std::int64_t>> expected; // offset, length
    };
    const Case cases[] = {
        {"", {}},
        {"not an mbox\n", {}},
        {"From a\nX\n", {{7, 2}}},
        {"From a\nX\n\nFrom b\nY\n", {{7, 2}, {17, 2}}},
        {"From a\nX\n\nFrom b\nY\n\n", {{7, 2}, {17, 2}}},         // trailing separator line dropped
        {"From a\nX\nFrom b\nY", {{7, 10}}},                       // "From " not after a blank line
        {"From a\r\nX\r\n\r\nFrom b\r\nY", {{8, 3}, {21, 1}}},     // CR LF lines, no final newline
        {"From a\nX\n\n>From b\nY\n", {{7, 13}}},                  // quoted line is body
        {"From a\n\nFrom b\n", {{7, 0}, {15, 0}}},
    };
    for (const Case& c : cases) {
        std::vector<std::pair<std::int64_t, std::int64_t>> got;
        for (const MboxMessage& m : indexMbox(c.mbox))
            got.emplace_back(m.offset, m.length);
        EXPECT_EQ(got, c.expected) << c.mbox;
    }
}

TEST(MailText, UnquoteFromLines)
{
    const std::pair<std::string, std::string> cases[] = {
        {"plain\n", "plain\n"},
        {">From x\n", "From x\n"},
        {">>From x\n>>>From y", ">From x\n>>From y"},
        {"a\n>From b\nc >From d\n", "a\nFrom b\nc >From d\n"},
        {">Fromage\n> From\n", ">Fromage\n> From\n"},
    };
    for (auto [in, out] : cases) {
        unquoteFromLines(in);
        EXPECT_EQ(in, out);
    }
}

TEST(MailText, LooseAddressSplitting)
{
    struct Case {
        std::string header;
        std::vector<std::string> expected; // name|address
    };
    const Case cases[] = {
        {"", {}},
        {"a@x", {"|a@x"}},
        {"a@x, b@y", {"|a@x", "|b@y"}},
        {"\"Doe, John\" <j..doe@x>, k..allen@enron.com", {"Doe, John|j..doe@x", "|k..allen@enron.com"}},
        {"Team: a@x, B <b@x>;, c@x", {"|a@x", "B|b@x", "|c@x"}},
        {"undisclosed-recipients:;", {}},
        {"<>, x@y", {"|x@y"}},
        {"a@x (Alice, Smith), b@y", {"|a@x", "|b@y"}},
        {"=?ISO-8859-1?Q?Andr=E9?= <a@x>", {"Andr\xC3\xA9|a@x"}},
        {"\"quoted \\\" mark\" <q@x>", {"quoted \" mark|q@x"}},
        {" , ,a@x,", {"|a@x"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> got;
        for (const LooseAddress& a : splitAddressesLoosely(c.header))
            got.push_back(a.name + "|" + a.address);
        EXPECT_EQ(got, c.expected) << c.header;
    }
}

} // namespace
} // namespace brisk::mailstore
