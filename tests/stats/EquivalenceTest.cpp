// Randomized checks that the fast forms give exactly what the defining
// procedures give: the stable sort against literal exchange passes, the live
// median and ranking against sorting and counting the whole arrays.
#include "stats/ArrayStats.h"
#include "stats/LiveStats.h"
#include "stats/Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <map>
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
    Array sorted = values;
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
    const char kind = kinds[random() % kinds.size()];
    if (kind == 'n')
        return static_cast<double>(static_cast<int>(random() % 7) - 2);
    return kind == 't' ? Cell(kNames[random() % kNames.size()]) : Cell();
}

// Mixed kinds have no total order (an empty cell ties with 0 and with the
// empty text); the result must still be the passes' one.
TEST(SortEquivalence, StableSortMatchesExchangePassesForEveryMixOfKinds)
{
    std::mt19937 random(7);
    for (int round = 0; round < 300; ++round)
        for (const std::string_view kinds : {"n", "nne", "t", "tte", "nte", "nt"}) {
            const long size = std::uniform_int_distribution<long>(0, 30)(random);
            Array values(0, size - 1), companion(0, size - 1);
            for (long i = 0; i < size; ++i) {
                values[i] = randomCell(random, kinds);
                companion[i] = i; // tells equal values apart
            }
            for (bool ascending : {false, true}) {
                Array expectedCompanion = companion, actualCompanion = companion;
                const Array expected = exchangeSortReference(values, ascending, expectedCompanion);
                ASSERT_EQ(SortArray(values, ascending, &actualCompanion), expected) << round << kinds;
                ASSERT_EQ(actualCompanion, expectedCompanion) << round << kinds;
            }
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
        RunningMedian running;
        std::vector<Cell> inserted;
        for (int k = std::uniform_int_distribution<int>(1, 40)(random); k > 0; --k) {
            const std::int32_t v = round % 10 == 0 ? extremes[random() % 4] : value(random);
            running.insert(v);
            inserted.emplace_back(v);
            const long n = static_cast<long>(inserted.size());
            ASSERT_EQ(std::pair(running.count(), running.median()),
                      std::pair(inserted.size(), MedianOfSorted(SortArray(Array(0, inserted), false), n)))
                << "round " << round;
        }
    }
    RunningMedian empty;
    empty.insert(4);
    empty.clear();
    EXPECT_EQ(empty.count(), 0u);
    EXPECT_THROW((void)empty.median(), std::out_of_range);
}

// The ranking by its definition: the non-empty names counted over all the
// items, by count descending, then by name descending in UTF-16 order.
std::vector<RankedCounter::Entry> rankedByDefinition(const std::vector<std::string>& items, std::size_t k)
{
    std::map<std::string, std::uint32_t> counts;
    for (const std::string& name : items)
        if (!name.empty())
            ++counts[name];
    std::vector<RankedCounter::Entry> ranked;
    for (const auto& [name, count] : counts)
        ranked.push_back({name, count});
    std::sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) {
        return a.count != b.count ? a.count > b.count : compareUtf16(a.name, b.name) > 0;
    });
    ranked.resize(std::min(ranked.size(), k));
    return ranked;
}

// Ids are interned once: they must keep naming the same text across clear().
TEST(RankedCounterEquivalence, TopTenMatchesTheRankingOfAllItemsAfterAnyInsert)
{
    std::mt19937 random(99);
    // More names than places, so that the tenth place is contested.
    std::vector<std::string> names = kNames;
    names.insert(names.end(), {"c", "d", "e", "f", "g", "Abe"});
    RankedCounter counter;
    std::vector<std::uint32_t> ids;
    for (const std::string& name : names)
        ids.push_back(counter.intern(name));
    EXPECT_EQ(counter.intern(""), RankedCounter::kNoName);
    std::uniform_int_distribution<std::size_t> pick(0, names.size() - 1);
    for (int round = 0; round < 300; ++round) {
        counter.clear();
        std::vector<std::string> items;
        for (int k = std::uniform_int_distribution<int>(0, 60)(random); k > 0; --k) {
            const std::size_t at = pick(random);
            items.push_back(names[at]);
            counter.add(ids[at]);
            ASSERT_EQ(counter.topK(10), rankedByDefinition(items, 10)) << round;
            // Past the places kept up to date, the whole ranking.
            ASSERT_EQ(counter.topK(16), rankedByDefinition(items, 16)) << round;
            ASSERT_EQ(counter.distinct(), rankedByDefinition(items, names.size()).size()) << round;
        }
    }
}

} // namespace
} // namespace brisk
