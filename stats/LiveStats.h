#pragma once
// Structures that keep the live figures of a run up to date item by item, in
// O(log n) or less per item, with the same results as re-running the array
// routines (stats/ArrayStats.h) over the whole per-item arrays.

#include <cstdint>
#include <deque>
#include <functional>
#include <queue>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace brisk {

// Median of whole numbers inserted one at a time: the lower half in a
// max-heap, the upper half in a min-heap, sizes differing by at most one.
// median() equals MedianOfSorted(SortArray(values, descending), count).
class RunningMedian {
public:
    void insert(std::int32_t value);
    std::size_t count() const { return m_lower.size() + m_upper.size(); }
    // Throws std::out_of_range when nothing was inserted.
    double median() const;
    void clear();

private:
    std::priority_queue<std::int32_t> m_lower;
    std::priority_queue<std::int32_t, std::vector<std::int32_t>, std::greater<>> m_upper;
};

// Counts of texts by interned id, ranked as RankByCount ranks them: count
// descending, equal counts by text descending in UTF-16 code order. The
// first kTracked places are kept up to date at every count; a count moves
// a text up only, so a text outside them can only enter by passing the
// last, and that costs a few comparisons rather than a search of all texts.
class RankedCounter {
public:
    // Id returned for the empty text, which is never counted.
    static constexpr std::uint32_t kNoName = UINT32_MAX;
    // Places kept ranked as counting goes: the top lists show ten.
    static constexpr std::size_t kTracked = 10;
    struct Entry {
        std::string name;
        std::uint32_t count = 0;
        friend bool operator==(const Entry&, const Entry&) = default;
    };

    RankedCounter() = default;
    RankedCounter(const RankedCounter&) = delete;
    RankedCounter& operator=(const RankedCounter&) = delete;

    // The id of a text, the same for the same text for the object's life.
    std::uint32_t intern(std::string_view name);
    // Counts one more occurrence, in O(kTracked); kNoName is ignored.
    void add(std::uint32_t id);
    // Up to k most frequent texts, in rank order: up to kTracked from the
    // places kept, more by ranking every text counted.
    std::vector<Entry> topK(std::size_t k) const;
    std::uint32_t count(std::uint32_t id) const { return m_counts.at(id); }
    const std::string& name(std::uint32_t id) const { return m_names.at(id); }
    // Texts counted at least once.
    std::size_t distinct() const { return m_distinct; }
    // Sets every count to 0; interned ids stay valid.
    void clear();

private:
    // Whether `a` ranks before `b`.
    bool before(std::uint32_t a, std::uint32_t b) const;

    // A deque never moves its elements, so the views in m_ids stay valid.
    std::deque<std::string> m_names;
    std::unordered_map<std::string_view, std::uint32_t> m_ids;
    std::vector<std::uint32_t> m_counts;
    // The first places, in rank order: every text counted and not here
    // ranks after all of them.
    std::vector<std::uint32_t> m_top;
    std::size_t m_distinct = 0;
};

} // namespace brisk
