// Bodies decoded through fixed buffers: each streamed conversion gives the
// bytes of its whole-text counterpart whatever the chunk cuts, on tables of
// cases and on every body of the real corpora.

#include "platform/mailstore/HtmlStream.h"
#include "platform/mailstore/MessageItem.h"
#include "platform/mailstore/MessageParts.h"
#include "platform/mailstore/TextConvert.h"
#include "tests/platform/mailstore_Fixtures.h"
#include "tests/support/BodyFactsCheck.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>

namespace brisk::mailstore {
namespace {

// Cuts `text` into random chunks of up to `maxChunk` bytes.
void feedInChunks(std::string_view text, std::mt19937& random, std::size_t maxChunk, const TextSink& sink)
{
    std::uniform_int_distribution<std::size_t> size(1, maxChunk);
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t n = std::min(size(random), text.size() - at);
        sink(text.substr(at, n));
        at += n;
    }
}

TEST(BodyStream, ConversionsAgreeWithTheWholeTextOnesForEveryCut)
{
    ensureGMime();
    const std::pair<std::string, std::string> bytesAndCharsets[] = {
        {"plain", ""},
        {"caf\xE9 cr\xE8me", "iso-8859-1"},
        {"\x80 and \x9C", "windows-1252"},
        {"caf\xC3\xA9 \xF0\x9F\x98\x80", "utf-8"},
        {"caf\xE9", "utf-8"},
        {"caf\xC3\xA9", "unknown-8bit"},
        {"a\x81" "b \xE2\x82", ""},
        {std::string("nul\0byte \xC3\xA9", 11), "utf-8"},
        {std::string("nul\0byte \xE9", 10), ""},
        {"\xC4\xE3\xBA\xC3", "gb2312"},
        {"\x1B$B$3$s$K$A$O\x1B(B ok", "iso-2022-jp"},
        {"\x1B$B$3$s", "iso-2022-jp"},
        {"\xFF\xFEh\0i\0", "utf-16"},
        {"cut \xE2\x82\xAC\xE2", "utf-8"},
    };
    const std::string lineEnds[] = {"a\nb\r\nc\rd\r\r\n\n", "\r", "\n\r", "no end"};
    const std::string html[] = {
        "<p>a</p><p>b</p>", "x<br>y<br><br>z", "<div>  spaced \n  out  </div>", "<b>bold</b> <i>it</i>",
        "&lt;tag&gt; &eacute; &#8364;", "<style>p{}</style><script>var a = '<p>';</script>text",
        "<p>unclosed <div>nested", "text <table><tr><td>x</td> <td>y</td></tr></table>\n\n<p>after</p>\n",
        "<html><head><title>T</title></head>\n<body>\n<h1>H</h1> \n<ul> <li>a</li> <li>b</li> </ul></body></html>",
        "<!-- c --> lead <![CDATA[x]]> <p>\xC3\xA9t\xC3\xA9</p>", "before <html> after", "",
        " <html>\n <head> </head>\n x <body> y </body> </html> tail", "<html>lead<head><title>t</title></head></html>",
    };
    std::mt19937 random(7);
    for (const std::size_t maxChunk : {std::size_t{1}, std::size_t{2}, std::size_t{5}, std::size_t{4096}}) {
        for (const auto& entry : bytesAndCharsets) {
            // Named copies: clang 14 cannot capture structured bindings.
            const std::string& bytes = entry.first;
            const std::string& charset = entry.second;
            std::string out;
            const ByteSource source = [&](const TextSink& sink) { return feedInChunks(bytes, random, maxChunk, sink), true; };
            streamUtf8(source, charset, [&](std::string_view text) { out.append(text); });
            EXPECT_EQ(out, toUtf8(bytes, charset)) << bytes << " as " << charset << " in chunks of " << maxChunk;
        }
        for (const std::string& text : lineEnds) {
            std::string out;
            const TextSink toOut = [&](std::string_view piece) { out.append(piece); };
            CrLfStream lines(toOut);
            feedInChunks(text, random, maxChunk, [&](std::string_view piece) { lines.feed(piece); });
            lines.finish();
            EXPECT_EQ(out, toCrLf(text)) << maxChunk;
        }
        for (const std::string& markup : html) {
            std::string out;
            const TextSink toOut = [&](std::string_view piece) { out.append(piece); };
            HtmlTextStream stream(toOut);
            feedInChunks(markup, random, maxChunk, [&](std::string_view piece) { stream.feed(piece); });
            stream.finish();
            EXPECT_EQ(out, htmlToText(markup)) << markup << " in chunks of " << maxChunk;
        }
    }
}

std::string readFile(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Each text part of the message, plain and HTML, streamed and whole; the
// scanner's figures from the streamed text against the whole-text rules.
// Returns the number of HTML parts compared.
int compareBodies(const std::filesystem::path& file, std::mt19937& random)
{
    const std::string raw = readFile(file);
    GPtr<GMimeStream> stream(g_mime_stream_mem_new_with_buffer(raw.data(), raw.size()));
    GPtr<GMimeMessage> message = parseMessage(stream.get(), file.string());
    const PartSummary parts = summariseParts(message.get());
    int htmlParts = 0;
    for (GMimeObject* part : {parts.plainText, parts.html}) {
        if (!part)
            continue;
        const bool html = part == parts.html;
        htmlParts += html ? 1 : 0;
        const std::string text = decodedText(part);
        const std::string whole = toCrLf(html ? htmlToText(text) : text);
        std::string streamed;
        BodyScanner scanner;
        streamBodyText(part, html, [&](std::string_view chunk) {
            streamed.append(chunk);
            feedInChunks(chunk, random, 97, [&](std::string_view piece) { scanner.feed(piece); });
        });
        EXPECT_EQ(streamed, whole) << file;
        test::expectRulesAgree(whole, scanner.finish(), file.string());
    }
    return htmlParts;
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
            htmlParts += compareBodies(entry.path(), random);
            ++messages;
        }
    }
    EXPECT_GT(messages, 9000);
    if (std::filesystem::is_directory(test::sampleStoreDir())) {
        EXPECT_GT(htmlParts, 100); // the sample store's HTML mail
    }
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
