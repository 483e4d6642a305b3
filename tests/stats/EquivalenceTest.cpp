// Randomized checks that the fast forms give exactly what the defining
// procedures give: the stable sort against literal exchange passes, the live
// median and ranking against sorting and counting the whole arrays.
#include "stats/ArrayStats.h"
#include "stats/LiveStats.h"
#include "tests/stats/StatsPrinters.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace brisk {
namespace {

// The defining sort: passes over i = lower .. upper - 1 swapping strictly
// misordered neighbours, in the values and the companion alike, until a pass
// swaps nothing.
Array exchangeSortReference(const Array& values, bool ascending, Array& companion)
{
    Array sorted = CopyArray(values);
    for (bool swapped = true; swapped;) {
        swapped = false;
        for (long i = sorted.lower(); i < sorted.upper(); ++i) {
            const int order = compareCells(sorted[i], sorted[i + 1]);
            if (ascending ? order > 0 : order < 0) {
                std::swap(sorted[i], sorted[i + 1]);
                std::swap(companion[i], companion[i + 1]);
                swapped = true;
            }
        }
    }
    return sorted;
}

const std::vector<std::string> kNames = {
    "a", "b", "B", "ab", "Zo\xC3\xAB", "\xC3\xA9mile", "x\xF0\x9F\x98\x80", "x\xEF\xBC\xA1", "",
};

// A random cell of one of the kinds named: 'n' number, 't' text, 'e' empty.
// Small ranges make ties frequent.
Cell randomCell(std::mt19937& random, std::string_view kinds)
{
    std::uniform_int_distribution<std::size_t> kind(0, kinds.size() - 1);
    std::uniform_int_distribution<int> small(-2, 4);
    std::uniform_int_distribution<std::size_t> name(0, kNames.size() - 1);
    switch (kinds[kind(random)]) {
    case 'n':
        return static_cast<double>(small(random));
    case 't':
        return kNames[name(random)];
    default:
        return Cell();
    }
}

void checkSortsAgree(std::mt19937& random, std::string_view kinds)
{
    std::uniform_int_distribution<long> length(0, 30);
    const long size = length(random);
    Array values(0, size - 1);
    Array companion(0, size - 1);
    for (long i = 0; i < size; ++i) {
        values[i] = randomCell(random, kinds);
        companion[i] = i; // tells equal values apart
    }
    for (bool ascending : {false, true}) {
        Array expectedCompanion = companion;
        const Array expected = exchangeSortReference(values, ascending, expectedCompanion);
        Array actualCompanion = companion;
        ASSERT_EQ(SortArray(values, ascending, &actualCompanion), expected);
        ASSERT_EQ(actualCompanion, expectedCompanion);
    }
}

TEST(SortEquivalence, StableSortMatchesExchangePassesOnNumbersAndEmptyCells)
{
    std::mt19937 random(7);
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE(round);
        checkSortsAgree(random, "n");
        checkSortsAgree(random, "nne");
    }
}

TEST(SortEquivalence, StableSortMatchesExchangePassesOnTextsAndEmptyCells)
{
    std::mt19937 random(11);
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE(round);
        checkSortsAgree(random, "t"); // kNames holds the empty text too
        checkSortsAgree(random, "tte");
    }
}

// Numbers, texts and empty cells together have no total order (an empty cell
// ties with 0 and with the empty text); the result is still the passes' one.
TEST(SortEquivalence, MixedKindsGiveTheExchangePassesResult)
{
    std::mt19937 random(13);
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE(round);
        checkSortsAgree(random, "nte");
        checkSortsAgree(random, "nt"); // numbers before texts: a total order
    }
}

TEST(RunningMedianEquivalence, MatchesMedianOfTheDescendingSortAfterEveryInsert)
{
    std::mt19937 random(2024);
    const std::int32_t extremes[] = {std::numeric_limits<std::int32_t>::max(),
                                     std::numeric_limits<std::int32_t>::min(), 0, -1};
    for (int round = 0; round < 300; ++round) {
        // Narrow ranges give many ties; every tenth round uses the extremes.
        std::uniform_int_distribution<std::int32_t> value(-1, 1 + round % 50);
        std::uniform_int_distribution<int> count(1, 40);
        RunningMedian running;
        std::vector<Cell> inserted;
        for (int k = count(random); k > 0; --k) {
            const std::int32_t v = round % 10 == 0 ? extremes[random() % 4] : value(random);
            running.insert(v);
            inserted.emplace_back(v);
            const Array sorted = SortArray(Array(0, inserted), false);
            const long n = static_cast<long>(inserted.size());
            ASSERT_EQ(running.count(), inserted.size());
            ASSERT_EQ(running.median(), MedianOfSorted(sorted, n)) << "round " << round;
        }
    }
    RunningMedian empty;
    EXPECT_THROW((void)empty.median(), std::out_of_range);
    empty.insert(4);
    empty.clear();
    EXPECT_EQ(empty.count(), 0u);
}

std::vector<RankedCounter::Entry> rankByCountTop(const Array& items, std::size_t k)
{
    Array values, counts;
    RankByCount(items, values, counts);
    std::vector<RankedCounter::Entry> top;
    for (long i = values.lower(); i <= values.upper() && top.size() < k; ++i) {
        if (!values[i].isBlankText())
            top.push_back({values[i].text(), static_cast<std::uint32_t>(counts[i].number())});
    }
    return top;
}

TEST(RankedCounterEquivalence, TopTenMatchesRankByCountOverTheItems)
{
    std::mt19937 random(99);
    // More names than places, so that the tenth place is contested.
    std::vector<std::string> names = kNames;
    for (const char* extra : {"c", "d", "e", "f", "g", "Abe"})
        names.emplace_back(extra);
    std::uniform_int_distribution<std::size_t> pick(0, names.size() - 1);
    RankedCounter counter;
    for (int round = 0; round < 300; ++round) {
        counter.clear();
        std::vector<Cell> items;
        std::uniform_int_distribution<int> count(0, 60);
        for (int k = count(random); k > 0; --k) {
            const std::string& name = names[pick(random)];
            items.emplace_back(name);
            counter.add(counter.intern(name));
            if (k % 7 == 0) {
                ASSERT_EQ(counter.topK(10), rankByCountTop(Array(0, items), 10)) << round;
            }
        }
        items.resize(items.size() + 3, Cell("")); // unused slots at the end
        ASSERT_EQ(counter.topK(10), rankByCountTop(Array(0, items), 10)) << round;
    }
}

TEST(RankedCounter, KeepsIdsAcrossClearAndNeverCountsTheEmptyText)
{
    RankedCounter counter;
    const std::uint32_t ann = counter.intern("Ann");
    EXPECT_EQ(counter.intern(""), RankedCounter::kNoName);
    counter.add(RankedCounter::kNoName);
    counter.add(ann);
    counter.add(counter.intern("Bob"));
    counter.add(ann);
    EXPECT_EQ(counter.topK(5),
              (std::vector<RankedCounter::Entry>{{"Ann", 2}, {"Bob", 1}}));
    EXPECT_EQ(counter.topK(1).size(), 1u);
    counter.clear();
    EXPECT_TRUE(counter.topK(5).empty());
    EXPECT_EQ(counter.intern("Ann"), ann);
    EXPECT_EQ(counter.count(ann), 0u);
}

} // namespace
} // namespace brisk
