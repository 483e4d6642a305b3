#pragma once
// Checks the streamed body rules against the whole-text rules: a body fed to
// the scanner in random chunks must give the figures the rules give for it.

#include "engine/BodyScanner.h"
#include "engine/MessageAnalysis.h"
#include "stats/Text.h"

#include <gtest/gtest.h>

#include <random>

namespace brisk::test {

// Feeds `text` to `sink` in pieces of random sizes from `least` to `most` bytes.
template <typename Sink>
void feedInChunks(std::string_view text, std::mt19937& random, std::size_t least, std::size_t most, const Sink& sink)
{
    std::uniform_int_distribution<std::size_t> size(least, most);
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t n = std::min(size(random), text.size() - at);
        sink(text.substr(at, n));
        at += n;
    }
}

inline BodyFacts scanInChunks(std::string_view body, std::mt19937& random, std::size_t maxChunk)
{
    BodyScanner scanner;
    feedInChunks(body, random, 0, maxChunk, [&](std::string_view piece) { scanner.feed(piece); });
    return scanner.finish();
}

inline void expectRulesAgree(std::string_view body, const BodyFacts& streamed, const std::string& where)
{
    const auto attribution = findAttribution(body, DateLocale{});
    const std::string_view own = ownText(body, attribution);
    EXPECT_EQ(streamed.empty, body.empty()) << where;
    EXPECT_EQ(streamed.quotedSent, quotedSentTime(body)) << where;
    EXPECT_EQ(streamed.attribution.has_value(), attribution.has_value()) << where;
    if (streamed.attribution && attribution) {
        EXPECT_EQ(streamed.attribution->offset, attribution->offset) << where;
        EXPECT_EQ(streamed.attribution->sent, attribution->sent) << where;
    }
    EXPECT_EQ(streamed.ownWords, countWords(own)) << where;
    EXPECT_EQ(streamed.ownUtf16Length, static_cast<std::int64_t>(utf16Length(own))) << where;
}

} // namespace brisk::test
