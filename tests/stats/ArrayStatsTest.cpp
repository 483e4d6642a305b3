#include "stats/ArrayStats.h"
#include "tests/stats/StatsPrinters.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace brisk {
namespace {

Array numbers(long lower, std::vector<double> values)
{
    std::vector<Cell> cells(values.begin(), values.end());
    return Array(lower, std::move(cells));
}

Array texts(std::vector<std::string> values)
{
    std::vector<Cell> cells(values.begin(), values.end());
    return Array(0, std::move(cells));
}

struct Recorder {
    std::vector<std::string> messages;
    Report report()
    {
        return [this](const std::string& text) { messages.push_back(text); };
    }
};

TEST(ArrayValue, KeepsItsBoundsAndRejectsIndicesOutsideThem)
{
    Array week(1, 7, 0);
    EXPECT_EQ(week.lower(), 1);
    EXPECT_EQ(week.upper(), 7);
    EXPECT_FALSE(week.isEmptyResult());
    week[7] = 3;
    EXPECT_EQ(week[7].number(), 3);
    EXPECT_THROW(week.at(0), std::out_of_range);
    EXPECT_THROW(week.at(8), std::out_of_range);
    EXPECT_TRUE(Array().isEmptyResult());
    EXPECT_EQ(Array().size(), 0u);

    week.resize(1, 3);
    EXPECT_EQ(week.upper(), 3);
    EXPECT_THROW(week.at(4), std::out_of_range);
}

TEST(CompareCells, FollowsTheKindRules)
{
    struct Case {
        Cell a, b;
        int expected;
    };
    const std::vector<Case> cases = {
        {2.0, 10.0, -1},     {-1.0, Cell(), -1}, {Cell(), 0.0, 0},   {Cell(), Cell(), 0},
        {Cell(), "", 0},     {Cell(), "a", -1},  {"Z", "a", -1},     {"ab", "abc", -1},
        {1e9, "", -1},       {"0", 5.0, 1},      {3.5, 3.5, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(compareCells(c.a, c.b), c.expected) << c.a.text() << " vs " << c.b.text();
        EXPECT_EQ(compareCells(c.b, c.a), -c.expected) << c.b.text() << " vs " << c.a.text();
    }
    EXPECT_THROW(Cell("x").number(), std::invalid_argument);
}

TEST(SumScaleCopyFill, KeepBoundsAndCountEmptyCellsAsZero)
{
    EXPECT_EQ(SumArray(Array(0, 5)), 0);
    EXPECT_EQ(SumArray(numbers(1, {1, 2, 4})), 7);

    const Array week = numbers(1, {1, 0, 1, 0, 0, 2, 0});
    const Array percent = ScaleArray(week, 100 / SumArray(week));
    EXPECT_EQ(percent.lower(), 1);
    EXPECT_EQ(percent.upper(), 7);
    EXPECT_EQ(percent[6].number(), 50);
    EXPECT_EQ(ScaleArray(Array(1, 2), 3)[2].number(), 0);

    Array copy = CopyArray(week);
    EXPECT_EQ(copy, week);
    copy[1] = 9;
    EXPECT_EQ(week[1].number(), 1); // a copy, not a view
}

TEST(SortArray, DescendingIsStableAndCarriesTheCompanion)
{
    const Array values = numbers(0, {3, 5, -1, 5});
    Array companion = texts({"three", "first five", "fill", "second five"});
    const Array sorted = SortArray(values, false, &companion);
    EXPECT_EQ(sorted, numbers(0, {5, 5, 3, -1}));
    EXPECT_EQ(companion, texts({"first five", "second five", "three", "fill"}));
    EXPECT_EQ(values, numbers(0, {3, 5, -1, 5})); // the input is unchanged

    EXPECT_EQ(SortArray(values, true), numbers(0, {-1, 3, 5, 5}));
}

TEST(SortArray, PutsEmptyTextsAndFillValuesLast)
{
    EXPECT_EQ(SortArray(texts({"", "b", "B", "", "ba"}), false), texts({"ba", "b", "B", "", ""}));
    EXPECT_EQ(SortArray(numbers(0, {-1, 0, 12, -1, 3}), false), numbers(0, {12, 3, 0, -1, -1}));
}

TEST(SortArray, CompanionOfOtherBoundsIsReportedAndNothingChanges)
{
    Recorder recorder;
    Array companion(0, 4, "c");
    const Array result = SortArray(numbers(0, {1, 2, 3, 4, 5, 6}), false, &companion,
                                   recorder.report());
    EXPECT_TRUE(result.isEmptyResult());
    EXPECT_EQ(companion, Array(0, 4, "c"));
    EXPECT_EQ(recorder.messages, std::vector<std::string>{"Array lengths dont match"});

    Array shifted(1, 6, "c"); // same size, other lower bound
    EXPECT_TRUE(SortArray(Array(0, 5, 1), false, &shifted, recorder.report()).isEmptyResult());
    EXPECT_EQ(recorder.messages.size(), 2u);
}

TEST(MedianOfSorted, TakesTheMiddleOfTheFirstNCells)
{
    const Array sorted = numbers(0, {9, 7, 4, 1});
    EXPECT_EQ(MedianOfSorted(sorted, 4), 5.5);
    EXPECT_EQ(MedianOfSorted(sorted, 3), 7);
    EXPECT_EQ(MedianOfSorted(sorted, 1), 9);
    EXPECT_EQ(MedianOfSorted(numbers(1, {9, 7, 4, 1}), 2), 8); // from the lower bound
    EXPECT_EQ(MedianOfSorted(numbers(0, {150, 100, 50, 20, -1, -1}), 4), 75);
    EXPECT_THROW(MedianOfSorted(sorted, 0), std::out_of_range);
    EXPECT_THROW(MedianOfSorted(sorted, 5), std::out_of_range);
}

TEST(CountDistinct, CountsRunsInDescendingTextOrder)
{
    Array values, counts;
    CountDistinct(texts({"b", "a", "b", "a", "a", ""}), values, counts);
    EXPECT_EQ(values, texts({"b", "a"}));
    EXPECT_EQ(counts, numbers(0, {2, 3}));

    RankByCount(texts({"b", "a", "b", "a", "a", ""}), values, counts);
    EXPECT_EQ(values, texts({"a", "b"}));
    EXPECT_EQ(counts, numbers(0, {3, 2}));
}

TEST(CountDistinct, RecordsTextsSeenOnceWithTheCountOne)
{
    Array values, counts;
    CountDistinct(texts({"c", "a", "b", "a", "", ""}), values, counts);
    EXPECT_EQ(values, texts({"c", "b", "a"}));
    EXPECT_EQ(counts, numbers(0, {1, 1, 2}));

    RankByCount(texts({"c", "a", "b", "a", "", ""}), values, counts);
    EXPECT_EQ(values, texts({"a", "c", "b"})); // ties stay in descending text order
    EXPECT_EQ(counts, numbers(0, {2, 1, 1}));

    CountDistinct(texts({"only"}), values, counts);
    EXPECT_EQ(values, texts({"only"}));
    EXPECT_EQ(counts, numbers(0, {1}));

    CountDistinct(texts({"x", "x", "x"}), values, counts); // no empty text at the end
    EXPECT_EQ(values, texts({"x"}));
    EXPECT_EQ(counts, numbers(0, {3}));
}

TEST(CountDistinct, InputWithoutTextsGivesOneEmptySlot)
{
    for (const Array& input : {Array(0, 3, ""), Array(0, 0, ""), Array(0, 2), Array(0, -1)}) {
        Array values, counts;
        RankByCount(input, values, counts);
        EXPECT_EQ(values, Array(0, 0)) << input.size();
        EXPECT_EQ(counts, Array(0, 0)) << input.size();
        EXPECT_TRUE(values[0].isEmpty());
    }
}

TEST(PadRight, FillsToTheWidthInUtf16UnitsAndNeverCuts)
{
    struct Case {
        std::string text;
        long width;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"abc", 5, "abc  "},
        {"abcdef", 5, "abcdef"},
        {"abcde", 5, "abcde"},
        {"", 3, "   "},
        {"x", -2, "x"},
        {"J\xC3\xBCrgen", 8, "J\xC3\xBCrgen  "},
        {"\xF0\x9F\x98\x80", 3, "\xF0\x9F\x98\x80 "},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PadRight(c.text, " ", c.width), c.expected) << c.text;
    EXPECT_EQ(PadRight("ab", ".", 4), "ab..");
}

TEST(DivideArrays, DividesByPositionWithZeroForAZeroDivisor)
{
    const Array words = numbers(1, {10, 0, 9});
    const Array count = numbers(1, {4, 0, 3});
    const Array ratio = DivideArrays(words, count);
    EXPECT_EQ(ratio, numbers(1, {2.5, 0, 3}));
    EXPECT_EQ(DivideArrays(numbers(1, {5}), Array(1, 1))[1].number(), 0); // empty divisor

    Recorder recorder;
    EXPECT_TRUE(DivideArrays(words, numbers(0, {4, 0, 3}), recorder.report()).isEmptyResult());
    EXPECT_TRUE(DivideArrays(words, numbers(1, {4, 0}), recorder.report()).isEmptyResult());
    EXPECT_EQ(recorder.messages,
              (std::vector<std::string>{"Array lengths dont match", "Array lengths dont match"}));
}

} // namespace
} // namespace brisk
