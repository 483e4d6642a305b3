#pragma once
// Structures that keep the live figures of a run up to date item by item, in
// O(log n) or less per item, with the same results as re-running the array
// routines (stats/ArrayStats.h) over the whole per-item arrays.

#include <cstdint>
#include <deque>
#include <functional>
#include <queue>
#include <set>
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

// Counts of texts by interned id, kept ranked as RankByCount ranks them:
// count descending, equal counts by text descending in UTF-16 code order.
class RankedCounter {
public:
    // Id returned for the empty text, which is never counted.
    static constexpr std::uint32_t kNoName = UINT32_MAX;
    struct Entry {
        std::string name;
        std::uint32_t count = 0;
        friend bool operator==(const Entry&, const Entry&) = default;
    };

    RankedCounter() = default;
    // The ranking refers back to this object's names and counts.
    RankedCounter(const RankedCounter&) = delete;
    RankedCounter& operator=(const RankedCounter&) = delete;

    // The id of a text, the same for the same text for the object's life.
    std::uint32_t intern(std::string_view name);
    // Counts one more occurrence, O(log distinct); kNoName is ignored.
    void add(std::uint32_t id);
    // Up to k most frequent texts, in rank order.
    std::vector<Entry> topK(std::size_t k) const;
    std::uint32_t count(std::uint32_t id) const { return m_counts.at(id); }
    const std::string& name(std::uint32_t id) const { return m_names.at(id); }
    // Texts counted at least once.
    std::size_t distinct() const { return m_ranked.size(); }
    // Sets every count to 0; interned ids stay valid.
    void clear();

private:
    struct RankOrder {
        const RankedCounter* owner;
        bool operator()(std::uint32_t a, std::uint32_t b) const;
    };

    // A deque never moves its elements, so the views in m_ids stay valid.
    std::deque<std::string> m_names;
    std::unordered_map<std::string_view, std::uint32_t> m_ids;
    std::vector<std::uint32_t> m_counts;
    std::set<std::uint32_t, RankOrder> m_ranked{RankOrder{this}};
};

} // namespace brisk
