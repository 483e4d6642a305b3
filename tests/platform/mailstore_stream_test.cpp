// Bodies decoded through fixed buffers give the bytes of the whole-text
// decoding, on every body of the real corpora and on a body too large to be
// read whole.

#include "platform/mailstore/HtmlStream.h"
#include "platform/mailstore/MessageItem.h"
#include "platform/mailstore/MessageParts.h"
#include "platform/mailstore/TextConvert.h"
#include "tests/platform/mailstore_Fixtures.h"
#include "tests/support/BodyFactsCheck.h"

#include <gtest/gtest.h>

#include <random>

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

// Each text part of the message, plain and HTML, streamed and whole; the
// scanner's figures from the streamed text against the whole-text rules.
// Returns the number of HTML parts compared.
int compareBodies(const std::filesystem::path& file, std::mt19937& random)
{
    const std::string raw = test::readFile(file);
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
