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

bool RankedCounter::before(std::uint32_t a, std::uint32_t b) const
{
    const std::uint32_t countA = m_counts[a];
    const std::uint32_t countB = m_counts[b];
    if (countA != countB)
        return countA > countB;
    return compareUtf16(m_names[a], m_names[b]) > 0;
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
    if (m_counts.at(id)++ == 0)
        ++m_distinct;
    auto at = std::find(m_top.begin(), m_top.end(), id);
    if (at == m_top.end()) {
        // Outside the places kept: it enters only where there is room or
        // by passing the last.
        if (m_top.size() < kTracked) {
            at = m_top.insert(m_top.end(), id);
        } else if (before(id, m_top.back())) {
            m_top.back() = id;
            at = m_top.end() - 1;
        } else {
            return;
        }
    }
    // Its count rose: it moves up past those it now ranks before.
    for (; at != m_top.begin() && before(*at, *(at - 1)); --at)
        std::iter_swap(at, at - 1);
}

std::vector<RankedCounter::Entry> RankedCounter::topK(std::size_t k) const
{
    std::vector<std::uint32_t> ranked;
    if (k <= kTracked) {
        ranked.assign(m_top.begin(), m_top.begin() + static_cast<std::ptrdiff_t>(std::min(k, m_top.size())));
    } else {
        for (std::uint32_t id = 0; id < m_counts.size(); ++id)
            if (m_counts[id] > 0)
                ranked.push_back(id);
        const auto last = ranked.begin() + static_cast<std::ptrdiff_t>(std::min(k, ranked.size()));
        std::partial_sort(ranked.begin(), last, ranked.end(),
                          [this](std::uint32_t a, std::uint32_t b) { return before(a, b); });
        ranked.erase(last, ranked.end());
    }
    std::vector<Entry> top;
    for (const std::uint32_t id : ranked)
        top.push_back({m_names[id], m_counts[id]});
    return top;
}

void RankedCounter::clear()
{
    m_top.clear();
    m_distinct = 0;
    std::fill(m_counts.begin(), m_counts.end(), 0);
}

} // namespace brisk
