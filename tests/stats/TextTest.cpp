#include "stats/Text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace brisk {
namespace {

int sign(int value) { return (value > 0) - (value < 0); }

// Valid texts are checked against real UTF-16 strings below; these cases
// are the invalid bytes, each of which counts as one unit and orders by value.
TEST(Utf16Text, InvalidBytesCountAsOneUnitAndOrderByTheirValue)
{
    const std::vector<std::pair<std::string, std::size_t>> lengths = {
        {"a\xFF" "b", 3}, {"\xE2\x82", 2}, {"\xC0\xAF", 2}, {"\xED\xA0\x80", 3}, {"J\xC3\xBCrgen", 6}};
    for (const auto& [text, units] : lengths)
        EXPECT_EQ(utf16Length(text), units) << text;
    struct Case {
        std::string a, b;
        int expected;
    };
    // A broken euro sign is not its prefix; a stray continuation byte.
    const std::vector<Case> cases = {
        {"Z", "a", -1}, {"a\xFF", "a\xFE", 1}, {"\xE2\x82", "\xE2\x82\xAC", 1}, {"a\x80", "a\xC3\xA9", 1}};
    for (const Case& c : cases) {
        EXPECT_EQ(sign(compareUtf16(c.a, c.b)), c.expected) << c.a << " vs " << c.b;
        EXPECT_EQ(sign(compareUtf16(c.b, c.a)), -c.expected) << c.b << " vs " << c.a;
    }
}

TEST(CompareUtf16, AgreesWithUtf16StringOrderOnRandomTexts)
{
    // Each character in UTF-8 and in UTF-16, as the compiler encodes it; on
    // both sides of the surrogate range, where byte order and UTF-16 order part.
    const std::pair<std::string, std::u16string> alphabet[] = {
        {"a", u"a"}, {"B", u"B"}, {"\u00E9", u"\u00E9"}, {"\u20AC", u"\u20AC"}, {"\uD7FF", u"\uD7FF"},
        {"\uE000", u"\uE000"}, {"\uFF21", u"\uFF21"}, {"\U0001F600", u"\U0001F600"},
        {"\U0001F601", u"\U0001F601"}, {"\U00010000", u"\U00010000"}};
    std::mt19937 random(20240611);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(alphabet) - 1);
    std::uniform_int_distribution<int> length(0, 4);
    const auto append = [&](std::vector<std::size_t>& picks) {
        for (int k = length(random); k > 0; --k)
            picks.push_back(pick(random));
    };
    const auto text = [&](const std::vector<std::size_t>& picks) {
        std::pair<std::string, std::u16string> out;
        for (std::size_t i : picks)
            out.first += alphabet[i].first, out.second += alphabet[i].second;
        return out;
    };
    for (int round = 0; round < 2000; ++round) {
        std::vector<std::size_t> a;
        append(a);
        std::vector<std::size_t> b(a.begin(), a.begin() + length(random) % (a.size() + 1)); // a shared beginning
        append(b);
        const auto [a8, a16] = text(a);
        const auto [b8, b16] = text(b);
        ASSERT_EQ(sign(compareUtf16(a8, b8)), sign(a16.compare(b16))) << a8 << " vs " << b8;
        ASSERT_EQ(utf16Length(a8), a16.size());
    }
}

TEST(LeftUtf16, TakesWholeCharactersUpToTheUnitCount)
{
    struct Case {
        std::string text;
        std::size_t units;
        std::string expected;
    };
    const std::string emoji = "\xF0\x9F\x98\x80";
    // The surrogate pair of the emoji is never split.
    const std::vector<Case> cases = {{"abcdef", 3, "abc"},          {"abc", 15, "abc"},
                                     {"abc", 0, ""},                {"J\xC3\xBCrgen", 2, "J\xC3\xBC"},
                                     {"ab" + emoji + "c", 3, "ab"}, {"ab" + emoji + "c", 4, "ab" + emoji},
                                     {"a\xFF" "bc", 2, "a\xFF"}};
    for (const Case& c : cases)
        EXPECT_EQ(leftUtf16(c.text, c.units), c.expected) << c.text << " / " << c.units;
}

} // namespace
} // namespace brisk
