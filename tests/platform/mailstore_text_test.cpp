// Charset conversion, HTML to text, line ends, mbox indexing and unquoting,
// and the loose address reading, as tables of input and expected output.
// Each streamed conversion must give the bytes of its whole-text
// counterpart whatever the cuts between the pieces it is fed; so must the
// bodies of whole messages, real ones and one too large to be read whole.

#include "platform/mailstore/AddressList.h"
#include "platform/mailstore/GMimeSupport.h"
#include "platform/mailstore/HtmlStream.h"
#include "platform/mailstore/MboxIndex.h"
#include "platform/mailstore/MessageItem.h"
#include "platform/mailstore/MessageParts.h"
#include "platform/mailstore/TextConvert.h"
#include "tests/platform/mailstore_Fixtures.h"
#include "tests/support/BodyFactsCheck.h"

#include <gtest/gtest.h>

#include <random>

namespace brisk::mailstore {
namespace {

// `whole(text)`, and what `streamed(feed)` writes when `feed` hands out
// `text` in pieces of 1, 2 and 5 bytes, then of random sizes (shown as 0),
// must all be `expected`.
template <typename Whole, typename Streamed>
void expectWholeAndStreamed(const std::string& text, const std::string& expected, Whole whole, Streamed streamed)
{
    EXPECT_EQ(whole(text), expected) << text;
    std::mt19937 random(7);
    for (const std::size_t piece : {1, 2, 5, 0}) {
        const auto feed = [&](const TextSink& sink) {
            test::feedInChunks(text, random, piece ? piece : 1, piece ? piece : 4096, sink);
        };
        EXPECT_EQ(streamed(feed), expected) << text << " in pieces of " << piece;
    }
}

// What a stream of type `Stream` writes when fed by `feed`.
template <typename Stream, typename Feed>
std::string streamedBy(const Feed& feed)
{
    std::string out;
    const TextSink toOut = [&](std::string_view piece) { out.append(piece); };
    Stream stream(toOut);
    feed([&](std::string_view piece) { stream.feed(piece); });
    stream.finish();
    return out;
}

TEST(MailText, ToUtf8WholeAndStreamed)
{
    ensureGMime();
    const std::tuple<std::string, std::string, std::string> cases[] = { // bytes, charset, UTF-8
        {"plain", "", "plain"}, {"\xE9t\xE9", "", "\xC3\xA9t\xC3\xA9"},
        {std::string("\xFF\xFEh\0i\0", 6), "utf-16", "hi"}, {"\xC4\xE3\xBA\xC3", "gb2312", "\xE4\xBD\xA0\xE5\xA5\xBD"},
        {"\x1B$B$3$s", "iso-2022-jp", "\xE3\x81\x93\xE3\x82\x93"},
        {"\x80 and \x9C", "windows-1252", "\xE2\x82\xAC and \xC5\x93"},
        {"caf\xC3\xA9 \xF0\x9F\x98\x80", "utf-8", "caf\xC3\xA9 \xF0\x9F\x98\x80"},
        {"caf\xE9", "utf-8", "caf\xC3\xA9"},            // label wrong: windows-1252
        {"caf\xC3\xA9", "unknown-8bit", "caf\xC3\xA9"}, // label unknown: valid UTF-8 kept
        {"a\x81" "b \xE2\x82", "", "a\xEF\xBF\xBD" "b \xEF\xBF\xBD\xEF\xBF\xBD"}, // \x81: not windows-1252
        {"cut \xE2\x82\xAC\xE2", "utf-8", "cut \xC3\xA2\xE2\x80\x9A\xC2\xAC\xC3\xA2"},
        {std::string("nul\0byte \xC3\xA9", 11), "utf-8", "nul\xEF\xBF\xBD" "byte \xC3\xA9"},
        {std::string("nul\0byte \xE9", 10), "", "nul\xEF\xBF\xBD" "byte \xEF\xBF\xBD"},
        {"\x1B$B$3$s$K$A$O\x1B(B ok", "iso-2022-jp", "\xE3\x81\x93\xE3\x82\x93\xE3\x81\xAB\xE3\x81\xA1\xE3\x81\xAF ok"},
    };
    for (const auto& [bytes, label, expected] : cases) {
        const auto& charset = label; // clang 14 cannot capture a structured binding in a lambda
        expectWholeAndStreamed(bytes, expected, [&](const std::string& b) { return toUtf8(b, charset); },
                               [&](const auto& feed) {
                                   std::string out;
                                   streamUtf8([&](const TextSink& sink) { return feed(sink), true; }, charset,
                                              [&](std::string_view text) { out.append(text); });
                                   return out;
                               });
    }
}

TEST(MailText, HtmlToTextWholeAndStreamed)
{
    const std::pair<std::string, std::string> cases[] = {
        {"", ""}, {"<p>a</p><p>b</p>", "a\nb"}, {"x<br>y<br><br>z", "x\ny\n\nz"}, {"<h2>H</h2>tail", "H\ntail"},
        {"<div>  spaced \n  out  </div>", "spaced out"}, {"<b>bold</b> and <i>it</i>", "bold and it"},
        {"&lt;tag&gt; &eacute; &#8364;", "<tag> \xC3\xA9 \xE2\x82\xAC"}, {"<p>open <div>nested", "open\nnested"},
        {"<style>p{}</style><script>var a = '<p>';</script>text", "text"},
        {"<p>a<script>b</script><style>c</style>", "a"},
        {"text <table><tr><td>x</td> <td>y</td></tr></table>\n\n<p>after</p>\n", "text\nx y\nafter"},
        {"<html><head><title>T</title></head>\n<body>\n<h1>H</h1> \n<ul> <li>a</li> <li>b</li> </ul></body></html>",
         "H\na\nb"},
        {"<!-- c --> lead <![CDATA[x]]> <p>\xC3\xA9t\xC3\xA9</p>", "lead <![CDATA[x]]>\n\xC3\xA9t\xC3\xA9"},
        {"before <html> after", "before after"},
        {" <html>\n <head> </head>\n x <body> y </body> </html> tail", "x\ny\ntail"},
        {"<html>lead<head><title>t</title></head></html>", "lead"},
    };
    for (const auto& [html, text] : cases)
        expectWholeAndStreamed(html, text, [](const std::string& h) { return htmlToText(h); },
                               [](const auto& feed) { return streamedBy<HtmlTextStream>(feed); });
}

TEST(MailText, CrLfWholeAndStreamed)
{
    const std::pair<std::string, std::string> cases[] = {
        {"", ""}, {"a\nb", "a\r\nb"}, {"a\rb", "a\r\nb"}, {"a\r\nb", "a\r\nb"}, {"\n\n", "\r\n\r\n"},
        {"a\r\r\nb", "a\r\n\r\nb"}, {"a\n\rb", "a\r\n\r\nb"}, {"end\r", "end\r\n"}, {"\r", "\r\n"},
    };
    for (const auto& [in, out] : cases)
        expectWholeAndStreamed(in, out, [](const std::string& t) { return toCrLf(t); },
                               [](const auto& feed) { return streamedBy<CrLfStream>(feed); });
}

TEST(MailText, MboxIndex)
{
    using Ranges = std::vector<std::pair<std::int64_t, std::int64_t>>; // offset, length
    const std::pair<std::string, Ranges> cases[] = {
        {"", {}}, {"not an mbox\n", {}},
        {"From a\nX\n\nFrom b\nY\n\n", {{7, 2}, {17, 2}}},     // trailing separator line dropped
        {"From a\nX\nFrom b\nY", {{7, 10}}},                   // "From " not after a blank line
        {"From a\r\nX\r\n\r\nFrom b\r\nY", {{8, 3}, {21, 1}}}, // CR LF lines, no final newline
        {"From a\nX\n\n>From b\nY\n", {{7, 13}}},              // quoted line is body
        {"From a\n\nFrom b\n", {{7, 0}, {15, 0}}},
    };
    for (const auto& [mbox, expected] : cases) {
        Ranges got;
        for (const MboxMessage& m : indexMbox(mbox))
            got.emplace_back(m.offset, m.length);
        EXPECT_EQ(got, expected) << mbox;
    }
}

// mboxrd: one ">" less on each ">From " line start, whole and in pieces.
TEST(MailText, UnquoteFromLinesWholeAndStreamed)
{
    const std::pair<std::string, std::string> cases[] = {
        {"plain\n", "plain\n"},
        {">From x\n>>From y\n>>>>From ", "From x\n>From y\n>>>From "},
        {"a\n>From b\nc >From d\n x>From e\n", "a\nFrom b\nc >From d\n x>From e\n"},
        {">Fromage\n> From\n>Fro\n>>>F\n>From", ">Fromage\n> From\n>Fro\n>>>F\n>From"},
    };
    for (const auto& [in, out] : cases)
        expectWholeAndStreamed(in, out, [](std::string text) { return unquoteFromLines(text), text; },
                               [](const auto& feed) {
                                   FromUnquoter unquoter;
                                   std::string got;
                                   feed([&](std::string_view piece) { unquoter.feed(piece, got); });
                                   unquoter.finish(got);
                                   return got;
                               });
}

TEST(MailText, LooseAddressSplitting)
{
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"", {}}, {"undisclosed-recipients:;", {}}, {"<>, x@y", {"|x@y"}}, {" , ,a@x,", {"|a@x"}},
        {"\"Doe, John\" <j..doe@x>, k..allen@enron.com", {"Doe, John|j..doe@x", "|k..allen@enron.com"}},
        {"Team: a@x, B <b@x>;, c@x", {"|a@x", "B|b@x", "|c@x"}},
        {"a@x (Alice, Smith), b@y", {"|a@x", "|b@y"}},
        {"=?ISO-8859-1?Q?Andr=E9?= <a@x>", {"Andr\xC3\xA9|a@x"}},
        {"\"quoted \\\" mark\" <q@x>", {"quoted \" mark|q@x"}},
    };
    for (const auto& [header, expected] : cases) {
        std::vector<std::string> got;
        for (const LooseAddress& a : splitAddressesLoosely(header))
            got.push_back(a.name + "|" + a.address);
        EXPECT_EQ(got, expected) << header;
    }
}

TEST(BodyStream, EveryCorpusBodyStreamsAsItDecodesWholeAndScansAsTheRulesRead)
{
    BRISK_REQUIRE_CORPORA(corpora);
    ensureGMime();
    std::mt19937 random(13);
    long messages = 0;
    int htmlParts = 0;
    for (const auto& root : {corpora / "enron", test::sampleStoreDir()}) {
        if (!std::filesystem::is_directory(root))
            continue;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
            if (!entry.is_regular_file() || entry.path().parent_path().filename() != "cur")
                continue;
            ++messages;
            const std::string raw = test::readFile(entry.path()), where = entry.path().string();
            GPtr<GMimeStream> stream(g_mime_stream_mem_new_with_buffer(raw.data(), raw.size()));
            GPtr<GMimeMessage> message = parseMessage(stream.get(), where);
            const PartSummary parts = summariseParts(message.get());
            htmlParts += parts.html ? 1 : 0;
            for (GMimeObject* part : {parts.plainText, parts.html}) {
                if (!part)
                    continue;
                const bool html = part == parts.html;
                const std::string text = decodedText(part), whole = toCrLf(html ? htmlToText(text) : text);
                std::string streamed;
                BodyScanner scanner;
                streamBodyText(part, html, [&](std::string_view chunk) {
                    streamed.append(chunk);
                    test::feedInChunks(chunk, random, 1, 97, [&](std::string_view piece) { scanner.feed(piece); });
                });
                EXPECT_EQ(streamed, whole) << where;
                test::expectRulesAgree(whole, scanner.finish(), where);
            }
        }
    }
    EXPECT_GT(messages, 9000);
    EXPECT_GT(htmlParts, 100); // the sample store's HTML mail, built with the tests
}

TEST(BodyStream, ALargeBodyIsReadInChunksAsItWouldBeWhole)
{
    std::string qp;
    for (int i = 0; i < 40000; ++i)
        qp += "Caf=E9 cr=E8me line " + std::to_string(i) + " =\n  more\n";
    const std::string raw = "Subject: RE: big\nContent-Type: text/plain; charset=ISO-8859-1\n"
                            "Content-Transfer-Encoding: quoted-printable\n\n"
                            "mine\n-----Original Message-----\nFrom: Ann\nSent: 05/01/2011 10:00\n"
                            + qp;
    ASSERT_GT(raw.size(), static_cast<std::size_t>(MessageItem::wholeBodyLimit));
    test::OneMessage one(raw);
    auto item = one.item();
    std::string streamed;
    std::size_t chunks = 0;
    item->readBody([&](std::string_view chunk) { streamed.append(chunk), ++chunks; });
    EXPECT_GT(chunks, 10u);
    EXPECT_EQ(streamed.substr(0, 54), "mine\r\n-----Original Message-----\r\nFrom: Ann\r\nSent: 05/");
    EXPECT_NE(streamed.find("Caf\xC3\xA9 cr\xC3\xA8me line 39999   more\r\n"), std::string::npos);
    EXPECT_EQ(item->body(), streamed);
    const BodyFacts facts = scanBody(*item);
    EXPECT_TRUE(facts.quotedSent);
    test::expectRulesAgree(streamed, facts, "large body");
}

} // namespace
} // namespace brisk::mailstore
