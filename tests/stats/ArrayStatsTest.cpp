#include "stats/ArrayStats.h"
#include "stats/Rounding.h"
#include "stats/Text.h"

#include <gtest/gtest.h>

#include <array>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

namespace brisk {
namespace {

Array numbers(long lower, std::vector<double> values) { return Array(lower, {values.begin(), values.end()}); }

TEST(CompareCells, FollowsTheKindRulesBothWays)
{
    const std::vector<std::tuple<Cell, Cell, int>> cases = {
        {2.0, 10.0, -1}, {-1.0, Cell(), -1}, {Cell(), 0.0, 0}, {Cell(), Cell(), 0}, {Cell(), "", 0}, {Cell(), "a", -1},
        {"Z", "a", -1},  {"ab", "abc", -1},  {1e9, "", -1},    {"0", 5.0, 1},      {3.5, 3.5, 0},
    };
    for (const auto& [a, b, expected] : cases) {
        EXPECT_EQ(compareCells(a, b), expected) << a.text() << " vs " << b.text();
        EXPECT_EQ(compareCells(b, a), -expected) << b.text() << " vs " << a.text();
    }
    EXPECT_THROW(Cell("x").number(), std::invalid_argument);
    EXPECT_THROW(Array(1, 7).at(8), std::out_of_range);
}

TEST(ArrayArithmetic, SumsScalesDividesAndMediansKeepingBoundsWithEmptyCellsAsZero)
{
    EXPECT_EQ(SumArray(Array(0, 5)), 0);
    const Array week = numbers(1, {1, 0, 1, 0, 0, 2, 0});
    EXPECT_EQ(ScaleArray(week, 100 / SumArray(week)), numbers(1, {25, 0, 25, 0, 0, 50, 0}));
    EXPECT_EQ(DivideArrays(numbers(1, {10, 0, 9, 5}), Array(1, {4.0, 0.0, 3.0, Cell()})), numbers(1, {2.5, 0, 3, 0}));

    std::vector<std::string> reports;
    const Report report = [&](const std::string& text) { reports.push_back(text); };
    EXPECT_TRUE(DivideArrays(week, numbers(0, {1, 1, 1, 1, 1, 1, 1}), report).isEmptyResult()); // other bounds
    Array companion(0, 4, "c");
    EXPECT_TRUE(SortArray(numbers(0, {1, 2, 3, 4, 5, 6}), false, &companion, report).isEmptyResult());
    EXPECT_EQ(companion, Array(0, 4, "c"));
    EXPECT_EQ(reports, (std::vector<std::string>{"Array lengths dont match", "Array lengths dont match"}));
    // The median takes the middle of the first n cells from the lower bound.
    const Array sorted = numbers(0, {9, 7, 4, 1});
    EXPECT_EQ((std::array{MedianOfSorted(sorted, 4), MedianOfSorted(sorted, 3), MedianOfSorted(sorted, 1),
                          MedianOfSorted(numbers(1, {9, 7, 4, 1}), 2)}), (std::array{5.5, 7.0, 9.0, 8.0}));
    EXPECT_THROW(MedianOfSorted(sorted, 0), std::out_of_range);
    EXPECT_THROW(MedianOfSorted(sorted, 5), std::out_of_range);
}

// PadRight fills to the width in UTF-16 units and never cuts; leftUtf16 takes
// whole characters up to the unit count (never half a surrogate pair).
TEST(Utf16Text, PadRightAndLeftCountUtf16UnitsAndKeepCharactersWhole)
{
    const std::tuple<std::string, long, std::string> padded[] = {
        {"abc", 5, "abc.."},  {"abcdef", 5, "abcdef"}, {"abcde", 5, "abcde"}, {"x", -2, "x"},
        {"J\xC3\xBCrgen", 8, "J\xC3\xBCrgen.."},       {"\xF0\x9F\x98\x80", 3, "\xF0\x9F\x98\x80."},
    };
    for (const auto& [text, width, expected] : padded)
        EXPECT_EQ(PadRight(text, ".", width), expected) << text;
    const std::string emoji = "\xF0\x9F\x98\x80";
    const std::tuple<std::string, std::size_t, std::string> cut[] = {
        {"abcdef", 3, "abc"}, {"abc", 15, "abc"}, {"abc", 0, ""}, {"J\xC3\xBCrgen", 2, "J\xC3\xBC"},
        {"ab" + emoji + "c", 3, "ab"}, {"ab" + emoji + "c", 4, "ab" + emoji}, {"a\xFF" "bc", 2, "a\xFF"}};
    for (const auto& [text, units, expected] : cut)
        EXPECT_EQ(leftUtf16(text, units), expected) << text << " / " << units;
}

TEST(Rounding, HalvesGoToTheEvenNeighbourOnTheDecimalValue)
{
    const std::vector<std::pair<double, double>> whole = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {-2.5, -2}, {2.51, 3}, {3.5, 4}};
    for (auto [value, expected] : whole)
        EXPECT_EQ(roundHalfEven(value), expected) << value;
    const std::vector<std::pair<double, double>> cents = {{0.125, 0.12}, {0.135, 0.14}, {0.285, 0.28},
                                                          {3.0 / 7, 0.43}, {1.005, 1.0},  {1.015, 1.02}};
    for (auto [value, expected] : cents)
        EXPECT_DOUBLE_EQ(roundHalfEven(value, 2), expected) << value;
    const std::vector<std::pair<double, std::string>> texts = {
        {7, "7"}, {0.43, "0.43"}, {-1, "-1"}, {100.0 / 3, "33.3333333333333"}, {0, "0"}, {1e17, "100000000000000000"}};
    for (const auto& [value, expected] : texts)
        EXPECT_EQ(formatNumber(value), expected) << value;
}

int sign(int value) { return (value > 0) - (value < 0); }

// Each non-ASCII text counts its UTF-16 units, an invalid byte one unit;
// texts order as their UTF-16 strings do (an invalid byte by its value),
// which differs from byte order on both sides of the surrogate range.
TEST(Utf16Text, LengthsAndOrderAreThoseOfUtf16)
{
    const std::vector<std::pair<std::string, std::size_t>> lengths = {
        {"a\xFF" "b", 3}, {"\xE2\x82", 2}, {"\xC0\xAF", 2}, {"\xED\xA0\x80", 3}, {"J\xC3\xBCrgen", 6},
        {"\U0001F600\u20AC", 3}};
    for (const auto& [text, units] : lengths)
        EXPECT_EQ(utf16Length(text), units) << text;
    // A broken euro sign is not its prefix; a stray continuation byte.
    const std::tuple<std::string, std::string, int> cases[] = {
        {"Z", "a", -1}, {"a\xFF", "a\xFE", 1}, {"\xE2\x82", "\xE2\x82\xAC", 1}, {"a\x80", "a\xC3\xA9", 1},
        {"\uE000", "\U0001F600", 1}, {"\uD7FF", "\U00010000", -1}, {"\U00010000", "\U0001F600", -1},
        {"x\U0001F600", "x\U0001F601", -1}, {"\u00E9", "\u00E9a", -1}, {"\u00E9", "\u20AC", -1},
        {"B\uFF21", "Ba", 1}, {"\u20AC", "\u20AC", 0}};
    for (const auto& [a, b, expected] : cases) {
        EXPECT_EQ(sign(compareUtf16(a, b)), expected) << a << " vs " << b;
        EXPECT_EQ(sign(compareUtf16(b, a)), -expected) << b << " vs " << a;
    }
}

} // namespace
} // namespace brisk
