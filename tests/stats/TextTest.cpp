#include "stats/Text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace brisk {
namespace {

// Independent encoders, so that the order under test is checked against
// plain lexicographic order of real UTF-16 strings.
std::string toUtf8(const std::vector<char32_t>& codes)
{
    std::string out;
    for (char32_t c : codes) {
        const int tail = c < 0x80 ? 0 : c < 0x800 ? 1 : c < 0x10000 ? 2 : 3; // continuation bytes
        out += static_cast<char>((tail ? (0xFF << (7 - tail)) & 0xFF : 0) | (c >> 6 * tail));
        for (int k = tail - 1; k >= 0; --k)
            out += static_cast<char>(0x80 | ((c >> 6 * k) & 0x3F));
    }
    return out;
}

std::u16string toUtf16(const std::vector<char32_t>& codes)
{
    std::u16string out;
    for (char32_t c : codes) {
        if (c < 0x10000)
            out += static_cast<char16_t>(c);
        else
            out += {static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)), static_cast<char16_t>(0xDC00 + (c & 0x3FF))};
    }
    return out;
}

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
    // Characters on both sides of the surrogate range, where byte order and
    // UTF-16 order part.
    const std::vector<char32_t> alphabet = {U'a',      U'B',      U'\u00E9',     U'\u20AC',     U'\uD7FF',
                                            U'\uE000', U'\uFF21', U'\U0001F600', U'\U0001F601', U'\U00010000'};
    std::mt19937 random(20240611);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::uniform_int_distribution<int> length(0, 4);
    const auto append = [&](std::vector<char32_t>& codes) {
        for (int k = length(random); k > 0; --k)
            codes.push_back(alphabet[pick(random)]);
    };
    for (int round = 0; round < 2000; ++round) {
        std::vector<char32_t> a;
        append(a);
        std::vector<char32_t> b(a.begin(), a.begin() + length(random) % (a.size() + 1)); // a shared beginning
        append(b);
        ASSERT_EQ(sign(compareUtf16(toUtf8(a), toUtf8(b))), sign(toUtf16(a).compare(toUtf16(b))))
            << toUtf8(a) << " vs " << toUtf8(b);
        ASSERT_EQ(utf16Length(toUtf8(a)), toUtf16(a).size());
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
