#include "stats/LiveStats.h"

#include "stats/Text.h"

#include <algorithm>
#include <stdexcept>

namespace brisk {

void RunningMedian::insert(std::int32_t value)
{
    if (m_lower.empty() || value <= m_lower.top())
        m_lower.push(value);
    else
        m_upper.push(value);
    // Keep the lower half equal in size to the upper half or one larger.
    if (m_lower.size() > m_upper.size() + 1) {
        m_upper.push(m_lower.top());
        m_lower.pop();
    } else if (m_upper.size() > m_lower.size()) {
        m_lower.push(m_upper.top());
        m_upper.pop();
    }
}

double RunningMedian::median() const
{
    if (m_lower.empty())
        throw std::out_of_range("median of no values");
    const double low = m_lower.top();
    if (m_lower.size() > m_upper.size())
        return low;
    // The larger middle value first, as the descending array holds them.
    return (static_cast<double>(m_upper.top()) + low) * 0.5;
}

void RunningMedian::clear()
{
    m_lower = {};
    m_upper = {};
}

bool RankedCounter::RankOrder::operator()(std::uint32_t a, std::uint32_t b) const
{
    const std::uint32_t countA = owner->m_counts[a];
    const std::uint32_t countB = owner->m_counts[b];
    if (countA != countB)
        return countA > countB;
    return compareUtf16(owner->m_names[a], owner->m_names[b]) > 0;
}

std::uint32_t RankedCounter::intern(std::string_view name)
{
    if (name.empty())
        return kNoName;
    if (const auto found = m_ids.find(name); found != m_ids.end())
        return found->second;
    const auto id = static_cast<std::uint32_t>(m_names.size());
    m_names.emplace_back(name);
    m_counts.push_back(0);
    m_ids.emplace(m_names.back(), id);
    return id;
}

void RankedCounter::add(std::uint32_t id)
{
    if (id == kNoName)
        return;
    // The set is ordered by the counts, so take the entry out before its
    // count changes and put it back after, in the same node.
    if (m_counts.at(id) == 0) {
        ++m_counts[id];
        m_ranked.insert(id);
        return;
    }
    auto node = m_ranked.extract(id);
    ++m_counts[id];
    m_ranked.insert(std::move(node));
}

std::vector<RankedCounter::Entry> RankedCounter::topK(std::size_t k) const
{
    std::vector<Entry> top;
    for (auto it = m_ranked.begin(); it != m_ranked.end() && top.size() < k; ++it)
        top.push_back({m_names[*it], m_counts[*it]});
    return top;
}

void RankedCounter::clear()
{
    m_ranked.clear();
    std::fill(m_counts.begin(), m_counts.end(), 0);
}

} // namespace brisk
